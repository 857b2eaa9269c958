// Reads and answers message boxes.
#include "BoxAnswerer.h"
#include "ProcessWindows.h"

namespace {

struct ButtonName {
    int id;
    const char* name;
};
const ButtonName buttonNames[] = {{IDOK, "ok"},       {IDCANCEL, "cancel"}, {IDABORT, "abort"},
                                  {IDRETRY, "retry"}, {IDIGNORE, "ignore"}, {IDYES, "yes"},
                                  {IDNO, "no"}};

const char* nameOf(int id) {
    for (const ButtonName& button : buttonNames)
        if (button.id == id) return button.name;
    return "?";
}

int idOf(const std::string& name) {
    for (const ButtonName& button : buttonNames)
        if (name == button.name) return button.id;
    return 0;
}

std::vector<int> buttonsOf(HWND box) {
    std::vector<int> present;
    for (const ButtonName& button : buttonNames)
        if (GetDlgItem(box, button.id) != nullptr) present.push_back(button.id);
    return present;
}

bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Box is fully built once it has been visible for this long.
const DWORD settleMs = 30;
// A click that did not end the box is repeated after this long.
const DWORD reclickMs = 1500;

}  // namespace

BoxAnswerer::BoxAnswerer(Transcript& transcript, std::vector<std::string> answers,
                         std::map<int, std::string> holds)
    : transcript(transcript), answers(std::move(answers)), holds(std::move(holds)) {}

void BoxAnswerer::onBox(HWND box) {
    auto found = boxes.find(box);
    if (found == boxes.end()) {
        boxes[box] = Pending{0, GetTickCount(), 0, 0};
        return;
    }
    Pending& pending = found->second;
    DWORD now = GetTickCount();
    if (pending.number == 0) {
        if (now - pending.seenTick < settleMs) return;
        record(box, pending);
    }
    if (pending.clickedTick == 0) {
        if (held(pending)) return;
        pending.button = chooseButton(box, pending.number);
        click(box, pending);
    } else if (now - pending.clickedTick >= reclickMs) {
        transcript.write(LineFields("reclick").number("n", pending.number));
        click(box, pending);
    }
}

void BoxAnswerer::prune(const std::vector<HWND>& alive) {
    for (auto it = boxes.begin(); it != boxes.end();) {
        bool present = false;
        for (HWND window : alive) present = present || window == it->first;
        if (!present || !IsWindowVisible(it->first))
            it = boxes.erase(it);
        else
            ++it;
    }
}

void BoxAnswerer::record(HWND box, Pending& pending) {
    pending.number = ++count;
    std::string buttons;
    for (int id : buttonsOf(box)) buttons += (buttons.empty() ? "" : ",") + std::string(nameOf(id));
    transcript.write(LineFields("box")
                         .number("n", pending.number)
                         .text("caption", windowText(box))
                         .text("buttons", buttons)
                         .text("text", dialogItemText(box, 0xFFFF)));
}

bool BoxAnswerer::held(const Pending& pending) {
    auto hold = holds.find(pending.number);
    if (hold == holds.end()) return false;
    if (fileExists(hold->second)) {
        transcript.write(LineFields("release").number("n", pending.number));
        holds.erase(hold);
        return false;
    }
    if (holdsAnnounced.insert(pending.number).second)
        transcript.write(LineFields("hold").number("n", pending.number).text("file", hold->second));
    return true;
}

int BoxAnswerer::chooseButton(HWND box, int number) {
    std::vector<int> present = buttonsOf(box);
    if (present.size() == 1) {
        transcript.write(LineFields("answer").number("n", number)
                             .text("button", nameOf(present[0])).text("from", "only"));
        return present[0];
    }
    const char* from = "list";
    std::string wanted;
    if (nextAnswer < answers.size()) {
        wanted = answers[nextAnswer++];
    } else {
        wanted = "no";
        from = "default";
    }
    int id = idOf(wanted);
    if (GetDlgItem(box, id) == nullptr) {
        transcript.write(LineFields("mismatch").number("n", number).text("wanted", wanted));
        id = GetDlgItem(box, IDNO) ? IDNO : GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK;
        from = "fallback";
    }
    transcript.write(LineFields("answer").number("n", number).text("button", nameOf(id))
                         .text("from", from));
    return id;
}

void BoxAnswerer::click(HWND box, Pending& pending) {
    HWND button = GetDlgItem(box, pending.button);
    if (button != nullptr) PostMessageA(button, BM_CLICK, 0, 0);
    pending.clickedTick = GetTickCount();
    if (pending.clickedTick == 0) pending.clickedTick = 1;
}
