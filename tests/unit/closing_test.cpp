// The closing rules: which messages become a close request, the mouse-travel
// rule, when the rules stand aside, the verification request and the
// "QueryCancelAutoPlay" answer.
#include "test_support.h"

namespace {

std::function<BOOL(HWND)> verifierAnswer;

BOOL WINAPI TestVerifier(HWND owner)
{
    fake::calls.push_back("VerifyScreenSavePwd(" + fake::Handle(owner) + ")");
    return verifierAnswer ? verifierAnswer(owner) : FALSE;
}

VerifyPasswordFn LoadedVerifier(std::function<BOOL(HWND)> answer)
{
    verifierAnswer = std::move(answer);
    verifierModule = reinterpret_cast<HMODULE>(0xC91);
    return TestVerifier;
}

// The states in which the input rules stand aside, and the one where they act.
struct Mode {
    const char* name;
    BOOL preview;
    LONG approved;
    BOOL verifying;
    void Enter() const
    {
        isPreviewMode = preview;
        closeApproved = approved;
        verifyInProgress = verifying;
    }
};
const Mode running = {"running", FALSE, 0, FALSE};
const Mode asideModes[] = {
    {"preview", TRUE, 0, FALSE},
    {"approved", FALSE, 1, FALSE},
    {"approved with 5", FALSE, 5, FALSE},
    {"verifying", FALSE, 0, TRUE},
};

class Closing : public PlatformTest {
protected:
    HWND window = nullptr;
    std::string w, postClose;

    void SetUp() override
    {
        PlatformTest::SetUp();
        window = fake::NewWindow();
        w = fake::Handle(window);
        postClose = "PostMessageA(" + w + ", WM_CLOSE, 0, 0)";
        verifierAnswer = nullptr;
        cursorAnchor = POINT{500, 400};
        fake::cursor = cursorAnchor;
    }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        fake::calls.clear();
        return DefaultSaverProc(window, message, wParam, lParam);
    }

    std::vector<std::string> Posts() { return fake::CallsNamed({"PostMessageA"}); }
    std::string Default(const char* message, WPARAM wParam = 0)
    {
        return "DefWindowProcA(" + w + ", " + message + ", " + std::to_string(wParam) + ", 0)";
    }
};

TEST_F(Closing, MouseTravelBeyondFourPixelsClosesAndMovesTheAnchor)
{
    struct Case {
        LONG dx, dy;
        bool closes;
    } cases[] = {
        {3, 1, false}, {3, 2, true}, {0, -5, true}, {4, 0, false}, {-4, 0, false},
        {-2, -2, false}, {-3, 2, true}, {0, 0, false}, {-700, 300, true},
    };
    for (const Case& c : cases) {
        SetUp();
        fake::cursor = POINT{500 + c.dx, 400 + c.dy};
        // The message's own lParam is in client coordinates and must not count.
        EXPECT_EQ(0, Send(WM_MOUSEMOVE, 0, 0x7FFF7FFF)) << c.dx << "," << c.dy;
        EXPECT_EQ(c.closes ? std::vector<std::string>{postClose} : std::vector<std::string>{}, Posts())
            << c.dx << "," << c.dy;
        POINT expected = c.closes ? fake::cursor : POINT{500, 400};
        EXPECT_EQ(expected.x, cursorAnchor.x) << c.dx << "," << c.dy;
        EXPECT_EQ(expected.y, cursorAnchor.y) << c.dx << "," << c.dy;
        EXPECT_EQ(1u, fake::CallsNamed({"DefWindowProcA"}).size());
    }
}

TEST_F(Closing, SmallMovesAddUpFromAnUnchangedAnchor)
{
    fake::cursor = POINT{503, 400};
    Send(WM_MOUSEMOVE);
    EXPECT_TRUE(Posts().empty());
    fake::cursor = POINT{506, 400};
    Send(WM_MOUSEMOVE);
    EXPECT_EQ(std::vector<std::string>{postClose}, Posts());

    // The anchor is now where that close was asked.
    fake::cursor = POINT{510, 400};
    Send(WM_MOUSEMOVE);
    EXPECT_TRUE(Posts().empty());
}

TEST_F(Closing, AnUnreadableCursorClosesNothing)
{
    fake::answers.GetCursorPos = [](LPPOINT point) {
        *point = POINT{9000, 9000};  // whatever a failed call leaves behind
        return FALSE;
    };
    Send(WM_MOUSEMOVE);
    EXPECT_TRUE(Posts().empty());
    EXPECT_EQ(500, cursorAnchor.x);
    EXPECT_EQ(400, cursorAnchor.y);
}

