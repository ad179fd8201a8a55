#include "shell/password_verifier.h"

#include <windows.h>

#include "shell/proc_address.h"
#include "shell/saver_running.h"
#include "shell/shell_state.h"

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

void loadPasswordVerifier() {
    if (!shellState.olderFamily) return;
    if (shellState.verifierModule) unloadPasswordVerifier();
    HKEY desktop = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS) return;
    if (passwordWanted(desktop) && (shellState.verifierModule = LoadLibraryA("PASSWORD.CPL"))) {
        shellState.verifier = procAddress<PasswordVerifier>(shellState.verifierModule, "VerifyScreenSavePwd");
        if (shellState.verifier)
            setSaverRunning(true);
        else
            unloadPasswordVerifier();
    }
    RegCloseKey(desktop);
}

void unloadPasswordVerifier() {
    if (!shellState.olderFamily || !shellState.verifierModule) return;
    FreeLibrary(shellState.verifierModule);
    shellState.verifierModule = nullptr;
    if (shellState.verifier) {
        shellState.verifier = nullptr;
        setSaverRunning(false);
    }
}

} // namespace orbisk
