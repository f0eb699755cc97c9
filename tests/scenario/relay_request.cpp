#include "relay_request.h"

#include <vector>

namespace scenario {
namespace {

constexpr size_t kFixedFields = 4;

void AppendField(std::string& bytes, const std::wstring& field) {
    for (wchar_t c : field) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    bytes.append(2, '\0');
}

std::vector<std::wstring> SplitFields(const std::string& bytes) {
    std::vector<std::wstring> fields;
    std::wstring field;
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const auto c = static_cast<wchar_t>(static_cast<unsigned char>(bytes[at]) |
                                            (static_cast<unsigned char>(bytes[at + 1]) << 8));
        if (c != L'\0') {
            field.push_back(c);
            continue;
        }
        fields.push_back(field);
        field.clear();
    }
    return fields;
}

} // namespace

std::string EncodeRelayRequest(const RelayRequest& request) {
    std::string bytes;
    for (const std::wstring* field :
         {&request.exePath, &request.commandLine, &request.workingFolder, &request.eventName})
        AppendField(bytes, *field);
    for (const auto& [name, value] : request.environment) {
        AppendField(bytes, name);
        AppendField(bytes, value);
    }
    return bytes;
}

bool DecodeRelayRequest(const std::string& bytes, RelayRequest& request) {
    const std::vector<std::wstring> fields = SplitFields(bytes);
    if (fields.size() < kFixedFields || (fields.size() - kFixedFields) % 2 != 0)
        return false;
    request.exePath = fields[0];
    request.commandLine = fields[1];
    request.workingFolder = fields[2];
    request.eventName = fields[3];
    request.environment.clear();
    for (size_t i = kFixedFields; i < fields.size(); i += 2)
        request.environment.emplace_back(fields[i], fields[i + 1]);
    return true;
}

} // namespace scenario
