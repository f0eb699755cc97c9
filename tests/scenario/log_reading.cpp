#include "log_reading.h"

namespace scenario {
namespace {

const std::wstring kLineEnd = L"\r\n";
const std::wstring kProgram = L"Setup.exe [";
// What follows kProgram; '9' stands for any digit.
const std::wstring kStampPattern = L"9999.99.99 99:99:99]: ";

bool EndsWithLineEnd(const std::wstring& text) {
    return text.size() >= kLineEnd.size() &&
           text.compare(text.size() - kLineEnd.size(), kLineEnd.size(), kLineEnd) == 0;
}

bool IsStampAt(const std::wstring& log, size_t at) {
    if (log.size() - at < kStampPattern.size())
        return false;
    for (size_t i = 0; i < kStampPattern.size(); ++i) {
        const wchar_t c = log[at + i];
        const bool fits =
            kStampPattern[i] == L'9' ? (c >= L'0' && c <= L'9') : c == kStampPattern[i];
        if (!fits)
            return false;
    }
    return true;
}

// Offsets just past each prefix that starts a line.
std::vector<size_t> EntryStarts(const std::wstring& log) {
    std::vector<size_t> starts;
    for (size_t at = log.find(kProgram); at != std::wstring::npos;
         at = log.find(kProgram, at + 1)) {
        const bool startsLine = at == 0 || log[at - 1] == L'\n';
        if (startsLine && IsStampAt(log, at + kProgram.size()))
            starts.push_back(at + kProgram.size() + kStampPattern.size());
    }
    return starts;
}

} // namespace

std::wstring DecodeUtf16Le(const std::string& bytes) {
    size_t at = 0;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        at = 2;
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (; at + 1 < bytes.size(); at += 2) {
        const auto low = static_cast<unsigned char>(bytes[at]);
        const auto high = static_cast<unsigned char>(bytes[at + 1]);
        text.push_back(static_cast<wchar_t>(low | (high << 8)));
    }
    return text;
}

bool HasLogLine(const std::wstring& log, const std::wstring& text) {
    for (size_t start : EntryStarts(log)) {
        if (log.compare(start, text.size(), text) != 0)
            continue;
        const size_t end = start + text.size();
        if (EndsWithLineEnd(text) || end == log.size() ||
            log.compare(end, kLineEnd.size(), kLineEnd) == 0)
            return true;
    }
    return false;
}

std::vector<std::wstring> LogEntries(const std::wstring& log) {
    std::vector<std::wstring> entries;
    for (size_t start : EntryStarts(log)) {
        const size_t end = log.find(kLineEnd, start);
        entries.push_back(log.substr(start, end == std::wstring::npos ? end : end - start));
    }
    return entries;
}

} // namespace scenario
