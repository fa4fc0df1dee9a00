// Side-by-side measurements of the saver and the reference player, in one
// run, on the same display and the same clip:
//   bench.exe <saver.scr> <reference_player.exe> <i686 saver.scr> [runs] [seconds] [loops]
// CPU time over the playback window, time to the first drawn frame, the gap
// at each loop seam, peak working set, and the saver's size without media.
#include <windows.h>

#include "../tests/e2e/process_probe.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const RECT clipRect = {192, 144, 832, 624};  // 320 x 240 at zoom 200 on 1024 x 768
const RECT bandRect = {192, 376, 832, 392};  // 16 rows through the figure's middle

double Now()
{
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string WindowsPath(const char* name)
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\" + name;
}

// The clip rectangle's pixels; a hash tells frames apart.
struct Grab {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap;
    RECT area;
    int width, height;
    explicit Grab(const RECT& rect = clipRect)
        : area(rect), width(rect.right - rect.left), height(rect.bottom - rect.top)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(memory, bitmap);
    }
    ~Grab()
    {
        DeleteDC(memory);
        DeleteObject(bitmap);
        ReleaseDC(nullptr, screen);
    }
    // Returns the frame's hash; lit tells whether anything but black shows.
    unsigned long long Take(bool* lit)
    {
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        const DWORD* pixel = static_cast<const DWORD*>(bits);
        unsigned long long hash = 1469598103934665603ull;
        bool any = false;
        for (int i = 0; i < width * height; ++i) {
            DWORD value = pixel[i] & 0xFFFFFF;
            any = any || value != 0;
            hash = (hash ^ value) * 1099511628211ull;
        }
        *lit = any;
        return hash;
    }
};

struct Program {
    PROCESS_INFORMATION info = {};
};

Program Start(const std::string& commandLine)
{
    Program program;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &program.info)) {
        std::fprintf(stderr, "bench: cannot start %s\n", commandLine.c_str());
        std::exit(1);
    }
    return program;
}

BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM processId)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(processId))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void End(Program& program)
{
    EnumWindows(CloseWindowsOf, static_cast<LPARAM>(program.info.dwProcessId));
    if (WaitForSingleObject(program.info.hProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(program.info.hProcess, 1);
        WaitForSingleObject(program.info.hProcess, 5000);
    }
    CloseHandle(program.info.hProcess);
    CloseHandle(program.info.hThread);
}

// All threads' CPU time: the clip is decoded on a thread of the device's.
double CpuSeconds(HANDLE process)
{
    probe::Holdings holdings;
    return probe::Read(process, &holdings) ? holdings.cpuSeconds : 0;
}

// Waits for the first frame; returns its time after start, or a negative value.
double WaitFirstFrame(Grab& grab, double started)
{
    while (Now() - started < 30) {
        bool lit;
        grab.Take(&lit);
        if (lit)
            return Now() - started;
        Sleep(2);
    }
    return -1;
}

struct RunFigures {
    double firstFrameMs, cpuSeconds, peakWorkingSetKb;
};

RunFigures MeasureRun(const std::string& commandLine, int seconds)
{
    Grab grab;
    double started = Now();
    Program program = Start(commandLine);
    RunFigures figures = {};
    figures.firstFrameMs = WaitFirstFrame(grab, started) * 1000;
    if (seconds > 0) {
        double cpuBefore = CpuSeconds(program.info.hProcess);
        Sleep(static_cast<DWORD>(seconds) * 1000);
        figures.cpuSeconds = CpuSeconds(program.info.hProcess) - cpuBefore;
    }
    probe::Holdings holdings;
    probe::Read(program.info.hProcess, &holdings);
    figures.peakWorkingSetKb = static_cast<double>(holdings.peakWorkingSet) / 1024.0;
    End(program);
    return figures;
}

// The times at which the picture changed, over the given span after the first
// frame. A band of rows through the figure is enough to see every new frame,
// and grabbing it takes well under a millisecond; the grabs follow each other
// without a sleep, which could last several milliseconds, and take one of the
// two cores while the program under test has the other.
std::vector<double> FrameTimes(const std::string& commandLine, double seconds)
{
    Grab grab;
    double started = Now();
    Program program = Start(commandLine);
    std::vector<double> times;
    if (WaitFirstFrame(grab, started) >= 0) {
        Grab band(bandRect);
        bool lit;
        unsigned long long previous = band.Take(&lit);
        double first = Now();
        times.push_back(first);
        for (double now = first; now - first < seconds; now = Now()) {
            unsigned long long hash = band.Take(&lit);
            if (hash != previous)
                times.push_back(now);
            previous = hash;
        }
    }
    End(program);
    return times;
}

struct Seams {
    std::vector<double> gapsMs;  // the longest picture interval around each seam
    double frameMs = 0;          // the median picture interval
};

// The clip loops without a visible jump, so the seam is found by time: within
// a second around where each pass should end, the longest interval between
// two pictures spans the seam. Where the restart costs nothing, that is just
// the longest ordinary interval there, so the figure can only overstate.
Seams MeasureSeams(const std::string& commandLine, double clipSeconds, int loops)
{
    std::vector<double> times = FrameTimes(commandLine, clipSeconds * (loops + 0.5));
    Seams seams;
    std::vector<double> intervals;
    for (size_t i = 1; i < times.size(); ++i)
        intervals.push_back((times[i] - times[i - 1]) * 1000);
    if (intervals.empty())
        return seams;
    std::vector<double> sorted = intervals;
    std::sort(sorted.begin(), sorted.end());
    seams.frameMs = sorted[sorted.size() / 2];
    double passStart = times.front();
    for (int loop = 0; loop < loops; ++loop) {
        double expected = passStart + clipSeconds;
        size_t longest = 0;
        for (size_t i = 1; i < times.size(); ++i)
            if (times[i] > expected - 0.4 && times[i] < expected + 0.6 &&
                (longest == 0 || intervals[i - 1] > intervals[longest - 1]))
                longest = i;
        if (longest == 0)
            break;
        seams.gapsMs.push_back(intervals[longest - 1]);
        passStart = times[longest];
    }
    return seams;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The clip's length from its AVI main header: microseconds per frame, frames.
double ClipSeconds(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char header[256] = {};
    DWORD read = 0;
    ReadFile(file, header, sizeof header, &read, nullptr);
    CloseHandle(file);
    std::string bytes(header, read);
    size_t avih = bytes.find("avih");
    if (avih == std::string::npos || avih + 32 > bytes.size())
        return 8.1;
    DWORD microseconds, frames;
    memcpy(&microseconds, header + avih + 8, 4);
    memcpy(&frames, header + avih + 8 + 16, 4);
    return microseconds * static_cast<double>(frames) / 1e6;
}

// The program file's size less its two media resources.
long SizeWithoutMedia(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    long size = static_cast<long>(GetFileSize(file, nullptr));
    CloseHandle(file);
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    for (int id : {200, 201})
        if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "DATA"))
            size -= static_cast<long>(SizeofResource(module, found));
    FreeLibrary(module);
    return size;
}

void Row(const char* name, const double (&figures)[3], const char* target, int decimals = 1)
{
    std::printf("%-28s %12.*f %12.*f %12.*f %8.3f   %s\n", name, decimals, figures[0], decimals, figures[1], decimals,
                figures[2], figures[2] ? figures[0] / figures[2] : 0.0, target);
}

