// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/register_tables.h"

#include <algorithm>
#include <array>
#include <vector>

#include "config_space/capability_groups.h"

namespace qbus::config_space {
namespace {

// The tables keep one register or field a line.
// clang-format off

using namespace table_parts;
using enum Meaning;

// Encodings named by value.
constexpr const char* kDevselTimings[] = {"fast", "medium", "slow"};
constexpr const char* kAuxCurrents[] = {"0 mA", "55 mA", "100 mA", "160 mA",
                                        "220 mA", "270 mA", "320 mA", "375 mA"};
constexpr const char* kL0sExitLatencies[] = {"<64 ns", "<128 ns", "<256 ns", "<512 ns",
                                             "<1 us", "<2 us", "<4 us", ">4 us"};
constexpr const char* kL1ExitLatencies[] = {"<1 us", "<2 us", "<4 us", "<8 us",
                                            "<16 us", "<32 us", "<64 us", ">64 us"};
constexpr const char* kL0sAcceptable[] = {"<64 ns", "<128 ns", "<256 ns", "<512 ns",
                                          "<1 us", "<2 us", "<4 us", "unlimited"};
constexpr const char* kL1Acceptable[] = {"<1 us", "<2 us", "<4 us", "<8 us",
                                         "<16 us", "<32 us", "<64 us", "unlimited"};
constexpr const char* kCompletionBoundaries[] = {"64 bytes", "128 bytes"};
constexpr const char* kBarIndicators[] = {"BAR0", "BAR1", "BAR2", "BAR3", "BAR4", "BAR5"};
constexpr const char* kIndicators[] = {nullptr, "on", "blink", "off"};
constexpr const char* kPhantomFunctions[] = {"none", "1 bit", "2 bits", "3 bits"};
constexpr const char* kDeemphasis[] = {"-6 dB", "-3.5 dB"};
constexpr const char* kWindowWidths16[] = {"16-bit", "32-bit"};
constexpr const char* kWindowWidths32[] = {"32-bit", "64-bit"};
constexpr const char* kEndEndPrefixes[] = {"4", "1", "2", "3"};
constexpr const char* kCompliancePresets[] = {
    "-6 dB de-emphasis, 0 dB preshoot",   "-3.5 dB de-emphasis, 0 dB preshoot",
    "-4.4 dB de-emphasis, 0 dB preshoot", "-2.5 dB de-emphasis, 0 dB preshoot",
    "0 dB de-emphasis, 0 dB preshoot",    "0 dB de-emphasis, 1.9 dB preshoot",
    "0 dB de-emphasis, 2.5 dB preshoot",  "-6 dB de-emphasis, 3.5 dB preshoot",
    "-3.5 dB de-emphasis, 3.5 dB preshoot", "0 dB de-emphasis, 3.5 dB preshoot"};
constexpr const char* kTransmitMargins[] = {"Normal Operating Range"};
constexpr const char* kSlotPowerScales[] = {"x1.0", "x0.1", "x0.01", "x0.001"};

// The standard header, common part.
constexpr FieldName kCommand[] = {
    {0, 0, "I/O Space Enable"},
    {1, 1, "Memory Space Enable"},
    {2, 2, "Bus Master Enable"},
    {3, 3, "Special Cycles", RO},
    {4, 4, "Memory Write and Invalidate Enable"},
    {5, 5, "VGA Palette Snoop"},
    {6, 6, "Parity Error Response"},
    {7, 7, "IDSEL Stepping", RO},
    {8, 8, "SERR# Enable"},
    {9, 9, "Fast Back-to-Back Enable"},
    {10, 10, "Interrupt Disable"},
    {11, 15, "Reserved", RO},
};
constexpr FieldName kStatus[] = {
    {0, 0, "Immediate Readiness", RO},
    {1, 2, "Reserved", RO},
    {3, 3, "Interrupt Status", RO},
    {4, 4, "Capabilities List", RO},
    {5, 5, "66 MHz Capable", RO},
    {6, 6, "Reserved (User-Definable Features)", RO},
    {7, 7, "Fast Back-to-Back Capable", RO},
    {8, 8, "Master Data Parity Error", W1C},
    {9, 10, "DEVSEL Timing", RO, kNone, kDevselTimings},
    {11, 11, "Signaled Target Abort", W1C},
    {12, 12, "Received Target Abort", W1C},
    {13, 13, "Received Master Abort", W1C},
    {14, 14, "Signaled System Error", W1C},
    {15, 15, "Detected Parity Error", W1C},
};
constexpr FieldName kHeaderType[] = {
    {0, 6, "Header Layout", RO, kHeaderLayout},
    {7, 7, "Multi-Function Device", RO, kMultiFunction},
};
constexpr FieldName kBist[] = {
    {0, 3, "Completion Code", RO},
    {4, 5, "Reserved", RO},
    {6, 6, "Start BIST"},
    {7, 7, "BIST Capable", RO},
};
constexpr RegisterName kCommon[] = {
    {0x00, 2, "Vendor ID", {}, RO, kVendorName},
    {0x02, 2, "Device ID", {}, RO, kDeviceName},
    {0x04, 2, "Command", kCommand},
    {0x06, 2, "Status", kStatus},
    {0x08, 1, "Revision ID", {}, RO},
    {0x09, 1, "Programming Interface", {}, RO, kProgrammingInterface},
    {0x0A, 1, "Subclass", {}, RO, kSubclass},
    {0x0B, 1, "Class Code", {}, RO, kClass},
    {0x0C, 1, "Cache Line Size", {}, RW, kDwords},
    {0x0D, 1, "Latency Timer"},
    {0x0E, 1, "Header Type", kHeaderType},
    {0x0F, 1, "BIST", kBist},
};

// Header type 0: a device.
constexpr FieldName kBar[] = {
    {0, 0, "I/O space indicator", RO, kSpaceIndicator},
    {1, 2, "Memory type (32-bit, 64-bit)", RO, kMemoryType},
    {3, 3, "Prefetchable", RO, kPrefetchable},
    {4, 31, "Base address", RW, kMemoryBase},
};
constexpr FieldName kIoBar[] = {
    {0, 0, "I/O space indicator", RO, kSpaceIndicator},
    {1, 1, "Reserved", RO},
    {2, 31, "Base address", RW, kIoBase},
};
constexpr FieldName kUpperBar[] = {
    {0, 31, "Upper half of a 64-bit base address", RW, kUpperBase},
};
constexpr FieldName kRomBar[] = {
    {0, 0, "ROM Enable"},
    {1, 10, "Reserved", RO},
    {11, 31, "ROM base address", RW, kAddress},
};
constexpr RegisterName kType0[] = {
    {0x10, 4, "BAR0", kBar},
    {0x14, 4, "BAR1", kBar},
    {0x18, 4, "BAR2", kBar},
    {0x1C, 4, "BAR3", kBar},
    {0x20, 4, "BAR4", kBar},
    {0x24, 4, "BAR5", kBar},
    {0x28, 4, "CardBus CIS Pointer", {}, RO},
    {0x2C, 2, "Subsystem Vendor ID", {}, RO, kSubsystemVendorName},
    {0x2E, 2, "Subsystem ID", {}, RO, kSubsystemName},
    {0x30, 4, "Expansion ROM Base Address", kRomBar},
    {0x34, 1, "Capabilities Pointer", {}, RO},
    {0x35, 3, "Reserved", {}, RO},
    {0x38, 4, "Reserved", {}, RO},
    {0x3C, 1, "Interrupt Line"},
    {0x3D, 1, "Interrupt Pin", {}, RO, kInterruptPin},
    {0x3E, 1, "Min_Gnt", {}, RO, kQuarterMicroseconds},
    {0x3F, 1, "Max_Lat", {}, RO, kQuarterMicroseconds},
};

// Header type 1: a PCI-to-PCI bridge.
// A window's base and limit share their layout; the base's field gives the range both open.
constexpr FieldName kMemoryWindowBase[] = {
    {0, 3, "Reserved", RO},
    {4, 15, "Address bits 31-20 of the window", RW, kWindowBase},
};
constexpr FieldName kMemoryWindowLimit[] = {
    {0, 3, "Reserved", RO},
    {4, 15, "Address bits 31-20 of the window", RW, kWindowLimit},
};
constexpr FieldName kPrefetchableWindowBase[] = {
    {0, 3, "Addressing capability (32-bit or 64-bit)", RO, kNone, kWindowWidths32},
    {4, 15, "Address bits 31-20 of the window", RW, kWindowBase},
};
constexpr FieldName kPrefetchableWindowLimit[] = {
    {0, 3, "Addressing capability (32-bit or 64-bit)", RO, kNone, kWindowWidths32},
    {4, 15, "Address bits 31-20 of the window", RW, kWindowLimit},
};
constexpr FieldName kIoWindowBase[] = {
    {0, 3, "Addressing capability (16-bit or 32-bit)", RO, kNone, kWindowWidths16},
    {4, 7, "Address bits 15-12 of the window", RW, kWindowBase},
};
constexpr FieldName kIoWindowLimit[] = {
    {0, 3, "Addressing capability (16-bit or 32-bit)", RO, kNone, kWindowWidths16},
    {4, 7, "Address bits 15-12 of the window", RW, kWindowLimit},
};
constexpr FieldName kSecondaryStatus[] = {
    {0, 4, "Reserved", RO},
    {5, 5, "66 MHz Capable", RO},
    {6, 6, "Reserved", RO},
    {7, 7, "Fast Back-to-Back Capable", RO},
    {8, 8, "Master Data Parity Error", W1C},
    {9, 10, "DEVSEL Timing", RO, kNone, kDevselTimings},
    {11, 11, "Signaled Target Abort", W1C},
    {12, 12, "Received Target Abort", W1C},
    {13, 13, "Received Master Abort", W1C},
    {14, 14, "Received System Error", W1C},
    {15, 15, "Detected Parity Error", W1C},
};
constexpr FieldName kBridgeControl[] = {
    {0, 0, "Parity Error Response Enable"},
    {1, 1, "SERR# Enable"},
    {2, 2, "ISA Enable"},
    {3, 3, "VGA Enable"},
    {4, 4, "VGA 16-bit Decode"},
    {5, 5, "Master Abort Mode"},
    {6, 6, "Secondary Bus Reset"},
    {7, 7, "Fast Back-to-Back Enable"},
    {8, 8, "Primary Discard Timeout"},
    {9, 9, "Secondary Discard Timeout"},
    {10, 10, "Discard Timer Status", W1C},
    {11, 11, "Discard Timer SERR# Enable"},
    {12, 15, "Reserved", RO},
};
constexpr RegisterName kType1[] = {
    {0x10, 4, "BAR0", kBar},
    {0x14, 4, "BAR1", kBar},
    {0x18, 1, "Primary Bus Number"},
    {0x19, 1, "Secondary Bus Number"},
    {0x1A, 1, "Subordinate Bus Number"},
    {0x1B, 1, "Secondary Latency Timer"},
    {0x1C, 1, "I/O Base", kIoWindowBase},
    {0x1D, 1, "I/O Limit", kIoWindowLimit},
    {0x1E, 2, "Secondary Status", kSecondaryStatus},
    {0x20, 2, "Memory Base", kMemoryWindowBase},
    {0x22, 2, "Memory Limit", kMemoryWindowLimit},
    {0x24, 2, "Prefetchable Memory Base", kPrefetchableWindowBase},
    {0x26, 2, "Prefetchable Memory Limit", kPrefetchableWindowLimit},
    {0x28, 4, "Prefetchable Base Upper 32 Bits"},
    {0x2C, 4, "Prefetchable Limit Upper 32 Bits"},
    {0x30, 2, "I/O Base Upper 16 Bits"},
    {0x32, 2, "I/O Limit Upper 16 Bits"},
    {0x34, 1, "Capabilities Pointer", {}, RO},
    {0x35, 3, "Reserved", {}, RO},
    {0x38, 4, "Expansion ROM Base Address", kRomBar},
    {0x3C, 1, "Interrupt Line"},
    {0x3D, 1, "Interrupt Pin", {}, RO, kInterruptPin},
    {0x3E, 2, "Bridge Control", kBridgeControl},
};

// Header type 2: a CardBus bridge. A window's limit is its last address.
constexpr FieldName kCardBusMemoryBase[] = {
    {0, 11, "Reserved", RO},
    {12, 31, "Address bits 31-12 of the window", RW, kAddress},
};
constexpr FieldName kCardBusMemoryLimit[] = {
    {0, 11, "Reserved", RO},
    {12, 31, "Address bits 31-12 of the window", RW, kLastAddress},
};
constexpr FieldName kCardBusIoBase[] = {
    {0, 1, "Addressing capability (16-bit or 32-bit)", RO, kNone, kWindowWidths16},
    {2, 31, "Address bits 31-2 of the window", RW, kAddress},
};
constexpr FieldName kCardBusIoLimit[] = {
    {0, 1, "Reserved", RO},
    {2, 31, "Address bits 31-2 of the window", RW, kLastAddress},
};
constexpr FieldName kCardBusControl[] = {
    {0, 0, "Parity Error Response Enable"},
    {1, 1, "SERR# Enable"},
    {2, 2, "ISA Enable"},
    {3, 3, "VGA Enable"},
    {4, 4, "Reserved", RO},
    {5, 5, "Master Abort Mode"},
    {6, 6, "CardBus Reset"},
    {7, 7, "16-bit Interrupt Enable"},
    {8, 8, "Memory 0 Prefetch Enable"},
    {9, 9, "Memory 1 Prefetch Enable"},
    {10, 10, "Write Posting Enable"},
    {11, 15, "Reserved", RO},
};
constexpr RegisterName kType2[] = {
    {0x10, 4, "CardBus Socket Base Address"},
    {0x14, 1, "Capabilities Pointer", {}, RO},
    {0x15, 1, "Reserved", {}, RO},
    {0x16, 2, "Secondary Status", kSecondaryStatus},
    {0x18, 1, "PCI Bus Number"},
    {0x19, 1, "CardBus Bus Number"},
    {0x1A, 1, "Subordinate Bus Number"},
    {0x1B, 1, "CardBus Latency Timer"},
    {0x1C, 4, "Memory Base 0", kCardBusMemoryBase},
    {0x20, 4, "Memory Limit 0", kCardBusMemoryLimit},
    {0x24, 4, "Memory Base 1", kCardBusMemoryBase},
    {0x28, 4, "Memory Limit 1", kCardBusMemoryLimit},
    {0x2C, 4, "I/O Base 0", kCardBusIoBase},
    {0x30, 4, "I/O Limit 0", kCardBusIoLimit},
    {0x34, 4, "I/O Base 1", kCardBusIoBase},
    {0x38, 4, "I/O Limit 1", kCardBusIoLimit},
    {0x3C, 1, "Interrupt Line"},
    {0x3D, 1, "Interrupt Pin", {}, RO, kInterruptPin},
    {0x3E, 2, "Bridge Control", kCardBusControl},
    {0x40, 2, "Subsystem Vendor ID", {}, RO, kSubsystemVendorName},
    {0x42, 2, "Subsystem ID", {}, RO, kSubsystemName},
    {0x44, 4, "16-bit Legacy Mode Base Address"},
};

// Capabilities. Every one starts with its ID and the pointer to the next.
constexpr RegisterName kCapabilityHeader[] = {
    {0x00, 1, "Capability ID", {}, RO, kCapabilityId},
    {0x01, 1, "Next Capability Pointer", {}, RO},
};

constexpr FieldName kPmCapabilities[] = {
    {0, 2, "Version", RO},
    {3, 3, "PME Clock", RO},
    {4, 4, "Reserved", RO},
    {5, 5, "Device Specific Initialization", RO},
    {6, 8, "Aux Current", RO, kNone, kAuxCurrents},
    {9, 9, "D1 Support", RO},
    {10, 10, "D2 Support", RO},
    {11, 11, "PME Support D0", RO},
    {12, 12, "PME Support D1", RO},
    {13, 13, "PME Support D2", RO},
    {14, 14, "PME Support D3hot", RO},
    {15, 15, "PME Support D3cold", RO},
};
constexpr FieldName kPmControl[] = {
    {0, 1, "Power State (D0 to D3hot)", RW, kPowerState},
    {2, 2, "Reserved", RO},
    {3, 3, "No Soft Reset", RO},
    {4, 7, "Reserved", RO},
    {8, 8, "PME Enable"},
    {9, 12, "Data Select"},
    {13, 14, "Data Scale", RO},
    {15, 15, "PME Status", W1C},
};
constexpr RegisterName kPowerManagement[] = {
    {0x00, 1, "Capability ID", {}, RO, kCapabilityId},
    {0x01, 1, "Next Capability Pointer", {}, RO},
    {0x02, 2, "Capabilities", kPmCapabilities},
    {0x04, 2, "Control/Status", kPmControl},
    {0x06, 1, "Bridge Extensions", {}, RO},
    {0x07, 1, "Data", {}, RO},
};

constexpr FieldName kMsiControl[] = {
    {0, 0, "MSI Enable"},
    {1, 3, "Multiple Message Capable", RO, kMessageCount},
    {4, 6, "Multiple Message Enable", RW, kMessageCount},
    {7, 7, "64-bit Address Capable", RO},
    {8, 8, "Per-Vector Masking Capable", RO},
    {9, 9, "Extended Message Data Capable", RO},
    {10, 10, "Extended Message Data Enable"},
    {11, 15, "Reserved", RO},
};
constexpr FieldName kMsiAddress[] = {
    {0, 1, "Reserved", RO},
    {2, 31, "Message Address", RW, kAddress},
};
// Four layouts, by the address width (bit 7) and per-vector masking (bit 8); the Message Data
// word is followed by the Extended Message Data word only where masking keeps a dword for it.
constexpr RegisterName kMsi32[] = {
    {0x00, 1, "Capability ID", {}, RO, kCapabilityId},
    {0x01, 1, "Next Capability Pointer", {}, RO},
    {0x02, 2, "Message Control", kMsiControl},
    {0x04, 4, "Message Address", kMsiAddress},
    {0x08, 2, "Message Data"},
};
constexpr RegisterName kMsi64[] = {
    {0x00, 1, "Capability ID", {}, RO, kCapabilityId},
    {0x01, 1, "Next Capability Pointer", {}, RO},
    {0x02, 2, "Message Control", kMsiControl},
    {0x04, 4, "Message Address", kMsiAddress},
    {0x08, 4, "Message Upper Address"},
    {0x0C, 2, "Message Data"},
};
constexpr RegisterName kMsi32Masked[] = {
    {0x00, 1, "Capability ID", {}, RO, kCapabilityId},
    {0x01, 1, "Next Capability Pointer", {}, RO},
    {0x02, 2, "Message Control", kMsiControl},
    {0x04, 4, "Message Address", kMsiAddress},
    {0x08, 2, "Message Data"},
    {0x0A, 2, "Extended Message Data"},
    {0x0C, 4, "Mask Bits"},
    {0x10, 4, "Pending Bits", {}, RO},
};
constexpr RegisterName kMsi64Masked[] = {
    {0x00, 1, "Capability ID", {}, RO, kCapabilityId},
    {0x01, 1, "Next Capability Pointer", {}, RO},
    {0x02, 2, "Message Control", kMsiControl},
    {0x04, 4, "Message Address", kMsiAddress},
    {0x08, 4, "Message Upper Address"},
    {0x0C, 2, "Message Data"},
    {0x0E, 2, "Extended Message Data"},
    {0x10, 4, "Mask Bits"},
    {0x14, 4, "Pending Bits", {}, RO},
};
std::span<const RegisterName> MsiRegisters(const ConfigReader& read, uint32_t at, int) {
  const uint32_t control = read(at + 2, 2).value_or(0);
  const bool wide = (control & 0x80) != 0, masked = (control & 0x100) != 0;
  if (masked) return wide ? std::span<const RegisterName>(kMsi64Masked) : kMsi32Masked;
  return wide ? std::span<const RegisterName>(kMsi64) : kMsi32;
}

constexpr FieldName kMsixControl[] = {
    {0, 10, "Table Size", RO, kTableSize},
    {11, 13, "Reserved", RO},
    {14, 14, "Function Mask"},
    {15, 15, "MSI-X Enable"},
};
constexpr FieldName kMsixTable[] = {
    {0, 2, "BAR Indicator", RO, kNone, kBarIndicators},
    {3, 31, "Offset", RO, kAddress},
};
constexpr RegisterName kMsix[] = {
    {0x00, 1, "Capability ID", {}, RO, kCapabilityId},
    {0x01, 1, "Next Capability Pointer", {}, RO},
    {0x02, 2, "Message Control", kMsixControl},
    {0x04, 4, "Table Offset", kMsixTable},
    {0x08, 4, "PBA Offset", kMsixTable},
};

constexpr FieldName kExpressCapabilities[] = {
    {0, 3, "Capability Version", RO},
    {4, 7, "Device/Port Type", RO, kPortType},
    {8, 8, "Slot Implemented", RO},
    {9, 13, "Interrupt Message Number", RO, kNumber},
    {14, 15, "Reserved", RO},
};
constexpr FieldName kDeviceControl[] = {
    {0, 0, "Correctable Error Reporting Enable"},
    {1, 1, "Non-Fatal Error Reporting Enable"},
    {2, 2, "Fatal Error Reporting Enable"},
    {3, 3, "Unsupported Request Reporting Enable"},
    {4, 4, "Enable Relaxed Ordering"},
    {5, 7, "Max Payload Size", RW, kSize128},
    {8, 8, "Extended Tag Field Enable"},
    {9, 9, "Phantom Functions Enable"},
    {10, 10, "Aux Power PM Enable"},
    {11, 11, "Enable No Snoop"},
    {12, 14, "Max Read Request Size", RW, kSize128},
    {15, 15, "Bridge Configuration Retry Enable / Initiate Function Level Reset"},
};
constexpr FieldName kDeviceStatus[] = {
    {0, 0, "Correctable Error Detected", W1C},
    {1, 1, "Non-Fatal Error Detected", W1C},
    {2, 2, "Fatal Error Detected", W1C},
    {3, 3, "Unsupported Request Detected", W1C},
    {4, 4, "Aux Power Detected", RO},
    {5, 5, "Transactions Pending", RO},
    {6, 15, "Reserved", RO},
};
constexpr FieldName kLinkControl[] = {
    {0, 1, "ASPM Control", RW, kAspmControl},
    {2, 2, "Reserved", RO},
    {3, 3, "Read Completion Boundary", RW, kNone, kCompletionBoundaries},
    {4, 4, "Link Disable"},
    {5, 5, "Retrain Link"},
    {6, 6, "Common Clock Configuration"},
    {7, 7, "Extended Synch"},
    {8, 8, "Enable Clock Power Management"},
    {9, 9, "Hardware Autonomous Width Disable"},
    {10, 10, "Link Bandwidth Management Interrupt Enable"},
    {11, 11, "Link Autonomous Bandwidth Interrupt Enable"},
    {12, 15, "Reserved", RO},
};
constexpr FieldName kLinkStatus[] = {
    {0, 3, "Current Link Speed", RO, kLinkSpeed},
    {4, 9, "Negotiated Link Width", RO, kLinkWidth},
    {10, 10, "Reserved (Link Training Error)", RO},
    {11, 11, "Link Training", RO},
    {12, 12, "Slot Clock Configuration", RO},
    {13, 13, "Data Link Layer Link Active", RO},
    {14, 14, "Link Bandwidth Management Status", W1C},
    {15, 15, "Link Autonomous Bandwidth Status", W1C},
};
constexpr FieldName kSlotControl[] = {
    {0, 0, "Attention Button Pressed Enable"},
    {1, 1, "Power Fault Detected Enable"},
    {2, 2, "MRL Sensor Changed Enable"},
    {3, 3, "Presence Detect Changed Enable"},
    {4, 4, "Command Completed Interrupt Enable"},
    {5, 5, "Hot-Plug Interrupt Enable"},
    {6, 7, "Attention Indicator Control", RW, kNone, kIndicators},
    {8, 9, "Power Indicator Control", RW, kNone, kIndicators},
    {10, 10, "Power Controller Control"},
    {11, 11, "Electromechanical Interlock Control"},
    {12, 12, "Data Link Layer State Changed Enable"},
    {13, 13, "Auto Slot Power Limit Disable"},
    {14, 15, "Reserved", RO},
};
constexpr FieldName kSlotStatus[] = {
    {0, 0, "Attention Button Pressed", W1C},
    {1, 1, "Power Fault Detected", W1C},
    {2, 2, "MRL Sensor Changed", W1C},
    {3, 3, "Presence Detect Changed", W1C},
    {4, 4, "Command Completed", W1C},
    {5, 5, "MRL Sensor State", RO},
    {6, 6, "Presence Detect State", RO},
    {7, 7, "Electromechanical Interlock Status", RO},
    {8, 8, "Data Link Layer State Changed", W1C},
    {9, 15, "Reserved", RO},
};
constexpr FieldName kRootControl[] = {
    {0, 0, "System Error on Correctable Error Enable"},
    {1, 1, "System Error on Non-Fatal Error Enable"},
    {2, 2, "System Error on Fatal Error Enable"},
    {3, 3, "PME Interrupt Enable"},
    {4, 4, "CRS Software Visibility Enable"},
    {5, 15, "Reserved", RO},
};
constexpr FieldName kRootStatus[] = {
    {0, 15, "PME Requester ID", RO},
    {16, 16, "PME Status", W1C},
    {17, 17, "PME Pending", RO},
    {18, 31, "Reserved", RO},
};
constexpr FieldName kSlotCapabilities[] = {
    {0, 0, "Attention Button Present", RO},
    {1, 1, "Power Controller Present", RO},
    {2, 2, "MRL Sensor Present", RO},
    {3, 3, "Attention Indicator Present", RO},
    {4, 4, "Power Indicator Present", RO},
    {5, 5, "Hot-Plug Surprise", RO},
    {6, 6, "Hot-Plug Capable", RO},
    {7, 14, "Slot Power Limit Value", RO, kSlotPower},
    {15, 16, "Slot Power Limit Scale", RO, kNone, kSlotPowerScales},
    {17, 17, "Electromechanical Interlock Present", RO},
    {18, 18, "No Command Completed Support", RO},
    {19, 31, "Physical Slot Number", RO, kNumber},
};
constexpr FieldName kRootCapabilities[] = {
    {0, 0, "CRS Software Visibility", RO},
    {1, 15, "Reserved", RO},
};
constexpr FieldName kDeviceCapabilities2[] = {
    {0, 3, "Completion Timeout Ranges Supported", RO, kTimeoutRanges},
    {4, 4, "Completion Timeout Disable Supported", RO},
    {5, 5, "ARI Forwarding Supported", RO},
    {6, 6, "AtomicOp Routing Supported", RO},
    {7, 7, "32-bit AtomicOp Completer Supported", RO},
    {8, 8, "64-bit AtomicOp Completer Supported", RO},
    {9, 9, "128-bit CAS Completer Supported", RO},
    {10, 10, "No RO-enabled PR-PR Passing", RO},
    {11, 11, "LTR Mechanism Supported", RO},
    {12, 12, "TPH Completer Supported", RO},
    {13, 13, "Extended TPH Completer Supported", RO},
    {14, 15, "LN System CLS", RO},
    {16, 16, "10-Bit Tag Completer Supported", RO},
    {17, 17, "10-Bit Tag Requester Supported", RO},
    {18, 19, "OBFF Supported", RO, kObffSupport},
    {20, 20, "Extended Fmt Field Supported", RO},
    {21, 21, "End-End TLP Prefix Supported", RO},
    {22, 23, "Max End-End TLP Prefixes", RO, kNone, kEndEndPrefixes},
    {24, 25, "Emergency Power Reduction Supported", RO},
    {26, 26, "Emergency Power Reduction Initialization Required", RO},
    {27, 30, "Reserved", RO},
    {31, 31, "FRS Supported", RO},
};
constexpr FieldName kDeviceControl2[] = {
    {0, 3, "Completion Timeout Value", RW, kTimeoutValue},
    {4, 4, "Completion Timeout Disable"},
    {5, 5, "ARI Forwarding Enable"},
    {6, 6, "AtomicOp Requester Enable"},
    {7, 7, "AtomicOp Egress Blocking"},
    {8, 8, "IDO Request Enable"},
    {9, 9, "IDO Completion Enable"},
    {10, 10, "LTR Mechanism Enable"},
    {11, 11, "Emergency Power Reduction Request"},
    {12, 12, "10-Bit Tag Requester Enable"},
    {13, 14, "OBFF Enable", RW, kObffControl},
    {15, 15, "End-End TLP Prefix Blocking"},
};
constexpr FieldName kReservedStatus2[] = {
    {0, 15, "Reserved", RO},
};
constexpr FieldName kLinkStatus2[] = {
    {0, 0, "Current De-emphasis Level", RO, kNone, kDeemphasis},
    {1, 1, "Equalization 8.0 GT/s Complete", RO},
    {2, 2, "Equalization 8.0 GT/s Phase 1 Successful", RO},
    {3, 3, "Equalization 8.0 GT/s Phase 2 Successful", RO},
    {4, 4, "Equalization 8.0 GT/s Phase 3 Successful", RO},
    {5, 5, "Link Equalization Request 8.0 GT/s", W1C},
    {6, 6, "Retimer Presence Detected", RO},
    {7, 7, "Two Retimers Presence Detected", RO},
    {8, 9, "Crosslink Resolution", RO},
    {10, 11, "Reserved", RO},
    {12, 14, "Downstream Component Presence", RO},
    {15, 15, "DRS Message Received", W1C},
};
constexpr FieldName kDeviceCapabilities[] = {
    {0, 2, "Max Payload Size Supported", RO, kSize128},
    {3, 4, "Phantom Functions Supported", RO, kNone, kPhantomFunctions},
    {5, 5, "Extended Tag Field Supported", RO},
    {6, 8, "Endpoint L0s Acceptable Latency", RO, kNone, kL0sAcceptable},
    {9, 11, "Endpoint L1 Acceptable Latency", RO, kNone, kL1Acceptable},
    {12, 12, "Attention Button Present (PCI Express 1.0)", RO},
    {13, 13, "Attention Indicator Present (PCI Express 1.0)", RO},
    {14, 14, "Power Indicator Present (PCI Express 1.0)", RO},
    {15, 15, "Role-Based Error Reporting", RO},
    {16, 17, "Reserved", RO},
    {18, 25, "Captured Slot Power Limit Value", RO, kSlotPower},
    {26, 27, "Captured Slot Power Limit Scale", RO, kNone, kSlotPowerScales},
    {28, 28, "Function Level Reset Capability", RO},
    {29, 31, "Reserved", RO},
};
constexpr FieldName kLinkCapabilities[] = {
    {0, 3, "Max Link Speed", RO, kLinkSpeed},
    {4, 9, "Maximum Link Width", RO, kLinkWidth},
    {10, 11, "ASPM Support", RO, kAspmSupport},
    {12, 14, "L0s Exit Latency", RO, kNone, kL0sExitLatencies},
    {15, 17, "L1 Exit Latency", RO, kNone, kL1ExitLatencies},
    {18, 18, "Clock Power Management", RO},
    {19, 19, "Surprise Down Error Reporting Capable", RO},
    {20, 20, "Data Link Layer Link Active Reporting Capable", RO},
    {21, 21, "Link Bandwidth Notification Capability", RO},
    {22, 22, "ASPM Optionality Compliance", RO},
    {23, 23, "Reserved", RO},
    {24, 31, "Port Number", RO, kNumber},
};
constexpr FieldName kLinkCapabilities2[] = {
    {0, 0, "Reserved", RO},
    {1, 7, "Supported Link Speeds Vector", RO, kSpeedVector},
    {8, 8, "Crosslink Supported", RO},
    {9, 22, "Lower SKP OS Generation and Reception Supported Speeds", RO},
    {23, 23, "Retimer Presence Detect Supported", RO},
    {24, 24, "Two Retimers Presence Detect Supported", RO},
    {25, 30, "Reserved", RO},
    {31, 31, "DRS Supported", RO},
};
constexpr FieldName kLinkControl2[] = {
    {0, 3, "Target Link Speed", RW, kTargetLinkSpeed},
    {4, 4, "Enter Compliance"},
    {5, 5, "Hardware Autonomous Speed Disable"},
    {6, 6, "Selectable De-emphasis", RW, kNone, kDeemphasis},
    {7, 9, "Transmit Margin", RW, kNone, kTransmitMargins},
    {10, 10, "Enter Modified Compliance"},
    {11, 11, "Compliance SOS"},
    {12, 15, "Compliance Preset/De-emphasis", RW, kNone, kCompliancePresets},
};
constexpr RegisterName kExpress[] = {
    {0x00, 1, "Capability ID", {}, RO, kCapabilityId},
    {0x01, 1, "Next Capability Pointer", {}, RO},
    {0x02, 2, "Capabilities", kExpressCapabilities},
    {0x04, 4, "Device Capabilities", kDeviceCapabilities, RO},
    {0x08, 2, "Device Control", kDeviceControl},
    {0x0A, 2, "Device Status", kDeviceStatus},
    {0x0C, 4, "Link Capabilities", kLinkCapabilities, RO},
    {0x10, 2, "Link Control", kLinkControl},
    {0x12, 2, "Link Status", kLinkStatus},
    {0x14, 4, "Slot Capabilities", kSlotCapabilities, RO},
    {0x18, 2, "Slot Control", kSlotControl},
    {0x1A, 2, "Slot Status", kSlotStatus},
    {0x1C, 2, "Root Control", kRootControl},
    {0x1E, 2, "Root Capabilities", kRootCapabilities, RO},
    {0x20, 4, "Root Status", kRootStatus},
    {0x24, 4, "Device Capabilities 2", kDeviceCapabilities2, RO},
    {0x28, 2, "Device Control 2", kDeviceControl2},
    {0x2A, 2, "Device Status 2", kReservedStatus2},
    {0x2C, 4, "Link Capabilities 2", kLinkCapabilities2, RO},
    {0x30, 2, "Link Control 2", kLinkControl2},
    {0x32, 2, "Link Status 2", kLinkStatus2},
    {0x34, 4, "Slot Capabilities 2", {}, RO},
    {0x38, 2, "Slot Control 2"},
    {0x3A, 2, "Slot Status 2", kReservedStatus2},
};

// What a function has of the registers above: a link unless it is integrated in the root
// complex, a slot when a root or downstream port says one is implemented, the root registers
// on a root port or an event collector.
std::span<const RegisterName> ExpressRegisters(const ConfigReader& read, uint32_t at, int) {
  static const std::array<std::vector<RegisterName>, 8> kLayouts = [] {
    std::array<std::vector<RegisterName>, 8> layouts;
    for (size_t kind = 0; kind < layouts.size(); ++kind) {
      const bool link = kind & 1, slot = kind & 2, root = kind & 4;
      for (const RegisterName& reg : kExpress) {
        const bool link_register = (reg.offset >= 0x0C && reg.offset < 0x14) ||
                                   (reg.offset >= 0x2C && reg.offset < 0x34);
        const bool slot_register = (reg.offset >= 0x14 && reg.offset < 0x1C) || reg.offset >= 0x34;
        const bool root_register = reg.offset >= 0x1C && reg.offset < 0x24;
        if ((link_register && !link) || (slot_register && !slot) || (root_register && !root)) {
          continue;
        }
        layouts[kind].push_back(reg);
      }
    }
    return layouts;
  }();
  const uint32_t capabilities = read(at + 2, 2).value_or(0);
  const uint32_t type = capabilities >> 4 & 0xF;
  const bool link = type != 0x9 && type != 0xA;
  const bool slot = (capabilities & 0x100) != 0 && (type == 0x4 || type == 0x6);
  const bool root = type == 0x4 || type == 0xA;
  return kLayouts[(link ? 1 : 0) | (slot ? 2 : 0) | (root ? 4 : 0)];
}

constexpr RegisterName kVendorSpecific[] = {
    {0x00, 1, "Capability ID", {}, RO, kCapabilityId},
    {0x01, 1, "Next Capability Pointer", {}, RO},
    {0x02, 1, "Capability Length", {}, RO},
};

// Lengths in bytes; 0 where a field of the capability decides (see capability_walk.cpp) or where
// it is not fixed.
constexpr CapabilityName kCapabilities[] = {
    {0x00, "Null", kCapabilityHeader, 2},
    {0x01, "Power Management", kPowerManagement, 8},
    {0x02, "AGP", kCapabilityHeader, 12},
    {0x03, "Vital Product Data", kCapabilityHeader, 8},
    {0x04, "Slot Identification", kCapabilityHeader, 4},
    {0x05, "MSI", kMsi32, 0, MsiRegisters},
    {0x06, "CompactPCI Hot Swap", kCapabilityHeader, 4},
    {0x07, "PCI-X", kCapabilityHeader},
    {0x08, "HyperTransport", kCapabilityHeader},
    {0x09, "Vendor-Specific", kVendorSpecific},
    {0x0A, "Debug Port", kCapabilityHeader, 4},
    {0x0B, "CompactPCI Central Resource Control", kCapabilityHeader},
    {0x0C, "PCI Hot-Plug", kCapabilityHeader, 8},
    {0x0D, "Bridge Subsystem Vendor ID", kCapabilityHeader, 8},
    {0x0E, "AGP 8x", kCapabilityHeader},
    {0x0F, "Secure Device", kCapabilityHeader},
    {0x10, "PCI Express", kExpress, 0, ExpressRegisters},
    {0x11, "MSI-X", kMsix, 12},
    {0x12, "SATA Data/Index Configuration", kCapabilityHeader, 8},
    {0x13, "Advanced Features", kCapabilityHeader, 6},
    {0x14, "Enhanced Allocation", kCapabilityHeader},
    {0x15, "Flattening Portal Bridge", kCapabilityHeader},
};

// Extended capabilities start with one header dword: ID, version and next offset.
constexpr RegisterName kExtendedHeaderOnly[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
};
constexpr FieldName kUncorrectable[] = {
    {0, 3, "Reserved", RO},
    {4, 4, "Data Link Protocol Error"},
    {5, 5, "Surprise Down Error"},
    {6, 11, "Reserved", RO},
    {12, 12, "Poisoned TLP"},
    {13, 13, "Flow Control Protocol Error"},
    {14, 14, "Completion Timeout"},
    {15, 15, "Completer Abort"},
    {16, 16, "Unexpected Completion"},
    {17, 17, "Receiver Overflow"},
    {18, 18, "Malformed TLP"},
    {19, 19, "ECRC Error"},
    {20, 20, "Unsupported Request Error"},
    {21, 21, "ACS Violation"},
    {22, 22, "Uncorrectable Internal Error"},
    {23, 23, "MC Blocked TLP"},
    {24, 24, "AtomicOp Egress Blocked"},
    {25, 25, "TLP Prefix Blocked Error"},
    {26, 26, "Poisoned TLP Egress Blocked"},
    {27, 27, "DMWr Request Egress Blocked"},
    {28, 28, "IDE Check Failed"},
    {29, 29, "Misrouted IDE TLP"},
    {30, 30, "PCRC Check Failed"},
    {31, 31, "TLP Translation Egress Blocked"},
};
constexpr FieldName kCorrectable[] = {
    {0, 0, "Receiver Error"},
    {1, 5, "Reserved", RO},
    {6, 6, "Bad TLP"},
    {7, 7, "Bad DLLP"},
    {8, 8, "REPLAY_NUM Rollover"},
    {9, 11, "Reserved", RO},
    {12, 12, "Replay Timer Timeout"},
    {13, 13, "Advisory Non-Fatal Error"},
    {14, 14, "Corrected Internal Error"},
    {15, 15, "Header Log Overflow"},
    {16, 31, "Reserved", RO},
};
constexpr FieldName kAerControl[] = {
    {0, 4, "First Error Pointer", RO},
    {5, 5, "ECRC Generation Capable", RO},
    {6, 6, "ECRC Generation Enable"},
    {7, 7, "ECRC Check Capable", RO},
    {8, 8, "ECRC Check Enable"},
    {9, 9, "Multiple Header Recording Capable", RO},
    {10, 10, "Multiple Header Recording Enable"},
    {11, 11, "TLP Prefix Log Present", RO},
    {12, 12, "Completion Timeout Prefix/Header Log Capable", RO},
    {13, 31, "Reserved", RO},
};
constexpr FieldName kRootErrorCommand[] = {
    {0, 0, "Correctable Error Reporting Enable"},
    {1, 1, "Non-Fatal Error Reporting Enable"},
    {2, 2, "Fatal Error Reporting Enable"},
    {3, 31, "Reserved", RO},
};
constexpr FieldName kRootErrorStatus[] = {
    {0, 0, "ERR_COR Received"},
    {1, 1, "Multiple ERR_COR Received"},
    {2, 2, "ERR_FATAL/NONFATAL Received"},
    {3, 3, "Multiple ERR_FATAL/NONFATAL Received"},
    {4, 4, "First Uncorrectable Fatal"},
    {5, 5, "Non-Fatal Error Messages Received"},
    {6, 6, "Fatal Error Messages Received"},
    {7, 26, "Reserved", RO},
    {27, 31, "Advanced Error Interrupt Message Number", RO},
};
constexpr FieldName kErrorSource[] = {
    {0, 15, "ERR_COR Source Identification", RO},
    {16, 31, "ERR_FATAL/NONFATAL Source Identification", RO},
};
constexpr RegisterName kAer[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "Uncorrectable Error Status", kUncorrectable, W1C},
    {0x08, 4, "Uncorrectable Error Mask", kUncorrectable},
    {0x0C, 4, "Uncorrectable Error Severity", kUncorrectable},
    {0x10, 4, "Correctable Error Status", kCorrectable, W1C},
    {0x14, 4, "Correctable Error Mask", kCorrectable},
    {0x18, 4, "Advanced Error Capabilities and Control", kAerControl},
    {0x1C, 4, "Header Log, first dword", {}, RO},
    {0x20, 4, "Header Log, second dword", {}, RO},
    {0x24, 4, "Header Log, third dword", {}, RO},
    {0x28, 4, "Header Log, fourth dword", {}, RO},
    {0x2C, 4, "Root Error Command", kRootErrorCommand},
    {0x30, 4, "Root Error Status", kRootErrorStatus, W1C},
    {0x34, 4, "Error Source Identification", kErrorSource, RO},
};

constexpr RegisterName kSerialNumber[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "Serial Number, lower dword", {}, RO},
    {0x08, 4, "Serial Number, upper dword", {}, RO},
};
// Lane Equalization Control registers follow, one word per lane.
constexpr FieldName kLinkControl3[] = {
    {0, 0, "Perform Equalization"},
    {1, 1, "Link Equalization Request Interrupt Enable"},
    {2, 8, "Reserved", RO},
    {9, 15, "Enable Lower SKP OS Generation Vector"},
    {16, 31, "Reserved", RO},
};
constexpr RegisterName kSecondaryExpress[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "Link Control 3", kLinkControl3},
    {0x08, 4, "Lane Error Status", {}, W1C},
};
// The same bits say what ACS can do and what is enabled.
constexpr FieldName kAcsCapability[] = {
    {0, 0, "Source Validation"},
    {1, 1, "Translation Blocking"},
    {2, 2, "P2P Request Redirect"},
    {3, 3, "P2P Completion Redirect"},
    {4, 4, "Upstream Forwarding"},
    {5, 5, "P2P Egress Control"},
    {6, 6, "Direct Translated P2P"},
    {7, 7, "Enhanced Capability", RO},
    {8, 15, "Egress Control Vector Size", RO},
};
constexpr FieldName kAcsControl[] = {
    {0, 0, "Source Validation Enable"},
    {1, 1, "Translation Blocking Enable"},
    {2, 2, "P2P Request Redirect Enable"},
    {3, 3, "P2P Completion Redirect Enable"},
    {4, 4, "Upstream Forwarding Enable"},
    {5, 5, "P2P Egress Control Enable"},
    {6, 6, "Direct Translated P2P Enable"},
    {7, 7, "I/O Request Blocking Enable"},
    {8, 15, "Redirect and blocking controls of newer revisions"},
};
constexpr RegisterName kAccessControl[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 2, "ACS Capability", kAcsCapability, RO},
    {0x06, 2, "ACS Control", kAcsControl},
    // With P2P Egress Control, the vector follows: a bit per function or port, in as many
    // dwords as its size needs; the capability ends after them (capability_walk.cpp).
    {0x08, 4, "Egress Control Vector (bits 31-0)"},
    {0x0C, 4, "Egress Control Vector (bits 63-32)"},
    {0x10, 4, "Egress Control Vector (bits 95-64)"},
    {0x14, 4, "Egress Control Vector (bits 127-96)"},
    {0x18, 4, "Egress Control Vector (bits 159-128)"},
    {0x1C, 4, "Egress Control Vector (bits 191-160)"},
    {0x20, 4, "Egress Control Vector (bits 223-192)"},
    {0x24, 4, "Egress Control Vector (bits 255-224)"},
};
constexpr FieldName kLatency[] = {
    {0, 9, "Latency Value", RW, kLtrLatency},
    {10, 12, "Latency Scale"},
    {13, 15, "Reserved", RO},
};
constexpr RegisterName kLatencyTolerance[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 2, "Max Snoop Latency", kLatency},
    {0x06, 2, "Max No-Snoop Latency", kLatency},
};
constexpr FieldName kL1Capabilities[] = {
    {0, 0, "PCI-PM L1.2 Supported", RO},
    {1, 1, "PCI-PM L1.1 Supported", RO},
    {2, 2, "ASPM L1.2 Supported", RO},
    {3, 3, "ASPM L1.1 Supported", RO},
    {4, 4, "L1 PM Substates Supported", RO},
    {5, 7, "Reserved", RO},
    {8, 15, "Port Common_Mode_Restore_Time (us)", RO},
    {16, 17, "Port T_POWER_ON Scale", RO},
    {18, 18, "Reserved", RO},
    {19, 23, "Port T_POWER_ON Value", RO, kPowerOnTime},
    {24, 31, "Reserved", RO},
};
constexpr FieldName kL1Control1[] = {
    {0, 0, "PCI-PM L1.2 Enable"},
    {1, 1, "PCI-PM L1.1 Enable"},
    {2, 2, "ASPM L1.2 Enable"},
    {3, 3, "ASPM L1.1 Enable"},
    {4, 7, "Reserved", RO},
    {8, 15, "Common_Mode_Restore_Time (us)"},
    {16, 25, "LTR_L1.2_THRESHOLD_Value", RW, kL12Threshold},
    {26, 28, "Reserved", RO},
    {29, 31, "LTR_L1.2_THRESHOLD_Scale"},
};
constexpr FieldName kL1Control2[] = {
    {0, 1, "T_POWER_ON Scale"},
    {2, 2, "Reserved", RO},
    {3, 7, "T_POWER_ON Value", RW, kPowerOnTime},
    {8, 31, "Reserved", RO},
};
constexpr RegisterName kL1Substates[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "L1 PM Substates Capabilities", kL1Capabilities, RO},
    {0x08, 4, "L1 PM Substates Control 1", kL1Control1},
    {0x0C, 4, "L1 PM Substates Control 2", kL1Control2},
};
constexpr FieldName kPtmCapability[] = {
    {0, 0, "PTM Requester Capable", RO},
    {1, 1, "PTM Responder Capable", RO},
    {2, 2, "PTM Root Capable", RO},
    {3, 3, "ePTM Capable", RO},
    {4, 7, "Reserved", RO},
    {8, 15, "Local Clock Granularity (ns)", RO},
    {16, 31, "Reserved", RO},
};
constexpr FieldName kPtmControl[] = {
    {0, 0, "PTM Enable"},
    {1, 1, "Root Select"},
    {2, 7, "Reserved", RO},
    {8, 15, "Effective Granularity (ns)"},
    {16, 31, "Reserved", RO},
};
constexpr RegisterName kTimeMeasurement[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "PTM Capability", kPtmCapability, RO},
    {0x08, 4, "PTM Control", kPtmControl},
};
constexpr FieldName kDpcCapability[] = {
    {0, 4, "DPC Interrupt Message Number", RO},
    {5, 5, "RP Extensions for DPC", RO},
    {6, 6, "Poisoned TLP Egress Blocking Supported", RO},
    {7, 7, "DPC Software Triggering Supported", RO},
    {8, 11, "RP PIO Log Size", RO, kNumber},
    {12, 12, "DL_Active ERR_COR Signaling Supported", RO},
    {13, 15, "Reserved", RO},
};
constexpr FieldName kDpcControl[] = {
    {0, 1, "DPC Trigger Enable"},
    {2, 2, "DPC Completion Control"},
    {3, 3, "DPC Interrupt Enable"},
    {4, 4, "DPC ERR_COR Enable"},
    {5, 5, "Poisoned TLP Egress Blocking Enable"},
    {6, 6, "DPC Software Trigger"},
    {7, 7, "DL_Active ERR_COR Enable"},
    {8, 15, "Reserved", RO},
};
constexpr FieldName kDpcStatus[] = {
    {0, 0, "DPC Trigger Status"},
    {1, 2, "DPC Trigger Reason", RO},
    {3, 3, "DPC Interrupt Status"},
    {4, 4, "DPC RP Busy", RO},
    {5, 6, "DPC Trigger Reason Extension", RO},
    {7, 7, "Reserved", RO},
    {8, 12, "RP PIO First Error Pointer"},
    {13, 15, "Reserved", RO},
};
constexpr RegisterName kContainment[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 2, "DPC Capability", kDpcCapability, RO},
    {0x06, 2, "DPC Control", kDpcControl},
    {0x08, 2, "DPC Status", kDpcStatus, W1C},
    {0x0A, 2, "DPC Error Source ID", {}, RO},
};
// One capability and control pair per resizable BAR; the first control says how many.
constexpr FieldName kRebarCapability[] = {
    {0, 3, "Reserved", RO},
    {4, 31, "Supported BAR Sizes", RO, kBarSizes},
};
constexpr FieldName kRebarControl[] = {
    {0, 2, "BAR Index", RO},
    {3, 4, "Reserved", RO},
    {5, 7, "Number of Resizable BARs", RO},
    {8, 13, "BAR Size", RW, kBarSize},
    {14, 15, "Reserved", RO},
    {16, 31, "Larger Supported BAR Sizes", RO},
};
constexpr RegisterName kResizableBar[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "BAR Capability (first)", kRebarCapability, RO},
    {0x08, 4, "BAR Control (first)", kRebarControl},
    {0x0C, 4, "BAR Capability (second)", kRebarCapability, RO},
    {0x10, 4, "BAR Control (second)", kRebarControl},
    {0x14, 4, "BAR Capability (third)", kRebarCapability, RO},
    {0x18, 4, "BAR Control (third)", kRebarControl},
    {0x1C, 4, "BAR Capability (fourth)", kRebarCapability, RO},
    {0x20, 4, "BAR Control (fourth)", kRebarControl},
    {0x24, 4, "BAR Capability (fifth)", kRebarCapability, RO},
    {0x28, 4, "BAR Control (fifth)", kRebarControl},
    {0x2C, 4, "BAR Capability (sixth)", kRebarCapability, RO},
    {0x30, 4, "BAR Control (sixth)", kRebarControl},
};
constexpr FieldName kDoeCapabilities[] = {
    {0, 0, "DOE Interrupt Support", RO},
    {1, 11, "DOE Interrupt Message Number", RO},
    {12, 31, "Reserved", RO},
};
constexpr FieldName kDoeControl[] = {
    {0, 0, "DOE Abort"},
    {1, 1, "DOE Interrupt Enable"},
    {2, 30, "Reserved", RO},
    {31, 31, "DOE Go"},
};
constexpr FieldName kDoeStatus[] = {
    {0, 0, "DOE Busy", RO},
    {1, 1, "DOE Interrupt Status", W1C},
    {2, 2, "DOE Error", RO},
    {3, 30, "Reserved", RO},
    {31, 31, "Data Object Ready", RO},
};
constexpr RegisterName kDataObjectExchange[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "DOE Capabilities", kDoeCapabilities, RO},
    {0x08, 4, "DOE Control", kDoeControl},
    {0x0C, 4, "DOE Status", kDoeStatus},
    {0x10, 4, "DOE Write Data Mailbox"},
    {0x14, 4, "DOE Read Data Mailbox"},
};

