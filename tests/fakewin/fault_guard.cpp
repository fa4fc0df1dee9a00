// The native tier has no structured exceptions: the guard just runs the mode,
// and says so in the log so that tests can see where the guard stands.
#include "fakewin.h"
#include "host.h"

int RunGuarded(int (*mode)(const char*), const char* args)
{
    fake::calls.push_back("RunGuarded()");
    return mode(args);
}
