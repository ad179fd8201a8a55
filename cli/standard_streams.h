// Standard input, output and error as a program started from a shell or a daemon finds them, which may be closed.
#pragma once

namespace orbisk {

// Gives each of descriptors 0, 1 and 2 that is closed a descriptor of /dev/null, so that no file or connection the
// program opens later takes its number: standard input write-only and the other two read-only, so that what the
// program writes to a stream that was closed still fails. Call it before anything is opened.
void occupyClosedStandardStreams();

// Flushes and closes standard output. The exit code `code`, or 1 with a line "PROGRAM: cannot write to standard
// output: REASON" on standard error when some of what was written to it was lost.
int closeStandardOutput(const char* program, int code);

} // namespace orbisk
