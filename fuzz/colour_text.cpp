// Colour texts from the browser settings: any text parses or is refused without touching the
// colour, and an accepted text has the two commas and a third part.
#include "fuzz_text.h"
#include "ui/colour_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = WideFromUnits(data, size);
    RgbColour colour{1, 2, 3};
    if (ParseColourText(text, colour)) {
        const std::size_t first = text.find(L',');
        FUZZ_CHECK(first != std::wstring::npos);
        const std::size_t second = text.find(L',', first + 1);
        FUZZ_CHECK(second != std::wstring::npos && second + 1 < text.size());
    } else {
        FUZZ_CHECK(colour.red == 1 && colour.green == 2 && colour.blue == 3);
    }
    return 0;
}
