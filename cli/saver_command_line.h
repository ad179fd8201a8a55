// Reading the saver's command line: the tail after the program name, the switch and a window handle. These only
// report what the command line asks for; the entry point checks handles with IsWindow and runs the mode, so the
// reading itself builds and is tested without Windows.
#pragma once

#include <cstdint>
#include <optional>

namespace orbisk {

// Steps over one character. On Windows this is CharNextA, which passes a double-byte character whole and stays on
// the terminating zero.
using NextCharacter = const char* (*)(const char*);

// The command line without the program name (quoted, or up to the first blank) and the blanks after it: every byte
// from 0x01 to 0x20 counts as a blank here, not only the space.
const char* commandTail(const char* commandLine, NextCharacter next);

enum class SaverMode { Settings, Preview, FullScreen, ChangePassword };

// What the entry point does with the window handle written after the switch.
enum class WindowRule {
    NoWindow,          // s, and a tail without a switch: the settings dialog then has no owner
    OwnerOrForeground, // c and a: the written window if it is not 0 and IsWindow accepts it, else the foreground window
    RequiredParent,    // p and l: the written window; 0, or a handle IsWindow rejects, ends the process with -1
};

struct SwitchReading {
    // Empty when the tail's first switch is none of s, p, l, c, a: the process ends with -1. ChangePassword is read
    // on every system; outside the older family the entry point ends with -1 instead.
    std::optional<SaverMode> mode;
    WindowRule window = WindowRule::NoWindow;
    // Where the decimal handle starts; nullptr when none is written (c without a colon, and s or no switch).
    const char* handleText = nullptr;

    // parseWindowHandle (handleText), or 0 when no handle is written.
    std::uint32_t handle() const;
};

// Reads the first switch of a command tail. Separators (space, '-' and '/') may repeat and mix before it; the letter
// is taken in either case and what follows the part its mode reads is ignored.
SwitchReading readSwitch(const char* tail);

// The decimal number at the start of the text, wrapping in 32 bits; 0 if the text starts with anything but a
// digit (no sign, blanks or hexadecimal).
std::uint32_t parseWindowHandle(const char* text);

} // namespace orbisk
