// The installer's run: one straight sequence from the confirmation box to the
// registration of the saver in system.ini.
#include "installer.h"
#include "resource.h"

static const char caption[] = "Install";
static const char saverFileName[] = "Skorrel Zolp.scr";
static const char tempPrefix[] = "zol";

static int Ask(const char* text, UINT style)
{
    return MessageBoxA(nullptr, text, caption, style);
}

static int ReportWriteError()
{
    Ask("Write error", MB_OK | MB_ICONHAND);
    return 1;
}

// The Windows directory with one trailing backslash (a drive's root already
// has it). False when there is none, or when the saver's name would not fit
// behind it in a path: wsprintfA knows nothing of our buffer's size.
static bool GetInstallDirectory(char (&directory)[MAX_PATH])
{
    UINT length = GetWindowsDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    UINT separator = directory[length - 1] != '\\' ? 1 : 0;
    if (length + separator + sizeof saverFileName > MAX_PATH)
        return false;
    if (separator)
        lstrcatA(directory, "\\");
    return true;
}

// A file that exists but cannot be read counts as absent: there is nothing
// to ask about, and the write decides.
static bool CanRead(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

static bool WriteWhole(const char* path, const void* bytes, DWORD size)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL wrote = WriteFile(file, bytes, size, &written, nullptr);
    // The close can be where a full disk or a lost network drive shows.
    BOOL closed = CloseHandle(file);
    return wrote && written == size && closed;
}

// Windows 95/98 have no MoveFileExA, and their MoveFileA will not overwrite:
// the old saver steps aside under a temporary name and comes back if the new
// one cannot take its place.
static bool ReplaceStepAside(const char* directory, const char* from, const char* to)
{
    if (MoveFileA(from, to))
        return true;
    char aside[MAX_PATH];
    if (GetTempFileNameA(directory, tempPrefix, 0, aside) == 0)
        return false;
    DeleteFileA(aside);  // MoveFileA wants the name free, not the placeholder
    if (!MoveFileA(to, aside))
        return false;
    if (MoveFileA(from, to)) {
        DeleteFileA(aside);
        return true;
    }
    MoveFileA(aside, to);
    return false;
}

static bool Replace(const char* directory, const char* from, const char* to)
{
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED && ReplaceStepAside(directory, from, to);
}

// The saver reaches its final name only once every byte of it is on disk, so
// a failed write never leaves a broken saver where a working one was. The
// temporary file sits beside the target: the same volume, so the replace is
// a rename.
static bool InstallPayload(const char* directory, const char* target, const void* bytes, DWORD size)
{
    if (bytes == nullptr || size == 0)
        return false;
    char temporary[MAX_PATH];
    if (GetTempFileNameA(directory, tempPrefix, 0, temporary) == 0)
        return false;
    if (WriteWhole(temporary, bytes, size) && Replace(directory, temporary, target))
        return true;
    DeleteFileA(temporary);
    return false;
}

// The 8.3 form keeps the space of "Skorrel Zolp.scr" away from whoever reads
// SCRNSAVE.EXE. Without one, the long path still names the file.
static void RegisterSaver(const char* path)
{
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(path, shortPath, MAX_PATH);
    const char* value = length > 0 && length < MAX_PATH ? shortPath : path;
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", value, "system.ini");
}

int RunInstaller(HINSTANCE instance)
{
    if (Ask("Install Skorrel Zolp Screensaver ?    ", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return 1;
    char directory[MAX_PATH];
    if (!GetInstallDirectory(directory))
        return ReportWriteError();

    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(IDR_SAVER), "DATA");
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const void* payload = loaded != nullptr ? LockResource(loaded) : nullptr;

    char target[MAX_PATH];
    wsprintfA(target, "%s%s", directory, saverFileName);
    bool overwrite = true;
    if (CanRead(target)) {
        char question[360];
        wsprintfA(question, "File : \"%s\" already exists   \n\nOverwrite this file ?", target);
        overwrite = Ask(question, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
    }
    if (overwrite) {
        DWORD size = found != nullptr ? SizeofResource(instance, found) : 0;
        if (!InstallPayload(directory, target, payload, size))
            return ReportWriteError();
        FreeResource(loaded);
    }

    RegisterSaver(target);
    Ask("      Saver installed       ", MB_OK);
    return 0;
}
