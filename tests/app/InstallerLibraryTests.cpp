// The device loop and the progress callback against fake entry points that
// record what the installer library would receive.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <new>
#include <sstream>
#include <string>
#include <vector>
#include "app/AppFramework.h"
#include "app/InstallerLibrary.h"
#include "app/ProgressWindow.h"
#include "res/resource.h"
#include "ScratchKit.h"

namespace {
struct Call {
    std::string name;
    const ModemOptions* record;
    std::string hwType, hwChipset, usbCtrlr, modemId, reservedText1, reservedText2;
    int32_t reservedNumber;
    bool flags[3];
    void* arg;
};

std::vector<Call> calls;
int progressCallsPerUninstall = 0;

// The whole address in lower-case hexadecimal, as the trace lines show it.
std::string hexAddress(const void* pointer) {
    std::ostringstream text;
    text << std::hex << reinterpret_cast<uintptr_t>(pointer);
    return text.str();
}

InstallStatus fakeInitialize(const ModemOptions& options) {
    Call call{"initialize", &options, options.hwType, options.hwChipset, options.usbCtrlr,
              options.modemId, options.reservedText1, options.reservedText2,
              options.reservedNumber, {options.reservedFlag1, options.reservedFlag2,
              options.reservedFlag3}, nullptr};
    calls.push_back(call);
    return InstallStatus(7);
}

InstallStatus fakeUninstall(ProgressCallback callback, void* arg) {
    Call call{"uninstall", nullptr, "", "", "", "", "", "", 0, {false, false, false}, arg};
    calls.push_back(call);
    // The library's figures are its own; only the number of calls moves the bar.
    for (int i = 0; i < progressCallsPerUninstall; ++i) callback(99 - i * 33, arg);
    return InstallStatus(-3);
}

class DeviceLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        progressCallsPerUninstall = 0;
        ASSERT_TRUE(initAppFramework());
        setModuleInstance(GetModuleHandleA(nullptr));
        ASSERT_TRUE(window.create(nullptr));
        window.setRange(0, 100);
        progressValue = 10;
        window.setPos(progressValue);
    }
    void TearDown() override { window.destroy(); }

    void run(const std::string& deviceIds) {
        uninstallDevices(deviceIds, window, fakeInitialize, fakeUninstall);
    }
    const Call& initializeOf(size_t device) { return calls.at(device * 2); }
    int barPosition() {
        return static_cast<int>(
            SendDlgItemMessageA(window.getWindow(), IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0));
    }

    ProgressWindow window;
};

TEST(ModemOptionsRecordTest, StartsWithEmptyTextsAndMinusOne) {
    ModemOptionsRecord record;
    const ModemOptions& options = record.get();
    const char* texts[] = {options.hwType,  options.hwChipset,     options.usbCtrlr,
                           options.modemId, options.reservedText1, options.reservedText2};
    for (const char* text : texts) {
        ASSERT_NE(nullptr, text);
        EXPECT_STREQ("", text);
    }
    EXPECT_EQ(-1, options.reservedNumber);
    EXPECT_FALSE(options.reservedFlag1 || options.reservedFlag2 || options.reservedFlag3);
}

TEST(ModemOptionsRecordTest, FieldsFollowLongTexts) {
    ModemOptionsRecord record;
    std::string longText(300, 'x');
    record.setUsbCtrlr(longText);
    record.setHwType("short");
    EXPECT_EQ(longText, record.get().usbCtrlr);
    EXPECT_STREQ("short", record.get().hwType);
}

TEST_F(DeviceLoopTest, PairsInListOrderWithOneRecord) {
    run("A\\B\\C\\D,E\\F");
    ASSERT_EQ(4u, calls.size());
    EXPECT_EQ("initialize", calls[0].name);
    EXPECT_EQ("uninstall", calls[1].name);
    EXPECT_EQ("initialize", calls[2].name);
    EXPECT_EQ("uninstall", calls[3].name);
    EXPECT_EQ(calls[0].record, calls[2].record) << "one record serves the whole loop";
    EXPECT_EQ(&window, calls[1].arg);
    EXPECT_EQ(&window, calls[3].arg);
    EXPECT_EQ("E", initializeOf(1).hwChipset);
    EXPECT_EQ("F", initializeOf(1).hwType);
    EXPECT_EQ("F", initializeOf(1).usbCtrlr);
}

