// The window of the prerequisites dialog: template 129, its list of components with their tick
// marks, the notes box and the two buttons.
#include "ui/main_dlg.h"

#include "foundation/lang_strings.h"
#include "foundation/message_box.h"
#include "foundation/setup_log.h"
#include "prereq/detection.h"
#include "resources/resource_ids.h"
#include "ui/note_text.h"

#include <vector>

#include <commctrl.h>
#include <oleacc.h>
#include <windowsx.h>

namespace {

// Row marks: the image index of the row; 2 has no picture (a required component).
constexpr int kUnticked = 0, kTicked = 1, kNoBox = 2;
constexpr UINT_PTR kListSubclassId = 1;
// The closing question's own lines besides the components: its caption, first line, question and
// buttons with their margins.
constexpr long kQuestionFrameLines = 8;

int MarkOf(const Prerequisite& record) {
    switch (record.OptionalState) {
    case OptionalTicked:
        return kTicked;
    case OptionalUnticked:
        return kUnticked;
    default:
        return kNoBox;
    }
}

// The pictures stretched to `size` pixels when they have another size.
HIMAGELIST Resized(HIMAGELIST pictures, int size) {
    int width = 0, height = 0;
    if (!pictures || (ImageList_GetIconSize(pictures, &width, &height) && width == size))
        return pictures;
    HIMAGELIST resized = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 2, 0);
    for (int i = 0; resized && i < ImageList_GetImageCount(pictures); ++i) {
        UniqueIcon icon(ImageList_GetIcon(pictures, i, ILD_NORMAL));
        ImageList_AddIcon(resized, icon.get());
    }
    ImageList_Destroy(pictures);
    return resized;
}

// The list control's own check-box pictures (unticked, ticked), taken from a list that has them,
// at 16 pixels for 96 DPI.
HIMAGELIST CheckBoxPictures(HWND parent, int dpi) {
    HWND probe = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 0, 0, parent,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!probe)
        return nullptr;
    ListView_SetExtendedListViewStyleEx(probe, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    HIMAGELIST pictures = ImageList_Duplicate(ListView_GetImageList(probe, LVSIL_STATE));
    DestroyWindow(probe);
    return Resized(pictures, MulDiv(16, dpi, 96));
}

int ClientWidth(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return client.right;
}

} // namespace

INT_PTR CMainDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnOpen();
        return FALSE; // the focus is set
    case WM_COMMAND:
        if (CommandId(wParam) == IDOK)
            OnInstall();
        else if (CommandId(wParam) == IDCANCEL) // also Escape and the close box
            OnCancel();
        else
            return FALSE;
        return TRUE;
    case CDownloadRun::kProgressMessage:
        download_.Show();
        return TRUE;
    case WM_NCDESTROY:
        RemoveWindowSubclass(list_, ListProc, kListSubclassId);
        return FALSE;
    }
    return FALSE;
}

void CMainDlg::OnOpen() {
    CentreOnOwner();
    SetApplicationIcons();
    SetWindowTextW(Window(), title_.c_str());
    cancel_ = Item(IDCANCEL);
    SetWindowTextW(cancel_, LoadLangString(IDS_BUTTON_CANCEL).c_str());

    bool installsSomething = false;
    for (const Prerequisite& record : records_) {
        stepsMode_ = stepsMode_ || record.IsUninstall != 0;
        installsSomething = installsSomething || record.OptionalState != OptionalUnticked;
        tickMarksEnabled_ = tickMarksEnabled_ || record.OptionalState != OptionalRequired;
    }
    const unsigned okCaption =
        !stepsMode_ && installsSomething ? IDS_BUTTON_INSTALL : IDS_BUTTON_CONTINUE;
    SetItemText(IDC_HEADER,
                FormatLangString(stepsMode_ ? IDS_STEPS_REQUIRED : IDS_COMPONENTS_REQUIRED,
                                 productName_.c_str()));
    SetItemText(IDOK, LoadLangString(okCaption));
    if (GrowToFitText(IDC_HEADER)) // a long product name or translation wraps
        CentreOnOwner();

    notes_ = Item(IDC_NOTES);
    download_.Attach(Window(), notes_, Item(IDC_DOWNLOAD_PROGRESS), cancel_);
    notesName_.Set(LoadLangString(IDS_NOTES_NAME));
    notesAccess_.Attach(notes_, notesName_);
    SetUpList();
    FillList();
    SetFocus(Item(IDOK));
}

