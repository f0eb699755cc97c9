#pragma once
// The output of a condition program as it arrives from its pipe. No Windows calls here.
#include <cstddef>
#include <string>

// Keeps the first kOutputCapacity bytes of the output and counts (but drops) the rest, so that
// the reader can go on draining the pipe and the program never blocks on a full pipe.
class OutputCapture {
public:
    static constexpr std::size_t kOutputCapacity = 4096;

    void Append(const char* data, std::size_t size);
    // The kept bytes, cut back to the last complete UTF-8 character when the output was cut.
    std::string KeptText() const;
    std::size_t TotalBytes() const { return total_; }
    bool WasCut() const { return total_ > kept_.size(); }

private:
    std::string kept_;
    std::size_t total_ = 0;
};

// Length of the longest prefix of `data` that does not end inside a UTF-8 sequence.
std::size_t CompleteUtf8Length(const char* data, std::size_t size);
