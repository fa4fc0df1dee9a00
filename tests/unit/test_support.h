// Shared fixture of the native tests: a fresh stand-in platform and fresh
// product state for every test, and a readable comparison of call sequences.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "content.h"
#include "fakewin.h"
#include "host.h"

// The product's process-wide state as it is when a process starts.
inline void ResetProductState()
{
    appInstance = nullptr;
    isWin9xFamily = FALSE;
    isPreviewMode = FALSE;
    saverWindow = nullptr;
    closeApproved = 0;
    cursorAnchor = POINT{};
    queryCancelAutoPlayMessage = 0;
    verifierModule = nullptr;
    verifierProc = nullptr;
    verifyInProgress = FALSE;
    lastVerifyTick = 0xFFFFFFFF;
    zoomPercent = 0;
    soundOn = 0;
    std::strcpy(iniSection, "avizolp");
    iniFileName[0] = '\0';
    aviPath[0] = '\0';
    wavPath[0] = '\0';
    videoDeviceId = 0;
    videoOpen = FALSE;
    videoPlaying = FALSE;
    videoWindow = nullptr;
    videoInputCount = 0;
}

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::Reset();
        ResetProductState();
        appInstance = fake::moduleInstance;
    }
};

// Compares two call sequences and, on a difference, prints them side by side
// with the first differing row marked.
inline ::testing::AssertionResult SameCalls(const std::vector<std::string>& expected,
                                            const std::vector<std::string>& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    size_t width = 8;
    for (const std::string& line : expected)
        width = std::max(width, line.size());
    std::string table = "\n   " + std::string("expected") + std::string(width - 8 + 2, ' ') + "actual\n";
    bool marked = false;
    for (size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
        std::string left = i < expected.size() ? expected[i] : "";
        std::string right = i < actual.size() ? actual[i] : "";
        bool differs = !marked && left != right;
        marked = marked || differs;
        table += (differs ? ">> " : "   ") + left + std::string(width - left.size() + 2, ' ') + right + "\n";
    }
    return ::testing::AssertionFailure() << table;
}

inline HWND AsHwnd(uintptr_t value)
{
    return reinterpret_cast<HWND>(value);
}
