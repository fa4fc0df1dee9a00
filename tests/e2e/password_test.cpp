// Windows 95/98 password protection on the real platform: Wine reports
// Windows 98 to the saver, and the stand-ins of PASSWORD.CPL and MPR.DLL that
// the tests build sit next to a copy of it, where LoadLibraryA looks first.
#include "driver.h"

#include <tlhelp32.h>

namespace e2e {
namespace {

const char standinDir[] = "C:\\avizolp-standins";
const char desktopKey[] = "Control Panel\\Desktop";
const char overridesKey[] = "Software\\Wine\\AppDefaults\\avizolp.scr\\DllOverrides";
const char dialogTitle[] = "Stand-in password";
const char askedLine[] = "asked owner=WindowsScreenSaverClass running=1";

std::string InStandinDir(const std::string& name) { return std::string(standinDir) + "\\" + name; }

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// The platform's screen-saver-running state as another program sees it.
// Wine caches a system parameter in each process once read, so the driver
// reads it where Wine keeps it for the session rather than asking again.
bool SaverRunningState()
{
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop", &key) !=
        ERROR_SUCCESS)
        return false;
    char value[8] = "";
    DWORD size = sizeof value - 1;
    LONG read = RegQueryValueExA(key, "WINE_ScreenSaverRunning", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return read == ERROR_SUCCESS && value[0] == '1';
}

[[maybe_unused]] bool ProcessRuns(const char* exeName)  // the fault test, 64-bit only
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
        found = lstrcmpiA(entry.szExeFile, exeName) == 0;
    CloseHandle(snapshot);
    return found;
}

bool CursorAt(int x, int y)
{
    POINT at = {};
    return GetCursorPos(&at) && at.x == x && at.y == y;
}

// Two key presses in one batch: the second reaches the saver right after
// the first one's close request has been answered.
void PressTwoKeysAtOnce()
{
    INPUT keys[4] = {};
    WORD codes[4] = {'A', 'B', 'A', 'B'};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, keys, sizeof keys[0]);
}

class Password : public DriverTest {
protected:
    Program saver;
    HWND window = nullptr;

