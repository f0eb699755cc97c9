#pragma once
// Watches a child process for dialogs while it runs, records each once and answers it, so that a
// run with message boxes needs no person and no screen scraping.
#include "harness.h"

#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace scenario {

class BoxWatcher {
public:
    // Starts polling at once. answers are the button ids for successive boxes.
    BoxWatcher(DWORD processId, std::vector<int> answers, DialogHook hook);
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    void stop();
    std::vector<BoxSeen> boxes() const;

private:
    void pollUntilStopped();
    void handleNewDialogs();
    void handle(HWND dialog);
    int nextAnswer(HWND dialog);

    const DWORD processId_;
    const std::vector<int> answers_;
    const DialogHook hook_;
    size_t answersUsed_ = 0;
    std::set<HWND> handled_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::vector<BoxSeen> boxes_;
    std::thread thread_;
};

} // namespace scenario
