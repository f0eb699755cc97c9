#pragma once
// Text rules of component command lines. No Windows calls here.
#include <cstddef>
#include <string>

enum class CommandLineShape {
    Valid,
    ParameterMissing,   // "msiexec" without a blank or tab after it
    SecondQuoteMissing, // a quoted program without its closing quote
    FirstQuoteMissing,  // neither msiexec nor a quoted program
};

// True when the first 7 characters are "msiexec", in any letter case.
bool StartsWithMsiexec(const std::wstring& line);

// Accepts "msiexec <parameters>" (program: the text before the first blank or tab) and
// "\"<program>\" <parameters>" (one separator character after the closing quote is skipped;
// parameters are empty when the quote ends the line).
CommandLineShape SplitCommandLineText(const std::wstring& line, std::wstring& program,
                                      std::wstring& parameters);

// Replaces "#InstPath#", "#Root#" and "#Temp#" in a component command line.
std::wstring ReplaceCommandLineMacros(const std::wstring& params, const std::wstring& instPath,
                                      const std::wstring& rootFolder,
                                      const std::wstring& tempFolder);

// The text without leading and trailing tabs, carriage returns, line feeds and blanks.
std::wstring TrimOutputText(const std::wstring& text);
