// The clip on the real platform: the committed clip on the "avivideo" device,
// the saver's clip window (size, place, pixels), its loop, the input over it
// in full-screen mode, with a password in force, and in the preview.
#include "driver.h"

#include <digitalv.h>

namespace e2e {
namespace {

const char standinDir[] = "C:\\avizolp-clip-standins";
const char desktopKey[] = "Control Panel\\Desktop";
const char dialogTitle[] = "Stand-in password";

std::string CommittedClip()
{
    std::string source = __FILE__;
    source = "Z:" + source.substr(0, source.rfind("/tests/e2e/")) + "/saver/resources/media/zolp.avi";
    for (char& c : source)
        if (c == '/')
            c = '\\';
    return source;
}

MCIERROR Send(MCIDEVICEID device, UINT command, DWORD_PTR flags, void* record)
{
    return mciSendCommandA(device, command, flags, reinterpret_cast<DWORD_PTR>(record));
}

// Pixels of the figure's colours: bright and saturated, unlike codec noise in
// the clip's black background or a grey window background.
long FigurePixels(const Screenshot& shot, const RECT& area)
{
    long figure = 0;
    for (int y = std::max<int>(0, area.top); y < std::min<int>(shot.height, area.bottom); ++y)
        for (int x = std::max<int>(0, area.left); x < std::min<int>(shot.width, area.right); ++x) {
            COLORREF c = shot.at(x, y);
            int high = std::max({GetRValue(c), GetGValue(c), GetBValue(c)});
            int low = std::min({GetRValue(c), GetGValue(c), GetBValue(c)});
            figure += high > 64 && high - low > 48;
        }
    return figure;
}

HWND CreateTestWindow(const char* title, int width, int height)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "ClipTestWindow";
    RegisterClassA(&windowClass);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExA(0, "ClipTestWindow", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

std::string Text(const RECT& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

// --- the committed clip on the device, driven directly ---

class ClipDevice : public DriverTest {};

TEST_F(ClipDevice, TheCommittedClipPlaysToItsEndAndReplaysAfterASeekToTheStart)
{
    HWND window = CreateTestWindow("Clip", 320, 240);
    std::string clip = CommittedClip();
    MCI_DGV_OPEN_PARMSA open = {};
    open.lpstrElementName = &clip[0];
    open.dwStyle = WS_CHILD;
    open.hWndParent = window;
    ASSERT_EQ(0u, Send(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_DGV_OPEN_WS | MCI_DGV_OPEN_PARENT, &open));
    MCIDEVICEID device = open.wDeviceID;

    MCI_DGV_RECT_PARMS where = {};
    EXPECT_EQ(0u, Send(device, MCI_WHERE, MCI_DGV_WHERE_SOURCE, &where));
    EXPECT_TRUE(SameRect(RECT{0, 0, 320, 240}, where.rc)) << Text(where.rc);

    MCI_SET_PARMS format = {};
    format.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    EXPECT_EQ(0u, Send(device, MCI_SET, MCI_SET_TIME_FORMAT, &format));
    MCI_STATUS_PARMS length = {};
    length.dwItem = MCI_STATUS_LENGTH;
    EXPECT_EQ(0u, Send(device, MCI_STATUS, MCI_STATUS_ITEM, &length));
    std::printf("clip length: %lu ms\n", static_cast<unsigned long>(length.dwReturn));
    EXPECT_GT(length.dwReturn, 5000u);
    EXPECT_LT(length.dwReturn, 12000u);

    // The whole play, end to end, with the notification of its end.
    MCI_PLAY_PARMS play = {};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(window);
    DWORD start = GetTickCount();
    ASSERT_EQ(0u, Send(device, MCI_PLAY, MCI_NOTIFY, &play));
    MSG notification = {};
    bool ended = WaitUntil([&] {
        Pump(0);
        return PeekMessageA(&notification, window, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE) != FALSE;
    }, static_cast<DWORD>(length.dwReturn) + 5000);
    ASSERT_TRUE(ended);
    EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL), notification.wParam);
    EXPECT_GE(GetTickCount() - start + 200, static_cast<DWORD>(length.dwReturn));

    // Back to the start with a zeroed record, and it plays again.
    MCI_SEEK_PARMS seek = {};
    EXPECT_EQ(0u, Send(device, MCI_SEEK, MCI_SEEK_TO_START, &seek));
    MCI_STATUS_PARMS position = {};
    position.dwItem = MCI_STATUS_POSITION;
    EXPECT_EQ(0u, Send(device, MCI_STATUS, MCI_STATUS_ITEM, &position));
    EXPECT_EQ(0u, position.dwReturn);
    ASSERT_EQ(0u, Send(device, MCI_PLAY, MCI_NOTIFY, &play));
    Pump(1000);
    EXPECT_EQ(0u, Send(device, MCI_STATUS, MCI_STATUS_ITEM, &position));
    EXPECT_GT(position.dwReturn, 300u);

    MCI_GENERIC_PARMS close = {};
    EXPECT_EQ(0u, Send(device, MCI_CLOSE, 0, &close));
    DestroyWindow(window);
}

// --- the full-screen saver ---

const RECT screen = {0, 0, 1024, 768};

class ClipPlayback : public DriverTest {
protected:
    Program saver;
    HWND window = nullptr;
    HWND clip = nullptr;

