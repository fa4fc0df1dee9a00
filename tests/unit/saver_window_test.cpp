// The saver window: creation in both modes and on every failure path, the
// message loop, and the messages the host handles before the content does.
#include "test_support.h"

namespace {

// The platform calls RunSaverWindow makes itself, in its own order.
const std::initializer_list<const char*> hostCalls = {
    "LoadIconA", "GetStockObject", "GetClientRect", "GetDC", "GetClipBox", "ReleaseDC", "FindWindowA",
    "IsWindow", "SetForegroundWindow", "RegisterWindowMessageA", "RegisterClassA", "CreateWindowExA",
    "GetMessageA", "TranslateMessage", "DispatchMessageA", "PostQuitMessage"};

const char createFullScreen[] =
    "CreateWindowExA(0x8, \"WindowsScreenSaverClass\", \"Screen Saver\", 0x96000000, 0, 0, 1024, 768, 0, 0, "
    "0x400000, 0)";

class SaverWindow : public PlatformTest {};

TEST_F(SaverWindow, FullScreenRunsUntilTheWindowIsDestroyed)
{
    // The first handle the stand-in gives out is the saver window's.
    fake::queue.push_back(MSG{AsHwnd(0x1001), WM_CLOSE, 0, 0, 0, {}});
    EXPECT_EQ(0, RunSaverWindow(nullptr));
    EXPECT_TRUE(SameCalls(
        {
            "LoadIconA(0x400000, #100)",
            "GetStockObject(4)",
            "GetDC(0)",
            "GetClipBox(0xDC)",
            "ReleaseDC(0, 0xDC)",
            "FindWindowA(\"WindowsScreenSaverClass\", \"Screen Saver\")",
            "RegisterClassA(\"WindowsScreenSaverClass\")",
            createFullScreen,
            "SetForegroundWindow(0x1001)",
            "GetMessageA(0, 0, 0)",
            "TranslateMessage(WM_CLOSE)",
            "DispatchMessageA(0x1001, WM_CLOSE)",
            "PostQuitMessage(0)",
            "PostQuitMessage(0)",  // the content's own, as it releases the clip
            "GetMessageA(0, 0, 0)",
        },
        fake::CallsNamed(hostCalls)));
    EXPECT_EQ(AsHwnd(0x1001), saverWindow);
    EXPECT_FALSE(isPreviewMode);
    EXPECT_EQ(0u, queryCancelAutoPlayMessage);
}

TEST_F(SaverWindow, FullScreenCoversTheScreensClipBox)
{
    fake::screenClipBox = RECT{-1024, -10, 1280, 1014};
    RunSaverWindow(nullptr);
    EXPECT_TRUE(SameCalls({"CreateWindowExA(0x8, \"WindowsScreenSaverClass\", \"Screen Saver\", 0x96000000, -1024, "
                           "-10, 2304, 1024, 0, 0, 0x400000, 0)"},
                          fake::CallsNamed({"CreateWindowExA"})));
}

TEST_F(SaverWindow, PreviewFillsItsParentAndNeverLooksForOthers)
{
    HWND parent = fake::NewWindow(RECT{0, 0, 152, 112});
    EXPECT_EQ(0, RunSaverWindow(parent));
    EXPECT_TRUE(SameCalls(
        {
            "LoadIconA(0x400000, #100)",
            "GetStockObject(4)",
            "GetClientRect(0x1001)",
            "RegisterClassA(\"WindowsScreenSaverClass\")",
            "CreateWindowExA(0x0, \"WindowsScreenSaverClass\", \"Preview\", 0x52000000, 0, 0, 152, 112, 0x1001, 0, "
            "0x400000, 0)",
            "GetMessageA(0, 0, 0)",
        },
        fake::CallsNamed(hostCalls)));
    EXPECT_TRUE(isPreviewMode);
}

TEST_F(SaverWindow, FailurePathsCreateNothingMoreAndReturnZero)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::vector<std::string> expected;
    } cases[] = {
        {"another saver runs",
         [] { fake::answers.FindWindowA = [](LPCSTR, LPCSTR) { return AsHwnd(0x777); };
              fake::answers.IsWindow = [](HWND) { return TRUE; }; },
         {"FindWindowA(\"WindowsScreenSaverClass\", \"Screen Saver\")", "IsWindow(0x777)",
          "SetForegroundWindow(0x777)"}},
        {"the found saver is already gone",
         [] { fake::answers.FindWindowA = [](LPCSTR, LPCSTR) { return AsHwnd(0x777); };
              fake::answers.IsWindow = [](HWND) { return FALSE; }; },
         {"FindWindowA(\"WindowsScreenSaverClass\", \"Screen Saver\")", "IsWindow(0x777)",
          "RegisterClassA(\"WindowsScreenSaverClass\")", createFullScreen, "SetForegroundWindow(0x1001)",
          "GetMessageA(0, 0, 0)"}},
        {"the class cannot be registered",
         [] { fake::answers.RegisterClassA = [](const WNDCLASSA*) -> ATOM { return 0; }; },
         {"FindWindowA(\"WindowsScreenSaverClass\", \"Screen Saver\")", "RegisterClassA(\"WindowsScreenSaverClass\")"}},
        {"the window cannot be created",
         [] { fake::answers.CreateWindowFails = [](LPCSTR, LPCSTR) { return true; }; },
         {"FindWindowA(\"WindowsScreenSaverClass\", \"Screen Saver\")", "RegisterClassA(\"WindowsScreenSaverClass\")",
          createFullScreen}},
    };
    for (const Case& c : cases) {
        SetUp();
        c.arrange();
        EXPECT_EQ(0, RunSaverWindow(nullptr)) << c.name;
        EXPECT_TRUE(SameCalls(c.expected, fake::CallsNamed({"FindWindowA", "IsWindow", "SetForegroundWindow",
                                                            "RegisterClassA", "CreateWindowExA", "GetMessageA"})))
            << c.name;
    }
}

