#include "cli/arguments.h"

#include <cerrno>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "cli/standard_streams.h"

namespace orbisk {

std::optional<long long> parseNumber(const std::string& text, long long low, long long high, int base) {
    const std::size_t firstDigit = base == 10 && !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() <= firstDigit) return std::nullopt;
    for (std::size_t i = firstDigit; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!(base == 16 ? std::isxdigit(c) : std::isdigit(c))) return std::nullopt;
    }
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, base);
    if (errno != 0 || value < low || value > high) return std::nullopt;
    return value;
}

std::optional<int> answerHelpOrError(const char* program, const char* usage, bool help, const std::string& error,
                                     int badArguments) {
    if (help) {
        std::fputs(usage, stdout);
        return closeStandardOutput(program, 0);
    }
    std::fprintf(stderr, "%s: %s (--help for usage)\n", program, error.c_str());
    return badArguments;
}

std::string numberOutOfRange(const std::string& name, long long low, long long high, const std::string& text) {
    return name + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high) + ", not '" +
           text + "'";
}

} // namespace orbisk