constexpr CapabilityName kExtendedCapabilities[] = {
    {0x0000, "Null Extended", kExtendedHeaderOnly, 4},
    {0x0001, "Advanced Error Reporting", kAer, 0x38},
    {0x0002, "Virtual Channel", kExtendedHeaderOnly},
    {0x0003, "Device Serial Number", kSerialNumber, 12},
    {0x0004, "Power Budgeting", kExtendedHeaderOnly, 16},
    {0x0005, "Root Complex Link Declaration", kExtendedHeaderOnly},
    {0x0006, "Root Complex Internal Link Control", kExtendedHeaderOnly, 12},
    {0x0007, "Root Complex Event Collector Endpoint Association", kExtendedHeaderOnly},
    {0x0008, "Multi-Function Virtual Channel", kExtendedHeaderOnly},
    {0x0009, "Virtual Channel (with MFVC)", kExtendedHeaderOnly},
    {0x000A, "Root Complex Register Block Header", kExtendedHeaderOnly, 12},
    {0x000B, "Vendor-Specific Extended", kExtendedHeaderOnly},
    {0x000C, "Configuration Access Correlation", kExtendedHeaderOnly},
    {0x000D, "Access Control Services", kAccessControl},
    {0x000E, "Alternative Routing-ID Interpretation", kExtendedHeaderOnly, 8},
    {0x000F, "Address Translation Services", kExtendedHeaderOnly, 8},
    {0x0010, "Single Root I/O Virtualization", kExtendedHeaderOnly, 64},
    {0x0011, "Multi-Root I/O Virtualization", kExtendedHeaderOnly},
    {0x0012, "Multicast", kExtendedHeaderOnly, 48},
    {0x0013, "Page Request", kExtendedHeaderOnly, 16},
    {0x0014, "Reserved for AMD", kExtendedHeaderOnly},
    {0x0015, "Resizable BAR", kResizableBar},
    {0x0016, "Dynamic Power Allocation", kExtendedHeaderOnly},
    {0x0017, "TPH Requester", kExtendedHeaderOnly},
    {0x0018, "Latency Tolerance Reporting", kLatencyTolerance, 8},
    {0x0019, "Secondary PCI Express", kSecondaryExpress},
    {0x001A, "Protocol Multiplexing", kExtendedHeaderOnly},
    {0x001B, "Process Address Space ID", kExtendedHeaderOnly, 8},
    {0x001C, "LN Requester", kExtendedHeaderOnly, 8},
    {0x001D, "Downstream Port Containment", kContainment},
    {0x001E, "L1 PM Substates", kL1Substates, 16},
    {0x001F, "Precision Time Measurement", kTimeMeasurement, 12},
    {0x0020, "PCI Express over M-PHY", kExtendedHeaderOnly},
    {0x0021, "FRS Queueing", kExtendedHeaderOnly, 16},
    {0x0022, "Readiness Time Reporting", kExtendedHeaderOnly, 12},
    {0x0023, "Designated Vendor-Specific", kExtendedHeaderOnly},
    {0x0024, "VF Resizable BAR", kResizableBar},
    {0x0025, "Data Link Feature", kExtendedHeaderOnly, 12},
    {0x0026, "Physical Layer 16.0 GT/s", kExtendedHeaderOnly},
    {0x0027, "Lane Margining at the Receiver", kExtendedHeaderOnly},
    {0x0028, "Hierarchy ID", kExtendedHeaderOnly},
    {0x0029, "Native PCIe Enclosure Management", kExtendedHeaderOnly, 16},
    {0x002A, "Physical Layer 32.0 GT/s", kExtendedHeaderOnly},
    {0x002B, "Alternate Protocol", kExtendedHeaderOnly},
    {0x002C, "System Firmware Intermediary", kExtendedHeaderOnly},
    {0x002D, "Shadow Functions", kExtendedHeaderOnly},
    {0x002E, "Data Object Exchange", kDataObjectExchange, 24},
    {0x002F, "Device 3", kExtendedHeaderOnly},
    {0x0030, "Integrity and Data Encryption", kExtendedHeaderOnly},
    {0x0031, "Physical Layer 64.0 GT/s", kExtendedHeaderOnly},
    {0x0032, "Flit Logging", kExtendedHeaderOnly},
    {0x0033, "Flit Performance Measurement", kExtendedHeaderOnly},
    {0x0034, "Flit Error Injection", kExtendedHeaderOnly},
};

