// What the fuzz targets check besides that nothing crashes: an invariant that does not hold ends the run with its
// description, and libFuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

inline void require(bool holds, const char* invariant) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
}

// The input as a command line: its pieces between zero bytes.
inline std::vector<std::string> piecesOf(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            pieces.emplace_back();
        else
            pieces.back() += static_cast<char>(data[i]);
    }
    return pieces;
}

// Whether the text is UTF-8 with neither a control character (C0, DEL, C1) nor a line or paragraph separator.
inline bool printableLine(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) return false;
        if (byte < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
        if (byte < 0xC2 || byte > 0xF4 || i + length > text.size()) return false;
        std::uint32_t code = byte & (0xFFu >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3F);
        }
        const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
        if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code <= 0x9F || code == 0x2028 ||
            code == 0x2029)
            return false;
        i += length;
    }
    return true;
}

// A refusal: one line of printable UTF-8 that begins with what it names (an option, "unknown argument").
inline void requireRefusal(const std::string& error, std::initializer_list<std::string_view> openings) {
    require(printableLine(error), "a refusal is one line of printable characters");
    bool named = false;
    for (std::string_view opening : openings) named = named || error.starts_with(opening);
    require(named, "a refusal names the option");
}

// A program's command line read twice (`command`, `again`; `fields` ties what an accepted one holds): the same both
// times; help, when asked for, is all that is answered; a refusal is one line that names one of `openings`. The
// options when the line is accepted, else none.
template <typename Parsed, typename Fields>
const auto* acceptedOptions(const Parsed& command, const Parsed& again, Fields fields,
                            std::initializer_list<std::string_view> openings) {
    require(command.help == again.help && command.error == again.error &&
                command.options.has_value() == again.options.has_value() &&
                (!command.options || fields(*command.options) == fields(*again.options)),
            "the same command line is read the same way twice");
    if (command.help) require(!command.options && command.error.empty(), "help asked for is all that is answered");
    if (!command.help && !command.options) requireRefusal(command.error, openings);
    if (command.options) require(command.error.empty(), "an accepted command line has no error");
    return command.options ? &*command.options : nullptr;
}

} // namespace orbisk
