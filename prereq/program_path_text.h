#pragma once
// Which program file a command line names, as text. No Windows calls here.
//
// setup.exe runs elevated from folders that others can write, so the program of a command line is
// never looked for by the system's search (setup.exe's folder, the current folder, PATH):
// - an absolute path ("C:\...", "\\server\...") is taken as it is;
// - a relative path with a folder in it is taken from setup.exe's folder;
// - a bare name is taken from the system folder only;
// a name without an extension gets ".exe". A quoted program is one candidate. For an unquoted line
// every leading part that ends before a blank is a candidate, longest first: the caller starts the
// first that exists, so "D:\Setup Files\check.exe" wins over a planted "D:\Setup.exe". A line that
// starts with a bare name only tries bare names.
#include <string>
#include <vector>

struct ProgramCandidate {
    std::wstring path;        // the program file to start
    std::wstring commandLine; // the line with that program quoted where it holds blanks
};

// Longest first; empty when the line names no program (empty, blank, an empty or unclosed quote).
std::vector<ProgramCandidate> ProgramCandidates(const std::wstring& line,
                                                const std::wstring& rootFolder,
                                                const std::wstring& systemFolder);
