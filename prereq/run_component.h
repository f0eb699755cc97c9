#pragma once
// Runs the installer of one prerequisite or postrequisite record.
#include "foundation/handles.h"

#include <string>

struct Prerequisite;

// Builds the record's command line (InstParams, or UpdateParams when detection asked for an
// update; the quoted InstPath when empty), starts it directly or through "runas" (RunAs) and waits.
// Returns the result code. 0, 1641 and 3010 leave errorText alone; for 2 it becomes string 133 and
// for any other code string 134, both naming the command line. 87 (no update parameters; warning
// shown and logged) and a failed temp-folder query leave errorText alone as well.
// A checked installer file held by `lock` (installer_hash.h) is let go once it has started.
unsigned long RunComponent(const Prerequisite& record, std::wstring& errorText,
                           UniqueFileHandle* lock = nullptr);