    void StartSaver()
    {
        saver = Start(SaverPath(), "/s");
        window = WaitForTopWindow(saver, "WindowsScreenSaverClass");
        ASSERT_NE(nullptr, window);
        ASSERT_TRUE(WaitUntil([&] { return !ChildrenOf(window).empty(); }, 5000)) << "no clip window";
        std::vector<HWND> children = ChildrenOf(window);
        ASSERT_EQ(1u, children.size());
        clip = children[0];
        EXPECT_EQ(window, GetParent(clip));
    }

    // Waits until the figure shows inside the clip's rectangle.
    Screenshot PictureIn(const RECT& area)
    {
        Screenshot shot;
        WaitUntil([&] { return FigurePixels(shot = CaptureScreen(), area) > 500; }, 5000);
        return shot;
    }

    void SetZoom(const char* zoom)
    {
        WritePrivateProfileStringA("avizolp", "zoom", zoom, "avizolp.ini");
    }
};

TEST_F(ClipPlayback, TheClipIsCentredAtTwiceItsSizeAndDrawnOnlyThere)
{
    ASSERT_NO_FATAL_FAILURE(StartSaver());
    RECT placed = RectInParent(clip);
    const RECT expected = {192, 144, 832, 624};
    EXPECT_TRUE(SameRect(expected, placed)) << Text(placed);

    Screenshot shot = PictureIn(expected);
    long inside = shot.LitPixels(expected);
    EXPECT_GT(FigurePixels(shot, expected), 500);
    EXPECT_EQ(inside, shot.LitPixels(screen)) << "lit pixels outside the clip";
    // The picture fills the window: the figure reaches into the lower half,
    // which a picture drawn at its source size in the corner never does.
    // (Polled: a frame drawn before the device took the destination in can
    // still be on the screen for a moment on a loaded machine.)
    EXPECT_TRUE(WaitUntil([] { return FigurePixels(CaptureScreen(), RECT{192, 144 + 240 + 16, 832, 624}) > 500; },
                          3000));
    // What a user sees, for the README: a frame well into the run.
    Sleep(1500);
    CaptureScreen().SaveBmp(BuildDir() + "\\saver-fullscreen.bmp");

    PressKey('A');
    EXPECT_EQ(0u, WaitExit(saver));
}

TEST_F(ClipPlayback, ZoomSetsTheSizeAroundTheCentre)
{
    struct Case {
        const char* zoom;
        RECT expected;
    } cases[] = {
        {"100", {352, 264, 672, 504}},
        {"1000", {-1088, -816, 2112, 1584}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoom);
        SetZoom(c.zoom);
        ASSERT_NO_FATAL_FAILURE(StartSaver());
        RECT placed = RectInParent(clip);
        EXPECT_TRUE(SameRect(c.expected, placed)) << Text(placed);
        Screenshot shot = PictureIn(c.expected);
        EXPECT_EQ(shot.LitPixels(c.expected), shot.LitPixels(screen)) << "lit pixels outside the clip";
        PressKey('A');
        EXPECT_EQ(0u, WaitExit(saver));
        WaitUntil([] { return FindWindowA("WindowsScreenSaverClass", nullptr) == nullptr; }, 5000);
    }
}

TEST_F(ClipPlayback, TheClipKeepsLoopingPastItsEnd)
{
    ASSERT_NO_FATAL_FAILURE(StartSaver());
    // 2.5 lengths of the committed clip, measured on the device.
    std::string path = CommittedClip();
    MCI_DGV_OPEN_PARMSA open = {};
    open.lpstrElementName = &path[0];
    ASSERT_EQ(0u, Send(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open));
    MCI_SET_PARMS format = {};
    format.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    Send(open.wDeviceID, MCI_SET, MCI_SET_TIME_FORMAT, &format);
    MCI_STATUS_PARMS length = {};
    length.dwItem = MCI_STATUS_LENGTH;
    Send(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, &length);
    MCI_GENERIC_PARMS close = {};
    Send(open.wDeviceID, MCI_CLOSE, 0, &close);
    ASSERT_GT(length.dwReturn, 0u);

    Sleep(static_cast<DWORD>(length.dwReturn) * 5 / 2);
    ASSERT_TRUE(saver.running());
    const RECT area = {192, 144, 832, 624};
    Screenshot first = CaptureScreen();
    Sleep(200);
    Screenshot second = CaptureScreen();
    long changed = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            changed += first.at(x, y) != second.at(x, y);
    EXPECT_GT(changed, 100) << "the picture stands still";
    EXPECT_GT(FigurePixels(second, area), 500);
    EXPECT_TRUE(saver.running());
    PressKey('A');
    EXPECT_EQ(0u, WaitExit(saver));
}

TEST_F(ClipPlayback, AClickOverTheClipEndsTheSaver)
{
    for (Button button : {Button::Left, Button::Right, Button::Middle}) {
        SCOPED_TRACE(static_cast<int>(button));
        ASSERT_NO_FATAL_FAILURE(StartSaver());
        Settle(300);
        Click(512, 384, button);
        EXPECT_EQ(0u, WaitExit(saver));
        WaitUntil([] { return FindWindowA("WindowsScreenSaverClass", nullptr) == nullptr; }, 5000);
        ParkCursor(10, 10);
    }
}

TEST_F(ClipPlayback, TheFourthMouseMoveOverTheClipEndsTheSaver)
{
    ASSERT_NO_FATAL_FAILURE(StartSaver());
    Settle(300);
    for (int x = 500; x < 503; ++x) {
        MoveCursorTo(x, 400);
        Settle(300);
    }
    EXPECT_TRUE(saver.running()) << "three moves over the clip";
    MoveCursorTo(503, 400);
    EXPECT_EQ(0u, WaitExit(saver));
}

// --- Windows 98 with a password in force ---

class ClipPassword : public DriverTest {
protected:
    std::string saverCopy = std::string(standinDir) + "\\avizolp.scr";

