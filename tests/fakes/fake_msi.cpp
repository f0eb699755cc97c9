// A stand-in for the Windows Installer engine (msi.dll) that answers from a script and records
// every call, so tests can drive the bootstrapper through engine failures, crashes and slow
// installs that a real engine will not produce on demand.
//
// FAKE_MSI_SCRIPT names the script (see fake_msi_script.h); it is read again on every call, so a
// test may change the answers while a process is running. Keys:
//   PatchCode           a patch's summary information: its code (PID_REVNUMBER)
//   Template, ProductName, ProductVersion, ProductLanguage, ProductCode, ProductNameLangNeutral
//       package facts; an absent property makes its query return no row
//   ProductState        MsiQueryProductStateW (default -1, unknown product)
//   InstalledVersion    MsiGetProductInfoW "VersionString" (absent: ERROR_UNKNOWN_PRODUCT)
//   InstallResult       MsiInstallProductW (default 0)
//   InstallStartedEvent MsiInstallProductW sets the named event on entry
//   InstallHeldBy       MsiInstallProductW waits until the named event is set before answering,
//                       so that a test can act while a run is in the middle of its install
//   InstallCrash=1      MsiInstallProductW raises an access violation
//   EngineLogBytes      MsiInstallProductW writes a log of about this many bytes (numbered
//                       "Engine line" lines) to the file MsiEnableLogW named
//   PatchResult         MsiApplyPatchW (default 0); when a log is on it logs its command line
//                       and each NAME=value of it as Wine's and Windows' engines do
//   PatchCrash=1        MsiApplyPatchW raises an access violation
//   ReinstallResult     MsiReinstallProductW (default 0)
//   OpenDatabaseResult  MsiOpenDatabaseW (default 0)
//   EntryPointGoneAfterLoads  see fake_msi_loads.cpp
// FAKE_MSI_RECORD names the record file (see fake_msi_record.h).

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include "fake_msi_handles.h"
#include "fake_msi_io.h"
#include "fake_msi_query.h"
#include "fake_msi_record.h"
#include "fake_msi_script.h"

#include <optional>
#include <string>
#include <vector>

namespace {

// Not declared by MinGW's headers.
constexpr UINT kSummaryTemplate = 7; // PID_TEMPLATE
constexpr UINT kSummaryRevision = 9; // PID_REVNUMBER: a patch's code

HandleTable& handles() {
    static HandleTable table;
    return table;
}

FakeMsiScript currentScript() {
    const std::wstring path = environmentVariable(L"FAKE_MSI_SCRIPT");
    return path.empty() ? FakeMsiScript{} : FakeMsiScript::parse(readFile(path));
}

std::optional<std::wstring> scriptedText(const std::string& key) {
    const auto value = currentScript().text(key);
    if (!value)
        return std::nullopt;
    return fromUtf8(*value);
}

void signalNamedEvent(const std::optional<std::wstring>& name) {
    if (!name)
        return;
    if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name->c_str())) {
        SetEvent(event);
        CloseHandle(event);
    }
}

// No time limit of its own: the test that holds the run ends it at its own timeout.
void waitForNamedEvent(const std::optional<std::wstring>& name) {
    if (!name)
        return;
    if (HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, name->c_str())) {
        WaitForSingleObject(event, INFINITE);
        CloseHandle(event);
    }
}

UINT scriptedResult(const std::string& key) {
    return static_cast<UINT>(currentScript().integer(key, ERROR_SUCCESS));
}

// How the engine's string getters fill a caller's buffer: the length (without the terminator)
// always comes back in *capacity; a buffer too small gets a truncated, terminated copy and
// ERROR_MORE_DATA. Records and product info answer a null buffer with the length and
// ERROR_SUCCESS; summary information answers it with ERROR_MORE_DATA, as Wine's engine does.
enum class NullBuffer { AsksLength, IsTooSmall };

UINT copyToCaller(const std::wstring& value, LPWSTR buffer, DWORD* capacity,
                  NullBuffer nullBuffer = NullBuffer::AsksLength) {
    if (!capacity)
        return buffer ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    const DWORD length = static_cast<DWORD>(value.size());
    UINT result = ERROR_SUCCESS;
    if (buffer && *capacity > 0) {
        const DWORD copied = length < *capacity ? length : *capacity - 1;
        value.copy(buffer, copied);
        buffer[copied] = L'\0';
    }
    if (*capacity <= length && (buffer || nullBuffer == NullBuffer::IsTooSmall))
        result = ERROR_MORE_DATA;
    *capacity = length;
    return result;
}