// clang-format on

const CapabilityName* Find(std::span<const CapabilityName> table, int id) {
  const auto found =
      std::find_if(table.begin(), table.end(), [id](const auto& c) { return c.id == id; });
  return found == table.end() ? nullptr : &*found;
}

}  // namespace

const char* AccessName(Access access) {
  switch (access) {
    case Access::kReadOnly:
      return "read-only";
    case Access::kWriteOneToClear:
      return "write 1 to clear";
    case Access::kReadWrite:
      break;
  }
  return "read-write";
}

Access BitAccess(std::span<const FieldName> fields, Access access, int bit) {
  if (fields.empty()) return access;
  for (const FieldName& field : fields) {
    if (bit >= field.low && bit <= field.high) {
      return field.access != Access::kReadWrite ? field.access : access;
    }
  }
  return Access::kReadOnly;
}

std::span<const RegisterName> CommonHeader() { return kCommon; }

std::span<const FieldName> BarFields(BarKind kind) {
  switch (kind) {
    case BarKind::kIo:
      return kIoBar;
    case BarKind::kUpperHalf:
      return kUpperBar;
    case BarKind::kMemory:
      break;
  }
  return kBar;
}

std::span<const RegisterName> TypeHeader(int header_type) {
  switch (header_type) {
    case 0:
      return kType0;
    case 1:
      return kType1;
    case 2:
      return kType2;
    default:
      return {};
  }
}

const CapabilityName* FindCapability(int id) {
  const CapabilityName* grouped = Find(BusCapabilities(), id);
  return grouped != nullptr ? grouped : Find(kCapabilities, id);
}
const CapabilityName* FindExtendedCapability(int id) {
  for (const auto group : {SharingExtendedCapabilities, LinkExtendedCapabilities}) {
    if (const CapabilityName* grouped = Find(group(), id)) return grouped;
  }
  return Find(kExtendedCapabilities, id);
}

}  // namespace qbus::config_space