void SetSaverSound(bool on)
{
    if (on)
        DeleteFileA(WindowsPath("avizolp.ini").c_str());
    else
        WritePrivateProfileStringA("avizolp", "sound", "0", "avizolp.ini");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench.exe <saver.scr> <reference_player.exe> <i686 saver.scr>"
                             " [runs] [seconds] [loops]\n");
        return 2;
    }
    std::string saver = std::string("\"") + argv[1] + "\" /s";
    int runs = argc > 4 ? std::atoi(argv[4]) : 5;
    int seconds = argc > 5 ? std::atoi(argv[5]) : 30;
    int loops = argc > 6 ? std::atoi(argv[6]) : 10;
    SetCursorPos(5, 5);

    // The first run on a fresh prefix writes the media before it plays.
    DeleteFileA(WindowsPath("zolp.avi").c_str());
    DeleteFileA(WindowsPath("zolp.wav").c_str());
    SetSaverSound(true);
    RunFigures fresh = MeasureRun(saver, 0);
    std::string clip = WindowsPath("zolp.avi");
    std::string reference = std::string("\"") + argv[2] + "\" \"" + clip + "\" 200";

    // The saver as users get it, the saver with its sound off (the reference
    // plays none), and the reference; in turn, so that drift hits all three.
    const char* names[3] = {"saver", "silent", "reference"};
    std::vector<double> ttff[3], cpu[3], memory[3];
    for (int run = 0; run < runs; ++run) {
        for (int which = 0; which < 3; ++which) {
            SetSaverSound(which == 0);
            RunFigures figures = MeasureRun(which == 2 ? reference : saver, seconds);
            ttff[which].push_back(figures.firstFrameMs);
            cpu[which].push_back(figures.cpuSeconds);
            memory[which].push_back(figures.peakWorkingSetKb);
            std::printf("run %d %-9s first frame %7.1f ms  cpu %6.3f s  peak working set %8.0f KiB\n", run + 1,
                        names[which], figures.firstFrameMs, figures.cpuSeconds, figures.peakWorkingSetKb);
            std::fflush(stdout);
        }
    }

    // A start is over in a moment, and its time varies with Wine's own start
    // by tens of milliseconds; more starts, ended at the first frame, steady
    // the median.
    for (int start = 0; start < 2 * runs; ++start) {
        for (int which = 0; which < 3; ++which) {
            SetSaverSound(which == 0);
            ttff[which].push_back(MeasureRun(which == 2 ? reference : saver, 0).firstFrameMs);
        }
    }

    double clipSeconds = ClipSeconds(clip);
    Seams seams[3];
    for (int which = 0; which < 3; ++which) {
        SetSaverSound(which == 0);
        seams[which] = MeasureSeams(which == 2 ? reference : saver, clipSeconds, loops);
    }
    SetSaverSound(true);

    auto medians = [](const std::vector<double> (&values)[3], double (&out)[3]) -> const double (&)[3] {
        for (int which = 0; which < 3; ++which)
            out[which] = Median(values[which]);
        return out;
    };
    double row[3];
    std::printf("\nmedians of %d runs, %d s of playback each (first frame: of %d starts); clip %.2f s;"
                " ratio is saver / reference\n",
                runs, seconds, 3 * runs, clipSeconds);
    std::printf("%-28s %12s %12s %12s %8s   %s\n", "figure", "saver", "saver silent", "reference", "ratio",
                "target");
    Row("CPU time over playback (s)", medians(cpu, row), "ratio <= 1.05", 3);
    Row("time to first frame (ms)", medians(ttff, row), "ratio <= 1.10");
    Row("peak working set (KiB)", medians(memory, row), "ratio <= 1.10");
    std::vector<double> gaps[3] = {seams[0].gapsMs, seams[1].gapsMs, seams[2].gapsMs};
    Row("picture interval (ms)", {seams[0].frameMs, seams[1].frameMs, seams[2].frameMs}, "median, between seams");
    Row("interval at the seam (ms)", medians(gaps, row), "median of the seams");
    Row("seam delay (ms)",
        {row[0] - seams[0].frameMs, row[1] - seams[1].frameMs, row[2] - seams[2].frameMs},
        "at the seam less usual; target <= 33");
    std::printf("seams found: %zu, %zu, %zu (of %d)\n", seams[0].gapsMs.size(), seams[1].gapsMs.size(),
                seams[2].gapsMs.size(), loops);
    std::printf("first run on a fresh prefix, with extraction: %.1f ms to the first frame\n", fresh.firstFrameMs);
    std::printf("size without media: x86_64 %ld bytes, i686 %ld bytes (target i686 <= 32768)\n",
                SizeWithoutMedia(argv[1]), SizeWithoutMedia(argv[3]));
    return 0;
}
