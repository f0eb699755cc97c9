#pragma once
// Points the setup log of the test process at a fresh file and reads its lines back.
#include <string>
#include <vector>

namespace testfiles {

class CapturedLog {
public:
    explicit CapturedLog(const std::wstring& name); // sets Settings().LogPath
    ~CapturedLog();                                 // clears it again
    // The lines written so far, without the time-stamp prefix and the line break.
    std::vector<std::wstring> Lines() const;
    // Forgets what was written so far.
    void Clear() const;

private:
    std::wstring path_;
};

} // namespace testfiles
