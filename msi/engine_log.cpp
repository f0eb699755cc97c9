#include "msi/engine_log.h"
#include "foundation/code_page.h"
#include "foundation/dll_binding.h"

#include "foundation/error_text.h"
#include "foundation/handles.h"
#include "foundation/log_format.h"
#include "foundation/own_file.h"
#include "foundation/setup_log.h"
#include "msi/hidden_properties.h"

#include <vector>

namespace {
constexpr DWORD kEngineLogMode = 0x1FDF; // every INSTALLLOGMODE up to VERBOSE but FILESINUSE

unsigned MaxCharBytes(unsigned codePage) {
    if (codePage == CP_UTF8)
        return 4;
    CPINFO info;
    return GetCPInfo(codePage, &info) ? info.MaxCharSize : 1;
}

// The length of `bytes` without a UTF-8 sequence cut off at its end.
std::size_t CompleteUtf8Prefix(const std::string& bytes) {
    std::size_t size = bytes.size();
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        unsigned char c = static_cast<unsigned char>(bytes[size - back]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for the lead
        std::size_t needed = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return needed > back ? size - back : size;
    }
    return size;
}

unsigned long CopyEngineLog(HANDLE engineFile, const std::wstring& setupLogPath,
                            const std::wstring& hiddenList, std::size_t chunkBytes) {
    EngineLogDecoder decoder(GetACP());
    HiddenValueFilter filter(HiddenPropertyNames(hiddenList));
    std::vector<char> chunk(chunkBytes > 0 ? chunkBytes : 1);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(engineFile, chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr))
            return GetLastError();
        std::wstring text = read > 0 ? filter.Filter(decoder.Decode(chunk.data(), read))
                                     : filter.Filter(decoder.Finish()) + filter.Finish();
        if (!text.empty() && !WriteLog(setupLogPath, text, false))
            return ERROR_WRITE_FAULT;
        if (read == 0)
            return ERROR_SUCCESS;
    }
}
} // namespace

EngineLogDecoder::EngineLogDecoder(unsigned codePage)
    : codePage_(codePage), maxCharBytes_(MaxCharBytes(codePage)) {}

std::wstring EngineLogDecoder::Decode(const char* bytes, std::size_t size) {
    pending_.append(bytes, size);
    return DecodeReady(false);
}

std::wstring EngineLogDecoder::Finish() {
    return DecodeReady(true);
}

std::wstring EngineLogDecoder::DecodeReady(bool atEnd) {
    if (encoding_ == Encoding::Unknown) {
        if (pending_.size() < 2 && !atEnd)
            return std::wstring();
        const bool utf16 = pending_.size() >= 2 && pending_[0] == '\xFF' && pending_[1] == '\xFE';
        encoding_ = utf16 ? Encoding::Utf16 : Encoding::EightBit;
        if (utf16)
            pending_.erase(0, 2);
    }
    std::wstring text;
    std::size_t used = 0;
    if (encoding_ == Encoding::Utf16) {
        used = pending_.size() & ~static_cast<std::size_t>(1); // an odd last byte waits
        text.assign(reinterpret_cast<const wchar_t*>(pending_.data()), used / 2);
    } else {
        used = atEnd ? pending_.size() : CompleteEightBitPrefix();
        text = FromCodePage(pending_.substr(0, used), codePage_);
    }
    pending_.erase(0, used);
    if (atEnd)
        pending_.clear();
    return WithCrLf(text);
}

// The bytes of pending_ that end on a character boundary. The walk starts at pending_'s start,
// which always is one, because a trail byte can look like a lead byte.
std::size_t EngineLogDecoder::CompleteEightBitPrefix() const {
    if (maxCharBytes_ <= 1)
        return pending_.size();
    if (codePage_ == CP_UTF8)
        return CompleteUtf8Prefix(pending_);
    std::size_t at = 0;
    while (at < pending_.size()) {
        const bool lead = IsDBCSLeadByteEx(codePage_, static_cast<BYTE>(pending_[at])) != FALSE;
        const std::size_t step = lead ? 2 : 1;
        if (at + step > pending_.size())
            break;
        at += step;
    }
    return at;
}

std::wstring EngineLogDecoder::WithCrLf(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size() + text.size() / 16);
    for (wchar_t c : text) {
        if (c == L'\n' && !lastWasCr_)
            result += L'\r';
        result += c;
        lastWasCr_ = c == L'\r';
    }
    return result;
}

std::wstring DecodeEngineLog(const std::string& bytes) {
    EngineLogDecoder decoder(GetACP());
    std::wstring text = decoder.Decode(bytes.data(), bytes.size());
    return text + decoder.Finish();
}

std::wstring StartEngineLog(const MsiLibrary& msi, const std::wstring& setupLogPath) {
    if (setupLogPath.empty())
        return std::wstring();
    std::wstring enginePath = setupLogPath + kEngineLogSuffix;
    // Made new here: whatever lies under that name already (another run's side file, or a name
    // planted to lead the engine's writes elsewhere) is left alone, and the engine logs nowhere.
    // Made by this run, it is read back later whoever Windows names as its owner.
    UniqueFileHandle file = OpenOwnFile(enginePath, GENERIC_WRITE, CREATE_NEW);
    if (!file) {
        LogPrintfTo(setupLogPath, L"The installer's own log cannot be created as '%s'. %s\r\n",
                    enginePath.c_str(), FormatErrorCode(GetLastError()).c_str());
        return std::wstring();
    }
    file.reset();
    msi.EnableLog(kEngineLogMode, enginePath.c_str(), INSTALLLOGATTRIBUTES_APPEND);
    return enginePath;
}

namespace {
// Deleted through the handle that read it, so that the name cannot be swapped for another file in
// between. Windows before Vista has no such call: there the name is deleted.
bool DeleteThroughHandle(HANDLE file, const std::wstring& path) {
    using SetInformation = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    const auto setInformation = BindKernel32<SetInformation>("SetFileInformationByHandle");
    if (!setInformation)
        return DeleteFileW(path.c_str()) != FALSE;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return setInformation(file, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}
} // namespace

unsigned long MoveEngineLogIntoSetupLog(const std::wstring& enginePath,
                                        const std::wstring& setupLogPath,
                                        const std::wstring& hiddenList, std::size_t chunkBytes) {
    if (enginePath.empty())
        return ERROR_SUCCESS;
    // Never through a link, and only a plain file that this run could have made.
    UniqueFileHandle file = OpenOwnFile(enginePath, GENERIC_READ | DELETE, OPEN_EXISTING);
    if (!file && GetLastError() == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS; // the engine took its file away: nothing to copy
    unsigned long error =
        file ? CopyEngineLog(file.get(), setupLogPath, hiddenList, chunkBytes) : GetLastError();
    if (error == ERROR_SUCCESS) {
        DeleteThroughHandle(file.get(), enginePath);
        return ERROR_SUCCESS;
    }
    LogPrintfTo(setupLogPath,
                L"The installer's own log could not be copied here (%s); it is kept in '%s'.\r\n",
                FormatErrorCode(error).c_str(), enginePath.c_str());
    return error;
}
