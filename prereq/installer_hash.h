#pragma once
// The check of a record's installer against its InstHash.
#include "foundation/handles.h"

struct Prerequisite;

// True when the record's installer may run: it has no InstHash, or the file at InstPath has that
// hash. `lock` (empty when called) then holds the file open so that nobody can change, swap or
// delete it before the program has started (close it after the start). False, with a line naming
// the file and the expected and found hashes, when the InstHash is not 64 hex digits, the file
// cannot be read, or its content differs.
bool CheckInstallerHash(const Prerequisite& record, UniqueFileHandle& lock);
