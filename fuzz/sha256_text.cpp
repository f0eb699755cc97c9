// Fuzz target: an InstHash text (foundation/sha256_text.h). Input: 16-bit little-endian units,
// the value as the ini file gives it.
#include "foundation/sha256_text.h"
#include "fuzz_text.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = WideFromUnits(data, size);
    Sha256Digest digest;
    digest.bytes[0] = 0x5a;
    const Sha256Digest before = digest;
    if (!ParseSha256Text(text, digest)) {
        // A refused text leaves the digest as it was.
        FUZZ_CHECK(digest == before);
        return 0;
    }
    // Accepted: exactly 64 hex digits, and printing gives them back in lower case.
    FUZZ_CHECK(text.size() == 64);
    const std::wstring printed = Sha256Text(digest);
    FUZZ_CHECK(printed.size() == 64);
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        FUZZ_CHECK((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') ||
                   (c >= L'A' && c <= L'F'));
        if (c >= L'A' && c <= L'F')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        FUZZ_CHECK(printed[i] == c);
    }
    Sha256Digest again;
    FUZZ_CHECK(ParseSha256Text(printed, again) && again == digest);
    return 0;
}
