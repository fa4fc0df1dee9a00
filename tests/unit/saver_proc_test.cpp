// The saver procedure: what creation sets up on every path, the loop on each
// end notification, the release at destruction, and whole runs through the
// saver window's message loop with input over the clip.
#include "video_device.h"

namespace {

const std::string clip = "RIFF clip bytes";
const std::string sound = "RIFF sound bytes";
const char clipPath[] = R"(C:\WINDOWS\zolp.avi)";
const char soundPath[] = R"(C:\WINDOWS\zolp.wav)";
const char playSound[] = R"(PlaySoundA("C:\WINDOWS\zolp.wav", 0, 0x20009))";
const char soundKey[] = "avizolp.ini|avizolp|sound";

// What creation asks of the platform, apart from the window calls of the fit.
const std::initializer_list<const char*> setupCalls = {
    "mciSendCommandA", "CreateFileA", "FindResourceA", "GetPrivateProfileIntA", "PlaySoundA"};

class SaverProc : public VideoTest {
protected:
    HWND saver = nullptr;
    void SetUp() override
    {
        VideoTest::SetUp();
        fake::resources = {{200, clip}, {201, sound}};
        saver = fake::NewWindow(RECT{0, 0, 1024, 768});
    }
    LRESULT Create() { return ScreenSaverProc(saver, WM_CREATE, 0, 0); }
};

TEST_F(SaverProc, FirstRunExtractsOpensPlaysAndStartsTheSound)
{
    EXPECT_EQ(0, Create());
    EXPECT_TRUE(SameCalls(
        {
            R"(mciSendCommandA(0, 0x803, 0x2000, open{"avivideo", 0, 0, 0x0, 0}))",
            R"(CreateFileA("C:\WINDOWS\zolp.avi", 0x80000000, 3))",
            R"(FindResourceA(0x400000, #200, "DATA"))",
            R"(CreateFileA("C:\WINDOWS\zol1.tmp", 0x40000000, 2))",
            R"(FindResourceA(0x400000, #201, "DATA"))",
            R"(CreateFileA("C:\WINDOWS\zol1.tmp", 0x40000000, 2))",
            R"(GetPrivateProfileIntA("avizolp", "zoom", 200, "avizolp.ini"))",
            R"(GetPrivateProfileIntA("avizolp", "sound", 1, "avizolp.ini"))",
            R"(mciSendCommandA(0, 0x803, 0x30200, open{0, "C:\WINDOWS\zolp.avi", 0, 0x40000000, 0x1001}))",
            "mciSendCommandA(2, 0x841, 0x40000, window{0, 5, 0})",
            "mciSendCommandA(2, 0x814, 0x100, status{0x4001})",
            "mciSendCommandA(2, 0x843, 0x20000, &record)",
            "mciSendCommandA(2, 0x842, 0x50000, rect{0, 0, 640, 480})",
            "mciSendCommandA(2, 0x806, 0x1, play{0x1001, 0, 0})",
            playSound,
        },
        fake::CallsNamed(setupCalls)));
    EXPECT_EQ(clip, fake::files[clipPath]);
    EXPECT_EQ(sound, fake::files[soundPath]);
    EXPECT_STREQ(clipPath, aviPath);
    EXPECT_STREQ(soundPath, wavPath);
    EXPECT_TRUE(videoOpen);
    EXPECT_TRUE(videoPlaying);
}

// Whatever "zolp.avi" holds, it is what the device is asked to open; only a
// clip that cannot be opened is written again, and the sound is never tested.
TEST_F(SaverProc, AnExistingClipFileIsUsedAsItIs)
{
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;
        bool plays;
    } cases[] = {
        {"both files present", {{clipPath, clip}, {soundPath, sound}}, true},
        {"an empty clip", {{clipPath, ""}, {soundPath, sound}}, false},
        {"a garbage clip", {{clipPath, "garbage"}}, false},
        {"the user's own sound", {{clipPath, clip}, {soundPath, "RIFF the user's sound"}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake::Reset();
        ResetProductState();
        appInstance = fake::moduleInstance;
        InstallVideoDevice();
        fake::resources = {{200, clip}, {201, sound}};
        saver = fake::NewWindow(RECT{0, 0, 1024, 768});
        fake::files = c.files;
        EXPECT_EQ(0, Create());
        EXPECT_TRUE(fake::CallsNamed({"FindResourceA", "GetTempFileNameA", "MoveFileExA"}).empty());
        EXPECT_EQ(c.files, fake::files);
        EXPECT_EQ(c.plays, videoOpen != FALSE);
        EXPECT_EQ(c.plays, videoPlaying != FALSE);
        EXPECT_TRUE(SameCalls({playSound}, fake::CallsNamed({"PlaySoundA"})));
    }
}

TEST_F(SaverProc, WithoutTheDeviceNothingElseIsSetUp)
{
    videoDevice.typeOpens = false;
    fake::profile[soundKey] = "1";
    EXPECT_EQ(0, Create());
    EXPECT_TRUE(SameCalls({R"(mciSendCommandA(0, 0x803, 0x2000, open{"avivideo", 0, 0, 0x0, 0}))"}, fake::calls));
    EXPECT_TRUE(fake::files.empty());
}

TEST_F(SaverProc, OnlySoundSettingOnePlaysTheSound)
{
    struct Case {
        const char* stored;  // nullptr: no value in the file
        bool plays;
    } cases[] = {
        {nullptr, true}, {"1", true}, {"0", false}, {"2", false}, {"-1", false}, {"257", false}, {"65537", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "absent");
        fake::calls.clear();
        fake::profile.clear();
        if (c.stored)
            fake::profile[soundKey] = c.stored;
        Create();
        EXPECT_EQ(c.plays ? std::vector<std::string>{playSound} : std::vector<std::string>{},
                  fake::CallsNamed({"PlaySoundA"}));
        ScreenSaverProc(saver, WM_DESTROY, 0, 0);
    }
}

// The sound does not depend on the clip: a clip that will not open still
// leaves the sound call, with the missing sound file's name.
TEST_F(SaverProc, TheSoundIsAskedForEvenWithoutAClipOrASoundFile)
{
    fake::files = {{clipPath, "not a clip"}};
    Create();
    EXPECT_FALSE(videoOpen);
    EXPECT_TRUE(CallsStartingWith({"mciSendCommandA(2, 0x806"}).empty());
    EXPECT_TRUE(SameCalls({playSound}, fake::CallsNamed({"PlaySoundA"})));
}

// A Windows directory too long for the paths: nothing is opened, nothing
// written, nothing played; the saver shows black and still closes.
TEST_F(SaverProc, AWindowsDirectoryTooLongForThePathsOpensAndWritesNothing)
{
    fake::windowsDirectory = "C:\\" + std::string(248, 'w');
    EXPECT_EQ(0, Create());
    EXPECT_TRUE(CallsStartingWith({"CreateFileA", "FindResourceA", "PlaySoundA", "mciSendCommandA(0, 0x803, 0x30200"})
                    .empty());
    EXPECT_TRUE(fake::files.empty());
    EXPECT_STREQ("", aviPath);
    EXPECT_FALSE(videoOpen);
}

// The room left in the 260 bytes is exactly the backslash and the name.
TEST_F(SaverProc, AWindowsDirectoryOf250CharactersStillWorks)
{
    fake::windowsDirectory = "C:\\" + std::string(247, 'w');
    Create();
    EXPECT_EQ(259u, std::strlen(aviPath));
    EXPECT_TRUE(videoOpen);
    EXPECT_EQ(1u, fake::CallsNamed({"PlaySoundA"}).size());
}

TEST_F(SaverProc, OnlyASuccessfulEndRestartsTheClip)
{
    Create();
    for (WPARAM code : {MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_ABORTED, MCI_NOTIFY_FAILURE}) {
        fake::calls.clear();
        EXPECT_EQ(0, ScreenSaverProc(saver, MM_MCINOTIFY, code, 2));
        EXPECT_TRUE(fake::calls.empty()) << code;
        EXPECT_TRUE(videoPlaying);
    }
    fake::calls.clear();
    EXPECT_EQ(0, ScreenSaverProc(saver, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 2));
    EXPECT_TRUE(SameCalls({"mciSendCommandA(2, 0x807, 0x100, seek{0})", "mciSendCommandA(2, 0x806, 0x1, play{0x1001, 0, 0})"},
                          fake::calls));
    EXPECT_TRUE(videoPlaying);
}

const std::vector<std::string> releaseAfterFailedProbe = {
    "PlaySoundA(0, 0, 0x0)",
    "mciSendCommandA(0, 0x809, 0x0, &record)",
    "mciSendCommandA(0, 0x804, 0x0, &record)",
    "InvalidateRect(0x1001, 0, 1)",
    "UpdateWindow(0x1001)",
    R"(mciGetDeviceIDA("avivideo"))",
    "mciSendCommandA(0, 0x804, 0x0, &record)",
    "PostQuitMessage(0)",
};

TEST_F(SaverProc, DestructionMakesAllFiveCallsAfterAFailedProbe)
{
    videoDevice.typeOpens = false;
    Create();
    fake::calls.clear();
    EXPECT_EQ(0, ScreenSaverProc(saver, WM_DESTROY, 0, 0));
    EXPECT_TRUE(SameCalls(releaseAfterFailedProbe, fake::calls));
}

TEST_F(SaverProc, DestructionStopsTheSoundAndClosesClipAndDevice)
{
    Create();
    fake::calls.clear();
    EXPECT_EQ(0, ScreenSaverProc(saver, WM_DESTROY, 0, 0));
    EXPECT_TRUE(SameCalls(
        {
            "PlaySoundA(0, 0, 0x0)",
            "mciSendCommandA(2, 0x809, 0x0, &record)",
            "mciSendCommandA(2, 0x804, 0x0, &record)",
            "InvalidateRect(0x1001, 0, 1)",
            "UpdateWindow(0x1001)",
            R"(mciGetDeviceIDA("avivideo"))",
            "mciSendCommandA(1, 0x804, 0x0, &record)",
            "PostQuitMessage(0)",
        },
        fake::calls));
    EXPECT_FALSE(videoDevice.clipOpen);
    EXPECT_FALSE(videoDevice.probeOpen);
}

TEST_F(SaverProc, OtherMessagesGoToTheClosingRules)
{
    EXPECT_EQ(0, ScreenSaverProc(saver, WM_KEYDOWN, 0, 0));
    EXPECT_EQ(1, ScreenSaverProc(saver, WM_SETCURSOR, 0, 0));
    EXPECT_TRUE(SameCalls({"PostMessageA(0x1001, WM_CLOSE, 0, 0)", "DefWindowProcA(0x1001, WM_KEYDOWN, 0, 0)",
                           "SetCursor(0)"},
                          fake::calls));
}

// Whole runs: RunSaverWindow with the real chain of procedures, and input
// queued for the clip's window as soon as the device has made it.
class SaverRun : public VideoTest {
protected:
    void SetUp() override
    {
        VideoTest::SetUp();
        fake::resources = {{200, clip}, {201, sound}};
        fake::files = {{clipPath, clip}, {soundPath, sound}};
    }
    // Posts these messages to the clip's window once it exists.
    void QueueForClip(std::initializer_list<UINT> messages)
    {
        std::vector<UINT> list(messages);
        fake::answers.mciSendCommandA = [list](MCIDEVICEID device, UINT command, DWORD_PTR flags, DWORD_PTR record) {
            MCIERROR result = AnswerVideoRequest(device, command, flags, record);
            if (command == MCI_OPEN && !(flags & MCI_OPEN_TYPE) && result == 0)
                for (UINT message : list)
                    fake::queue.push_back(MSG{videoDevice.window, message, 0, 0, 0, {}});
            return result;
        };
    }
};

TEST_F(SaverRun, TheClipLoopsUntilAClickOverItEndsTheSaver)
{
    QueueForClip({WM_MOUSEMOVE, WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONDOWN});
    fake::queue.push_back(MSG{AsHwnd(0x1001), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 2, 0, {}});
    EXPECT_EQ(0, RunSaverWindow(nullptr));
    std::vector<std::string> calls = CallsStartingWith({"mciSendCommandA(2", "DestroyWindow", "PostQuitMessage"});
    EXPECT_TRUE(SameCalls(
        {
            "mciSendCommandA(2, 0x841, 0x40000, window{0, 5, 0})",
            "mciSendCommandA(2, 0x814, 0x100, status{0x4001})",
            "mciSendCommandA(2, 0x843, 0x20000, &record)",
            "mciSendCommandA(2, 0x842, 0x50000, rect{0, 0, 640, 480})",
            "mciSendCommandA(2, 0x806, 0x1, play{0x1001, 0, 0})",
            "mciSendCommandA(2, 0x807, 0x100, seek{0})",
            "mciSendCommandA(2, 0x806, 0x1, play{0x1001, 0, 0})",
            "DestroyWindow(0x1001)",
            "PostQuitMessage(0)",
            "mciSendCommandA(2, 0x809, 0x0, &record)",
            "mciSendCommandA(2, 0x804, 0x0, &record)",
            "PostQuitMessage(0)",
        },
        calls));
    EXPECT_FALSE(fake::WindowExists(AsHwnd(0x1001)));
}

// A middle click over the clip raises a close for the clip's window; it must
// end the saver, not take the clip away and leave a black saver behind.
TEST_F(SaverRun, AMiddleClickOverTheClipEndsTheSaver)
{
    QueueForClip({WM_MBUTTONDOWN});
    EXPECT_EQ(0, RunSaverWindow(nullptr));
    EXPECT_TRUE(SameCalls(
        {
            "PostMessageA(" + fake::Handle(videoDevice.window) + ", WM_CLOSE, 0, 0)",
            "PostMessageA(0x1001, WM_CLOSE, 0, 0)",
            "DestroyWindow(0x1001)",
        },
        fake::CallsNamed({"PostMessageA", "DestroyWindow"})));
}

std::vector<std::string> verifications;

BOOL WINAPI RefuseAndRecord(HWND owner)
{
    verifications.push_back(fake::Handle(owner));
    return FALSE;
}

// Windows 95/98 with a password: a click on the clip asks for the password,
// and a refusal keeps the saver.
TEST_F(SaverRun, WithAPasswordAClickOnTheClipAsksAndARefusalKeepsTheSaver)
{
    isWin9xFamily = TRUE;
    verifierProc = RefuseAndRecord;
    verifications.clear();
    QueueForClip({WM_LBUTTONDOWN});
    EXPECT_EQ(0, RunSaverWindow(nullptr));
    EXPECT_EQ(std::vector<std::string>{"0x1001"}, verifications);
    EXPECT_TRUE(fake::CallsNamed({"DestroyWindow"}).empty());
    EXPECT_TRUE(fake::WindowExists(AsHwnd(0x1001)));
    verifierProc = nullptr;
}

}  // namespace
