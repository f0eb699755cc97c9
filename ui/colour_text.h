#pragma once
// Colour texts as the browser settings store them: "red,green,blue" in decimal.
#include <string>

struct RgbColour {
    unsigned char red = 0, green = 0, blue = 0;
};

// False when the text is no colour text (a comma missing, nothing after the second comma, or a
// first or second number of -1); `colour` is then left as it was. Each number keeps its low 8
// bits, so "300,0,0" is red 44.
bool ParseColourText(const std::wstring& text, RgbColour& colour);
