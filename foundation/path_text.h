#pragma once
// Text rules of file paths. No Windows calls here.
#include <string>

// The path without its file name's extension; the folders' names are left alone:
// C:\v1.2\setup.exe -> C:\v1.2\setup, C:\v1.2\setup -> C:\v1.2\setup.
std::wstring RemoveFileExtension(const std::wstring& path);

// The folder part without the last separator (C:\a\setup.exe -> C:\a); a path without any
// separator stays whole.
std::wstring RemoveFileName(const std::wstring& path);

// A path that the file functions take beyond the classic 260-unit limit: a long drive path gets
// the \\?\ prefix, a long UNC path \\?\UNC\. Shorter paths, relative paths and paths already in
// that form are unchanged.
std::wstring ToExtendedLengthPath(const std::wstring& path);
