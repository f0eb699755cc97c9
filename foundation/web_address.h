#pragma once
// A download page's address as the browser is to get it. Pure text logic.
#include <string>

// An address with the scheme http or https as it is (blanks around it dropped); one without a
// scheme (www.vendor.com, vendor.com:8080/x) with "http://" in front. "" when it is no web
// address: another scheme (file:, javascript:, ms-settings:...), a drive or a path (C:\x.exe,
// \\server\share, /x), or nothing.
std::wstring WebAddress(const std::wstring& url);
