// What the programs' command lines have in common: the outcome of reading one, and whole numbers within bounds.
#pragma once

#include <optional>
#include <string>

namespace orbisk {

template <typename Options>
struct ParsedCommand {
    std::optional<Options> options; // empty when help was asked for or the arguments are bad
    bool help = false;
    std::string error; // one line, set when the arguments are bad

    static ParsedCommand helpWanted() { return {std::nullopt, true, {}}; }
    static ParsedCommand failure(std::string message) { return {std::nullopt, false, std::move(message)}; }
};

// Answers a command that asks for help, or is bad, as the programs do: the usage on standard output (exit code 0, or
// 1 when it could not be written), or "PROGRAM: ERROR (--help for usage)" on standard error (exit code
// `badArguments`). Nothing for a command that can run.
std::optional<int> answerHelpOrError(const char* program, const char* usage, bool help, const std::string& error,
                                     int badArguments);

template <typename Options>
std::optional<int> answerHelpOrError(const ParsedCommand<Options>& command, const char* program, const char* usage,
                                     int badArguments) {
    if (command.options) return std::nullopt;
    return answerHelpOrError(program, usage, command.help, command.error, badArguments);
}

// The whole text as a number within [low, high]: digits of the base (10 or 16, without a prefix, leading zeros
// allowed), after a minus sign for a negative decimal; no plus sign, no blank, nothing after the digits.
std::optional<long long> parseNumber(const std::string& text, long long low, long long high, int base = 10);

// TEXT in single quotes, for a message of one line that a terminal shows as it is: a line end, a tab and a backslash
// are written \n, \t and \\, and every other byte that is not part of a printable UTF-8 character (a control
// character, DEL, a byte of no character) as \xHH.
std::string quoted(const std::string& text);

// "NAME must be a whole number from LOW to HIGH, not 'TEXT'", TEXT quoted.
std::string numberOutOfRange(const std::string& name, long long low, long long high, const std::string& text);

// The limits that orbisk-render, orbisk-x11, orbisk-wayland and the web page share: frames to run, and the frames per
// second of the renderer's fixed clock.
inline constexpr long long LargestFrameCount = 1000000000000LL;
inline constexpr long long LargestFixedClockFps = 1000000;

} // namespace orbisk
