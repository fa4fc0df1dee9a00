// The installer's run with scripted answers: the boxes and their order, the
// write through a temporary file, what every failure leaves behind, the
// registration, and the edges of the Windows directory.
#include "installer.h"
#include "test_support.h"

#include <deque>

using namespace std::string_literals;

namespace {

const char target[] = R"(C:\WINDOWS\Skorrel Zolp.scr)";
const char temporary[] = R"(C:\WINDOWS\zol1.tmp)";
const char registryKey[] = "system.ini|boot|SCRNSAVE.EXE";

const char confirmBox[] = R"(MessageBoxA(0, "Install Skorrel Zolp Screensaver ?    ", "Install", 0x21))";
const char overwriteBox[] =
    "MessageBoxA(0, \"File : \"C:\\WINDOWS\\Skorrel Zolp.scr\" already exists   \n\nOverwrite this file ?\", "
    "\"Install\", 0x34)";
const char errorBox[] = R"(MessageBoxA(0, "Write error", "Install", 0x10))";
const char doneBox[] = R"(MessageBoxA(0, "      Saver installed       ", "Install", 0x0))";

const std::string payload = "MZ\x90\0\3 the saver, with a NUL inside"s;
const std::string oldSaver = "MZ an older saver";

class Installer : public PlatformTest {
protected:
    std::deque<int> replies;  // the user's answers to the boxes, in order

    void SetUp() override
    {
        PlatformTest::SetUp();
        Fresh();
    }

    // A clean platform holding our payload, for each case of a table.
    void Fresh()
    {
        fake::Reset();
        fake::resources[10] = payload;
        fake::answers.MessageBoxA = [this](HWND, LPCSTR, LPCSTR, UINT) {
            if (replies.empty()) {
                ADD_FAILURE() << "a box nobody expected";
                return IDCANCEL;
            }
            int reply = replies.front();
            replies.pop_front();
            return reply;
        };
        fake::answers.GetShortPathNameA = [](LPCSTR longPath, LPSTR shortPath, DWORD size) -> DWORD {
            if (fake::files.count(longPath) == 0 || size < 12)
                return 0;
            lstrcpyA(shortPath, R"(C:\WINDOWS\SKORRE~1.SCR)");
            return 23;
        };
    }

    int Run(std::initializer_list<int> answers)
    {
        replies = answers;
        int code = RunInstaller(fake::moduleInstance);
        EXPECT_TRUE(replies.empty()) << "boxes left unshown";
        return code;
    }

    static std::vector<std::string> Boxes() { return fake::CallsNamed({"MessageBoxA"}); }
    static std::map<std::string, std::string> Files(std::initializer_list<std::pair<const std::string, std::string>> files)
    {
        return files;
    }
};

TEST_F(Installer, FreshInstallConfirmsWritesRegistersAndReportsDone)
{
    EXPECT_EQ(0, Run({IDOK, IDOK}));
    EXPECT_TRUE(SameCalls(
        {
            confirmBox,
            "GetWindowsDirectoryA(260)",
            R"(FindResourceA(0x400000, #10, "DATA"))",
            "LoadResource(0x400000, 0x5000A)",
            "LockResource(0x6000A)",
            R"(CreateFileA("C:\WINDOWS\Skorrel Zolp.scr", 0x80000000, 3))",
            "SizeofResource(0x400000, 0x5000A)",
            R"(GetTempFileNameA("C:\WINDOWS\", "zol"))",
            R"(CreateFileA("C:\WINDOWS\zol1.tmp", 0x40000000, 2))",
            "WriteFile(0x1001, " + std::to_string(payload.size()) + ")",
            "CloseHandle(0x1001)",
            R"(MoveFileExA("C:\WINDOWS\zol1.tmp", "C:\WINDOWS\Skorrel Zolp.scr", 0x9))",
            "FreeResource(0x6000A)",
            R"(GetShortPathNameA("C:\WINDOWS\Skorrel Zolp.scr", 260))",
            R"(WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", "C:\WINDOWS\SKORRE~1.SCR", "system.ini"))",
            doneBox,
        },
        fake::calls));
    EXPECT_EQ(Files({{target, payload}}), fake::files);
}

