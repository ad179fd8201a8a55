// The command tail, the switch and the window handle, as the entry point reads them from GetCommandLineA.
#include <gtest/gtest.h>

#include <cstring>

#include "cli/saver_command_line.h"

namespace orbisk {
namespace {

// CharNextA under code page 932: a lead byte takes the byte after it along, whatever that byte is, unless it is the
// terminating zero; on the zero it stays.
const char* nextCp932(const char* p) {
    const auto lead = static_cast<unsigned char>(*p);
    if (lead == 0) return p;
    const bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    return p + (doubleByte && p[1] != '\0' ? 2 : 1);
}

TEST(CommandLine, TailFollowsTheProgramNameAndItsBlanks) {
    const std::pair<const char*, const char*> cases[] = {
        {"orbisk.scr", ""},
        {"\"C:\\Program Files\\orbisk.scr\"", ""},
        {"", ""},
        {"\"C:\\Program Files\\orbisk.scr\" /s", "/s"},
        {"orbisk.scr\t/s", "/s"},
        {"orbisk.scr \t\r\n /p 5 ", "/p 5 "},
        {"\"a b\"/s", "/s"},         // the closing quote ends the name
        {"\"a b /s", ""},            // without one the name runs to the end
        {" \t/s", "/s"},             // no name at all
        {"\xB1\xB2.scr /s", "/s"},   // single-byte katakana are no blanks
        {"\"C:\\\x95\\\" /s", "/s"}, // 表 (95 5C) right before the closing quote
        // Whole characters: the byte after a lead byte is never a quote or a blank of its own.
        {"\"\x81\"x\" /s", "/s"},
        {"\x81 x.scr /s", "/s"},
        {"\"\x81", ""},
        {"x\x81", ""}};
    for (auto [line, tail] : cases)
        EXPECT_EQ(commandTail(line, nextCp932), line + std::strlen(line) - std::strlen(tail)) << line;
}

TEST(CommandLine, SwitchChoosesTheModeAndWhereItsWindowComesFrom) {
    using enum SaverMode;
    using enum WindowRule;
    struct Case {
        const char* tail;
        std::optional<SaverMode> mode;
        WindowRule window;
        std::uint32_t handle;
    };
    const Case cases[] = {{"", Settings, NoWindow, 0},
                          {"-/ -//", Settings, NoWindow, 0},
                          {"s", FullScreen, NoWindow, 0},
                          {"/S", FullScreen, NoWindow, 0},
                          {"-s", FullScreen, NoWindow, 0},
                          {"//--s", FullScreen, NoWindow, 0},
                          {"/sp", FullScreen, NoWindow, 0},
                          {"/s /p 5", FullScreen, NoWindow, 0},
                          {"/p 1234", Preview, RequiredParent, 1234},
                          {"/l 1234", Preview, RequiredParent, 1234},
                          {"-P  77 /s", Preview, RequiredParent, 77},
                          {"/L1234", Preview, RequiredParent, 1234},
                          {"/p:1234", Preview, RequiredParent, 0},
                          {"/p", Preview, RequiredParent, 0},
                          {"/p 0", Preview, RequiredParent, 0},
                          {"/p\t1234", Preview, RequiredParent, 0},
                          {"/p 4294967297", Preview, RequiredParent, 1}, // wrapped; IsWindow judges it like any other
                          {"/c:1234", Settings, OwnerOrForeground, 1234},
                          {"/C 1234", Settings, OwnerOrForeground, 0},
                          {"/c", Settings, OwnerOrForeground, 0},
                          {"/c1234", Settings, OwnerOrForeground, 0},
                          {"/c: 1234", Settings, OwnerOrForeground, 0},
                          {"/a 1234", ChangePassword, OwnerOrForeground, 1234},
                          {"-A", ChangePassword, OwnerOrForeground, 0},
                          {"/x", {}, NoWindow, 0},
                          {"/1", {}, NoWindow, 0},
                          {"/\ts", {}, NoWindow, 0},
                          {"/+s", {}, NoWindow, 0},
                          {"/\xB3", {}, NoWindow, 0},
                          {"/\x81s", {}, NoWindow, 0}};
    for (const Case& c : cases) {
        const SwitchReading reading = readSwitch(c.tail);
        EXPECT_EQ(reading.mode, c.mode) << c.tail;
        EXPECT_EQ(reading.window, c.window) << c.tail;
        EXPECT_EQ(reading.handle(), c.handle) << c.tail;
    }
}

TEST(CommandLine, WindowHandleIsTheLeadingDecimalNumberWrappedTo32Bits) {
    const std::pair<const char*, std::uint32_t> cases[] = {{"1234", 1234},    {"007", 7},
                                                           {"12ab", 12},      {"65536\xB0", 65536},
                                                           {"", 0},           {"-5", 0},
                                                           {"+5", 0},         {" 5", 0},
                                                           {"0x1F", 0},       {"4294967295", 0xFFFFFFFFu},
                                                           {"4294967296", 0}, {"99999999999", 1215752191}};
    for (auto [text, handle] : cases) EXPECT_EQ(parseWindowHandle(text), handle) << text;
}

} // namespace
} // namespace orbisk
