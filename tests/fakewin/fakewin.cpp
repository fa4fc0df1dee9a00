// The stand-in platform's functions. Each records itself in fake::calls and
// answers from fake::answers or from the small world kept in fake::*.
#include "fakewin.h"
#include <digitalv.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>

namespace fake {

std::vector<std::string> calls;
Answers answers;
std::string commandLine;
DWORD platformId;
BOOL versionCallFails;
HINSTANCE moduleInstance;
std::string windowsDirectory;
RECT screenClipBox;
POINT cursor;
DWORD tickCount;
std::deque<MSG> queue;
std::map<UINT, std::string> strings;
std::map<int, std::string> resources;
std::map<std::string, std::string> files;
DWORD lastError;
std::map<std::string, std::string> profile;

namespace {

struct Window {
    WNDPROC procedure;
    HWND parent;
    RECT client;
    std::string className;
    std::string text;
    LONG_PTR check;
};
std::map<HWND, Window> windows;
std::map<std::string, WNDCLASSA> classes;
std::map<HANDLE, std::string> openFiles;  // handle -> path being written
std::set<std::string> tempNames;
uintptr_t nextHandle;

HWND MakeHandle()
{
    return reinterpret_cast<HWND>(nextHandle++);
}

// --- formatting of the log ---
std::string Arg(const char* text)
{
    if (text == nullptr)
        return "0";
    if (IS_INTRESOURCE(text))
        return "#" + std::to_string(reinterpret_cast<uintptr_t>(text));
    return std::string("\"") + text + "\"";
}
template <typename T>
std::string Arg(T* handle) { return Handle(handle); }
std::string Arg(int value) { return std::to_string(value); }
std::string Arg(long value) { return std::to_string(value); }
std::string Arg(long long value) { return std::to_string(value); }
std::string Arg(unsigned value) { return std::to_string(value); }
std::string Arg(unsigned long value) { return std::to_string(value); }
std::string Arg(const std::string& text) { return text; }

std::string Hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

void Log(const char* name) { calls.push_back(std::string(name) + "()"); }

template <typename... Args>
void Log(const char* name, const Args&... args)
{
    std::string line = std::string(name) + "(";
    bool first = true;
    ((line += (first ? "" : ", ") + Arg(args), first = false), ...);
    calls.push_back(line + ")");
}

std::string ProfileKey(LPCSTR file, LPCSTR section, LPCSTR key)
{
    return std::string(file ? file : "") + "|" + (section ? section : "") + "|" + (key ? key : "");
}

}  // namespace

std::string Handle(const void* handle)
{
    return handle == nullptr ? "0" : Hex(reinterpret_cast<uintptr_t>(handle));
}

std::string MessageName(UINT message)
{
    static const std::map<UINT, const char*> names = {
        {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_SETTEXT, "WM_SETTEXT"},
        {WM_PAINT, "WM_PAINT"}, {WM_CLOSE, "WM_CLOSE"}, {WM_QUIT, "WM_QUIT"},
        {WM_ERASEBKGND, "WM_ERASEBKGND"}, {WM_SHOWWINDOW, "WM_SHOWWINDOW"}, {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"},
        {WM_SETCURSOR, "WM_SETCURSOR"},
        {WM_POWER, "WM_POWER"}, {WM_HELP, "WM_HELP"}, {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
        {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_KEYUP, "WM_KEYUP"}, {WM_CHAR, "WM_CHAR"},
        {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"}, {WM_SYSKEYUP, "WM_SYSKEYUP"}, {WM_INITDIALOG, "WM_INITDIALOG"},
        {WM_COMMAND, "WM_COMMAND"}, {WM_SYSCOMMAND, "WM_SYSCOMMAND"}, {WM_TIMER, "WM_TIMER"},
        {WM_VSCROLL, "WM_VSCROLL"}, {WM_MOUSEMOVE, "WM_MOUSEMOVE"}, {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"}, {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
        {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"}, {WM_RBUTTONUP, "WM_RBUTTONUP"},
        {WM_RBUTTONDBLCLK, "WM_RBUTTONDBLCLK"}, {WM_MBUTTONDOWN, "WM_MBUTTONDOWN"},
        {WM_MBUTTONUP, "WM_MBUTTONUP"}, {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},
        {WM_POWERBROADCAST, "WM_POWERBROADCAST"}, {WM_APP, "WM_APP"}, {MM_MCINOTIFY, "MM_MCINOTIFY"},
        {BM_GETCHECK, "BM_GETCHECK"}, {BM_SETCHECK, "BM_SETCHECK"},
    };
    auto found = names.find(message);
    return found != names.end() ? found->second : Hex(message);
}

std::vector<std::string> CallsNamed(std::initializer_list<const char*> names)
{
    std::vector<std::string> picked;
    for (const std::string& call : calls)
        for (const char* name : names)
            if (call.compare(0, std::strlen(name) + 1, std::string(name) + "(") == 0)
                picked.push_back(call);
    return picked;
}

void Reset()
{
    calls.clear();
    answers = Answers{};
    commandLine.clear();
    platformId = VER_PLATFORM_WIN32_NT;
    versionCallFails = FALSE;
    moduleInstance = reinterpret_cast<HINSTANCE>(0x400000);
    windowsDirectory = "C:\\WINDOWS";
    screenClipBox = RECT{0, 0, 1024, 768};
    cursor = POINT{500, 400};
    tickCount = 1000000;
    queue.clear();
    strings = {{1, "zolp"}, {1001, "avizolp.ini"}, {1007, "avizolp"}};
    resources.clear();
    files.clear();
    lastError = 0;
    profile.clear();
    windows.clear();
    classes.clear();
    openFiles.clear();
    tempNames.clear();
    nextHandle = 0x1001;
}

HWND NewWindow(const RECT& client, WNDPROC procedure, HWND parent)
{
    HWND window = MakeHandle();
    windows[window] = Window{procedure, parent, client, "", "", 0};
    return window;
}

HWND AdoptWindow(uintptr_t value, const RECT& client)
{
    HWND window = reinterpret_cast<HWND>(value);
    windows[window] = Window{nullptr, nullptr, client, "", "", 0};
    return window;
}

bool WindowExists(HWND window)
{
    return windows.count(window) != 0;
}

std::string WindowText(HWND window)
{
    auto found = windows.find(window);
    return found != windows.end() ? found->second.text : "";
}

LONG_PTR ButtonCheck(HWND button)
{
    auto found = windows.find(button);
    return found != windows.end() ? found->second.check : 0;
}

}  // namespace fake

using namespace fake;

// ---------------------------------------------------------------- kernel32

LPSTR WINAPI GetCommandLineA()
{
    return const_cast<LPSTR>(commandLine.c_str());
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    Log("GetModuleHandleA", name);
    if (name == nullptr)
        return moduleInstance;
    return answers.GetModuleHandleA ? answers.GetModuleHandleA(name) : nullptr;
}

BOOL WINAPI GetVersionExA(OSVERSIONINFOA* info)
{
    Log("GetVersionExA", static_cast<unsigned>(info->dwOSVersionInfoSize));
    if (versionCallFails || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
        return FALSE;
    info->dwPlatformId = platformId;
    info->dwMajorVersion = platformId == VER_PLATFORM_WIN32_WINDOWS ? 4 : 5;
    info->dwMinorVersion = platformId == VER_PLATFORM_WIN32_WINDOWS ? 10 : 1;
    return TRUE;
}

void WINAPI ExitProcess(UINT code)
{
    std::fprintf(stderr, "fakewin: ExitProcess(%u) called from a unit test\n", code);
    std::abort();
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    Log("GetProcAddress", module, name);
    return answers.GetProcAddress ? answers.GetProcAddress(module, name) : nullptr;
}

HMODULE WINAPI LoadLibraryA(LPCSTR name)
{
    Log("LoadLibraryA", name);
    return answers.LoadLibraryA ? answers.LoadLibraryA(name) : nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE module)
{
    Log("FreeLibrary", module);
    return TRUE;
}

DWORD WINAPI GetTickCount()
{
    Log("GetTickCount");
    return tickCount;
}

void WINAPI Sleep(DWORD milliseconds)
{
    Log("Sleep", milliseconds);
}

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    Log("GetWindowsDirectoryA", size);
    UINT length = static_cast<UINT>(windowsDirectory.size());
    if (length >= size)
        return length + 1;
    std::memcpy(buffer, windowsDirectory.c_str(), length + 1);
    return length;
}

int WINAPI lstrlenA(LPCSTR text)
{
    return text ? static_cast<int>(std::strlen(text)) : 0;
}

LPSTR WINAPI lstrcatA(LPSTR destination, LPCSTR source)
{
    return std::strcat(destination, source);
}

LPSTR WINAPI lstrcpyA(LPSTR destination, LPCSTR source)
{
    return std::strcpy(destination, source);
}

LPSTR WINAPI lstrcpynA(LPSTR destination, LPCSTR source, int size)
{
    if (size <= 0)
        return destination;
    std::strncpy(destination, source, static_cast<size_t>(size - 1));
    destination[size - 1] = '\0';
    return destination;
}

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type)
{
    Log("FindResourceA", module, name, type);
    int id = static_cast<int>(reinterpret_cast<uintptr_t>(name));
    if (!IS_INTRESOURCE(name) || resources.count(id) == 0)
        return nullptr;
    return reinterpret_cast<HRSRC>(static_cast<uintptr_t>(0x50000 + id));
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource)
{
    Log("LoadResource", module, resource);
    if (resource == nullptr)
        return nullptr;
    return reinterpret_cast<HGLOBAL>(reinterpret_cast<uintptr_t>(resource) + 0x10000);
}

static std::string* ResourceOf(uintptr_t handle, uintptr_t base)
{
    auto found = resources.find(static_cast<int>(handle - base));
    return handle > base && found != resources.end() ? &found->second : nullptr;
}

LPVOID WINAPI LockResource(HGLOBAL loaded)
{
    Log("LockResource", loaded);
    std::string* bytes = ResourceOf(reinterpret_cast<uintptr_t>(loaded), 0x60000);
    return bytes ? &(*bytes)[0] : nullptr;
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource)
{
    Log("SizeofResource", module, resource);
    std::string* bytes = ResourceOf(reinterpret_cast<uintptr_t>(resource), 0x50000);
    return bytes ? static_cast<DWORD>(bytes->size()) : 0;
}

BOOL WINAPI FreeResource(HGLOBAL loaded)
{
    Log("FreeResource", loaded);
    return FALSE;
}

DWORD WINAPI GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size)
{
    Log("GetShortPathNameA", longPath, size);
    if (answers.GetShortPathNameA)
        return answers.GetShortPathNameA(longPath, shortPath, size);
    DWORD length = static_cast<DWORD>(std::strlen(longPath));
    if (files.count(longPath) == 0)
        return 0;
    if (length >= size)
        return length + 1;
    std::memcpy(shortPath, longPath, length + 1);
    return length;
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR file)
{
    Log("GetPrivateProfileIntA", section, key, defaultValue, file);
    auto found = profile.find(ProfileKey(file, section, key));
    if (found == profile.end())
        return static_cast<UINT>(defaultValue);
    return static_cast<UINT>(std::strtol(found->second.c_str(), nullptr, 10));
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)
{
    Log("WritePrivateProfileStringA", section, key, value, file);
    if (answers.WritePrivateProfileStringA && !answers.WritePrivateProfileStringA(section, key, value, file))
        return FALSE;
    profile[ProfileKey(file, section, key)] = value ? value : "";
    return TRUE;
}

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD, LPVOID, DWORD disposition, DWORD, HANDLE)
{
    Log("CreateFileA", name, Hex(access), disposition);
    if (answers.CreateFileFails && answers.CreateFileFails(name, access))
        return INVALID_HANDLE_VALUE;
    if (access & GENERIC_WRITE) {
        files[name] = "";
    } else if (files.count(name) == 0) {
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = MakeHandle();
    openFiles[file] = name;
    return file;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPVOID)
{
    Log("WriteFile", file, size);
    auto open = openFiles.find(file);
    if (answers.WriteFile) {
        // What the answer reports as written reaches the file: a short write
        // leaves a partial file behind, as on the platform.
        BOOL wrote = answers.WriteFile(file, data, size, written);
        if (wrote && open != openFiles.end())
            files[open->second].append(static_cast<const char*>(data), std::min(*written, size));
        return wrote;
    }
    if (open == openFiles.end())
        return FALSE;
    files[open->second].append(static_cast<const char*>(data), size);
    *written = size;
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE handle)
{
    Log("CloseHandle", handle);
    bool known = openFiles.erase(handle) != 0;
    if (answers.CloseHandle)
        return answers.CloseHandle(handle);
    return known;
}

BOOL WINAPI DeleteFileA(LPCSTR name)
{
    Log("DeleteFileA", name);
    return files.erase(name) != 0;
}

BOOL WINAPI MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags)
{
    Log("MoveFileExA", from, to, Hex(flags));
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        lastError = ERROR_CALL_NOT_IMPLEMENTED;  // Windows 95/98 have only the name
        return FALSE;
    }
    if (answers.MoveFileExA)
        return answers.MoveFileExA(from, to, flags);
    if (files.count(from) == 0 || (files.count(to) != 0 && !(flags & MOVEFILE_REPLACE_EXISTING)))
        return FALSE;
    files[to] = files[from];
    files.erase(from);
    return TRUE;
}

// Never replaces: the destination must not exist.
BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to)
{
    Log("MoveFileA", from, to);
    if (answers.MoveFileFails && answers.MoveFileFails(from, to))
        return FALSE;
    if (files.count(from) == 0 || files.count(to) != 0)
        return FALSE;
    files[to] = files[from];
    files.erase(from);
    return TRUE;
}

