// Notes-box escapes: every backslash goes with the character after it, so none survives, and
// the text never grows by more than the line breaks it gains.
#include "fuzz_text.h"
#include "ui/note_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring notes = WideFromUnits(data, size);
    const std::wstring shown = ExpandNoteEscapes(notes);
    FUZZ_CHECK(shown.find(L'\\') == std::wstring::npos);
    FUZZ_CHECK(shown.size() <= notes.size());
    return 0;
}
