// Reads a process's holdings from outside it (see process_probe.h).
#include "process_probe.h"

#include <winternl.h>

#include <vector>

namespace probe {

namespace {

// The system's process list entry, as far as these figures go.
struct ProcessEntry {
    ULONG nextEntryOffset;
    ULONG numberOfThreads;
    LARGE_INTEGER reserved[3];
    LARGE_INTEGER createTime;
    LARGE_INTEGER userTime;
    LARGE_INTEGER kernelTime;
    UNICODE_STRING imageName;
    LONG basePriority;
    HANDLE uniqueProcessId;
    HANDLE inheritedFromUniqueProcessId;
    ULONG handleCount;
    ULONG sessionId;
    ULONG_PTR pageDirectoryBase;
    SIZE_T peakVirtualSize;
    SIZE_T virtualSize;
    ULONG pageFaultCount;
    SIZE_T peakWorkingSetSize;
    SIZE_T workingSetSize;
    SIZE_T quotaPeakPagedPoolUsage;
    SIZE_T quotaPagedPoolUsage;
    SIZE_T quotaPeakNonPagedPoolUsage;
    SIZE_T quotaNonPagedPoolUsage;
    SIZE_T pagefileUsage;  // Wine: the private memory in use
    SIZE_T peakPagefileUsage;
    SIZE_T privatePageCount;
};

const ULONG systemProcessInformation = 5;

bool ReadProcessList(DWORD processId, Holdings* holdings)
{
    std::vector<char> list(256 * 1024);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(systemProcessInformation),
                                              list.data(), static_cast<ULONG>(list.size()), &needed)) ==
           static_cast<NTSTATUS>(0xC0000004L))  // STATUS_INFO_LENGTH_MISMATCH
        list.resize(list.size() * 2);
    if (status != 0)
        return false;
    for (size_t offset = 0;;) {
        const ProcessEntry* entry = reinterpret_cast<const ProcessEntry*>(list.data() + offset);
        if (reinterpret_cast<ULONG_PTR>(entry->uniqueProcessId) == processId) {
            holdings->residentPrivateBytes = entry->pagefileUsage;
            holdings->peakWorkingSet = entry->peakWorkingSetSize;
            holdings->cpuSeconds = static_cast<double>(entry->userTime.QuadPart + entry->kernelTime.QuadPart) / 1e7;
            return true;
        }
        if (entry->nextEntryOffset == 0)
            return false;
        offset += entry->nextEntryOffset;
    }
}

// The system's handle list holds one entry per open handle of every process.
const ULONG systemHandleInformation = 16;

bool CountHandles(DWORD processId, unsigned long* count)
{
    std::vector<char> list(1024 * 1024);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(systemHandleInformation),
                                              list.data(), static_cast<ULONG>(list.size()), &needed)) ==
           static_cast<NTSTATUS>(0xC0000004L))
        list.resize(list.size() * 2);
    if (status != 0)
        return false;
    const SYSTEM_HANDLE_INFORMATION* handles = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(list.data());
    *count = 0;
    for (ULONG i = 0; i < handles->Count; ++i)
        *count += handles->Handle[i].OwnerPid == processId;
    return true;
}

// Private committed memory: what the process allocated for itself.
unsigned long long CommittedPrivateBytes(HANDLE process)
{
    unsigned long long total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* address = nullptr;
         VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        if (static_cast<const char*>(region.BaseAddress) + region.RegionSize < address)
            break;
    }
    return total;
}

// One entry of a GDI handle table; a nonzero type marks a live object.
struct GdiEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 userPointer;
};
const size_t gdiTableEntries = 0x10000;
#if defined(_WIN64)
const size_t gdiTableInPeb = 0xF8;
#else
const size_t gdiTableInPeb = 0x94;
#endif

// Wine keeps one GDI handle table per process, named in its PEB, so every
// live entry is the process's own.
bool CountGdiObjects(HANDLE process, unsigned long* count)
{
    PROCESS_BASIC_INFORMATION basic = {};
    ULONG length = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0)
        return false;
    void* table = nullptr;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + gdiTableInPeb, &table,
                           sizeof table, &read) ||
        table == nullptr)
        return false;
    std::vector<GdiEntry> entries(gdiTableEntries);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiEntry), &read))
        return false;
    *count = 0;
    for (const GdiEntry& entry : entries)
        *count += entry.type != 0;
    return true;
}

struct WindowCount {
    DWORD processId;
    unsigned long count;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM context)
{
    WindowCount* windows = reinterpret_cast<WindowCount*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    windows->count += owner == windows->processId;
    return TRUE;
}

BOOL CALLBACK CountTopWindow(HWND window, LPARAM context)
{
    CountWindow(window, context);
    EnumChildWindows(window, CountWindow, context);
    return TRUE;
}

}  // namespace

bool Read(HANDLE process, Holdings* holdings)
{
    DWORD processId = GetProcessId(process);
    WindowCount windows = {processId, 0};
    EnumWindows(CountTopWindow, reinterpret_cast<LPARAM>(&windows));
    holdings->windows = windows.count;
    holdings->privateBytes = CommittedPrivateBytes(process);
    return ReadProcessList(processId, holdings) && CountHandles(processId, &holdings->handles) &&
           CountGdiObjects(process, &holdings->gdiObjects);
}

}  // namespace probe
