// EntryPointGoneAfterLoads=N: from the (N+1)th load of the DLL in a process on, the export
// MsiRecordReadStream cannot be found. This lets the bootstrapper read its package through a
// complete engine and then meet an incomplete one when it comes to install.
//
// Loads are counted in "<FAKE_MSI_RECORD>.loads", one byte per load.
#include <windows.h>

#include <cstring>

#include "fake_msi_io.h"
#include "fake_msi_script.h"

namespace {

const char kHiddenExport[] = "MsiRecordReadStream";

// Counts this load and returns how many loads there were before it.
long CountLoad(const std::wstring& counterPath) {
    HANDLE file = CreateFileW(counterPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    DWORD written = 0;
    WriteFile(file, "L", 1, &written, nullptr);
    CloseHandle(file);
    return static_cast<long>(size.QuadPart);
}

// Changes the last letter of the export's name in the loaded image. The name keeps its place in
// the sorted name table, so every other export is still found.
void HideExport() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&HideExport), &self))
        return;
    BYTE* base = reinterpret_cast<BYTE*>(self);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto* exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    auto* names = reinterpret_cast<DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        char* name = reinterpret_cast<char*>(base + names[i]);
        if (std::strcmp(name, kHiddenExport) != 0)
            continue;
        char* last = name + std::strlen(name) - 1;
        DWORD oldProtection = 0;
        if (VirtualProtect(last, 1, PAGE_READWRITE, &oldProtection)) {
            *last = 'n';
            VirtualProtect(last, 1, oldProtection, &oldProtection);
        }
    }
}

void OnLoad() {
    const std::wstring scriptPath = environmentVariable(L"FAKE_MSI_SCRIPT");
    const std::wstring recordPath = environmentVariable(L"FAKE_MSI_RECORD");
    if (scriptPath.empty() || recordPath.empty())
        return;
    const long completeLoads =
        FakeMsiScript::parse(readFile(scriptPath)).integer("EntryPointGoneAfterLoads", -1);
    if (completeLoads < 0)
        return;
    if (CountLoad(recordPath + L".loads") >= completeLoads)
        HideExport();
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        OnLoad();
    return TRUE;
}
