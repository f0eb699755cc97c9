#pragma once
// Where setup.exe lies: the folder that holds its ini file, its packages and its components.
#include <string>

// The executable's path without its file name's extension (stripExtension), or its folder; with
// a trailing "\" when addSeparator is set. Empty when the path cannot be had whole.
std::wstring GetModulePath(bool stripExtension, bool addSeparator);
