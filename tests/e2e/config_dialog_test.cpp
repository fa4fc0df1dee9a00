// The configuration dialog on the real platform: the template as built, the
// dialog as the platform lays it out, real clicks and keys, what the
// settings file holds afterwards, the exit code, and the owner window.
#include "driver.h"

#include <algorithm>

namespace e2e {
namespace {

const char* const settingsName = "avizolp.ini";

struct Control {
    WORD id;
    const char* className;
    const char* text;
    DWORD style;
    short x, y, width, height;
};

const WORD none = 0xFFFF;
const DWORD label = 0x50020000;     // WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT
const DWORD groupBox = 0x50000007;  // WS_CHILD | WS_VISIBLE | BS_GROUPBOX

// Template order, which is also the tab order.
const Control controls[] = {
    {IDOK, "Button", "OK", 0x50010000, 9, 229, 40, 14},
    {IDCANCEL, "Button", "Cancel", 0x50010000, 159, 229, 40, 14},
    {none, "Static", "Zoom", label, 17, 25, 20, 8},
    {1001, "Edit", "", 0x50810000, 39, 22, 19, 12},
    {1005, "ScrollBar", "", 0x50000001, 57, 22, 10, 12},
    {none, "Static", "percent", label, 71, 25, 42, 8},
    {none, "Button", "Display", groupBox, 9, 7, 116, 39},
    {none, "Button", "Sound", groupBox, 131, 7, 67, 39},
    {1006, "Button", "On", 0x50010002, 142, 24, 25, 10},
    {none, "Button", "Credits", groupBox, 9, 55, 189, 170},
    {none, "Button", "Skorrel Zolp animation", groupBox, 18, 70, 171, 72},
    {none, "Static", "Choreography: procedural sine dance", label, 29, 85, 142, 8},
    {none, "Static", "Figure: lit capsules and spheres", label, 29, 95, 138, 8},
    {none, "Static", "Music: synthesised in C++", label, 29, 105, 117, 8},
    {none, "Static", "Model: built in code, no scan", label, 29, 115, 128, 8},
    {none, "Static", "Tools: our C++ ray tracer, ffmpeg", label, 29, 125, 150, 8},
    {none, "Button", "Screen saver", groupBox, 18, 150, 171, 65},
    {none, "Static", "You can replace the sound file \"zolp.wav\"", label, 29, 165, 142, 8},
    {none, "Static", "in the Windows folder with your own.", label, 29, 175, 155, 8},
    {none, "Static", "More freeware screen savers at :", label, 29, 187, 128, 8},
    {none, "Static", "www.example.com", label, 29, 197, 126, 8},
};
const size_t controlCount = sizeof controls / sizeof controls[0];

// --- the built template, read from the saver's resources ---

// Walks a plain (not extended) dialog template: WORDs, DWORDs, and
// NUL-terminated UTF-16 strings or 0xFFFF-prefixed ordinals.
struct TemplateReader {
    const BYTE* start;
    const BYTE* p;

