// The Win32 test driver's helpers: starting and ending the programs under
// test, finding their windows, real input, screen pixels, files and the
// registry of the Wine prefix. Every test of this tier runs inside Wine.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// --- where things are ---
std::string BuildDir();                        // the build tree, as a Windows path
std::string SaverPath();                       // the built avizolp.scr
std::string InstallerPath();                   // the built installer.exe
std::string WindowsDir();                      // C:\windows, without a trailing backslash
std::string InWindowsDir(const std::string& name);

// --- programs ---
struct Program {
    PROCESS_INFORMATION info = {};
    bool running() const;
};
// Starts "path" args, with the command line exactly as `"path" args`.
Program Start(const std::string& path, const std::string& args);
// Starts a program with the exact command line given (for odd command lines).
Program StartCommandLine(const std::string& commandLine);
// Waits for the program to end; returns its exit code, or STILL_ACTIVE (259)
// when it has not ended within the time.
DWORD WaitExit(Program& program, DWORD milliseconds = 20000);
// Ends the program if it still runs and releases its handles.
void Stop(Program& program);
// Ends every program this driver started that still runs.
void StopAll();

// --- windows ---
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = 10000);
// Runs the driver's own message loop for a while: its windows need it while a
// window of another process lives in them, and to see device notifications.
void Pump(DWORD milliseconds);
// The first visible top-level window of the process with this class (any class when null).
HWND TopWindowOf(const Program& program, const char* className = nullptr);
HWND WaitForTopWindow(const Program& program, const char* className = nullptr, DWORD milliseconds = 15000);
std::vector<HWND> ChildrenOf(HWND parent);
std::string ClassOf(HWND window);
std::string TitleOf(HWND window);
RECT ScreenRectOf(HWND window);                 // GetWindowRect
RECT RectInParent(HWND window);                 // relative to the parent's client area

// --- input (real input through the platform) ---
void ParkCursor(int x, int y);                  // moves the cursor and lets the move settle
// An absolute move of the real cursor. Relative moves drift here: Wine bases
// them on a cursor position that the saver's process may already have moved.
void MoveCursorTo(int x, int y);
void KeyDown(WORD virtualKey);
void KeyUp(WORD virtualKey);
void PressKey(WORD virtualKey);
enum class Button { Left, Right, Middle };
void Click(int x, int y, Button button = Button::Left);
void Settle(DWORD milliseconds = 300);          // lets posted input reach the programs

// --- screen ---
struct Screenshot {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;  // row-major, top row first
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // How many pixels of the rectangle are not pure black.
    long LitPixels(const RECT& area) const;
    bool SaveBmp(const std::string& path) const;
};
Screenshot CaptureScreen();

// --- files in the prefix ---
bool FileExists(const std::string& path);
bool IsDirectory(const std::string& path);
std::string ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
void RemoveFile(const std::string& path);       // a file or an empty directory; absent is fine
// The temporary files ("zol*.tmp") that a write through a temporary name
// would leave in the Windows directory if it failed to clean up.
std::vector<std::string> TemporaryFilesLeft();

// --- registry of the prefix ---
void SetDword(HKEY root, const std::string& key, const std::string& name, DWORD value);
void SetString(HKEY root, const std::string& key, const std::string& name, const std::string& value);
void DeleteValue(HKEY root, const std::string& key, const std::string& name);
// Makes Wine report Windows 98 to the named program only (e.g. "avizolp.scr").
void ReportWindows98(const std::string& exeName, bool on);

// A fixture that leaves nothing running behind a test and starts each test
// from no saver window, no settings file (on i686: one that only turns the
// sound off, see driver.cpp) and the cursor parked.
class DriverTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace e2e
