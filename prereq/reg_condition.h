#pragma once
// Registry conditions of a prerequisite: (RegPath, RegCond) pairs such as
// ("HKEY_LOCAL_MACHINE\SOFTWARE\Vendor\Product\Version", "VERSION>=2.5").
#include <string>
#include <vector>

struct RegCondition {
    std::wstring RegPath;
    std::wstring RegCond;
};
using RegConditionList = std::vector<RegCondition>;

// 1 when the condition holds, 0 otherwise (every malformed pair included). Each negative outcome
// is logged. Key64 non-zero reads the 64-bit registry view.
int IsValidRegCond(std::wstring RegPath, std::wstring RegCond, int Key64);

// True when one pair holds; pairs are evaluated in order up to the first that holds.
bool CheckRegConds(const RegConditionList& pairs, int Key64);