// A real access violation inside the DLL, as a faulty engine would raise it. Both volatiles are
// needed: the pointer's keeps the compiler from proving it null (and emitting a trap instead),
// the target's keeps the store itself from being dropped.
void crashInsideTheEngine() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 0;
}

bool isKnownUiLevel(INSTALLUILEVEL level) {
    return (level & 0x0F) <= INSTALLUILEVEL_FULL;
}

std::wstring currentLogPath;

// Numbered lines, so that a test can check the copy is whole and in order.
void writeEngineLog(long bytes) {
    HANDLE file = CreateFileW(currentLogPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string block;
    long line = 0;
    for (long written = 0; written < bytes;) {
        block.clear();
        while (block.size() < 65536 && written + static_cast<long>(block.size()) < bytes)
            block += "Engine line " + std::to_string(++line) + "\n";
        DWORD done = 0;
        WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &done, nullptr);
        written += static_cast<long>(block.size());
    }
    CloseHandle(file);
}

// The command line's blank-separated tokens; blanks inside quotation marks do not separate.
std::vector<std::wstring> commandLineTokens(const std::wstring& commandLine) {
    std::vector<std::wstring> tokens;
    std::wstring token;
    bool quoted = false;
    for (wchar_t c : commandLine + L" ") {
        if (c == L' ' && !quoted) {
            if (!token.empty())
                tokens.push_back(token);
            token.clear();
            continue;
        }
        quoted = c == L'"' ? !quoted : quoted;
        token += c;
    }
    return tokens;
}

// The command line and each NAME=value token (one quoted whole loses its marks) in the forms the
// engines log them: Wine's "Property(S): NAME = value", Windows' verbose "Command Line: ..." and
// "PROPERTY CHANGE: Adding NAME property. Its value is 'value'.".
void logProperties(const std::wstring& commandLine) {
    const auto narrow = [](const std::wstring& text) {
        return std::string(text.begin(), text.end());
    };
    std::string lines =
        "MSI (s) (A0:B4) [10:00:00:000]: Command Line: " + narrow(commandLine) + "\n";
    for (std::wstring token : commandLineTokens(commandLine)) {
        if (token.size() >= 2 && token.front() == L'"' && token.back() == L'"')
            token = token.substr(1, token.size() - 2);
        const std::size_t equals = token.find(L'=');
        if (equals == std::wstring::npos)
            continue;
        const std::string name = narrow(token.substr(0, equals));
        const std::string value = narrow(token.substr(equals + 1));
        lines += "Property(S): " + name + " = " + value + "\n";
        lines += "MSI (s) (A0:B4) [10:00:00:001]: PROPERTY CHANGE: Adding " + name +
                 " property. Its value is '" + value + "'.\n";
    }
    HANDLE file = CreateFileW(currentLogPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD done = 0;
    WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &done, nullptr);
    CloseHandle(file);
}

INSTALLUILEVEL currentUiLevel = INSTALLUILEVEL_DEFAULT;
HWND currentUiParent = nullptr;

} // namespace

INSTALLUILEVEL WINAPI MsiSetInternalUI(INSTALLUILEVEL dwUILevel, HWND* phWnd) {
    recordCall(L"MsiSetInternalUI", {argumentNumber(static_cast<unsigned long>(dwUILevel))});
    if (!isKnownUiLevel(dwUILevel))
        return INSTALLUILEVEL_NOCHANGE;
    const INSTALLUILEVEL previous = currentUiLevel;
    if (dwUILevel != INSTALLUILEVEL_NOCHANGE)
        currentUiLevel = dwUILevel;
    if (phWnd) {
        const HWND previousParent = currentUiParent;
        currentUiParent = *phWnd;
        *phWnd = previousParent;
    }
    return previous;
}

UINT WINAPI MsiInstallProductW(LPCWSTR szPackagePath, LPCWSTR szCommandLine) {
    recordCall(L"MsiInstallProductW", {argumentText(szPackagePath), argumentText(szCommandLine)});
    signalNamedEvent(scriptedText("InstallStartedEvent"));
    waitForNamedEvent(scriptedText("InstallHeldBy"));
    const FakeMsiScript script = currentScript();
    if (script.integer("InstallCrash", 0) == 1)
        crashInsideTheEngine();
    const long logBytes = script.integer("EngineLogBytes", 0);
    if (!currentLogPath.empty() && logBytes > 0)
        writeEngineLog(logBytes);
    if (!szPackagePath)
        return ERROR_INVALID_PARAMETER;
    return static_cast<UINT>(script.integer("InstallResult", ERROR_SUCCESS));
}

