#include "ui/note_text.h"

#include <gtest/gtest.h>

namespace {

TEST(NoteText, RewritesBackslashEscapes) {
    struct Case {
        std::wstring notes, shown;
    };
    const Case cases[] = {
        {L"", L""},
        {L"plain text", L"plain text"},
        {L"line1\\nline2", L"line1\r\nline2"},
        {L"x\\qy", L"xy"},  // any other escape vanishes with its backslash
        {L"a\\\\b", L"ab"}, // even a second backslash
        {L"\\n\\n", L"\r\n\r\n"},
        {L"end\\", L"end"}, // a lone backslash at the end
        {L"\\N", L""},      // only the small letter is a line break
        {L"one\\ntwo\\", L"one\r\ntwo"},
        {std::wstring(L"a\\\0b", 4), L"ab"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandNoteEscapes(c.notes), c.shown) << testing::PrintToString(c.notes);
}

} // namespace