TEST_F(Closing, TableOfMessages)
{
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        bool closes;
        bool hidesCursor;
        bool defaulted;
        LRESULT result;
    } cases[] = {
        {"key down", WM_KEYDOWN, 'A', true, false, true, 0},
        {"system key down", WM_SYSKEYDOWN, 0x12, true, false, true, 0},
        {"left button", WM_LBUTTONDOWN, 1, true, false, true, 0},
        {"right button", WM_RBUTTONDOWN, 2, true, false, true, 0},
        {"middle button", WM_MBUTTONDOWN, 16, true, false, true, 0},
        {"key up", WM_KEYUP, 'A', false, false, true, 0},
        {"system key up", WM_SYSKEYUP, 0x12, false, false, true, 0},
        {"character", WM_CHAR, 'a', false, false, true, 0},
        {"left button up", WM_LBUTTONUP, 0, false, false, true, 0},
        {"right button up", WM_RBUTTONUP, 0, false, false, true, 0},
        {"middle button up", WM_MBUTTONUP, 0, false, false, true, 0},
        {"left double click", WM_LBUTTONDBLCLK, 1, false, false, true, 0},
        {"right double click", WM_RBUTTONDBLCLK, 2, false, false, true, 0},
        {"middle double click", WM_MBUTTONDBLCLK, 16, false, false, true, 0},
        {"wheel", WM_MOUSEWHEEL, 120u << 16, false, false, true, 0},
        {"another application activated", WM_ACTIVATEAPP, 0, true, false, true, 0},
        {"we are activated", WM_ACTIVATEAPP, 1, false, false, true, 0},
        {"suspend request", WM_POWER, PWR_SUSPENDREQUEST, false, false, true, 0},
        {"suspend resume", WM_POWER, PWR_SUSPENDRESUME, false, false, true, 0},
        {"critical resume", WM_POWER, PWR_CRITICALRESUME, true, false, true, 0},
        {"power broadcast 0", WM_POWERBROADCAST, 0, true, false, true, 0},
        {"power broadcast resume", WM_POWERBROADCAST, 7, true, false, true, 0},
        {"power broadcast 0x8013", WM_POWERBROADCAST, 0x8013, true, false, true, 0},
        {"shown", WM_SHOWWINDOW, 1, false, true, true, 0},
        {"hidden", WM_SHOWWINDOW, 0, false, false, true, 0},
        {"set cursor", WM_SETCURSOR, 0, false, true, false, 1},
        {"paint", WM_PAINT, 0, false, false, true, 0},
        {"timer", WM_TIMER, 1, false, false, true, 0},
    };
    for (BOOL win9x : {FALSE, TRUE}) {
        for (const Case& c : cases) {
            isWin9xFamily = win9x;
            EXPECT_EQ(c.result, Send(c.message, c.wParam)) << c.name;
            EXPECT_EQ(c.closes ? std::vector<std::string>{postClose} : std::vector<std::string>{}, Posts())
                << c.name;
            EXPECT_EQ(c.hidesCursor ? std::vector<std::string>{"SetCursor(0)"} : std::vector<std::string>{},
                      fake::CallsNamed({"SetCursor"}))
                << c.name;
            EXPECT_EQ(c.defaulted ? 1u : 0u, fake::CallsNamed({"DefWindowProcA"}).size()) << c.name;
        }
    }
}

// Preview, an approved close and a running verification each put the input
// rules aside: nothing posts, the cursor is left alone, everything defaults.
TEST_F(Closing, RulesStandAsideInPreviewAfterApprovalAndDuringVerification)
{
    for (const Mode& m : asideModes) {
        for (BOOL win9x : {FALSE, TRUE}) {
            m.Enter();
            isWin9xFamily = win9x;
            for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN,
                                 WM_ACTIVATEAPP, WM_POWERBROADCAST, WM_SHOWWINDOW, WM_SETCURSOR}) {
                WPARAM wParam = message == WM_SHOWWINDOW ? 1 : 0;
                EXPECT_EQ(0, Send(message, wParam)) << m.name << " " << fake::MessageName(message);
                EXPECT_TRUE(SameCalls({Default(fake::MessageName(message).c_str(), wParam)},
                                      fake::CallsNamed({"PostMessageA", "SetCursor", "DefWindowProcA"})))
                    << m.name;
            }
            fake::cursor = POINT{600, 400};
            Send(WM_MOUSEMOVE);
            Send(WM_POWER, PWR_CRITICALRESUME);
            EXPECT_TRUE(Posts().empty()) << m.name;
            fake::cursor = cursorAnchor;
        }
    }
}

TEST_F(Closing, CloseGoesToTheDefaultWithoutAskingOffWindows9x)
{
    EXPECT_EQ(0, Send(WM_CLOSE));
    EXPECT_TRUE(SameCalls({Default("WM_CLOSE"), "DestroyWindow(" + w + ")"},
                          fake::CallsNamed({"GetTickCount", "SendMessageA", "DefWindowProcA", "DestroyWindow"})));
    EXPECT_FALSE(fake::WindowExists(window));
    EXPECT_EQ(0, closeApproved);
}