void CMainDlg::SetUpList() {
    list_ = Item(IDC_PREREQUISITE_LIST);
    notesGap_ = MulDiv(PlaceOf(notes_).top - PlaceOf(list_).bottom, 96, Dpi());
    SetWindowSubclass(list_, ListProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
    listAccess_.Attach(list_, *this);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = ClientWidth(list_);
    ListView_InsertColumn(list_, 0, &column);
    if (tickMarksEnabled_) {
        SetMarkPictures();
        ListView_SetExtendedListViewStyleEx(list_, LVS_EX_LABELTIP, LVS_EX_LABELTIP);
    }
}

void CMainDlg::FillList() {
    ListView_DeleteAllItems(list_);
    const std::wstring install = LoadLangString(IDS_ACTION_INSTALL);
    const std::wstring uninstall = LoadLangString(IDS_ACTION_UNINSTALL);
    for (size_t i = 0; i < records_.size(); ++i) {
        const Prerequisite& record = records_[i];
        std::wstring text = record.Name;
        if (stepsMode_)
            text = (record.IsUninstall != 0 ? uninstall : install) + record.Name;
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.iImage = MarkOf(record);
        item.pszText = &text[0];
        ListView_InsertItem(list_, &item);
    }
    ShowNotes();
}

// Wide enough for the longest row (the list scrolls sideways then), never narrower than the list
// itself.
void CMainDlg::FitColumn() {
    ListView_SetColumnWidth(list_, 0, LVSCW_AUTOSIZE);
    if (ListView_GetColumnWidth(list_, 0) < ClientWidth(list_))
        ListView_SetColumnWidth(list_, 0, ClientWidth(list_));
}

void CMainDlg::SetMarkPictures() {
    if (HIMAGELIST old =
            ListView_SetImageList(list_, CheckBoxPictures(Window(), Dpi()), LVSIL_SMALL))
        ImageList_Destroy(old);
}

void CMainDlg::OnDpiChanged() {
    if (tickMarksEnabled_)
        SetMarkPictures();
    ShowNotesBox(notesShown_);
}

void CMainDlg::ShowNotes() {
    std::wstring notes;
    for (const Prerequisite& record : records_)
        notes += record.Note;
    const std::wstring shown = ExpandNoteEscapes(notes);
    SetWindowTextW(notes_, shown.c_str());
    ShowNotesBox(!shown.empty());
}

// The notes box below the list while it has something to say; without it the list takes its
// room rather than leaving an empty band.
void CMainDlg::ShowNotesBox(bool shown) {
    const RECT list = PlaceOf(list_), notes = PlaceOf(notes_);
    const LONG bottom = shown ? notes.top - MulDiv(notesGap_, Dpi(), 96) : notes.bottom;
    SetWindowPos(list_, nullptr, 0, 0, list.right - list.left, bottom - list.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(notes_, shown ? SW_SHOW : SW_HIDE);
    notesShown_ = shown;
    FitNotesScrollBar();
    FitColumn();
}

// A scroll bar only for a text longer than the box, which holds three lines of its font (the
// template's 31 units high, a unit being an eighth of the font's height).
void CMainDlg::FitNotesScrollBar() {
    ShowScrollBar(notes_, SB_VERT, SendMessageW(notes_, EM_GETLINECOUNT, 0, 0) > 3);
}

int CMainDlg::Mark(int row) const {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    return ListView_GetItem(list_, &item) ? item.iImage : kNoBox;
}

void CMainDlg::FlipMark(int row) {
    const int mark = Mark(row);
    if (mark == kNoBox)
        return;
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = mark == kUnticked ? kTicked : kUnticked;
    ListView_SetItem(list_, &item);
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, list_, OBJID_CLIENT, row + 1);
}

// Tabbing into the list lands on a row, so that the focus shows and the space key has a row.
void CMainDlg::OnListFocus() {
    if (ListView_GetNextItem(list_, -1, LVNI_FOCUSED) >= 0 || ListView_GetItemCount(list_) == 0)
        return;
    ListView_SetItemState(list_, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    ListView_SetSelectionMark(list_, 0);
}

long CMainDlg::ChildCount() const {
    return ListView_GetItemCount(list_);
}

bool CMainDlg::Name(long child, std::wstring& name) const {
    wchar_t text[512] = {};
    if (child == CHILDID_SELF) // the header says what the list holds
        GetDlgItemTextW(Window(), IDC_HEADER, text, 512);
    else
        ListView_GetItemText(list_, child - 1, 0, text, 512);
    name = text;
    return true;
}

long CMainDlg::Role(long child) const {
    if (child == CHILDID_SELF)
        return ROLE_SYSTEM_LIST;
    return Mark(child - 1) == kNoBox ? ROLE_SYSTEM_LISTITEM : ROLE_SYSTEM_CHECKBUTTON;
}

// Ticked: checked; required: checked and read-only; unticked: neither.
long CMainDlg::State(long child) const {
    if (child == CHILDID_SELF)
        return -1;
    const int row = child - 1;
    const UINT item = ListView_GetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED);
    long state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (item & LVIS_SELECTED)
        state |= STATE_SYSTEM_SELECTED;
    if ((item & LVIS_FOCUSED) && GetFocus() == list_)
        state |= STATE_SYSTEM_FOCUSED;
    const int mark = Mark(row);
    if (mark != kUnticked)
        state |= STATE_SYSTEM_CHECKED;
    if (mark == kNoBox)
        state |= STATE_SYSTEM_READONLY;
    return state;
}

void CMainDlg::UpdateOkCaption() {
    bool installsSomething = false;
    for (int row = 0; row < ListView_GetItemCount(list_); ++row)
        installsSomething = installsSomething || Mark(row) != kUnticked;
    SetItemText(IDOK, LoadLangString(installsSomething ? IDS_BUTTON_INSTALL : IDS_BUTTON_CONTINUE));
}

void CMainDlg::OnListClick(LPARAM point) {
    LVHITTESTINFO hit = {};
    hit.pt = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    const int row = ListView_HitTest(list_, &hit);
    if (row < 0 || !(hit.flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL)))
        return;
    FlipMark(row);
    if (!stepsMode_)
        UpdateOkCaption();
}

