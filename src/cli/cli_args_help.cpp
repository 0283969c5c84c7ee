// The help texts of tavrix-cli.
#include "cli_args.h"

namespace {

constexpr const char* kCommonOptions =
    "\nCommon options:\n"
    "  --port N|PATH|sim  port N (1-255, also COMN) of the window's port selector (default 1),\n"
    "                     a device path, or sim: the built-in simulated sensor\n"
    "  --json             machine-readable output\n"
    "  --log FILE         the change log (default: TAVRIX_LOG, else changes.jsonl in the\n"
    "                     user's application data folder)\n"
    "  -h, --help         this help\n"
    "  --version          the program's version\n";

}  // namespace

std::string HelpText(Command command) {
    std::string text;
    switch (command) {
        case Command::None:
            return std::string(
                       "Usage: tavrix-cli COMMAND [options]\n"
                       "Sets up and reads a Tavrix line sensor without a window.\n\n"
                       "Commands:\n"
                       "  identify       line check, hardware profile and firmware text\n"
                       "  get            read the parameter record from RAM or EEPROM\n"
                       "  send           write a parameter file to RAM or EEPROM\n"
                       "  teach          teach a new setpoint\n"
                       "  reset-maxmin   reset the analogue output's maximum and minimum\n"
                       "  run            take measurements as CSV rows\n"
                       "  compare        RAM against EEPROM (and a file), word by word\n"
                       "  log            the change log: every write to the sensor\n"
                       "  setup          propose a set-up from what the sensor sees, or apply one\n"
                       "  monitor        measure without end and publish to the plant's MQTT "
                       "broker\n"
                       "tavrix-cli COMMAND --help describes each.\n") +
                   kCommonOptions +
                   "\nExit codes: 0 done, 2 usage, 3 no sensor or time-out, 4 verify mismatch or "
                   "a difference in compare, 5 file error, 6 no set-up proposal possible.\n";
        case Command::Identify:
            text =
                "Usage: tavrix-cli identify [options]\n"
                "Checks the line, reads the hardware profile and the firmware text.\n";
            break;
        case Command::Get:
            text =
                "Usage: tavrix-cli get --from ram|eeprom [-o FILE] [options]\n"
                "Reads the parameter record as the sensor holds it and writes it in the\n"
                "parameter-file format to FILE (replaced whole, never half-written) or to\n"
                "standard output.\n";
            break;
        case Command::Send:
            text =
                "Usage: tavrix-cli send FILE --to ram|eeprom [--clamp] [--verify] [options]\n"
                "Writes the parameter file's record. A file that is refused leaves the sensor\n"
                "untouched: one with values outside the panel's limits (the edges against the\n"
                "sensor's sub-pixel scale) gives exit code 5 and a line for each. --clamp\n"
                "replaces such values as the window's Send does and prints each replacement.\n"
                "--verify reads the record back from the same memory; words that differ from\n"
                "what was sent give exit code 4.\n";
            break;
        case Command::Teach:
            text =
                "Usage: tavrix-cli teach [options]\n"
                "Teaches a new setpoint and prints it.\n";
            break;
        case Command::ResetMaxMin:
            text =
                "Usage: tavrix-cli reset-maxmin [options]\n"
                "Resets the analogue output's maximum and minimum.\n";
            break;
        case Command::Run:
            text =
                "Usage: tavrix-cli run --count N | --seconds S [--csv FILE]\n"
                "                      [--csv-format rfc4180|semicolon] [options]\n"
                "Takes measurements one after another and writes one CSV row each (with\n"
                "--json one JSON object a line) to FILE or standard output. FILE is made or\n"
                "replaced when the first row is ready, and holds whole rows only. A sensor that\n"
                "stops answering ends the run with exit code 3; the rows so far are kept. A\n"
                "write that fails (disk full, file-size limit) ends it with exit code 5.\n"
                "--csv-format semicolon separates fields with ';' and writes ',' as decimal\n"
                "mark, for spreadsheets in comma-decimal locales (default rfc4180).\n";
            break;
        case Command::Setup:
            text =
                "Usage: tavrix-cli setup --propose [--video-cycles N] [--run-cycles M] [-o FILE]\n"
                "                        [options]\n"
                "       tavrix-cli setup --apply FILE --to ram|eeprom [--verify] [options]\n"
                "--propose takes N line images (default 20) and M measurements (default 200)\n"
                "with the sensor's current parameters and prints the proposed video threshold,\n"
                "left and right edge limit, setpoint and tolerance with the figures behind\n"
                "them. It writes nothing to the sensor; -o FILE saves the proposal.\n"
                "--apply sends a saved proposal: the sensor's RAM record with the five values\n"
                "in place, limited as the panel limits them. It does not measure again.\n"
                "A line image that allows no proposal (flat, saturated, no edges) gives exit\n"
                "code 6 and the reason in one line.\n";
            break;
        case Command::Compare:
            text =
                "Usage: tavrix-cli compare [FILE] [options]\n"
                "Reads the record from RAM and from EEPROM and shows them, and the file's,\n"
                "word by word. Any difference gives exit code 4.\n";
            break;
        case Command::Log:
            text =
                "Usage: tavrix-cli log [--since DATE] [options]\n"
                "Prints the change log, an entry a line (with --json the entries as logged),\n"
                "from DATE on: an ISO 8601 date or date-time, in UTC unless it carries an\n"
                "offset. Damaged lines are skipped and counted. No log yet prints nothing.\n";
            break;
        case Command::Monitor:
            text =
                "Usage: tavrix-cli monitor --mqtt URL [--sensor-id ID] [--topic-root ROOT]\n"
                "                          [--batch MS] [--qos 0|1] [--queue N] [options]\n"
                "Measures without end (until SIGTERM or SIGINT) and publishes under ROOT/ID/:\n"
                "measurement, state (retained), parameters (retained) and events. A sensor that\n"
                "stops answering is identified again; a broker that goes away is reconnected,\n"
                "and meanwhile at most N messages wait (the oldest go first; counted in state).\n"
                "Nothing received from the broker is ever written to the sensor.\n"
                "  --mqtt URL          mqtt://HOST[:PORT] (1883), mqtts://HOST[:PORT] (TLS, 8883)\n"
                "  --sensor-id ID      the sensor's name in the topics (default: the port's name)\n"
                "  --topic-root ROOT   the first topic level (default tavrix)\n"
                "  --batch MS          gather measurements for MS milliseconds into one message\n"
                "  --qos 0|1           QoS of measurements (default 0; the rest always go with 1)\n"
                "  --queue N           messages held while the broker is away (default 10000)\n"
                "  --cafile FILE       TLS: the broker's CA (default: the system's CAs)\n"
                "  --cert FILE --key FILE   TLS: a client certificate and its key\n"
                "  --credentials FILE  user name on the first line, password on the second;\n"
                "                      else TAVRIX_MQTT_USER and TAVRIX_MQTT_PASSWORD if set\n";
            break;
    }
    return text + kCommonOptions;
}

std::string VersionText() {
    return std::string("tavrix-cli ") + TAVRIX_VERSION + "\n";
}
