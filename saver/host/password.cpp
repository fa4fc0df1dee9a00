// Windows 95/98 screen-saver password protection: the platform's verifier
// guards every close, and the platform is told while a saver runs so that it
// blocks the task-switching keys meanwhile.
#include "host.h"

HMODULE verifierModule;
VerifyPasswordFn verifierProc;
BOOL verifyInProgress;
DWORD lastVerifyTick = noVerifyYet;

// The key or click that dismissed a refused dialog would otherwise raise the
// next one at once; requests this soon after the last dialog ended are
// refused without asking.
static const DWORD refusalWindowMs = 200;

typedef DWORD(WINAPI* ChangePasswordFn)(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2);

static void LoadVerifierLibrary()
{
    verifierModule = LoadLibraryA("PASSWORD.CPL");
    if (verifierModule == nullptr)
        return;
    verifierProc = ProcAs<VerifyPasswordFn>(GetProcAddress(verifierModule, "VerifyScreenSavePwd"));
    if (verifierProc != nullptr)
        SetSaverRunning(TRUE);
    else
        UnloadPasswordVerifier();
}

void LoadPasswordVerifier()
{
    if (!isWin9xFamily)
        return;
    HKEY desktop;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS)
        return;
    // Zeroed first: a value shorter than 4 bytes fills only its own bytes.
    // One longer than 4 fails the read, which counts as no protection.
    DWORD usePassword = 0;
    DWORD size = sizeof usePassword;
    LSTATUS read = RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr,
                                    reinterpret_cast<LPBYTE>(&usePassword), &size);
    if (read == ERROR_SUCCESS && usePassword != 0)
        LoadVerifierLibrary();
    RegCloseKey(desktop);
}

void UnloadPasswordVerifier()
{
    if (!isWin9xFamily || verifierModule == nullptr)
        return;
    FreeLibrary(verifierModule);
    verifierModule = nullptr;
    if (verifierProc != nullptr) {
        verifierProc = nullptr;
        SetSaverRunning(FALSE);
    }
}

int VerifyPasswordOnClose(HWND window)
{
    // The verifier's dialog runs a message loop of its own, which dispatches
    // closes to us while it is up; they must not stack a second dialog.
    if (verifyInProgress)
        return 0;
    if (verifierProc == nullptr) {
        closeApproved = 1;
        return 1;
    }
    DWORD now = GetTickCount();
    if (lastVerifyTick != noVerifyYet && now - lastVerifyTick < refusalWindowMs)
        return 0;

    verifyInProgress = TRUE;
    // Timer ticks already queued belong to before the dialog; its own loop
    // would hand them to the content late, one after another.
    MSG stale;
    PeekMessageA(&stale, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&stale, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    // Sent, not called: the request travels our own window chain, so the
    // content procedure may answer it before the host does.
    LRESULT answer = SendMessageA(window, WM_APP, 0, 0);
    closeApproved = static_cast<LONG>(answer);
    verifyInProgress = FALSE;
    if (answer == 0)
        SetCursor(nullptr);  // the dialog showed the cursor; the saver hides it again
    lastVerifyTick = GetTickCount();  // the window counts from the end of the dialog
    return closeApproved;
}

void SetSaverRunning(BOOL running)
{
    if (!isWin9xFamily)
        return;
    BOOL previous;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, static_cast<UINT>(running), &previous, 0);
}

int RunChangePassword(const char* text)
{
    HWND owner = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(ParseWindowHandle(text)));
    if (owner == nullptr || !IsWindow(owner))
        owner = GetForegroundWindow();
    ChangePassword(owner);
    return 0;
}

void ChangePassword(HWND owner)
{
    HMODULE provider = LoadLibraryA("MPR.DLL");
    if (provider == nullptr)
        return;
    ChangePasswordFn change = ProcAs<ChangePasswordFn>(GetProcAddress(provider, "PwdChangePasswordA"));
    if (change != nullptr)
        change("SCRSAVE", owner, 0, 0);
    FreeLibrary(provider);
}
