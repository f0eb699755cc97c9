#include "fake_msi_script.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::string withoutByteOrderMark(const std::string& text) {
    static const std::string bom = "\xEF\xBB\xBF";
    return text.compare(0, bom.size(), bom) == 0 ? text.substr(bom.size()) : text;
}

std::string withoutLineEnd(std::string line) {
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace

FakeMsiScript FakeMsiScript::parse(const std::string& utf8Text) {
    FakeMsiScript script;
    std::istringstream lines(withoutByteOrderMark(utf8Text));
    std::string line;
    while (std::getline(lines, line)) {
        line = withoutLineEnd(line);
        const auto equals = line.find('=');
        const std::string key = trimmed(line.substr(0, equals));
        if (equals == std::string::npos || key.empty() || key[0] == '#')
            continue;
        // Values are kept exactly: a product name with odd spacing is a legitimate test input.
        script.values_[key] = line.substr(equals + 1);
    }
    return script;
}

std::optional<std::string> FakeMsiScript::text(const std::string& key) const {
    const auto found = values_.find(key);
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

long FakeMsiScript::integer(const std::string& key, long fallback) const {
    const auto value = text(key);
    if (!value)
        return fallback;
    const std::string digits = trimmed(*value);
    if (digits.empty())
        return fallback;
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(digits.c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return fallback;
    return number;
}
