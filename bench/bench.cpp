// Side-by-side measurements of the saver and the reference player, in one
// run, on the same display and the same clip:
//   bench.exe <saver.scr> <reference_player.exe> <i686 saver.scr> [runs] [seconds]
// CPU time over the playback window, time to the first drawn frame, the gap
// at each loop seam, peak working set, and the saver's size without media.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const RECT clipRect = {192, 144, 832, 624};  // 320 x 240 at zoom 200 on 1024 x 768

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
    int width = clipRect.right - clipRect.left, height = clipRect.bottom - clipRect.top;
    Grab()
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
        BitBlt(memory, 0, 0, width, height, screen, clipRect.left, clipRect.top, SRCCOPY);
        GdiFlush();
        const DWORD* pixel = static_cast<const DWORD*>(bits);
        unsigned long long hash = 1469598103934665603ull;
        bool any = false;
        for (int i = 0; i < width * height; i += 3) {
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

double CpuSeconds(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
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
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(program.info.hProcess, &memory, sizeof memory);
    figures.peakWorkingSetKb = static_cast<double>(memory.PeakWorkingSetSize) / 1024.0;
    End(program);
    return figures;
}

// The gap before the clip's first frame comes back, at each loop seam; the
// first frame is recognised by its pixels.
std::vector<double> MeasureSeams(const std::string& commandLine, double clipSeconds, int loops, double* frameMs)
{
    Grab grab;
    double started = Now();
    Program program = Start(commandLine);
    std::vector<double> seams;
    if (WaitFirstFrame(grab, started) < 0) {
        End(program);
        return seams;
    }
    bool lit;
    unsigned long long first = grab.Take(&lit), previous = first;
    double lastChange = Now();
    std::vector<double> intervals;
    double until = Now() + clipSeconds * (loops + 0.5);
    while (Now() < until) {
        unsigned long long hash = grab.Take(&lit);
        if (hash != previous) {
            double now = Now();
            if (hash == first)
                seams.push_back((now - lastChange) * 1000);
            else
                intervals.push_back((now - lastChange) * 1000);
            lastChange = now;
            previous = hash;
        }
        Sleep(1);
    }
    End(program);
    std::sort(intervals.begin(), intervals.end());
    *frameMs = intervals.empty() ? 0 : intervals[intervals.size() / 2];
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

void Row(const char* name, double saver, double reference, const char* target)
{
    std::printf("%-28s %12.1f %12.1f %8.3f   %s\n", name, saver, reference, reference ? saver / reference : 0.0, target);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench.exe <saver.scr> <reference_player.exe> <i686 saver.scr> [runs] [seconds]\n");
        return 2;
    }
    std::string saver = std::string("\"") + argv[1] + "\" /s";
    int runs = argc > 4 ? std::atoi(argv[4]) : 5;
    int seconds = argc > 5 ? std::atoi(argv[5]) : 30;
    SetCursorPos(5, 5);

    // The first run on a fresh prefix writes the media before it plays.
    DeleteFileA(WindowsPath("zolp.avi").c_str());
    DeleteFileA(WindowsPath("zolp.wav").c_str());
    RunFigures fresh = MeasureRun(saver, 0);
    std::string clip = WindowsPath("zolp.avi");
    std::string reference = std::string("\"") + argv[2] + "\" \"" + clip + "\" 200";

    std::vector<double> ttff[2], cpu[2], memory[2];
    for (int run = 0; run < runs; ++run) {
        for (int which = 0; which < 2; ++which) {
            RunFigures figures = MeasureRun(which == 0 ? saver : reference, seconds);
            ttff[which].push_back(figures.firstFrameMs);
            cpu[which].push_back(figures.cpuSeconds);
            memory[which].push_back(figures.peakWorkingSetKb);
            std::printf("run %d %-9s first frame %7.1f ms  cpu %6.3f s  peak working set %8.0f KiB\n", run + 1,
                        which == 0 ? "saver" : "reference", figures.firstFrameMs, figures.cpuSeconds,
                        figures.peakWorkingSetKb);
            std::fflush(stdout);
        }
    }

    double clipSeconds = ClipSeconds(clip);
    double frameMs[2];
    std::vector<double> seams[2] = {MeasureSeams(saver, clipSeconds, 10, &frameMs[0]),
                                    MeasureSeams(reference, clipSeconds, 10, &frameMs[1])};

    std::printf("\nmedians of %d runs, %d s of playback each; clip %.2f s\n", runs, seconds, clipSeconds);
    std::printf("%-28s %12s %12s %8s   %s\n", "figure", "saver", "reference", "ratio", "target");
    Row("CPU time over playback (s)", Median(cpu[0]), Median(cpu[1]), "ratio <= 1.05");
    Row("time to first frame (ms)", Median(ttff[0]), Median(ttff[1]), "ratio <= 1.10");
    Row("peak working set (KiB)", Median(memory[0]), Median(memory[1]), "ratio <= 1.10");
    Row("loop seam gap (ms)", Median(seams[0]), Median(seams[1]), "median <= one frame over the usual");
    Row("usual frame interval (ms)", frameMs[0], frameMs[1], "");
    std::printf("seams seen: saver %zu, reference %zu (of 10)\n", seams[0].size(), seams[1].size());
    std::printf("first run on a fresh prefix, with extraction: %.1f ms to the first frame\n", fresh.firstFrameMs);
    std::printf("size without media: x86_64 %ld bytes, i686 %ld bytes (target i686 <= 32768)\n",
                SizeWithoutMedia(argv[1]), SizeWithoutMedia(argv[3]));
    return 0;
}
