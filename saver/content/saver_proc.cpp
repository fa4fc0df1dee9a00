// The saver procedure: the content of the saver window. It sets up the clip
// and the sound when the window is created, loops the clip on each end
// notification, and releases everything when the window goes.
#include "content.h"
#include "host.h"

// Only the clip is looked at: a sound the user put in its place is theirs.
static bool ClipFileExists()
{
    HANDLE file = CreateFileA(aviPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// Without the device there is nothing to show, and no reason to write files
// or to start the sound. An empty path (a Windows directory too long for it)
// names no file to test, write or play.
static void OnCreate(HWND window)
{
    if (!ProbeVideoDevice())
        return;
    if (FormMediaPath(aviPath, clipFileName) && !ClipFileExists())
        ExtractMedia();
    ReadSettings();
    OpenVideo(window);
    if (videoOpen)
        SetPlayback(window, 1);
    if (soundOn == 1 && FormMediaPath(wavPath, soundFileName))
        PlaySoundA(wavPath, nullptr, SND_FILENAME | SND_LOOP | SND_ASYNC);
}

// A superseded, aborted or failed play is not the end of the clip. The seek
// needs a record: some devices refuse a null one, and the clip would freeze
// on its last frame.
static void OnPlayEnded(HWND window, WPARAM code)
{
    if (code != MCI_NOTIFY_SUCCESSFUL)
        return;
    videoPlaying = FALSE;
    MCI_SEEK_PARMS seek = {};
    mciSendCommandA(videoDeviceId, MCI_SEEK, MCI_SEEK_TO_START, reinterpret_cast<DWORD_PTR>(&seek));
    SetPlayback(window, 1);
}

// Every step runs whatever creation achieved; each is harmless on its own
// when there is nothing to stop or close.
static void OnDestroy(HWND window)
{
    PlaySoundA(nullptr, nullptr, 0);
    SetPlayback(window, 0);
    CloseVideo(window);
    CloseVideoDevice();
    PostQuitMessage(0);
}

extern "C" LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case MM_MCINOTIFY:
        OnPlayEnded(window, wParam);
        return 0;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    }
    return DefaultSaverProc(window, message, wParam, lParam);
}
