#pragma once
// A file read through a handle that keeps it as it is: while the handle is open nobody can write,
// replace, rename or delete the file, so what was checked is what a program started from it gets.
#include "foundation/handles.h"
#include "foundation/sha256_text.h"

#include <string>

// Opens the file for reading and shares it for reading only. Invalid (last error set) when it
// cannot be opened or someone holds it open for writing or deleting.
UniqueFileHandle OpenLockedFile(const std::wstring& path);
// The SHA-256 of the whole file behind the handle, read from its start. 0 or a Windows error.
unsigned long HashLockedFile(HANDLE file, Sha256Digest& digest);