DWORD WINAPI GetLastError()
{
    return lastError;
}

UINT WINAPI GetTempFileNameA(LPCSTR directory, LPCSTR prefix, UINT, LPSTR name)
{
    Log("GetTempFileNameA", directory, prefix);
    size_t length = std::strlen(directory);
    const char* separator = length > 0 && directory[length - 1] == '\\' ? "" : "\\";
    for (UINT unique = 1;; ++unique) {
        char candidate[600];
        std::snprintf(candidate, sizeof candidate, "%s%s%.3s%X.tmp", directory, separator, prefix, unique);
        if (files.count(candidate) == 0) {
            if (std::strlen(candidate) >= MAX_PATH)
                return 0;
            if (answers.CreateFileFails && answers.CreateFileFails(candidate, GENERIC_WRITE))
                return 0;
            std::strcpy(name, candidate);
            files[candidate] = "";
            return unique;
        }
    }
}

DWORD WINAPI GetCurrentProcessId()
{
    return 4242;
}

// ---------------------------------------------------------------- user32

LPSTR WINAPI CharNextA(LPCSTR p)
{
    return const_cast<LPSTR>(*p ? p + 1 : p);
}

// The platform's wsprintf: "l" means 32 bits here, whatever Linux's long is.
int wsprintfA(LPSTR buffer, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        ++p;
        if (*p == 'l')
            ++p;
        char piece[16];
        switch (*p) {
        case 'd': case 'i':
            std::snprintf(piece, sizeof piece, "%d", va_arg(args, int));
            out += piece;
            break;
        case 'u':
            std::snprintf(piece, sizeof piece, "%u", va_arg(args, unsigned));
            out += piece;
            break;
        case 's': {
            const char* text = va_arg(args, const char*);
            out += text ? text : "(null)";
            break;
        }
        case '%':
            out += '%';
            break;
        default:
            std::fprintf(stderr, "fakewin: wsprintfA format %%%c is not modelled\n", *p);
            std::abort();
        }
    }
    va_end(args);
    if (out.size() > 1024)  // the platform's own limit
        out.resize(1024);
    std::memcpy(buffer, out.c_str(), out.size() + 1);
    return static_cast<int>(out.size());
}

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size)
{
    Log("LoadStringA", instance, id, size);
    auto found = strings.find(id);
    if (found == strings.end() || size <= 0)
        return 0;
    int length = std::min<int>(static_cast<int>(found->second.size()), size - 1);
    std::memcpy(buffer, found->second.data(), static_cast<size_t>(length));
    buffer[length] = '\0';
    return length;
}

