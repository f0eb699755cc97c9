#include "foundation/sha256_text.h"

namespace {
int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    c |= 0x20; // A-F to a-f; nothing else becomes a hex letter
    return c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
}
} // namespace

bool Sha256Digest::operator==(const Sha256Digest& other) const {
    for (size_t i = 0; i < sizeof bytes; ++i)
        if (bytes[i] != other.bytes[i])
            return false;
    return true;
}

bool ParseSha256Text(const std::wstring& text, Sha256Digest& digest) {
    Sha256Digest parsed;
    if (text.size() != 2 * sizeof parsed.bytes)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const int value = HexValue(text[i]);
        if (value < 0)
            return false;
        parsed.bytes[i / 2] = static_cast<unsigned char>(parsed.bytes[i / 2] << 4 | value);
    }
    digest = parsed;
    return true;
}

namespace {
wchar_t HexDigit(unsigned value) {
    return static_cast<wchar_t>(value < 10 ? L'0' + value : L'a' + value - 10);
}
} // namespace

std::wstring Sha256Text(const Sha256Digest& digest) {
    std::wstring text;
    for (unsigned char byte : digest.bytes) {
        text += HexDigit(byte >> 4);
        text += HexDigit(byte & 15);
    }
    return text;
}
