// The installer on the real platform: its resources, its message boxes
// answered with real clicks, the installed file and its registration in
// system.ini, a target it cannot write, and the installed saver started the
// way the platform starts it.
#include "driver.h"

namespace e2e {
namespace {

const char boxClass[] = "#32770";
const int boxTextId = 0xFFFF;  // the static that holds a message box's text

struct Box {
    HWND window = nullptr;
    std::string title, text;
    std::vector<int> buttons;  // the visible answer buttons, by id
};

Box WaitForBox(const Program& installer)
{
    Box box;
    box.window = WaitForTopWindow(installer, boxClass);
    if (box.window == nullptr)
        return box;
    box.title = TitleOf(box.window);
    char text[512] = "";
    GetDlgItemTextA(box.window, boxTextId, text, sizeof text);
    box.text = text;
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        HWND button = GetDlgItem(box.window, id);
        if (button != nullptr && IsWindowVisible(button))
            box.buttons.push_back(id);
    }
    return box;
}

// A real click in the middle of the button, as the user gives the answer.
// Without a window manager nothing brings a new process's box forward, and a
// click before the box is on the display goes to the desktop.
void Answer(const Box& box, int buttonId)
{
    SetForegroundWindow(box.window);
    WaitUntil([&] { return GetForegroundWindow() == box.window; }, 3000);
    Settle();
    RECT rect = ScreenRectOf(GetDlgItem(box.window, buttonId));
    Click((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box.window); })) << "the box did not take the click";
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list)
{
    reinterpret_cast<std::vector<std::string>*>(list)->push_back(IS_INTRESOURCE(name) ? "#" : name);
    return TRUE;
}

std::string Target() { return InWindowsDir("Skorrel Zolp.scr"); }

std::string RegisteredSaver()
{
    char value[MAX_PATH] = "";
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", value, sizeof value, "system.ini");
    return value;
}

std::string ShortPathOf(const std::string& path)
{
    char shortPath[MAX_PATH] = "";
    DWORD length = GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    EXPECT_GT(length, 0u) << path;
    return shortPath;
}

const std::string confirmText = "Install Skorrel Zolp Screensaver ?    ";
const std::string doneText = "      Saver installed       ";
const std::vector<int> okCancel = {IDOK, IDCANCEL};
const std::vector<int> yesNo = {IDYES, IDNO};
const std::vector<int> okOnly = {IDOK};

class Installer : public DriverTest {
protected:
    void SetUp() override
    {
        DriverTest::SetUp();
        RemoveFile(Target());
        WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", nullptr, "system.ini");
    }

    void TearDown() override
    {
        DriverTest::TearDown();
        RemoveFile(Target());
    }

    // Starts the installer and confirms at its first box.
    Program StartConfirmed()
    {
        Program installer = Start(InstallerPath(), "");
        Box confirm = WaitForBox(installer);
        EXPECT_NE(nullptr, confirm.window);
        EXPECT_EQ("Install", confirm.title);
        EXPECT_EQ(confirmText, confirm.text);
        EXPECT_EQ(okCancel, confirm.buttons);
        if (confirm.window != nullptr)
            Answer(confirm, IDOK);
        return installer;
    }

    // Answers the last box, which must say `text` with only an OK button.
    DWORD EndsWith(Program& installer, const std::string& text)
    {
        WaitUntil([&] { Box box = WaitForBox(installer); return box.text == text || !installer.running(); });
        Box last = WaitForBox(installer);
        EXPECT_EQ("Install", last.title);
        EXPECT_EQ(text, last.text);
        EXPECT_EQ(okOnly, last.buttons);
        if (last.window != nullptr)
            Answer(last, IDOK);
        return WaitExit(installer);
    }

    void Install()
    {
        Program installer = StartConfirmed();
        ASSERT_EQ(0u, EndsWith(installer, doneText));
    }
};

