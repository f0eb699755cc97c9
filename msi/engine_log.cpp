#include "msi/engine_log.h"

#include "foundation/handles.h"
#include "foundation/ini_file.h"
#include "foundation/setup_log.h"

namespace {
constexpr DWORD kEngineLogMode = 0x1FDF; // every INSTALLLOGMODE up to VERBOSE but FILESINUSE

std::string ReadWholeFile(const std::wstring& path) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file)
        return bytes;
    char chunk[16384];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    return bytes;
}

std::wstring WithCrLf(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            result += L'\r';
        result += text[i];
    }
    return result;
}
} // namespace

std::wstring DecodeEngineLog(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return WithCrLf(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                                     (bytes.size() - 2) / 2));
    return WithCrLf(FromCodePage(bytes, CP_ACP));
}

EngineLogCapture::EngineLogCapture(const MsiLibrary& msi, const std::wstring& setupLogPath)
    : setupLogPath_(setupLogPath) {
    if (setupLogPath_.empty())
        return;
    enginePath_ = setupLogPath_ + L".engine";
    DeleteFileW(enginePath_.c_str());
    msi.EnableLog(kEngineLogMode, enginePath_.c_str(), INSTALLLOGATTRIBUTES_APPEND);
}

EngineLogCapture::~EngineLogCapture() {
    if (enginePath_.empty())
        return;
    std::wstring text = DecodeEngineLog(ReadWholeFile(enginePath_));
    if (!text.empty())
        WriteLog(setupLogPath_, text, false);
    DeleteFileW(enginePath_.c_str());
}
