// The help texts of tavrix-cli.
#include "cli_args.h"

namespace {

constexpr const char* kCommonOptions =
    "\nCommon options:\n"
    "  --port N|PATH|sim  port N of the window's port selector (default 1), a device path,\n"
    "                     or the built-in simulated sensor\n"
    "  --json             machine-readable output\n"
    "  -h, --help         this help\n";

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
                       "  monitor        measure without end and publish to the plant's MQTT "
                       "broker\n"
                       "tavrix-cli COMMAND --help describes each.\n") +
                   kCommonOptions +
                   "\nExit codes: 0 done, 2 usage, 3 no sensor or time-out, 4 verify mismatch or "
                   "a difference in compare, 5 file error.\n";
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
                "Usage: tavrix-cli send FILE --to ram|eeprom [--verify] [options]\n"
                "Writes the parameter file's record, limited as the panel limits it. A file\n"
                "that is refused leaves the sensor untouched. --verify reads the record back\n"
                "from the same memory; words that differ from the file give exit code 4.\n";
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
                "Usage: tavrix-cli run --count N | --seconds S [--csv FILE] [options]\n"
                "Takes measurements one after another and writes one CSV row each (with\n"
                "--json one JSON object a line) to FILE or standard output. A sensor that\n"
                "stops answering ends the run with exit code 3; the rows so far are kept.\n";
            break;
        case Command::Compare:
            text =
                "Usage: tavrix-cli compare [FILE] [options]\n"
                "Reads the record from RAM and from EEPROM and shows them, and the file's,\n"
                "word by word. Any difference gives exit code 4.\n";
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
