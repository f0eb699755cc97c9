#pragma once
// Where the setup log goes when the command line names no file: a new name in the temp folder.
#include <string>

// The setup log path for this run in the temp folder, or "" when there is no usable temp folder or
// no name can be created there (the run then goes on without a log). A log of an earlier run in
// the same minute is appended to when it is a plain file of this account's (see OpenOwnFile);
// when not, the log takes the next free numbered name. The file is created here. The name part is
// shortened so that the log's path and its engine side file fit in MAX_PATH; a name that cannot
// stand in a file name (unsafe characters, a device name such as CON) is passed over for the
// language-neutral name, and as a last resort cleaned.
std::wstring BuildLogFileName(const std::wstring& name, const std::wstring& languageNeutralName);
