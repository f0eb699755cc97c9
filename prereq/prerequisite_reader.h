#pragma once
// Reading the PreReq%d and PostReq%d sections of the setup ini file.
#include "prereq/prerequisite.h"

// The prerequisites (sections 0 to 99, gaps allowed) that detection says need action, plus the
// uninstall steps. sectionFormat is "PreReq%d".
void ReadPrerequisites(const wchar_t* sectionFormat, PrerequisiteList& list);
// Every postrequisite from section 0 up to the first one without a Name. "PostReq%d".
void ReadPostrequisites(const wchar_t* sectionFormat, PrerequisiteList& list);
// RegPath/RegCond, then RegPath0/RegCond0 ... RegPath31/RegCond31, each pair when both are set.
void ReadRegConds(const wchar_t* section, Prerequisite& record);
