// The prerequisites dialog at full UI, driven as a user would: what it lists, how the marks and
// the OK caption react to the mouse and the space key, what the install loop and the closing
// question do, and the download dialog with its link.
#include "dialog_input.h"
#include "dialog_reading.h"
#include "prerequisite_support.h"
#include "tests/common/url_handler.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace scenario {
namespace {

constexpr int kListId = 10010, kHeaderId = 1001, kNotesId = 10013;
constexpr int kMessageId = 1004, kLinkId = 1005;
constexpr int kUnticked = 0, kTicked = 1, kNoBox = 2;
const wchar_t kTitle[] = L"Fake Product (1.0.0) Setup";
const wchar_t kCancelLine[] = L"Installetion of prerequisites canceled by user.";

const std::string kMissing =
    std::string("RegPath=") + kTestKeyPath + "\\Missing\r\nRegCond=DWORD=1";

// A section whose installer is exit_code.exe ending with `code` and recording its run in
// "ran.txt". Detection lists it through a registry condition that never holds, unless `extra`
// brings a test of its own.
std::string Record(int number, const std::string& name, std::vector<std::string> extra = {},
                   int code = 0) {
    std::vector<std::string> lines = {"Name=" + name, "InstPath=#Root#\\exit_code.exe",
                                      "InstParams=\"#InstPath#\" " + std::to_string(code) +
                                          " #Root#\\ran.txt"};
    if (extra.empty() || extra[0].compare(0, 11, "RunExeCond=") != 0)
        lines.push_back(kMissing);
    lines.insert(lines.end(), extra.begin(), extra.end());
    return Section("PreReq" + std::to_string(number), lines);
}

// What the prerequisites dialog shows at one moment.
struct View {
    std::wstring caption, header, ok, cancel, notes;
    bool notesShown = false, hasPictures = false, okEnabled = false, cancelEnabled = false;
    std::vector<std::wstring> rows;
    std::vector<int> marks;
    int focusId = 0;
    std::vector<int> tabOrder; // from the focused control on, once round
};

int FocusedControlId(HWND dialog) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0;
}

std::vector<int> TabOrder(HWND dialog, int fromId) {
    std::vector<int> order = {fromId};
    for (HWND at = GetNextDlgTabItem(dialog, GetDlgItem(dialog, fromId), FALSE);
         at && GetDlgCtrlID(at) != fromId && order.size() < 10;
         at = GetNextDlgTabItem(dialog, at, FALSE))
        order.push_back(GetDlgCtrlID(at));
    return order;
}

View Read(HWND dialog) {
    View view;
    view.caption = ReadDialog(dialog).caption;
    view.header = ControlText(dialog, kHeaderId);
    view.ok = ControlText(dialog, IDOK);
    view.cancel = ControlText(dialog, IDCANCEL);
    view.notes = ControlText(dialog, kNotesId);
    view.notesShown = IsControlVisible(dialog, kNotesId);
    view.okEnabled = IsControlEnabled(dialog, IDOK);
    view.cancelEnabled = IsControlEnabled(dialog, IDCANCEL);
    const HWND list = GetDlgItem(dialog, kListId);
    view.hasPictures = ListHasSmallImages(list);
    for (const ListRow& row : ReadListRows(list)) {
        view.rows.push_back(row.text);
        view.marks.push_back(row.image);
    }
    view.focusId = FocusedControlId(dialog);
    view.tabOrder = TabOrder(dialog, view.focusId);
    return view;
}

bool IsPrerequisitesDialog(HWND dialog) {
    return HasControl(dialog, kListId);
}
bool IsDownloadDialog(HWND dialog) {
    return HasControl(dialog, kLinkId);
}

HWND List(HWND dialog) {
    return GetDlgItem(dialog, kListId);
}
void ClickRowPicture(HWND dialog, int row) {
    Click(List(dialog), CentreOf(ListItemRect(List(dialog), row, LVIR_ICON)));
}
void ClickRowText(HWND dialog, int row) {
    Click(List(dialog), CentreOf(ListItemRect(List(dialog), row, LVIR_LABEL)));
}
// Below the last row, inside the list.
void ClickBesideRows(HWND dialog) {
    RECT client = {};
    GetClientRect(List(dialog), &client);
    Click(List(dialog), {client.right / 2, client.bottom - 3});
}
void PressSpace(HWND dialog) {
    PressKey(List(dialog), VK_SPACE, L' ');
}

