#pragma once
// Choice of the language transform (<language id>.mst beside the executable).
#include <string>

struct TransformSelection {
    int LangId = 0;
    std::wstring Transforms; // the transform's path, "" when none was found
};

// Chooses the language and, when a transform file exists, the transform; logs its steps to the
// setup log at logPath. A transform path that holds a ';' (which would split the engine's list)
// is not used.
TransformSelection SelectLanguageTransform(const std::wstring& logPath);
