// The saver host on the real platform: exit codes of the dispatcher, the
// full-screen window, the single-instance rule and the preview child.
#include "driver.h"

namespace e2e {
namespace {

class Host : public DriverTest {};

TEST_F(Host, RejectedCommandLinesExitWithMinusOne)
{
    for (const char* args : {"/x", "/?", "/p", "/p 0", "/p 99999", "/p abc", "/a", "/a 0", "/\ts", "\xE9"}) {
        Program saver = Start(SaverPath(), args);
        EXPECT_EQ(0xFFFFFFFFu, WaitExit(saver)) << "arguments: " << args;
        EXPECT_EQ(nullptr, FindWindowA("WindowsScreenSaverClass", nullptr)) << "arguments: " << args;
    }
}

TEST_F(Host, FullScreenSaverCoversTheDisplayAndClosesWithZero)
{
    Program saver = Start(SaverPath(), "/s");
    HWND window = WaitForTopWindow(saver, "WindowsScreenSaverClass");
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("Screen Saver", TitleOf(window));
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_VISIBLE), style & static_cast<LONG>(WS_POPUP | WS_VISIBLE | WS_CHILD));
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rect = ScreenRectOf(window);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(1024, rect.right);
    EXPECT_EQ(768, rect.bottom);

    // The title is how a second start finds the first: it must not change.
    SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Renamed"));
    EXPECT_EQ("Screen Saver", TitleOf(window));

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, WaitExit(saver));
}

TEST_F(Host, SecondFullScreenStartLeavesTheFirstRunning)
{
    Program first = Start(SaverPath(), "/s");
    HWND window = WaitForTopWindow(first, "WindowsScreenSaverClass");
    ASSERT_NE(nullptr, window);
    // (Taking the foreground away from the first would close it: loss of
    // activation is one of the closing events.)

    Program second = Start(SaverPath(), "/s");
    EXPECT_EQ(0u, WaitExit(second));
    EXPECT_TRUE(first.running());
    EXPECT_EQ(window, FindWindowA("WindowsScreenSaverClass", "Screen Saver"));
    EXPECT_EQ(window, GetForegroundWindow());
}

// A stand-in for the display settings' little monitor picture.
HWND CreatePreviewParent(int width, int height)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PreviewParent";
    RegisterClassA(&windowClass);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExA(0, "PreviewParent", "Display settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

TEST_F(Host, PreviewFillsItsParentAndEndsWithIt)
{
    HWND parent = CreatePreviewParent(152, 112);
    ASSERT_NE(nullptr, parent);
    RECT client;
    GetClientRect(parent, &client);
    ASSERT_EQ(152, client.right);
    ASSERT_EQ(112, client.bottom);

    Program saver = Start(SaverPath(), "/p " + std::to_string(reinterpret_cast<uintptr_t>(parent)));
    HWND preview = nullptr;
    WaitUntil([&] {
        Pump(50);
        return (preview = FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", nullptr)) != nullptr;
    });
    ASSERT_NE(nullptr, preview);
    EXPECT_EQ("Preview", TitleOf(preview));
    EXPECT_TRUE(GetWindowLongA(preview, GWL_STYLE) & WS_CHILD);
    RECT placed = RectInParent(preview);
    EXPECT_EQ(0, placed.left);
    EXPECT_EQ(0, placed.top);
    EXPECT_EQ(152, placed.right);
    EXPECT_EQ(112, placed.bottom);

    DestroyWindow(parent);
    Pump(100);
    EXPECT_EQ(0u, WaitExit(saver));
}

TEST_F(Host, PreviewOfAWindowThatIsGoneCreatesNothing)
{
    HWND parent = CreatePreviewParent(152, 112);
    std::string handle = std::to_string(reinterpret_cast<uintptr_t>(parent));
    DestroyWindow(parent);
    Program saver = Start(SaverPath(), "/p " + handle);
    EXPECT_EQ(0xFFFFFFFFu, WaitExit(saver));
}

}  // namespace
}  // namespace e2e
