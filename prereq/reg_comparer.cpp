#include "prereq/reg_comparer.h"

#include "foundation/buffer_text.h"
#include "foundation/error_text.h"
#include "foundation/setup_log.h"
#include "prereq/reg_value.h"

#include <cstdint>
#include <cstring>

namespace {
constexpr DWORD kRegTextUnits = 260;
} // namespace

CRegComparer::CRegComparer(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                           bool view64)
    : root_(root), keyPath_(keyPath), valueName_(valueName), view64_(view64) {}

LONG CRegComparer::GetRegValue(void* buffer, DWORD size) {
    LONG result = ReadRegistryValue(root_, keyPath_, valueName_, buffer, size, view64_);
    if (result != ERROR_SUCCESS) {
        auto rootValue = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(root_));
        LogPrintf(L"CRegComparer.GetRegValue(%#x, '%s', '%s') failed. %s\r\n", rootValue,
                  keyPath_.c_str(), valueName_.c_str(),
                  FormatErrorCode(static_cast<unsigned long>(result)).c_str());
    }
    return result;
}

bool CRegComparer::GetRegText(std::wstring& text) {
    wchar_t buffer[kRegTextUnits] = {};
    if (GetRegValue(buffer, sizeof buffer) != ERROR_SUCCESS)
        return false;
    text = TextUpToNul(buffer, kRegTextUnits);
    return true;
}

bool CRegComparerDword::Compare(RegOperator op, const std::wstring& value) {
    // Zero-filled: data shorter than four bytes leaves the high bytes zero.
    unsigned char bytes[4] = {};
    if (GetRegValue(bytes, sizeof bytes) != ERROR_SUCCESS)
        return false;
    std::uint32_t raw =
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    std::int32_t registryValue;
    std::memcpy(&registryValue, &raw, sizeof registryValue);
    return CompareDwordValue(registryValue, op, value);
}

bool CRegComparerString::Compare(RegOperator op, const std::wstring& value) {
    std::wstring registryText;
    return GetRegText(registryText) && CompareStringValue(registryText, op, value);
}

bool CRegComparerVersion::Compare(RegOperator op, const std::wstring& value) {
    std::wstring registryText;
    return GetRegText(registryText) && CompareVersionValue(registryText, op, value);
}

std::unique_ptr<CRegComparer> MakeRegComparer(RegValueType type, HKEY root,
                                              const std::wstring& keyPath,
                                              const std::wstring& valueName, bool view64) {
    switch (type) {
    case RegValueType::Dword:
        return std::make_unique<CRegComparerDword>(root, keyPath, valueName, view64);
    case RegValueType::String:
        return std::make_unique<CRegComparerString>(root, keyPath, valueName, view64);
    case RegValueType::Version:
        break;
    }
    return std::make_unique<CRegComparerVersion>(root, keyPath, valueName, view64);
}
