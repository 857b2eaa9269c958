// The stand-in's own view of the record that the tool hands to initialize:
// five text pointers, a signed 32-bit number, three one-byte flags and one
// more text pointer, in C layout on i686 (32 bytes).
#pragma once
#include <cstddef>
#include <cstdint>

struct ModemOptionsView {
    const char* hwType;
    const char* hwChipset;
    const char* usbCtrlr;
    const char* modemId;
    const char* reservedText1;
    int32_t reservedNumber;
    uint8_t reservedFlag1;
    uint8_t reservedFlag2;
    uint8_t reservedFlag3;
    const char* reservedText2;
};

// The 32-bit layout; a 64-bit stand-in (of the 64-bit test build) reads the
// same declaration in the compiler's own layout.
#ifndef _WIN64
static_assert(offsetof(ModemOptionsView, hwType) == 0, "hwType at 0");
static_assert(offsetof(ModemOptionsView, hwChipset) == 4, "hwChipset at 4");
static_assert(offsetof(ModemOptionsView, usbCtrlr) == 8, "usbCtrlr at 8");
static_assert(offsetof(ModemOptionsView, modemId) == 12, "modemId at 12");
static_assert(offsetof(ModemOptionsView, reservedText1) == 16, "reservedText1 at 16");
static_assert(offsetof(ModemOptionsView, reservedNumber) == 20, "reservedNumber at 20");
static_assert(offsetof(ModemOptionsView, reservedFlag1) == 24, "reservedFlag1 at 24");
static_assert(offsetof(ModemOptionsView, reservedFlag2) == 25, "reservedFlag2 at 25");
static_assert(offsetof(ModemOptionsView, reservedFlag3) == 26, "reservedFlag3 at 26");
static_assert(offsetof(ModemOptionsView, reservedText2) == 28, "reservedText2 at 28");
static_assert(sizeof(ModemOptionsView) == 32, "record size 32");
#endif

// The progress callback: C calling convention, a figure and the caller's arg.
typedef void (__cdecl* KmiProgressCallback)(int figure, void* arg);
