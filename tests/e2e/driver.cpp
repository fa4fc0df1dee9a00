// The Win32 test driver's helpers (see driver.h).
#include "driver.h"

#include <cstdio>

namespace e2e {

namespace {

std::vector<PROCESS_INFORMATION> started;

std::string EnvironmentValue(const char* name)
{
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

INPUT MouseInput(DWORD flags, LONG dx = 0, LONG dy = 0)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    return input;
}

void Send(INPUT input)
{
    SendInput(1, &input, sizeof input);
}

}  // namespace

std::string BuildDir()
{
    std::string dir = EnvironmentValue("AVIZOLP_BUILD");
    EXPECT_FALSE(dir.empty()) << "AVIZOLP_BUILD is not set; run the driver through ctest";
    return dir;
}

std::string SaverPath() { return BuildDir() + "\\saver\\avizolp.scr"; }
std::string InstallerPath() { return BuildDir() + "\\installer\\installer.exe"; }

std::string WindowsDir()
{
    char dir[MAX_PATH];
    UINT length = GetWindowsDirectoryA(dir, sizeof dir);
    std::string text(dir, length);
    if (!text.empty() && text.back() == '\\')
        text.pop_back();
    return text;
}

std::string InWindowsDir(const std::string& name) { return WindowsDir() + "\\" + name; }

bool Program::running() const
{
    return info.hProcess != nullptr && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

Program StartCommandLine(const std::string& commandLine)
{
    Program program;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    BOOL ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &program.info);
    EXPECT_TRUE(ok) << "CreateProcess failed (" << GetLastError() << "): " << commandLine;
    if (ok) {
        started.push_back(program.info);
        WaitForInputIdle(program.info.hProcess, 5000);
    }
    return program;
}

Program Start(const std::string& path, const std::string& args)
{
    return StartCommandLine("\"" + path + "\" " + args);
}

DWORD WaitExit(Program& program, DWORD milliseconds)
{
    if (program.info.hProcess == nullptr)
        return STILL_ACTIVE;
    WaitForSingleObject(program.info.hProcess, milliseconds);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(program.info.hProcess, &code);
    return code;
}

void Stop(Program& program)
{
    if (program.info.hProcess == nullptr)
        return;
    if (program.running()) {
        TerminateProcess(program.info.hProcess, 0xDEAD);
        WaitForSingleObject(program.info.hProcess, 10000);
    }
}

void StopAll()
{
    for (PROCESS_INFORMATION& info : started) {
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info.hProcess, 0xDEAD);
            WaitForSingleObject(info.hProcess, 10000);
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    started.clear();
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= milliseconds)
            return false;
        Sleep(50);
    }
}

void Pump(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
}

namespace {
struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsWindowVisible(window))
        return TRUE;
    if (search->className != nullptr && ClassOf(window) != search->className)
        return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
    return TRUE;
}
}  // namespace

