#include "setup_support.h"

#include <msi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace scenario {

const wchar_t kAlphaCode[] = L"{DA3DE55C-1A0C-4ABB-864D-BF44DDFD8210}";
const wchar_t kBetaCode[] = L"{EF74D7CF-23A4-451F-B855-B7B5CEDAB48D}";
const wchar_t kDeltaCode[] = L"{1B33145D-959C-4B1F-89CD-1B5307E03625}";
const wchar_t kGammaCode[] = L"{8CC39B9A-C94C-4642-9C58-CD09EC55A469}";

namespace {
std::wstring SystemFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

std::wstring FromEnvironment(const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD length = GetEnvironmentVariableW(name, buffer, 1024);
    return length && length < 1024 ? WindowsPathFromUnix(buffer) : std::wstring();
}

std::vector<std::string> ReadLines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::ifstream file{std::filesystem::path(path)};
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}
} // namespace

std::wstring PackagePath(const std::wstring& fileName) {
    return BuildPath(L"packages\\" + fileName);
}

int ProductState(const wchar_t* productCode) {
    return MsiQueryProductStateW(productCode);
}

std::wstring InstalledVersion(const wchar_t* productCode) {
    wchar_t buffer[64] = {};
    DWORD size = 64;
    if (MsiGetProductInfoW(productCode, L"VersionString", buffer, &size) != ERROR_SUCCESS)
        return std::wstring();
    return buffer;
}

unsigned InstallDirectly(const std::wstring& package, const std::wstring& commandLine) {
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    return MsiInstallProductW(package.c_str(), commandLine.c_str());
}

void RemoveProduct(const wchar_t* productCode) {
    if (ProductState(productCode) == INSTALLSTATE_UNKNOWN)
        return;
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    MsiConfigureProductW(productCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
}

bool Is64BitWindows() {
    if (sizeof(void*) == 8)
        return true; // the x64 flavour's tests run on 64-bit Windows only
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}

std::wstring SetupString(unsigned id, unsigned short language) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC block = FindResourceExW(self, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!block)
        return std::wstring();
    const WORD* entry = static_cast<const WORD*>(LockResource(LoadResource(self, block)));
    for (unsigned i = 0; i < id % 16; ++i)
        entry += 1 + *entry;
    return std::wstring(reinterpret_cast<const wchar_t*>(entry + 1), *entry);
}

std::wstring FormatSetupString(unsigned id, const std::wstring& argument, unsigned short language) {
    std::wstring format = SetupString(id, language);
    std::wstring text;
    std::size_t placeholder = format.find(L"%s");
    if (placeholder == std::wstring::npos)
        placeholder = format.find(L"% s");
    if (placeholder == std::wstring::npos)
        return format;
    std::size_t length = format.compare(placeholder, 2, L"%s") == 0 ? 2 : 3;
    return format.substr(0, placeholder) + argument + format.substr(placeholder + length);
}

