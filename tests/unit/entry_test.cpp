// Entry and command-line dispatch: where the arguments start, which mode a
// command line selects, and what each path returns.
#include "test_support.h"

namespace {

TEST(SkipProgramName, FindsTheArgumentText)
{
    struct Case {
        const char* commandLine;
        const char* arguments;
    } cases[] = {
        {"\"C:\\Saver\\Skorrel Zolp.scr\" /s", "/s"},
        {"\"C:\\Saver\\Skorrel Zolp.scr\"/s", "/s"},          // no blank after the closing quote
        {"\"C:\\Saver\\Skorrel Zolp.scr /s", ""},              // no closing quote: nothing left
        {"C:\\WINDOWS\\ZOLP.SCR /p 123", "/p 123"},
        {"C:\\Program Files\\zolp.scr /s", "Files\\zolp.scr /s"},  // unquoted blank ends the name
        {"zolp.scr\t/s", "/s"},                               // a tab ends the name and is skipped
        {"zolp.scr \x01\x02\x1f /c", "/c"},                   // control bytes count as blanks
        {"   /s", "/s"},                                      // leading blanks: no name is skipped
        {"", ""},
        {"zolp.scr", ""},
        {"\"\"", ""},
        {"zolp.scr \xe9/s", "\xe9/s"},                        // high bytes are not blanks
    };
    for (const Case& c : cases) {
        const char* arguments = SkipProgramName(c.commandLine);
        EXPECT_STREQ(c.arguments, arguments) << "command line: " << c.commandLine;
        EXPECT_GE(arguments, c.commandLine);
    }
}

TEST(ParseWindowHandle, ReadsDecimalDigitsOnlyAndWraps)
{
    struct Case {
        const char* text;
        DWORD value;
    } cases[] = {
        {"123", 123}, {"12x", 12}, {"0", 0}, {"", 0}, {" 123", 0}, {"+5", 0}, {"-5", 0},
        {"0x1F", 0}, {"4294967295", 4294967295u}, {"4294967297", 1}, {"99999999999999999999", 1661992959u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, ParseWindowHandle(c.text)) << "text: " << c.text;
}

// The arguments of a logged call, split at their commas.
std::vector<std::string> ArgumentsOf(const std::string& call)
{
    std::vector<std::string> arguments;
    size_t start = call.find('(') + 1;
    for (size_t comma; (comma = call.find(", ", start)) != std::string::npos; start = comma + 2)
        arguments.push_back(call.substr(start, comma - start));
    arguments.push_back(call.substr(start, call.size() - start - 1));
    return arguments;
}

// What a dispatch did, read from the platform calls it made.
std::string ChosenMode()
{
    for (const std::string& call : fake::calls) {
        if (call.rfind("FindWindowA(", 0) == 0)
            return "saver";
        if (call.rfind("CreateWindowExA(", 0) == 0)
            return "preview in " + ArgumentsOf(call)[8];
        if (call.rfind("DialogBoxParamA(", 0) == 0)
            return "dialog owner " + ArgumentsOf(call)[2];
    }
    return "none";
}

class Dispatch : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        fake::AdoptWindow(123, RECT{0, 0, 152, 112});
        fake::AdoptWindow(12, RECT{0, 0, 152, 112});
        fake::AdoptWindow(1, RECT{0, 0, 152, 112});
        fake::answers.DialogBoxParamA = [](HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) -> INT_PTR { return 1; };
    }
};

