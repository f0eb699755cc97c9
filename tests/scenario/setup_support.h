#pragma once
// What setup.exe scenarios share: the test packages and their product codes, the real installer
// engine of the prefix, the fake engine, and the texts setup.exe shows.
#include "harness.h"
#include "harness_error.h" // Utf8

#include "foundation/handles.h"

#include <gtest/gtest.h>
#include <msi.h>

#include <string>
#include <vector>

namespace scenario {

extern const wchar_t kAlphaCode[]; // Alpha Suite 1.0.0 and 2.0.0 (same product code)
extern const wchar_t kBetaCode[];  // Beta Tool, no language-neutral name
extern const wchar_t kDeltaCode[]; // Delta x64
extern const wchar_t kGammaCode[]; // Gamma RU, product language 1049

// A package built from tests/packages, e.g. L"product_v1.msi".
std::wstring PackagePath(const std::wstring& fileName);

// The real engine of the prefix.
int ProductState(const wchar_t* productCode); // MsiQueryProductStateW
std::wstring InstalledVersion(const wchar_t* productCode);
unsigned InstallDirectly(const std::wstring& package, const std::wstring& commandLine = L"");
void RemoveProduct(const wchar_t* productCode); // quietly, when installed
bool Is64BitWindows();

// A string resource of setup.exe in a language (0 = the language-neutral English table).
std::wstring SetupString(unsigned id, unsigned short language = 0);
std::wstring FormatSetupString(unsigned id, const std::wstring& argument,
                               unsigned short language = 0);

// "[Main]\r\n" followed by the given lines, each ended with "\r\n".
std::string MainSection(const std::vector<std::string>& lines);

// Puts `source` (nothing when empty) in place of a DLL of the prefix's system folder for one
// scenario, and the prefix's own back afterwards.
class SystemDllStandIn {
public:
    SystemDllStandIn(const wchar_t* dllName, const std::wstring& source);
    ~SystemDllStandIn();
    SystemDllStandIn(const SystemDllStandIn&) = delete;
    SystemDllStandIn& operator=(const SystemDllStandIn&) = delete;

private:
    std::wstring dll_, saved_;
};

// Adds "<name>=n" to the child's WINEDLLOVERRIDES, keeping the overrides already chosen.
void SelectNativeDll(RunOptions& options, const std::wstring& name);

// The fake msi.dll of the tests, placed in the system folder for one scenario and selected for
// the child with a DLL override. It answers from a script and records the calls it gets.
class FakeEngine {
public:
    enum Kind { Complete, WithoutAnEntryPoint };
    FakeEngine(const ScenarioFolder& folder, const std::string& script, Kind kind = Complete);
    ~FakeEngine();
    FakeEngine(const FakeEngine&) = delete;
    FakeEngine& operator=(const FakeEngine&) = delete;

    void selectFor(RunOptions& options) const;
    std::vector<std::string> calls() const; // one "Function|arg|arg" line per call
    std::vector<std::string> calls(const std::string& function) const;
    // How often the fake was loaded in the scenario's processes (counted only with a script line
    // EntryPointGoneAfterLoads, see fake_msi_loads.cpp).
    std::size_t loads() const;

private:
    std::wstring scriptPath_, recordPath_;
    SystemDllStandIn dll_;
};

// The fake MAPI32.DLL of the tests (a Simple MAPI provider that records each message), in the
// system folder, beside setup.exe (the system folder then has none), or missing.
class FakeMail {
public:
    enum Placement { InSystemFolder, BesideSetup, Missing };
    FakeMail(const ScenarioFolder& folder, Placement placement = InSystemFolder);
    // `result` is MAPISendMail's answer; "crash" makes it raise an access violation.
    void selectFor(RunOptions& options, const std::wstring& result = L"0") const;
    // Per call: flags, recipient count, class, name, address, subject, note text, attachment
    // count, path, position, file name; texts as the bytes received.
    std::vector<std::vector<std::string>> sent() const;

private:
    std::wstring recordPath_;
    SystemDllStandIn dll_;
};

// A name no other event of the run has, containing `what`.
std::wstring UniqueEventName(const wchar_t* what);

// A named event that a program of the scenario sets or waits for (the fake engine, exit_code.exe),
// so that a test waits for what a program did rather than for a guessed time. It is set when it
// goes out of scope, so that a failed check never leaves a program waiting.
class NamedEvent {
public:
    explicit NamedEvent(const std::wstring& name);
    ~NamedEvent();
    NamedEvent(const NamedEvent&) = delete;
    NamedEvent& operator=(const NamedEvent&) = delete;

    const std::wstring& name() const { return name_; }
    void set() const;
    // False when the event was not set within the time.
    bool wait(DWORD timeoutMs = 60000) const;

private:
    std::wstring name_;
    UniqueKernelHandle event_;
};

// Holds the fake engine inside MsiInstallProductW, for a test that acts while a run is in the
// middle of its install: the run gets there, waits, and goes on when released (or when the hold
// goes out of scope).
class InstallHold {
public:
    InstallHold()
        : started_(UniqueEventName(L"install_started")),
          released_(UniqueEventName(L"install_released")) {}

    std::string scriptLines() const; // for FakePackageScript
    // False when no run reached the engine's install within the time.
    bool waitUntilInstalling(DWORD timeoutMs = 60000) const { return started_.wait(timeoutMs); }
    void release() const { released_.set(); }

private:
    NamedEvent started_, released_;
};

// The script lines that make the fake answer for a readable 32-bit package "Fake Product" 1.0.
std::string FakePackageScript(const std::string& extraLines = "");

// A fresh folder with setup.exe, a placeholder product.msi, a setup ini naming it (plus the given
// lines) and the fake engine answering for it as "Fake Product" 1.0.0.
struct FakeProductFolder {
    FakeProductFolder(const std::wstring& name, const std::vector<std::string>& iniLines = {},
                      const std::string& script = FakePackageScript(),
                      FakeEngine::Kind kind = FakeEngine::Complete);
    RunResult run(RunOptions options);
    RunResult run(const std::wstring& commandLine, std::vector<int> answers = {});
    void writeIni(std::vector<std::string> iniLines);
    std::wstring package() const { return folder.path() + L"\\product.msi"; }

    ScenarioFolder folder;
    FakeEngine engine;
};

// The whole-line check with the prefix stripped, or a readable failure listing the entries.
::testing::AssertionResult HasLogLine(const RunResult& result, const std::wstring& line);
// The run left exactly one log, and the text is nowhere in it.
::testing::AssertionResult LacksLogText(const RunResult& result, const std::wstring& text);

} // namespace scenario
