#include "box_watcher.h"

#include "dialog_reading.h"

#include <chrono>

namespace scenario {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    if (IsDialogOf(window, search->processId))
        search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> DialogsOf(DWORD processId) {
    DialogSearch search{processId, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The notification a click on the button gives, so the dialog procedure cannot tell the
// difference. Posted, not sent: a dialog that does its work inside the handler (runs installers,
// shows further boxes) would otherwise hold up the watcher until it returns.
void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

} // namespace

BoxWatcher::BoxWatcher(DWORD processId, std::vector<int> answers, DialogHook hook)
    : processId_(processId), answers_(std::move(answers)), hook_(std::move(hook)),
      thread_([this] { pollUntilStopped(); }) {}

BoxWatcher::~BoxWatcher() {
    stop();
}

void BoxWatcher::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

std::vector<BoxSeen> BoxWatcher::boxes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

void BoxWatcher::pollUntilStopped() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        handleNewDialogs();
        lock.lock();
        wake_.wait_for(lock, kPollInterval, [this] { return stopping_; });
    }
}

void BoxWatcher::handleNewDialogs() {
    for (HWND dialog : DialogsOf(processId_)) {
        if (handled_.insert(dialog).second)
            handle(dialog);
    }
}

void BoxWatcher::handle(HWND dialog) {
    BoxSeen seen = ReadDialog(dialog);
    const bool hookTookIt = hook_ && hook_(dialog, seen);
    if (!hookTookIt)
        seen.answer = nextAnswer(dialog);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        boxes_.push_back(seen);
    }
    if (!hookTookIt)
        PressButton(dialog, seen.answer);
}

int BoxWatcher::nextAnswer(HWND dialog) {
    if (answersUsed_ < answers_.size())
        return answers_[answersUsed_++];
    if (HasControl(dialog, IDOK))
        return IDOK;
    if (HasControl(dialog, IDCANCEL))
        return IDCANCEL;
    return IDNO;
}

} // namespace scenario
