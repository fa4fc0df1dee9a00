// The clip and the sound travel inside the program as resources; the device
// and the sound player play only files, so they are written into the Windows
// directory when the clip is not there.
#include "content.h"
#include "host.h"
#include "resource.h"

char aviPath[MAX_PATH];
char wavPath[MAX_PATH];

static const char tempPrefix[] = "zol";

// The Windows directory with one trailing backslash (a drive's root already
// has it), then the name. False, with an empty path, when the directory is
// unknown or the whole path would not fit: a path cut short would name some
// other file.
bool FormMediaPath(char (&path)[MAX_PATH], const char* fileName)
{
    UINT length = GetWindowsDirectoryA(path, MAX_PATH);
    UINT separator = length > 0 && length < MAX_PATH && path[length - 1] != '\\' ? 1 : 0;
    if (length == 0 || length + separator + lstrlenA(fileName) + 1 > MAX_PATH) {
        path[0] = '\0';
        return false;
    }
    if (separator)
        lstrcatA(path, "\\");
    lstrcatA(path, fileName);
    return true;
}

static bool WriteWhole(const char* path, const void* bytes, DWORD size)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL wrote = WriteFile(file, bytes, size, &written, nullptr);
    // A full disk can show first at the close.
    BOOL closed = CloseHandle(file);
    return wrote && written == size && closed;
}

// Windows 95/98 have no MoveFileExA and their MoveFileA will not overwrite.
// The old file is worth nothing here (it is about to be replaced by the very
// same bytes, or it is a clip that could not be opened), so it simply goes.
static bool Replace(const char* from, const char* to)
{
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return false;
    DeleteFileA(to);
    return MoveFileA(from, to) != FALSE;
}

// A file reaches its final name only with every byte in it: a clip cut short
// there would be found on every later run and never written again. The
// temporary name is unique, so a preview and a full-screen saver extracting
// at the same moment cannot write into each other's file; the later replace
// simply wins with the same bytes.
static void WriteMediaFile(const char* fileName, const void* bytes, DWORD size)
{
    char target[MAX_PATH];
    if (bytes == nullptr || size == 0 || !FormMediaPath(target, fileName))
        return;
    char directory[MAX_PATH];
    lstrcpynA(directory, target, lstrlenA(target) - lstrlenA(fileName) + 1);
    char temporary[MAX_PATH];
    if (GetTempFileNameA(directory, tempPrefix, 0, temporary) == 0)
        return;
    if (!WriteWhole(temporary, bytes, size) || !Replace(temporary, target))
        DeleteFileA(temporary);
}

static void ExtractResource(int id, const char* fileName)
{
    HRSRC found = FindResourceA(appInstance, MAKEINTRESOURCEA(id), "DATA");
    HGLOBAL loaded = found != nullptr ? LoadResource(appInstance, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    DWORD size = bytes != nullptr ? SizeofResource(appInstance, found) : 0;
    WriteMediaFile(fileName, bytes, size);
    FreeResource(loaded);
}

// The clip goes first: it is the file whose absence makes a run extract.
void ExtractMedia()
{
    ExtractResource(IDR_CLIP, clipFileName);
    ExtractResource(IDR_SOUND, soundFileName);
}
