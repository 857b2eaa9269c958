// Splitting a text into a TokenList at a set of separator bytes.
#include "sysutil/Tokens.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

// Separator set as a byte table; multi-byte characters are not considered.
struct SeparatorSet {
    explicit SeparatorSet(const char* separators) {
        std::memset(member, 0, sizeof member);
        for (const char* s = separators; *s != '\0'; ++s) member[static_cast<unsigned char>(*s)] = true;
    }
    bool contains(char c) const { return member[static_cast<unsigned char>(c)]; }
    bool member[256];
};

}  // namespace

void getStrTokens(TokenList& list, const char* text, const char* separators) {
    list.clear();
    size_t length = std::strlen(text);
    // The scan works on a private copy; the caller's text is never touched.
    std::unique_ptr<char[]> copy(new (std::nothrow) char[length + 1]);
    if (!copy) throw XKmi("Out of memory in getStrTokens");
    std::memcpy(copy.get(), text, length + 1);

    SeparatorSet set(separators);
    const char* p = copy.get();
    while (*p != '\0') {
        while (*p != '\0' && set.contains(*p)) ++p;
        const char* start = p;
        while (*p != '\0' && !set.contains(*p)) ++p;
        if (p > start) list.add(std::string(start, p));
    }
}