UINT WINAPI MsiApplyPatchW(LPCWSTR szPatchPackage, LPCWSTR szInstallPackage,
                           INSTALLTYPE eInstallType, LPCWSTR szCommandLine) {
    recordCall(L"MsiApplyPatchW",
               {argumentText(szPatchPackage), argumentText(szInstallPackage),
                argumentNumber(static_cast<long>(eInstallType)), argumentText(szCommandLine)});
    const FakeMsiScript script = currentScript();
    if (script.integer("PatchCrash", 0) == 1)
        crashInsideTheEngine();
    if (!szPatchPackage)
        return ERROR_INVALID_PARAMETER;
    if (!currentLogPath.empty() && szCommandLine)
        logProperties(szCommandLine);
    return static_cast<UINT>(script.integer("PatchResult", ERROR_SUCCESS));
}

UINT WINAPI MsiReinstallProductW(LPCWSTR szProduct, DWORD szReinstallMode) {
    recordCall(
        L"MsiReinstallProductW",
        {argumentText(szProduct), argumentNumber(static_cast<unsigned long>(szReinstallMode))});
    if (!szProduct || !isProductCode(szProduct))
        return ERROR_INVALID_PARAMETER;
    return scriptedResult("ReinstallResult");
}

INSTALLSTATE WINAPI MsiQueryProductStateW(LPCWSTR szProduct) {
    recordCall(L"MsiQueryProductStateW", {argumentText(szProduct)});
    if (!szProduct || !isProductCode(szProduct))
        return INSTALLSTATE_INVALIDARG;
    return static_cast<INSTALLSTATE>(currentScript().integer("ProductState", INSTALLSTATE_UNKNOWN));
}

UINT WINAPI MsiGetProductInfoW(LPCWSTR szProduct, LPCWSTR szAttribute, LPWSTR lpValueBuf,
                               DWORD* pcchValueBuf) {
    recordCall(L"MsiGetProductInfoW", {argumentText(szProduct), argumentText(szAttribute)});
    if (!szProduct || !isProductCode(szProduct) || !szAttribute || (lpValueBuf && !pcchValueBuf))
        return ERROR_INVALID_PARAMETER;
    const auto version = scriptedText("InstalledVersion");
    if (!version)
        return ERROR_UNKNOWN_PRODUCT;
    if (std::wstring(szAttribute) != L"VersionString")
        return ERROR_UNKNOWN_PROPERTY;
    return copyToCaller(*version, lpValueBuf, pcchValueBuf);
}

UINT WINAPI MsiEnableLogW(DWORD dwLogMode, LPCWSTR szLogFile, DWORD dwLogAttributes) {
    recordCall(L"MsiEnableLogW",
               {argumentNumber(static_cast<unsigned long>(dwLogMode)), argumentText(szLogFile),
                argumentNumber(static_cast<unsigned long>(dwLogAttributes))});
    currentLogPath = szLogFile ? szLogFile : L"";
    return ERROR_SUCCESS;
}

UINT WINAPI MsiOpenDatabaseW(LPCWSTR szDatabasePath, LPCWSTR szPersist, MSIHANDLE* phDatabase) {
    // The persist argument is one of the MSIDBOPEN_* numbers cast to a pointer, or an output
    // path; only the numbers are in use here.
    const auto persist = reinterpret_cast<ULONG_PTR>(szPersist);
    recordCall(L"MsiOpenDatabaseW",
               {argumentText(szDatabasePath),
                persist < 0x10000 ? argumentNumber(static_cast<unsigned long>(persist))
                                  : argumentText(szPersist)});
    if (!szDatabasePath || !phDatabase)
        return ERROR_INVALID_PARAMETER;
    const UINT result = scriptedResult("OpenDatabaseResult");
    if (result != ERROR_SUCCESS)
        return result;
    *phDatabase = handles().open(HandleKind::Database, szDatabasePath);
    return ERROR_SUCCESS;
}

UINT WINAPI MsiDatabaseOpenViewW(MSIHANDLE hDatabase, LPCWSTR szQuery, MSIHANDLE* phView) {
    recordCall(L"MsiDatabaseOpenViewW", {argumentNumber(hDatabase), argumentText(szQuery)});
    if (!szQuery || !phView)
        return ERROR_INVALID_PARAMETER;
    if (!handles().isOpen(hDatabase, HandleKind::Database))
        return ERROR_INVALID_HANDLE;
    const auto property = propertyNameFromQuery(szQuery);
    if (!property)
        return ERROR_BAD_QUERY_SYNTAX;
    *phView = handles().open(HandleKind::View, *property);
    return ERROR_SUCCESS;
}

