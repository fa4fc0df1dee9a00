// Windows 95/98 password protection: loading the verifier from the user's
// setting, the verification of a close through the saver's own window, the
// refusal window after a wrong password, the running state, and "/a".
#include "test_support.h"

namespace {

const HMODULE passwordCpl = reinterpret_cast<HMODULE>(0xC91);
const HMODULE mprDll = reinterpret_cast<HMODULE>(0x3B2);
const HKEY desktopKey = reinterpret_cast<HKEY>(0xDE5);

std::function<BOOL(HWND)> verifierAnswer;

BOOL WINAPI TestVerifier(HWND owner)
{
    fake::calls.push_back("VerifyScreenSavePwd(" + fake::Handle(owner) + ")");
    return verifierAnswer ? verifierAnswer(owner) : FALSE;
}

DWORD WINAPI TestChangePassword(LPCSTR provider, HWND owner, DWORD a, DWORD b)
{
    fake::calls.push_back(std::string("PwdChangePasswordA(\"") + provider + "\", " + fake::Handle(owner) + ", " +
                          std::to_string(a) + ", " + std::to_string(b) + ")");
    return 0;
}

template <typename Function>
FARPROC AsFarProc(Function* function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// The registry holds these bytes for "ScreenSaveUsePassword", or no value.
void ScriptRegistry(bool keyOpens, std::vector<BYTE> value, bool valuePresent = true)
{
    fake::answers.RegOpenKeyA = [keyOpens](HKEY, LPCSTR, PHKEY result) -> LSTATUS {
        if (!keyOpens)
            return ERROR_FILE_NOT_FOUND;
        *result = desktopKey;
        return ERROR_SUCCESS;
    };
    fake::answers.RegQueryValueExA = [value, valuePresent](HKEY, LPCSTR, LPDWORD, LPBYTE data,
                                                           LPDWORD size) -> LSTATUS {
        if (!valuePresent)
            return ERROR_FILE_NOT_FOUND;
        if (value.size() > *size) {
            *size = static_cast<DWORD>(value.size());
            return ERROR_MORE_DATA;
        }
        std::copy(value.begin(), value.end(), data);
        *size = static_cast<DWORD>(value.size());
        return ERROR_SUCCESS;
    };
}

void ScriptLibraries(bool cplLoads, bool cplHasVerifier, bool mprLoads = true, bool mprHasChange = true)
{
    fake::answers.LoadLibraryA = [=](LPCSTR name) -> HMODULE {
        if (std::string(name) == "PASSWORD.CPL")
            return cplLoads ? passwordCpl : nullptr;
        if (std::string(name) == "MPR.DLL")
            return mprLoads ? mprDll : nullptr;
        return nullptr;
    };
    fake::answers.GetProcAddress = [=](HMODULE module, LPCSTR name) -> FARPROC {
        if (module == passwordCpl && cplHasVerifier && std::string(name) == "VerifyScreenSavePwd")
            return AsFarProc(TestVerifier);
        if (module == mprDll && mprHasChange && std::string(name) == "PwdChangePasswordA")
            return AsFarProc(TestChangePassword);
        return nullptr;
    };
}

const std::initializer_list<const char*> loaderCalls = {
    "RegOpenKeyA", "RegQueryValueExA", "LoadLibraryA", "GetProcAddress", "FreeLibrary", "SystemParametersInfoA",
    "RegCloseKey"};

const char openDesktop[] = "RegOpenKeyA(0x80000001, \"Control Panel\\Desktop\")";
const char queryUsePassword[] = "RegQueryValueExA(0xDE5, \"ScreenSaveUsePassword\", 0, 0, 4)";
const char closeDesktop[] = "RegCloseKey(0xDE5)";
const char loadCpl[] = "LoadLibraryA(\"PASSWORD.CPL\")";
const char findVerifier[] = "GetProcAddress(0xC91, \"VerifyScreenSavePwd\")";
const char runningOn[] = "SystemParametersInfoA(97, 1, &previous, 0)";
const char runningOff[] = "SystemParametersInfoA(97, 0, &previous, 0)";

class PasswordLoading : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        isWin9xFamily = TRUE;
    }
};

