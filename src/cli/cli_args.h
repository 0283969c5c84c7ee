// The command line of tavrix-cli: commands, options, exit codes and the help texts.
// Pure: no port, no panel, no toolkit.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sensor_memory.h"
#include "workbench_csv.h"

// The process's exit codes; scripts rely on these values.
enum class ExitCode {
    Ok = 0,
    Usage = 2,       // the command line was not understood
    NoSensor = 3,    // the port cannot be opened, or the sensor did not answer in time
    Mismatch = 4,    // a verify found other words than were sent, or compare found differences
    FileError = 5,   // a parameter or CSV file cannot be read or written
    NoProposal = 6,  // setup: the line image allows no proposal (flat, saturated, no edges...)
};

enum class Command {
    None,
    Identify,
    Get,
    Send,
    Teach,
    ResetMaxMin,
    Run,
    Compare,
    Log,
    Setup,
    Monitor
};
enum class SetupAction { None, Propose, Apply };

// The port to use: a number of the window's port selector (0 the simulated sensor), or a device
// path, which the session maps to port `number`.
struct PortChoice {
    int number = 1;
    std::string device;
};

// monitor: the plant's broker and how to reach it. User name and password never come from the
// command line: from --credentials FILE or the environment (TAVRIX_MQTT_USER,
// TAVRIX_MQTT_PASSWORD).
struct MqttChoice {
    std::string host;
    int port = 1883;
    bool tls = false;  // mqtts://
    std::string sensorId, topicRoot = "tavrix";
    int batchMs = 0;
    int qos = 0;  // for measurements
    long queue = 10000;
    std::string caFile, certFile, keyFile, credentials;
};

struct Request {
    Command command = Command::None;
    bool help = false;
    bool version = false;
    bool json = false;
    PortChoice port;
    Memory memory = Memory::Ram;  // get --from, send --to
    std::string file;             // send and compare: the parameter file; get, setup --propose: -o;
                                  // setup --apply: the proposal file
    bool verify = false;
    bool clamp = false;  // send: values out of range are replaced as the window's Send does
    long count = 0;      // run: measurements to take, or 0 when seconds are given
    double seconds = 0;
    std::string csv;                           // run: the CSV file; empty for standard output
    CsvFormat csvFormat = CsvFormat::Rfc4180;  // run: --csv-format
    std::string log;  // --log: the change log; empty for TAVRIX_LOG or the data folder's
    std::optional<long long> since;  // log --since, in UTC milliseconds
    SetupAction setup = SetupAction::None;
    long videoCycles = 20;  // setup --propose: line images
    long runCycles = 200;   // setup --propose: measurements for the spread
    MqttChoice mqtt;        // monitor
};

// A request, or the reason the command line is refused (then error is not empty).
struct Parsed {
    Request request;
    std::string error;
};

Parsed ParseArguments(const std::vector<std::string>& args);
// The help of a command; Command::None gives the overview with the exit codes.
std::string HelpText(Command command);
// "tavrix-cli 1.52" and a line end.
std::string VersionText();
const char* MemoryName(Memory memory);  // "ram" or "eeprom"
// "mqtt://HOST[:PORT]" (1883) or "mqtts://HOST[:PORT]" (8883, TLS); false for anything else.
bool ParseMqttUrl(const std::string& url, MqttChoice& into);