std::wstring Question(const std::vector<std::wstring>& names) {
    std::wstring text = SetupString(155);
    for (const std::wstring& name : names)
        text += FormatSetupString(157, name);
    return text + SetupString(158);
}

class PrerequisiteDialog : public ::testing::Test {
protected:
    void SetUp() override { ClearTestKey(); }
    void TearDown() override { ClearTestKey(); }

    // Runs at full UI; `drive` gets the prerequisites dialog, reads it and ends it.
    template <typename Drive>
    RunResult Run(PrereqFolder& folder, Drive drive, std::vector<int> answers = {},
                  DialogHook other = nullptr) {
        RunOptions options;
        options.commandLine = L"/i";
        options.answers = std::move(answers);
        options.onDialog = [&, other](HWND dialog, const BoxSeen& seen) {
            if (IsPrerequisitesDialog(dialog)) {
                drive(dialog);
                return true;
            }
            return other ? other(dialog, seen) : false;
        };
        return folder.run(options);
    }
};

TEST_F(PrerequisiteDialog, OpensWithTheRowsMarksAndCaptionsOfItsRecords) {
    struct Case {
        const char* name;
        std::string sections;
        std::vector<std::wstring> rows;
        std::vector<int> marks;
        bool pictures;
        unsigned headerId, okId;
    };
    const Case cases[] = {
        {"all required",
         Record(0, "Runtime A") + Record(2, "Runtime B"),
         {L"Runtime A", L"Runtime B"},
         {kNoBox, kNoBox},
         false,
         129,
         130},
        {"optional and required",
         Record(0, "Ticked", {"Optional=1"}) + Record(1, "Unticked", {"Optional=0"}) +
             Record(2, "Required"),
         {L"Ticked", L"Unticked", L"Required"},
         {kTicked, kUnticked, kNoBox},
         true,
         129,
         130},
        {"all unticked",
         Record(0, "One", {"Optional=0"}) + Record(1, "Two", {"Optional=0"}),
         {L"One", L"Two"},
         {kUnticked, kUnticked},
         true,
         129,
         257},
        {"steps",
         Record(0, "Old Tool", {"IsUninstall=1"}) + Record(1, "New Tool"),
         {SetupString(256) + L"Old Tool", SetupString(255) + L"New Tool"},
         {kNoBox, kNoBox},
         false,
         254,
         257},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrereqFolder folder(L"dialog_open", c.sections);
        View view;
        RunResult result = Run(folder, [&](HWND dialog) {
            view = Read(dialog);
            PressButton(dialog, IDCANCEL);
        });
        EXPECT_EQ(view.caption, kTitle);
        EXPECT_EQ(view.header, FormatSetupString(c.headerId, L"Fake Product"));
        EXPECT_EQ(view.rows, c.rows);
        EXPECT_EQ(view.marks, c.marks);
        EXPECT_EQ(view.hasPictures, c.pictures);
        EXPECT_EQ(view.ok, SetupString(c.okId));
        EXPECT_EQ(view.cancel, SetupString(131));
        EXPECT_FALSE(view.notesShown) << "no record has a note";
        EXPECT_EQ(view.tabOrder, (std::vector<int>{IDOK, IDCANCEL, kListId}))
            << "the keyboard starts on OK and reaches the list";
        EXPECT_TRUE(HasLogLine(result, kCancelLine));
        EXPECT_TRUE(MarkerLines(folder.path(), L"ran.txt").empty()) << "nothing was installed";
        EXPECT_EQ(result.boxes.size(), 1u) << "no question after Cancel";
        EXPECT_EQ(result.exitCode, 3u);
        EXPECT_TRUE(folder.product.engine.calls("MsiInstallProductW").empty());
    }
}