BOOL WINAPI IsWindow(HWND window)
{
    Log("IsWindow", window);
    if (answers.IsWindow)
        return answers.IsWindow(window);
    return windows.count(window) != 0;
}

HWND WINAPI GetForegroundWindow()
{
    Log("GetForegroundWindow");
    return answers.GetForegroundWindow ? answers.GetForegroundWindow() : reinterpret_cast<HWND>(0xF0F0);
}

BOOL WINAPI SetForegroundWindow(HWND window)
{
    Log("SetForegroundWindow", window);
    return TRUE;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure, LPARAM init)
{
    Log("DialogBoxParamA", instance, templateName, owner, init);
    return answers.DialogBoxParamA ? answers.DialogBoxParamA(instance, templateName, owner, procedure, init) : -1;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result)
{
    Log("EndDialog", dialog, static_cast<long long>(result));
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id)
{
    Log("GetDlgItem", dialog, id);
    HWND control = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x20000 + id));
    if (windows.count(control) == 0)
        windows[control] = Window{nullptr, dialog, RECT{}, "", "", 0};
    return control;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    Log("LoadIconA", instance, name);
    return nullptr;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect)
{
    Log("GetClientRect", window);
    auto found = windows.find(window);
    if (found == windows.end())
        return FALSE;
    *rect = found->second.client;
    return TRUE;
}

