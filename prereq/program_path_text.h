#pragma once
// Which program file a command line names, as text. No Windows calls here.
//
// setup.exe runs elevated from folders that others can write, so the program of a command line is
// never looked for by the system's search (setup.exe's folder, the current folder, PATH):
// - an absolute path ("C:\...", "\\server\...") is taken as it is;
// - a relative path with a folder in it is taken from setup.exe's folder;
// - a bare name is taken from the system folder only;
// a name without an extension gets ".exe". A quoted program is one candidate. For an unquoted line
// every leading part that ends before a blank is a candidate, longest first, and the first that
// exists is taken, so "D:\Setup Files\check.exe" wins over a planted "D:\Setup.exe". A line that
// starts with a bare name only tries bare names.
#include <string>

struct ProgramCandidate {
    std::wstring path;        // the program file to start
    std::wstring commandLine; // the line with that program quoted where it holds blanks
};

// Whether a program file exists; the one question asked of the file system.
using ProgramExists = bool (*)(const std::wstring& path, void* context);

// The first candidate that `exists` accepts, else the shortest (whose start then fails with the
// system's error). False when the line names no program (empty, blank, an empty or unclosed
// quote, a name relative to the current drive or folder).
bool ChooseProgramFile(const std::wstring& line, const std::wstring& rootFolder,
                       const std::wstring& systemFolder, ProgramExists exists, void* context,
                       ProgramCandidate& chosen);
