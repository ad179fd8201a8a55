#include "win32/entry.h"

#include <cstdint>

#include "cli/saver_command_line.h"
#include "win32/fault_guard.h"
#include "win32/proc_address.h"
#include "win32/saver_window.h"
#include "win32/settings_dialog.h"

namespace orbisk {
namespace {

bool isOlderFamily() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// Handles on the command line are decimal; every one is checked with IsWindow before use.
HWND windowFromHandle(std::uint32_t handle) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle)); }

HWND windowOrForeground(std::uint32_t handle) {
    const HWND window = windowFromHandle(handle);
    return handle != 0 && IsWindow(window) ? window : GetForegroundWindow();
}

const char* nextCharacter(const char* text) { return CharNextA(text); }

struct ModeRun {
    Platform platform;
    const char* tail;
};

int runSwitch(const void* context) {
    const auto& run = *static_cast<const ModeRun*>(context);
    const SwitchReading reading = readSwitch(run.tail);
    if (!reading.mode) return -1;
    switch (*reading.mode) {
    case SaverMode::Settings:
        return showSettingsDialog(run.platform.module, reading.window == WindowRule::OwnerOrForeground
                                                           ? windowOrForeground(reading.handle())
                                                           : nullptr);
    case SaverMode::Preview: {
        const HWND parent = windowFromHandle(reading.handle());
        return reading.handle() != 0 && IsWindow(parent) ? runSaverWindow(run.platform, parent) : -1;
    }
    case SaverMode::FullScreen: return runSaverWindow(run.platform, nullptr);
    case SaverMode::ChangePassword: return run.platform.olderFamily ? changePasswordMode(reading.handleText) : -1;
    }
    return -1;
}

} // namespace

int changePasswordMode(const char* text) {
    const HWND owner = windowOrForeground(parseWindowHandle(text));
    if (const HMODULE mpr = LoadLibraryA("MPR.DLL")) {
        using ChangePassword = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD, LPVOID);
        // The provider asks for the new password and keeps it; the saver never sees it.
        if (const auto change = procAddress<ChangePassword>(mpr, "PwdChangePasswordA"))
            change("SCRSAVE", owner, 0, nullptr);
        FreeLibrary(mpr);
    }
    return 0;
}

int selectMode(HMODULE module, HMODULE, const char* tail, int) {
    const ModeRun run = {{module, isOlderFamily()}, tail};
    return runGuarded(run.platform, runSwitch, &run);
}

void runCommandLine() {
    const char* tail = commandTail(GetCommandLineA(), nextCharacter);
    STARTUPINFOA startup{};
    startup.dwFlags = 0;
    GetStartupInfoA(&startup);
    const int showFlag = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(static_cast<UINT>(selectMode(GetModuleHandleA(nullptr), nullptr, tail, showFlag)));
}

} // namespace orbisk

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { orbisk::runCommandLine(); }