HDC WINAPI GetDC(HWND window)
{
    Log("GetDC", window);
    return reinterpret_cast<HDC>(0xDC);
}

int WINAPI ReleaseDC(HWND window, HDC dc)
{
    Log("ReleaseDC", window, dc);
    return 1;
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR title)
{
    Log("FindWindowA", className, title);
    if (answers.FindWindowA)
        return answers.FindWindowA(className, title);
    for (auto& [handle, window] : windows)
        if (window.className == className && window.text == title)
            return handle;
    return nullptr;
}

UINT WINAPI RegisterWindowMessageA(LPCSTR name)
{
    Log("RegisterWindowMessageA", name);
    return answers.RegisterWindowMessageA ? answers.RegisterWindowMessageA(name) : 0xC0DE;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass)
{
    Log("RegisterClassA", windowClass->lpszClassName);
    if (answers.RegisterClassA)
        return answers.RegisterClassA(windowClass);
    classes[windowClass->lpszClassName] = *windowClass;
    return 0xC001;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    Log("CreateWindowExA", Hex(exStyle), className, title, Hex(style), x, y, width, height, parent, menu,
        instance, param);
    auto found = classes.find(className);
    if (found == classes.end() || (answers.CreateWindowFails && answers.CreateWindowFails(className, title)))
        return nullptr;
    HWND window = MakeHandle();
    windows[window] = Window{found->second.lpfnWndProc, parent, RECT{0, 0, width, height}, className, title, 0};
    CREATESTRUCTA create = {param, instance, menu, parent, height, width, y, x,
                            static_cast<LONG>(style), title, className, exStyle};
    if (windows[window].procedure(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    return window;
}

BOOL WINAPI DestroyWindow(HWND window)
{
    Log("DestroyWindow", window);
    auto found = windows.find(window);
    if (found == windows.end())
        return FALSE;
    WNDPROC procedure = found->second.procedure;
    if (procedure)
        procedure(window, WM_DESTROY, 0, 0);
    windows.erase(window);
    for (auto it = windows.begin(); it != windows.end();)
        it = it->second.parent == window ? windows.erase(it) : std::next(it);
    return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT first, UINT last)
{
    Log("GetMessageA", window, first, last);
    if (queue.empty()) {
        // A real loop would wait here; a test that gets here has nothing left.
        *message = MSG{nullptr, WM_QUIT, 0, 0, 0, {}};
        return FALSE;
    }
    *message = queue.front();
    queue.pop_front();
    return message->message != WM_QUIT;
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove)
{
    Log("PeekMessageA", window, MessageName(first), MessageName(last), remove);
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if ((window == nullptr || it->hwnd == window) && it->message >= first && it->message <= last) {
            *message = *it;
            if (remove & PM_REMOVE)
                queue.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* message)
{
    Log("TranslateMessage", MessageName(message->message));
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message)
{
    Log("DispatchMessageA", message->hwnd, MessageName(message->message));
    auto found = windows.find(message->hwnd);
    if (found == windows.end() || found->second.procedure == nullptr)
        return 0;
    return found->second.procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

void WINAPI PostQuitMessage(int exitCode)
{
    Log("PostQuitMessage", exitCode);
    queue.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0, {}});
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Log("PostMessageA", window, MessageName(message), wParam, lParam);
    queue.push_back(MSG{window, message, wParam, lParam, 0, {}});
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Log("SendMessageA", window, MessageName(message), wParam, lParam);
    auto found = windows.find(window);
    if (found == windows.end())
        return 0;
    if (found->second.procedure)
        return found->second.procedure(window, message, wParam, lParam);
    // A control without a procedure of ours: a button that keeps its check.
    if (message == BM_SETCHECK)
        found->second.check = static_cast<LONG_PTR>(wParam);
    return message == BM_GETCHECK ? found->second.check : 0;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Log("DefWindowProcA", window, MessageName(message), wParam, lParam);
    if (message == WM_CLOSE)
        DestroyWindow(window);
    return 0;
}

LRESULT WINAPI CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return procedure(window, message, wParam, lParam);
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value)
{
    Log("SetWindowLongPtrA", window, index);
    auto found = windows.find(window);
    if (found == windows.end() || index != GWLP_WNDPROC)
        return 0;
    LONG_PTR previous = reinterpret_cast<LONG_PTR>(found->second.procedure);
    found->second.procedure = reinterpret_cast<WNDPROC>(value);
    return previous;
}

HWND WINAPI GetParent(HWND window)
{
    Log("GetParent", window);
    auto found = windows.find(window);
    return found != windows.end() ? found->second.parent : nullptr;
}

BOOL WINAPI GetCursorPos(LPPOINT point)
{
    Log("GetCursorPos");
    if (answers.GetCursorPos)
        return answers.GetCursorPos(point);
    *point = cursor;
    return TRUE;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor)
{
    Log("SetCursor", cursor);
    return nullptr;
}

BOOL WINAPI SystemParametersInfoA(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni)
{
    Log("SystemParametersInfoA", action, uiParam, std::string(pvParam != nullptr ? "&previous" : "0"), winIni);
    return TRUE;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    Log("MessageBoxA", owner, text, caption, Hex(style));
    return answers.MessageBoxA ? answers.MessageBoxA(owner, text, caption, style) : IDOK;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text)
{
    Log("SetWindowTextA", window, text);
    auto found = windows.find(window);
    if (found == windows.end())
        return FALSE;
    found->second.text = text;
    return TRUE;
}

int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int size)
{
    Log("GetWindowTextA", window, size);
    auto found = windows.find(window);
    if (found == windows.end() || size <= 0)
        return 0;
    int length = std::min<int>(static_cast<int>(found->second.text.size()), size - 1);
    std::memcpy(buffer, found->second.text.data(), static_cast<size_t>(length));
    buffer[length] = '\0';
    return length;
}

