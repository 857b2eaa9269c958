// Progress window sampling.
#include "ProgressWatch.h"
#include <commctrl.h>
#include "ProcessWindows.h"

namespace {

// The head of the progress control's private state as Wine's control keeps
// it: the control's own handle, then the current, lower and upper values.
// The handle is pointer-sized, so the values lie further on in a 64-bit
// program: the driver reads programs built like itself.
struct BarState {
    HWND self;
    INT current;
    INT low;
    INT high;
};

// Reads of a window that keeps changing end after this many; the last read
// is recorded then.
const int maxRereads = 5;

}  // namespace

bool ProgressWatch::Sample::operator!=(const Sample& other) const {
    return visible != other.visible || caption != other.caption || heading != other.heading ||
           status != other.status || pos != other.pos || low != other.low || high != other.high;
}

ProgressWatch::ProgressWatch(Transcript& transcript, HANDLE process, bool memoryRead)
    : transcript(transcript), process(process), memoryRead(memoryRead) {}

bool ProgressWatch::readFromMemory(HWND bar, Sample& sample) {
    if (!memoryRead) return false;
    LONG_PTR address = GetWindowLongPtrA(bar, 0);
    if (address == 0) return false;
    BarState state;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), &state, sizeof state, &got) ||
        got != sizeof state)
        return false;
    if (LOWORD(reinterpret_cast<ULONG_PTR>(state.self)) != LOWORD(reinterpret_cast<ULONG_PTR>(bar)) ||
        state.low > state.high)
        return false;
    sample.pos = state.current;
    sample.low = state.low;
    sample.high = state.high;
    return true;
}

void CALLBACK ProgressWatch::onPosAnswer(HWND, UINT, ULONG_PTR self, LRESULT result) {
    ProgressWatch* watch = reinterpret_cast<ProgressWatch*>(self);
    watch->queryPending = false;
    watch->answeredPos = static_cast<int>(result);
}

void ProgressWatch::queryByMessage(HWND bar) {
    if (queryPending) return;
    if (SendMessageCallbackA(bar, PBM_GETPOS, 0, 0, onPosAnswer, reinterpret_cast<ULONG_PTR>(this)))
        queryPending = true;
}

ProgressWatch::Sample ProgressWatch::read(HWND found, HWND bar) {
    Sample sample;
    sample.visible = IsWindowVisible(found) != FALSE;
    sample.caption = windowText(found);
    sample.heading = dialogItemText(found, 1002);
    sample.status = dialogItemText(found, 1003);
    if (readFromMemory(bar, sample)) return sample;
    // A control without its state is being created or destroyed: it would
    // answer a query with 0, which is no position it had.
    if (GetWindowLongPtrA(bar, 0) == 0) return sample;
    queryByMessage(bar);
    sample.pos = answeredPos;
    return sample;
}

void ProgressWatch::onWindow(HWND found, HWND bar) {
    if (window != nullptr && found != window) return;  // one progress window at a time
    if (window == nullptr) {
        window = found;
        ++windowNumber;
        last = Sample();
        last.caption = "\x01";  // forces the first record
        answeredPos = -1;
        queryPending = false;
    }
    seenThisPoll = true;
    // A sample is several reads, and the program goes on while they are made
    // (it shows its window, then moves the bar): one read alone could pair
    // the window's old visibility with the bar's new position. The window is
    // read again until two reads in a row agree, so that a sample is a state
    // the window really had.
    Sample sample = read(found, bar);
    for (int again = 0; again < maxRereads; ++again) {
        Sample next = read(found, bar);
        if (!(next != sample)) break;
        sample = next;
    }
    // A window being destroyed loses its controls and then its texts while
    // it is still listed: a read that ends with the bar gone may hold that
    // state, which the window never showed.
    if (!IsWindow(bar)) return;
    if (!(sample != last)) return;
    last = sample;
    LineFields line("progress");
    line.number("window", windowNumber).number("visible", sample.visible ? 1 : 0);
    if (sample.pos >= 0 || sample.high >= 0) line.number("pos", sample.pos);
    else line.text("pos", "?");
    if (sample.high >= 0) line.text("range", std::to_string(sample.low) + ".." + std::to_string(sample.high));
    line.text("caption", sample.caption).text("heading", sample.heading).text("status", sample.status);
    transcript.write(line);
}

void ProgressWatch::endOfPoll() {
    if (window != nullptr && !seenThisPoll) {
        transcript.write(LineFields("progress-gone").number("window", windowNumber));
        window = nullptr;
    }
    seenThisPoll = false;
}
