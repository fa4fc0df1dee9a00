// Fuzzes the whole way from a raw command line to the chosen mode's result,
// against the stand-in platform. Any byte sequence must give a defined
// result, and a rejected command line must create no window.
#include <cstdlib>
#include <cstring>
#include <string>

#include "content.h"
#include "fakewin.h"
#include "host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fake::Reset();
    isPreviewMode = FALSE;
    saverWindow = nullptr;
    closeApproved = 0;
    // The first byte scripts the platform: the family, and whether the
    // window handles on the command line exist.
    DWORD platform = size > 0 && (data[0] & 1) ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT;
    bool handlesExist = size > 0 && (data[0] & 2);
    fake::platformId = platform;
    fake::answers.IsWindow = [handlesExist](HWND) { return handlesExist ? TRUE : FALSE; };
    fake::answers.DialogBoxParamA = [](HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) -> INT_PTR { return 1; };

    fake::commandLine.assign(reinterpret_cast<const char*>(data), size);
    const char* line = fake::commandLine.c_str();
    const char* args = SkipProgramName(line);
    if (args < line || args > line + std::strlen(line))
        std::abort();

    int result = SaverMain(fake::moduleInstance, args);
    bool createdWindow = !fake::CallsNamed({"CreateWindowExA"}).empty();
    if (result != -1 && result != 0 && result != 1)
        std::abort();
    if (result == -1 && createdWindow)
        std::abort();
    return 0;
}
