// The configuration dialog's procedure, message by message: what opening
// shows, how the arrows step, what OK stores for any field text, what Cancel
// leaves alone, and how the manual check box flips.
#include "test_support.h"

#include <cstdlib>

namespace {

const char* const zoomKey = "avizolp.ini|avizolp|zoom";
const char* const soundKey = "avizolp.ini|avizolp|sound";

// GetDlgItem of the stand-in hands out 0x20000 + id.
const HWND zoomField = AsHwnd(0x20000 + 1001);
const HWND zoomArrows = AsHwnd(0x20000 + 1005);
const HWND soundBox = AsHwnd(0x20000 + 1006);

class ConfigDialog : public PlatformTest {
protected:
    HWND dialog = nullptr;

    void SetUp() override
    {
        PlatformTest::SetUp();
        dialog = fake::NewWindow();
    }

    BOOL Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ScreenSaverConfigureDialog(dialog, message, wParam, lParam);
    }
    BOOL Open() { return Send(WM_INITDIALOG); }
    BOOL Arrow(WORD code) { return Send(WM_VSCROLL, code, reinterpret_cast<LPARAM>(zoomArrows)); }
    BOOL Command(WORD id, HWND control = nullptr)
    {
        return Send(WM_COMMAND, id, reinterpret_cast<LPARAM>(control));
    }
    BOOL ClickSoundBox() { return Command(1006, soundBox); }
    // What the user typed: the field's text, as the edit control holds it.
    void Type(const std::string& text) { SetWindowTextA(zoomField, text.c_str()); }
    std::string Field() { return fake::WindowText(zoomField); }
};

TEST_F(ConfigDialog, OpeningReadsTheSettingsAndShowsThem)
{
    EXPECT_TRUE(Open());
    EXPECT_TRUE(SameCalls(
        {
            "LoadStringA(0x400000, 1007, 40)",
            "LoadStringA(0x400000, 1001, 13)",
            "GetPrivateProfileIntA(\"avizolp\", \"zoom\", 200, \"avizolp.ini\")",
            "GetPrivateProfileIntA(\"avizolp\", \"sound\", 1, \"avizolp.ini\")",
            "GetDlgItem(0x1001, 1006)",
            "GetDlgItem(0x1001, 1005)",
            "GetDlgItem(0x1001, 1001)",
            "SetScrollRange(0x203ED, 2, 50, 500, 0)",
            "SetWindowTextA(0x203E9, \"200\")",
            "SendMessageA(0x203EE, BM_SETCHECK, 1, 0)",
        },
        fake::calls));
    EXPECT_EQ(BST_CHECKED, fake::ButtonCheck(soundBox));
    EXPECT_TRUE(fake::profile.empty());
}

TEST_F(ConfigDialog, AStoredZoomOutsideTheRangeOpensAsTheDefault)
{
    struct Case {
        const char* stored;
        const char* shown;
    } cases[] = {
        {"49", "200"}, {"501", "200"}, {"1000", "200"}, {"0", "200"}, {"-20", "200"},
        {"2147483647", "200"}, {"-2147483648", "200"}, {"4294967295", "200"},
        {"50", "50"}, {"500", "500"}, {"75", "75"}, {"321", "321"},
    };
    for (const Case& c : cases) {
        fake::profile[zoomKey] = c.stored;
        Open();
        EXPECT_EQ(c.shown, Field()) << "zoom=" << c.stored;
    }
}

TEST_F(ConfigDialog, TheStoredSoundGoesToTheBoxAndBackUnchanged)
{
    for (const char* stored : {"0", "1", "2", "-7"}) {
        fake::profile[soundKey] = stored;
        Open();
        EXPECT_EQ(std::atoi(stored), fake::ButtonCheck(soundBox)) << "sound=" << stored;
        Command(IDOK);
        EXPECT_EQ(stored, fake::profile[soundKey]) << "OK without a click writes back what was read";
    }
}

TEST_F(ConfigDialog, ArrowsStepByTenWithinTheBounds)
{
    struct Case {
        const char* stored;
        WORD code;
        const char* shown;
    } cases[] = {
        {"200", SB_LINEUP, "210"}, {"200", SB_LINEDOWN, "190"},
        {"500", SB_LINEUP, "500"}, {"50", SB_LINEDOWN, "50"},
        {"495", SB_LINEUP, "500"}, {"55", SB_LINEDOWN, "50"},
        {"75", SB_LINEUP, "85"},   {"499", SB_LINEDOWN, "489"},
        // The other codes change nothing, but still rewrite the field.
        {"200", SB_PAGEUP, "200"}, {"200", SB_PAGEDOWN, "200"}, {"200", SB_THUMBTRACK, "200"},
        {"200", SB_TOP, "200"},    {"200", SB_ENDSCROLL, "200"},
    };
    for (const Case& c : cases) {
        fake::profile[zoomKey] = c.stored;
        Open();
        Type("");
        fake::calls.clear();
        EXPECT_FALSE(Arrow(c.code));
        EXPECT_EQ(c.shown, Field()) << "stored " << c.stored << ", scroll code " << c.code;
        EXPECT_EQ(std::atoi(c.shown), zoomPercent);
        EXPECT_TRUE(SameCalls({"SetWindowTextA(0x203E9, \"" + std::string(c.shown) + "\")"}, fake::calls));
    }
}

