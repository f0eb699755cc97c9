#include "log_lines.h"

#include "settings/setup_settings.h"
#include "test_files.h"

namespace testfiles {

CapturedLog::CapturedLog(const std::wstring& name) : path_(FreshFolder(name) + L"setup.log") {
    Settings().LogPath = path_;
}

CapturedLog::~CapturedLog() {
    Settings().LogPath.clear();
}

void CapturedLog::Clear() const {
    DeleteFileW(path_.c_str());
}

std::vector<std::wstring> CapturedLog::Lines() const {
    static const std::wstring kPrefixEnd = L"]: ";
    std::wstring text = ReadUtf16(path_);
    std::vector<std::wstring> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(L"\r\n", at);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(at, end - at);
        if (line.compare(0, 11, L"Setup.exe [") == 0) {
            std::size_t prefix = line.find(kPrefixEnd);
            if (prefix != std::wstring::npos)
                line.erase(0, prefix + kPrefixEnd.size());
        }
        lines.push_back(line);
        at = end + 2;
    }
    return lines;
}

} // namespace testfiles
