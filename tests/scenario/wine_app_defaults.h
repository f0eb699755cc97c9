#pragma once
// Wine's per-program settings (HKCU\Software\Wine\AppDefaults\<exe name>), which a program reads
// when it starts: here the Windows version it is told it runs on.
#include <string>

namespace scenario {

// version is a Wine version name ("win7", "win10", ...); "" removes the setting, so the program
// sees the prefix's own version. Throws when the registry refuses.
void SetWineWindowsVersion(const std::wstring& exeName, const std::wstring& version);

} // namespace scenario
