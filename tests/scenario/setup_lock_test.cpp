// The single-instance lock as other processes meet it: objects under its global name that are no
// setup run's, and patch runs, which all share one name.
#include "setup_support.h"

#include <gtest/gtest.h>

#include <sddl.h>

namespace scenario {
namespace {

constexpr wchar_t kFakeProductLock[] = L"Global\\_QXSETUP_{0F0F0F0F-1111-2222-3333-444455556666}";

// Wine 8 has no private namespaces: there a squatted global name leaves the run without a lock.
std::wstring SquatLine(const std::wstring& reason) {
    const bool namespaces =
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreatePrivateNamespaceW") != nullptr;
    return L"Lock name '" + std::wstring(kFakeProductLock) + L"' is " + reason +
           L"; setup goes on " + (namespaces ? L"under its private lock." : L"without it.");
}

struct OwnedHandle {
    explicit OwnedHandle(HANDLE handle) : value(handle) {}
    ~OwnedHandle() {
        if (value)
            CloseHandle(value);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE value;
};

// A mutex under the name with the given security descriptor.
HANDLE MutexWithSecurity(const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return nullptr;
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    HANDLE mutex = CreateMutexW(&attributes, FALSE, kFakeProductLock);
    LocalFree(descriptor);
    return mutex;
}

// Anyone can create the global name first, as any type of object and with any security: no such
// object makes every run end "already run", and the log says what was found.
TEST(SingleInstance, ObjectsUnderTheGlobalNameThatNoSetupMadeAreLeftAlone) {
    const struct {
        const char* what;
        HANDLE (*create)();
        const wchar_t* reason;
    } cases[] = {
        {"an event", [] { return CreateEventW(nullptr, TRUE, FALSE, kFakeProductLock); },
         L"not a mutex"},
        {"a mutex that denies everyone", [] { return MutexWithSecurity(L"D:"); },
         L"closed to this account"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OwnedHandle squat(c.create());
        ASSERT_NE(squat.value, nullptr);
        FakeProductFolder product(L"lock_squatted");
        RunResult result = product.run(L"/i /quiet");
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_TRUE(HasLogLine(result, SquatLine(c.reason)));
        EXPECT_TRUE(LacksLogText(result, L"already run"));
        EXPECT_EQ(product.engine.calls("MsiInstallProductW").size(), 1u);
    }
}

// Sets the event when it goes out of scope, so that a failed check never leaves a hook waiting.
struct SetOnExit {
    HANDLE event;
    ~SetOnExit() { SetEvent(event); }
};

// Patch runs read no package, so every patch run takes the bare name: a second one stops at the
// lock even for another patch, and neither opens its patch to name the lock after it. The first
// run holds the lock while it asks whether to apply its patch.
TEST(SingleInstance, PatchRunsExcludeEachOtherWhateverPatchTheyApply) {
    const std::string ini =
        MainSection({"MsiPatch=1", "Name=Editor", "VersionTarget=2.1", "MsiPath=product.msi"});
    FakeProductFolder first(
        L"patch_lock_first", {},
        FakePackageScript("PatchCode={AAAAAAAA-0000-0000-0000-000000000001}\r\n"));
    first.folder.writeIni(ini);
    OwnedHandle asked(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OwnedHandle answer(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    RunOptions full;
    full.commandLine = L"/i";
    full.answers = {IDNO};
    full.onDialog = [&](HWND, const BoxSeen&) {
        SetEvent(asked.value);
        WaitForSingleObject(answer.value, 60000);
        return false; // the harness answers: No
    };
    first.engine.selectFor(full);
    ScenarioFolder::Running running = first.folder.start(full);
    SetOnExit release{answer.value};
    ASSERT_EQ(WaitForSingleObject(asked.value, 60000), WAIT_OBJECT_0)
        << "the first run never asked";

    ScenarioFolder second(L"patch_lock_second");
    second.writeIni(ini);
    second.writeFile(L"product.msi", "placeholder");
    second.writeFile(L"script.txt",
                     FakePackageScript("PatchCode={CCCCCCCC-0000-0000-0000-000000000003}\r\n"));
    RunOptions quiet;
    quiet.commandLine = L"/i /quiet";
    first.engine.selectFor(quiet);
    quiet.env.push_back({L"FAKE_MSI_SCRIPT", second.path() + L"\\script.txt"});
    RunResult turnedAway = second.run(quiet);
    SetEvent(answer.value);
    RunResult firstResult = running.finish();

    EXPECT_EQ(turnedAway.exitCode, 3u);
    // A patch run knows no product name from a package.
    EXPECT_TRUE(HasLogLine(turnedAway, L"Installation or deployment of product '' already run."));
    EXPECT_EQ(firstResult.exitCode, 0u) << "declined: nothing applied";
    ASSERT_EQ(firstResult.boxes.size(), 1u);
    EXPECT_EQ(firstResult.boxes[0].text, L"Do you want to apply patch '2.1' to 'Editor'?");
    EXPECT_TRUE(first.engine.calls("MsiApplyPatchW").empty());
    EXPECT_TRUE(first.engine.calls("MsiGetSummaryInformationW").empty());
}

} // namespace
} // namespace scenario
