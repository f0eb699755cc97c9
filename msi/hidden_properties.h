#pragma once
// Secrets in the setup log: a package names, in its MsiHiddenProperties property, the properties
// whose values the engine keeps out of its log. setup.exe does the same in its own lines, since
// this log may be mailed after a failure. Pure text logic.
#include <string>
#include <vector>

constexpr wchar_t kHiddenValue[] = L"**********";

// The names of a MsiHiddenProperties value: ';'-separated, blanks around a name dropped.
std::vector<std::wstring> HiddenPropertyNames(const std::wstring& hiddenList);

// True when `name` is one of the ';'-separated names of `hiddenList` (blanks around a name do not
// count; letter case does not matter, so that no spelling of a hidden name gets through).
bool IsHiddenProperty(const std::wstring& name, const std::wstring& hiddenList);

// The engine command line with the value of every hidden property (NAME=value or
// NAME="quoted value") replaced by kHiddenValue; names, other properties and spacing are kept.
std::wstring MaskHiddenPropertyValues(const std::wstring& commandLine,
                                      const std::wstring& hiddenList);
