// The configuration dialog: zoom and sound.
#include "content.h"

extern "C" BOOL WINAPI ScreenSaverConfigureDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

BOOL PrepareConfigDialog(HINSTANCE)
{
    return TRUE;
}
