#pragma once
// Text rules of setup ini values. No Windows calls here.
#include <cstdint>
#include <string>

// Two words as in a file's fixed version information: major << 16 | minor, build << 16 | revision.
struct VersionWords {
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    bool operator==(const VersionWords& other) const {
        return high == other.high && low == other.low;
    }
};

// "10.0.1.1" -> (10 << 16, 1 << 16 | 1). Each component is read like atoi (leading blanks and a
// sign accepted, stops at the first non-digit) and taken modulo 65536; missing components are 0.
VersionWords ParseVersionWords(const std::wstring& text);

// Leading-digit decimal conversion as _wtoi does it ("1049,1033" -> 1049, "x" -> 0).
long ParseLeadingInt(const std::wstring& text);
