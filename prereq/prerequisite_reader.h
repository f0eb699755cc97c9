#pragma once
// Reading the PreReq%d and PostReq%d sections of the setup ini file.
#include "prereq/prerequisite.h"

// One prerequisite section as written, before detection, appended to the list; false (and
// nothing appended) when the section has no Name or is skipped (its installer cannot be named).
bool ReadPrerequisite(const wchar_t* section, PrerequisiteList& list);
// Every postrequisite from section 0 up to the first one without a Name. "PostReq%d".
void ReadPostrequisites(const wchar_t* sectionFormat, PrerequisiteList& list);
