#include "shell/shell_state.h"

namespace orbisk {

ShellState shellState;

} // namespace orbisk
