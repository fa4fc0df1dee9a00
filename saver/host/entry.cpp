// Process entry and command-line dispatch of the screen saver.
#include "host.h"
#include "content.h"

HINSTANCE appInstance;
BOOL isWin9xFamily;

static bool IsBlankOrControl(char c)
{
    unsigned char byte = static_cast<unsigned char>(c);
    return byte >= 0x01 && byte <= 0x20;
}

// The program name is the first word of the command line, quoted or not.
// CharNextA keeps us from splitting a double-byte character of the code page.
const char* SkipProgramName(const char* commandLine)
{
    const char* p = commandLine;
    if (*p == '"') {
        p = CharNextA(p);
        while (*p != '\0' && *p != '"')
            p = CharNextA(p);
        if (*p == '"')
            ++p;
    } else if (static_cast<unsigned char>(*p) > 0x20) {
        while (static_cast<unsigned char>(*p) > 0x20)
            p = CharNextA(p);
    }
    while (IsBlankOrControl(*p))
        p = CharNextA(p);
    return p;
}

// Decimal digits only; wraps modulo 2^32 like the platform's own parsers.
DWORD ParseWindowHandle(const char* text)
{
    DWORD value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + static_cast<DWORD>(*text - '0');
    return value;
}

static HWND AsWindow(DWORD handle)
{
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(handle));
}

static const char* SkipSpaces(const char* p)
{
    while (*p == ' ')
        ++p;
    return p;
}

int RunPreview(const char* text)
{
    HWND parent = AsWindow(ParseWindowHandle(text));
    if (parent == nullptr || !IsWindow(parent))
        return -1;
    return RunSaverWindow(parent);
}

int RunConfigDialog(HWND owner)
{
    if (!PrepareConfigDialog(appInstance))
        return 0;
    // Our dialog procedure keeps the screen-saver convention's BOOL result.
    DLGPROC procedure = reinterpret_cast<DLGPROC>(reinterpret_cast<void (*)()>(ScreenSaverConfigureDialog));
    return static_cast<int>(DialogBoxParamA(appInstance, MAKEINTRESOURCEA(2003), owner, procedure, 0));
}

static int RunConfigMode(const char* afterLetter)
{
    HWND owner = nullptr;
    if (*afterLetter == ':')
        owner = AsWindow(ParseWindowHandle(afterLetter + 1));
    if (owner == nullptr || !IsWindow(owner))
        owner = GetForegroundWindow();
    return RunConfigDialog(owner);
}

// The first byte that is not a separator picks the mode. Bytes are signed
// here, so 0x80..0xFF land in the default case with the control bytes.
static int RunMode(const char* args)
{
    for (const char* p = args;; ++p) {
        switch (static_cast<signed char>(*p)) {
        case '\0':
            return RunConfigDialog(nullptr);
        case ' ': case '-': case '/':
            continue;
        case 'S': case 's':
            return RunSaverWindow(nullptr);
        case 'C': case 'c':
            return RunConfigMode(p + 1);
        case 'P': case 'p': case 'L': case 'l':
            return RunPreview(SkipSpaces(p + 1));
        case 'A': case 'a':
            if (!isWin9xFamily)
                return -1;
            return RunChangePassword(SkipSpaces(p + 1));
        default:
            return -1;
        }
    }
}

int SaverMain(HINSTANCE instance, const char* args)
{
    appInstance = instance;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    isWin9xFamily = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    return RunGuarded(RunMode, args);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char* args = SkipProgramName(GetCommandLineA());
    // ExitProcess here, not a return: the run-time's exit processing must not run.
    ExitProcess(static_cast<UINT>(SaverMain(GetModuleHandleA(nullptr), args)));
}
