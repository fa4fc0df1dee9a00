// The configuration dialog: zoom and sound.
#include "content.h"
#include "resource.h"

static const LONG smallestZoom = 50;
static const LONG largestZoom = 500;
static const LONG zoomStep = 10;

static HWND zoomEdit;       // the zoom field
static HWND zoomScrollBar;  // its arrows; only their range is ever set
static HWND soundCheckBox;  // a manual check box: it flips only when we flip it

// A typed or stepped value beyond a bound is pulled to the nearer bound.
static LONG BoundZoom(LONG zoom)
{
    if (zoom <= smallestZoom)
        zoom = smallestZoom;
    if (zoom >= largestZoom)
        zoom = largestZoom;
    return zoom;
}

static bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The C library's atoi, without its undefined overflow: a magnitude beyond
// what LONG holds saturates. (Only four characters ever arrive here.)
static LONG ParseDecimal(const char* text)
{
    const LONG largest = 0x7FFFFFFF;
    while (IsSpace(*text))
        ++text;
    bool negative = *text == '-';
    if (*text == '+' || *text == '-')
        ++text;
    LONG magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        LONG digit = *text - '0';
        magnitude = magnitude > (largest - digit) / 10 ? largest : magnitude * 10 + digit;
    }
    return negative ? -magnitude : magnitude;
}

static void ShowZoom()
{
    char text[12];
    wsprintfA(text, "%ld", zoomPercent);
    SetWindowTextA(zoomEdit, text);
}

static BOOL OnInitDialog(HWND dialog)
{
    ReadSettings();
    // A hand-edited value outside the range starts over from the default;
    // a bound itself is a value the dialog could have stored.
    if (zoomPercent > largestZoom || zoomPercent < smallestZoom)
        zoomPercent = defaultZoom;
    soundCheckBox = GetDlgItem(dialog, IDC_SOUND);
    zoomScrollBar = GetDlgItem(dialog, IDC_ZOOM_ARROWS);
    zoomEdit = GetDlgItem(dialog, IDC_ZOOM);
    SetScrollRange(zoomScrollBar, SB_CTL, smallestZoom, largestZoom, FALSE);
    ShowZoom();
    // The stored value goes to the box as it is, so OK without a click
    // writes back whatever the file held.
    SendMessageA(soundCheckBox, BM_SETCHECK, static_cast<WPARAM>(soundOn), 0);
    return TRUE;  // the platform focuses the first tab stop, OK
}

// The arrows step the stored value, not the field: text typed since the last
// step is replaced.
static void OnVScroll(WORD code)
{
    if (code == SB_LINEUP)
        zoomPercent += zoomStep;
    else if (code == SB_LINEDOWN)
        zoomPercent -= zoomStep;
    zoomPercent = BoundZoom(zoomPercent);
    ShowZoom();
}

static void OnOk(HWND dialog)
{
    char text[5] = "";  // the first four characters of the field at most
    GetWindowTextA(zoomEdit, text, sizeof text);
    zoomPercent = BoundZoom(ParseDecimal(text));
    WriteSettings();
    EndDialog(dialog, 1);
}

static void OnSoundClicked(HWND button)
{
    LRESULT shown = SendMessageA(button, BM_GETCHECK, 0, 0);
    SendMessageA(button, BM_SETCHECK, shown == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED, 0);
    soundOn = static_cast<LONG>(SendMessageA(soundCheckBox, BM_GETCHECK, 0, 0));
}

// The dialog's value becomes the exit code: 1 after a save, 0 without.
// Escape and the caption's close box arrive here as IDCANCEL.
static BOOL OnCommand(HWND dialog, WORD id, HWND control)
{
    switch (id) {
    case IDOK:
        OnOk(dialog);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_SOUND:
        OnSoundClicked(control);
        return FALSE;
    }
    return FALSE;
}

extern "C" BOOL WINAPI ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam));
        return FALSE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
    }
    return FALSE;
}

BOOL PrepareConfigDialog(HINSTANCE)
{
    return TRUE;
}
