# The pure logic library's sources (frame codec and reader, panel shapes, array routines,
# workbench statistics and CSV, record comparison, the set-up proposals, the plant link's payloads):
# no platform at all. The program's build and the fuzz build both take the list from here.
set(TAVRIX_LOGIC_SOURCES com232_codec.cpp com232_router.cpp gui_shapes.cpp arrayops.cpp
    workbench_stats.cpp workbench_csv.cpp record_diff.cpp records.cpp exchange_outcome.cpp
    measurement_listeners.cpp tolerance_verdict.cpp sensor_model.cpp json_text.cpp change_log.cpp
    subpixel_scale.cpp setup_proposal.cpp setup_proposal_signal.cpp sensor_watchers.cpp
    plant_payloads.cpp plant_publisher.cpp)
list(TRANSFORM TAVRIX_LOGIC_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
