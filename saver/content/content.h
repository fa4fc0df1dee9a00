// The video saver: settings, media extraction, video playback, the saver
// procedure and the configuration dialog.
#pragma once
#include <windows.h>
#include <mmsystem.h>

// --- Exported by name for the platform's screen-saver convention ---
extern "C" LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
extern "C" BOOL WINAPI ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PrepareConfigDialog(HINSTANCE instance);

// --- Settings (settings.cpp) ---
extern LONG zoomPercent;      // clip size in percent of its frame size; unbounded as read
extern LONG soundOn;          // 1 plays the looping sound; anything else is off
extern char iniSection[40];   // section name, loaded from the string table
extern char iniFileName[13];  // settings file name (8.3), loaded from the string table
void ReadSettings();
void WriteSettings();
const LONG defaultZoom = 200;  // "zoom" when the file has none
const LONG defaultSound = 1;   // "sound" when the file has none

// --- Media extraction (media.cpp) ---
const char clipFileName[] = "zolp.avi";
const char soundFileName[] = "zolp.wav";
extern char aviPath[MAX_PATH];  // the clip in the Windows directory; empty when the path would not fit
extern char wavPath[MAX_PATH];  // the sound beside it; formed only when the sound is on
bool FormMediaPath(char (&path)[MAX_PATH], const char* fileName);
void ExtractMedia();

// --- Video playback (video.cpp) ---
extern MCIDEVICEID videoDeviceId;  // the clip's device, from its last successful open
extern BOOL videoOpen;             // the clip is open on the device
extern BOOL videoPlaying;          // a play was asked for last, not a pause or a close
extern HWND videoWindow;           // the device's own window, a child of the saver window
extern LONG videoInputCount;       // keys and mouse moves counted over the clip
int ProbeVideoDevice();
void CloseVideoDevice();
void OpenVideo(HWND parent);
void FitVideoWindow(HWND parent);
void SetPlayback(HWND notifyWindow, int run);
void CloseVideo(HWND parent);
LRESULT CALLBACK VideoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
