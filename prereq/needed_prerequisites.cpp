#include "prereq/needed_prerequisites.h"

#include "foundation/wide_format.h"
#include "prereq/detection.h"
#include "prereq/detection_log.h"
#include "prereq/prerequisite_reader.h"
#include "prereq/reg_value.h"

namespace {
constexpr int kPrerequisiteSections = 100;
} // namespace

// Each section is read and detected before the next is read, so that the log tells one
// component's story at a time.
void ReadPrerequisites(const wchar_t* sectionFormat, PrerequisiteList& list) {
    list.clear();
    const RegistryKeyReuse sameKeyOpenedOnce;
    for (int n = 0; n < kPrerequisiteSections; ++n) {
        if (!ReadPrerequisite(FormatWide(sectionFormat, n).c_str(), list))
            continue;
        Prerequisite& record = list.back();
        const Detection detection = Detect(record);
        LogDetection(record, detection);
        if (!detection.needsInstall && record.IsUninstall == 0)
            list.pop_back();
    }
}
