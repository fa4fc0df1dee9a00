// The closing rules: which input and platform events end the running saver.
#include "host.h"

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}
