// Answers the watched program's message boxes: records each box once (its
// number, caption, buttons and text), then clicks a button. Boxes with one
// button get it; others take the next answer of the list, or "no" once the
// list is used up. A box can be held until a given file appears.
#pragma once
#include <windows.h>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "Transcript.h"

class BoxAnswerer {
public:
    BoxAnswerer(Transcript& transcript, std::vector<std::string> answers,
                std::map<int, std::string> holds);

    // Handles one sighting of a visible message box.
    void onBox(HWND box);
    // Forgets boxes that are gone.
    void prune(const std::vector<HWND>& alive);
    int boxCount() const { return count; }

private:
    struct Pending {
        int number;
        DWORD seenTick;
        DWORD clickedTick;  // 0 until clicked
        int button;
    };

    void record(HWND box, Pending& pending);
    bool held(const Pending& pending);
    int chooseButton(HWND box, int number);
    void click(HWND box, Pending& pending);

    Transcript& transcript;
    std::vector<std::string> answers;
    size_t nextAnswer = 0;
    std::map<int, std::string> holds;
    std::set<int> holdsAnnounced;
    std::map<HWND, Pending> boxes;
    int count = 0;
};