int WINAPI SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw)
{
    Log("SetScrollRange", window, bar, minimum, maximum, redraw);
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint)
{
    Log("MoveWindow", window, x, y, width, height, repaint);
    auto found = windows.find(window);
    if (found != windows.end())
        found->second.client = RECT{0, 0, width, height};
    return found != windows.end();
}

BOOL WINAPI InvalidateRect(HWND window, LPCRECT rect, BOOL erase)
{
    Log("InvalidateRect", window, rect, erase);
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND window)
{
    Log("UpdateWindow", window);
    return TRUE;
}

// ---------------------------------------------------------------- gdi32

HGDIOBJ WINAPI GetStockObject(int object)
{
    Log("GetStockObject", object);
    return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0xB0 + object));
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    Log("FillRect", dc, "{" + Arg(rect->left) + ", " + Arg(rect->top) + ", " + Arg(rect->right) + ", " +
                            Arg(rect->bottom) + "}", brush);
    return 1;
}

int WINAPI GetClipBox(HDC dc, LPRECT rect)
{
    Log("GetClipBox", dc);
    *rect = screenClipBox;
    return 2;  // SIMPLEREGION
}

// ---------------------------------------------------------------- advapi32

LSTATUS WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result)
{
    Log("RegOpenKeyA", key, subKey);
    return answers.RegOpenKeyA ? answers.RegOpenKeyA(key, subKey, result) : ERROR_FILE_NOT_FOUND;
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)
{
    Log("RegQueryValueExA", key, name, reserved, type, size ? *size : 0u);
    return answers.RegQueryValueExA ? answers.RegQueryValueExA(key, name, type, data, size) : ERROR_FILE_NOT_FOUND;
}

