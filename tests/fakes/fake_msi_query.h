#pragma once

#include <optional>
#include <string>

// The name asked for by a query of the one form the bootstrapper issues:
//   SELECT `Value` FROM `Property` WHERE `Property`='<name>'
// Any other text yields nothing, so that a change in the caller's query shows up as a failure
// instead of being answered as if it were understood.
std::optional<std::wstring> propertyNameFromQuery(const std::wstring& query);

// Whether text has the form of a product code, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in hex
// digits of either case. The engine refuses any other product argument as invalid.
bool isProductCode(const std::wstring& text);
