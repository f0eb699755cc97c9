#include "prereq/run_component.h"

#include "foundation/lang_strings.h"
#include "foundation/message_box.h"
#include "foundation/module_path.h"
#include "foundation/setup_log.h"
#include "foundation/temp_folder.h"
#include "prereq/command_line_text.h"
#include "prereq/prerequisite.h"
#include "prereq/process_launch.h"
#include "resources/resource_ids.h"

namespace {
bool IsSuccessWithoutMessage(unsigned long result) {
    return result == ERROR_SUCCESS || result == ERROR_SUCCESS_REBOOT_INITIATED ||
           result == ERROR_SUCCESS_REBOOT_REQUIRED;
}

// 0 would read as "installed".
unsigned long TempFolderError() {
    unsigned long error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_FILENAME_EXCED_RANGE;
}
} // namespace

unsigned long RunComponent(const Prerequisite& record, std::wstring& errorText,
                           UniqueFileHandle* lock) {
    std::wstring params = record.InstParams;
    if (record.UseUpdateParams == 1) {
        if (record.UpdateParams.empty()) {
            LogAndShowMessage(GetForegroundWindow(),
                              FormatLangString(IDS_NO_UPDATE_PARAMETER, record.Name.c_str()),
                              LoadLangString(IDS_INSTALLATION_ERROR), MB_ICONWARNING);
            return ERROR_INVALID_PARAMETER;
        }
        params = record.UpdateParams;
    }

    // The log's temp folder: for SYSTEM the protected one, where Windows has it.
    const std::wstring temp = TempFolder();
    if (temp.empty())
        return TempFolderError();

    if (params.empty())
        params = L"\"" + record.InstPath + L"\"";
    else
        params =
            ReplaceCommandLineMacros(params, record.InstPath, GetModulePath(false, false), temp);

    LogPrintf(L"Run component '%s'.\r\n", record.Name.c_str());
    unsigned long result =
        record.RunAs != 0 ? LaunchElevated(params, lock) : LaunchProcess(params, lock);
    if (IsSuccessWithoutMessage(result))
        return result;
    errorText = FormatLangString(result == ERROR_FILE_NOT_FOUND ? IDS_FILE_NOT_FOUND
                                                                : IDS_UNABLE_TO_INSTALL,
                                 params.c_str());
    return result;
}