    void SetUp() override
    {
        DriverTest::SetUp();
        CreateDirectoryA(standinDir, nullptr);
        std::string standins = BuildDir() + "\\tests\\e2e\\standins\\";
        ASSERT_TRUE(CopyFileA(SaverPath().c_str(), saverCopy.c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((standins + "PASSWORD.CPL").c_str(),
                              (std::string(standinDir) + "\\PASSWORD.CPL").c_str(), FALSE));
        ReportWindows98("avizolp.scr", true);
        SetDword(HKEY_CURRENT_USER, desktopKey, "ScreenSaveUsePassword", 1);
        RemoveFile(InWindowsDir("standin-verify.log"));
    }

    void TearDown() override
    {
        DriverTest::TearDown();
        DeleteValue(HKEY_CURRENT_USER, desktopKey, "ScreenSaveUsePassword");
        ReportWindows98("avizolp.scr", false);
        RemoveFile(saverCopy);
        RemoveFile(std::string(standinDir) + "\\PASSWORD.CPL");
        RemoveFile(standinDir);
        RemoveFile(InWindowsDir("standin-verify.txt"));
        RemoveFile(InWindowsDir("standin-verify.log"));
    }
};

TEST_F(ClipPassword, AClickOnTheClipAsksForThePasswordAndARefusalKeepsTheSaver)
{
    ASSERT_TRUE(WriteBytes(InWindowsDir("standin-verify.txt"), "refuse 400"));
    Program saver = Start(saverCopy, "/s");
    HWND window = WaitForTopWindow(saver, "WindowsScreenSaverClass");
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitUntil([&] { return !ChildrenOf(window).empty(); }, 5000));
    Settle(300);

