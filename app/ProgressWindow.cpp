// Progress window on dialog template 102; the dialog procedure serves the
// window created last.
#include "app/ProgressWindow.h"
#include <commctrl.h>
#include "app/AppFramework.h"
#include "res/resource.h"

namespace {
// The dialog procedure receives no object of its own; only one progress
// window is served at a time.
ProgressWindow* currentProgressWindow = nullptr;

// The template has no control 2; enabling or disabling it has no effect.
const int cancelControlId = IDCANCEL;
}  // namespace

ProgressWindow::ProgressWindow() : window(nullptr), cancelRequested(FALSE) {}

ProgressWindow::~ProgressWindow() {
    // The window may outlive this object; a late cancel command must then
    // not reach a destroyed object.
    if (currentProgressWindow == this) currentProgressWindow = nullptr;
}

INT_PTR CALLBACK ProgressWindow::dialogProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        currentProgressWindow = reinterpret_cast<ProgressWindow*>(lParam);
    } else if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        if (currentProgressWindow != nullptr) currentProgressWindow->cancel();
    }
    return FALSE;  // default dialog handling for every message
}

bool ProgressWindow::create(HWND parent) {
    if (window != nullptr) DestroyWindow(window);
    window = CreateDialogParamA(getModuleInstance(), MAKEINTRESOURCEA(IDD_PROGRESS), parent,
                                dialogProc, reinterpret_cast<LPARAM>(this));
    if (window == nullptr) return false;
    ShowWindow(window, SW_HIDE);
    cancelRequested = FALSE;
    return true;
}

bool ProgressWindow::show(bool visible) {
    if (!visible) {
        ShowWindow(window, SW_HIDE);
        return true;
    }
    HWND parent = GetParent(window);
    centerWindow(window, parent);
    EnableWindow(GetDlgItem(window, cancelControlId), TRUE);
    ShowWindow(window, SW_SHOW);
    bringToFront(parent);
    bringToFront(window);
    return true;
}

LRESULT ProgressWindow::sendToBar(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(window, IDC_PROGRESS_BAR, message, wParam, lParam);
}

bool ProgressWindow::setRange(int lower, int upper) {
    sendToBar(PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(lower), static_cast<WORD>(upper)));
    return true;
}

bool ProgressWindow::setPos(int position) {
    if (position == -1) position = static_cast<int>(sendToBar(PBM_GETRANGE, FALSE, 0));
    sendToBar(PBM_SETPOS, static_cast<WPARAM>(position), 0);
    return true;
}

bool ProgressWindow::setHeading(const std::string& text) {
    SetDlgItemTextA(window, IDC_HEADING, text.c_str());
    return true;
}

bool ProgressWindow::setStatus(const std::string& text) {
    SetDlgItemTextA(window, IDC_STATUS, text.c_str());
    return true;
}

bool ProgressWindow::setCaption(const std::string& text) {
    SetWindowTextA(window, text.c_str());
    return true;
}

void ProgressWindow::destroy() {
    if (window != nullptr) DestroyWindow(window);
}

bool ProgressWindow::cancel() {
    bool wasRequested = cancelRequested != FALSE;
    cancelRequested = TRUE;
    EnableWindow(GetDlgItem(window, cancelControlId), FALSE);
    return wasRequested;
}

bool centerWindow(HWND window, HWND reference) {
    RECT client;
    if (window == nullptr || !GetClientRect(window, &client)) return false;
    if (reference == nullptr) reference = GetDesktopWindow();
    RECT outer;
    if (!GetWindowRect(reference, &outer)) return false;
    int x = outer.left + ((outer.right - outer.left) - (client.right - client.left)) / 2;
    int y = outer.top + ((outer.bottom - outer.top) - (client.bottom - client.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return true;
}

void bringToFront(HWND window) {
    // A null window (no parent) would make some of these calls act on the
    // desktop; there is nothing to bring forward then.
    if (window == nullptr) return;
    const UINT topmostFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW;
    BringWindowToTop(window);
    SetForegroundWindow(window);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, topmostFlags);
    UpdateWindow(window);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, topmostFlags);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, topmostFlags);
    UpdateWindow(window);
    ShowWindow(window, SW_SHOWNORMAL);
}
