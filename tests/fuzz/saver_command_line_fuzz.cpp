// Reads arbitrary command lines, double-byte names included. The input is copied into a buffer of exactly its size
// plus the terminating zero, so that AddressSanitizer catches any read past the zero.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "cli/saver_command_line.h"
#include "tests/fuzz/fuzz_checks.h"

namespace {

using namespace orbisk;

// CharNextA under code page 932, as in the unit tests: never past the terminating zero.
const char* nextCp932(const char* p) {
    const auto lead = static_cast<unsigned char>(*p);
    if (lead == 0) return p;
    const bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    return p + (doubleByte && p[1] != '\0' ? 2 : 1);
}

// The entry point hands the handle text of p, l and a on without looking, so it must be there and inside the text.
void readSwitchOf(const char* text, const char* end) {
    const SwitchReading reading = readSwitch(text);
    const SwitchReading again = readSwitch(text);
    require(reading.mode == again.mode && reading.handleText == again.handleText,
            "the same switch is read twice alike");
    if (reading.handleText != nullptr)
        require(reading.handleText >= text && reading.handleText <= end, "the handle's text lies in the command line");
    const bool takesHandle = reading.mode == SaverMode::Preview || reading.mode == SaverMode::ChangePassword;
    require(!takesHandle || reading.handleText != nullptr, "a preview or a password change has a handle's text");
    require(reading.handle() == again.handle() && parseWindowHandle(text) == parseWindowHandle(text),
            "the same handle is read twice alike");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::unique_ptr<char[]> line(new char[size + 1]);
    std::copy(data, data + size, line.get());
    line[size] = '\0';
    const char* end = line.get() + std::strlen(line.get());

    const char* tail = commandTail(line.get(), nextCp932);
    require(tail == commandTail(line.get(), nextCp932), "the same command line has the same tail twice");
    require(tail >= line.get() && tail <= end, "the tail lies in the command line");
    require(*tail == '\0' || static_cast<unsigned char>(*tail) > 0x20, "the tail starts after the blanks");
    readSwitchOf(tail, end);
    readSwitchOf(line.get(), end);
    return 0;
}
