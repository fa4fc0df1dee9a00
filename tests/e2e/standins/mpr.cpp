// A stand-in for the Windows 95/98 MPR.DLL password provider entry: every
// call of PwdChangePasswordA appends its arguments to C:\windows\standin-mpr.log.
#include <windows.h>

#include <cstdio>
#include <cstring>

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD a, DWORD b)
{
    char line[200];
    std::snprintf(line, sizeof line, "PwdChangePasswordA provider=%s owner=%lu %lu %lu\r\n",
                  provider ? provider : "(null)", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(owner)),
                  static_cast<unsigned long>(a), static_cast<unsigned long>(b));
    HANDLE file = CreateFileA("C:\\windows\\standin-mpr.log", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
        CloseHandle(file);
    }
    return 0;
}
