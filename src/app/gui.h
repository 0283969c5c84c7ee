// Panel logic: moving the parameter set between panel and state, the parameter read, the Run
// loop, the plots and the parameter file.
#pragma once

#include "arrayfile.h"
#include "exchange_outcome.h"
#include "gui_shapes.h"
#include "program.h"

// --- Panel value exchange ---
// Reads every parameter control into its variable, as the controls hold them (no limits).
void GetPanelValues(Program& p);
// The same reading into another state: p itself stays as it is.
void ReadPanelValues(const Program& p, State& into);
// Applies the parameter limits to the state, writes the controls and redraws the threshold line,
// the edge cursors, the grey line area and the green tolerance band.
void SetPanelValues(Program& p);

// --- Exchanges ---
// Every exchange returns what happened (exchange_outcome.h) and shows it in the status line with
// ReportOutcome. The window's buttons and the command line call these alike. Each processes
// events while it waits, so other callbacks (Stop, another exchange) may run inside it; an answer
// reaches only the exchange that asked for it.
enum class ExchangeKind { Get, Send, Teach, Reset, Run, Video };
// Shows the status text of `kind` for `outcome` (Stopped shows nothing).
void ReportOutcome(Program& p, ExchangeKind kind, ExchangeOutcome outcome);
// Reads the parameter record from the sensor's RAM or EEPROM into the state and shows it; with
// DATFILE it only shows the state (the caller has loaded the file) and answers Answered. The
// outcome goes to the sensor model (sensor_events.h): the marks then compare the panel with the
// RAM read. Anything but Answered leaves the panel as it is; a target that is none of the three
// gives NotOpen.
ExchangeOutcome PushGET(Program& p, int target);
// Reads the panel (GetPanelValues), packs it and sends it to RAM (SEND_RAM) or EEPROM
// (SEND_EEPROM). The outcome goes to the sensor model and the change log; only an answer makes the
// record what the model knows of that memory.
ExchangeOutcome PushSEND(Program& p, int target);
// Teaches a new setpoint (the request carries pp as it stands); when the sensor answers, the
// record is read back from RAM with PushGET, whose outcome is returned.
ExchangeOutcome PushTEACH(Program& p);
// Resets the analogue output's maximum and minimum.
ExchangeOutcome PushRESET(Program& p);
// The Run loop: shows the strip chart, locks Run and Video, selects RAM, then sends one
// measurement request (with the parameters packed afresh) after another, each as soon as the
// previous answer has been taken in, and draws every answer once (bar graph and strip chart). Ends
// when stop_flag is set (Stop, closing the panel, the port selector: Stopped) or when no answer
// came for more than TIMEOUT since the latest request ("Timeout RS232-Line!": TimedOut); then
// releases the locks. Other controls stay live: their callbacks run inside the loop's event
// processing, and their exchanges take only their own answers. The listeners in p.listeners hear
// the loop begin, each measurement and its end.
ExchangeOutcome PushRUN(Program& p);
// The Video loop: as Run, but each cycle also reads the line image (four 64-word blocks on boards
// 0 and 100, else one 256-word block) and draws the video curve instead of the strip chart; the
// listeners also hear each line image. A cycle that has begun completes before the loop ends.
ExchangeOutcome PushVIDEO(Program& p);
// Sets the three target buttons and `target` in agreement.
void SelectTarget(Program& p, int target);
// Dims or undims the two acquisition-lock controls.
void LockAcquisition(Program& p, int dimmed);

// --- Plots ---
// Redraws the video curve (256 words at the given x positions) and the threshold line.
void PlotVIDEOCurve(Program& p, const u16* video, const double* x);
// Writes the eleven measurement displays and redraws the bar graph.
void PlotVIDEOBarGraph(Program& p);
// Adds the latest measurement to the 100-group history and hands it to the strip chart.
void PlotRAWGraphX8(Program& p);

// --- Parameter file ---
inline constexpr const char* kParaFileName = "TAVRpara.dat";
inline constexpr int SAVE_POPUP = 0;
inline constexpr int LOAD_POPUP = 1;
// Opens the save or load popup in proj_dir proposing "TAVRpara.dat"; the chosen path goes to
// file_name. Above 0 when a file was chosen.
int ParaFilePopup(Program& p, int which);
// Writes the panel's parameter set to file_name (replacing the file atomically); what was written
// is the unsent-edit marks' reference. A failure is reported in the status line and leaves any
// previous file intact.
void SendParaToFile(Program& p);
// Asks for a file and loads its first 16 numbers into pp and the state. True when a file was
// loaded; a cancelled choice changes nothing, and a file that is missing, not a regular file,
// unreadable, short, non-numeric or holds a number above 65535 is refused with a status message,
// with pp and the state left as they were.
bool ReadParaFromFile(Program& p);
// The two halves without popup and status line. Write: pp to file_name, replaced atomically.
// Load: the first 16 numbers of file_name into pp and the state, as ReadParaFromFile takes them.
// Both return kFileOk or the file error of arrayfile.h; a refused file leaves pp and the state.
platform::FileResult WriteParaFile(Program& p);
platform::FileResult LoadParaFile(Program& p);
// The first 16 numbers of the file at `path` as LoadParaFile takes them, into `words` alone
// (untouched on failure).
platform::FileResult ReadParaFileWords(const std::string& path, std::array<u16, PNUM>& words);
// The status text for a file error of arrayfile.h.
const char* ParaFileErrorText(platform::FileResult code, bool writing);
