#pragma once
// The temp folder: where the setup log and #Temp# go.
#include <string>

// The temp folder of the account setup runs as, with its trailing separator. Where Windows has
// GetTempPath2W, a run as SYSTEM gets the protected system temp folder (C:\Windows\SystemTemp)
// instead of C:\Windows\Temp, which every user can write; for other accounts it answers as
// GetTempPathW. "" when there is no usable one (longer than MAX_PATH, or not a full path), with the
// last error set. Nothing falls back to another folder: an elevated run's current folder is often
// the system folder.
std::wstring TempFolder();
