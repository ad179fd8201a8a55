#include "cli/arguments.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "cli/standard_streams.h"

namespace orbisk {
namespace {

// The length of the UTF-8 character that starts at text[at] if it is a printable one, else 0: a control character
// of C0 or C1, DEL, an overlong form, a surrogate or a byte that starts no character is not.
std::size_t printableCharacterAt(const std::string& text, std::size_t at) {
    const auto byte = [&text](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    const unsigned lead = byte(at);
    if (lead >= 0x20 && lead < 0x7F) return 1;
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    unsigned code = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(at + i) & 0x3F);
    }
    constexpr unsigned Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool valid = code >= Smallest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return valid && code > 0x9F ? length : 0;
}

} // namespace

std::string quoted(const std::string& text) {
    std::string line = "'";
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == '\\' || text[at] == '\n' || text[at] == '\t') {
            line += text[at] == '\\' ? "\\\\" : text[at] == '\n' ? "\\n" : "\\t";
            ++at;
        } else if (const std::size_t length = printableCharacterAt(text, at)) {
            line.append(text, at, length);
            at += length;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[at++]));
            line += escape;
        }
    }
    return line + "'";
}

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
    return name + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high) + ", not " +
           quoted(text);
}

} // namespace orbisk
