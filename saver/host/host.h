// The saver host: process entry, mode dispatch, the saver window, the closing
// rules and the Windows 95/98 password protection.
#pragma once
#include <windows.h>

// GetProcAddress hands back a generic FARPROC; going through void(*)() tells
// the compiler that the cast to the real signature is deliberate.
template <typename Function>
Function ProcAs(FARPROC proc)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

// --- Process-wide state of the single thread; zero until set. ---
extern HINSTANCE appInstance;          // our own module, source of every resource
extern BOOL isWin9xFamily;             // running on Windows 95/98; set once at start
extern BOOL isPreviewMode;             // the saver window is a preview child
extern HWND saverWindow;               // the saver window, once CreateWindowExA returned
extern LONG closeApproved;            // non-zero once a close may go through; never cleared
extern POINT cursorAnchor;             // where mouse travel is measured from
extern UINT queryCancelAutoPlayMessage;  // "QueryCancelAutoPlay" on Windows 95/98, else 0

// Password verifier state, owned by password.cpp.
typedef BOOL(WINAPI* VerifyPasswordFn)(HWND owner);
extern HMODULE verifierModule;         // PASSWORD.CPL while loaded
extern VerifyPasswordFn verifierProc;  // its VerifyScreenSavePwd, or null
extern BOOL verifyInProgress;          // a verification request is running
extern DWORD lastVerifyTick;           // tick at the end of the last request; noVerifyYet: none yet
const DWORD noVerifyYet = 0xFFFFFFFF;

// --- Entry and dispatch (entry.cpp) ---
const char* SkipProgramName(const char* commandLine);
int SaverMain(HINSTANCE instance, const char* args);
DWORD ParseWindowHandle(const char* text);
int RunPreview(const char* text);
int RunConfigDialog(HWND owner);

// Runs mode(args) inside a structured-exception guard (fault_guard.cpp).
int RunGuarded(int (*mode)(const char*), const char* args);

// --- Saver window (saver_window.cpp) ---
int RunSaverWindow(HWND parent);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- Closing rules (closing.cpp) ---
const LONG mouseMoveThreshold = 4;
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- Password protection (password.cpp) ---
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
int VerifyPasswordOnClose(HWND window);
void SetSaverRunning(BOOL running);
int RunChangePassword(const char* text);
void ChangePassword(HWND owner);
