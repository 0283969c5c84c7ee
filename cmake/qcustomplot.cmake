# QCustomPlot 2.1 for Qt 6: Debian's package (its CMake config), or else - on Windows, where no
# package exists - built here from the two source files of its release, found in QCUSTOMPLOT_DIR.
find_package(QCustomPlotQt6 QUIET)
if(NOT QCustomPlotQt6_FOUND)
    find_path(QCUSTOMPLOT_SOURCE_DIR qcustomplot.cpp HINTS ${QCUSTOMPLOT_DIR} $ENV{QCUSTOMPLOT_DIR})
    if(NOT QCUSTOMPLOT_SOURCE_DIR)
        message(FATAL_ERROR "QCustomPlot 2.1 not found: install libqcustomplot-dev, or set "
                            "QCUSTOMPLOT_DIR to the folder with qcustomplot.cpp and qcustomplot.h")
    endif()
    add_library(qcustomplot STATIC ${QCUSTOMPLOT_SOURCE_DIR}/qcustomplot.cpp)
    target_include_directories(qcustomplot SYSTEM PUBLIC ${QCUSTOMPLOT_SOURCE_DIR})
    target_link_libraries(qcustomplot PUBLIC Qt6::Widgets Qt6::PrintSupport)
    set_target_properties(qcustomplot PROPERTIES AUTOMOC ON)
    add_library(QCustomPlotQt6::QCustomPlotQt6 ALIAS qcustomplot)
endif()
