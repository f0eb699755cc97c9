#include "msi/package_info.h"

#include "msi/engine_string.h"
#include "msi/product_version.h"

namespace {
constexpr UINT kPidTemplate = 7; // PID_TEMPLATE of the summary information stream

const wchar_t kProductNameQuery[] =
    L"SELECT `Value` FROM `Property` WHERE `Property`='ProductName'";
const wchar_t kProductVersionQuery[] =
    L"SELECT `Value` FROM `Property` WHERE `Property`='ProductVersion'";
const wchar_t kProductLanguageQuery[] =
    L"SELECT `Value` FROM `Property` WHERE `Property`='ProductLanguage'";
const wchar_t kProductCodeQuery[] =
    L"SELECT `Value` FROM `Property` WHERE `Property`='ProductCode'";
const wchar_t kProductNameLangNeutralQuery[] =
    L"SELECT `Value` FROM `Property` WHERE `Property`='ProductNameLangNeutral'";
const wchar_t kHiddenPropertiesQuery[] =
    L"SELECT `Value` FROM `Property` WHERE `Property`='MsiHiddenProperties'";

bool OpenPackage(const MsiLibrary& msi, const std::wstring& path, MsiHandleOwner& database) {
    return msi.OpenDatabase(path.c_str(), MSIDBOPEN_READONLY, database.receive()) == ERROR_SUCCESS;
}

bool ReadTemplate(const MsiLibrary& msi, MSIHANDLE database, std::wstring& templateText) {
    MsiHandleOwner summary(msi);
    if (msi.GetSummaryInformation(database, nullptr, 0, summary.receive()) != ERROR_SUCCESS)
        return false;
    UINT type = 0;
    INT integer = 0;
    return ReadEngineString(
               [&](wchar_t* buffer, DWORD* size) {
                   return msi.SummaryInfoGetProperty(summary.get(), kPidTemplate, &type, &integer,
                                                     nullptr, buffer, size);
               },
               templateText) == ERROR_SUCCESS;
}

// The installed version against the package's; an installed product whose version cannot be
// read counts as older, so that the caller offers to update it.
int CompareWithInstalled(const MsiLibrary& msi, const std::wstring& productCode,
                         const std::wstring& packageVersion) {
    std::wstring installedVersion;
    if (ReadEngineString(
            [&](wchar_t* buffer, DWORD* size) {
                return msi.GetProductInfo(productCode.c_str(), L"VersionString", buffer, size);
            },
            installedVersion) != ERROR_SUCCESS)
        return -1;
    return CompareProductVersions(ParseProductVersion(installedVersion),
                                  ParseProductVersion(packageVersion));
}
} // namespace

PackageFacts& PackageInfo() {
    // Never destroyed, like the settings: late log and message helpers may still read it.
    static PackageFacts* facts = new PackageFacts();
    return *facts;
}

bool QueryPackageValue(const MsiLibrary& msi, MSIHANDLE database, const wchar_t* query,
                       std::wstring& value) {
    MsiHandleOwner view(msi);
    if (msi.DatabaseOpenView(database, query, view.receive()) != ERROR_SUCCESS)
        return false;
    if (msi.ViewExecute(view.get(), 0) != ERROR_SUCCESS)
        return false;
    MsiHandleOwner record(msi);
    if (msi.ViewFetch(view.get(), record.receive()) != ERROR_SUCCESS)
        return false;
    return ReadEngineString(
               [&](wchar_t* buffer, DWORD* size) {
                   return msi.RecordGetString(record.get(), 1, buffer, size);
               },
               value) == ERROR_SUCCESS;
}

bool ReadPackageInfo(const std::wstring& path) {
    const MsiLibrary& msi = RunMsiLibrary();
    if (!msi.complete())
        return false;
    MsiHandleOwner database(msi);
    if (!OpenPackage(msi, path, database))
        return false;
    PackageFacts facts;
    if (!ReadTemplate(msi, database.get(), facts.Template) ||
        !QueryPackageValue(msi, database.get(), kProductNameQuery, facts.ProductName) ||
        !QueryPackageValue(msi, database.get(), kProductVersionQuery, facts.ProductVersion) ||
        !QueryPackageValue(msi, database.get(), kProductLanguageQuery, facts.ProductLanguage) ||
        !QueryPackageValue(msi, database.get(), kProductCodeQuery, facts.ProductCode))
        return false;
    // Optional: the log file name falls back to it only when the product name cannot be used.
    QueryPackageValue(msi, database.get(), kProductNameLangNeutralQuery,
                      facts.ProductNameLangNeutral);
    // Optional: the values of these properties are kept out of setup.exe's own log lines.
    QueryPackageValue(msi, database.get(), kHiddenPropertiesQuery, facts.HiddenProperties);
    PackageInfo() = facts;
    return true;
}

bool QueryInstalledState(const std::wstring& path, InstalledState& state) {
    state = InstalledState();
    const MsiLibrary& msi = RunMsiLibrary();
    if (!msi.complete())
        return false;
    MsiHandleOwner database(msi);
    if (!OpenPackage(msi, path, database))
        return false;
    std::wstring productCode;
    std::wstring productVersion;
    if (!QueryPackageValue(msi, database.get(), kProductCodeQuery, productCode) ||
        !QueryPackageValue(msi, database.get(), kProductVersionQuery, productVersion))
        return false;
    INSTALLSTATE productState = msi.QueryProductState(productCode.c_str());
    state.advertised = productState == INSTALLSTATE_ADVERTISED;
    if (productState == INSTALLSTATE_DEFAULT) {
        state.installed = true;
        state.comparison = CompareWithInstalled(msi, productCode, productVersion);
    }
    return state.installed;
}

std::wstring PackagePlatform() {
    return PlatformOfTemplate(PackageInfo().Template);
}

std::wstring PlatformOfTemplate(const std::wstring& templateText) {
    std::size_t separator = templateText.find(L';');
    return separator == std::wstring::npos ? std::wstring() : templateText.substr(0, separator);
}