UINT WINAPI MsiViewExecute(MSIHANDLE hView, MSIHANDLE hRecord) {
    recordCall(L"MsiViewExecute", {argumentNumber(hView), argumentNumber(hRecord)});
    return handles().execute(hView) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

UINT WINAPI MsiViewFetch(MSIHANDLE hView, MSIHANDLE* phRecord) {
    recordCall(L"MsiViewFetch", {argumentNumber(hView)});
    if (!phRecord)
        return ERROR_INVALID_PARAMETER;
    *phRecord = 0;
    std::wstring property;
    switch (handles().fetch(hView, property)) {
    case HandleTable::FetchOutcome::InvalidHandle:
        return ERROR_INVALID_HANDLE;
    case HandleTable::FetchOutcome::NotExecuted:
        return ERROR_FUNCTION_FAILED;
    case HandleTable::FetchOutcome::Exhausted:
        return ERROR_NO_MORE_ITEMS;
    case HandleTable::FetchOutcome::Row:
        break;
    }
    const auto value = scriptedText(toUtf8(property));
    if (!value)
        return ERROR_NO_MORE_ITEMS;
    *phRecord = handles().open(HandleKind::Record, *value);
    return ERROR_SUCCESS;
}

UINT WINAPI MsiRecordGetStringW(MSIHANDLE hRecord, UINT iField, LPWSTR szValueBuf,
                                DWORD* pcchValueBuf) {
    recordCall(L"MsiRecordGetStringW",
               {argumentNumber(hRecord), argumentNumber(static_cast<unsigned long>(iField))});
    const auto value = handles().text(hRecord, HandleKind::Record);
    if (!value)
        return ERROR_INVALID_HANDLE;
    // A fetched row of `SELECT Value` has its value in field 1; other fields read as empty.
    return copyToCaller(iField == 1 ? *value : std::wstring(), szValueBuf, pcchValueBuf);
}

UINT WINAPI MsiRecordReadStream(MSIHANDLE hRecord, UINT iField, char* szDataBuf,
                                DWORD* pcbDataBuf) {
    recordCall(L"MsiRecordReadStream",
               {argumentNumber(hRecord), argumentNumber(static_cast<unsigned long>(iField))});
    (void)szDataBuf;
    (void)pcbDataBuf;
    if (!handles().isOpen(hRecord, HandleKind::Record))
        return ERROR_INVALID_HANDLE;
    // The fake's rows hold strings only; the engine refuses to stream a string field.
    return ERROR_INVALID_DATATYPE;
}

UINT WINAPI MsiGetSummaryInformationW(MSIHANDLE hDatabase, LPCWSTR szDatabasePath,
                                      UINT uiUpdateCount, MSIHANDLE* phSummaryInfo) {
    recordCall(L"MsiGetSummaryInformationW",
               {argumentNumber(hDatabase), argumentText(szDatabasePath),
                argumentNumber(static_cast<unsigned long>(uiUpdateCount))});
    if (!phSummaryInfo || (hDatabase == 0 && !szDatabasePath))
        return ERROR_INVALID_PARAMETER;
    if (hDatabase != 0 && !handles().isOpen(hDatabase, HandleKind::Database))
        return ERROR_INVALID_HANDLE;
    *phSummaryInfo = handles().open(HandleKind::SummaryInfo);
    return ERROR_SUCCESS;
}

UINT WINAPI MsiSummaryInfoGetPropertyW(MSIHANDLE hSummaryInfo, UINT uiProperty, UINT* puiDataType,
                                       INT* piValue, FILETIME* pftValue, LPWSTR szValueBuf,
                                       DWORD* pcchValueBuf) {
    recordCall(
        L"MsiSummaryInfoGetPropertyW",
        {argumentNumber(hSummaryInfo), argumentNumber(static_cast<unsigned long>(uiProperty))});
    (void)piValue;
    (void)pftValue;
    if (!handles().isOpen(hSummaryInfo, HandleKind::SummaryInfo))
        return ERROR_INVALID_HANDLE;
    const auto value = uiProperty == kSummaryTemplate   ? scriptedText("Template")
                       : uiProperty == kSummaryRevision ? scriptedText("PatchCode")
                                                        : std::optional<std::wstring>();
    if (!value) {
        // The engine's answer for a property the package does not carry.
        if (puiDataType)
            *puiDataType = VT_EMPTY;
        return ERROR_SUCCESS;
    }
    if (puiDataType)
        *puiDataType = VT_LPSTR;
    return copyToCaller(*value, szValueBuf, pcchValueBuf, NullBuffer::IsTooSmall);
}

UINT WINAPI MsiCloseHandle(MSIHANDLE hAny) {
    recordCall(L"MsiCloseHandle", {argumentNumber(hAny)});
    if (hAny == 0)
        return ERROR_SUCCESS;
    return handles().close(hAny) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