TEST_F(PasswordLoading, TheUsersSettingDecidesWhetherTheVerifierIsLoaded)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
        bool loaded;
        std::vector<std::string> calls;
    } cases[] = {
        {"protection on", [] { ScriptRegistry(true, {1, 0, 0, 0}); ScriptLibraries(true, true); }, true,
         {openDesktop, queryUsePassword, loadCpl, findVerifier, runningOn, closeDesktop}},
        {"any nonzero number", [] { ScriptRegistry(true, {0, 0, 0, 0x80}); ScriptLibraries(true, true); }, true,
         {openDesktop, queryUsePassword, loadCpl, findVerifier, runningOn, closeDesktop}},
        {"a two-byte value fills only its bytes", [] { ScriptRegistry(true, {1, 0}); ScriptLibraries(true, true); },
         true, {openDesktop, queryUsePassword, loadCpl, findVerifier, runningOn, closeDesktop}},
        {"a two-byte zero is off", [] { ScriptRegistry(true, {0, 0}); ScriptLibraries(true, true); }, false,
         {openDesktop, queryUsePassword, closeDesktop}},
        {"protection off", [] { ScriptRegistry(true, {0, 0, 0, 0}); ScriptLibraries(true, true); }, false,
         {openDesktop, queryUsePassword, closeDesktop}},
        {"no key", [] { ScriptRegistry(false, {1, 0, 0, 0}); ScriptLibraries(true, true); }, false, {openDesktop}},
        {"no value", [] { ScriptRegistry(true, {}, false); ScriptLibraries(true, true); }, false,
         {openDesktop, queryUsePassword, closeDesktop}},
        {"a value longer than 4 bytes", [] { ScriptRegistry(true, {1, 0, 0, 0, 0}); ScriptLibraries(true, true); },
         false, {openDesktop, queryUsePassword, closeDesktop}},
        {"no PASSWORD.CPL", [] { ScriptRegistry(true, {1, 0, 0, 0}); ScriptLibraries(false, true); }, false,
         {openDesktop, queryUsePassword, loadCpl, closeDesktop}},
        {"PASSWORD.CPL without the verifier",
         [] { ScriptRegistry(true, {1, 0, 0, 0}); ScriptLibraries(true, false); }, false,
         {openDesktop, queryUsePassword, loadCpl, findVerifier, "FreeLibrary(0xC91)", closeDesktop}},
    };
    for (const Case& c : cases) {
        SetUp();
        c.arrange();
        LoadPasswordVerifier();
        EXPECT_TRUE(SameCalls(c.calls, fake::CallsNamed(loaderCalls))) << c.name;
        EXPECT_EQ(c.loaded, verifierProc != nullptr) << c.name;
        EXPECT_EQ(c.loaded ? passwordCpl : nullptr, verifierModule) << c.name;

        // The end of the run frees what was loaded and takes the running state back.
        fake::calls.clear();
        UnloadPasswordVerifier();
        std::vector<std::string> unload;
        if (c.loaded)
            unload = {"FreeLibrary(0xC91)", runningOff};
        EXPECT_TRUE(SameCalls(unload, fake::CallsNamed(loaderCalls))) << c.name;
        EXPECT_EQ(nullptr, verifierProc);
        EXPECT_EQ(nullptr, verifierModule);
    }
}

TEST_F(PasswordLoading, OtherPlatformsLoadNothingAndLeaveTheRunningStateAlone)
{
    isWin9xFamily = FALSE;
    ScriptRegistry(true, {1, 0, 0, 0});
    ScriptLibraries(true, true);
    LoadPasswordVerifier();
    SetSaverRunning(TRUE);
    verifierModule = passwordCpl;  // even with something recorded, nothing is freed
    verifierProc = TestVerifier;
    UnloadPasswordVerifier();
    SetSaverRunning(FALSE);
    EXPECT_TRUE(fake::CallsNamed(loaderCalls).empty());
}

TEST_F(PasswordLoading, SaverRunningStateIsSetOnWindows9x)
{
    SetSaverRunning(TRUE);
    SetSaverRunning(FALSE);
    EXPECT_TRUE(SameCalls({runningOn, runningOff}, fake::CallsNamed({"SystemParametersInfoA"})));
}

// A close through the saver's real window chain: SaverWindowProc, the content
// procedure and DefaultSaverProc, with the verifier behind WM_APP.
class Verification : public PlatformTest {
protected:
    HWND window = nullptr;
    std::string w;

