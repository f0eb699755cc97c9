#pragma once
// shell32.dll bound at run time for the one lookup that setup.exe needs from it.
#include "foundation/dll_binding.h"

#include <shlobj.h>

class CShell32 {
public:
    CShell32();
    virtual ~CShell32() = default;
    CShell32(const CShell32&) = delete;
    CShell32& operator=(const CShell32&) = delete;

    // Null when the library or the export is missing: test before calling.
    decltype(&::SHGetFolderPathW) SHGetFolderPathW = nullptr;

private:
    SystemLibrary library_;
};
