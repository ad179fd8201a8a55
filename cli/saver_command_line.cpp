#include "cli/saver_command_line.h"

namespace orbisk {
namespace {

// Compared unsigned, so that the bytes 0x80 to 0xFF (lead bytes of double-byte names among them) are never blanks.
bool isBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// After the handle-taking letters only spaces are skipped: a tab before the handle leaves no handle.
const char* skipSpaces(const char* p) {
    while (*p == ' ') ++p;
    return p;
}

} // namespace

const char* commandTail(const char* commandLine, NextCharacter next) {
    const char* p = commandLine;
    if (*p == '"') {
        // Whole characters, as the platform steps: a quote right after a lead byte belongs to it and ends nothing.
        do p = next(p);
        while (*p != '\0' && *p != '"');
        if (*p == '"') ++p;
    } else {
        while (!isBlank(*p)) p = next(p);
    }
    while (*p != '\0' && isBlank(*p)) p = next(p);
    return p;
}

std::uint32_t SwitchReading::handle() const { return handleText != nullptr ? parseWindowHandle(handleText) : 0; }

SwitchReading readSwitch(const char* tail) {
    const char* p = tail;
    while (*p == ' ' || *p == '-' || *p == '/') ++p;
    switch (*p) {
    case '\0': return {.mode = SaverMode::Settings};
    case 'a':
    case 'A':
        return {.mode = SaverMode::ChangePassword,
                .window = WindowRule::OwnerOrForeground,
                .handleText = skipSpaces(p + 1)};
    case 'c':
    case 'C':
        // Only a colon introduces the owner; "/c 1234" asks for the foreground window.
        return {.mode = SaverMode::Settings,
                .window = WindowRule::OwnerOrForeground,
                .handleText = p[1] == ':' ? p + 2 : nullptr};
    case 'p':
    case 'P':
    case 'l':
    case 'L':
        return {.mode = SaverMode::Preview, .window = WindowRule::RequiredParent, .handleText = skipSpaces(p + 1)};
    case 's':
    case 'S': return {.mode = SaverMode::FullScreen};
    default: return {};
    }
}

std::uint32_t parseWindowHandle(const char* text) {
    std::uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) value = value * 10u + static_cast<std::uint32_t>(*text - '0');
    return value;
}

} // namespace orbisk