TEST_F(Closing, CloseInPreviewOrAfterApprovalIsNeverVerifiedAgain)
{
    for (BOOL preview : {TRUE, FALSE}) {
        SetUp();
        isWin9xFamily = TRUE;
        isPreviewMode = preview;
        closeApproved = preview ? 0 : 1;
        verifierProc = LoadedVerifier([](HWND) { return FALSE; });
        Send(WM_CLOSE);
        EXPECT_TRUE(fake::CallsNamed({"VerifyScreenSavePwd", "SendMessageA"}).empty());
        EXPECT_FALSE(fake::WindowExists(window));
    }
}

TEST_F(Closing, ARefusedCloseKeepsTheWindowAndMovesTheAnchor)
{
    // The request travels the real chain down to the verifier.
    window = fake::NewWindow(RECT{}, SaverWindowProc);
    postClose = "PostMessageA(" + fake::Handle(window) + ", WM_CLOSE, 0, 0)";
    isWin9xFamily = TRUE;
    verifierProc = LoadedVerifier([](HWND) {
        fake::cursor = POINT{620, 410};  // the user moved while typing
        return FALSE;
    });
    EXPECT_EQ(0, Send(WM_CLOSE));
    EXPECT_TRUE(fake::WindowExists(window));
    EXPECT_TRUE(fake::CallsNamed({"DefWindowProcA"}).empty());
    EXPECT_EQ(620, cursorAnchor.x);
    EXPECT_EQ(410, cursorAnchor.y);

    // Only movement from where the cursor now stands asks again.
    fake::cursor = POINT{624, 410};
    Send(WM_MOUSEMOVE);
    EXPECT_TRUE(Posts().empty());
    fake::cursor = POINT{624, 411};
    Send(WM_MOUSEMOVE);
    EXPECT_EQ(std::vector<std::string>{postClose}, Posts());
}

TEST_F(Closing, ARefusalWithAnUnreadableCursorKeepsTheOldAnchor)
{
    isWin9xFamily = TRUE;
    verifyInProgress = TRUE;  // refused at once, no dialog
    fake::answers.GetCursorPos = [](LPPOINT) { return FALSE; };
    EXPECT_EQ(0, Send(WM_CLOSE));
    EXPECT_TRUE(fake::WindowExists(window));
    EXPECT_EQ(500, cursorAnchor.x);
    EXPECT_EQ(400, cursorAnchor.y);
}

TEST_F(Closing, VerificationRequestIsAnsweredOnWindows9xOnly)
{
    struct Case {
        const char* name;
        BOOL win9x;
        BOOL verifying;
        bool loaded;
        LRESULT result;
        std::vector<std::string> calls;
    } cases[] = {
        {"other platforms default", FALSE, FALSE, true, 0, {Default("WM_APP")}},
        {"no verifier approves", TRUE, FALSE, false, 1, {}},
        {"the verifier answers", TRUE, FALSE, true, 7, {"VerifyScreenSavePwd(" + w + ")"}},
        {"answered while verifying", TRUE, TRUE, true, 7, {"VerifyScreenSavePwd(" + w + ")"}},
    };
    for (const Case& c : cases) {
        isWin9xFamily = c.win9x;
        verifyInProgress = c.verifying;
        verifierProc = c.loaded ? LoadedVerifier([](HWND) { return 7; }) : nullptr;
        EXPECT_EQ(c.result, Send(WM_APP)) << c.name;
        EXPECT_TRUE(SameCalls(c.calls, fake::CallsNamed({"VerifyScreenSavePwd", "DefWindowProcA", "PostMessageA"})))
            << c.name;
    }
}

TEST_F(Closing, QueryCancelAutoPlayClosesAndCancelsOnlyWithAPassword)
{
    std::vector<Mode> modes(std::begin(asideModes), std::end(asideModes));
    modes.push_back(running);
    isWin9xFamily = TRUE;
    queryCancelAutoPlayMessage = 0xC0DE;
    for (const Mode& m : modes) {
        for (bool loaded : {true, false}) {
            m.Enter();
            verifierProc = loaded ? LoadedVerifier(nullptr) : nullptr;
            EXPECT_EQ(loaded ? 1 : 0, Send(0xC0DE)) << m.name;
            EXPECT_TRUE(SameCalls({postClose}, fake::CallsNamed({"PostMessageA", "DefWindowProcA"}))) << m.name;
        }
    }
}

TEST_F(Closing, AnUnregisteredQueryMatchesNoMessage)
{
    isWin9xFamily = TRUE;
    verifierProc = LoadedVerifier(nullptr);
    queryCancelAutoPlayMessage = 0;
    EXPECT_EQ(0, Send(0));  // WM_NULL
    EXPECT_TRUE(SameCalls({Default("0x0")}, fake::CallsNamed({"PostMessageA", "DefWindowProcA"})));
}

}  // namespace