HWND TopWindowOf(const Program& program, const char* className)
{
    WindowSearch search = {program.info.dwProcessId, className, nullptr};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopWindow(const Program& program, const char* className, DWORD milliseconds)
{
    HWND window = nullptr;
    WaitUntil([&] { return (window = TopWindowOf(program, className)) != nullptr || !program.running(); },
              milliseconds);
    return window;
}

std::vector<HWND> ChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::string ClassOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TitleOf(HWND window)
{
    char title[512] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

RECT ScreenRectOf(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT RectInParent(HWND window)
{
    RECT rect = ScreenRectOf(window);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void Settle(DWORD milliseconds)
{
    Sleep(milliseconds);
}

void ParkCursor(int x, int y)
{
    // Wine ignores a process's first SetCursorPos until it has asked where
    // the cursor is.
    POINT now;
    GetCursorPos(&now);
    SetCursorPos(x, y);
    Settle(200);
}

void MoveCursorTo(int x, int y)
{
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    // Rounded up, so that the platform's truncating scale lands on the pixel.
    Send(MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (x * 65536 + width - 1) / width,
                    (y * 65536 + height - 1) / height));
}

void KeyDown(WORD virtualKey)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    Send(input);
}

void KeyUp(WORD virtualKey)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    Send(input);
}

void PressKey(WORD virtualKey)
{
    KeyDown(virtualKey);
    KeyUp(virtualKey);
}

void Click(int x, int y, Button button)
{
    SetCursorPos(x, y);
    DWORD down = button == Button::Left ? MOUSEEVENTF_LEFTDOWN
                 : button == Button::Right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_MIDDLEDOWN;
    DWORD up = button == Button::Left ? MOUSEEVENTF_LEFTUP
               : button == Button::Right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_MIDDLEUP;
    Send(MouseInput(down));
    Send(MouseInput(up));
}

long Screenshot::LitPixels(const RECT& area) const
{
    long lit = 0;
    for (int y = std::max<int>(0, area.top); y < std::min<int>(height, area.bottom); ++y)
        for (int x = std::max<int>(0, area.left); x < std::min<int>(width, area.right); ++x)
            lit += (at(x, y) & 0xFFFFFF) != 0;
    return lit;
}

Screenshot CaptureScreen()
{
    Screenshot shot;
    HDC screen = GetDC(nullptr);
    shot.width = GetDeviceCaps(screen, HORZRES);
    shot.height = GetDeviceCaps(screen, VERTRES);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD* row = static_cast<const DWORD*>(bits);
    shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
    for (size_t i = 0; i < shot.pixels.size(); ++i) {
        DWORD bgr = row[i];  // 0x00RRGGBB in a 32-bit DIB
        shot.pixels[i] = RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

bool Screenshot::SaveBmp(const std::string& path) const
{
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    DWORD imageBytes = static_cast<DWORD>(pixels.size() * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageBytes;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    for (COLORREF colour : pixels) {
        DWORD bgra = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        bytes.append(reinterpret_cast<const char*>(&bgra), 4);
    }
    return WriteBytes(path, bytes);
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return CloseHandle(file) && ok && written == bytes.size();
}

void RemoveFile(const std::string& path)
{
    if (IsDirectory(path))
        RemoveDirectoryA(path.c_str());
    else
        DeleteFileA(path.c_str());
}

std::vector<std::string> TemporaryFilesLeft()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(InWindowsDir("zol*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void SetDword(HKEY root, const std::string& key, const std::string& name, DWORD value)
{
    HKEY opened;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(root, key.c_str(), &opened)) << key;
    RegSetValueExA(opened, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(opened);
}

void SetString(HKEY root, const std::string& key, const std::string& name, const std::string& value)
{
    HKEY opened;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(root, key.c_str(), &opened)) << key;
    RegSetValueExA(opened, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(opened);
}

void DeleteValue(HKEY root, const std::string& key, const std::string& name)
{
    HKEY opened;
    if (RegOpenKeyA(root, key.c_str(), &opened) == ERROR_SUCCESS) {
        RegDeleteValueA(opened, name.c_str());
        RegCloseKey(opened);
    }
}

void ReportWindows98(const std::string& exeName, bool on)
{
    std::string key = "Software\\Wine\\AppDefaults\\" + exeName;
    if (on)
        SetString(HKEY_CURRENT_USER, key, "Version", "win98");
    else
        DeleteValue(HKEY_CURRENT_USER, key, "Version");
}

void DriverTest::SetUp()
{
    // A saver left from an earlier test would turn every /s into a second start.
    WaitUntil([] { return FindWindowA("WindowsScreenSaverClass", nullptr) == nullptr; }, 5000);
    RemoveFile(InWindowsDir("avizolp.ini"));
#if !defined(_WIN64)
    // 32-bit Wine runs through qemu-user here, and there the platform's video
    // thread and its sound thread together crash the process now and then:
    // a bare player that opens the clip and calls PlaySoundA beside it does
    // the same. The 32-bit runs therefore play without sound; the 64-bit runs
    // keep the default, and what the sound player is asked stays a native test.
    WritePrivateProfileStringA("avizolp", "sound", "0", "avizolp.ini");
#endif
    ParkCursor(10, 10);
}

void DriverTest::TearDown()
{
    StopAll();
}

}  // namespace e2e