LSTATUS WINAPI RegCloseKey(HKEY key)
{
    Log("RegCloseKey", key);
    return ERROR_SUCCESS;
}

// ---------------------------------------------------------------- winmm

// The fields the product fills in, for the requests that carry any; the
// rest show as "&record". Reading the whole record also lets the sanitizer
// catch a record smaller than its request needs.
static std::string Text(LPSTR text)
{
    return Arg(static_cast<LPCSTR>(text));
}

static std::string McRecord(UINT command, DWORD_PTR parameters)
{
    if (parameters == 0)
        return "0";
    switch (command) {
    case MCI_OPEN: {
        auto* open = reinterpret_cast<const MCI_DGV_OPEN_PARMSA*>(parameters);
        return "open{" + Text(open->lpstrDeviceType) + ", " + Text(open->lpstrElementName) + ", " +
               Text(open->lpstrAlias) + ", " + Hex(open->dwStyle) + ", " + Handle(open->hWndParent) + "}";
    }
    case MCI_PLAY: {
        auto* play = reinterpret_cast<const MCI_PLAY_PARMS*>(parameters);
        return "play{" + Hex(play->dwCallback) + ", " + Arg(play->dwFrom) + ", " + Arg(play->dwTo) + "}";
    }
    case MCI_SEEK:
        return "seek{" + Arg(reinterpret_cast<const MCI_SEEK_PARMS*>(parameters)->dwTo) + "}";
    case MCI_WINDOW: {
        auto* window = reinterpret_cast<const MCI_DGV_WINDOW_PARMSA*>(parameters);
        return "window{" + Handle(window->hWnd) + ", " + Arg(window->nCmdShow) + ", " + Text(window->lpstrText) + "}";
    }
    case MCI_STATUS:
        return "status{" + Hex(reinterpret_cast<const MCI_DGV_STATUS_PARMSA*>(parameters)->dwItem) + "}";
    case MCI_PUT: {
        const RECT& rect = reinterpret_cast<const MCI_DGV_PUT_PARMS*>(parameters)->rc;
        return "rect{" + Arg(rect.left) + ", " + Arg(rect.top) + ", " + Arg(rect.right) + ", " + Arg(rect.bottom) +
               "}";
    }
    }
    return "&record";
}

MCIERROR WINAPI mciSendCommandA(MCIDEVICEID device, UINT command, DWORD_PTR flags, DWORD_PTR parameters)
{
    Log("mciSendCommandA", device, Hex(command), Hex(flags), McRecord(command, parameters));
    if (answers.mciSendCommandA)
        return answers.mciSendCommandA(device, command, flags, parameters);
    // A file that is not there cannot be opened; everything else succeeds.
    auto* open = reinterpret_cast<const MCI_OPEN_PARMSA*>(parameters);
    bool opensElement = command == MCI_OPEN && open != nullptr && (flags & MCI_OPEN_ELEMENT);
    if (opensElement && files.count(open->lpstrElementName) == 0)
        return 275;  // MCIERR_FILE_NOT_FOUND
    return 0;
}

MCIDEVICEID WINAPI mciGetDeviceIDA(LPCSTR device)
{
    Log("mciGetDeviceIDA", device);
    return answers.mciGetDeviceIDA ? answers.mciGetDeviceIDA(device) : 0;
}

BOOL WINAPI PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags)
{
    Log("PlaySoundA", sound, module, Hex(flags));
    return TRUE;
}
