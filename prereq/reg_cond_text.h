#pragma once
// Text rules of registry conditions: RegPath/RegCond parsing, version texts and the comparisons.
// No Windows calls here.
#include <cstddef>
#include <cstdint>
#include <string>

// The registry root-key table: the five full root names, in this order. Index i stands for the
// predefined key 0x80000000 + i (HKEY_CLASSES_ROOT ... HKEY_PERFORMANCE_DATA).
constexpr int kRegRootCount = 5;
extern const wchar_t* const kRegRootNames[kRegRootCount];
// Case-insensitive lookup of a full root name; -1 when it is not in the table.
int FindRegRoot(const std::wstring& name);
// 0x80000000 + index: the predefined key's handle value, as the log lines print it.
std::uint32_t RegRootHandleValue(int index);

enum class RegValueType { Dword, String, Version };
enum class RegOperator { Equal, GreaterOrEqual };

// Why a (RegPath, RegCond) pair cannot be evaluated.
enum class RegCondFault {
    None,
    InvalidKey,       // RegPath empty or without "\"
    UnknownRoot,      // the text before the first "\" is not a root name
    InvalidPath,      // no value name (no second "\", or a trailing "\")
    InvalidVariable,  // RegCond does not start with DWORD, STRING or VERSION
    InvalidOperation, // neither "=" nor ">=" follows the type
};

struct RegCondParts {
    std::wstring rootName; // the text before the first "\" (also when it is unknown)
    int root = -1;         // index into the root-key table
    std::wstring keyPath;
    std::wstring valueName;
    RegValueType type = RegValueType::Dword;
    RegOperator op = RegOperator::Equal;
    std::wstring value; // what follows the operator, possibly empty
};

// Splits a pair into its parts; the first fault found (in the order of the enum) is returned.
RegCondFault ParseRegCond(const std::wstring& regPath, const std::wstring& regCond,
                          RegCondParts& parts);

// A dotted version of up to five signed components ("2.5" -> 2,5,0,0,0). Empty pieces are
// skipped, pieces are converted like atoi, pieces after the fifth are ignored. False (and all
// zero) only for the empty text.
struct RegVersion {
    std::int32_t part[5] = {0, 0, 0, 0, 0};
};
bool ParseVersion(const std::wstring& text, RegVersion& version);

// The comparisons of the three value types; `value` is the text after the operator.
bool CompareDwordValue(std::int32_t registryValue, RegOperator op, const std::wstring& value);
// Case-insensitive for A-Z only, then by UTF-16 unit; ">=" holds when value <= registry text.
bool CompareStringValue(const std::wstring& registryText, RegOperator op,
                        const std::wstring& value);
// "=" compares components 1-4; ">=" holds when the registry version is greater (1-5) or equal
// (1-4). False when neither text is a version.
bool CompareVersionValue(const std::wstring& registryText, RegOperator op,
                         const std::wstring& value);

// A registry value path "ROOT\key\...\value": parts trimmed of white space, empty parts dropped.
// False when fewer than three parts remain or the root is not in the table.
bool SplitRegistryValuePath(const std::wstring& path, int& root, std::wstring& keyPath,
                            std::wstring& valueName);
