#pragma once
// Secrets in the setup log: a package names, in its MsiHiddenProperties property, the properties
// whose values the engine keeps out of its log. setup.exe does the same in its own lines, since
// this log may be mailed after a failure. Pure text logic.
#include <string>
#include <utility>
#include <vector>

constexpr wchar_t kHiddenValue[] = L"**********";

// The names of a MsiHiddenProperties value: ';'-separated, blanks around a name dropped.
std::vector<std::wstring> HiddenPropertyNames(const std::wstring& hiddenList);

// True when `name` is one of the ';'-separated names of `hiddenList` (blanks around a name do not
// count; letter case does not matter, so that no spelling of a hidden name gets through).
bool IsHiddenProperty(const std::wstring& name, const std::wstring& hiddenList);

// The engine command line with the value of every hidden property (NAME=value,
// NAME="quoted value" or "NAME=quoted whole") replaced by kHiddenValue; names, other properties
// and spacing are kept.
std::wstring MaskHiddenPropertyValues(const std::wstring& commandLine,
                                      const std::wstring& hiddenList);

// The names of the properties that the command line assigns (NAME=value), ';'-separated: a
// hidden list for a run that has no package to name its secrets.
std::wstring AssignedPropertyNames(const std::wstring& commandLine);

// A line of the engine's own log with the value of a hidden property replaced, for engines that
// do not hide it themselves: "Property(S): NAME = value" (Wine's list), "... Command Line: ..."
// and "... PROPERTY CHANGE: Adding NAME property. Its value is '...'." (or "Modifying ... Its
// current value is '...'. Its new value: '...'.", Windows' verbose log). Other lines unchanged.
std::wstring MaskHiddenPropertyLine(const std::wstring& line,
                                    const std::vector<std::wstring>& hidden);

// MaskHiddenPropertyLine over text that comes in pieces cut anywhere. Holds back at most the
// start of one line; a line longer than that is judged by its start.
class HiddenValueFilter {
public:
    explicit HiddenValueFilter(std::vector<std::wstring> hidden) : hidden_(std::move(hidden)) {}
    std::wstring Filter(const std::wstring& text);
    std::wstring Finish(); // the held-back end of the last line

private:
    static constexpr std::size_t kMaxHeldUnits = 4096;
    std::vector<std::wstring> hidden_;
    std::wstring line_;     // the current line so far, not yet passed on
    bool skipping_ = false; // the rest of a long masked line is dropped
};