TEST_F(Installer, AnythingButOkAtTheFirstBoxEndsWithOneAndWritesNothing)
{
    for (int reply : {IDCANCEL, 0}) {
        Fresh();
        EXPECT_EQ(1, Run({reply})) << reply;
        EXPECT_TRUE(SameCalls({confirmBox}, fake::calls)) << reply;
        EXPECT_TRUE(fake::files.empty());
        EXPECT_TRUE(fake::profile.empty());
    }
}

TEST_F(Installer, PresentTargetKeptWhenNotConfirmedStillRegistered)
{
    for (int reply : {IDNO, 0}) {
        Fresh();
        fake::files = {{target, oldSaver}};
        EXPECT_EQ(0, Run({IDOK, reply, IDOK})) << reply;
        EXPECT_TRUE(SameCalls(
            {
                confirmBox,
                R"(CreateFileA("C:\WINDOWS\Skorrel Zolp.scr", 0x80000000, 3))",
                "CloseHandle(0x1001)",
                overwriteBox,
                R"(GetShortPathNameA("C:\WINDOWS\Skorrel Zolp.scr", 260))",
                R"(WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", "C:\WINDOWS\SKORRE~1.SCR", "system.ini"))",
                doneBox,
            },
            fake::CallsNamed({"MessageBoxA", "CreateFileA", "CloseHandle", "SizeofResource", "GetTempFileNameA",
                              "WriteFile", "MoveFileExA", "FreeResource", "GetShortPathNameA",
                              "WritePrivateProfileStringA"})))
            << reply;
        EXPECT_EQ(Files({{target, oldSaver}}), fake::files);
        EXPECT_EQ(R"(C:\WINDOWS\SKORRE~1.SCR)", fake::profile[registryKey]);
    }
}

TEST_F(Installer, PresentTargetReplacedWholeOnYes)
{
    fake::files = {{target, oldSaver + oldSaver + oldSaver}};
    EXPECT_EQ(0, Run({IDOK, IDYES, IDOK}));
    EXPECT_TRUE(SameCalls({confirmBox, overwriteBox, doneBox}, Boxes()));
    EXPECT_TRUE(SameCalls({R"(MoveFileExA("C:\WINDOWS\zol1.tmp", "C:\WINDOWS\Skorrel Zolp.scr", 0x9))"},
                          fake::CallsNamed({"MoveFileExA"})));
    EXPECT_EQ(Files({{target, payload}}), fake::files);
    EXPECT_EQ(R"(C:\WINDOWS\SKORRE~1.SCR)", fake::profile[registryKey]);
}

// Every way the write can fail leaves the old saver exactly as it was (or no
// file at all), no temporary file, no registration, and exit code 1.
TEST_F(Installer, FailedWriteKeepsWhatWasThereAndRegistersNothing)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"the directory takes no new file", [] {
             fake::answers.CreateFileFails = [](LPCSTR, DWORD access) { return (access & GENERIC_WRITE) != 0; };
         }},
        {"the temporary file cannot be opened", [] {
             fake::answers.CreateFileFails = [](LPCSTR name, DWORD access) {
                 return (access & GENERIC_WRITE) != 0 && fake::files.count(name) != 0;
             };
         }},
        {"the write fails", [] {
             fake::answers.WriteFile = [](HANDLE, LPCVOID, DWORD, LPDWORD written) {
                 *written = 0;
                 return FALSE;
             };
         }},
        {"the write is short", [] {
             fake::answers.WriteFile = [](HANDLE, LPCVOID, DWORD size, LPDWORD written) {
                 *written = size - 1;
                 return TRUE;
             };
         }},
        {"the close fails", [] { fake::answers.CloseHandle = [](HANDLE) { return FALSE; }; }},
        {"the replace fails", [] { fake::answers.MoveFileExA = [](LPCSTR, LPCSTR, DWORD) { return FALSE; }; }},
        {"the payload is empty", [] { fake::resources[10] = ""; }},
        {"the payload is missing", [] { fake::resources.erase(10); }},
    };
    for (bool present : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (present ? ", old saver present" : ", no old saver"));
            Fresh();
            if (present)
                fake::files = {{target, oldSaver}};
            c.arrange();
            EXPECT_EQ(1, present ? Run({IDOK, IDYES, IDOK}) : Run({IDOK, IDOK}));
            std::vector<std::string> boxes = {confirmBox, overwriteBox, errorBox};
            if (!present)
                boxes.erase(boxes.begin() + 1);
            EXPECT_TRUE(SameCalls(boxes, Boxes()));
            EXPECT_EQ(present ? Files({{target, oldSaver}}) : Files({}), fake::files);
            EXPECT_TRUE(fake::profile.empty());
            EXPECT_TRUE(fake::CallsNamed({"FreeResource"}).empty());
        }
    }
}

