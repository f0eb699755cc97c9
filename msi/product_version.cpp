#include "msi/product_version.h"

#include "foundation/ini_text.h"

ProductVersion ParseProductVersion(const std::wstring& text) {
    ProductVersion version = {0, 0, 0, 0};
    std::size_t start = 0;
    for (std::size_t part = 0; part < version.size() && start <= text.size(); ++part) {
        std::size_t dot = text.find(L'.', start);
        std::size_t end = dot == std::wstring::npos ? text.size() : dot;
        // Parts wider than 16 bits wrap, as they do in the engine's own version fields.
        version[part] =
            static_cast<std::uint16_t>(ParseLeadingInt(text.substr(start, end - start)));
        start = end + 1;
    }
    return version;
}

int CompareProductVersions(const ProductVersion& installed, const ProductVersion& package) {
    for (std::size_t part = 0; part < installed.size(); ++part) {
        if (installed[part] != package[part])
            return installed[part] < package[part] ? -1 : 1;
    }
    return 0;
}