// Space flips the row last selected from the keyboard; the caption stays as it is.
void CMainDlg::OnListChar(WPARAM character) {
    if (character != L' ')
        return;
    const int row = ListView_GetSelectionMark(list_);
    if (row >= 0)
        FlipMark(row);
}

// Clicks and typing belong to the marks: the list neither selects, focuses nor searches on them.
LRESULT CALLBACK CMainDlg::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR self) {
    auto* dialog = reinterpret_cast<CMainDlg*>(self);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: // a quick second click flips the mark back
        if (dialog->tickMarksEnabled_)
            dialog->OnListClick(lParam);
        return 0;
    case WM_CHAR:
        if (dialog->tickMarksEnabled_)
            dialog->OnListChar(wParam);
        return 0;
    case WM_SETFOCUS:
        dialog->OnListFocus();
        break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

void CMainDlg::OnInstall() {
    for (size_t i = 0; i < records_.size(); ++i)
        records_[i].Selected = !tickMarksEnabled_ || Mark(static_cast<int>(i)) != kUnticked;
    RunInstallLoop();
    EndWith(AskToContinue());
}

// While installers run the window keeps painting, but nothing may end it or start a second loop.
void CMainDlg::RunInstallLoop() {
    const BusyScope busy(*this);
    const HMENU systemMenu = GetSystemMenu(Window(), FALSE);
    EnableMenuItem(systemMenu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    EnableWindow(Item(IDOK), FALSE);
    EnableWindow(cancel_, FALSE);
    InstallSelected(records_, *this, rebootNeeded_);
    EnableWindow(Item(IDOK), TRUE);
    EnableWindow(cancel_, TRUE);
    EnableMenuItem(systemMenu, SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    SetWindowTextW(notes_, L"");
}

// Components still missing after the loop: the user decides whether the product goes on.
PrerequisiteChoice CMainDlg::AskToContinue() {
    RunResponsive<bool>([this] {
        for (Prerequisite& record : records_)
            NeedsInstall(record);
        return true;
    });
    std::vector<const std::wstring*> missing;
    for (const Prerequisite& record : records_)
        if (!record.Present && record.IsUninstall == 0 && record.Selected)
            missing.push_back(&record.Name);
    if (missing.empty())
        return PrerequisiteChoice::GoOn;
    // Dozens of lines would push the box and its buttons off the screen.
    const size_t fit = QuestionLinesThatFit();
    const size_t shown = missing.size() <= fit ? missing.size() : fit - 1;
    std::wstring question = LoadLangString(IDS_COMPONENTS_NOT_INSTALLED);
    for (size_t i = 0; i < shown; ++i)
        question += FormatLangString(IDS_COMPONENT_LIST_ITEM, missing[i]->c_str());
    if (shown < missing.size())
        question += FormatLangString(IDS_MORE_COMPONENTS, static_cast<int>(missing.size() - shown));
    question += LoadLangString(IDS_ASK_CONTINUE_INSTALLATION);
    const int answer = ShowMessage(question, title_, MB_YESNO | MB_ICONQUESTION, Window());
    return answer == IDNO ? PrerequisiteChoice::Declined : PrerequisiteChoice::GoOn;
}

// Lines of the message box font that the work area holds beside the question's own (a line is
// taken as 1.25 of the font's character height, a little more than fonts give it).
size_t CMainDlg::QuestionLinesThatFit() const {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    const long height = metrics.lfMessageFont.lfHeight;
    const long lineHeight = height ? (height < 0 ? -height : height) * 5 / 4 : 16;
    const RECT area = WorkArea();
    const long lines = (area.bottom - area.top) / lineHeight - kQuestionFrameLines;
    return lines > 2 ? static_cast<size_t>(lines) : 2;
}

void CMainDlg::OnCancel() {
    if (downloading_) {
        download_.Cancel();
        return;
    }
    LogText(L"Installetion of prerequisites canceled by user.\r\n");
    EndWith(PrerequisiteChoice::Cancelled);
}
