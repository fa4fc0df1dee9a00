// Settings: where the names come from, what is read with which defaults, and
// what is written in which order.
#include "test_support.h"

namespace {

class Settings : public PlatformTest {};

TEST_F(Settings, ReadLoadsTheNamesThenBothKeysWithTheirDefaults)
{
    ReadSettings();
    EXPECT_TRUE(SameCalls(
        {
            "LoadStringA(0x400000, 1007, 40)",
            "LoadStringA(0x400000, 1001, 13)",
            "GetPrivateProfileIntA(\"avizolp\", \"zoom\", 200, \"avizolp.ini\")",
            "GetPrivateProfileIntA(\"avizolp\", \"sound\", 1, \"avizolp.ini\")",
        },
        fake::calls));
    EXPECT_EQ(200, zoomPercent);
    EXPECT_EQ(1, soundOn);
}

TEST_F(Settings, ReadAppliesNoBound)
{
    struct Case {
        const char* zoom;
        const char* sound;
        LONG zoomPercent;
        LONG soundOn;
    } cases[] = {
        {"1000", "2", 1000, 2}, {"49", "0", 49, 0}, {"-20", "-1", -20, -1},
        {"2147483647", "4294967295", 2147483647, -1}, {"0", "7", 0, 7},
    };
    for (const Case& c : cases) {
        fake::profile["avizolp.ini|avizolp|zoom"] = c.zoom;
        fake::profile["avizolp.ini|avizolp|sound"] = c.sound;
        ReadSettings();
        EXPECT_EQ(c.zoomPercent, zoomPercent) << "zoom=" << c.zoom;
        EXPECT_EQ(c.soundOn, soundOn) << "sound=" << c.sound;
    }
}

TEST_F(Settings, ReadTakesTheNamesFromTheStringTableEveryTime)
{
    ReadSettings();
    fake::strings[1001] = "other.ini";
    fake::strings[1007] = "elsewhere";
    fake::profile["other.ini|elsewhere|zoom"] = "300";
    fake::calls.clear();
    ReadSettings();
    EXPECT_EQ(300, zoomPercent);
    EXPECT_STREQ("elsewhere", iniSection);
    EXPECT_STREQ("other.ini", iniFileName);
}

TEST_F(Settings, LongNamesAreCutToTheirBuffers)
{
    fake::strings[1001] = "averyverylongname.ini";
    fake::strings[1007] = std::string(60, 's');
    ReadSettings();
    EXPECT_STREQ("averyverylon", iniFileName);
    EXPECT_EQ(std::string(39, 's'), iniSection);
}

TEST_F(Settings, WriteStoresZoomThenSoundAsDecimalText)
{
    struct Case {
        LONG zoom, sound;
        const char* zoomText;
        const char* soundText;
    } cases[] = {
        {200, 1, "200", "1"}, {50, 0, "50", "0"}, {500, 2, "500", "2"},
        {-2147483647 - 1, 2147483647, "-2147483648", "2147483647"},
    };
    ReadSettings();
    for (const Case& c : cases) {
        fake::calls.clear();
        zoomPercent = c.zoom;
        soundOn = c.sound;
        WriteSettings();
        EXPECT_TRUE(SameCalls(
            {
                std::string("WritePrivateProfileStringA(\"avizolp\", \"zoom\", \"") + c.zoomText +
                    "\", \"avizolp.ini\")",
                std::string("WritePrivateProfileStringA(\"avizolp\", \"sound\", \"") + c.soundText +
                    "\", \"avizolp.ini\")",
            },
            fake::calls));
    }
}

}  // namespace
