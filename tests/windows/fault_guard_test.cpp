// The fault guard around a mode: a fault goes through the system's report of a failing program and, when the user
// lets the program go, ends the process with -1; a mode that does not fault returns its own result and leaves the
// process's filter as it found it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "win32/fault_guard.h"

namespace orbisk {
namespace {

// Wine's report of a failing program: with AeDebug's Auto off it asks in this box whether to debug the program, and
// "No" lets the program go, as closing the report does on Windows. (With Auto on, a debugger attaches and ends the
// process itself; the guard then leaves it alone.)
constexpr char ReportCaption[] = "Exception raised";
constexpr char AeDebugKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";

// Sets AeDebug's Auto to "0" for as long as it lives.
class ReportAsksTheUser {
public:
    ReportAsksTheUser() {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, AeDebugKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                        nullptr);
        DWORD size = sizeof saved_ - 1;
        hadValue_ = RegQueryValueExA(key_, "Auto", nullptr, &type_, reinterpret_cast<BYTE*>(saved_), &size) == 0;
        savedSize_ = size;
        RegSetValueExA(key_, "Auto", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
    }
    ~ReportAsksTheUser() {
        if (hadValue_)
            RegSetValueExA(key_, "Auto", 0, type_, reinterpret_cast<const BYTE*>(saved_), savedSize_);
        else
            RegDeleteValueA(key_, "Auto");
        RegCloseKey(key_);
    }
    ReportAsksTheUser(const ReportAsksTheUser&) = delete;
    ReportAsksTheUser& operator=(const ReportAsksTheUser&) = delete;

private:
    HKEY key_ = nullptr;
    bool hadValue_ = false;
    DWORD type_ = REG_SZ, savedSize_ = 0;
    char saved_[64] = {};
};

// The user: waits for the report, copies its text to stderr and answers "No".
DWORD WINAPI answerReport(void*) {
    for (int tries = 0; tries < 200; ++tries, Sleep(50)) {
        const HWND report = FindWindowA(nullptr, ReportCaption);
        if (!report) continue;
        char text[512] = "";
        for (HWND child = GetWindow(report, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (GetWindowTextLengthA(child) > GetWindowTextLengthA(GetDlgItem(report, IDNO)))
                GetWindowTextA(child, text, sizeof text);
        std::fprintf(stderr, "report: %s\n", text);
        std::fflush(stderr);
        PostMessageA(report, WM_COMMAND, IDNO, 0);
        return 0;
    }
    return 1;
}

int writeThroughNull(const void*) {
    CloseHandle(CreateThread(nullptr, 0, answerReport, nullptr, 0, nullptr));
    *static_cast<volatile int*>(nullptr) = 1;
    return 0;
}

TEST(FaultGuardDeathTest, AFaultIsReportedAndThenEndsTheProcessWithMinusOne) {
    const ReportAsksTheUser report;
    // GetExitCodeProcess gives 0xFFFFFFFF, which the death test compares as the int -1. The report names the fault
    // as Wine learnt it from the signal: a page fault natively, an illegal instruction when the 32-bit program runs
    // under user-mode emulation.
    EXPECT_EXIT(runGuarded(Platform{}, writeThroughNull, nullptr), testing::ExitedWithCode(-1),
                "report: Unhandled .* at address ");
}

LONG WINAPI outerFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

int answerWhileGuarded(const void* context) {
    const LPTOP_LEVEL_EXCEPTION_FILTER current = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(current);
    *static_cast<LPTOP_LEVEL_EXCEPTION_FILTER*>(const_cast<void*>(context)) = current;
    return 42;
}

TEST(FaultGuard, AModeWithoutFaultKeepsItsResultAndTheOuterFilter) {
    const LPTOP_LEVEL_EXCEPTION_FILTER before = SetUnhandledExceptionFilter(outerFilter);
    LPTOP_LEVEL_EXCEPTION_FILTER during = nullptr;
    EXPECT_EQ(runGuarded(Platform{}, answerWhileGuarded, &during), 42);
    EXPECT_NE(during, nullptr) << "the guard was not the filter while the mode ran";
    EXPECT_NE(during, outerFilter) << "the guard was not the filter while the mode ran";
    EXPECT_EQ(SetUnhandledExceptionFilter(before), outerFilter);
}

} // namespace
} // namespace orbisk
