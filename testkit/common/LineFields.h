// One record line of the kit's files (the stand-in's call list, the driver's
// transcript): an event word, then tab-separated name=value fields. Values
// are kept readable; only '%', tabs, line breaks and other control bytes
// are written as %XX, so a line never breaks and splits unambiguously.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

class LineFields {
public:
    explicit LineFields(const char* event) : line(event) {}

    LineFields& text(const char* name, const std::string& value) {
        line += '\t';
        line += name;
        line += '=';
        for (unsigned char c : value) {
            if (c < 0x20 || c == 0x7F || c == '%') {
                char escaped[4];
                std::snprintf(escaped, sizeof escaped, "%%%02X", c);
                line += escaped;
            } else {
                line += static_cast<char>(c);
            }
        }
        return *this;
    }
    LineFields& number(const char* name, long long value) {
        return text(name, std::to_string(value));
    }
    // An address or other unsigned value, whole also where it is 64 bits wide.
    LineFields& hex(const char* name, uintptr_t value) {
        std::string digits;
        do {
            digits.insert(digits.begin(), "0123456789abcdef"[value % 16]);
            value /= 16;
        } while (value != 0);
        return text(name, "0x" + digits);
    }

    const std::string& str() const { return line; }

private:
    std::string line;
};