    void SetUp() override
    {
        DriverTest::SetUp();
        CreateDirectoryA(standinDir, nullptr);
        std::string standins = BuildDir() + "\\tests\\e2e\\standins\\";
        ASSERT_TRUE(CopyFileA(SaverPath().c_str(), InStandinDir("avizolp.scr").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((standins + "PASSWORD.CPL").c_str(), InStandinDir("PASSWORD.CPL").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((standins + "MPR.DLL").c_str(), InStandinDir("MPR.DLL").c_str(), FALSE));
        // Wine has an MPR.DLL of its own and prefers it unless told otherwise.
        SetString(HKEY_CURRENT_USER, overridesKey, "mpr", "native,builtin");
        ReportWindows98("avizolp.scr", true);
        SetDword(HKEY_CURRENT_USER, desktopKey, "ScreenSaveUsePassword", 1);
        RemoveFile(InWindowsDir("standin-verify.log"));
        RemoveFile(InWindowsDir("standin-mpr.log"));
    }

    void TearDown() override
    {
        DriverTest::TearDown();
        DeleteValue(HKEY_CURRENT_USER, desktopKey, "ScreenSaveUsePassword");
        ReportWindows98("avizolp.scr", false);
        DeleteValue(HKEY_CURRENT_USER, overridesKey, "mpr");
        for (const char* name : {"avizolp.scr", "PASSWORD.CPL", "MPR.DLL"})
            RemoveFile(InStandinDir(name));
        RemoveFile(standinDir);
        for (const char* name : {"standin-verify.txt", "standin-verify.log", "standin-mpr.log"})
            RemoveFile(InWindowsDir(name));
    }

    void Answer(const std::string& answer) { ASSERT_TRUE(WriteBytes(InWindowsDir("standin-verify.txt"), answer)); }
    std::vector<std::string> Asked() { return Lines(ReadBytes(InWindowsDir("standin-verify.log"))); }

    // Parked at (10, 10), over the black area far from the clip; checked
    // before the saver starts, when the position can still be read back.
    void StartSaver()
    {
        MoveCursorTo(10, 10);
        ASSERT_TRUE(WaitUntil([] { return CursorAt(10, 10); }, 3000));
        saver = Start(InStandinDir("avizolp.scr"), "/s");
        window = WaitForTopWindow(saver, "WindowsScreenSaverClass");
        ASSERT_NE(nullptr, window);
        Settle(500);
        ASSERT_TRUE(saver.running());
    }

    // A verifier that would refuse is never asked: the saver is not marked
    // running, and a key ends it with 0.
    void ExpectAnUnprotectedRun()
    {
        Answer("refuse 0");
        StartSaver();
        EXPECT_FALSE(SaverRunningState());
        PressKey('A');
        EXPECT_EQ(0u, WaitExit(saver, 10000));
        EXPECT_TRUE(Asked().empty());
    }

    // One verification: the verifier's dialog shows, owned by the saver,
    // and goes again; whileUp runs while it is up. False when none came.
    bool AwaitVerification(const char* name, const std::function<void()>& whileUp = nullptr)
    {
        HWND dialog = nullptr;
        WaitUntil([&] { return (dialog = FindWindowA(nullptr, dialogTitle)) != nullptr || !saver.running(); });
        EXPECT_NE(nullptr, dialog) << name;
        if (dialog == nullptr)
            return false;
        EXPECT_EQ(window, GetWindow(dialog, GW_OWNER)) << name;
        if (whileUp)
            whileUp();
        EXPECT_TRUE(WaitUntil([] { return FindWindowA(nullptr, dialogTitle) == nullptr; })) << name;
        return true;
    }
};

TEST_F(Password, ARefusedPasswordKeepsTheSaverAndEveryCloseRequestAsks)
{
    Answer("refuse 400");
    StartSaver();
    EXPECT_TRUE(SaverRunningState());
    EXPECT_TRUE(Asked().empty());

    PressKey('A');
    // While the dialog is up its loop dispatches our requests: none may close
    // the saver or stack a second dialog.
    ASSERT_TRUE(AwaitVerification("key press", [&] {
        PostMessageA(window, WM_CLOSE, 0, 0);
        PostMessageA(window, WM_KEYDOWN, 'B', 0);
        PostMessageA(window, WM_LBUTTONDOWN, 0, 0);
    }));
    Settle(400);
    ASSERT_TRUE(saver.running());
    EXPECT_EQ(std::vector<std::string>{askedLine}, Asked());

    struct Request {
        const char* name;
        std::function<void()> act;
    } requests[] = {
        {"left click", [] { Click(10, 10, Button::Left); }},
        {"right click", [] { Click(10, 10, Button::Right); }},
        {"middle click", [] { Click(10, 10, Button::Middle); }},
        {"travel of 5 over the black area", [] { MoveCursorTo(13, 12); }},
        {"a close request from outside", [&] { PostMessageA(window, WM_CLOSE, 0, 0); }},
        {"a system key", [] { PressKey(VK_MENU); }},
    };
    size_t asked = 1;
    for (const Request& r : requests) {
        r.act();
        ASSERT_TRUE(AwaitVerification(r.name));
        ++asked;
        Settle(400);  // past the 200 ms in which a new request is refused unasked
        EXPECT_TRUE(saver.running()) << r.name;
        EXPECT_EQ(asked, Asked().size()) << r.name;
    }
    EXPECT_TRUE(SaverRunningState());
}

TEST_F(Password, ARequestRightAfterARefusalIsRefusedWithoutAsking)
{
    Answer("refuse 0");  // no dialog: the answer comes at once
    StartSaver();
    PressTwoKeysAtOnce();
    Settle(600);
    EXPECT_TRUE(saver.running());
    EXPECT_EQ(1u, Asked().size());

    PressKey('C');
    EXPECT_TRUE(WaitUntil([&] { return Asked().size() == 2; }, 5000)) << "200 ms later it asks again";
    EXPECT_TRUE(saver.running());
}

TEST_F(Password, AnAcceptedPasswordEndsTheSaverWithZero)
{
    Answer("accept 300");
    StartSaver();
    EXPECT_TRUE(SaverRunningState());
    PressKey('A');
    EXPECT_EQ(0u, WaitExit(saver, 15000));
    EXPECT_EQ(std::vector<std::string>{askedLine}, Asked());
    EXPECT_FALSE(SaverRunningState());
}

// Under qemu-user a faulting 32-bit process now and then dies inside Wine's
// own unhandled-exception path, before any handler of ours runs, and the
// 32-bit driver has crashed around it too; so this runs on the 64-bit build.
#if defined(_WIN64)
TEST_F(Password, AFaultInTheVerifierEndsTheRunPromptlyAndClearsTheRunningState)
{
    Answer("fault");
    StartSaver();
    ASSERT_TRUE(SaverRunningState());
    PressKey('A');
    DWORD start = GetTickCount();
    EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), WaitExit(saver, 10000)) << "no dialog or debugger may hold it";
    DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 5000u);
    std::printf("fault to process end: %lu ms\n", static_cast<unsigned long>(took));
    EXPECT_EQ(1u, Asked().size());
    EXPECT_FALSE(SaverRunningState()) << "the guard takes the running state back";
    EXPECT_FALSE(ProcessRuns("winedbg.exe"));
    EXPECT_EQ(nullptr, FindWindowA("WindowsScreenSaverClass", nullptr));

    // The next run starts as if nothing happened.
    Answer("accept 0");
    StartSaver();
    EXPECT_TRUE(SaverRunningState());
    PressKey('A');
    EXPECT_EQ(0u, WaitExit(saver, 15000));
    EXPECT_EQ(2u, Asked().size());
}
#endif

