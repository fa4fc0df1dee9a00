// Stand-in of the digital-video MCI header.
#pragma once
#include <mmsystem.h>

#define MCI_DGV_OPEN_WS 0x00010000L
#define MCI_DGV_OPEN_PARENT 0x00020000L
#define MCI_DGV_RECT 0x00010000L
#define MCI_DGV_PUT_DESTINATION 0x00040000L
#define MCI_DGV_WHERE_SOURCE 0x00020000L
#define MCI_DGV_WINDOW_STATE 0x00040000L
#define MCI_DGV_STATUS_HWND 0x00004001L

typedef struct {
    DWORD_PTR dwCallback;
    MCIDEVICEID wDeviceID;
    LPSTR lpstrDeviceType;
    LPSTR lpstrElementName;
    LPSTR lpstrAlias;
    DWORD dwStyle;
    HWND hWndParent;
} MCI_DGV_OPEN_PARMSA;

typedef struct {
    DWORD_PTR dwCallback;
    HWND hWnd;
    UINT nCmdShow;
    LPSTR lpstrText;
} MCI_DGV_WINDOW_PARMSA;

typedef struct {
    DWORD_PTR dwCallback;
    DWORD_PTR dwReturn;
    DWORD dwItem;
    DWORD dwTrack;
    LPSTR lpstrDrive;
    DWORD dwReference;
} MCI_DGV_STATUS_PARMSA;

typedef struct {
    DWORD_PTR dwCallback;
    RECT rc;
} MCI_DGV_RECT_PARMS;
typedef MCI_DGV_RECT_PARMS MCI_DGV_PUT_PARMS;
typedef MCI_DGV_RECT_PARMS MCI_DGV_WHERE_PARMS;
