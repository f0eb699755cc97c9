#include "prereq/output_capture.h"

void OutputCapture::Append(const char* data, std::size_t size) {
    total_ += size;
    if (kept_.size() < kOutputCapacity) {
        std::size_t room = kOutputCapacity - kept_.size();
        kept_.append(data, size < room ? size : room);
    }
}

std::string OutputCapture::KeptText() const {
    if (!WasCut())
        return kept_;
    return kept_.substr(0, CompleteUtf8Length(kept_.data(), kept_.size()));
}

std::size_t CompleteUtf8Length(const char* data, std::size_t size) {
    // Step back over continuation bytes (10xxxxxx) to the lead byte of the last sequence.
    std::size_t lead = size;
    std::size_t stepped = 0;
    while (lead > 0 && stepped < 4 && (static_cast<unsigned char>(data[lead - 1]) & 0xC0) == 0x80) {
        --lead;
        ++stepped;
    }
    if (lead == 0)
        return size; // no lead byte at all: not UTF-8 to repair
    auto byte = static_cast<unsigned char>(data[lead - 1]);
    std::size_t needed = byte < 0x80    ? 1
                         : byte >= 0xF0 ? 4
                         : byte >= 0xE0 ? 3
                         : byte >= 0xC0 ? 2
                                        : 1;
    std::size_t have = size - (lead - 1);
    return have >= needed ? size : lead - 1;
}
