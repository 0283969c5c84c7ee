#include "change_record.h"

#include "change_log.h"
#include "row_file.h"
#include "user_files.h"

std::string LogSensorWrite(Program& p, const char* action, Memory memory, const KnownRecord& before,
                           ExchangeOutcome outcome) {
    ChangeEntry entry;
    entry.time = platform::UtcMilliseconds();
    entry.program = p.changeLog.program + " " + p.szSoftVersion;
    entry.user = platform::UserName();
    entry.port = p.model.Identity().port;
    entry.firmware = p.model.Identity().firmware;
    entry.action = action;
    entry.before = before;
    entry.after = memory == Memory::Ram ? p.model.Ram() : p.model.Eeprom();
    entry.outcome = outcome;
    if (!p.changeLog.nextDetails.empty()) entry.details = std::move(p.changeLog.nextDetails);
    p.changeLog.nextDetails.clear();
    p.sensorWatchers.WriteLogged(entry);
    std::string error;
    const std::string path = platform::ChangeLogPath(p.changeLog.path);
    if (platform::AppendChangeLine(path, ChangeEntryLine(entry), error)) return "";
    if (!p.changeLog.failure.empty()) return "";
    p.changeLog.failure = "Change log not written: " + path + ": " + error;
    return p.changeLog.failure;
}
