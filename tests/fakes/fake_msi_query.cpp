#include "fake_msi_query.h"

std::optional<std::wstring> propertyNameFromQuery(const std::wstring& query) {
    static const std::wstring prefix = L"SELECT `Value` FROM `Property` WHERE `Property`='";
    static const std::wstring suffix = L"'";
    if (query.size() <= prefix.size() + suffix.size())
        return std::nullopt;
    if (query.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    if (query.compare(query.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    std::wstring name = query.substr(prefix.size(), query.size() - prefix.size() - suffix.size());
    if (name.find(L'\'') != std::wstring::npos)
        return std::nullopt;
    return name;
}

bool isProductCode(const std::wstring& text) {
    static const std::wstring shape = L"{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (text.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const wchar_t c = text[i];
        const bool isHex =
            (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
        if (shape[i] == L'X' ? !isHex : c != shape[i])
            return false;
    }
    return true;
}
