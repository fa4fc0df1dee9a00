// The two user settings and the private INI file that keeps them.
#include "content.h"
#include "host.h"
#include "resource.h"

LONG zoomPercent;
LONG soundOn;
char iniSection[40] = "avizolp";
char iniFileName[13];

// The names come from the string table, not from literals, so that a
// localised resource can rename the file and the section.
void ReadSettings()
{
    LoadStringA(appInstance, IDS_INI_SECTION, iniSection, sizeof iniSection);
    LoadStringA(appInstance, IDS_INI_FILE, iniFileName, sizeof iniFileName);
    // The profile reader answers UINT; a signed value such as "-20" comes
    // back as its 32-bit pattern, which LONG reads as the number again.
    zoomPercent = static_cast<LONG>(GetPrivateProfileIntA(iniSection, "zoom", defaultZoom, iniFileName));
    soundOn = static_cast<LONG>(GetPrivateProfileIntA(iniSection, "sound", defaultSound, iniFileName));
}

static void WriteSetting(const char* key, LONG value)
{
    char text[12];  // "-2147483648" and its terminator
    wsprintfA(text, "%ld", value);
    WritePrivateProfileStringA(iniSection, key, text, iniFileName);
}

// "zoom" goes first so that a file created here lists it before "sound".
void WriteSettings()
{
    WriteSetting("zoom", zoomPercent);
    WriteSetting("sound", soundOn);
}