TEST_F(DeviceLoopTest, RecordFieldsOfEachEntryShape) {
    struct Shape {
        const char* entry;
        const char* hwChipset;
        const char* hwType;
        const char* usbCtrlr;
    };
    const Shape shapes[] = {
        {"A\\B\\C\\D", "A", "B", "B\\C\\D"},
        {"A\\\\B\\C", "A", "B", "\\B\\C"},
        {"A", "A", "", "A"},
        {"A\\", "A", "", ""},
        {" A\\B", " A", "B", "B"},
    };
    for (const Shape& shape : shapes) {
        calls.clear();
        run(shape.entry);
        ASSERT_EQ(2u, calls.size()) << shape.entry;
        const Call& call = initializeOf(0);
        EXPECT_EQ(shape.hwChipset, call.hwChipset) << shape.entry;
        EXPECT_EQ(shape.hwType, call.hwType) << shape.entry;
        EXPECT_EQ(shape.usbCtrlr, call.usbCtrlr) << shape.entry;
        EXPECT_EQ("", call.modemId);
        EXPECT_EQ("", call.reservedText1);
        EXPECT_EQ("", call.reservedText2);
        EXPECT_EQ(0, call.reservedNumber);
        EXPECT_FALSE(call.flags[0] || call.flags[1] || call.flags[2]);
    }
}

TEST_F(DeviceLoopTest, BlankAfterCommaStaysInTheChipset) {
    run("A\\B, C\\D");
    ASSERT_EQ(4u, calls.size());
    EXPECT_EQ(" C", initializeOf(1).hwChipset);
}

TEST_F(DeviceLoopTest, OnlyCommasMakeNoCall) {
    run(",,,");
    EXPECT_TRUE(calls.empty());
}

TEST_F(DeviceLoopTest, BarMovesTenPerProgressCall) {
    progressCallsPerUninstall = 3;
    run("A\\B");
    EXPECT_EQ(40, progressValue);
    EXPECT_EQ(40, barPosition());
    run("A\\B,C\\D");
    EXPECT_EQ(100, progressValue);
    EXPECT_EQ(100, barPosition());
    run("E\\F");
    EXPECT_EQ(130, progressValue) << "the sum is not capped";
    EXPECT_EQ(100, barPosition());
}

TEST_F(DeviceLoopTest, CallbackWithoutWindowOnlyLogs) {
    LogTail log;
    Vantixcallback(55, nullptr);
    EXPECT_EQ(10, progressValue);
    EXPECT_EQ("Vantix->Vantixcallback: progress=55 : arg=0x0\r\n", log.added());
}

TEST_F(DeviceLoopTest, TraceLinesNameTheRecordAndItsFields) {
    progressCallsPerUninstall = 1;
    LogTail log;
    run("A\\B\\C");
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("Vantix->kmvs_Initialize mOpts(0x" + hexAddress(calls[0].record) +
                  "): hwType=B, hwChipset=A, usbCtrlr=B\\C, modemId=\r\nVantix->kmvs_Uninstall\r\n"
                  "Vantix->Vantixcallback: progress=99 : arg=0x" + hexAddress(&window) + "\r\n",
              log.added());
}

// Where pointers are 64 bits wide, an object can lie above 4 GB: the trace
// line names its whole address, not the lower half.
TEST_F(DeviceLoopTest, TraceLineNamesAnAddressAbove4GbWhole) {
    void* memory = VirtualAlloc(nullptr, sizeof(ProgressWindow), MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN,
                                PAGE_READWRITE);
    ASSERT_NE(nullptr, memory);
#ifdef _WIN64
    ASSERT_GT(reinterpret_cast<uintptr_t>(memory), uintptr_t(0xFFFFFFFF)) << "no address above 4 GB";
#endif
    ProgressWindow* high = new (memory) ProgressWindow;
    LogTail log;
    Vantixcallback(5, high);
    EXPECT_EQ("Vantix->Vantixcallback: progress=5 : arg=0x" + hexAddress(high) + "\r\n", log.added());
    high->~ProgressWindow();
    VirtualFree(memory, 0, MEM_RELEASE);
}

TEST(GetDllFuncTest, FillsTheSlotFromTheExport) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    DWORD (*tick)() = nullptr;
    EXPECT_TRUE(getDllFunc(kernel, &tick, "GetTickCount"));
    EXPECT_NE(nullptr, tick);
}

TEST(GetDllFuncTest, MissingExportEmptiesTheSlot) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    IsUserAdminFunc slot = reinterpret_cast<IsUserAdminFunc>(1);
    EXPECT_FALSE(getDllFunc(kernel, &slot, isUserAdminExportName));
    EXPECT_EQ(nullptr, slot);
}

TEST(GetDllFuncTest, MissingArgumentsLeaveTheSlotAlone) {
    IsUserAdminFunc slot = reinterpret_cast<IsUserAdminFunc>(1);
    EXPECT_FALSE(getDllFunc(nullptr, &slot, "GetTickCount"));
    EXPECT_FALSE(getDllFunc(GetModuleHandleA("kernel32.dll"), &slot, nullptr));
    EXPECT_EQ(reinterpret_cast<IsUserAdminFunc>(1), slot);
    EXPECT_FALSE(getDllFunc(GetModuleHandleA("kernel32.dll"), static_cast<IsUserAdminFunc*>(nullptr),
                            "GetTickCount"));
}
}  // namespace
