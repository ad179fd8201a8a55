// The settings dialog: the product's picture, icon, title and version, and a button that opens the maker's web
// page. The saver has no settings of its own.
#pragma once

#include <windows.h>

namespace orbisk {

// Shows the dialog modally, owned by `owner` (or by nobody). Returns 1 after OK, 2 after Esc or the close box, and
// DialogBoxParamA's failure value when the dialog cannot be made.
int showSettingsDialog(HMODULE module, HWND owner);

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace orbisk
