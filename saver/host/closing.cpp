// The closing rules: which input and platform events end the running saver.
// Every such event only posts a WM_CLOSE; whether the close goes through is
// decided in one place, the WM_CLOSE case below, so a password can guard it.
#include "host.h"

static void RequestClose(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

// The position comes from the platform, not from lParam: lParam is in the
// client coordinates of whichever window got the message (ours or the clip's).
// Small moves add up, because the anchor stays put until a close is asked.
static void OnMouseMove(HWND window)
{
    POINT now;
    if (!GetCursorPos(&now))
        return;  // no position, no evidence of movement: closing on a guess could end a saver on a glitch
    LONGLONG dx = static_cast<LONGLONG>(now.x) - cursorAnchor.x;
    LONGLONG dy = static_cast<LONGLONG>(now.y) - cursorAnchor.y;
    LONGLONG travel = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy);
    if (travel <= mouseMoveThreshold)
        return;
    RequestClose(window);
    cursorAnchor = now;
}

// A refused close keeps the saver; the next request needs fresh movement from
// where the cursor stands now, not from where the refused one started.
static LRESULT OnCloseRefused()
{
    POINT now;
    if (GetCursorPos(&now))
        cursorAnchor = now;
    return 0;
}

// The verifier's dialog runs inside this call, owned by the saver window.
static LRESULT AnswerVerifyRequest(HWND window)
{
    return verifierProc != nullptr ? verifierProc(window) : 1;
}

static void ApplyInputRule(HWND window, UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam)
            SetCursor(nullptr);
        break;
    case WM_ACTIVATEAPP:
        if (!wParam)
            RequestClose(window);
        break;
    case WM_POWER:
        if (wParam == PWR_CRITICALRESUME)
            RequestClose(window);
        break;
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_POWERBROADCAST:
        RequestClose(window);
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(window);
        break;
    }
}

// AutoPlay over a locked desktop could start a program past the password, so
// with a verifier loaded the answer (1) cancels it. Identifier 0 is what an
// unregistered name leaves behind, and must not match WM_NULL.
static bool IsQueryCancelAutoPlay(UINT message)
{
    return queryCancelAutoPlayMessage != 0 && message == queryCancelAutoPlayMessage;
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!isPreviewMode && !closeApproved) {
        switch (message) {
        case WM_CLOSE:
            if (isWin9xFamily && !VerifyPasswordOnClose(window))
                return OnCloseRefused();
            break;
        case WM_APP:
            // Answered even while a verification runs: this is that verification.
            if (isWin9xFamily)
                return AnswerVerifyRequest(window);
            break;
        case WM_SETCURSOR:
            if (!verifyInProgress) {
                SetCursor(nullptr);
                return 1;
            }
            break;
        default:
            // The dialog's own message loop dispatches our input meanwhile.
            if (!verifyInProgress)
                ApplyInputRule(window, message, wParam);
            break;
        }
    }
    if (IsQueryCancelAutoPlay(message)) {
        RequestClose(window);
        return verifierProc != nullptr;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
