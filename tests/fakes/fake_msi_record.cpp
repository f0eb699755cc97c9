#include "fake_msi_record.h"

#include "fake_msi_io.h"

void recordCall(const wchar_t* function, std::initializer_list<std::wstring> arguments) {
    const std::wstring recordPath = environmentVariable(L"FAKE_MSI_RECORD");
    if (recordPath.empty())
        return;
    std::wstring line = function;
    for (const std::wstring& argument : arguments) {
        line += L'|';
        line += argument;
    }
    appendToFile(recordPath, toUtf8(line) + "\n");
}

std::wstring argumentText(const wchar_t* text) {
    return text ? std::wstring(text) : L"<null>";
}

std::wstring argumentNumber(unsigned long number) {
    return std::to_wstring(number);
}

std::wstring argumentNumber(long number) {
    return std::to_wstring(number);
}
