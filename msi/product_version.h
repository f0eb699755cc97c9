#pragma once
// Product version texts: up to four dotted parts, each read like _wtoi and kept as 16 bits.
#include <array>
#include <cstdint>
#include <string>

using ProductVersion = std::array<std::uint16_t, 4>;

ProductVersion ParseProductVersion(const std::wstring& text);
// -1 when `installed` is older than `package`, 0 when equal, +1 when newer.
int CompareProductVersions(const ProductVersion& installed, const ProductVersion& package);
