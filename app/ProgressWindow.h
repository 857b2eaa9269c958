// The modeless progress window of the removal run: a title, two text lines
// and a progress bar, built from dialog template 102 of the program. It lives
// on the run's only thread and takes messages only while the run acts on it
// or a message box is open.
#pragma once
#include <windows.h>
#include <string>

class ProgressWindow {
public:
    ProgressWindow();
    // Forgets the window without destroying it: call destroy() to remove it.
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Destroys this object's earlier window, then creates the dialog hidden.
    // False when the dialog cannot be created; later calls then act on no
    // window.
    bool create(HWND parent);
    // true: centred over the parent (or the desktop), shown and kept topmost.
    // false: hidden.
    bool show(bool visible);
    // Each limit is cut to 16 bits.
    bool setRange(int lower, int upper);
    // -1 stands for the bar's upper limit; positions outside the range show
    // at the nearer limit.
    bool setPos(int position);
    bool setHeading(const std::string& text);
    bool setStatus(const std::string& text);
    bool setCaption(const std::string& text);
    // Destroys the window; the handle is kept, so later calls do nothing.
    void destroy();
    // Records a cancel request; returns the earlier request state.
    bool cancel();

    HWND getWindow() const { return window; }
    bool isCancelRequested() const { return cancelRequested != FALSE; }

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT sendToBar(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window;
    BOOL cancelRequested;
};

// Moves window so that its client area's size is centred over reference's
// window rectangle (the desktop when reference is null). False when either
// rectangle cannot be read; the window then stays where it was.
bool centerWindow(HWND window, HWND reference);
// Brings window to the front and keeps it above ordinary windows.
void bringToFront(HWND window);