    WORD Word()
    {
        WORD value;
        memcpy(&value, p, sizeof value);
        p += sizeof value;
        return value;
    }
    DWORD Dword()
    {
        DWORD value;
        memcpy(&value, p, sizeof value);
        p += sizeof value;
        return value;
    }
    short Short() { return static_cast<short>(Word()); }
    std::string Text()
    {
        std::string text;
        for (WORD c; (c = Word()) != 0;)
            text += c < 0x80 ? static_cast<char>(c) : '?';
        return text;
    }
    // A class or menu field: none, an ordinal, or a name.
    std::string NameOrOrdinal()
    {
        WORD first;
        memcpy(&first, p, sizeof first);
        if (first == 0xFFFF) {
            p += 2;
            return "#" + std::to_string(Word());
        }
        return Text();
    }
    void AlignToDword() { p = start + ((p - start + 3) & ~3); }
};

std::string ClassOfAtom(const std::string& field)
{
    if (field == "#128") return "Button";
    if (field == "#129") return "Edit";
    if (field == "#130") return "Static";
    if (field == "#132") return "ScrollBar";
    return field;
}

class SaverResources {
public:
    SaverResources() : module(LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~SaverResources() { FreeLibrary(module); }
    HMODULE module;

    std::string Bytes(LPCSTR type, LPCSTR name, WORD language)
    {
        HRSRC found = FindResourceExA(module, type, name, language);
        if (found == nullptr)
            return std::string();
        const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return std::string(data, SizeofResource(module, found));
    }
    std::string DialogTemplate()
    {
        return Bytes(RT_DIALOG, MAKEINTRESOURCEA(2003), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    }
};

INT_PTR CALLBACK LeaveToThePlatform(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// The saver's dialog laid out a second time, hidden, in the driver. Fonts are
// per process, and the platform converts dialog units (MapDialogRect) only
// for a dialog of the calling process; the layout of both is the same.
struct TwinDialog {
    HWND window = nullptr;

    TwinDialog()
    {
        SaverResources saver;
        std::string bytes = saver.DialogTemplate();
        if (bytes.size() < sizeof(DWORD))
            return;
        DWORD style;
        memcpy(&style, bytes.data(), sizeof style);
        style &= ~static_cast<DWORD>(WS_VISIBLE);
        memcpy(&bytes[0], &style, sizeof style);
        window = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                            reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), nullptr,
                                            LeaveToThePlatform, 0);
    }
    ~TwinDialog()
    {
        if (window != nullptr)
            DestroyWindow(window);
    }
};

class ConfigDialogTemplate : public DriverTest {};

TEST_F(ConfigDialogTemplate, IsThePlainDialogOfTheTable)
{
    SaverResources saver;
    ASSERT_NE(nullptr, saver.module);
    std::string bytes = saver.DialogTemplate();
    ASSERT_FALSE(bytes.empty()) << "no language-neutral dialog 2003";
    TemplateReader in = {reinterpret_cast<const BYTE*>(bytes.data()), reinterpret_cast<const BYTE*>(bytes.data())};

    EXPECT_EQ(0x90C808C0u, in.Dword()) << "style (an extended template starts with 0xFFFF0001)";
    EXPECT_EQ(0u, in.Dword()) << "extended style";
    EXPECT_EQ(controlCount, in.Word());
    EXPECT_EQ(88, in.Short());
    EXPECT_EQ(60, in.Short());
    EXPECT_EQ(209, in.Short());
    EXPECT_EQ(249, in.Short());
    EXPECT_EQ("", in.NameOrOrdinal()) << "menu";
    EXPECT_EQ("", in.NameOrOrdinal()) << "window class";
    EXPECT_EQ("Skorrel Zolp", in.Text());
    EXPECT_EQ(8, in.Word()) << "font size";
    EXPECT_EQ("MS Sans Serif", in.Text());

    for (const Control& expected : controls) {
        SCOPED_TRACE(std::string("control \"") + expected.text + "\" id " + std::to_string(expected.id));
        in.AlignToDword();
        EXPECT_EQ(expected.style, in.Dword());
        EXPECT_EQ(0u, in.Dword()) << "extended style";
        EXPECT_EQ(expected.x, in.Short());
        EXPECT_EQ(expected.y, in.Short());
        EXPECT_EQ(expected.width, in.Short());
        EXPECT_EQ(expected.height, in.Short());
        EXPECT_EQ(expected.id, in.Word());
        EXPECT_EQ(expected.className, ClassOfAtom(in.NameOrOrdinal()));
        EXPECT_EQ(expected.text, in.NameOrOrdinal());
        EXPECT_EQ(0, in.Word()) << "creation data";
    }
    EXPECT_LE(in.p - in.start, static_cast<ptrdiff_t>(bytes.size()));
}

TEST_F(ConfigDialogTemplate, StringTableHoldsOnlyTheThreeStrings)
{
    SaverResources saver;
    ASSERT_NE(nullptr, saver.module);
    const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    std::vector<std::string> found;
    // String n lives in block n / 16 + 1 as the (n % 16)-th counted string.
    for (int block = 1; block <= 4096; ++block) {
        std::string bytes = saver.Bytes(RT_STRING, MAKEINTRESOURCEA(block), english);
        for (size_t offset = 0, index = 0; offset + 2 <= bytes.size(); ++index) {
            WORD length;
            memcpy(&length, bytes.data() + offset, 2);
            std::string text;
            for (WORD i = 0; i < length && offset + 2 + 2 * i + 2 <= bytes.size(); ++i)
                text += bytes[offset + 2 + 2 * i];
            if (length != 0)
                found.push_back(std::to_string((block - 1) * 16 + index) + "=" + text);
            offset += 2 + 2 * static_cast<size_t>(length);
        }
    }
    EXPECT_EQ((std::vector<std::string>{"1=zolp", "1001=avizolp.ini", "1007=avizolp"}), found);
}

// The lines must not wrap or clip at the dialog font.
TEST_F(ConfigDialogTemplate, EveryLabelFitsItsRectangle)
{
    TwinDialog twin;
    ASSERT_NE(nullptr, twin.window);
    int labels = 0;
    for (HWND child = GetWindow(twin.window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) != "Static")
            continue;
        ++labels;
        std::string text = TitleOf(child);
        HDC dc = GetDC(child);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(child, WM_GETFONT, 0, 0)));
        SIZE extent = {};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, previous);
        ReleaseDC(child, dc);
        RECT client;
        GetClientRect(child, &client);
        EXPECT_LE(extent.cx, client.right) << "\"" << text << "\" is wider than its label";
        EXPECT_LE(extent.cy, client.bottom) << "\"" << text << "\" is taller than its label";
    }
    EXPECT_EQ(11, labels);
}

