// Stand-in of the multimedia header: MCI and the sound player.
#pragma once
#include <windows.h>

typedef DWORD MCIERROR;
typedef UINT MCIDEVICEID;

#define MM_MCINOTIFY 0x03B9
#define MCI_NOTIFY_SUCCESSFUL 0x0001
#define MCI_NOTIFY_SUPERSEDED 0x0002
#define MCI_NOTIFY_ABORTED 0x0004
#define MCI_NOTIFY_FAILURE 0x0008

#define MCI_OPEN 0x0803
#define MCI_CLOSE 0x0804
#define MCI_PLAY 0x0806
#define MCI_SEEK 0x0807
#define MCI_PAUSE 0x0809
#define MCI_STATUS 0x0814
#define MCI_WINDOW 0x0841
#define MCI_PUT 0x0842
#define MCI_WHERE 0x0843

#define MCI_NOTIFY 0x00000001L
#define MCI_WAIT 0x00000002L
#define MCI_FROM 0x00000004L
#define MCI_TO 0x00000008L
#define MCI_OPEN_ELEMENT 0x00000200L
#define MCI_OPEN_TYPE 0x00002000L
#define MCI_STATUS_ITEM 0x00000100L
#define MCI_SEEK_TO_START 0x00000100L

typedef struct tagMCI_GENERIC_PARMS { DWORD_PTR dwCallback; } MCI_GENERIC_PARMS;
typedef struct tagMCI_PLAY_PARMS { DWORD_PTR dwCallback; DWORD dwFrom; DWORD dwTo; } MCI_PLAY_PARMS;
typedef struct tagMCI_SEEK_PARMS { DWORD_PTR dwCallback; DWORD dwTo; } MCI_SEEK_PARMS;
typedef struct tagMCI_OPEN_PARMSA {
    DWORD_PTR dwCallback;
    MCIDEVICEID wDeviceID;
    LPCSTR lpstrDeviceType;
    LPCSTR lpstrElementName;
    LPCSTR lpstrAlias;
} MCI_OPEN_PARMSA;

MCIERROR WINAPI mciSendCommandA(MCIDEVICEID device, UINT command, DWORD_PTR flags, DWORD_PTR parameters);
MCIDEVICEID WINAPI mciGetDeviceIDA(LPCSTR device);

#define SND_SYNC 0x0000
#define SND_ASYNC 0x0001
#define SND_NODEFAULT 0x0002
#define SND_LOOP 0x0008
#define SND_FILENAME 0x00020000L
BOOL WINAPI PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags);
