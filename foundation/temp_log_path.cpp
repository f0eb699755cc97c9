#include "foundation/temp_log_path.h"

#include "foundation/log_format.h"
#include "foundation/own_file.h"
#include "foundation/setup_log.h"
#include "foundation/temp_folder.h"

namespace {
// The log path for that name: the first of the name and its numbered forms (the name shortened
// to make room for the number) that is a new file or a plain file of this account's, else "".
// Unless `clean`, a name that cannot stand in a file name as it is gives "".
std::wstring ProbeLogPath(const std::wstring& tempFolder, const std::wstring& name,
                          std::size_t budget, bool clean, const LocalTime& time) {
    for (unsigned number = 1; number <= kMaxLogNumber; ++number) {
        const std::size_t room = number == 1 ? budget : budget - kLogNumberUnits;
        if (room == 0 || room > budget)
            break;
        const std::wstring fitted = clean ? CleanLogName(name, room) : FitLogName(name, room);
        if (!IsSafeLogName(fitted))
            break;
        const std::wstring path =
            NumberedLogFileName(FormatLogFileName(tempFolder, fitted, time), number);
        if (OpenOwnFile(path, FILE_APPEND_DATA, OPEN_ALWAYS))
            return path;
    }
    return std::wstring();
}
} // namespace

std::wstring BuildLogFileName(const std::wstring& name, const std::wstring& languageNeutralName) {
    std::wstring tempFolder = TempFolder();
    std::size_t budget = LogNameBudget(tempFolder.size());
    if (tempFolder.empty() || budget == 0)
        return std::wstring();
    // Long names are shortened so that the log and the engine's side file both fit in MAX_PATH;
    // the probe creates (or checks) the very file that the log will be.
    const LocalTime now = CurrentLocalTime();
    std::wstring path = ProbeLogPath(tempFolder, name, budget, false, now);
    if (path.empty() && !languageNeutralName.empty())
        path = ProbeLogPath(tempFolder, languageNeutralName, budget, false, now);
    // A '?' stands where a character was lost in an 8-bit conversion; it and every other
    // character that cannot be part of a file name become '$', as does a device name's first.
    if (path.empty())
        path = ProbeLogPath(tempFolder, name, budget, true, now);
    return path;
}
