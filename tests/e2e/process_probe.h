// What a running process holds, read from outside it. Wine answers
// GetProcessHandleCount, GetGuiResources and the PrivateUsage of
// GetProcessMemoryInfo with 0 for another process, and GetProcessTimes with
// the times of its first thread only; so the figures come from the system's
// process list, the process's own GDI handle table and the window list.
#pragma once
#include <windows.h>

namespace probe {

struct Holdings {
    unsigned long handles = 0;            // kernel object handles
    unsigned long gdiObjects = 0;         // live entries of its GDI handle table, stock objects included
    unsigned long windows = 0;            // windows it owns, top-level and child: its USER objects
    unsigned long long privateBytes = 0;          // committed private memory: its private regions, summed
    unsigned long long residentPrivateBytes = 0;  // how much of that is in memory
    unsigned long long peakWorkingSet = 0;
    double cpuSeconds = 0;                // user + kernel time of all its threads
};

// Reads the holdings of a process opened with query and read access.
bool Read(HANDLE process, Holdings* holdings);

}  // namespace probe
