// The least a video screen saver can do, as a yardstick for ours: a black
// full-screen window with the clip on the "avivideo" device as its child, at
// a given zoom, replayed from the start on each end notification.
//   reference_player.exe <clip path> <zoom percent>
#include <windows.h>
#include <mmsystem.h>
#include <digitalv.h>
#include <stdlib.h>

static MCIDEVICEID device;

static void Play(HWND window)
{
    MCI_PLAY_PARMS play = {};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(window);
    mciSendCommandA(device, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
}

static void Replay(HWND window)
{
    MCI_SEEK_PARMS seek = {};
    mciSendCommandA(device, MCI_SEEK, MCI_SEEK_TO_START, reinterpret_cast<DWORD_PTR>(&seek));
    Play(window);
}

static bool OpenClip(HWND window, const char* path, int zoom)
{
    MCI_DGV_OPEN_PARMSA open = {};
    open.lpstrElementName = const_cast<char*>(path);
    open.dwStyle = WS_CHILD;
    open.hWndParent = window;
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_DGV_OPEN_WS | MCI_DGV_OPEN_PARENT,
                        reinterpret_cast<DWORD_PTR>(&open)))
        return false;
    device = open.wDeviceID;

    MCI_DGV_WINDOW_PARMSA show = {};
    show.nCmdShow = SW_SHOW;
    mciSendCommandA(device, MCI_WINDOW, MCI_DGV_WINDOW_STATE, reinterpret_cast<DWORD_PTR>(&show));
    MCI_DGV_STATUS_PARMSA status = {};
    status.dwItem = MCI_DGV_STATUS_HWND;
    mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
    HWND video = reinterpret_cast<HWND>(status.dwReturn);
    MCI_DGV_RECT_PARMS source = {};
    mciSendCommandA(device, MCI_WHERE, MCI_DGV_WHERE_SOURCE, reinterpret_cast<DWORD_PTR>(&source));

    RECT client;
    GetClientRect(window, &client);
    int width = source.rc.right * zoom / 100, height = source.rc.bottom * zoom / 100;
    MoveWindow(video, client.right / 2 - width / 2, client.bottom / 2 - height / 2, width, height, TRUE);
    MCI_DGV_RECT_PARMS destination = {};
    destination.rc = RECT{0, 0, width, height};
    mciSendCommandA(device, MCI_PUT, MCI_DGV_PUT_DESTINATION | MCI_DGV_RECT,
                    reinterpret_cast<DWORD_PTR>(&destination));
    return true;
}

static LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case MM_MCINOTIFY:
        if (wParam == MCI_NOTIFY_SUCCESSFUL)
            Replay(window);
        return 0;
    case WM_DESTROY:
        mciSendCommandA(device, MCI_CLOSE, 0, 0);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 3)
        return 2;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PlayerProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "ReferencePlayer";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "ReferencePlayer", "Reference", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  instance, nullptr);
    if (!window || !OpenClip(window, __argv[1], atoi(__argv[2])))
        return 1;
    Play(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
