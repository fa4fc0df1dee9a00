// A stand-in for the Windows 95/98 PASSWORD.CPL: VerifyScreenSavePwd shows a
// small modal dialog owned by the saver (so the saver meets a real nested
// message loop), then answers what the test wrote into
// C:\windows\standin-verify.txt: "accept", "refuse" or "fault", optionally
// followed by how long the dialog stays up in milliseconds (default 300; 0
// answers at once without a dialog).
// Every call appends a line to C:\windows\standin-verify.log.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

const char answerFile[] = "C:\\windows\\standin-verify.txt";
const char logFile[] = "C:\\windows\\standin-verify.log";

HMODULE self;

void AppendLine(const char* path, const char* line)
{
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    CloseHandle(file);
}

void ReadAnswer(char* answer, size_t size, UINT* dialogMs)
{
    char text[64] = "";
    HANDLE file = CreateFileA(answerFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD read = 0;
        ReadFile(file, text, sizeof text - 1, &read, nullptr);
        text[read] = '\0';
        CloseHandle(file);
    }
    *dialogMs = 300;
    std::sscanf(text, "%15s %u", answer, dialogMs);
    answer[size - 1] = '\0';
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetTimer(dialog, 1, static_cast<UINT>(lParam), nullptr);
        return TRUE;
    case WM_TIMER:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

// An in-memory template: no controls, a caption the test can look for.
struct alignas(4) DialogTemplate {
    DLGTEMPLATE header;
    WORD menu, windowClass;
    WCHAR title[24];
};

void ShowDialog(HWND owner, UINT milliseconds)
{
    DialogTemplate t = {};
    t.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    t.header.cx = 160;
    t.header.cy = 40;
    std::wcscpy(t.title, L"Stand-in password");
    DialogBoxIndirectParamA(self, &t.header, owner, DialogProc, static_cast<LPARAM>(milliseconds));
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND owner)
{
    char ownerClass[64] = "";
    GetClassNameA(owner, ownerClass, sizeof ownerClass);
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    char line[160];
    std::snprintf(line, sizeof line, "asked owner=%s running=%d\r\n", ownerClass, running ? 1 : 0);
    AppendLine(logFile, line);

    char answer[16] = "";
    UINT dialogMs;
    ReadAnswer(answer, sizeof answer, &dialogMs);
    if (std::strcmp(answer, "fault") == 0) {
        volatile int* volatile nowhere = nullptr;
        *nowhere = 1;
    }
    if (dialogMs != 0)
        ShowDialog(owner, dialogMs);
    return std::strcmp(answer, "accept") == 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}