    void SetUp() override
    {
        PlatformTest::SetUp();
        isWin9xFamily = TRUE;
        window = fake::NewWindow(RECT{0, 0, 1024, 768}, SaverWindowProc);
        w = fake::Handle(window);
        verifierAnswer = nullptr;
    }

    void LoadVerifier(std::function<BOOL(HWND)> answer)
    {
        verifierAnswer = std::move(answer);
        verifierModule = passwordCpl;
        verifierProc = TestVerifier;
    }

    LRESULT Close()
    {
        fake::calls.clear();
        return SendMessageA(window, WM_CLOSE, 0, 0);
    }

    std::vector<std::string> Asked() { return fake::CallsNamed({"VerifyScreenSavePwd"}); }
};

TEST_F(Verification, WithoutAVerifierTheFirstCloseIsApproved)
{
    EXPECT_EQ(0, Close());
    EXPECT_EQ(1, closeApproved);
    EXPECT_FALSE(fake::WindowExists(window));
    EXPECT_TRUE(fake::CallsNamed({"GetTickCount", "PeekMessageA", "SendMessageA"}) ==
                std::vector<std::string>{"SendMessageA(" + w + ", WM_CLOSE, 0, 0)"});
}

TEST_F(Verification, TheFirstRequestAsksThroughTheWindow)
{
    LoadVerifier([](HWND) { return FALSE; });
    fake::queue.push_back(MSG{window, WM_TIMER, 1, 0, 0, {}});
    fake::queue.push_back(MSG{window, WM_TIMER, 2, 0, 0, {}});
    fake::queue.push_back(MSG{window, WM_TIMER, 3, 0, 0, {}});
    EXPECT_EQ(0, Close());
    EXPECT_TRUE(SameCalls(
        {
            "SendMessageA(" + w + ", WM_CLOSE, 0, 0)",
            "GetTickCount()",
            "PeekMessageA(" + w + ", WM_TIMER, WM_TIMER, 3)",
            "PeekMessageA(" + w + ", WM_TIMER, WM_TIMER, 3)",
            "SendMessageA(" + w + ", WM_APP, 0, 0)",
            "VerifyScreenSavePwd(" + w + ")",
            "SetCursor(0)",
            "GetTickCount()",
        },
        fake::CallsNamed({"SendMessageA", "GetTickCount", "PeekMessageA", "VerifyScreenSavePwd", "SetCursor",
                          "DefWindowProcA"})));
    EXPECT_EQ(1u, fake::queue.size());  // at most two ticks are dropped
    EXPECT_EQ(0, closeApproved);
    EXPECT_FALSE(verifyInProgress);
    EXPECT_TRUE(fake::WindowExists(window));
}

TEST_F(Verification, AnyNonzeroAnswerIsKeptAndTheCloseProceeds)
{
    LoadVerifier([](HWND) { return 5; });
    Close();
    EXPECT_EQ(5, closeApproved);
    EXPECT_FALSE(fake::WindowExists(window));
    EXPECT_TRUE(fake::CallsNamed({"SetCursor"}).empty());
    EXPECT_EQ(1u, Asked().size());
}

TEST_F(Verification, RequestsSoonAfterARefusalAreRefusedWithoutADialog)
{
    // The dialog stays up 5 s; the 200 ms count from when it closed.
    LoadVerifier([](HWND) {
        fake::tickCount += 5000;
        return FALSE;
    });
    fake::tickCount = 1000;
    Close();
    ASSERT_EQ(6000u, lastVerifyTick);
    struct Step {
        DWORD tick;
        bool asks;
    } steps[] = {{6100, false}, {6199, false}, {6200, true}, {11200 + 100, false}, {11200 + 250, true}};
    for (const Step& s : steps) {
        fake::tickCount = s.tick;
        EXPECT_EQ(0, Close()) << s.tick;
        EXPECT_EQ(s.asks ? 1u : 0u, Asked().size()) << s.tick;
        EXPECT_TRUE(fake::WindowExists(window));
        EXPECT_EQ(0, closeApproved);
    }
}

