#pragma once
// The prerequisites a setup run has to act on: the sections read, and detection asked of each.
#include "prereq/prerequisite.h"

// The prerequisites (sections 0 to 99, gaps allowed) that detection says need action, plus the
// uninstall steps. sectionFormat is "PreReq%d".
void ReadPrerequisites(const wchar_t* sectionFormat, PrerequisiteList& list);
