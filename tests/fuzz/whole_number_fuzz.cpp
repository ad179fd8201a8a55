// The whole-number reader that every program's options go through, against a reading of its own: the input is the
// base (its first byte: odd for 16), the bounds (eight bytes each) and the text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "cli/arguments.h"
#include "tests/fuzz/fuzz_checks.h"

namespace {

// The number as the reader's description has it: digits of the base, after a minus sign only in base 10, nothing
// else; empty when the text is no number or its value passes 2^63 either way.
std::optional<long long> expected(const std::string& text, int base) {
    const std::size_t first = base == 10 && text.starts_with('-') ? 1 : 0;
    if (text.size() == first) return std::nullopt;
    __int128 value = 0;
    for (std::size_t i = first; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
        if (value > (__int128{1} << 64)) value = __int128{1} << 64; // far enough past any bound
    }
    if (first == 1) value = -value;
    if (value < INT64_MIN || value > INT64_MAX) return std::nullopt;
    return static_cast<long long>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orbisk;
    if (size < 17) return 0;
    const int base = data[0] % 2 != 0 ? 16 : 10;
    long long low = 0, high = 0;
    std::memcpy(&low, data + 1, sizeof low);
    std::memcpy(&high, data + 9, sizeof high);
    const std::string text(reinterpret_cast<const char*>(data) + 17, size - 17);

    const std::optional<long long> value = parseNumber(text, low, high, base);
    require(value == parseNumber(text, low, high, base), "the same text is read the same way twice");
    require(!value || (*value >= low && *value <= high), "an accepted number lies within the bounds");
    std::optional<long long> wanted = expected(text, base);
    if (wanted && (*wanted < low || *wanted > high)) wanted.reset();
    require(value == wanted, "a number is accepted exactly when it is written as described and within the bounds");
    return 0;
}