TEST_F(Verification, TheTickCountMayWrapBetweenRequests)
{
    LoadVerifier([](HWND) { return FALSE; });
    // The first request asks even right after the counter wrapped, when
    // "no request yet" reads like a request 100 ms ago.
    fake::tickCount = 99;
    Close();
    EXPECT_EQ(1u, Asked().size());

    lastVerifyTick = 0xFFFFFF00;  // 256 ms before the wrap
    fake::tickCount = 16;         // 16 ms after it: 272 ms have passed
    Close();
    EXPECT_EQ(1u, Asked().size());

    lastVerifyTick = 0xFFFFFF9C;  // 100 ms before the wrap, 116 ms ago
    Close();
    EXPECT_TRUE(Asked().empty());
}

TEST_F(Verification, TheDialogsOwnLoopCannotCloseOrStackAnotherDialog)
{
    LRESULT nestedClose = -1;
    LoadVerifier([&](HWND owner) {
        EXPECT_TRUE(verifyInProgress);
        // What the dialog's loop dispatches to the saver while it is up.
        nestedClose = SendMessageA(owner, WM_CLOSE, 0, 0);
        SendMessageA(owner, WM_KEYDOWN, 'A', 0);
        SendMessageA(owner, WM_LBUTTONDOWN, 0, 0);
        fake::cursor = POINT{900, 700};
        SendMessageA(owner, WM_MOUSEMOVE, 0, 0);
        return TRUE;
    });
    Close();
    EXPECT_EQ(0, nestedClose);
    EXPECT_EQ(1u, Asked().size());
    EXPECT_TRUE(fake::CallsNamed({"PostMessageA"}).empty());
    EXPECT_EQ(1, closeApproved);
    EXPECT_FALSE(verifyInProgress);
    EXPECT_FALSE(fake::WindowExists(window));  // the outer close, approved, went through
}

TEST_F(Verification, AnApprovalIsNeverTakenBack)
{
    LoadVerifier([](HWND) { return TRUE; });
    EXPECT_EQ(1, VerifyPasswordOnClose(window));
    verifierAnswer = [](HWND) { return FALSE; };
    fake::tickCount += 1000;
    Close();
    EXPECT_TRUE(Asked().empty());
    EXPECT_EQ(1, closeApproved);
    EXPECT_FALSE(fake::WindowExists(window));
}

class ChangePasswordRequest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        isWin9xFamily = TRUE;
        fake::AdoptWindow(123);
    }
};

TEST_F(ChangePasswordRequest, TheOwnerIsTheNamedWindowOrTheForegroundOne)
{
    struct Case {
        const char* text;
        const char* owner;
    } cases[] = {{"123", "0x7B"}, {"123 tail", "0x7B"}, {"", "0xF0F0"}, {"0", "0xF0F0"}, {"999", "0xF0F0"},
                 {"abc", "0xF0F0"}};
    for (const Case& c : cases) {
        fake::calls.clear();
        ScriptLibraries(true, true);
        EXPECT_EQ(0, RunChangePassword(c.text)) << c.text;
        EXPECT_EQ(std::vector<std::string>{std::string("PwdChangePasswordA(\"SCRSAVE\", ") + c.owner + ", 0, 0)"},
                  fake::CallsNamed({"PwdChangePasswordA"}))
            << c.text;
    }
}

TEST_F(ChangePasswordRequest, TheProviderIsReachedByNameAndFreedOnce)
{
    struct Case {
        const char* name;
        bool loads, hasFunction;
        std::vector<std::string> calls;
    } cases[] = {
        {"provider present", true, true,
         {"LoadLibraryA(\"MPR.DLL\")", "GetProcAddress(0x3B2, \"PwdChangePasswordA\")",
          "PwdChangePasswordA(\"SCRSAVE\", 0x7B, 0, 0)", "FreeLibrary(0x3B2)"}},
        {"function missing", true, false,
         {"LoadLibraryA(\"MPR.DLL\")", "GetProcAddress(0x3B2, \"PwdChangePasswordA\")", "FreeLibrary(0x3B2)"}},
        {"library missing", false, false, {"LoadLibraryA(\"MPR.DLL\")"}},
    };
    for (const Case& c : cases) {
        fake::calls.clear();
        ScriptLibraries(false, false, c.loads, c.hasFunction);
        EXPECT_EQ(0, RunChangePassword("123")) << c.name;
        EXPECT_TRUE(SameCalls(c.calls, fake::CallsNamed({"LoadLibraryA", "GetProcAddress", "PwdChangePasswordA",
                                                         "FreeLibrary"})))
            << c.name;
    }
}

}  // namespace