TEST_F(ConfigDialog, ArrowsStepTheStoredValueNotTheTypedText)
{
    Open();
    Type("300");
    Arrow(SB_LINEUP);
    EXPECT_EQ("210", Field());
    for (int step = 0; step < 40; ++step)
        Arrow(SB_LINEUP);
    EXPECT_EQ("500", Field());
}

TEST_F(ConfigDialog, OkStoresTheFieldsLeadingNumberWithinTheBounds)
{
    struct Case {
        const char* typed;
        const char* stored;
    } cases[] = {
        {"75%", "75"},    {"  75", "75"},   {"   75", "50"},  {"1000", "500"}, {"12345", "500"},
        {"-20", "50"},    {"-600", "50"},   {"+300", "300"},  {"99.9", "99"},  {"", "50"},
        {"abc", "50"},    {"zoom", "50"},   {"50", "50"},     {"500", "500"},  {"49", "50"},
        {"501", "500"},   {"\t320", "320"}, {"\r\n80", "80"}, {"\v\f99", "99"}, {"- 5", "50"},
        {"+-5", "50"},    {"0450", "450"},  {"499x", "499"},
        {"00701", "70"},  // four characters only
    };
    for (const Case& c : cases) {
        Open();
        Type(c.typed);
        fake::calls.clear();
        EXPECT_TRUE(Command(IDOK)) << "typed: " << c.typed;
        EXPECT_TRUE(SameCalls(
            {
                "GetWindowTextA(0x203E9, 5)",
                std::string("WritePrivateProfileStringA(\"avizolp\", \"zoom\", \"") + c.stored + "\", \"avizolp.ini\")",
                "WritePrivateProfileStringA(\"avizolp\", \"sound\", \"1\", \"avizolp.ini\")",
                "EndDialog(0x1001, 1)",
            },
            fake::CallsNamed({"GetWindowTextA", "WritePrivateProfileStringA", "EndDialog"})))
            << "typed: " << c.typed;
    }
}

TEST_F(ConfigDialog, OkEndsWithOneEvenWhenTheFileCannotBeWritten)
{
    fake::answers.WritePrivateProfileStringA = [](LPCSTR, LPCSTR, LPCSTR, LPCSTR) -> BOOL { return FALSE; };
    Open();
    fake::calls.clear();
    EXPECT_TRUE(Command(IDOK));
    EXPECT_TRUE(SameCalls(
        {
            "WritePrivateProfileStringA(\"avizolp\", \"zoom\", \"200\", \"avizolp.ini\")",
            "WritePrivateProfileStringA(\"avizolp\", \"sound\", \"1\", \"avizolp.ini\")",
            "EndDialog(0x1001, 1)",
        },
        fake::CallsNamed({"WritePrivateProfileStringA", "EndDialog", "MessageBoxA"})));
}

TEST_F(ConfigDialog, CancelEndsWithZeroAndWritesNothing)
{
    fake::profile[zoomKey] = "1000";
    Open();
    Arrow(SB_LINEUP);
    ClickSoundBox();
    fake::calls.clear();
    EXPECT_TRUE(Command(IDCANCEL));
    EXPECT_TRUE(SameCalls({"EndDialog(0x1001, 0)"}, fake::calls));
    EXPECT_EQ("1000", fake::profile[zoomKey]);
    EXPECT_EQ(0u, fake::profile.count(soundKey));
}

TEST_F(ConfigDialog, TheManualCheckBoxFlipsAndSetsSound)
{
    Open();
    fake::calls.clear();
    EXPECT_FALSE(ClickSoundBox());
    EXPECT_TRUE(SameCalls(
        {
            "SendMessageA(0x203EE, BM_GETCHECK, 0, 0)",
            "SendMessageA(0x203EE, BM_SETCHECK, 0, 0)",
            "SendMessageA(0x203EE, BM_GETCHECK, 0, 0)",
        },
        fake::calls));
    EXPECT_EQ(0, soundOn);
    ClickSoundBox();
    EXPECT_EQ(BST_CHECKED, fake::ButtonCheck(soundBox));
    EXPECT_EQ(1, soundOn);
    ClickSoundBox();
    Command(IDOK);
    EXPECT_EQ("0", fake::profile[soundKey]);
}

TEST_F(ConfigDialog, AClickOnAnOddStateShowsUnchecked)
{
    fake::profile[soundKey] = "2";
    Open();
    ClickSoundBox();
    EXPECT_EQ(BST_UNCHECKED, fake::ButtonCheck(soundBox));
    EXPECT_EQ(0, soundOn);
}

TEST_F(ConfigDialog, OtherMessagesAndCommandsAreLeftToThePlatform)
{
    Open();
    fake::calls.clear();
    const WPARAM editChange = (0x0300u << 16) | 1001u;  // EN_CHANGE from the zoom field
    EXPECT_FALSE(Send(WM_COMMAND, editChange, reinterpret_cast<LPARAM>(zoomField)));
    EXPECT_FALSE(Command(1005));
    EXPECT_FALSE(Command(0));
    for (UINT message : {WM_SETFOCUS, WM_PAINT, WM_CLOSE, WM_HELP, WM_CONTEXTMENU, WM_TIMER, WM_DESTROY})
        EXPECT_FALSE(Send(message)) << fake::MessageName(message);
    EXPECT_TRUE(fake::calls.empty());
    EXPECT_EQ("200", Field());
}

}  // namespace
