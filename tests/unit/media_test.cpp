// The media path rule and the extraction of the clip and the sound: the order
// of the resource calls, the write through a temporary file, and what every
// failure leaves on disk.
#include "test_support.h"

namespace {

const std::string clip = std::string("RIFF\x10\0\0\0AVI LIST", 16) + "clip frames";
const std::string sound = std::string("RIFF\x0C\0\0\0WAVEfmt ", 16) + "sound";
const char clipPath[] = R"(C:\WINDOWS\zolp.avi)";
const char soundPath[] = R"(C:\WINDOWS\zolp.wav)";

class Media : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        fake::resources = {{200, clip}, {201, sound}};
    }
    // Names of the files left in the stand-in's file system.
    static std::vector<std::string> FileNames()
    {
        std::vector<std::string> names;
        for (auto& [name, bytes] : fake::files)
            names.push_back(name);
        return names;
    }
};

TEST_F(Media, PathRuleAddsOneBackslashAndRefusesWhatWouldNotFit)
{
    const std::string longName(300, 'w');
    struct Case {
        std::string directory;
        const char* expected;  // "" when no path is formed
    } cases[] = {
        {R"(C:\WINDOWS)", R"(C:\WINDOWS\zolp.avi)"},
        {R"(C:\WINDOWS\)", R"(C:\WINDOWS\zolp.avi)"},
        {R"(C:\)", R"(C:\zolp.avi)"},
        // 250 characters take the backslash as the 251st; the path and its
        // terminator then fill the 260 bytes exactly.
        {"C:\\" + longName.substr(0, 247), nullptr},
        {"C:\\" + longName.substr(0, 248), ""},
        {"C:\\" + longName.substr(0, 247) + "\\", nullptr},
        {"C:\\" + longName.substr(0, 248) + "\\", ""},
        {"C:\\" + longName, ""},  // more than the 260-byte buffer holds
        {"", ""},                 // the platform could not say
    };
    for (const Case& c : cases) {
        fake::windowsDirectory = c.directory;
        std::string expected = c.expected != nullptr ? c.expected
                               : c.directory.back() == '\\' ? c.directory + "zolp.avi"
                                                            : c.directory + "\\zolp.avi";
        std::strcpy(aviPath, "stale");
        EXPECT_EQ(!expected.empty(), FormMediaPath(aviPath, "zolp.avi")) << c.directory.size();
        EXPECT_EQ(expected, aviPath) << c.directory.size();
        EXPECT_LE(expected.size(), 259u);
    }
}

TEST_F(Media, ExtractionWritesTheClipThenTheSoundThroughTemporaryFiles)
{
    ExtractMedia();
    std::string clipSize = std::to_string(clip.size()), soundSize = std::to_string(sound.size());
    EXPECT_TRUE(SameCalls(
        {
            R"(FindResourceA(0x400000, #200, "DATA"))",
            "LoadResource(0x400000, 0x500C8)",
            "LockResource(0x600C8)",
            "SizeofResource(0x400000, 0x500C8)",
            "GetWindowsDirectoryA(260)",
            R"(GetTempFileNameA("C:\WINDOWS\", "zol"))",
            R"(CreateFileA("C:\WINDOWS\zol1.tmp", 0x40000000, 2))",
            "WriteFile(0x1001, " + clipSize + ")",
            "CloseHandle(0x1001)",
            R"(MoveFileExA("C:\WINDOWS\zol1.tmp", "C:\WINDOWS\zolp.avi", 0x9))",
            "FreeResource(0x600C8)",
            R"(FindResourceA(0x400000, #201, "DATA"))",
            "LoadResource(0x400000, 0x500C9)",
            "LockResource(0x600C9)",
            "SizeofResource(0x400000, 0x500C9)",
            "GetWindowsDirectoryA(260)",
            R"(GetTempFileNameA("C:\WINDOWS\", "zol"))",
            R"(CreateFileA("C:\WINDOWS\zol1.tmp", 0x40000000, 2))",
            "WriteFile(0x1002, " + soundSize + ")",
            "CloseHandle(0x1002)",
            R"(MoveFileExA("C:\WINDOWS\zol1.tmp", "C:\WINDOWS\zolp.wav", 0x9))",
            "FreeResource(0x600C9)",
        },
        fake::calls));
    EXPECT_EQ((std::vector<std::string>{clipPath, soundPath}), FileNames());
    EXPECT_EQ(clip, fake::files[clipPath]);
    EXPECT_EQ(sound, fake::files[soundPath]);
}

TEST_F(Media, ExtractionReplacesFilesAtTheRoot)
{
    fake::windowsDirectory = R"(C:\)";
    fake::files = {{R"(C:\zolp.avi)", ""}, {R"(C:\zolp.wav)", "the user's own sound"}};
    ExtractMedia();
    EXPECT_TRUE(SameCalls({R"(GetTempFileNameA("C:\", "zol"))", R"(GetTempFileNameA("C:\", "zol"))"},
                          fake::CallsNamed({"GetTempFileNameA"})));
    EXPECT_EQ(clip, fake::files[R"(C:\zolp.avi)"]);
    EXPECT_EQ(sound, fake::files[R"(C:\zolp.wav)"]);
    EXPECT_EQ(2u, fake::files.size());
}

