#pragma once

#include <map>
#include <optional>
#include <string>

// The answers a test scripts for the fake engine: `key=value` lines in UTF-8.
// Blank lines and lines starting with '#' are ignored; a later line overrides an earlier one.
class FakeMsiScript {
public:
    static FakeMsiScript parse(const std::string& utf8Text);

    std::optional<std::string> text(const std::string& key) const;
    // A value that is not wholly a decimal integer also yields the fallback, not its leading
    // digits: "16O3" must not quietly become 16.
    long integer(const std::string& key, long fallback) const;

private:
    std::map<std::string, std::string> values_;
};
