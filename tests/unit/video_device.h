// A stand-in "avivideo" device for the tests of the clip and the saver
// procedure, answering through fake::answers.mciSendCommandA as the platform's
// device does: an open by type alone, an open of a clip file (one that exists
// in the stand-in's files and starts as a RIFF file) with a window of its own
// as a child of the given parent, the window handle and source size queries,
// and close. Every other request succeeds and changes nothing.
#pragma once
#include <digitalv.h>

#include "test_support.h"

struct VideoDevice {
    bool typeOpens = true;           // the device type exists
    bool reportsWindow = true;       // MCI_STATUS of the window handle succeeds
    RECT source = {0, 0, 320, 240};  // MCI_WHERE's answer, in the MCI manner
    // Filled as requests arrive.
    bool probeOpen = false;
    bool clipOpen = false;
    HWND window = nullptr;  // the device's own window, once the clip is open
};

inline VideoDevice videoDevice;
const MCIDEVICEID probeDeviceId = 1;
const MCIDEVICEID clipDeviceId = 2;
const MCIERROR deviceRefuses = 263;  // MCIERR_INVALID_DEVICE_NAME

// The device window's own procedure: it only shows up in the log, so a test
// sees whether anything still calls it.
inline LRESULT CALLBACK DeviceWindowProc(HWND window, UINT message, WPARAM, LPARAM)
{
    fake::calls.push_back("DeviceWindowProc(" + fake::Handle(window) + ", " + fake::MessageName(message) + ")");
    return 0;
}

inline MCIERROR AnswerOpen(MCI_DGV_OPEN_PARMSA* open, DWORD_PTR flags)
{
    if (flags & MCI_OPEN_TYPE) {
        if (!videoDevice.typeOpens)
            return deviceRefuses;
        videoDevice.probeOpen = true;
        open->wDeviceID = probeDeviceId;
        return 0;
    }
    auto file = fake::files.find(open->lpstrElementName);
    if (!videoDevice.typeOpens || file == fake::files.end() || file->second.compare(0, 4, "RIFF") != 0)
        return deviceRefuses;
    videoDevice.clipOpen = true;
    videoDevice.window = fake::NewWindow(RECT{0, 0, 320, 240}, DeviceWindowProc, open->hWndParent);
    open->wDeviceID = clipDeviceId;
    return 0;
}

inline MCIERROR AnswerClose(MCIDEVICEID device)
{
    bool& open = device == probeDeviceId ? videoDevice.probeOpen : videoDevice.clipOpen;
    if ((device != probeDeviceId && device != clipDeviceId) || !open)
        return deviceRefuses;
    open = false;
    return 0;
}

inline MCIERROR AnswerVideoRequest(MCIDEVICEID device, UINT command, DWORD_PTR flags, DWORD_PTR record)
{
    switch (command) {
    case MCI_OPEN:
        return AnswerOpen(reinterpret_cast<MCI_DGV_OPEN_PARMSA*>(record), flags);
    case MCI_CLOSE:
        return AnswerClose(device);
    case MCI_STATUS:
        if (device != clipDeviceId || !videoDevice.clipOpen || !videoDevice.reportsWindow)
            return deviceRefuses;
        reinterpret_cast<MCI_DGV_STATUS_PARMSA*>(record)->dwReturn = reinterpret_cast<DWORD_PTR>(videoDevice.window);
        return 0;
    case MCI_WHERE:
        if (device != clipDeviceId || !videoDevice.clipOpen)
            return deviceRefuses;
        reinterpret_cast<MCI_DGV_RECT_PARMS*>(record)->rc = videoDevice.source;
        return 0;
    }
    return device == clipDeviceId && videoDevice.clipOpen ? 0 : deviceRefuses;
}

inline void InstallVideoDevice()
{
    videoDevice = VideoDevice{};
    fake::answers.mciSendCommandA = AnswerVideoRequest;
    fake::answers.mciGetDeviceIDA = [](LPCSTR name) -> MCIDEVICEID {
        return std::string(name) == "avivideo" && videoDevice.probeOpen ? probeDeviceId : 0;
    };
}

// The logged calls that begin with one of these texts, in order; for picking
// requests by device or command, e.g. "mciSendCommandA(2, 0x806".
inline std::vector<std::string> CallsStartingWith(std::initializer_list<std::string> prefixes)
{
    std::vector<std::string> picked;
    for (const std::string& call : fake::calls)
        for (const std::string& prefix : prefixes)
            if (call.compare(0, prefix.size(), prefix) == 0) {
                picked.push_back(call);
                break;
            }
    return picked;
}

// A fixture with the device installed.
class VideoTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        InstallVideoDevice();
    }
};
