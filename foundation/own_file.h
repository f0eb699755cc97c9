#pragma once
// Files of setup's own in folders that other users can write (the temp folder), opened so that a
// name planted there cannot lead setup's writes or reads elsewhere.
#include "foundation/handles.h"

#include <string>

// Opens a file of setup's own (the log, the engine's side file) without following a link: a
// reparse point or a file with a second name is refused (null handle, last error
// ERROR_FILE_EXISTS), and so is a file that was there before this run created it and is owned by
// an account other than this one, Administrators or SYSTEM. Other users can write the temp folder
// and may plant such names there. A file this run created stays its own.
UniqueFileHandle OpenOwnFile(const std::wstring& path, DWORD access, DWORD disposition);
// True when a file's owner cannot be read or is not trusted. Tests put in the answers of file
// systems that Wine cannot show (a share's computer account, FAT's nobody); nullptr restores
// Windows' own.
using FileOwnerCheck = bool (*)(HANDLE file);
void SetFileOwnerCheck(FileOwnerCheck check);
