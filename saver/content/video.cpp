// The clip on the platform's digital-video device: it decodes and draws into a
// window of its own, a child of the saver window, which we size, centre and
// watch for input.
#include "content.h"
#include "host.h"
#include <digitalv.h>

MCIDEVICEID videoDeviceId;
BOOL videoOpen;
BOOL videoPlaying;
HWND videoWindow;
LONG videoInputCount;

// An instance opened by type alone is known by its type name, which is how
// CloseVideoDevice finds the probe's instance again.
static char videoDeviceType[] = "avivideo";

// The fourth key or mouse move over the clip ends the saver.
static const LONG videoInputLimit = 3;

static MCIERROR SendVideoCommand(MCIDEVICEID device, UINT command, DWORD flags, void* record)
{
    return mciSendCommandA(device, command, flags, reinterpret_cast<DWORD_PTR>(record));
}

int ProbeVideoDevice()
{
    MCI_DGV_OPEN_PARMSA open = {};
    open.lpstrDeviceType = videoDeviceType;
    return SendVideoCommand(0, MCI_OPEN, MCI_OPEN_TYPE, &open) == 0;
}

void CloseVideoDevice()
{
    MCI_GENERIC_PARMS close = {};
    SendVideoCommand(mciGetDeviceIDA(videoDeviceType), MCI_CLOSE, 0, &close);
}

// Records start zeroed: a query that fails leaves zeros, so an unknown
// window is null and an unknown source size gives an empty window.
static void ShowDeviceWindow()
{
    MCI_DGV_WINDOW_PARMSA show = {};
    show.nCmdShow = SW_SHOW;
    SendVideoCommand(videoDeviceId, MCI_WINDOW, MCI_DGV_WINDOW_STATE, &show);
    MCI_DGV_STATUS_PARMSA status = {};
    status.dwItem = MCI_DGV_STATUS_HWND;
    SendVideoCommand(videoDeviceId, MCI_STATUS, MCI_STATUS_ITEM, &status);
    videoWindow = reinterpret_cast<HWND>(status.dwReturn);
}

// No device type is named: the platform picks the device by the extension.
void OpenVideo(HWND parent)
{
    if (videoOpen)
        CloseVideo(parent);
    MCI_DGV_OPEN_PARMSA open = {};
    open.lpstrElementName = aviPath;
    open.dwStyle = WS_CHILD;
    open.hWndParent = parent;
    // An empty path is one that did not fit: there is no file to name.
    videoOpen = aviPath[0] != '\0' &&
                SendVideoCommand(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_DGV_OPEN_WS | MCI_DGV_OPEN_PARENT, &open) == 0;
    if (videoOpen) {
        videoDeviceId = open.wDeviceID;
        ShowDeviceWindow();
        FitVideoWindow(parent);
        videoInputCount = 0;
        // The preview sits in the display settings, where input must not end
        // anything: its clip keeps the device's own procedure.
        if (!isPreviewMode)
            SetWindowLongPtrA(videoWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(VideoWindowProc));
    }
    InvalidateRect(parent, nullptr, FALSE);
    UpdateWindow(parent);
}

// The factor is single precision, which shows for odd sizes (333 at 100
// percent gives 332). The settings file may hold any zoom, so the product is
// held within an int before the conversion.
static int ScaledSize(LONG source, LONG zoom)
{
    float factor = static_cast<float>(source) / 100.0f;
    double size = static_cast<double>(zoom) * factor;
    if (size >= 2147483647.0)
        return 0x7FFFFFFF;
    if (size <= -2147483648.0)
        return -0x7FFFFFFF - 1;
    return static_cast<int>(size);
}

void FitVideoWindow(HWND parent)
{
    if (!videoOpen)
        return;
    RECT client = {};
    GetClientRect(parent, &client);
    MCI_DGV_RECT_PARMS source = {};
    SendVideoCommand(videoDeviceId, MCI_WHERE, MCI_DGV_WHERE_SOURCE, &source);
    if (isPreviewMode)
        zoomPercent = 50;
    // MCI rectangles hold the size where a RECT holds the far corner.
    int width = ScaledSize(source.rc.right, zoomPercent);
    int height = ScaledSize(source.rc.bottom, zoomPercent);
    // Each half fits an int, and so does their difference.
    MoveWindow(videoWindow, client.right / 2 - width / 2, client.bottom / 2 - height / 2, width, height, TRUE);
    // Some devices draw at the source size in the window's corner until they
    // are told where the picture goes; where a device stretches anyway, this
    // changes nothing.
    MCI_DGV_PUT_PARMS destination = {};
    destination.rc = RECT{0, 0, width, height};
    SendVideoCommand(videoDeviceId, MCI_PUT, MCI_DGV_PUT_DESTINATION | MCI_DGV_RECT, &destination);
}

// Without MCI_FROM and MCI_TO the play runs from where the clip stands to its
// end. MCI takes the notification window from the low word alone.
void SetPlayback(HWND notifyWindow, int run)
{
    videoPlaying = !videoPlaying;
    if (!run)
        videoPlaying = FALSE;
    if (videoPlaying) {
        MCI_PLAY_PARMS play = {};
        play.dwCallback = LOWORD(reinterpret_cast<DWORD_PTR>(notifyWindow));
        SendVideoCommand(videoDeviceId, MCI_PLAY, MCI_NOTIFY, &play);
    } else {
        MCI_GENERIC_PARMS pause = {};
        SendVideoCommand(videoDeviceId, MCI_PAUSE, 0, &pause);
    }
}

// The device destroys its window with the clip; the handle must not outlive it.
void CloseVideo(HWND parent)
{
    MCI_GENERIC_PARMS close = {};
    SendVideoCommand(videoDeviceId, MCI_CLOSE, 0, &close);
    videoPlaying = FALSE;
    videoOpen = FALSE;
    videoWindow = nullptr;
    InvalidateRect(parent, nullptr, TRUE);
    UpdateWindow(parent);
}

// With a password in force the close has to go through the verifier, which
// only a close request reaches; without one the clip ends the saver at once.
// Destroying the saver window destroys this window too: nothing may touch
// it afterwards.
static void EndSaverFromClip()
{
    if (verifierProc != nullptr)
        PostMessageA(saverWindow, WM_CLOSE, 0, 0);
    else
        DestroyWindow(saverWindow);
}

static void OnVideoInput()
{
    if (videoInputCount <= videoInputLimit)
        ++videoInputCount;
    if (videoInputCount > videoInputLimit)
        EndSaverFromClip();
}

// The device erases its window black and draws the frame over it; with its
// procedure gone, the default would erase with the device's class brush,
// which flashes grey over the clip whenever the window is shown, moved or
// uncovered.
static LRESULT OnVideoEraseBackground(HWND window, HDC dc)
{
    RECT client = {};
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return 1;
}

// The device's own procedure is never called again: the clip's window is
// judged by the saver's rules, as part of the saver window. A close of the
// clip's window alone (DefaultSaverProc raises it for a middle click over the
// clip) would leave a black saver that input can no longer end, so it
// becomes a close of the saver window.
LRESULT CALLBACK VideoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return OnVideoEraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_CLOSE:
        PostMessageA(saverWindow, WM_CLOSE, 0, 0);
        return 0;
    case WM_KEYDOWN: case WM_MOUSEMOVE:
        OnVideoInput();
        return 0;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
        EndSaverFromClip();
        return 0;
    }
    return DefaultSaverProc(window, message, wParam, lParam);
}
