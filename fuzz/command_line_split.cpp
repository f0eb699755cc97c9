// Component command lines: the msiexec / quoted-program split, the output trim and the capture
// of a condition program's output.
#include "fuzz_text.h"
#include "prereq/command_line_text.h"
#include "prereq/output_capture.h"

namespace {
void CheckSplit(const std::wstring& line) {
    std::wstring program;
    std::wstring parameters;
    if (SplitCommandLineText(line, program, parameters) != CommandLineShape::Valid)
        return;
    if (StartsWithMsiexec(line)) {
        FUZZ_CHECK(line.size() == program.size() + 1 + parameters.size());
        FUZZ_CHECK(line.compare(0, program.size(), program) == 0);
        FUZZ_CHECK(program.find_first_of(L" \t") == std::wstring::npos);
        return;
    }
    FUZZ_CHECK(line.compare(0, program.size() + 2, L"\"" + program + L"\"") == 0);
    FUZZ_CHECK(program.find(L'"') == std::wstring::npos);
    FUZZ_CHECK(parameters.size() + program.size() + 2 <= line.size());
    FUZZ_CHECK(line.compare(line.size() - parameters.size(), parameters.size(), parameters) == 0);
}

void CheckTrim(const std::wstring& text) {
    std::wstring trimmed = TrimOutputText(text);
    FUZZ_CHECK(text.find(trimmed) != std::wstring::npos);
    if (!trimmed.empty()) {
        FUZZ_CHECK(std::wstring(L"\t\r\n ").find(trimmed.front()) == std::wstring::npos);
        FUZZ_CHECK(std::wstring(L"\t\r\n ").find(trimmed.back()) == std::wstring::npos);
    }
}

void CheckCapture(const std::string& bytes, std::uint32_t pieceSize) {
    OutputCapture capture;
    std::size_t piece = 1 + pieceSize % 5000;
    // Repeated so that inputs reach past the capacity.
    for (int round = 0; round < 3; ++round)
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            capture.Append(bytes.data() + at,
                           bytes.size() - at < piece ? bytes.size() - at : piece);
    std::string kept = capture.KeptText();
    FUZZ_CHECK(capture.TotalBytes() == 3 * bytes.size());
    FUZZ_CHECK(kept.size() <= OutputCapture::kOutputCapacity);
    std::string whole = bytes + bytes + bytes;
    FUZZ_CHECK(whole.compare(0, kept.size(), kept) == 0);
    if (!capture.WasCut())
        FUZZ_CHECK(kept == whole);
    else
        FUZZ_CHECK(kept.size() + 4 > OutputCapture::kOutputCapacity);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    std::uint32_t pieceSize = input.number();
    std::wstring line = input.restAsText();
    CheckSplit(line);
    CheckTrim(line);
    CheckCapture(input.restAsBytes(), pieceSize);
    return 0;
}