TEST_F(PrerequisiteDialog, MouseFlipsBoxesAndTheOkCaptionSpaceFlipsOnlyTheMark) {
    PrereqFolder folder(L"dialog_marks",
                        Record(0, "First", {"Optional=1"}) + Record(1, "Second", {"Optional=0"}));
    std::vector<View> views;
    RunResult result = Run(folder,
                           [&](HWND dialog) {
                               views.push_back(Read(dialog));
                               ClickRowPicture(dialog, 0); // the last ticked row unticked
                               views.push_back(Read(dialog));
                               ClickBesideRows(dialog);
                               PressSpace(dialog); // no row selected from the keyboard yet
                               views.push_back(Read(dialog));
                               PressKey(List(dialog), VK_DOWN); // selects the first row
                               PressSpace(dialog);
                               views.push_back(Read(dialog));
                               ClickRowText(dialog, 1);
                               ClickRowText(dialog, 1);
                               views.push_back(Read(dialog));
                               PressButton(dialog, IDOK);
                           },
                           {IDNO});
    ASSERT_EQ(views.size(), 5u);
    const std::wstring install = SetupString(130), next = SetupString(257);
    const std::vector<std::pair<std::vector<int>, std::wstring>> expected = {
        {{kTicked, kUnticked}, install},
        {{kUnticked, kUnticked}, next},
        {{kUnticked, kUnticked}, next},
        {{kTicked, kUnticked}, next}, // the space key leaves the caption
        {{kTicked, kUnticked}, install},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(views[i].marks, expected[i].first) << "step " << i;
        EXPECT_EQ(views[i].ok, expected[i].second) << "step " << i;
    }
    // Only the ticked row ran; the unticked one is not asked about.
    const std::wstring root = folder.path();
    ASSERT_EQ(MarkerLines(root, L"ran.txt").size(), 1u);
    EXPECT_TRUE(HasLogLine(result, L"Run component 'First'."));
    ASSERT_EQ(result.boxes.size(), 2u);
    EXPECT_EQ(result.boxes[1].caption, kTitle);
    EXPECT_EQ(result.boxes[1].text, Question({L"First"}));
    EXPECT_EQ(result.exitCode, 3u) << "No: the product is not installed";
    EXPECT_TRUE(folder.product.engine.calls("MsiInstallProductW").empty());
}

TEST_F(PrerequisiteDialog, RequiredRowsIgnoreMouseAndSpaceAndAllRun) {
    PrereqFolder folder(L"dialog_required", Record(0, "Runtime A") + Record(1, "Runtime B"));
    std::vector<View> views;
    RunResult result = Run(folder,
                           [&](HWND dialog) {
                               ClickRowPicture(dialog, 0);
                               ClickRowText(dialog, 1);
                               PressKey(List(dialog), VK_DOWN);
                               PressSpace(dialog);
                               views.push_back(Read(dialog));
                               PressButton(dialog, IDOK);
                           },
                           {IDYES});
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].marks, (std::vector<int>{kNoBox, kNoBox}));
    EXPECT_EQ(views[0].ok, SetupString(130));
    EXPECT_EQ(MarkerLines(folder.path(), L"ran.txt").size(), 2u);
    EXPECT_EQ(EntriesAfter(result, L"Installed prerequisites:", L" '"),
              (std::vector<std::wstring>{L"Runtime A'", L"Runtime B'"}));
    ASSERT_EQ(result.boxes.size(), 2u);
    EXPECT_EQ(result.boxes[1].text, Question({L"Runtime A", L"Runtime B"}));
    EXPECT_EQ(result.exitCode, 0u) << "Yes: the product is installed";
}

TEST_F(PrerequisiteDialog, AllUntickedContinuesWithoutRunningOrAsking) {
    PrereqFolder folder(L"dialog_unticked", Record(0, "One", {"Optional=0"}));
    RunResult result = Run(folder, [&](HWND dialog) { PressButton(dialog, IDOK); });
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.boxes.size(), 1u) << "no closing question";
    EXPECT_TRUE(MarkerLines(folder.path(), L"ran.txt").empty());
    EXPECT_TRUE(LacksLogText(result, L"Try install prerequisites:"));
}

TEST_F(PrerequisiteDialog, StepsModeNeverAsksAboutUninstallSteps) {
    PrereqFolder folder(L"dialog_steps",
                        Record(0, "Old Tool", {"IsUninstall=1"}) + Record(1, "New Tool"));
    RunResult result = Run(folder, [&](HWND dialog) { PressButton(dialog, IDOK); }, {IDYES});
    EXPECT_EQ(MarkerLines(folder.path(), L"ran.txt").size(), 2u);
    ASSERT_EQ(result.boxes.size(), 2u);
    EXPECT_EQ(result.boxes[1].text, Question({L"New Tool"}));
}

