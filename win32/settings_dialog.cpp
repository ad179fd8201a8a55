#include "win32/settings_dialog.h"

#include <shellapi.h>

#include "resources/maker.h"
#include "resources/resource_ids.h"

namespace orbisk {
namespace {

// "Vantrel・" in code page 932: the maker and a middle dot.
constexpr char Caption[] = "Vantrel\x81\x45";

void openMakerPage(HWND dialog) {
    SHELLEXECUTEINFOA request{};
    request.cbSize = sizeof request;
    request.hwnd = dialog;
    request.lpFile = ORBISK_MAKER_URL; // no verb: the default action for an address, the user's browser
    request.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&request); // a page that cannot be opened is no concern of the dialog
}

} // namespace

#if defined(_M_IX86) || defined(__i386__)
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "the 32-bit shell takes a 60-byte request");
#endif

int showSettingsDialog(HMODULE module, HWND owner) {
    return static_cast<int>(DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_SETTINGS), owner, settingsDialogProc, 0));
}

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetWindowTextA(dialog, Caption);
        return TRUE; // the dialog manager puts the focus on the default button
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK: EndDialog(dialog, 1); return TRUE;
    case IDCANCEL: EndDialog(dialog, 2); return TRUE;      // Esc and the close box; the dialog has no Cancel button
    case IDC_CONNECT: openMakerPage(dialog); return FALSE; // the dialog stays open
    default: return FALSE;
    }
}

} // namespace orbisk
