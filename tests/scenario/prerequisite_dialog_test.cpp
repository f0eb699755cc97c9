// The prerequisites dialog at full UI, driven as a user would: what it lists, how the marks and
// the OK caption react to the mouse and the space key, what the install loop and the closing
// question do, and the download dialog with its link.
#include "dialog_input.h"
#include "dialog_reading.h"
#include "prerequisite_support.h"
#include "tests/common/url_handler.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <optional>

namespace scenario {
namespace {

constexpr int kListId = 10010, kHeaderId = 1001, kNotesId = 10013;
constexpr int kMessageId = 1004, kLinkId = 1005;
constexpr int kUnticked = 0, kTicked = 1, kNoBox = 2;
// A limit for waits on what the child does: reached only when it never happens.
constexpr DWORD kTimeoutMs = 60000;
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

// Listed through a condition program that prints `note` and reports the component missing (only
// names starting with "Quillex" run one).
std::string Noted(int number, const std::string& name, const std::string& note,
                  std::vector<std::string> extra = {}) {
    extra.insert(extra.begin(),
                 "RunExeCond=\"C:\\windows\\system32\\cmd.exe\" /c echo " + note + "& exit 3");
    return Record(number, name, extra);
}

TEST_F(PrerequisiteDialog, NotesShowTheirEscapesRewritten) {
    PrereqFolder folder(L"dialog_notes", Noted(0, "Quillex One", "line1\\nline2") +
                                             Noted(1, "Quillex Two", "x\\qy"));
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

LONG WidthOf(HWND control) {
    RECT place = {};
    GetWindowRect(control, &place);
    return place.right - place.left;
}

// A component whose installer file is missing but which has a download page, written without a
// scheme as packagers often do: it opens as an http address (the prefix's http handler records
// it while a test runs).
std::string Downloadable(const std::string& chooseDownload, const std::string& name = "Foo",
                         const std::string& url = "www.vendor.example/foo") {
    std::vector<std::string> lines = {"Name=" + name, "Url=" + url,
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
        testurl::RecordingUrlHandler handler(L"http", folder.path() + L"\\opened.txt");
        BoxSeen download;
        std::wstring message, link;
        LONG recheckWidth = 0, cancelWidth = 0;
        std::string opened;
        bool openAfterFailedRecheck = false;
        RunResult result = Run(
            folder, [&](HWND dialog) { PressButton(dialog, IDOK); }, {IDNO},
            [&](HWND dialog, const BoxSeen& seen) {
                if (!IsDownloadDialog(dialog))
                    return false;
                download = seen;
                recheckWidth = WidthOf(GetDlgItem(dialog, IDOK));
                cancelWidth = WidthOf(GetDlgItem(dialog, IDCANCEL));
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
        EXPECT_EQ(recheckWidth, cancelWidth);
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
        EXPECT_EQ(opened, "http://www.vendor.example/foo");
        // Through the desktop's shell, not by the elevated setup itself.
        EXPECT_TRUE(HasLogLine(result,
                               L"Opened 'http://www.vendor.example/foo' through the desktop "
                               L"shell, as the signed-in user."));
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

// A Url of another scheme is no download page: the link opens nothing (the click is handled
// before it returns), and the log says why.
TEST_F(PrerequisiteDialog, DownloadPageOfAnotherSchemeIsNeverOpened) {
    const std::string url = "file:///C:/windows/system32/cmd.exe";
    PrereqFolder folder(L"dialog_download_scheme", Downloadable("", "Foo", url));
    bool shown = false;
    RunResult result = Run(
        folder, [&](HWND dialog) { PressButton(dialog, IDOK); }, {IDNO},
        [&](HWND dialog, const BoxSeen&) {
            if (!IsDownloadDialog(dialog))
                return false;
            shown = true;
            Click(GetDlgItem(dialog, kLinkId), {3, 3});
            PressButton(dialog, IDCANCEL);
            return true;
        });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(HasLogLine(result, L"Download page '" + std::wstring(url.begin(), url.end()) +
                                       L"' is no http or https address: not opened."));
    EXPECT_TRUE(LacksLogText(result, L"Opened '"));
    EXPECT_TRUE(LacksLogText(result, L"setup opens it itself"));
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

namespace scenario {
namespace {

constexpr long kMarkStates = STATE_SYSTEM_CHECKED | STATE_SYSTEM_READONLY;

// Tab walks the controls in the order they stand on screen; the rows tell a screen reader their
// marks and announce a flip; the notes box has a name.
TEST_F(PrerequisiteDialog, KeyboardAndScreenReadersReachEveryControlAndEachRowsMark) {
    PrereqFolder folder(L"dialog_a11y", Record(0, "Ticked", {"Optional=1"}) +
                                            Record(1, "Unticked", {"Optional=0"}) +
                                            Noted(2, "Quillex Required", "A note"));
    std::vector<AccessibleItem> rows, notes, afterSpace;
    std::vector<int> tabbed;
    std::vector<long> heard;
    LRESULT uiState = -1;
    RunResult result = Run(folder, [&](HWND dialog) {
        rows = ReadAccessible(List(dialog));
        notes = ReadAccessible(GetDlgItem(dialog, kNotesId));
        uiState = SendMessageW(dialog, WM_QUERYUISTATE, 0, 0);
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(TypeKeys(dialog, {VK_TAB}));
            tabbed.push_back(FocusedControlId(dialog));
        }
        EXPECT_TRUE(
            TypeKeys(dialog, {VK_TAB, VK_TAB})); // to the list: its first row takes the focus
        DWORD processId = 0;
        GetWindowThreadProcessId(dialog, &processId);
        StateChangeListener listener(processId);
        EXPECT_TRUE(TypeKeys(dialog, {VK_SPACE}));
        heard = listener.heard(10000);
        afterSpace = ReadAccessible(List(dialog));
        EXPECT_TRUE(TypeKeys(dialog, {VK_ESCAPE}));
    });
    EXPECT_EQ(uiState, 0) << "focus rectangles and access keys are shown";
    EXPECT_EQ(tabbed, (std::vector<int>{IDCANCEL, kListId, kNotesId, IDOK}));

    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].role, ROLE_SYSTEM_LIST);
    EXPECT_EQ(rows[0].name, FormatSetupString(129, L"Fake Product"));
    const std::vector<std::pair<std::wstring, long>> expected = {
        {L"Ticked", STATE_SYSTEM_CHECKED},
        {L"Unticked", 0},
        {L"Quillex Required", STATE_SYSTEM_CHECKED | STATE_SYSTEM_READONLY}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(rows[i + 1].name, expected[i].first);
        EXPECT_EQ(rows[i + 1].state & kMarkStates, expected[i].second) << expected[i].first;
        EXPECT_EQ(rows[i + 1].role, i < 2 ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_LISTITEM)
            << expected[i].first;
    }
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].name, SetupString(165));
    EXPECT_EQ(notes[0].role, ROLE_SYSTEM_TEXT);

    EXPECT_EQ(heard, std::vector<long>{1}) << "the first row's flip is announced";
    ASSERT_EQ(afterSpace.size(), 4u);
    EXPECT_EQ(afterSpace[1].state & (kMarkStates | STATE_SYSTEM_FOCUSED), STATE_SYSTEM_FOCUSED)
        << "the focused first row, unticked by the space key";
    EXPECT_TRUE(HasLogLine(result, kCancelLine)) << "Escape cancels";
}

// Enter and Space on the focused link open the page (the dialog stays); Enter on the button
// rechecks.
TEST_F(PrerequisiteDialog, DownloadLinkOpensOnEnterOrSpaceAndReadsAsALinkNamedWithItsAmpersand) {
    PrereqFolder folder(L"dialog_link_keys", Downloadable("", "R&D Tools"));
    testurl::RecordingUrlHandler handler(L"http", folder.path() + L"\\opened.txt");
    std::vector<AccessibleItem> link;
    std::wstring message;
    std::string opened, openedBySpace;
    int focusAfterTabs = 0;
    bool openAfterEnter = false;
    RunResult result = Run(
        folder, [&](HWND dialog) { PressButton(dialog, IDOK); }, {},
        [&](HWND dialog, const BoxSeen&) {
            if (!IsDownloadDialog(dialog))
                return false;
            message = ControlText(dialog, kMessageId);
            // Found now: a Recheck would end the dialog at once.
            CopyFileW((folder.path() + L"\\versioned.dll").c_str(),
                      (folder.path() + L"\\foo.dll").c_str(), FALSE);
            EXPECT_TRUE(TypeKeys(dialog, {VK_TAB, VK_TAB}));
            focusAfterTabs = FocusedControlId(dialog);
            link = ReadAccessible(GetDlgItem(dialog, kLinkId));
            EXPECT_TRUE(TypeKeys(dialog, {VK_RETURN}));
            opened = handler.waitForAddress(10000);
            openAfterEnter = IsWindowVisible(dialog) != FALSE;
            DeleteFileW((folder.path() + L"\\opened.txt").c_str());
            EXPECT_TRUE(TypeKeys(dialog, {VK_SPACE}));
            openedBySpace = handler.waitForAddress(10000);
            EXPECT_TRUE(TypeKeys(dialog, {VK_TAB, VK_RETURN}));
            return true;
        });
    EXPECT_EQ(focusAfterTabs, kLinkId);
    ASSERT_FALSE(link.empty());
    EXPECT_EQ(link[0].role, ROLE_SYSTEM_LINK);
    EXPECT_EQ(link[0].name, L"'R&D Tools' download page");
    EXPECT_EQ(link[0].state & (STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSED),
              STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSED);
    EXPECT_NE(message.find(L"'R&D Tools'"), std::wstring::npos);
    EXPECT_EQ(opened, "http://www.vendor.example/foo");
    EXPECT_TRUE(openAfterEnter) << "Enter on the link did not press Recheck";
    EXPECT_EQ(openedBySpace, "http://www.vendor.example/foo");
    EXPECT_TRUE(LacksLogText(result, L"Prerequisite 'R&D Tools' not installed."))
        << "Enter on Recheck found the component";
    EXPECT_EQ(result.exitCode, 0u);
}

std::string Ansi(const std::wstring& text, UINT codePage) {
    const int size =
        WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(codePage, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(size - 1);
    return bytes;
}

RECT PlaceIn(HWND dialog, HWND control) {
    RECT place = {};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// The dialogs' font: "MS Shell Dlg" 8 pt as a DS_SHELLFONT template maps it.
LONG NeededHeight(HWND control, const std::wstring& text) {
    HDC dc = GetDC(control);
    LOGFONTW description = {};
    description.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lstrcpyW(description.lfFaceName, L"MS Shell Dlg 2");
    HFONT font = CreateFontIndirectW(&description);
    const HGDIOBJ previous = SelectObject(dc, font);
    RECT client = {};
    GetClientRect(control, &client);
    DrawTextW(dc, text.c_str(), -1, &client, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(control, dc);
    return client.bottom;
}

// Nothing cut: each text fits its control, no two visible controls overlap, all lie inside the
// window, and the window inside the work area.
void ExpectNothingCut(HWND dialog, const std::vector<int>& textIds) {
    for (int id : textIds) {
        const HWND control = GetDlgItem(dialog, id);
        RECT client = {};
        GetClientRect(control, &client);
        EXPECT_GE(client.bottom, NeededHeight(control, ControlText(dialog, id)))
            << "control " << id;
    }
    std::vector<HWND> shown;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child))
            shown.push_back(child);
    RECT client = {}, overlap = {};
    GetClientRect(dialog, &client);
    for (size_t i = 0; i < shown.size(); ++i) {
        const RECT place = PlaceIn(dialog, shown[i]);
        EXPECT_TRUE(place.bottom <= client.bottom && place.right <= client.right)
            << "control " << GetDlgCtrlID(shown[i]) << " outside the window";
        for (size_t j = i + 1; j < shown.size(); ++j) {
            const RECT other = PlaceIn(dialog, shown[j]);
            EXPECT_FALSE(IntersectRect(&overlap, &place, &other))
                << GetDlgCtrlID(shown[i]) << " overlaps " << GetDlgCtrlID(shown[j]);
        }
    }
    RECT window = {}, area = {};
    GetWindowRect(dialog, &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_TRUE(window.top >= area.top && window.bottom <= area.bottom);
}

TEST_F(PrerequisiteDialog, LongRussianTextsGrowTheDialogsInsteadOfBeingCut) {
    const std::wstring name = L"Распространяемый пакет Microsoft Visual C++ 2015-2022 для "
                              L"платформы x86 с обновлениями безопасности - 14.38.33130";
    const std::string script =
        "Template=Intel;1049\r\nProductName=Quillex Document Studio Professional Edition with "
        "Collaboration Server Extensions and Offline Archive Tools\r\nProductVersion=1.0.0\r\n"
        "ProductLanguage=1049\r\nProductCode={0F0F0F0F-1111-2222-3333-444455556666}\r\n";
    FakeProductFolder product(L"dialog_long_ru", {}, script);
    product.folder.writeIni(
        MainSection({"MsiPath=product.msi"}) +
        Downloadable(Ansi(L"VC_redist.x86.Обновление-безопасности-14.38.33130.exe", 1251),
                     Ansi(name, 1251)));
    RunOptions options;
    options.commandLine = L"/i";
    options.env = {{L"LC_ALL", L"ru_RU.UTF-8"}};
    options.answers = {IDNO};
    bool sawMain = false, sawDownload = false;
    std::wstring message;
    options.onDialog = [&](HWND dialog, const BoxSeen&) {
        if (IsPrerequisitesDialog(dialog)) {
            sawMain = true;
            ExpectNothingCut(dialog, {kHeaderId});
            PressButton(dialog, IDOK);
            return true;
        }
        if (!IsDownloadDialog(dialog))
            return false;
        sawDownload = true;
        message = ControlText(dialog, kMessageId);
        ExpectNothingCut(dialog, {kMessageId, kLinkId});
        PressButton(dialog, IDCANCEL);
        return true;
    };
    RunResult result = product.run(options);
    EXPECT_TRUE(sawMain);
    EXPECT_TRUE(sawDownload);
    EXPECT_NE(message.find(name), std::wstring::npos) << "the name read in the product's code page";
    EXPECT_EQ(result.exitCode, 3u);
}

// Dozens of missing components: the closing question lists the first ones and how many more, so
// that the box with its buttons stays on the screen.
TEST_F(PrerequisiteDialog, ClosingQuestionWithDozensOfComponentsStaysOnTheScreen) {
    constexpr int kCount = 90;
    std::string sections;
    for (int i = 0; i < kCount; ++i)
        sections += Record(i, "Runtime " + std::to_string(i));
    PrereqFolder folder(L"dialog_dozens", sections);
    RECT box = {};
    std::wstring question;
    RunResult result = Run(
        folder, [&](HWND dialog) { PressButton(dialog, IDOK); }, {IDNO},
        [&](HWND dialog, const BoxSeen& seen) {
            if (seen.text.compare(0, SetupString(155).size(), SetupString(155)) == 0) {
                GetWindowRect(dialog, &box);
                question = seen.text;
            }
            return false;
        });
    RECT area = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_TRUE(box.top >= area.top && box.bottom <= area.bottom)
        << box.top << ".." << box.bottom << " in " << area.top << ".." << area.bottom;
    size_t listed = 0;
    for (size_t at = question.find(L" - '"); at != std::wstring::npos;
         at = question.find(L" - '", at + 1))
        ++listed;
    ASSERT_GT(listed, 10u);
    ASSERT_LT(listed, static_cast<size_t>(kCount));
    std::wstring more = SetupString(166);
    more.replace(more.find(L"%d"), 2, std::to_wstring(kCount - listed));
    std::wstring expected = SetupString(155);
    for (size_t i = 0; i < listed; ++i)
        expected += FormatSetupString(157, L"Runtime " + std::to_wstring(i));
    EXPECT_EQ(question, expected + more + SetupString(158));
    EXPECT_EQ(result.exitCode, 3u);
}

// A condition program that runs until the test lets it end: meanwhile the dialog keeps answering
// and can be moved, takes no input, and the outcome is the same as before. The check before the
// dialog ends at once: its hold exists only from the dialog on.
TEST_F(PrerequisiteDialog, WindowAnswersWhileASlowCheckRunsAndTakesNoInput) {
    const std::wstring holdName = UniqueEventName(L"check_ends");
    std::optional<NamedEvent> checkEnds;
    const std::string slow =
        "RunExeCond=\"#Root#\\exit_code.exe\" 3 #Root#\\checking.txt " + Utf8(holdName);
    PrereqFolder folder(L"dialog_slow", Record(0, "Quillex Slow", {slow}));
    const std::wstring marker = folder.path() + L"\\checking.txt";
    bool checkStarted = false, answered = false, moved = false, typed = false;
    RunResult result =
        Run(folder,
            [&](HWND dialog) {
                checkEnds.emplace(holdName);
                DeleteFileW(marker.c_str());
                PressButton(dialog, IDOK);
                checkStarted = WaitFor(
                    [&] { return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; },
                    kTimeoutMs);
                // A thread that does not pump messages for five seconds counts as hung.
                DWORD_PTR ignored = 0;
                answered = SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs,
                                               &ignored) != 0;
                RECT before = {}, after = {};
                GetWindowRect(dialog, &before);
                SetWindowPos(dialog, nullptr, before.left + 40, before.top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                GetWindowRect(dialog, &after);
                moved = after.left == before.left + 40;
                // Handled by the dialog while the check still runs: it ends only after this.
                typed = TypeKeys(dialog, {VK_ESCAPE});
                PressButtonAndWait(dialog, IDCANCEL);
                checkEnds->set();
            },
            {IDNO});
    EXPECT_TRUE(checkStarted);
    EXPECT_TRUE(answered);
    EXPECT_TRUE(moved);
    EXPECT_TRUE(typed);
    EXPECT_TRUE(LacksLogText(result, kCancelLine)) << "Escape and Cancel went unheard";
    ASSERT_EQ(result.boxes.size(), 2u);
    EXPECT_EQ(result.boxes[1].text, Question({L"Quillex Slow"}));
    EXPECT_EQ(result.exitCode, 3u);
}

// Windows sends WM_DPICHANGED when the window moves to a monitor with another scale.
TEST_F(PrerequisiteDialog, RescalesForAMonitorWithAnotherScale) {
    PrereqFolder folder(L"dialog_dpi", Record(0, "Ticked", {"Optional=1"}) + Record(1, "Required"));
    RECT window = {}, suggested = {}, okBefore = {}, okAfter = {}, iconBefore = {}, iconAfter = {};
    int columnWidth = 0;
    RECT listClient = {};
    Run(folder, [&](HWND dialog) {
        GetWindowRect(dialog, &window);
        okBefore = PlaceIn(dialog, GetDlgItem(dialog, IDOK));
        iconBefore = ListItemRect(List(dialog), 0, LVIR_ICON);
        suggested = {window.left, window.top, window.left + (window.right - window.left) * 3 / 2,
                     window.top + (window.bottom - window.top) * 3 / 2};
        SendDpiChanged(dialog, 144, suggested);
        GetWindowRect(dialog, &window);
        okAfter = PlaceIn(dialog, GetDlgItem(dialog, IDOK));
        iconAfter = ListItemRect(List(dialog), 0, LVIR_ICON);
        columnWidth = static_cast<int>(SendMessageW(List(dialog), LVM_GETCOLUMNWIDTH, 0, 0));
        GetClientRect(List(dialog), &listClient);
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_TRUE(EqualRect(&window, &suggested)) << "placed where Windows suggests";
    EXPECT_NEAR(okAfter.right - okAfter.left, (okBefore.right - okBefore.left) * 3 / 2, 1);
    EXPECT_NEAR(okAfter.top, okBefore.top * 3 / 2, 1);
    EXPECT_EQ(iconBefore.right - iconBefore.left, 16);
    EXPECT_EQ(iconAfter.right - iconAfter.left, 24) << "the marks drawn for 144 DPI";
    EXPECT_EQ(columnWidth, listClient.right) << "the column fills the rescaled list";
}

// The controls share one margin on either side, and the notes box is there only with a note: a
// scroll bar only for a note longer than the box, the list taking the room of an absent box.
TEST_F(PrerequisiteDialog, ControlsShareTheMarginsAndTheNotesBoxTakesOnlyTheRoomItNeeds) {
    enum Notes { None, Short, Long };
    const struct Case {
        const char* name;
        Notes notes;
    } cases[] = {{"no note", None}, {"one line", Short}, {"six lines", Long}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string note = c.notes == Long ? "l1\\nl2\\nl3\\nl4\\nl5\\nl6" : "one line";
        PrereqFolder folder(L"dialog_margins", c.notes == None ? Record(0, "Quillex Plain")
                                                               : Noted(0, "Quillex Noted", note));
        RECT header = {}, list = {}, notes = {}, cancel = {}, client = {};
        bool notesShown = false, scrollBar = false;
        Run(folder, [&](HWND dialog) {
            header = PlaceIn(dialog, GetDlgItem(dialog, kHeaderId));
            list = PlaceIn(dialog, List(dialog));
            notes = PlaceIn(dialog, GetDlgItem(dialog, kNotesId));
            cancel = PlaceIn(dialog, GetDlgItem(dialog, IDCANCEL));
            GetClientRect(dialog, &client);
            notesShown = IsControlVisible(dialog, kNotesId);
            scrollBar = (GetWindowLongW(GetDlgItem(dialog, kNotesId), GWL_STYLE) & WS_VSCROLL) != 0;
            PressButton(dialog, IDCANCEL);
        });
        EXPECT_EQ(header.left, list.left);
        EXPECT_EQ(notes.left, list.left);
        // Dialog units become pixels one by one, place and size apart: a pixel either way.
        EXPECT_NEAR(client.right - list.right, list.left, 1) << "the right margin is the left one";
        EXPECT_NEAR(cancel.right, list.right, 1);
        EXPECT_EQ(notesShown, c.notes != None);
        if (c.notes == None)
            EXPECT_EQ(list.bottom, notes.bottom) << "no empty band where the notes would be";
        else
            EXPECT_LT(list.bottom, notes.top);
        EXPECT_EQ(scrollBar, c.notes == Long);
    }
}

} // namespace
} // namespace scenario
