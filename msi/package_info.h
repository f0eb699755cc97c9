#pragma once
// Facts of the product package and the installed state of its product.
#include "msi/msi_library.h"
#include <string>

struct PackageFacts {
    std::wstring Template; // summary property PID_TEMPLATE, e.g. "x64;1033"
    std::wstring ProductName;
    std::wstring ProductVersion;
    std::wstring ProductLanguage;
    std::wstring ProductCode;
    std::wstring ProductNameLangNeutral; // may stay empty
    std::wstring HiddenProperties =
        {}; // MsiHiddenProperties: names separated by ';'; may stay empty
};

// The process-wide package facts; empty until ReadPackageInfo succeeds (and in a patch run).
PackageFacts& PackageInfo();

// The first field of the first record of `query`, of any length; false when any step fails.
bool QueryPackageValue(const MsiLibrary& msi, MSIHANDLE database, const wchar_t* query,
                       std::wstring& value);

bool ReadPackageInfo(const std::wstring& path);

struct InstalledState {
    bool installed = false;  // INSTALLSTATE_DEFAULT
    bool advertised = false; // INSTALLSTATE_ADVERTISED
    int comparison = 0;      // installed vs package: -1 older (or unreadable), 0 same, +1 newer
};
// Reads the package afresh; the result is `state.installed`.
bool QueryInstalledState(const std::wstring& path, InstalledState& state);

// The template's text before its first ';' ("" when there is none).
std::wstring PackagePlatform();
std::wstring PlatformOfTemplate(const std::wstring& templateText);