TEST_F(PrerequisiteDialog, NotesShowTheirEscapesRewritten) {
    auto noted = [](int number, const std::string& name, const std::string& note) {
        return Record(
            number, name,
            {"RunExeCond=\"C:\\windows\\system32\\cmd.exe\" /c echo " + note + "& exit 3"});
    };
    PrereqFolder folder(L"dialog_notes", noted(0, "Quillex One", "line1\\nline2") +
                                             noted(1, "Quillex Two", "x\\qy"));
    View view;
    Run(folder, [&](HWND dialog) {
        view = Read(dialog);
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_TRUE(view.notesShown);
    EXPECT_EQ(view.notes, L"line1\r\nline2xy");
}

// While the loop runs (here: while a failure box is up) the dialog cannot be ended.
TEST_F(PrerequisiteDialog, LoopKeepsTheDialogOpenCountsRestartsAndReportsFailures) {
    PrereqFolder folder(L"dialog_loop", Record(0, "Restart Started", {}, 1641) +
                                            Record(1, "Needs Restart", {}, 3010));
    HWND mainDialog = nullptr;
    View during;
    RunResult result = Run(
        folder,
        [&](HWND dialog) {
            mainDialog = dialog;
            PressButton(dialog, IDOK);
        },
        {IDOK, IDYES, IDNO},
        [&](HWND box, const BoxSeen&) {
            if (mainDialog && during.caption.empty() && box != mainDialog) {
                during = Read(mainDialog);
                PressButton(mainDialog, IDCANCEL); // Escape sends this
                CloseWithCloseBox(mainDialog);
            }
            return false;
        });
    EXPECT_FALSE(during.okEnabled);
    EXPECT_FALSE(during.cancelEnabled);
    EXPECT_EQ(during.notes, FormatSetupString(136, L"Restart Started"));
    EXPECT_TRUE(LacksLogText(result, kCancelLine));

    ASSERT_EQ(result.boxes.size(), 4u);
    EXPECT_EQ(result.boxes[1].caption, SetupString(135));
    // 1641 comes back from the launcher without a text of its own.
    EXPECT_EQ(result.boxes[1].text, L"Prerequisite 'Restart Started' not installed.\r\n");
    EXPECT_EQ(result.boxes[2].text, Question({L"Restart Started", L"Needs Restart"}));
    EXPECT_EQ(result.boxes[3].text, SetupString(145)) << "3010 asks for a restart at the end";
    EXPECT_EQ(EntriesAfter(result, L"Installed prerequisites:", L" '"),
              (std::vector<std::wstring>{L"Needs Restart'"}));
    EXPECT_EQ(result.exitCode, 3010u);
}

// A component whose installer file is missing but which has a download page.
std::string Downloadable(const std::string& chooseDownload) {
    std::vector<std::string> lines = {"Name=Foo", "Url=setuptest-dl://example/foo",
                                      "InstPath=#Root#\\foo_setup.exe", "FilePath=#Root#\\foo.dll"};
    if (!chooseDownload.empty())
        lines.push_back("ChooseDownload=" + chooseDownload);
    return Section("PreReq0", lines);
}

TEST_F(PrerequisiteDialog, DownloadDialogOffersThePageAndRechecks) {
    enum Ending { RecheckFinds, CancelButton, CloseBox };
    struct Case {
        const char* name;
        std::string chooseDownload;
        Ending ending;
    };
    const Case cases[] = {
        {"recheck finds it", "", RecheckFinds},
        {"cancel", "foo_setup.exe", CancelButton},
        {"close box", "", CloseBox},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrereqFolder folder(L"dialog_download", Downloadable(c.chooseDownload));
        testurl::RecordingUrlHandler handler(L"setuptest-dl", folder.path() + L"\\opened.txt");
        BoxSeen download;
        std::wstring message, link;
        std::string opened;
        bool openAfterFailedRecheck = false;
        RunResult result = Run(
            folder, [&](HWND dialog) { PressButton(dialog, IDOK); }, {IDNO},
            [&](HWND dialog, const BoxSeen& seen) {
                if (!IsDownloadDialog(dialog))
                    return false;
                download = seen;
                message = ControlText(dialog, kMessageId);
                link = ControlText(dialog, kLinkId);
                Click(GetDlgItem(dialog, kLinkId), {3, 3});
                opened = handler.waitForAddress(10000);
                // Still missing: stays open. A dialog that ends hides itself in the handler.
                openAfterFailedRecheck =
                    PressButtonAndWait(dialog, IDOK) && IsWindowVisible(dialog) != FALSE;
                if (c.ending == RecheckFinds) {
                    CopyFileW((folder.path() + L"\\versioned.dll").c_str(),
                              (folder.path() + L"\\foo.dll").c_str(), FALSE);
                    PressButton(dialog, IDOK);
                } else if (c.ending == CancelButton) {
                    PressButton(dialog, IDCANCEL);
                } else {
                    CloseWithCloseBox(dialog);
                }
                return true;
            });
        EXPECT_EQ(download.caption, SetupString(149));
        EXPECT_EQ(link, L"'Foo' download page");
        if (c.chooseDownload.empty())
            EXPECT_EQ(message, L"Installation package for component 'Foo'  is missing. To install "
                               L"it manually:\n\n- Follow link below to download package;\n- "
                               L"Install 'Foo';\n- Press 'Recheck' button to continue "
                               L"installation.");
        else
            EXPECT_EQ(message, L"Installation package for component 'Foo' is missing. To install "
                               L"it manually:\n\n- Follow link below to download package;\n- "
                               L"Press the button Download;\n- Choose the file 'foo_setup.exe';"
                               L"\n- Install 'Foo';\n- Press 'Recheck' button to continue "
                               L"installation.");
        EXPECT_EQ(opened, "setuptest-dl://example/foo");
        EXPECT_TRUE(openAfterFailedRecheck);
        EXPECT_TRUE(LacksLogText(result, L"Installed prerequisites:"));
        EXPECT_TRUE(LacksLogText(result, L"Run component"));
        if (c.ending == RecheckFinds) {
            EXPECT_TRUE(LacksLogText(result, L"Prerequisite 'Foo' not installed."));
            EXPECT_EQ(result.boxes.size(), 2u) << "no closing question";
            EXPECT_EQ(result.exitCode, 0u);
        } else {
            EXPECT_TRUE(HasLogLine(result, L"Prerequisite 'Foo' not installed."));
            ASSERT_EQ(result.boxes.size(), 3u);
            EXPECT_EQ(result.boxes[2].text, Question({L"Foo"}));
        }
    }
}

// Wine's user is always an administrator; the seam takes the rights away for this run.
TEST_F(PrerequisiteDialog, WithoutAdministratorRightsTheLoopStopsAtTheFirstRecordNeedingThem) {
    const std::string copyIn = "InstParams=\"C:\\windows\\system32\\cmd.exe\" /c copy "
                               "#Root#\\versioned.dll #Root#\\first.dll";
    const std::string sections =
        Section("PreReq0", {"Name=First", "InstPath=#Root#\\exit_code.exe", copyIn,
                            "FilePath=#Root#\\first.dll", "AdminNeed=0"}) +
        Record(1, "Second", {"AdminNeed=1"}) + Record(2, "Third");
    PrereqFolder folder(L"dialog_not_admin");
    // The run itself must not need the rights, only the second component.
    folder.product.folder.writeIni(MainSection({"MsiPath=product.msi", "AdminNeed=0"}) + sections);
    RunOptions options;
    options.commandLine = L"/i";
    options.env = {{L"SETUP_TEST_NOT_ADMIN", L"1"}};
    options.answers = {IDOK, IDNO};
    options.onDialog = [](HWND dialog, const BoxSeen&) {
        if (!IsPrerequisitesDialog(dialog))
            return false;
        PressButton(dialog, IDOK);
        return true;
    };
    RunResult result = folder.run(options);
    EXPECT_TRUE(HasLogLine(result, L"Run component 'First'."));
    EXPECT_TRUE(MarkerLines(folder.path(), L"ran.txt").empty()) << "Second and Third never ran";
    EXPECT_TRUE(HasLogEntryStartingWith(result, L"Prerequisite 'Second' not installed."));
    EXPECT_TRUE(result.log.find(L"Prerequisite 'Second' not installed.\r\nNeed admistrative "
                                L"privilege\r\n") != std::wstring::npos);
    EXPECT_TRUE(LacksLogText(result, L"Installed prerequisites:"));
    ASSERT_EQ(result.boxes.size(), 3u);
    EXPECT_EQ(result.boxes[1].caption, SetupString(135));
    EXPECT_EQ(result.boxes[1].text, SetupString(140));
    EXPECT_EQ(result.boxes[2].text, Question({L"Second", L"Third"}));
    EXPECT_EQ(result.exitCode, 3u);
}

} // namespace
} // namespace scenario
