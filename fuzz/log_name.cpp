// Fuzz target: the product-name part of the setup log's file name (foundation/log_name.h).
// Input: one byte with the room left for the name (every budget a temp folder can leave fits in
// 0..255), then the name as 16-bit little-endian units.
#include "foundation/log_name.h"
#include "fuzz_text.h"

#include <cstdint>
#include <string>

namespace {
bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const std::size_t room = input.byte();
    const std::wstring name = input.restAsText();

    const std::wstring fitted = FitLogName(name, room);
    FUZZ_CHECK(fitted.size() <= room);
    FUZZ_CHECK(name.compare(0, fitted.size(), fitted) == 0);
    // Cut only where needed, and at most one unit short: never between a surrogate pair.
    FUZZ_CHECK(name.size() <= room ? fitted == name
                                   : fitted.size() == room || (fitted.size() + 1 == room &&
                                                               IsHighSurrogate(name[room - 1])));

    const std::wstring clean = CleanLogName(name, room);
    FUZZ_CHECK(clean.size() == fitted.size());
    FUZZ_CHECK(IsSafeLogName(clean));
    FUZZ_CHECK(!HasUnsafeFileNameChars(clean) && !IsReservedDeviceName(clean));
    FUZZ_CHECK(CleanLogName(clean, room) == clean);
    if (IsSafeLogName(fitted))
        FUZZ_CHECK(clean == fitted);
    return 0;
}
