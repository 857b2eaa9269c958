// The process-wide source of string resources and the string loads from it.
#include "res/ResourceSource.h"

namespace {
HMODULE resourceSource = nullptr;

// Long enough for every text of the program and its language libraries.
const int stringBufferSize = 1024;
}  // namespace

void setResourceSource(HMODULE module) { resourceSource = module; }

HMODULE getResourceSource() { return resourceSource; }

std::string loadResString(UINT id) {
    char buffer[stringBufferSize];
    const int length = LoadStringA(resourceSource, id, buffer, stringBufferSize);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}
