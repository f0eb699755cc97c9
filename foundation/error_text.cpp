#include "foundation/error_text.h"

#include "foundation/handles.h"
#include "foundation/wide_format.h"

namespace {
std::wstring ErrorText(unsigned long code, void* messageModule) {
    wchar_t* buffer = nullptr;
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                       FORMAT_MESSAGE_ALLOCATE_BUFFER |
                       (messageModule ? FORMAT_MESSAGE_FROM_HMODULE : 0),
                   messageModule, code, 0x400, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (!buffer)
        return FormatWide(L"Unknown error 0x%08X", static_cast<unsigned>(code));
    UniqueLocalMemory owner(buffer);
    std::wstring text = buffer;
    if (text.size() > 1 && text.back() == L'\n') {
        text.pop_back();
        if (!text.empty() && text.back() == L'\r')
            text.pop_back();
    }
    return text;
}

} // namespace

std::wstring GetSystemErrorText(unsigned long code) {
    return ErrorText(code, nullptr);
}

std::wstring FormatErrorCode(unsigned long code) {
    return FormatErrorCodeOf(code, nullptr);
}

std::wstring FormatErrorCodeOf(unsigned long code, void* messageModule) {
    return FormatWide(L"Error(%d) '%s'", static_cast<int>(code),
                      ErrorText(code, messageModule).c_str());
}
