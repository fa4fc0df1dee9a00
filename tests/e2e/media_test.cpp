// The media on the real platform: the resources built into the saver are the
// committed files, a run writes them into the Windows directory only when no
// clip is there, and no clip file of any kind keeps the saver from starting
// and closing.
#include "driver.h"

namespace e2e {
namespace {

// The committed media, read through Wine's Z: drive from the source tree this
// driver was built from.
std::string CommittedMedia(const char* name)
{
    std::string source = __FILE__;
    source = source.substr(0, source.rfind("/tests/e2e/")) + "/saver/resources/media/" + name;
    for (char& c : source)
        if (c == '/')
            c = '\\';
    return ReadBytes("Z:" + source);
}

std::string Resource(HMODULE module, int id)
{
    HRSRC found = FindResourceExA(module, "DATA", MAKEINTRESOURCEA(id), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    if (found == nullptr)
        return std::string();
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(bytes, SizeofResource(module, found));
}

class MediaFiles : public DriverTest {
protected:
    std::string clip, sound, aviPath, wavPath;

    void SetUp() override
    {
        DriverTest::SetUp();
        clip = CommittedMedia("zolp.avi");
        sound = CommittedMedia("zolp.wav");
        ASSERT_FALSE(clip.empty());
        ASSERT_FALSE(sound.empty());
        aviPath = InWindowsDir("zolp.avi");
        wavPath = InWindowsDir("zolp.wav");
        RemoveFile(aviPath);
        RemoveFile(wavPath);
    }

    void TearDown() override
    {
        DriverTest::TearDown();
        RemoveFile(aviPath);
        RemoveFile(wavPath);
    }

    // A full-screen run until its window stands, ended by a key: the exit code.
    DWORD RunSaver(const std::function<void()>& whileRunning = nullptr)
    {
        Program saver = Start(SaverPath(), "/s");
        HWND window = WaitForTopWindow(saver, "WindowsScreenSaverClass");
        EXPECT_NE(nullptr, window);
        Settle(500);
        EXPECT_TRUE(saver.running());
        if (whileRunning)
            whileRunning();
        PressKey('A');
        return WaitExit(saver);
    }
};

TEST_F(MediaFiles, TheBuiltSaverCarriesTheCommittedMediaAsLanguageNeutralData)
{
    HMODULE saver = LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, saver);
    EXPECT_TRUE(Resource(saver, 200) == clip) << "resource 200 differs from zolp.avi";
    EXPECT_TRUE(Resource(saver, 201) == sound) << "resource 201 differs from zolp.wav";
    // The named type "DATA", not the numbered raw-data type.
    EXPECT_EQ(nullptr, FindResourceA(saver, MAKEINTRESOURCEA(200), MAKEINTRESOURCEA(10)));
    FreeLibrary(saver);
}

TEST_F(MediaFiles, TheFirstRunWritesBothFilesAndLaterRunsKeepThem)
{
    EXPECT_EQ(0u, RunSaver());
    EXPECT_TRUE(ReadBytes(aviPath) == clip) << "zolp.avi differs from the resource";
    EXPECT_TRUE(ReadBytes(wavPath) == sound) << "zolp.wav differs from the resource";
    EXPECT_TRUE(TemporaryFilesLeft().empty());

    // The user's own sound stays while the clip is there.
    ASSERT_TRUE(WriteBytes(wavPath, "the user's own sound"));
    EXPECT_EQ(0u, RunSaver());
    EXPECT_EQ("the user's own sound", ReadBytes(wavPath));

    // Without the clip both come back.
    RemoveFile(aviPath);
    EXPECT_EQ(0u, RunSaver());
    EXPECT_TRUE(ReadBytes(aviPath) == clip);
    EXPECT_TRUE(ReadBytes(wavPath) == sound);

    // Without only the sound, nothing is written.
    RemoveFile(wavPath);
    EXPECT_EQ(0u, RunSaver());
    EXPECT_FALSE(FileExists(wavPath));
    EXPECT_TRUE(ReadBytes(aviPath) == clip);
}

// Whatever stands under the clip's name, the saver starts, shows black where
// the clip cannot play, and closes with 0. A file is used as it is; a
// directory cannot be replaced, and the failed write leaves nothing behind.
TEST_F(MediaFiles, NoClipFileKeepsTheSaverFromStartingAndClosing)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool directory;
        bool black;  // nothing of the clip can show
    } cases[] = {
        {"an empty clip", "", false, true},
        {"a truncated clip", clip.substr(0, clip.size() / 2), false, false},
        {"a garbage clip", std::string(4096, '\x5A'), false, true},
        {"a directory", "", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveFile(wavPath);
        if (c.directory)
            ASSERT_TRUE(CreateDirectoryA(aviPath.c_str(), nullptr));
        else
            ASSERT_TRUE(WriteBytes(aviPath, c.bytes));
        long lit = -1;
        EXPECT_EQ(0u, RunSaver([&] { lit = CaptureScreen().LitPixels(RECT{0, 0, 1024, 768}); }));
        if (c.black) {
            EXPECT_EQ(0, lit);
        }
        if (c.directory) {
            EXPECT_TRUE(IsDirectory(aviPath));
            EXPECT_TRUE(ReadBytes(wavPath) == sound) << "the sound is still written";
        } else {
            EXPECT_TRUE(ReadBytes(aviPath) == c.bytes) << "a clip file that opens is never rewritten";
            EXPECT_FALSE(FileExists(wavPath));
        }
        EXPECT_TRUE(TemporaryFilesLeft().empty());
        RemoveFile(aviPath);
    }
}

}  // namespace
}  // namespace e2e
