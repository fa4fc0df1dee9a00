// A long run of the full-screen saver: once the clip has looped, its handles,
// GDI objects, windows and private memory must stay where they were. The
// normal test run soaks for 3 minutes; bench/soak.sh asks for longer through
// AVIZOLP_SOAK_MINUTES.
#include "driver.h"
#include "process_probe.h"

#include <cstdio>
#include <cstdlib>

namespace e2e {
namespace {

int SoakMinutes()
{
    char text[16];
    DWORD length = GetEnvironmentVariableA("AVIZOLP_SOAK_MINUTES", text, sizeof text);
    int minutes = length > 0 && length < sizeof text ? std::atoi(text) : 0;
    return minutes > 0 ? minutes : 3;
}

void Print(const char* when, const probe::Holdings& now)
{
    std::printf("%-10s handles %lu, GDI objects %lu, windows %lu, private %llu KiB (%llu KiB resident), CPU %.2f s\n",
                when, now.handles, now.gdiObjects, now.windows, now.privateBytes / 1024,
                now.residentPrivateBytes / 1024, now.cpuSeconds);
    std::fflush(stdout);
}

// Room for a heap to commit one more block of its own; a leak of a decoded
// frame (225 KiB) in any loop passes it. How much of the committed memory is
// resident still rises in the first minute, as pages are first touched, so
// that figure is shown, not held to the first loop's.
const unsigned long long privateSlack = 128 * 1024;

class Soak : public DriverTest {};

// The probe itself must see a process take things, or the soak proves nothing.
TEST_F(Soak, ProbeSeesWhatAProcessTakes)
{
    probe::Holdings before;
    ASSERT_TRUE(probe::Read(GetCurrentProcess(), &before));
    std::vector<HANDLE> events;
    std::vector<HGDIOBJ> brushes;
    for (int i = 0; i < 20; ++i) {
        events.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    }
    HWND window =
        CreateWindowExA(0, "STATIC", "probe", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, window, nullptr, nullptr, nullptr);
    const SIZE_T size = 8 << 20;
    char* memory = static_cast<char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    for (SIZE_T i = 0; i < size; i += 4096)
        memory[i] = 1;
    for (volatile unsigned spin = 0; spin < 200000000u; spin = spin + 1) {
    }

    probe::Holdings after;
    ASSERT_TRUE(probe::Read(GetCurrentProcess(), &after));
    Print("before", before);
    Print("after", after);
    EXPECT_GE(after.handles, before.handles + 20);
    EXPECT_GE(after.gdiObjects, before.gdiObjects + 20);
    EXPECT_GE(after.windows, before.windows + 2);
    EXPECT_GE(after.privateBytes, before.privateBytes + size);
    EXPECT_GT(after.cpuSeconds, before.cpuSeconds);

    VirtualFree(memory, 0, MEM_RELEASE);
    DestroyWindow(child);
    DestroyWindow(window);
    for (size_t i = 0; i < events.size(); ++i) {
        CloseHandle(events[i]);
        DeleteObject(brushes[i]);
    }
}

TEST_F(Soak, LongRunHoldsItsResources)
{
    Program saver = Start(SaverPath(), "/s");
    ASSERT_NE(nullptr, WaitForTopWindow(saver, "WindowsScreenSaverClass"));
    // The first pass of the 8-second clip sets up everything that stays.
    Sleep(10000);
    probe::Holdings first;
    ASSERT_TRUE(probe::Read(saver.info.hProcess, &first));
    Print("first loop", first);
    const RECT clip = {192, 144, 832, 624};
    const int minutes = SoakMinutes();
    for (int minute = 1; minute <= minutes; ++minute) {
        Sleep(60000);
        ASSERT_TRUE(saver.running()) << "the saver ended during minute " << minute;
        probe::Holdings now;
        ASSERT_TRUE(probe::Read(saver.info.hProcess, &now));
        char when[16];
        std::snprintf(when, sizeof when, "minute %d", minute);
        Print(when, now);
        EXPECT_LE(now.handles, first.handles) << when;
        EXPECT_LE(now.gdiObjects, first.gdiObjects) << when;
        EXPECT_LE(now.windows, first.windows) << when;
        EXPECT_LE(now.privateBytes, first.privateBytes + privateSlack) << when;
    }
    // Still playing: the clip shows and moves.
    Screenshot before = CaptureScreen();
    Sleep(500);
    Screenshot after = CaptureScreen();
    EXPECT_GT(before.LitPixels(clip), 0);
    EXPECT_NE(before.pixels, after.pixels);
    // And still a screen saver: a key ends it with 0.
    PressKey(VK_SPACE);
    EXPECT_EQ(0u, WaitExit(saver));
}

}  // namespace
}  // namespace e2e
