// The installer: puts the screen saver it carries into the Windows directory
// and makes it the current screen saver.
#pragma once
#include <windows.h>

// One run, from the confirmation to the last box; returns the exit code.
int RunInstaller(HINSTANCE instance);
