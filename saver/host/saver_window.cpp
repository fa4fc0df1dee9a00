// The saver window: its class, its creation in both modes, the message loop,
// and the few messages every saver handles before its content sees them.
#include "host.h"
#include "content.h"

BOOL isPreviewMode;
HWND saverWindow;
LONG closeApproved;
POINT cursorAnchor;
UINT queryCancelAutoPlayMessage;

static const char saverClassName[] = "WindowsScreenSaverClass";
static const char fullScreenTitle[] = "Screen Saver";

// The input method is detached only when IMM32 is already in the process;
// loading it just for this would cost more than it saves.
typedef HANDLE(WINAPI* AssociateContextFn)(HWND window, HANDLE context);
static HMODULE imeModule;
static AssociateContextFn associateContextFn;
static HANDLE previousImeContext;

static void OnCreate(HWND window)
{
    imeModule = GetModuleHandleA("IMM32.DLL");
    associateContextFn = nullptr;
    if (imeModule != nullptr)
        associateContextFn = ProcAs<AssociateContextFn>(GetProcAddress(imeModule, "ImmAssociateContext"));
    previousImeContext = nullptr;
    if (associateContextFn != nullptr)
        previousImeContext = associateContextFn(window, nullptr);
    GetCursorPos(&cursorAnchor);
}

static void OnDestroy(HWND window)
{
    if (imeModule != nullptr && associateContextFn != nullptr && previousImeContext != nullptr)
        associateContextFn(window, previousImeContext);
    PostQuitMessage(0);
}

// The cursor stays hidden over the full-screen saver; the preview leaves the
// control panel's cursor alone.
static LRESULT HideCursorAndPassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!isPreviewMode)
        SetCursor(nullptr);
    return ScreenSaverProc(window, message, wParam, lParam);
}

// Help and context-menu requests in the preview belong to the display settings.
static LRESULT OnPreviewHelp(HWND window, UINT message, LPARAM lParam)
{
    HWND parent = GetParent(window);
    if (parent != nullptr && IsWindow(parent))
        PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
    return 1;
}

// Switching tasks or starting another saver must not act over a running one.
static bool IsBlockedSysCommand(WPARAM command)
{
    return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return HideCursorAndPassOn(window, message, wParam, lParam);
    case WM_SETTEXT:
        return 0;  // the title is how a second start finds us; keep it
    case WM_PAINT:
        if (closeApproved)
            return DefWindowProcA(window, message, wParam, lParam);
        return HideCursorAndPassOn(window, message, wParam, lParam);
    case WM_TIMER:
        if (closeApproved)
            return 0;
        Sleep(0);
        break;
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        // Once a close is approved, input must not raise another request.
        if (closeApproved)
            return DefWindowProcA(window, message, wParam, lParam);
        break;
    case WM_SYSCOMMAND:
        if (!isPreviewMode && IsBlockedSysCommand(wParam))
            return 0;
        break;
    case WM_HELP: case WM_CONTEXTMENU:
        if (isPreviewMode)
            return OnPreviewHelp(window, message, lParam);
        break;
    case WM_DESTROY:
        OnDestroy(window);
        break;
    }
    return ScreenSaverProc(window, message, wParam, lParam);
}

static void ScreenArea(RECT* area)
{
    HDC screen = GetDC(nullptr);
    GetClipBox(screen, area);
    ReleaseDC(nullptr, screen);
}

// Another full-screen saver already running is brought forward instead.
static bool ActivateRunningSaver()
{
    HWND running = FindWindowA(saverClassName, fullScreenTitle);
    if (running == nullptr || !IsWindow(running))
        return false;
    SetForegroundWindow(running);
    return true;
}

static int RunMessageLoop()
{
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

int RunSaverWindow(HWND parent)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconA(appInstance, MAKEINTRESOURCEA(100));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = saverClassName;

    RECT area = {};
    DWORD exStyle, style;
    const char* title;
    int x, y;
    if (parent != nullptr) {
        GetClientRect(parent, &area);
        x = 0;
        y = 0;
        exStyle = 0;
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        title = "Preview";
        isPreviewMode = TRUE;
    } else {
        ScreenArea(&area);
        x = area.left;
        y = area.top;
        area.right -= area.left;
        area.bottom -= area.top;
        exStyle = WS_EX_TOPMOST;
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        title = fullScreenTitle;
        if (ActivateRunningSaver())
            return 0;
        LoadPasswordVerifier();
    }

    queryCancelAutoPlayMessage = isWin9xFamily ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;
    if (RegisterClassA(&windowClass))
        saverWindow = CreateWindowExA(exStyle, saverClassName, title, style, x, y, area.right, area.bottom,
                                      parent, nullptr, appInstance, nullptr);
    int result = 0;
    if (saverWindow != nullptr) {
        if (!isPreviewMode)
            SetForegroundWindow(saverWindow);
        result = RunMessageLoop();
    }
    UnloadPasswordVerifier();
    return result;
}
