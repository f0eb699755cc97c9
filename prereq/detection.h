#pragma once
// Does a prerequisite still need action on this machine?
#include "prereq/prerequisite.h"

#include <string>

// The ground of detection's answer: the gate that left the record out, or the test that decided.
// The log keeps a text per ground in this order, the tests from FileVersion to ConditionProgram
// together (detection_log.cpp).
enum class DetectionGround {
    NotForThisWindows,
    Deselected,
    FoundOnPath,
    NothingToCheck,
    FileVersion,
    Product,
    RegistryCondition,
    ConditionProgram,
    ConditionProgramNotRun,
    ProgramOnlyHasToRun, // only the companion product's records read the exit code
};

struct Detection {
    bool needsInstall = false;
    DetectionGround ground = DetectionGround::NothingToCheck;
    unsigned long exitCode = 0; // of the condition program, when it ran
};

// What detection decides for the record, and why. Writes the record's Present, Note and
// UseUpdateParams.
Detection Detect(Prerequisite& record);
// True when the component has to be installed; false when it is present, does not apply to this
// host or was deselected. Detect(record).needsInstall.
bool NeedsInstall(Prerequisite& record);
// One of the ";"-separated names (wildcards allowed) exists in a folder of the Path variable.
bool IsFoundInPath(const std::wstring& names);
