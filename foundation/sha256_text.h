#pragma once
// SHA-256 digests as text: the 64 hexadecimal digits that sha256sum and Get-FileHash print.
// Pure text logic.
#include <string>

struct Sha256Digest {
    unsigned char bytes[32] = {};
    bool operator==(const Sha256Digest& other) const;
};

// True when text is exactly 64 hexadecimal digits (either case); digest then holds their value.
// Anything else (a blank, a prefix such as "0x", one digit too many or too few) is refused and
// leaves digest alone.
bool ParseSha256Text(const std::wstring& text, Sha256Digest& digest);
// The digest as 64 lower-case hexadecimal digits.
std::wstring Sha256Text(const Sha256Digest& digest);