TEST_F(SaverWindow, QueryCancelAutoPlayIsRegisteredOnlyOnWindows9x)
{
    for (BOOL win9x : {TRUE, FALSE}) {
        for (bool preview : {false, true}) {
            SetUp();
            isWin9xFamily = win9x;
            RunSaverWindow(preview ? fake::NewWindow(RECT{0, 0, 152, 112}) : nullptr);
            std::vector<std::string> expected;
            if (win9x)
                expected.push_back("RegisterWindowMessageA(\"QueryCancelAutoPlay\")");
            EXPECT_TRUE(SameCalls(expected, fake::CallsNamed({"RegisterWindowMessageA"})));
            EXPECT_EQ(win9x ? 0xC0DEu : 0u, queryCancelAutoPlayMessage);
        }
    }
}

// --- the host's message table ---

HANDLE WINAPI RecordingAssociateContext(HWND window, HANDLE context)
{
    fake::calls.push_back("ImmAssociateContext(" + fake::Handle(window) + ", " + fake::Handle(context) + ")");
    return reinterpret_cast<HANDLE>(0x1C);
}

class HostMessages : public PlatformTest {
protected:
    HWND window = AsHwnd(0x5A);
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        fake::calls.clear();
        return SaverWindowProc(window, message, wParam, lParam);
    }
};

TEST_F(HostMessages, CreationDetachesTheInputContextAndRecordsTheAnchor)
{
    fake::answers.GetModuleHandleA = [](LPCSTR) { return reinterpret_cast<HMODULE>(0x1A); };
    fake::answers.GetProcAddress = [](HMODULE, LPCSTR) { return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(RecordingAssociateContext)); };
    fake::cursor = POINT{-7, 300};
    EXPECT_EQ(0, Send(WM_CREATE));
    EXPECT_TRUE(SameCalls({"GetModuleHandleA(\"IMM32.DLL\")", "GetProcAddress(0x1A, \"ImmAssociateContext\")",
                           "ImmAssociateContext(0x5A, 0)", "GetCursorPos()", "SetCursor(0)"},
                          fake::CallsNamed({"GetModuleHandleA", "GetProcAddress", "ImmAssociateContext",
                                            "GetCursorPos", "SetCursor", "LoadLibraryA"})));
    EXPECT_EQ(-7, cursorAnchor.x);
    EXPECT_EQ(300, cursorAnchor.y);

    // The second quit request is the content's own, as it releases the clip.
    Send(WM_DESTROY);
    EXPECT_TRUE(SameCalls({"ImmAssociateContext(0x5A, 0x1C)", "PostQuitMessage(0)", "PostQuitMessage(0)"},
                          fake::CallsNamed({"ImmAssociateContext", "PostQuitMessage"})));
}

TEST_F(HostMessages, WithoutAnInputMethodNothingIsDetachedOrReattached)
{
    Send(WM_CREATE);
    Send(WM_DESTROY);
    EXPECT_TRUE(SameCalls({"PostQuitMessage(0)", "PostQuitMessage(0)"},
                          fake::CallsNamed({"GetProcAddress", "PostQuitMessage"})));

    // IMM32 present but without the function.
    fake::answers.GetModuleHandleA = [](LPCSTR) { return reinterpret_cast<HMODULE>(0x1A); };
    Send(WM_CREATE);
    Send(WM_DESTROY);
    EXPECT_TRUE(SameCalls({"PostQuitMessage(0)", "PostQuitMessage(0)"},
                          fake::CallsNamed({"ImmAssociateContext", "PostQuitMessage"})));
}