    Click(512, 384, Button::Left);
    HWND dialog = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (dialog = FindWindowA(nullptr, dialogTitle)) != nullptr; }));
    EXPECT_EQ(window, GetWindow(dialog, GW_OWNER));
    EXPECT_TRUE(WaitUntil([] { return FindWindowA(nullptr, dialogTitle) == nullptr; }));
    Settle(500);
    EXPECT_TRUE(saver.running());
    EXPECT_EQ(1u, ChildrenOf(window).size()) << "the clip stays";
    EXPECT_EQ(0u, ReadBytes(InWindowsDir("standin-verify.log")).find("asked owner=WindowsScreenSaverClass"));

    ASSERT_TRUE(WriteBytes(InWindowsDir("standin-verify.txt"), "accept 0"));
    PressKey('A');
    EXPECT_EQ(0u, WaitExit(saver));
}

// --- the preview ---

class ClipPreview : public DriverTest {};

TEST_F(ClipPreview, ThePreviewHoldsTheClipAtHalfSizeAndInputOverItEndsNothing)
{
    HWND parent = CreateTestWindow("Display settings", 152, 112);
    ASSERT_NE(nullptr, parent);
    Program saver = Start(SaverPath(), "/p " + std::to_string(reinterpret_cast<uintptr_t>(parent)));
    HWND preview = nullptr;
    WaitUntil([&] {
        Pump(50);
        preview = FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", nullptr);
        return preview != nullptr && !ChildrenOf(preview).empty();
    });
    ASSERT_NE(nullptr, preview);
    std::vector<HWND> children = ChildrenOf(preview);
    ASSERT_EQ(1u, children.size());
    RECT placed = RectInParent(children[0]);
    EXPECT_TRUE(SameRect(RECT{-4, -4, 156, 116}, placed)) << Text(placed);

    // No pixels here: Wine 8 draws nothing of a child window whose parent
    // belongs to another process (not even the preview's black background).
    RECT client;
    GetClientRect(parent, &client);
    MapWindowPoints(parent, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    int x = (client.left + client.right) / 2, y = (client.top + client.bottom) / 2;
    for (int i = 0; i < 6; ++i) {
        MoveCursorTo(x + i, y);
        Pump(100);
    }
    Click(x, y, Button::Left);
    Click(x, y, Button::Right);
    Click(x, y, Button::Middle);
    PressKey('A');
    Pump(800);
    EXPECT_TRUE(saver.running());

    DestroyWindow(parent);
    Pump(100);
    EXPECT_EQ(0u, WaitExit(saver));
}

}  // namespace
}  // namespace e2e
