// Windows 95/98 screen-saver password protection.
#include "host.h"

HMODULE verifierModule;
VerifyPasswordFn verifierProc;
BOOL verifyInProgress;
DWORD lastVerifyTick = 0xFFFFFFFF;

void LoadPasswordVerifier()
{
}

void UnloadPasswordVerifier()
{
}

int VerifyPasswordOnClose(HWND)
{
    closeApproved = 1;
    return 1;
}

void SetSaverRunning(BOOL)
{
}

int RunChangePassword(const char*)
{
    return 0;
}

void ChangePassword(HWND)
{
}