// --- the running dialog ---

std::string TextOf(HWND window)
{
    char text[256] = "";
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND FocusOf(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

// Our own windows must answer while a dialog of another process is owned by
// one of them: the dialog disables and re-enables its owner by message.
void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds = 15000)
{
    return WaitUntil([&] {
        Pump();
        return condition();
    }, milliseconds);
}

// Sent messages overtake queued input, so a look right after a click or a
// key may come before the dialog saw it: wait for the value, then return
// what is there for the comparison.
template <typename Read, typename Value>
Value Eventually(Read read, Value expected)
{
    PumpUntil([&] { return read() == expected; }, 5000);
    return read();
}

HWND WaitForDialog(const Program& saver)
{
    HWND dialog = nullptr;
    PumpUntil([&] { return (dialog = TopWindowOf(saver, "#32770")) != nullptr || !saver.running(); });
    return dialog;
}

DWORD PumpUntilExit(Program& saver)
{
    PumpUntil([&] { return !saver.running(); }, 20000);
    return WaitExit(saver, 0);
}

POINT CentreOf(const RECT& rect)
{
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void ClickAt(POINT point)
{
    Click(point.x, point.y);
    Settle();
}

void ClickOn(HWND control)
{
    ClickAt(CentreOf(ScreenRectOf(control)));
}

// The middle of the caption's close box, as the dialog itself reports it:
// across the caption's middle row, then down the box's middle column.
POINT CloseBoxOf(HWND dialog)
{
    RECT frame = ScreenRectOf(dialog);
    POINT clientOrigin = {0, 0};
    ClientToScreen(dialog, &clientOrigin);
    auto isCloseBox = [&](int x, int y) {
        return SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE;
    };
    int y = (frame.top + clientOrigin.y) / 2;
    int right = frame.right - 1;
    while (right > frame.right - 80 && !isCloseBox(right, y))
        --right;
    int left = right;
    while (left > frame.left && isCloseBox(left - 1, y))
        --left;
    int x = (left + right) / 2;
    int top = y, bottom = y;
    while (top > frame.top && isCloseBox(x, top - 1))
        --top;
    while (bottom < clientOrigin.y && isCloseBox(x, bottom + 1))
        ++bottom;
    return isCloseBox(x, y) ? POINT{x, (top + bottom) / 2} : POINT{-1, -1};
}

void TypeText(const char* text)
{
    for (const char* c = text; *c; ++c)
        PressKey(static_cast<WORD>(VkKeyScanA(*c) & 0xFF));
    Settle();
}

std::string Settings()
{
    return ReadBytes(InWindowsDir(settingsName));
}

class ConfigDialog : public DriverTest {
protected:
    Program saver;
    HWND dialog = nullptr;

    void SetUp() override
    {
        DriverTest::SetUp();
        // The dialog plays nothing: it starts from no settings file on both builds.
        RemoveFile(InWindowsDir(settingsName));
    }

    void Open(const std::string& args = "/c")
    {
        saver = Start(SaverPath(), args);
        dialog = WaitForDialog(saver);
        ASSERT_NE(nullptr, dialog) << "no dialog for " << args;
        // Keys go where the focus is; without a window manager nothing else
        // brings a new process's dialog forward.
        SetForegroundWindow(dialog);
        Settle();
    }
    HWND Item(int id) { return GetDlgItem(dialog, id); }
    void ClickArrow(bool upper)
    {
        RECT arrows = ScreenRectOf(Item(1005));
        ClickAt(POINT{(arrows.left + arrows.right) / 2, upper ? arrows.top + 2 : arrows.bottom - 3});
    }
    void ClickUpperArrow() { ClickArrow(true); }
    void ClickLowerArrow() { ClickArrow(false); }
    // Clicks into the field, deletes what it shows and types the text.
    void TypeIntoField(const char* text)
    {
        ClickOn(Item(1001));
        PressKey(VK_END);
        for (size_t i = Field().size(); i > 0; --i)
            PressKey(VK_BACK);
        TypeText(text);
    }
    std::string Field() { return TextOf(Item(1001)); }
    LRESULT SoundShown() { return SendMessageA(Item(1006), BM_GETCHECK, 0, 0); }

    ::testing::AssertionResult FieldShows(const std::string& expected)
    {
        std::string shown = Eventually([&] { return Field(); }, expected);
        if (shown == expected)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the field shows \"" << shown << "\", not \"" << expected << "\"";
    }
    ::testing::AssertionResult BoxShows(LRESULT expected)
    {
        LRESULT shown = Eventually([&] { return SoundShown(); }, expected);
        if (shown == expected)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the check box state is " << shown << ", not " << expected;
    }
    ::testing::AssertionResult FocusIsOn(int id)
    {
        HWND focus = Eventually([&] { return FocusOf(dialog); }, Item(id));
        if (focus == Item(id))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the focus is on control " << GetDlgCtrlID(focus) << ", not " << id;
    }
};

TEST_F(ConfigDialog, OpensWithTheDefaultsAndTheLayoutOfTheTemplate)
{
    Open();
    EXPECT_EQ("Skorrel Zolp", TitleOf(dialog));
    EXPECT_EQ("200", Field());
    EXPECT_EQ(BST_CHECKED, SoundShown());
    EXPECT_TRUE(FocusIsOn(IDOK));
    EXPECT_EQ(nullptr, GetWindow(dialog, GW_OWNER));

    TwinDialog twin;
    ASSERT_NE(nullptr, twin.window);
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const Control& expected : controls) {
        SCOPED_TRACE(std::string("control \"") + expected.text + "\" id " + std::to_string(expected.id));
        ASSERT_NE(nullptr, child);
        EXPECT_EQ(expected.id, LOWORD(GetDlgCtrlID(child)));
        EXPECT_EQ(expected.className, ClassOf(child));
        if (expected.id != 1001) {
            EXPECT_EQ(expected.text, TextOf(child));
        }
        // Position and size convert separately, as the dialog manager does;
        // converting the far corner instead can round one pixel apart.
        RECT pixels = {expected.x, expected.y, expected.width, expected.height};
        ASSERT_TRUE(MapDialogRect(twin.window, &pixels));
        RECT placed = RectInParent(child);
        EXPECT_EQ(pixels.left, placed.left);
        EXPECT_EQ(pixels.top, placed.top);
        EXPECT_EQ(pixels.right, placed.right - placed.left) << "width";
        EXPECT_EQ(pixels.bottom, placed.bottom - placed.top) << "height";
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(nullptr, child) << "more controls than the template's";

    // Tab walks OK, Cancel, the field, the check box, and round again.
    for (int id : {IDCANCEL, 1001, 1006, IDOK}) {
        PressKey(VK_TAB);
        EXPECT_TRUE(FocusIsOn(id)) << "after a Tab";
    }
    EXPECT_FALSE(FileExists(InWindowsDir(settingsName)));
}

TEST_F(ConfigDialog, ArrowsCheckBoxAndTypingThenOkSaveTheFile)
{
    Open();
    ClickUpperArrow();
    EXPECT_TRUE(FieldShows("210"));
    ClickLowerArrow();
    ClickLowerArrow();
    EXPECT_TRUE(FieldShows("190"));

    ClickOn(Item(1006));
    EXPECT_TRUE(BoxShows(BST_UNCHECKED));
    ClickOn(Item(1006));
    EXPECT_TRUE(BoxShows(BST_CHECKED));
    ClickOn(Item(1006));
    EXPECT_TRUE(BoxShows(BST_UNCHECKED));

    TypeIntoField("300");
    EXPECT_TRUE(FieldShows("300"));

    ClickOn(Item(IDOK));
    EXPECT_EQ(1u, PumpUntilExit(saver));
    EXPECT_EQ("[avizolp]\r\nzoom=300\r\nsound=0\r\n", Settings());
}

TEST_F(ConfigDialog, TypedTextThenTheUpperArrowStepsTheOpeningValue)
{
    Open();
    TypeIntoField("300");
    EXPECT_TRUE(FieldShows("300"));
    ClickUpperArrow();
    EXPECT_TRUE(FieldShows("210"));
}

TEST_F(ConfigDialog, CancelEscapeAndTheCloseBoxSaveNothing)
{
    enum Way { cancelButton, escapeKey, closeBox };
    for (Way way : {cancelButton, escapeKey, closeBox}) {
        SCOPED_TRACE(way == cancelButton ? "Cancel" : way == escapeKey ? "Escape" : "close box");
        Open();
        ClickUpperArrow();
        ClickOn(Item(1006));
        ASSERT_TRUE(FieldShows("210"));
        if (way == cancelButton) {
            ClickOn(Item(IDCANCEL));
        } else if (way == escapeKey) {
            PressKey(VK_ESCAPE);
        } else {
            POINT box = CloseBoxOf(dialog);
            ASSERT_GE(box.x, 0) << "no close box found";
            ClickAt(box);
        }
        EXPECT_EQ(0u, PumpUntilExit(saver));
        EXPECT_FALSE(FileExists(InWindowsDir(settingsName)));
    }
}

// The platform's profile reader decides what a value means; the dialog
// only bounds it, and OK writes the sound back as it was read.
TEST_F(ConfigDialog, AnySettingsFileOpensBounded)
{
    std::vector<std::string> contents = {
        "[avizolp]\r\nzoom=99999999999999999999\r\nsound=-1\r\n",
        "[avizolp]\r\nzoom=-5\r\nsound=2\r\n",
        "[avizolp]\r\nzoom=0x1F4\r\nsound=0x1\r\n",
        "[avizolp]\r\nzoom=garbage\r\nsound=on\r\n",
        "[avizolp]\nzoom=  450  \nsound=\n",
        std::string("\xFF\xFE\0[avizolp\r\nzoom=[]\r\n\x01\x02", 24),
        "[avizolp]\r\nzoom=" + std::string(100000, '9') + "\r\nsound=" + std::string(5000, '-') + "\r\n",
    };
    const std::string path = InWindowsDir(settingsName);
    for (const std::string& content : contents) {
        SCOPED_TRACE("file: " + content.substr(0, 60));
        ASSERT_TRUE(WriteBytes(path, content));
        LONG zoom = static_cast<LONG>(GetPrivateProfileIntA("avizolp", "zoom", 200, path.c_str()));
        LONG sound = static_cast<LONG>(GetPrivateProfileIntA("avizolp", "sound", 1, path.c_str()));
        LONG shown = zoom > 500 || zoom < 50 ? 200 : zoom;

        Open();
        EXPECT_EQ(std::to_string(shown), Field());
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(1u, PumpUntilExit(saver));
        char text[64] = "";
        GetPrivateProfileStringA("avizolp", "zoom", "", text, sizeof text, path.c_str());
        EXPECT_EQ(std::to_string(shown), text);
        GetPrivateProfileStringA("avizolp", "sound", "", text, sizeof text, path.c_str());
        EXPECT_EQ(std::to_string(sound), text);
        RemoveFile(path);
    }
}

TEST_F(ConfigDialog, AnyFieldTextSavesABoundedNumber)
{
    struct Case {
        const char* typed;
        const char* stored;
    } cases[] = {{"12345", "500"}, {"-20", "50"}, {"abc", "50"}, {"   75", "50"}, {"99.9", "99"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("typed: ") + c.typed);
        Open();
        SendMessageA(Item(1001), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.typed));
        ClickOn(Item(IDOK));
        EXPECT_EQ(1u, PumpUntilExit(saver));
        EXPECT_EQ(std::string("[avizolp]\r\nzoom=") + c.stored + "\r\nsound=1\r\n", Settings());
        RemoveFile(InWindowsDir(settingsName));
    }
}

TEST_F(ConfigDialog, AnUnwritableSettingsFileStillEndsAsASave)
{
    const std::string path = InWindowsDir(settingsName);
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    Open();
    EXPECT_EQ("200", Field());
    ClickOn(Item(IDOK));
    EXPECT_EQ(1u, PumpUntilExit(saver));
    EXPECT_TRUE(IsDirectory(path));
    RemoveFile(path);
}

// A driver window that can own the dialog.
HWND CreateOwnerWindow(const char* title)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "DialogOwner";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "DialogOwner", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST_F(ConfigDialog, TheOwnerIsTheNamedWindowOrElseTheForegroundWindow)
{
    HWND named = CreateOwnerWindow("Display settings");
    HWND front = CreateOwnerWindow("In front");
    ASSERT_TRUE(named != nullptr && front != nullptr);
    const std::string handle = std::to_string(reinterpret_cast<uintptr_t>(named));
    struct Case {
        std::string args;
        HWND owner;
    } cases[] = {{"/c:" + handle, named}, {"/c:0", front}, {"/c 123", front}, {"-C:" + handle, named}};
    for (const Case& c : cases) {
        SCOPED_TRACE("arguments: " + c.args);
        SetForegroundWindow(front);
        PumpUntil([&] { return GetForegroundWindow() == front; }, 2000);
        saver = Start(SaverPath(), c.args);
        dialog = WaitForDialog(saver);
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(c.owner, GetWindow(dialog, GW_OWNER));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(0u, PumpUntilExit(saver));
    }
    DestroyWindow(named);
    DestroyWindow(front);
}

}  // namespace
}  // namespace e2e
