#include "msi/language_fallback.h"

namespace {
// Language identifier parts as <winnt.h> defines them; this file stays free of Windows headers.
constexpr unsigned kPrimaryLanguageMask = 0x3FF;
constexpr unsigned kSublangDefault = 0x400; // SUBLANG_DEFAULT << 10
constexpr unsigned kLangNeutral = 0x00;
constexpr unsigned kLangChinese = 0x04;

constexpr unsigned kChineseTaiwan = 1028;    // Traditional script
constexpr unsigned kChineseHongKong = 3076;  // Traditional script
constexpr unsigned kChineseMacao = 5124;     // Traditional script
constexpr unsigned kChinesePrc = 2052;       // Simplified script
constexpr unsigned kChineseSingapore = 4100; // Simplified script
} // namespace

unsigned PrimaryLanguageFallback(unsigned langId) {
    // Chinese has no single default sublanguage: the fallback follows the script.
    switch (langId) {
    case kChineseHongKong:
    case kChineseTaiwan:
    case kChineseMacao:
        return kChineseTaiwan;
    case kChinesePrc:
    case kChineseSingapore:
        return kChinesePrc;
    default:
        break;
    }
    unsigned primary = langId & kPrimaryLanguageMask;
    if (primary == kLangChinese)
        return kChineseTaiwan;
    if (primary == kLangNeutral)
        return 0;
    return primary | kSublangDefault;
}
