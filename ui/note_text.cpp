#include "ui/note_text.h"

std::wstring ExpandNoteEscapes(const std::wstring& notes) {
    std::wstring shown;
    shown.reserve(notes.size());
    for (std::size_t i = 0; i < notes.size(); ++i) {
        if (notes[i] != L'\\') {
            shown += notes[i];
            continue;
        }
        if (i + 1 < notes.size() && notes[i + 1] == L'n')
            shown += L"\r\n";
        ++i; // the escaped character goes with its backslash
    }
    return shown;
}
