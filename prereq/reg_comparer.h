#pragma once
// One registry condition's comparison: reads the value and compares it with the condition's text.
#include "prereq/reg_cond_text.h"

#include <windows.h>

#include <memory>
#include <string>

class CRegComparer {
public:
    CRegComparer(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                 bool view64);
    virtual ~CRegComparer() = default;
    CRegComparer(const CRegComparer&) = delete;
    CRegComparer& operator=(const CRegComparer&) = delete;

    // Reads the registry value and compares it with `value` under `op`. A failed read is logged
    // and answers false.
    virtual bool Compare(RegOperator op, const std::wstring& value) = 0;

protected:
    // 0 or a Windows error, which has been logged as "CRegComparer.GetRegValue(...) failed."
    LONG GetRegValue(void* buffer, DWORD size);
    // The value as text of at most 260 units; false when the read failed.
    bool GetRegText(std::wstring& text);

private:
    HKEY root_;
    std::wstring keyPath_;
    std::wstring valueName_;
    bool view64_;
};

class CRegComparerDword : public CRegComparer {
public:
    using CRegComparer::CRegComparer;
    bool Compare(RegOperator op, const std::wstring& value) override;
};

class CRegComparerString : public CRegComparer {
public:
    using CRegComparer::CRegComparer;
    bool Compare(RegOperator op, const std::wstring& value) override;
};

class CRegComparerVersion : public CRegComparer {
public:
    using CRegComparer::CRegComparer;
    bool Compare(RegOperator op, const std::wstring& value) override;
};

// The comparer for a value type.
std::unique_ptr<CRegComparer> MakeRegComparer(RegValueType type, HKEY root,
                                              const std::wstring& keyPath,
                                              const std::wstring& valueName, bool view64);
