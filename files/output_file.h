// A file that a program writes whole, as a careful tool writes one.
//
// The path may lead through symbolic links: the file they lead to is written and the links stay. A regular file is
// written to a new temporary file in its own folder (so that no other run can take the name, and a leftover of a
// killed run is no obstacle), which takes the old file's mode, and owner where that is allowed, is synced to the
// disk and renamed over it: the file is the old one or the whole new one, never a part. A regular file with other
// hard links is written in place instead, so that all its names show the new content. Anything else that can be
// written, a device or a FIFO that someone reads, is written directly and never renamed over; so is a descriptor of
// the process (/dev/stdout), through itself. A stop signal (cli/stop_signals.h) ends a direct write that blocks.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace orbisk {

class OutputFile {
public:
    // Finds where `path` leads and whether a file can be written there, as far as can be known without changing
    // anything, and leaves everything as it was. Empty, with a line in `error` that names the path and the cause,
    // if it cannot.
    static std::optional<OutputFile> open(const std::string& path, std::string& error);

    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&&) = delete;
    ~OutputFile();

    // Writes `content` as the whole file, once. False, with a line in `error`, when that failed.
    bool write(std::span<const std::uint8_t> content, std::string& error);

private:
    OutputFile(std::string subject, int folder, std::string name, int direct, bool inPlace);

    std::string subject_; // the path, and where it leads if that is elsewhere: for messages
    int folder_;          // the folder of the file the path leads to
    std::string name_;    // that file's name in it
    int direct_;          // a file written without a rename, open for writing; else -1
    bool inPlace_;        // direct_ is a regular file
};

} // namespace orbisk