// Every way the clip's write can fail: the clip's final name keeps what it
// had (nothing, or the old bytes), no temporary file is left, and the sound
// is still written.
TEST_F(Media, AFailedClipWriteLeavesNoPartialFileAndTheSoundIsStillWritten)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"no temporary name",
         [] {
             fake::answers.CreateFileFails = [calls = 0](LPCSTR, DWORD) mutable { return ++calls == 1; };
         }},
        {"temporary file cannot be opened",
         [] {
             fake::answers.CreateFileFails = [calls = 0](LPCSTR, DWORD) mutable { return ++calls == 2; };
         }},
        {"write fails",
         [] {
             fake::answers.WriteFile = [calls = 0](HANDLE, LPCVOID, DWORD size, LPDWORD written) mutable {
                 *written = ++calls == 1 ? 0 : size;
                 return calls == 1 ? FALSE : TRUE;
             };
         }},
        {"write is short",
         [] {
             // The sound's write goes through whole; the clip's stops halfway.
             fake::answers.WriteFile = [calls = 0](HANDLE, LPCVOID, DWORD size, LPDWORD written) mutable {
                 *written = ++calls == 1 ? size / 2 : size;
                 return TRUE;
             };
         }},
        {"close fails",
         [] { fake::answers.CloseHandle = [calls = 0](HANDLE) mutable { return ++calls == 1 ? FALSE : TRUE; }; }},
        {"replace fails",
         [] {
             fake::answers.MoveFileExA = [](LPCSTR from, LPCSTR to, DWORD) {
                 if (std::string(to) == clipPath)
                     return FALSE;
                 fake::files[to] = fake::files[from];
                 fake::files.erase(from);
                 return TRUE;
             };
         }},
    };
    for (const Case& c : cases) {
        for (bool oldClip : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (oldClip ? ", over an old clip" : ", no old clip"));
            fake::Reset();
            fake::resources = {{200, clip}, {201, sound}};
            if (oldClip)
                fake::files[clipPath] = "old";
            c.arrange();
            ExtractMedia();
            std::vector<std::string> expected = {clipPath, soundPath};
            if (!oldClip)
                expected.erase(expected.begin());
            EXPECT_EQ(expected, FileNames());
            EXPECT_EQ(oldClip ? "old" : "", fake::files[clipPath]);
            EXPECT_EQ(sound, fake::files[soundPath]);
            EXPECT_EQ(2u, fake::CallsNamed({"FreeResource"}).size());
        }
    }
}

// Windows 95/98 have no MoveFileExA: the old file goes, then the new one
// takes its name.
TEST_F(Media, OnWindows98TheOldFileMakesWayForTheNewOne)
{
    fake::platformId = VER_PLATFORM_WIN32_WINDOWS;
    fake::files = {{clipPath, "truncated"}, {soundPath, "the user's own sound"}};
    ExtractMedia();
    EXPECT_TRUE(SameCalls(
        {
            R"(MoveFileExA("C:\WINDOWS\zol1.tmp", "C:\WINDOWS\zolp.avi", 0x9))",
            R"(DeleteFileA("C:\WINDOWS\zolp.avi"))",
            R"(MoveFileA("C:\WINDOWS\zol1.tmp", "C:\WINDOWS\zolp.avi"))",
            R"(MoveFileExA("C:\WINDOWS\zol1.tmp", "C:\WINDOWS\zolp.wav", 0x9))",
            R"(DeleteFileA("C:\WINDOWS\zolp.wav"))",
            R"(MoveFileA("C:\WINDOWS\zol1.tmp", "C:\WINDOWS\zolp.wav"))",
        },
        fake::CallsNamed({"MoveFileExA", "DeleteFileA", "MoveFileA"})));
    EXPECT_EQ((std::vector<std::string>{clipPath, soundPath}), FileNames());
    EXPECT_EQ(clip, fake::files[clipPath]);
    EXPECT_EQ(sound, fake::files[soundPath]);
}

// Only the platform's refusal to implement the call leads to the delete: a
// replace refused for any other reason keeps the old file.
TEST_F(Media, AReplaceRefusedForAnotherReasonDeletesNothingButTheTemporaryFile)
{
    fake::files = {{clipPath, "in use"}};
    fake::answers.MoveFileExA = [](LPCSTR, LPCSTR, DWORD) {
        fake::lastError = 32;  // ERROR_SHARING_VIOLATION
        return FALSE;
    };
    ExtractMedia();
    EXPECT_TRUE(SameCalls({R"(DeleteFileA("C:\WINDOWS\zol1.tmp"))", R"(DeleteFileA("C:\WINDOWS\zol1.tmp"))"},
                          fake::CallsNamed({"DeleteFileA", "MoveFileA"})));
    EXPECT_EQ((std::vector<std::string>{clipPath}), FileNames());
    EXPECT_EQ("in use", fake::files[clipPath]);
}

TEST_F(Media, AMissingResourceWritesNothingForItAndIsStillReleased)
{
    fake::resources.erase(200);
    ExtractMedia();
    EXPECT_TRUE(SameCalls(
        {
            R"(FindResourceA(0x400000, #200, "DATA"))",
            "FreeResource(0)",
            R"(FindResourceA(0x400000, #201, "DATA"))",
            "LoadResource(0x400000, 0x500C9)",
            "LockResource(0x600C9)",
            "SizeofResource(0x400000, 0x500C9)",
            "FreeResource(0x600C9)",
        },
        fake::CallsNamed({"FindResourceA", "LoadResource", "LockResource", "SizeofResource", "FreeResource"})));
    EXPECT_EQ((std::vector<std::string>{soundPath}), FileNames());
}

TEST_F(Media, AWindowsDirectoryTooLongForThePathsWritesNothing)
{
    fake::windowsDirectory = "C:\\" + std::string(249, 'w');
    ExtractMedia();
    EXPECT_TRUE(fake::CallsNamed({"GetTempFileNameA", "CreateFileA", "MoveFileExA"}).empty());
    EXPECT_TRUE(fake::files.empty());
    EXPECT_EQ(2u, fake::CallsNamed({"FreeResource"}).size());
}

}  // namespace
