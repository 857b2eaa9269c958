// Calls into the installer library: export lookup, the device loop and the
// progress callback.
#include "app/InstallerLibrary.h"
#include "app/ProgressWindow.h"
#include "log/Loggers.h"
#include "sysutil/TokenList.h"
#include "sysutil/Tokens.h"

const char* const initializeExportName =
    "?initialize@Kmi@@YA?AW4InstallStatus@1@ABUModemOptions@1@@Z";
const char* const uninstallExportName = "?uninstall@Kmi@@YA?AW4InstallStatus@1@P6AXHPAX@Z0@Z";
const char* const isUserAdminExportName = "?isUserAdmin@Kmi@@YA_NXZ";

int32_t progressValue = 0;

ModemOptionsRecord::ModemOptionsRecord() : options() {
    options.reservedNumber = -1;
    pointFields();
}

void ModemOptionsRecord::pointFields() {
    options.hwType = hwType.c_str();
    options.hwChipset = hwChipset.c_str();
    options.usbCtrlr = usbCtrlr.c_str();
    options.modemId = modemId.c_str();
    options.reservedText1 = reservedText1.c_str();
    options.reservedText2 = reservedText2.c_str();
}

void ModemOptionsRecord::setHwType(const std::string& text) {
    hwType = text;
    pointFields();
}

void ModemOptionsRecord::setHwChipset(const std::string& text) {
    hwChipset = text;
    pointFields();
}

void ModemOptionsRecord::setUsbCtrlr(const std::string& text) {
    usbCtrlr = text;
    pointFields();
}

void ModemOptionsRecord::setModemId(const std::string& text) {
    modemId = text;
    pointFields();
}

void ModemOptionsRecord::clearForDevices() {
    hwType.clear();
    hwChipset.clear();
    usbCtrlr.clear();
    modemId.clear();
    reservedText1.clear();
    reservedText2.clear();
    options.reservedNumber = 0;
    options.reservedFlag1 = false;
    options.reservedFlag2 = false;
    options.reservedFlag3 = false;
    pointFields();
}

FARPROC lookupExport(HMODULE library, const char* name) { return GetProcAddress(library, name); }

namespace {
// Parts of a device entry are separated by backslashes: the first is the
// chipset, the second the hardware type; the controller is the entry after
// its first backslash (the whole entry when it has none). A missing part
// counts as empty text.
void fillFromEntry(ModemOptionsRecord& record, const std::string& entry, TokenList& parts) {
    parts.clear();
    getStrTokens(parts, entry, "\\");
    record.setHwChipset(parts.count() > 0 ? parts[0] : std::string());
    record.setHwType(parts.count() > 1 ? parts[1] : std::string());
    size_t backslash = entry.find('\\');
    record.setUsbCtrlr(backslash == std::string::npos ? entry : entry.substr(backslash + 1));
}

// The address as the log shows it: lower-case hexadecimal digits of the
// whole pointer, without leading zeros. A 64-bit pointer is written whole
// (a printf "%x" would keep its lower 32 bits only).
std::string addressOf(const void* pointer) {
    uintptr_t value = reinterpret_cast<uintptr_t>(pointer);
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789abcdef"[value % 16]);
        value /= 16;
    } while (value != 0);
    return digits;
}
}  // namespace

void uninstallDevices(const std::string& deviceIds, ProgressWindow& window,
                      InitializeFunc initialize, UninstallFunc uninstall) {
    ModemOptionsRecord record;
    record.clearForDevices();
    TokenList entries;
    TokenList parts;
    getStrTokens(entries, deviceIds, ",");
    for (size_t i = 0; i < entries.count(); ++i) {
        fillFromEntry(record, entries[i], parts);
        runTraceLog.log("kmvs_Initialize mOpts(0x%s): hwType=%s, hwChipset=%s, usbCtrlr=%s, modemId=%s",
                        addressOf(&record.get()).c_str(), record.getHwType().c_str(),
                        record.getHwChipset().c_str(), record.getUsbCtrlr().c_str(),
                        record.getModemId().c_str());
        initialize(record.get());
        runTraceLog.log("kmvs_Uninstall");
        uninstall(Vantixcallback, &window);
    }
}

void Vantixcallback(int progress, void* arg) {
    runTraceLog.log("Vantixcallback: progress=%d : arg=0x%s", progress, addressOf(arg).c_str());
    if (arg == nullptr) return;
    progressValue += 10;
    static_cast<ProgressWindow*>(arg)->setPos(progressValue);
}
