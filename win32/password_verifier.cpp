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

void loadPasswordVerifier(WindowState& window) {
    if (!window.platform.olderFamily) return;
    if (window.verifierModule) unloadPasswordVerifier(window);
    HKEY desktop = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS) return;
    if (passwordWanted(desktop) && (window.verifierModule = LoadLibraryA("PASSWORD.CPL"))) {
        window.verifier = procAddress<PasswordVerifier>(window.verifierModule, "VerifyScreenSavePwd");
        if (window.verifier)
            setSaverRunning(window.platform, true);
        else
            unloadPasswordVerifier(window);
    }
    RegCloseKey(desktop);
}

void unloadPasswordVerifier(WindowState& window) {
    if (!window.platform.olderFamily || !window.verifierModule) return;
    FreeLibrary(window.verifierModule);
    window.verifierModule = nullptr;
    if (window.verifier) {
        window.verifier = nullptr;
        setSaverRunning(window.platform, false);
    }
}

} // namespace orbisk