std::string MainSection(const std::vector<std::string>& lines) {
    std::string text = "[Main]\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

SystemDllStandIn::SystemDllStandIn(const wchar_t* dllName, const std::wstring& source)
    : dll_(SystemFile(dllName)), saved_(dll_ + L".saved-by-tests") {
    if (GetFileAttributesW(saved_.c_str()) == INVALID_FILE_ATTRIBUTES)
        MoveFileW(dll_.c_str(), saved_.c_str());
    DeleteFileW(dll_.c_str());
    if (!source.empty() && !CopyFileW(source.c_str(), dll_.c_str(), FALSE))
        ADD_FAILURE() << "cannot place " << Utf8(dll_) << " from " << Utf8(source);
}

SystemDllStandIn::~SystemDllStandIn() {
    DeleteFileW(dll_.c_str());
    MoveFileW(saved_.c_str(), dll_.c_str());
}

void SelectNativeDll(RunOptions& options, const std::wstring& name) {
    for (auto& entry : options.env)
        if (entry.first == L"WINEDLLOVERRIDES") {
            entry.second += L";" + name + L"=n";
            return;
        }
    options.env.push_back({L"WINEDLLOVERRIDES", name + L"=n"});
}

FakeEngine::FakeEngine(const ScenarioFolder& folder, const std::string& script, Kind kind)
    : scriptPath_(folder.path() + L"\\fake_msi_script.txt"),
      recordPath_(folder.path() + L"\\fake_msi_calls.txt"),
      dll_(L"msi.dll",
           FromEnvironment(kind == Complete ? L"FAKE_MSI_DLL" : L"FAKE_MSI_INCOMPLETE_DLL")) {
    std::ofstream(std::filesystem::path(scriptPath_), std::ios::binary) << script;
}

FakeEngine::~FakeEngine() = default;

void FakeEngine::selectFor(RunOptions& options) const {
    SelectNativeDll(options, L"msi");
    options.env.push_back({L"FAKE_MSI_SCRIPT", scriptPath_});
    options.env.push_back({L"FAKE_MSI_RECORD", recordPath_});
}

std::vector<std::string> FakeEngine::calls() const {
    return ReadLines(recordPath_);
}

std::vector<std::string> FakeEngine::calls(const std::string& function) const {
    std::vector<std::string> matching;
    for (const std::string& line : calls())
        if (line.compare(0, function.size() + 1, function + "|") == 0)
            matching.push_back(line);
    return matching;
}

std::size_t FakeEngine::loads() const {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    const std::wstring counter = recordPath_ + L".loads";
    if (!GetFileAttributesExW(counter.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return data.nFileSizeLow;
}

FakeMail::FakeMail(const ScenarioFolder& folder, Placement placement)
    : recordPath_(folder.path() + L"\\fake_mapi_calls.txt"),
      dll_(L"mapi32.dll", placement == InSystemFolder ? FromEnvironment(L"FAKE_MAPI_DLL") : L"") {
    if (placement == BesideSetup)
        CopyFileW(FromEnvironment(L"FAKE_MAPI_DLL").c_str(),
                  (folder.path() + L"\\MAPI32.DLL").c_str(), FALSE);
}

void FakeMail::selectFor(RunOptions& options, const std::wstring& result) const {
    SelectNativeDll(options, L"mapi32");
    options.env.push_back({L"FAKE_MAPI_RECORD", recordPath_});
    options.env.push_back({result == L"crash" ? L"FAKE_MAPI_CRASH" : L"FAKE_MAPI_RESULT",
                           result == L"crash" ? L"1" : result});
}

std::vector<std::vector<std::string>> FakeMail::sent() const {
    std::vector<std::vector<std::string>> calls;
    for (const std::string& line : ReadLines(recordPath_)) {
        std::vector<std::string> fields(1);
        for (char c : line) {
            if (c == '\x1F')
                fields.emplace_back();
            else
                fields.back().push_back(c);
        }
        calls.push_back(fields);
    }
    return calls;
}

std::wstring UniqueEventName(const wchar_t* what) {
    static LONG serial = 0;
    return L"Local\\scenario_" + std::wstring(what) + L"_" +
           std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(InterlockedIncrement(&serial));
}

NamedEvent::NamedEvent(const std::wstring& name)
    : name_(name), event_(CreateEventW(nullptr, TRUE, FALSE, name_.c_str())) {}

NamedEvent::~NamedEvent() {
    set();
}

void NamedEvent::set() const {
    SetEvent(event_.get());
}

bool NamedEvent::wait(DWORD timeoutMs) const {
    return WaitForSingleObject(event_.get(), timeoutMs) == WAIT_OBJECT_0;
}

std::string InstallHold::scriptLines() const {
    return "InstallStartedEvent=" + Utf8(started_.name()) +
           "\r\nInstallHeldBy=" + Utf8(released_.name()) + "\r\n";
}

std::string FakePackageScript(const std::string& extraLines) {
    return "Template=Intel;1033\r\n"
           "ProductName=Fake Product\r\n"
           "ProductVersion=1.0.0\r\n"
           "ProductLanguage=1033\r\n"
           "ProductCode={0F0F0F0F-1111-2222-3333-444455556666}\r\n"
           "ProductNameLangNeutral=Fake Product LN\r\n" +
           extraLines;
}

namespace {
ScenarioFolder& WithPlaceholderPackage(ScenarioFolder& folder) {
    folder.writeFile(L"product.msi", "placeholder");
    return folder;
}
} // namespace

FakeProductFolder::FakeProductFolder(const std::wstring& name,
                                     const std::vector<std::string>& iniLines,
                                     const std::string& script, FakeEngine::Kind kind)
    : folder(name), engine(WithPlaceholderPackage(folder), script, kind) {
    writeIni(iniLines);
}

void FakeProductFolder::writeIni(std::vector<std::string> iniLines) {
    iniLines.push_back("MsiPath=product.msi");
    folder.writeIni(MainSection(iniLines));
}

RunResult FakeProductFolder::run(RunOptions options) {
    engine.selectFor(options);
    return folder.run(options);
}

RunResult FakeProductFolder::run(const std::wstring& commandLine, std::vector<int> answers) {
    RunOptions options;
    options.commandLine = commandLine;
    options.answers = std::move(answers);
    return run(options);
}

namespace {
std::string Entries(const RunResult& result) {
    std::ostringstream out;
    out << "log entries:";
    for (const std::wstring& entry : result.logEntries())
        out << "\n  " << Utf8(entry);
    if (result.logFiles.size() != 1)
        out << "\n(" << result.logFiles.size() << " log files)";
    return out.str();
}
} // namespace

::testing::AssertionResult HasLogLine(const RunResult& result, const std::wstring& line) {
    if (result.logHasLine(line))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no log line \"" << Utf8(line) << "\"\n"
                                         << Entries(result);
}

::testing::AssertionResult LacksLogText(const RunResult& result, const std::wstring& text) {
    // Without the run's one log, every text is missing: that proves nothing.
    if (result.logFiles.size() != 1)
        return ::testing::AssertionFailure()
               << "no single log to look for \"" << Utf8(text) << "\" in\n"
               << Entries(result);
    if (result.log.find(text) == std::wstring::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "unexpected \"" << Utf8(text) << "\" in the log\n"
                                         << Entries(result);
}

} // namespace scenario
