// The utility module's exception: one message text. Thrown by value.
#pragma once
#include <string>

class XKmi {
public:
    explicit XKmi(const std::string& text) : message(text) {}
    const std::string& getMessage() const { return message; }

private:
    std::string message;
};
