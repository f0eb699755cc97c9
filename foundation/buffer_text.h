#pragma once
// Text out of fixed-size buffers filled by the system. No Windows calls here.
#include <cstddef>
#include <string>

// The text up to the first NUL, never reading past `units`: data that fills a buffer exactly
// (registry strings, for one) carries no terminating NUL.
std::wstring TextUpToNul(const wchar_t* buffer, std::size_t units);
