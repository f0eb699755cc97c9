#pragma once
// Fuzzer input as the product sees text. On Windows wchar_t is a 16-bit unit; here it is 32 bits
// wide, so text is built from 16-bit units (two bytes each, little endian) and never holds a
// value that Windows text could not.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Stops the run with a message when an invariant does not hold; libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

inline std::wstring WideFromUnits(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    text.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    return text;
}

// Takes small numbers from the front of the input; what is left is text.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() {
        if (size_ == 0)
            return 0;
        --size_;
        return *data_++;
    }
    std::uint32_t number() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | byte();
        return value;
    }
    std::wstring restAsText() const { return WideFromUnits(data_, size_); }
    std::string restAsBytes() const { return std::string(data_, data_ + size_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};
