#pragma once
// Run-time binding of the Windows Installer library (msi.dll from the system folder). A run binds
// it once, at its first use, and keeps it: loading the engine draws some twenty other libraries in
// and costs more than the package queries made through it.
#include "foundation/dll_binding.h"

#include <msi.h>
#include <msiquery.h>

class MsiLibrary {
public:
    MsiLibrary();
    MsiLibrary(const MsiLibrary&) = delete;
    MsiLibrary& operator=(const MsiLibrary&) = delete;

    // The library loaded and all sixteen entry points found.
    bool complete() const { return complete_; }

    decltype(&::MsiSetInternalUI) SetInternalUI = nullptr;
    decltype(&::MsiInstallProductW) InstallProduct = nullptr;
    decltype(&::MsiApplyPatchW) ApplyPatch = nullptr;
    decltype(&::MsiReinstallProductW) ReinstallProduct = nullptr;
    decltype(&::MsiQueryProductStateW) QueryProductState = nullptr;
    decltype(&::MsiOpenDatabaseW) OpenDatabase = nullptr;
    decltype(&::MsiDatabaseOpenViewW) DatabaseOpenView = nullptr;
    decltype(&::MsiViewExecute) ViewExecute = nullptr;
    decltype(&::MsiViewFetch) ViewFetch = nullptr;
    decltype(&::MsiRecordGetStringW) RecordGetString = nullptr;
    decltype(&::MsiCloseHandle) CloseHandle = nullptr;
    decltype(&::MsiGetProductInfoW) GetProductInfo = nullptr;
    decltype(&::MsiEnableLogW) EnableLog = nullptr;
    decltype(&::MsiGetSummaryInformationW) GetSummaryInformation = nullptr;
    decltype(&::MsiSummaryInfoGetPropertyW) SummaryInfoGetProperty = nullptr;
    decltype(&::MsiRecordReadStream) RecordReadStream = nullptr;

private:
    SystemLibrary library_;
    bool complete_ = false;
};

// The run's binding: made at the first call, kept until the process ends. An engine that is not
// complete then stays so for the whole run, and every operation through it fails.
const MsiLibrary& RunMsiLibrary();

// Closes an installer handle through the binding that opened it.
class MsiHandleOwner {
public:
    explicit MsiHandleOwner(const MsiLibrary& msi) : msi_(msi) {}
    MsiHandleOwner(const MsiHandleOwner&) = delete;
    MsiHandleOwner& operator=(const MsiHandleOwner&) = delete;
    ~MsiHandleOwner() {
        if (handle_)
            msi_.CloseHandle(handle_);
    }
    MSIHANDLE get() const { return handle_; }
    MSIHANDLE* receive() { return &handle_; }

private:
    const MsiLibrary& msi_;
    MSIHANDLE handle_ = 0;
};
