// One record line of the kit's files (the stand-in's call list, the driver's
// transcript): an event word, then tab-separated name=value fields. Values
// are kept readable; only '%', tabs, line breaks and other control bytes
// are written as %XX, so a line never breaks and splits unambiguously.
#pragma once
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
    LineFields& hex(const char* name, unsigned long value) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "0x%lx", value);
        return text(name, buffer);
    }

    const std::string& str() const { return line; }

private:
    std::string line;
};