TEST_F(HostMessages, PreviewCreationLeavesTheCursorAlone)
{
    isPreviewMode = TRUE;
    Send(WM_CREATE);
    EXPECT_TRUE(fake::CallsNamed({"SetCursor"}).empty());
}

TEST_F(HostMessages, TableOfHostDecisions)
{
    HWND parent = fake::NewWindow();
    window = fake::NewWindow(RECT{}, nullptr, parent);
    std::string w = fake::Handle(window), p = fake::Handle(parent);
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        BOOL preview;
        LONG approved;
        LRESULT result;
        std::vector<std::string> calls;  // of SetCursor, Sleep, GetParent, IsWindow, PostMessageA, DefWindowProcA
    } cases[] = {
        {"title kept", WM_SETTEXT, 0, FALSE, 0, 0, {}},
        {"title kept in preview", WM_SETTEXT, 0, TRUE, 0, 0, {}},
        {"paint hides the cursor", WM_PAINT, 0, FALSE, 0, 0, {"SetCursor(0)", "DefWindowProcA(" + w + ", WM_PAINT, 0, 0)"}},
        {"paint in preview", WM_PAINT, 0, TRUE, 0, 0, {"DefWindowProcA(" + w + ", WM_PAINT, 0, 0)"}},
        {"paint after approval", WM_PAINT, 0, FALSE, 1, 0, {"DefWindowProcA(" + w + ", WM_PAINT, 0, 0)"}},
        {"timer yields first", WM_TIMER, 7, FALSE, 0, 0, {"Sleep(0)", "DefWindowProcA(" + w + ", WM_TIMER, 7, 0)"}},
        {"timer dropped after approval", WM_TIMER, 7, FALSE, 1, 0, {}},
        {"key after approval", WM_KEYDOWN, 65, FALSE, 5, 0, {"DefWindowProcA(" + w + ", WM_KEYDOWN, 65, 0)"}},
        {"middle button after approval", WM_MBUTTONDOWN, 0, FALSE, 1, 0,
         {"DefWindowProcA(" + w + ", WM_MBUTTONDOWN, 0, 0)"}},
        {"screen saver command blocked", WM_SYSCOMMAND, SC_SCREENSAVE, FALSE, 0, 0, {}},
        {"next window blocked", WM_SYSCOMMAND, SC_NEXTWINDOW, FALSE, 0, 0, {}},
        {"previous window blocked", WM_SYSCOMMAND, SC_PREVWINDOW, FALSE, 0, 0, {}},
        {"whole wParam compared", WM_SYSCOMMAND, SC_SCREENSAVE | 2, FALSE, 0, 0,
         {"DefWindowProcA(" + w + ", WM_SYSCOMMAND, 61762, 0)"}},
        {"close command passes", WM_SYSCOMMAND, SC_CLOSE, FALSE, 0, 0,
         {"DefWindowProcA(" + w + ", WM_SYSCOMMAND, 61536, 0)"}},
        {"preview passes every command", WM_SYSCOMMAND, SC_SCREENSAVE, TRUE, 0, 0,
         {"DefWindowProcA(" + w + ", WM_SYSCOMMAND, 61760, 0)"}},
        {"help goes to the preview's parent", WM_HELP, 0, TRUE, 0, 1,
         {"GetParent(" + w + ")", "IsWindow(" + p + ")", "PostMessageA(" + p + ", WM_HELP, " +
          std::to_string(reinterpret_cast<uintptr_t>(parent)) + ", 99)"}},
        {"context menu goes to the preview's parent", WM_CONTEXTMENU, 0, TRUE, 0, 1,
         {"GetParent(" + w + ")", "IsWindow(" + p + ")", "PostMessageA(" + p + ", WM_CONTEXTMENU, " +
          std::to_string(reinterpret_cast<uintptr_t>(parent)) + ", 99)"}},
        {"help in full screen", WM_HELP, 0, FALSE, 0, 0, {"DefWindowProcA(" + w + ", WM_HELP, 0, 99)"}},
    };
    for (const Case& c : cases) {
        isPreviewMode = c.preview;
        closeApproved = c.approved;
        LPARAM lParam = (c.message == WM_HELP || c.message == WM_CONTEXTMENU) ? 99 : 0;
        EXPECT_EQ(c.result, Send(c.message, c.wParam, lParam)) << c.name;
        EXPECT_TRUE(SameCalls(c.calls, fake::CallsNamed({"SetCursor", "Sleep", "GetParent", "IsWindow",
                                                         "PostMessageA", "DefWindowProcA"})))
            << c.name;
    }
}

TEST_F(HostMessages, HelpForAVanishedParentPostsNothing)
{
    isPreviewMode = TRUE;
    EXPECT_EQ(1, Send(WM_HELP, 0, 0));  // 0x5A has no parent in the stand-in
    EXPECT_TRUE(fake::CallsNamed({"PostMessageA"}).empty());
}

}  // namespace
