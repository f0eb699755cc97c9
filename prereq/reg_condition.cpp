#include "prereq/reg_condition.h"

#include "foundation/setup_log.h"
#include "prereq/reg_comparer.h"
#include "prereq/reg_value.h"

namespace {
void LogRegCondFault(RegCondFault fault, const RegCondParts& parts, const std::wstring& regPath,
                     const std::wstring& regCond) {
    switch (fault) {
    case RegCondFault::None:
        break;
    case RegCondFault::InvalidKey:
        LogPrintf(L"IsValidRegCond() failed. Invalid registry key '%s'.\r\n", regPath.c_str());
        break;
    case RegCondFault::UnknownRoot:
        LogPrintf(L"IsValidRegCond() failed. Can't find root registry key '%s'.\r\n",
                  parts.rootName.c_str());
        break;
    case RegCondFault::InvalidPath:
        LogPrintf(L"IsValidRegCond() failed. Invalid parameter RegPath='%s'.\r\n", regPath.c_str());
        break;
    case RegCondFault::InvalidVariable:
        LogPrintf(L"IsValidRegCond() failed. Invalid variable in condition '%s'. RegPath='%s'.\r\n",
                  regCond.c_str(), regPath.c_str());
        break;
    case RegCondFault::InvalidOperation:
        LogPrintf(
            L"IsValidRegCond() failed. Invalid operation in condition '%s'. RegPath='%s'.\r\n",
            regCond.c_str(), regPath.c_str());
        break;
    }
}
} // namespace

int IsValidRegCond(std::wstring RegPath, std::wstring RegCond, int Key64) {
    RegCondParts parts;
    RegCondFault fault = ParseRegCond(RegPath, RegCond, parts);
    if (fault != RegCondFault::None) {
        LogRegCondFault(fault, parts, RegPath, RegCond);
        return 0;
    }
    std::unique_ptr<CRegComparer> comparer = MakeRegComparer(
        parts.type, RegRootKey(parts.root), parts.keyPath, parts.valueName, Key64 != 0);
    bool holds = comparer->Compare(parts.op, parts.value);
    if (!holds)
        LogPrintf(L"IsValidRegCond() failed. Invalid condition '%s'. RegPath='%s'.\r\n",
                  RegCond.c_str(), RegPath.c_str());
    return holds ? 1 : 0;
}

bool CheckRegConds(const RegConditionList& pairs, int Key64) {
    for (const RegCondition& pair : pairs) {
        if (IsValidRegCond(pair.RegPath, pair.RegCond, Key64) == 1)
            return true;
    }
    return false;
}