TEST_F(Installer, EmptyPayloadTouchesNoFile)
{
    fake::resources[10] = "";
    EXPECT_EQ(1, Run({IDOK, IDOK}));
    EXPECT_TRUE(fake::CallsNamed({"GetTempFileNameA", "WriteFile", "MoveFileExA", "DeleteFileA"}).empty());
}

TEST_F(Installer, RootWindowsDirectoryGetsNoSecondBackslash)
{
    fake::windowsDirectory = "C:\\";
    EXPECT_EQ(0, Run({IDOK, IDOK}));
    EXPECT_TRUE(SameCalls(
        {
            R"(CreateFileA("C:\Skorrel Zolp.scr", 0x80000000, 3))",
            R"(GetTempFileNameA("C:\", "zol"))",
            R"(CreateFileA("C:\zol1.tmp", 0x40000000, 2))",
            R"(MoveFileExA("C:\zol1.tmp", "C:\Skorrel Zolp.scr", 0x9))",
            R"(GetShortPathNameA("C:\Skorrel Zolp.scr", 260))",
        },
        fake::CallsNamed({"CreateFileA", "GetTempFileNameA", "MoveFileExA", "GetShortPathNameA"})));
    EXPECT_EQ(Files({{R"(C:\Skorrel Zolp.scr)", payload}}), fake::files);
}

// The full path must fit in 260 bytes with its terminator: a directory of
// 242 characters is the longest that takes the separator and the name.
TEST_F(Installer, WindowsDirectoryTooLongForThePathIsAWriteError)
{
    struct Case {
        std::string directory;
        bool installs;
    } cases[] = {
        {"C:\\" + std::string(239, 'd'), true},
        {"C:\\" + std::string(239, 'd') + "\\", true},
        {"C:\\" + std::string(240, 'd'), false},
        {"C:\\" + std::string(240, 'd') + "\\", false},
        {"C:\\" + std::string(256, 'd'), false},   // fills the buffer exactly
        {"C:\\" + std::string(257, 'd'), false},   // does not fit: the call reports the size it needs
        {"C:\\" + std::string(5000, 'd'), false},
        {"", false},                               // the call failed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("directory of " + std::to_string(c.directory.size()) + " characters");
        Fresh();
        fake::windowsDirectory = c.directory;
        std::string path = c.directory + (c.directory.empty() || c.directory.back() != '\\' ? "\\" : "") +
                           "Skorrel Zolp.scr";
        if (c.installs) {
            EXPECT_EQ(0, Run({IDOK, IDOK}));
            EXPECT_EQ(259u, path.size());
            EXPECT_EQ(Files({{path, payload}}), fake::files);
        } else {
            EXPECT_EQ(1, Run({IDOK, IDOK}));
            EXPECT_TRUE(SameCalls({confirmBox, errorBox}, Boxes()));
            EXPECT_TRUE(fake::files.empty());
            EXPECT_TRUE(fake::profile.empty());
        }
    }
}

