#pragma once
// Turns fuzzer bytes into wide text: one byte is one unit, so dots, digits and
// quotes are cheap to find; 0xFF escapes the next two bytes as one 16-bit unit
// so that wide characters (full-width blanks and digits, surrogates) occur too.

#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <string>

// A failed property ends the run the way libFuzzer reports best: a crash.
#define CHECK(condition)                \
    do {                                \
        if (!(condition)) std::abort(); \
    } while (0)

namespace calderwynfell::fuzz {

inline std::wstring wideText(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && i + 2 < size) {
            text.push_back(static_cast<wchar_t>(data[i + 1] << 8 | data[i + 2]));
            i += 2;
        } else {
            text.push_back(static_cast<wchar_t>(data[i]));
        }
    }
    return text;
}

}  // namespace calderwynfell::fuzz
