#pragma once
// Does a prerequisite still need action on this machine?
#include "prereq/prerequisite.h"

#include <string>

// True when the component has to be installed; false when it is present, does not apply to this
// host or was deselected. Writes the record's Present, Note and UseUpdateParams.
bool NeedsInstall(Prerequisite& record);
// One of the ";"-separated names (wildcards allowed) exists in a folder of the Path variable.
bool IsFoundInPath(const std::wstring& names);
