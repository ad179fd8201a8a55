#include "win32/password_verifier.h"

#include <windows.h>

#include "win32/proc_address.h"
#include "win32/saver_running.h"

namespace orbisk {
namespace {

// "ScreenSaveUsePassword", 4 bytes whatever its type. A shorter value fills only its own bytes of a field that
// starts at 0, so a one-byte 1 reads as 1.
bool passwordWanted(HKEY desktop) {
    DWORD wanted = 0;
    DWORD size = sizeof wanted;
    return RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr, reinterpret_cast<BYTE*>(&wanted),
                            &size) == ERROR_SUCCESS &&
           wanted != 0;
}

} // namespace

void loadPasswordVerifier(ShellState& shell) {
    if (!shell.platform.olderFamily) return;
    if (shell.verifierModule) unloadPasswordVerifier(shell);
    HKEY desktop = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS) return;
    if (passwordWanted(desktop) && (shell.verifierModule = LoadLibraryA("PASSWORD.CPL"))) {
        shell.verifier = procAddress<PasswordVerifier>(shell.verifierModule, "VerifyScreenSavePwd");
        if (shell.verifier)
            setSaverRunning(shell.platform, true);
        else
            unloadPasswordVerifier(shell);
    }
    RegCloseKey(desktop);
}

void unloadPasswordVerifier(ShellState& shell) {
    if (!shell.platform.olderFamily || !shell.verifierModule) return;
    FreeLibrary(shell.verifierModule);
    shell.verifierModule = nullptr;
    if (shell.verifier) {
        shell.verifier = nullptr;
        setSaverRunning(shell.platform, false);
    }
}

} // namespace orbisk