TEST_F(Dispatch, EachCommandLinePicksItsMode)
{
    struct Case {
        const char* arguments;
        int result;
        const char* mode;
    } cases[] = {
        {"", 1, "dialog owner 0"},
        {"/", 1, "dialog owner 0"},
        {"-", 1, "dialog owner 0"},
        {"   ", 1, "dialog owner 0"},
        {"/ - /", 1, "dialog owner 0"},
        {"s", 0, "saver"},
        {"/s", 0, "saver"},
        {"-s", 0, "saver"},
        {"/S", 0, "saver"},
        {"//s", 0, "saver"},
        {"/ - /s", 0, "saver"},
        {"/screen", 0, "saver"},
        {"/c:123", 1, "dialog owner 0x7B"},
        {"/C:123", 1, "dialog owner 0x7B"},
        {"/c", 1, "dialog owner 0xF0F0"},
        {"/c:", 1, "dialog owner 0xF0F0"},
        {"/c:0", 1, "dialog owner 0xF0F0"},
        {"/c:999", 1, "dialog owner 0xF0F0"},   // names no window
        {"/c 123", 1, "dialog owner 0xF0F0"},   // a blank instead of the colon
        {"/c: 123", 1, "dialog owner 0xF0F0"},  // a blank after the colon
        {"/p 123", 0, "preview in 0x7B"},
        {"/p123", 0, "preview in 0x7B"},
        {"/p   123", 0, "preview in 0x7B"},
        {"/l 123", 0, "preview in 0x7B"},
        {"/P 123", 0, "preview in 0x7B"},
        {"/L123", 0, "preview in 0x7B"},
        {"/p 12x", 0, "preview in 0xC"},
        {"/p 4294967297", 0, "preview in 0x1"},  // wraps to 1
        {"/p", -1, "none"},
        {"/p 0", -1, "none"},
        {"/p abc", -1, "none"},
        {"/p\t123", -1, "none"},
        {"/p 999", -1, "none"},                 // names no window
        {"/a", -1, "none"},                     // not Windows 95/98
        {"/a 0", -1, "none"},
        {"/x", -1, "none"},
        {"/?", -1, "none"},
        {"/\ts", -1, "none"},                   // a tab is not a separator here
        {"\x01s", -1, "none"},
        {"/\xd3", -1, "none"},                  // 0xD3 is not 'S' folded
        {"\xff", -1, "none"},
    };
    for (const Case& c : cases) {
        fake::calls.clear();
        isPreviewMode = FALSE;
        saverWindow = nullptr;
        fake::queue.clear();
        int result = SaverMain(fake::moduleInstance, c.arguments);
        EXPECT_EQ(c.result, result) << "arguments: " << c.arguments;
        EXPECT_EQ(c.mode, ChosenMode()) << "arguments: " << c.arguments;
    }
}

TEST_F(Dispatch, RecordsInstanceAndPlatformFamilyBeforeTheGuardedMode)
{
    struct Case {
        DWORD platformId;
        BOOL callFails;
        BOOL win9x;
    } cases[] = {
        {VER_PLATFORM_WIN32_WINDOWS, FALSE, TRUE},
        {VER_PLATFORM_WIN32_NT, FALSE, FALSE},
        {VER_PLATFORM_WIN32s, FALSE, FALSE},
        {VER_PLATFORM_WIN32_WINDOWS, TRUE, FALSE},
    };
    for (const Case& c : cases) {
        fake::calls.clear();
        fake::platformId = c.platformId;
        fake::versionCallFails = c.callFails;
        appInstance = nullptr;
        HINSTANCE instance = reinterpret_cast<HINSTANCE>(0x10000000);
        EXPECT_EQ(-1, SaverMain(instance, "/x"));
        EXPECT_EQ(instance, appInstance);
        EXPECT_EQ(c.win9x, isWin9xFamily);
        EXPECT_TRUE(SameCalls({"GetVersionExA(148)", "RunGuarded()"}, fake::calls));
    }
}

TEST_F(Dispatch, PasswordChangeRunsOnlyOnWindows9x)
{
    fake::platformId = VER_PLATFORM_WIN32_WINDOWS;
    for (const char* arguments : {"/a", "/a 0", "/A   123", "-a"}) {
        fake::calls.clear();
        EXPECT_EQ(0, SaverMain(fake::moduleInstance, arguments)) << arguments;
        EXPECT_EQ("none", ChosenMode()) << arguments;
    }
}

TEST_F(Dispatch, ConfigurationReturnsTheDialogsValue)
{
    struct Case {
        INT_PTR dialogResult;
        int exitCode;
    } cases[] = {{1, 1}, {0, 0}, {-1, -1}};
    for (const Case& c : cases) {
        fake::calls.clear();
        INT_PTR answer = c.dialogResult;
        fake::answers.DialogBoxParamA = [answer](HINSTANCE, LPCSTR, HWND, DLGPROC procedure, LPARAM) {
            EXPECT_NE(nullptr, procedure);
            return answer;
        };
        EXPECT_EQ(c.exitCode, SaverMain(fake::moduleInstance, "/c"));
        EXPECT_TRUE(SameCalls({"DialogBoxParamA(0x400000, #2003, 0xF0F0, 0)"}, fake::CallsNamed({"DialogBoxParamA"})));
    }
}

}  // namespace
