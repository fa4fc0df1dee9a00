// The saver procedure: the content of the saver window.
#include "content.h"
#include "host.h"

extern "C" LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultSaverProc(window, message, wParam, lParam);
}
