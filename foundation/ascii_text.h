#pragma once
// Letter case of ASCII letters only: for names whose rules are ASCII (device names, property
// names), in pure text code that must not depend on the user's locale.
#include <cstddef>

inline wchar_t AsciiUpper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// True when a[0..aLength) and b[0..bLength) are equal but for the case of ASCII letters.
inline bool EqualsIgnoringAsciiCase(const wchar_t* a, std::size_t aLength, const wchar_t* b,
                                    std::size_t bLength) {
    if (aLength != bLength)
        return false;
    for (std::size_t i = 0; i < aLength; ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return true;
}