TEST_F(Password, WithoutTheUsersSettingNothingIsAskedOrMarkedRunning)
{
    SetDword(HKEY_CURRENT_USER, desktopKey, "ScreenSaveUsePassword", 0);
    ExpectAnUnprotectedRun();
}

// A verifier that is missing, or is no library at all, leaves the saver
// unprotected: input ends it with 0, nothing is asked, nothing marked running.
TEST_F(Password, AMissingOrBrokenVerifierLeavesTheSaverUnprotected)
{
    struct Case {
        const char* name;
        const char* bytes;  // nullptr: no file
    } cases[] = {{"missing", nullptr}, {"not a library", "MZ this is not a library"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveFile(InStandinDir("PASSWORD.CPL"));
        if (c.bytes != nullptr) {
            ASSERT_TRUE(WriteBytes(InStandinDir("PASSWORD.CPL"), c.bytes));
        }
        ExpectAnUnprotectedRun();
    }
}

// A stand-in for the display settings that asks for the change.
HWND CreateOwnerWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PasswordOwner";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "PasswordOwner", "Display settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300,
                           200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST_F(Password, ChangePasswordAsksTheProviderAndEndsWithZero)
{
    HWND owner = CreateOwnerWindow();
    ASSERT_NE(nullptr, owner);
    SetForegroundWindow(owner);
    std::string ownerText = std::to_string(reinterpret_cast<uintptr_t>(owner));
    std::string foreground = std::to_string(reinterpret_cast<uintptr_t>(GetForegroundWindow()));
    std::string mprLog = InWindowsDir("standin-mpr.log");

    struct Case {
        std::string args;
        std::string owner;
    } cases[] = {{"/a " + ownerText, ownerText}, {"/a 0", foreground}, {"/a", foreground}};
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        Program change = Start(InStandinDir("avizolp.scr"), c.args);
        EXPECT_EQ(0u, WaitExit(change)) << c.args;
        expected.push_back("PwdChangePasswordA provider=SCRSAVE owner=" + c.owner + " 0 0");
        EXPECT_EQ(expected, Lines(ReadBytes(mprLog))) << c.args;
    }

    // Without the provider it still ends with 0.
    SetString(HKEY_CURRENT_USER, overridesKey, "mpr", "");
    RemoveFile(InStandinDir("MPR.DLL"));
    Program change = Start(InStandinDir("avizolp.scr"), "/a 0");
    EXPECT_EQ(0u, WaitExit(change));
    EXPECT_EQ(expected, Lines(ReadBytes(mprLog)));
    DestroyWindow(owner);
}

}  // namespace
}  // namespace e2e
