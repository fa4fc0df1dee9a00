// The closing rules on the real platform, with real input over the black area
// of a full-screen saver: what ends it with 0 and what leaves it running.
#include "driver.h"

namespace e2e {
namespace {

class Closing : public DriverTest {
protected:
    Program saver;
    HWND window = nullptr;

    // The cursor is parked at (10, 10), far from the clip in the middle of
    // the screen: every input here lands on the black area. The park is
    // checked before the saver starts; while it runs, another process's view
    // of the cursor position is not to be trusted under Wine.
    void StartSaver()
    {
        MoveCursorTo(10, 10);
        ASSERT_TRUE(WaitUntil([] { return Cursor().x == 10 && Cursor().y == 10; }, 3000));
        saver = Start(SaverPath(), "/s");
        window = WaitForTopWindow(saver, "WindowsScreenSaverClass");
        ASSERT_NE(nullptr, window);
        Settle(500);  // the window's own appearance under the cursor comes first
        ASSERT_TRUE(saver.running());
    }

    static POINT Cursor()
    {
        POINT at = {};
        GetCursorPos(&at);
        return at;
    }
};

TEST_F(Closing, RealInputEndsTheSaverWithZero)
{
    struct Case {
        const char* name;
        void (*act)();
    } cases[] = {
        {"key press", [] { PressKey('A'); }},
        {"left click", [] { Click(10, 10, Button::Left); }},
        {"right click", [] { Click(10, 10, Button::Right); }},
        {"middle click", [] { Click(10, 10, Button::Middle); }},
        {"travel of 5", [] { MoveCursorTo(13, 12); }},
    };
    for (const Case& c : cases) {
        StartSaver();
        c.act();
        EXPECT_EQ(0u, WaitExit(saver, 10000)) << c.name;
        Stop(saver);
        WaitUntil([] { return FindWindowA("WindowsScreenSaverClass", nullptr) == nullptr; }, 5000);
    }
}

TEST_F(Closing, KeyReleaseAndTravelOfFourLeaveItRunningButSmallMovesAddUp)
{
    StartSaver();
    KeyUp('A');
    Settle(700);
    EXPECT_TRUE(saver.running()) << "a key release alone";

    struct Step {
        int x, y;
        const char* name;
    } steps[] = {{12, 10, "a travel of 2"}, {14, 10, "a travel of exactly 4"}, {12, 8, "4 by another path"}};
    for (const Step& step : steps) {
        MoveCursorTo(step.x, step.y);
        Settle(700);
        EXPECT_TRUE(saver.running()) << step.name;
    }

    // One pixel more: 5 from where the saver started.
    MoveCursorTo(13, 8);
    EXPECT_EQ(0u, WaitExit(saver, 10000));
}

}  // namespace
}  // namespace e2e
