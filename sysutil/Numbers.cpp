// Text to number conversions: decimal as the INI and registry values are
// written, hexadecimal behind a lower-case "0x" in the language table.
#include "sysutil/Numbers.h"

#include <cstdint>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Digits wrap modulo 2^32, so no input can overflow.
int hexToInt(const char* text) {
    while (isBlank(*text)) ++text;
    uint32_t value = 0;
    for (int digit; (digit = hexDigit(*text)) >= 0; ++text) value = value * 16 + uint32_t(digit);
    return int(value);
}

}  // namespace

int decimalToInt(const char* text) {
    while (isBlank(*text)) ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) value = value * 10 + uint32_t(*text - '0');
    return int(negative ? 0u - value : value);
}

// "0x" without a hexadecimal digit after it gives 0.
int strToInt(const char* text) {
    if (text[0] == '0' && text[1] == 'x') return hexToInt(text + 2);
    return decimalToInt(text);
}