TEST_F(Installer, LongPathRegisteredWhenThereIsNoShortOne)
{
    for (DWORD answer : {0u, 261u}) {
        Fresh();
        fake::answers.GetShortPathNameA = [answer](LPCSTR, LPSTR shortPath, DWORD) {
            shortPath[0] = '?';  // what a failed call leaves in the buffer is no path
            return answer;
        };
        EXPECT_EQ(0, Run({IDOK, IDOK})) << answer;
        EXPECT_EQ(target, fake::profile[registryKey]) << answer;
        EXPECT_TRUE(SameCalls({confirmBox, doneBox}, Boxes()));
    }
}

// Windows 95/98 have no MoveFileExA and their MoveFileA does not overwrite.
class InstallerOnWindows98 : public Installer {
protected:
    void SetUp() override
    {
        Installer::SetUp();
        fake::platformId = VER_PLATFORM_WIN32_WINDOWS;
        fake::files = {{target, oldSaver}};
    }
};

TEST_F(InstallerOnWindows98, OldSaverStepsAsideForTheNewOne)
{
    EXPECT_EQ(0, Run({IDOK, IDYES, IDOK}));
    EXPECT_TRUE(SameCalls(
        {
            R"(GetTempFileNameA("C:\WINDOWS\", "zol"))",
            R"(MoveFileExA("C:\WINDOWS\zol1.tmp", "C:\WINDOWS\Skorrel Zolp.scr", 0x9))",
            R"(MoveFileA("C:\WINDOWS\zol1.tmp", "C:\WINDOWS\Skorrel Zolp.scr"))",
            R"(GetTempFileNameA("C:\WINDOWS\", "zol"))",
            R"(DeleteFileA("C:\WINDOWS\zol2.tmp"))",
            R"(MoveFileA("C:\WINDOWS\Skorrel Zolp.scr", "C:\WINDOWS\zol2.tmp"))",
            R"(MoveFileA("C:\WINDOWS\zol1.tmp", "C:\WINDOWS\Skorrel Zolp.scr"))",
            R"(DeleteFileA("C:\WINDOWS\zol2.tmp"))",
        },
        fake::CallsNamed({"GetTempFileNameA", "MoveFileExA", "MoveFileA", "DeleteFileA"})));
    EXPECT_EQ(Files({{target, payload}}), fake::files);
    EXPECT_EQ(R"(C:\WINDOWS\SKORRE~1.SCR)", fake::profile[registryKey]);
}

TEST_F(InstallerOnWindows98, FreshInstallIsAPlainRename)
{
    fake::files.clear();
    EXPECT_EQ(0, Run({IDOK, IDOK}));
    EXPECT_TRUE(SameCalls({R"(MoveFileA("C:\WINDOWS\zol1.tmp", "C:\WINDOWS\Skorrel Zolp.scr"))"},
                          fake::CallsNamed({"MoveFileA", "DeleteFileA"})));
    EXPECT_EQ(Files({{target, payload}}), fake::files);
}

TEST_F(InstallerOnWindows98, OldSaverComesBackWhenTheNewOneCannotTakeItsPlace)
{
    fake::answers.MoveFileFails = [](LPCSTR from, LPCSTR) { return std::string(from) == temporary; };
    EXPECT_EQ(1, Run({IDOK, IDYES, IDOK}));
    EXPECT_TRUE(SameCalls({confirmBox, overwriteBox, errorBox}, Boxes()));
    EXPECT_EQ(Files({{target, oldSaver}}), fake::files);
    EXPECT_TRUE(fake::profile.empty());
}

TEST_F(InstallerOnWindows98, OldSaverStaysWhenItCannotStepAside)
{
    fake::answers.MoveFileFails = [](LPCSTR from, LPCSTR) { return std::string(from) == target; };
    EXPECT_EQ(1, Run({IDOK, IDYES, IDOK}));
    EXPECT_EQ(Files({{target, oldSaver}}), fake::files);
    EXPECT_TRUE(fake::profile.empty());
}

}  // namespace
