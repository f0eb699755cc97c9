// print_text.exe CODE [--fill BYTES] [--stderr] [TEXT...]
//
// A stand-in condition program: writes TEXT (the remaining arguments joined by one blank, as
// UTF-8, with the two-character escapes \n, \r and \t made into line breaks and a tab) to its
// standard output (standard error with --stderr), then BYTES more bytes of filler lines
// ("xxx...x\n", 64 bytes each, the last one shorter), and exits with CODE. The output is written
// in pieces of 4 KiB, so a reader that does not drain the pipe leaves it blocked.
#include "utf8.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {
std::wstring Unescape(const std::wstring& text) {
    std::wstring result;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t next = i + 1 < text.size() ? text[i + 1] : L'\0';
        if (text[i] == L'\\' && (next == L'n' || next == L'r' || next == L't')) {
            result += next == L'n' ? L'\n' : next == L'r' ? L'\r' : L'\t';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string Filler(unsigned long bytes) {
    std::string filler;
    filler.reserve(bytes);
    while (filler.size() < bytes)
        filler += (filler.size() % 64 == 63) ? '\n' : 'x';
    return filler;
}

bool WriteAll(HANDLE output, const std::string& bytes) {
    constexpr size_t kPiece = 4096;
    for (size_t at = 0; at < bytes.size(); at += kPiece) {
        DWORD size = static_cast<DWORD>(bytes.size() - at < kPiece ? bytes.size() - at : kPiece);
        DWORD written = 0;
        if (!WriteFile(output, bytes.data() + at, size, &written, nullptr) || written != size)
            return false;
    }
    return true;
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 87;
    UINT code = static_cast<UINT>(std::wcstoul(argv[1], nullptr, 10));
    unsigned long fill = 0;
    DWORD stream = STD_OUTPUT_HANDLE;
    int next = 2;
    for (; next < argc; ++next) {
        std::wstring option = argv[next];
        if (option == L"--fill" && next + 1 < argc)
            fill = std::wcstoul(argv[++next], nullptr, 10);
        else if (option == L"--stderr")
            stream = STD_ERROR_HANDLE;
        else
            break;
    }
    std::wstring text;
    for (int i = next; i < argc; ++i)
        text += (i > next ? L" " : L"") + std::wstring(argv[i]);
    WriteAll(GetStdHandle(stream), Utf8(Unescape(text)) + Filler(fill));
    ExitProcess(code);
}
