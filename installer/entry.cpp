// Process entry of the installer. The command line and the show flag mean
// nothing to it; only our module is needed, to find the saver it carries.
#include "installer.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunInstaller(instance);
}
