// The video saver: settings, media extraction, video playback, the saver
// procedure and the configuration dialog.
#pragma once
#include <windows.h>

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
