#include "prereq/detection_log.h"

#include "foundation/setup_log.h"

#include <cstddef>

namespace {
// By DetectionGround, in its order (ASCII, logged with %hs). The lines before a test's verdict
// say what it found: the file's version, each registry condition, the program's exit code.
const char* const kGrounds[] = {
    "not for this Windows",  "not selected",         "on the path",
    "nothing to check",      "by file version",      "by product state",
    "by registry condition", "by condition program", "condition program did not run",
    "condition program ran",
};
static_assert(sizeof(kGrounds) / sizeof(kGrounds[0]) ==
                  static_cast<std::size_t>(DetectionGround::ProgramOnlyHasToRun) + 1,
              "a text for every ground");

// A gate has no verdict; a test says present or missing by itself; the rest are present.
const char* Verdict(const Detection& detection) {
    if (detection.ground <= DetectionGround::Deselected)
        return "";
    if (detection.ground < DetectionGround::FileVersion ||
        detection.ground > DetectionGround::ConditionProgram)
        return "present, ";
    return detection.needsInstall ? "missing " : "present ";
}
} // namespace

void LogDetection(const Prerequisite& record, const Detection& detection) {
    LogPrintf(L"Check '%s': %hs%hs.\r\n", record.Name.c_str(), Verdict(detection),
              kGrounds[static_cast<std::size_t>(detection.ground)]);
}
