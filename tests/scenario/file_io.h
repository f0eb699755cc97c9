#pragma once
// Whole-file reads and writes by Windows path; failures throw.
#include <string>

namespace scenario {

std::string ReadFileBytes(const std::wstring& path);
// Creates or truncates the file; its folder must exist.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

} // namespace scenario
