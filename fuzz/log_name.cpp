// Fuzz target: the product-name part of the setup log's file name (foundation/log_name.h).
// Input: one byte with the room left for the name (every budget a temp folder can leave fits in
// 0..255), then the name as 16-bit little-endian units.
#include "foundation/log_name.h"
#include "fuzz_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
void Require(bool condition) {
    if (!condition)
        abort();
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const std::size_t room = data[0];
    const std::wstring name = WideFromUnits(data + 1, size - 1);

    const std::wstring fitted = FitLogName(name, room);
    Require(fitted.size() <= room);
    Require(name.compare(0, fitted.size(), fitted) == 0);
    // Cut only where needed, and at most one unit short: never between a surrogate pair.
    Require(name.size() <= room ? fitted == name
                                : fitted.size() == room ||
                                      (fitted.size() + 1 == room && IsHighSurrogate(name[room - 1])));

    const std::wstring clean = CleanLogName(name, room);
    Require(clean.size() == fitted.size());
    Require(IsSafeLogName(clean));
    Require(!HasUnsafeFileNameChars(clean) && !IsReservedDeviceName(clean));
    Require(CleanLogName(clean, room) == clean);
    if (IsSafeLogName(fitted))
        Require(clean == fitted);
    return 0;
}
