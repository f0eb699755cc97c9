#pragma once
// Which file a name in the setup ini file stands for, and which program a command line starts, as
// text. No Windows calls here.
//
// setup.exe runs elevated, often started from a folder it does not know (System32 for a scheduled
// task), so a name never depends on the current folder or on PATH:
// - an absolute path ("C:\...", "\\server\...") is taken as it is;
// - a path from a drive's root ("\redist\vc.exe") lies on setup.exe's drive;
// - a relative path with a folder in it ("redist\vc.exe") lies in setup.exe's folder;
// - a bare name ("vc.exe") is the system folder's file when that exists, else the one beside
//   setup.exe: a planted reg.exe beside setup.exe loses to the system's;
// - a name relative to the current folder of a drive ("C:vc.exe") names no file.
//
// A program's name without an extension gets ".exe". A quoted program is the text between the
// quotes. In an unquoted line whose first word holds a folder, the program is the first leading
// part (cut at blanks) that ends in a program extension (.exe, .com, .bat, .cmd), so that
// "D:\Setup Files\check.exe 3" never starts a "D:\Setup.exe" someone put there, whether the
// longer file exists or not. Without such a part the program is the first word, unless the line
// goes on into a folder after a blank ("D:\Setup Files\check 3"): which program that means cannot
// be told, and it is refused. A line that starts with a bare name starts that name
// ("reg query HKLM\Software\X", "where tool.exe").
#include <string>

struct KnownFolders {
    std::wstring setup;  // setup.exe's folder, no trailing separator
    std::wstring system; // the Windows system folder; "" when Windows cannot name it
};

// Whether a file exists; the one question asked of the file system.
using FileProbe = bool (*)(const std::wstring& path, void* context);

// The file an installer path (InstPath) stands for, by the rules above (no extension added); the
// name as written when it names no file. For a bare name found in neither folder: the one beside
// setup.exe, where the medium would carry it.
std::wstring PlaceInstallerFile(const std::wstring& name, const KnownFolders& folders,
                                FileProbe exists, void* context);

enum class ProgramChoice {
    Found,    // `path` exists
    Missing,  // `path` does not exist (a bare name: nor does `lookedAt`)
    NotNamed, // no program: empty, blank, an empty or unclosed quote, "C:tool.exe"
    Unclear,  // an unquoted program path without an extension that goes on after a blank
};

struct ProgramCandidate {
    std::wstring path;        // the program file to start
    std::wstring commandLine; // the line with that program quoted where it holds blanks
    std::wstring lookedAt;    // a missing bare name: the system folder's file, looked at first
};

// `chosen` is filled for Found and Missing.
ProgramChoice ChooseProgramFile(const std::wstring& line, const KnownFolders& folders,
                                FileProbe exists, void* context, ProgramCandidate& chosen);
