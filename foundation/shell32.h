#pragma once
// shell32.dll bound at run time: a static import would load it, with shlwapi and shcore, before
// the program starts, on every run, although most runs never call it.
#include "foundation/dll_binding.h"

#include <shellapi.h>
#include <shlobj.h>

class CShell32 {
public:
    CShell32();
    virtual ~CShell32() = default;
    CShell32(const CShell32&) = delete;
    CShell32& operator=(const CShell32&) = delete;

    // Null when the library or the export is missing: test before calling.
    decltype(&::SHGetFolderPathW) SHGetFolderPathW = nullptr;
    decltype(&::ShellExecuteW) ShellExecuteW = nullptr;
    decltype(&::ShellExecuteExW) ShellExecuteExW = nullptr;

private:
    SystemLibrary library_;
};
