#pragma once
// The product-name part of the setup log's file name: what may stand there, and how a name is
// made to fit and made safe. Pure text logic, no Windows calls.
#include <cstddef>
#include <string>

// True when the name holds a character that may not stand in a file name (\ / : * ? " < > | or a
// control character). Such a name could steer the log out of the temp folder.
bool HasUnsafeFileNameChars(const std::wstring& name);

// The name with every such character replaced by '$'.
std::wstring ReplaceUnsafeFileNameChars(const std::wstring& name);

// True when Windows would take the name for a device (CON, PRN, AUX, NUL, COM0-9, LPT0-9,
// CONIN$, CONOUT$), in any letter case, also with an extension or trailing blanks ("con .txt").
bool IsReservedDeviceName(const std::wstring& name);

// The longest path setup.exe creates for its log (the engine's side file, the longer of the two)
// must stay within MAX_PATH - 1 units.
constexpr std::size_t kMaxLogPathUnits = 259;
// Added to the setup log path for the file that the installer engine writes its own log to.
constexpr wchar_t kEngineLogSuffix[] = L".engine";
// " Setup (2024.03.07 14.05).log"
constexpr std::size_t kLogFileNameSuffixUnits = 29;

// How many units of a product name fit into a log path in that temp folder; 0 when none do.
std::size_t LogNameBudget(std::size_t tempFolderUnits);

// The name cut to at most `maxUnits` units, never between the two halves of a surrogate pair.
std::wstring FitLogName(const std::wstring& name, std::size_t maxUnits);

// True when the name can stand as it is in a log file name: no unsafe character, no device.
bool IsSafeLogName(const std::wstring& name);

// A name that can: fitted to `maxUnits`, unsafe characters replaced by '$', and a device name's
// first character replaced by '$' ("CON" becomes "$ON"). A safe fitted name comes back unchanged.
std::wstring CleanLogName(const std::wstring& name, std::size_t maxUnits);
