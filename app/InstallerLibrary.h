// What passes between the tool and the package's installer library
// "kmiinst.dll": the decorated export names, the record handed to
// initialize, the device loop and the progress callback.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <string>

class ProgressWindow;

// Result of initialize and uninstall. Its values belong to the library; the
// tool never looks at them.
enum InstallStatus : int32_t {};

// The record initialize reads. The library is built by another compiler, so
// the layout is fixed independently of any compiler's string type (i686,
// natural alignment, 32 bytes):
//
//   offset  0  const char* hwType
//   offset  4  const char* hwChipset
//   offset  8  const char* usbCtrlr
//   offset 12  const char* modemId
//   offset 16  const char* reservedText1
//   offset 20  int32_t     reservedNumber
//   offset 24  bool        reservedFlag1   (one byte)
//   offset 25  bool        reservedFlag2   (one byte)
//   offset 26  bool        reservedFlag3   (one byte, then one byte padding)
//   offset 28  const char* reservedText2
//
// Every text field points to NUL-terminated ANSI text and is never null: an
// empty text is "". ModemOptionsRecord owns the texts.
struct ModemOptions {
    const char* hwType;
    const char* hwChipset;
    const char* usbCtrlr;
    const char* modemId;
    const char* reservedText1;
    int32_t reservedNumber;
    bool reservedFlag1;
    bool reservedFlag2;
    bool reservedFlag3;
    const char* reservedText2;
};
// The layout above is the 32-bit library's. A 64-bit build (a test build,
// never shipped) hands the same declaration in the compiler's own layout to
// a 64-bit library.
#ifndef _WIN64
static_assert(offsetof(ModemOptions, reservedNumber) == 20, "reservedNumber at 20");
static_assert(offsetof(ModemOptions, reservedFlag1) == 24, "reservedFlag1 at 24");
static_assert(offsetof(ModemOptions, reservedFlag3) == 26, "reservedFlag3 at 26");
static_assert(offsetof(ModemOptions, reservedText2) == 28, "reservedText2 at 28");
static_assert(sizeof(ModemOptions) == 32, "ModemOptions is 32 bytes");
#endif

// A ModemOptions together with the texts its fields point into. The fields
// stay valid until the next setter call or the record's end; copying would
// leave them pointing into the original, so it is disabled.
class ModemOptionsRecord {
public:
    // Texts empty, reservedNumber -1, flags false.
    ModemOptionsRecord();
    ModemOptionsRecord(const ModemOptionsRecord&) = delete;
    ModemOptionsRecord& operator=(const ModemOptionsRecord&) = delete;

    void setHwType(const std::string& text);
    void setHwChipset(const std::string& text);
    void setUsbCtrlr(const std::string& text);
    void setModemId(const std::string& text);
    void setReservedNumber(int32_t number) { options.reservedNumber = number; }
    // Every text empty, reservedNumber 0, flags false: what the device loop
    // starts from.
    void clearForDevices();

    const ModemOptions& get() const { return options; }
    const std::string& getHwType() const { return hwType; }
    const std::string& getHwChipset() const { return hwChipset; }
    const std::string& getUsbCtrlr() const { return usbCtrlr; }
    const std::string& getModemId() const { return modemId; }

private:
    void pointFields();

    std::string hwType;
    std::string hwChipset;
    std::string usbCtrlr;
    std::string modemId;
    std::string reservedText1;
    std::string reservedText2;
    ModemOptions options;
};

// The library's entry points, all with the C calling convention.
typedef void (*ProgressCallback)(int progress, void* arg);
typedef InstallStatus (*InitializeFunc)(const ModemOptions& options);
typedef InstallStatus (*UninstallFunc)(ProgressCallback callback, void* arg);
// The library returns a one-byte bool: read as a wider type, the upper bytes
// of EAX would be garbage.
typedef bool (*IsUserAdminFunc)();

extern const char* const initializeExportName;
extern const char* const uninstallExportName;
extern const char* const isUserAdminExportName;

// The export of that exact name, or null.
FARPROC lookupExport(HMODULE library, const char* name);

// Stores the export in slot and returns true when it exists; false with an
// empty slot when it does not. A missing library, slot or name returns false
// and leaves the slot untouched.
template <class Func>
bool getDllFunc(HMODULE library, Func* slot, const char* name) {
    if (library == nullptr || slot == nullptr || name == nullptr) return false;
    // Through void(*)() so that the compiler accepts the change of signature.
    *slot = reinterpret_cast<Func>(reinterpret_cast<void (*)()>(lookupExport(library, name)));
    return *slot != nullptr;
}

// The bar position shared by the run and the progress callback.
extern int32_t progressValue;

// Hands every entry of the comma list deviceIds to initialize and then
// uninstall, in list order, with Vantixcallback and window as its argument.
// The library's results are not looked at.
void uninstallDevices(const std::string& deviceIds, ProgressWindow& window,
                      InitializeFunc initialize, UninstallFunc uninstall);

// Progress callback: logs the library's figure and moves the bar of the
// ProgressWindow given as arg by 10, whatever the figure says.
void Vantixcallback(int progress, void* arg);
