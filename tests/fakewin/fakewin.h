// The test side of our stand-in platform: the call log, the scripted answers
// and the small amount of platform state (windows, files, INI values) that
// the fakes keep so that the product sees a coherent world.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fake {

// Every recorded call, in order, as "Name(arg, arg)".
extern std::vector<std::string> calls;
// The calls whose name is one of names, in order.
std::vector<std::string> CallsNamed(std::initializer_list<const char*> names);
// Forget all calls, answers and state; also clears the product's globals the
// test names through its own reset.
void Reset();

// Formatting used in the log, for building expected tables.
std::string Handle(const void* handle);
std::string MessageName(UINT message);

// Answers a test may script. When a member is empty the fake does what the
// platform would do in a plain, healthy session.
struct Answers {
    std::function<BOOL(HWND)> IsWindow;
    std::function<HWND()> GetForegroundWindow;
    std::function<HWND(LPCSTR, LPCSTR)> FindWindowA;
    std::function<ATOM(const WNDCLASSA*)> RegisterClassA;
    std::function<bool(LPCSTR className, LPCSTR title)> CreateWindowFails;
    std::function<HMODULE(LPCSTR)> GetModuleHandleA;
    std::function<HMODULE(LPCSTR)> LoadLibraryA;
    std::function<FARPROC(HMODULE, LPCSTR)> GetProcAddress;
    std::function<BOOL(LPPOINT)> GetCursorPos;
    std::function<UINT(LPCSTR)> RegisterWindowMessageA;
    std::function<INT_PTR(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM)> DialogBoxParamA;
    std::function<int(HWND, LPCSTR, LPCSTR, UINT)> MessageBoxA;
    std::function<LSTATUS(HKEY, LPCSTR, PHKEY)> RegOpenKeyA;
    std::function<LSTATUS(HKEY, LPCSTR, LPDWORD, LPBYTE, LPDWORD)> RegQueryValueExA;
    std::function<MCIERROR(MCIDEVICEID, UINT, DWORD_PTR, DWORD_PTR)> mciSendCommandA;
    std::function<MCIDEVICEID(LPCSTR)> mciGetDeviceIDA;
    std::function<BOOL(HANDLE, LPCVOID, DWORD, LPDWORD)> WriteFile;
    std::function<BOOL(HANDLE)> CloseHandle;
    std::function<BOOL(LPCSTR, LPCSTR, DWORD)> MoveFileExA;
    // The platform refuses to create or open this file (CreateFileA, and the
    // file GetTempFileNameA creates), as in a read-only directory.
    std::function<bool(LPCSTR name, DWORD access)> CreateFileFails;
    std::function<bool(LPCSTR from, LPCSTR to)> MoveFileFails;  // MoveFileA refuses this rename
    std::function<DWORD(LPCSTR, LPSTR, DWORD)> GetShortPathNameA;
    std::function<BOOL(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)> WritePrivateProfileStringA;
};
extern Answers answers;

// Platform state the fakes keep.
extern std::string commandLine;
extern DWORD platformId;                       // what GetVersionExA reports
extern BOOL versionCallFails;
extern HINSTANCE moduleInstance;               // GetModuleHandleA(nullptr)
extern std::string windowsDirectory;           // GetWindowsDirectoryA
extern RECT screenClipBox;                     // GetClipBox of the screen DC
extern POINT cursor;                           // GetCursorPos
extern DWORD tickCount;                        // GetTickCount
extern std::deque<MSG> queue;                  // the thread's posted messages
extern std::map<UINT, std::string> strings;    // LoadStringA
extern std::map<int, std::string> resources;   // "DATA" resources by integer id
extern std::map<std::string, std::string> files;  // file system: path -> bytes
extern DWORD lastError;                        // GetLastError; set by the fakes that model it
// INI store: "file|section|key" -> value text, as the profile functions see it.
extern std::map<std::string, std::string> profile;

// A window the product did not create (a preview parent, a dialog control).
HWND NewWindow(const RECT& client = RECT{}, WNDPROC procedure = nullptr, HWND parent = nullptr);
// Makes a window of the given handle value exist, as one a command line names.
HWND AdoptWindow(uintptr_t value, const RECT& client = RECT{});
bool WindowExists(HWND window);
std::string WindowText(HWND window);
LONG_PTR ButtonCheck(HWND button);

}  // namespace fake