TEST_F(Installer, CarriesTheSaverAndItsIconInUsEnglish)
{
    HMODULE module = LoadLibraryExA(InstallerPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    WORD usEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

    HRSRC data = FindResourceExA(module, "DATA", MAKEINTRESOURCEA(10), usEnglish);
    ASSERT_NE(nullptr, data);
    std::string saver = ReadBytes(SaverPath());
    ASSERT_FALSE(saver.empty());
    EXPECT_EQ(saver, std::string(static_cast<const char*>(LockResource(LoadResource(module, data))),
                                 SizeofResource(module, data)));

    // The shell shows a program's first icon group; this is the only one.
    std::vector<std::string> groups;
    EnumResourceNamesA(module, RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(std::vector<std::string>{"INSTALLICON"}, groups);

    HRSRC group = FindResourceExA(module, RT_GROUP_ICON, "INSTALLICON", usEnglish);
    ASSERT_NE(nullptr, group);
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct Group {
        WORD reserved, type, count;
        GroupEntry entries[2];
    };
#pragma pack(pop)
    ASSERT_EQ(6 + 2 * sizeof(GroupEntry), SizeofResource(module, group));
    const Group* icons = static_cast<const Group*>(LockResource(LoadResource(module, group)));
    ASSERT_EQ(2, icons->count);
    const int sizes[] = {32, 16};
    for (int i = 0; i < 2; ++i) {
        const GroupEntry& entry = icons->entries[i];
        SCOPED_TRACE("image " + std::to_string(i + 1));
        EXPECT_EQ(sizes[i], entry.width);
        EXPECT_EQ(sizes[i], entry.height);
        EXPECT_EQ(16, entry.colours);
        EXPECT_EQ(4, entry.bitCount);
        EXPECT_EQ(i + 1, entry.id);
        HRSRC image = FindResourceExA(module, RT_ICON, MAKEINTRESOURCEA(entry.id), usEnglish);
        ASSERT_NE(nullptr, image);
        EXPECT_EQ(entry.bytes, SizeofResource(module, image));
        const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
        EXPECT_EQ(sizes[i], header->biWidth);
        EXPECT_EQ(2 * sizes[i], header->biHeight);  // the colour image and its mask
        EXPECT_EQ(4, header->biBitCount);
    }
    FreeLibrary(module);
}

TEST_F(Installer, CancelAtTheFirstBoxWritesNothing)
{
    Program installer = Start(InstallerPath(), "");
    Box confirm = WaitForBox(installer);
    ASSERT_NE(nullptr, confirm.window);
    EXPECT_EQ(confirmText, confirm.text);
    Answer(confirm, IDCANCEL);
    EXPECT_EQ(1u, WaitExit(installer));
    EXPECT_FALSE(FileExists(Target()));
    EXPECT_EQ("", RegisteredSaver());
}

TEST_F(Installer, FreshInstallWritesTheSaverAndRegistersItsShortPath)
{
    Install();
    EXPECT_EQ(ReadBytes(SaverPath()), ReadBytes(Target()));
    EXPECT_EQ(ShortPathOf(Target()), RegisteredSaver());
    EXPECT_EQ(std::string::npos, RegisteredSaver().find(' '));
    EXPECT_TRUE(TemporaryFilesLeft().empty());
}

TEST_F(Installer, SecondRunAsksNoKeepsTheFileAndYesReplacesIt)
{
    const std::string older = "MZ an older saver";
    ASSERT_TRUE(WriteBytes(Target(), older));
    const std::string question =
        "File : \"" + Target() + "\" already exists   \n\nOverwrite this file ?";

    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "answered Yes" : "answered No");
        WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", nullptr, "system.ini");
        Program installer = StartConfirmed();
        WaitUntil([&] { return WaitForBox(installer).text == question || !installer.running(); });
        Box ask = WaitForBox(installer);
        EXPECT_EQ("Install", ask.title);
        EXPECT_EQ(question, ask.text);
        EXPECT_EQ(yesNo, ask.buttons);
        ASSERT_NE(nullptr, ask.window);
        Answer(ask, answer);
        EXPECT_EQ(0u, EndsWith(installer, doneText));
        EXPECT_EQ(answer == IDYES ? ReadBytes(SaverPath()) : older, ReadBytes(Target()));
        EXPECT_EQ(ShortPathOf(Target()), RegisteredSaver());
        EXPECT_TRUE(TemporaryFilesLeft().empty());
    }
}

// Root writes through the read-only attribute here, so a directory of the
// target's name is what refuses the write.
TEST_F(Installer, TargetThatCannotBeWrittenIsAWriteErrorAndLeavesSystemIniAlone)
{
    ASSERT_TRUE(CreateDirectoryA(Target().c_str(), nullptr));
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", "C:\\WINDOWS\\EARLIER.SCR", "system.ini");
    const std::string systemIni = ReadBytes(InWindowsDir("system.ini"));
    ASSERT_NE(std::string::npos, systemIni.find("EARLIER.SCR"));

    Program installer = StartConfirmed();
    EXPECT_EQ(1u, EndsWith(installer, "Write error"));
    EXPECT_EQ(systemIni, ReadBytes(InWindowsDir("system.ini")));
    EXPECT_TRUE(IsDirectory(Target()));
    EXPECT_TRUE(TemporaryFilesLeft().empty());
}

// The user's journey: the platform starts whatever SCRNSAVE.EXE names, with /s.
TEST_F(Installer, RegisteredSaverRunsFromItsShortPath)
{
    Install();
    std::string registered = RegisteredSaver();
    ASSERT_EQ(ShortPathOf(Target()), registered);

    Program saver = Start(registered, "/s");
    HWND window = WaitForTopWindow(saver, "WindowsScreenSaverClass");
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("Screen Saver", TitleOf(window));

    // The clip plays centred at the default zoom of 200 percent: lit, and moving.
    const RECT clip = {192, 144, 832, 624};
    Screenshot first;
    EXPECT_TRUE(WaitUntil([&] { return (first = CaptureScreen()).LitPixels(clip) > 0; }, 15000));
    EXPECT_TRUE(WaitUntil([&] { return CaptureScreen().pixels != first.pixels; }, 5000));

    PressKey(VK_SPACE);
    EXPECT_EQ(0u, WaitExit(saver));
}

}  // namespace
}  // namespace e2e
