// The clip on the digital-video device: the probe and its close, the open
// with its window, the size and place of that window for every zoom, the
// play/pause toggle, the close, and the input rules over the clip.
#include "video_device.h"

#include <climits>

namespace {

const char clipPath[] = R"(C:\WINDOWS\zolp.avi)";

const std::initializer_list<const char*> videoCalls = {
    "mciSendCommandA", "mciGetDeviceIDA", "GetClientRect", "MoveWindow", "SetWindowLongPtrA", "InvalidateRect",
    "UpdateWindow"};

class Video : public VideoTest {
protected:
    HWND saver = nullptr;

    // A saver window of the given client size, with the clip's file in place.
    void MakeSaver(LONG width, LONG height)
    {
        saver = fake::NewWindow(RECT{0, 0, width, height});
        saverWindow = saver;
        std::strcpy(aviPath, clipPath);
        fake::files[clipPath] = "RIFF clip";
    }
};

TEST_F(Video, ProbeOpensTheDeviceTypeAndLeavesItOpenForItsClose)
{
    EXPECT_EQ(1, ProbeVideoDevice());
    CloseVideoDevice();
    EXPECT_TRUE(SameCalls(
        {
            R"(mciSendCommandA(0, 0x803, 0x2000, open{"avivideo", 0, 0, 0x0, 0}))",
            R"(mciGetDeviceIDA("avivideo"))",
            "mciSendCommandA(1, 0x804, 0x0, &record)",
        },
        fake::calls));
    EXPECT_FALSE(videoDevice.probeOpen);
}

TEST_F(Video, WithoutTheDeviceTheProbeFailsAndTheCloseFindsNothing)
{
    videoDevice.typeOpens = false;
    EXPECT_EQ(0, ProbeVideoDevice());
    CloseVideoDevice();
    EXPECT_TRUE(SameCalls({R"(mciGetDeviceIDA("avivideo"))", "mciSendCommandA(0, 0x804, 0x0, &record)"},
                          CallsStartingWith({"mciGetDeviceIDA", "mciSendCommandA(0, 0x804"})));
}

TEST_F(Video, FullScreenOpenShowsFitsAndTakesOverTheClipsWindow)
{
    MakeSaver(1024, 768);
    zoomPercent = 200;
    videoInputCount = 7;
    OpenVideo(saver);
    EXPECT_TRUE(SameCalls(
        {
            R"(mciSendCommandA(0, 0x803, 0x30200, open{0, "C:\WINDOWS\zolp.avi", 0, 0x40000000, 0x1001}))",
            "mciSendCommandA(2, 0x841, 0x40000, window{0, 5, 0})",
            "mciSendCommandA(2, 0x814, 0x100, status{0x4001})",
            "GetClientRect(0x1001)",
            "mciSendCommandA(2, 0x843, 0x20000, &record)",
            "MoveWindow(0x1002, 192, 144, 640, 480, 1)",
            "mciSendCommandA(2, 0x842, 0x50000, rect{0, 0, 640, 480})",
            "SetWindowLongPtrA(0x1002, -4)",
            "InvalidateRect(0x1001, 0, 0)",
            "UpdateWindow(0x1001)",
        },
        fake::CallsNamed(videoCalls)));
    EXPECT_TRUE(videoOpen);
    EXPECT_FALSE(videoPlaying);
    EXPECT_EQ(2u, videoDeviceId);
    EXPECT_EQ(videoDevice.window, videoWindow);
    EXPECT_EQ(0, videoInputCount);

    // The device's own procedure is out of the chain for good.
    fake::calls.clear();
    SendMessageA(videoWindow, WM_KEYUP, 0, 0);
    SendMessageA(videoWindow, WM_PAINT, 0, 0);
    EXPECT_TRUE(fake::CallsNamed({"DeviceWindowProc"}).empty());
    EXPECT_EQ(2u, fake::CallsNamed({"DefWindowProcA"}).size());
}

TEST_F(Video, PreviewShowsHalfSizeAndKeepsTheDevicesProcedure)
{
    MakeSaver(152, 112);
    isPreviewMode = TRUE;
    zoomPercent = 200;
    videoInputCount = 7;
    OpenVideo(saver);
    EXPECT_TRUE(SameCalls({"MoveWindow(0x1002, -4, -4, 160, 120, 1)"}, fake::CallsNamed({"MoveWindow"})));
    EXPECT_TRUE(fake::CallsNamed({"SetWindowLongPtrA"}).empty());
    EXPECT_EQ(50, zoomPercent);
    EXPECT_EQ(0, videoInputCount);
    SendMessageA(videoWindow, WM_LBUTTONDOWN, 0, 0);
    EXPECT_TRUE(SameCalls({"DeviceWindowProc(0x1002, WM_LBUTTONDOWN)"}, fake::CallsNamed({"DeviceWindowProc"})));
}

TEST_F(Video, AClipThatCannotBeOpenedLeavesTheSaverBlackAndRepainted)
{
    for (const char* content : {"", "garbage"}) {
        SCOPED_TRACE(content);
        fake::Reset();
        InstallVideoDevice();
        MakeSaver(1024, 768);
        fake::files[clipPath] = content;
        OpenVideo(saver);
        EXPECT_TRUE(SameCalls(
            {
                R"(mciSendCommandA(0, 0x803, 0x30200, open{0, "C:\WINDOWS\zolp.avi", 0, 0x40000000, 0x1001}))",
                "InvalidateRect(0x1001, 0, 0)",
                "UpdateWindow(0x1001)",
            },
            fake::CallsNamed(videoCalls)));
        EXPECT_FALSE(videoOpen);
        EXPECT_EQ(nullptr, videoWindow);
    }
}

TEST_F(Video, NoPathNoOpen)
{
    MakeSaver(1024, 768);
    aviPath[0] = '\0';
    OpenVideo(saver);
    EXPECT_TRUE(SameCalls({"InvalidateRect(0x1001, 0, 0)", "UpdateWindow(0x1001)"}, fake::CallsNamed(videoCalls)));
    EXPECT_FALSE(videoOpen);
}

TEST_F(Video, ADeviceThatWillNotNameItsWindowLeavesTheHandleNull)
{
    MakeSaver(1024, 768);
    zoomPercent = 200;
    videoDevice.reportsWindow = false;
    OpenVideo(saver);
    EXPECT_TRUE(videoOpen);
    EXPECT_EQ(nullptr, videoWindow);
    EXPECT_TRUE(SameCalls({"MoveWindow(0, 192, 144, 640, 480, 1)"}, fake::CallsNamed({"MoveWindow"})));
}

TEST_F(Video, OpeningAgainClosesTheOpenClipFirst)
{
    MakeSaver(1024, 768);
    OpenVideo(saver);
    fake::calls.clear();
    OpenVideo(saver);
    std::vector<std::string> calls = fake::CallsNamed({"mciSendCommandA", "InvalidateRect"});
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ("mciSendCommandA(2, 0x804, 0x0, &record)", calls[0]);
    EXPECT_EQ("InvalidateRect(0x1001, 0, 1)", calls[1]);
    EXPECT_EQ(0u, calls[2].find("mciSendCommandA(0, 0x803, 0x30200"));
    EXPECT_TRUE(videoOpen);
}

TEST_F(Video, FitSizesAndCentresTheClipForEveryZoom)
{
    struct Case {
        const char* name;
        LONG clientWidth, clientHeight;
        RECT source;
        LONG zoom;
        BOOL preview;
        int x, y, width, height;
    } cases[] = {
        {"the default zoom", 1024, 768, {0, 0, 320, 240}, 200, FALSE, 192, 144, 640, 480},
        {"an odd client width", 1023, 768, {0, 0, 320, 240}, 200, FALSE, 191, 144, 640, 480},
        {"the preview forces 50", 152, 112, {0, 0, 320, 240}, 200, TRUE, -4, -4, 160, 120},
        {"zoom 0", 1024, 768, {0, 0, 320, 240}, 0, FALSE, 512, 384, 0, 0},
        {"zoom 500 on a small screen", 640, 480, {0, 0, 320, 240}, 500, FALSE, -480, -360, 1600, 1200},
        {"zoom 1000", 1024, 768, {0, 0, 320, 240}, 1000, FALSE, -1088, -816, 3200, 2400},
        {"the single-precision factor", 1024, 768, {0, 0, 333, 240}, 100, FALSE, 346, 264, 332, 240},
        {"a source origin is not used", 1024, 768, {10, 20, 320, 240}, 100, FALSE, 352, 264, 320, 240},
        {"a negative zoom", 1024, 768, {0, 0, 320, 240}, -100, FALSE, 672, 504, -320, -240},
        {"a zoom too large for an int", 1024, 768, {0, 0, 320, 240}, 2000000000, FALSE, 512 - INT_MAX / 2,
         384 - INT_MAX / 2, INT_MAX, INT_MAX},
        {"a zoom too small for an int", 1024, 768, {0, 0, 320, 240}, -2000000000, FALSE, 512 + INT_MAX / 2 + 1,
         384 + INT_MAX / 2 + 1, INT_MIN, INT_MIN},
        {"a source that fails to answer", 1024, 768, {0, 0, 0, 0}, 200, FALSE, 512, 384, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake::Reset();
        InstallVideoDevice();
        MakeSaver(c.clientWidth, c.clientHeight);
        isPreviewMode = c.preview;
        videoDevice.source = c.source;
        OpenVideo(saver);
        fake::calls.clear();
        zoomPercent = c.zoom;
        FitVideoWindow(saver);
        std::string size = std::to_string(c.width) + ", " + std::to_string(c.height);
        EXPECT_TRUE(SameCalls(
            {
                "GetClientRect(0x1001)",
                "mciSendCommandA(2, 0x843, 0x20000, &record)",
                "MoveWindow(0x1002, " + std::to_string(c.x) + ", " + std::to_string(c.y) + ", " + size + ", 1)",
                "mciSendCommandA(2, 0x842, 0x50000, rect{0, 0, " + size + "})",
            },
            fake::calls));
        EXPECT_EQ(c.preview ? 50 : c.zoom, zoomPercent);
    }
}

// For a 320 x 240 clip the single-precision factor never shows: every zoom
// up to 1000 gives exactly zoom x 320 / 100 by 240 / 100.
TEST_F(Video, TheShippedClipSizeIsExactForEveryZoomUpTo1000)
{
    MakeSaver(1024, 768);
    OpenVideo(saver);
    for (LONG zoom = 0; zoom <= 1000; ++zoom) {
        fake::calls.clear();
        zoomPercent = zoom;
        FitVideoWindow(saver);
        std::vector<std::string> moved = fake::CallsNamed({"MoveWindow"});
        ASSERT_EQ(1u, moved.size());
        int width = zoom * 320 / 100, height = zoom * 240 / 100;
        EXPECT_EQ("MoveWindow(0x1002, " + std::to_string(512 - width / 2) + ", " + std::to_string(384 - height / 2) +
                      ", " + std::to_string(width) + ", " + std::to_string(height) + ", 1)",
                  moved[0]);
    }
}

TEST_F(Video, FitDoesNothingWhileNoClipIsOpen)
{
    MakeSaver(1024, 768);
    FitVideoWindow(saver);
    EXPECT_TRUE(fake::calls.empty());
}

TEST_F(Video, PlaybackTogglesAndPauseAlwaysPauses)
{
    HWND notify = fake::AdoptWindow(0x7FFF12345678);
    videoDeviceId = 9;
    const std::string play = "mciSendCommandA(9, 0x806, 0x1, play{0x5678, 0, 0})";
    const std::string pause = "mciSendCommandA(9, 0x809, 0x0, &record)";
    struct Step {
        int run;
        std::string request;
        BOOL playing;
    } steps[] = {
        {1, play, TRUE}, {1, pause, FALSE}, {1, play, TRUE}, {0, pause, FALSE}, {0, pause, FALSE}, {1, play, TRUE},
    };
    for (const Step& step : steps) {
        fake::calls.clear();
        SetPlayback(notify, step.run);
        EXPECT_TRUE(SameCalls({step.request}, fake::calls));
        EXPECT_EQ(step.playing, videoPlaying);
    }
}

TEST_F(Video, CloseClosesTheClipAndRepaintsWithTheBackgroundErased)
{
    MakeSaver(1024, 768);
    OpenVideo(saver);
    SetPlayback(saver, 1);
    for (int round = 0; round < 2; ++round) {  // the second finds nothing open, harmlessly
        fake::calls.clear();
        CloseVideo(saver);
        EXPECT_TRUE(SameCalls(
            {"mciSendCommandA(2, 0x804, 0x0, &record)", "InvalidateRect(0x1001, 0, 1)", "UpdateWindow(0x1001)"},
            fake::calls));
        EXPECT_FALSE(videoOpen);
        EXPECT_FALSE(videoPlaying);
        EXPECT_EQ(nullptr, videoWindow);
        EXPECT_EQ(2u, videoDeviceId);
    }
    EXPECT_FALSE(videoDevice.clipOpen);
}

class VideoInput : public Video {
protected:
    HWND clip = nullptr;
    void SetUp() override
    {
        Video::SetUp();
        MakeSaver(1024, 768);
        zoomPercent = 200;
        OpenVideo(saver);
        clip = videoWindow;
        fake::calls.clear();
    }
    std::vector<std::string> Closing() { return fake::CallsNamed({"DestroyWindow", "PostMessageA"}); }
};

BOOL WINAPI RefusingVerifier(HWND)
{
    return FALSE;
}

TEST_F(VideoInput, TheFourthKeyOrMoveEndsTheSaver)
{
    for (UINT last : {WM_MOUSEMOVE, WM_KEYDOWN}) {
        SCOPED_TRACE(fake::MessageName(last));
        videoInputCount = 0;
        fake::calls.clear();
        EXPECT_EQ(0, VideoWindowProc(clip, WM_MOUSEMOVE, 0, 0));
        EXPECT_EQ(0, VideoWindowProc(clip, WM_KEYDOWN, 0, 0));
        EXPECT_EQ(0, VideoWindowProc(clip, WM_MOUSEMOVE, 0, 0));
        EXPECT_TRUE(Closing().empty());
        EXPECT_EQ(0, VideoWindowProc(clip, last, 0, 0));
        EXPECT_TRUE(SameCalls({"DestroyWindow(0x1001)"}, Closing()));
    }
    // The counted messages reach no one else: no movement threshold, no default.
    EXPECT_TRUE(fake::CallsNamed({"GetCursorPos", "DefWindowProcA", "DeviceWindowProc"}).empty());
}

TEST_F(VideoInput, AnyLeftOrRightButtonMessageEndsTheSaverAtOnce)
{
    for (UINT message = WM_LBUTTONDOWN; message <= WM_RBUTTONDBLCLK; ++message) {
        SCOPED_TRACE(fake::MessageName(message));
        fake::calls.clear();
        EXPECT_EQ(0, VideoWindowProc(clip, message, 0, 0));
        EXPECT_TRUE(SameCalls({"DestroyWindow(0x1001)"}, Closing()));
        EXPECT_TRUE(fake::CallsNamed({"DefWindowProcA"}).empty());
    }
}

// With a password in force the clip asks for a close, so the password check
// runs; it no longer destroys the saver past the lock.
TEST_F(VideoInput, WithAVerifierTheClipRequestsACloseInstead)
{
    isWin9xFamily = TRUE;
    verifierProc = RefusingVerifier;
    VideoWindowProc(clip, WM_LBUTTONDOWN, 0, 0);
    VideoWindowProc(clip, WM_RBUTTONUP, 0, 0);
    for (int i = 0; i < 4; ++i)
        VideoWindowProc(clip, WM_MOUSEMOVE, 0, 0);
    VideoWindowProc(clip, WM_MOUSEMOVE, 0, 0);
    const std::string close = "PostMessageA(0x1001, WM_CLOSE, 0, 0)";
    EXPECT_TRUE(SameCalls({close, close, close, close}, Closing()));
}

// A middle click is no closing message of the clip's: the closing rules post
// their request to the clip's window, and that close becomes the saver's.
TEST_F(VideoInput, ACloseOfTheClipsWindowBecomesACloseOfTheSaver)
{
    VideoWindowProc(clip, WM_MBUTTONDOWN, 0, 0);
    EXPECT_TRUE(SameCalls({"PostMessageA(0x1002, WM_CLOSE, 0, 0)"}, Closing()));
    fake::calls.clear();
    EXPECT_EQ(0, VideoWindowProc(clip, WM_CLOSE, 0, 0));
    EXPECT_TRUE(SameCalls({"PostMessageA(0x1001, WM_CLOSE, 0, 0)"}, Closing()));
    EXPECT_TRUE(fake::CallsNamed({"DefWindowProcA"}).empty());
    EXPECT_TRUE(fake::WindowExists(clip));
}

TEST_F(VideoInput, OtherMessagesFollowTheClosingRulesForTheClipsWindow)
{
    EXPECT_EQ(1, VideoWindowProc(clip, WM_SETCURSOR, 0, 0));
    VideoWindowProc(clip, WM_KEYUP, 0, 0);
    VideoWindowProc(clip, WM_SYSKEYDOWN, 0, 0);
    EXPECT_TRUE(SameCalls({"SetCursor(0)", "DefWindowProcA(0x1002, WM_KEYUP, 0, 0)",
                           "PostMessageA(0x1002, WM_CLOSE, 0, 0)", "DefWindowProcA(0x1002, WM_SYSKEYDOWN, 0, 0)"},
                          fake::CallsNamed({"SetCursor", "DefWindowProcA", "PostMessageA"})));
    EXPECT_EQ(0, videoInputCount);
}

// The device erased its window black; the default would use its class brush.
TEST_F(VideoInput, TheClipsWindowIsErasedBlack)
{
    HDC dc = reinterpret_cast<HDC>(0xDC2);
    EXPECT_EQ(1, VideoWindowProc(clip, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
    EXPECT_TRUE(SameCalls({"GetClientRect(0x1002)", "GetStockObject(4)", "FillRect(0xDC2, {0, 0, 640, 480}, 0xB4)"},
                          fake::calls));
}

}  // namespace
