// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <array>
#include <string_view>

#include "config_space/capability_groups.h"

namespace qbus::config_space {
namespace {

// Counted registers (link entries, steering tags, vendor dwords) take their number into their
// name, so that the names are written once here rather than a line each.
template <size_t kCount, size_t kLength>
struct NumberedNames {
  char text[kCount][kLength] = {};
  constexpr NumberedNames(std::string_view prefix, std::string_view suffix) {
    for (size_t n = 0; n < kCount; ++n) {
      size_t at = 0;
      for (const char c : prefix) text[n][at++] = c;
      char digits[8] = {};
      size_t count = 0;
      for (size_t rest = n; count == 0 || rest != 0; rest /= 10) {
        digits[count++] = static_cast<char>('0' + rest % 10);
      }
      while (count != 0) text[n][at++] = digits[--count];
      for (const char c : suffix) text[n][at++] = c;
    }
  }
};

// The capabilities whose registers are counted end within the extended space; none holds more
// entries than fit after its fixed registers at 0x100.
constexpr uint32_t kExtendedEnd = 0x1000;
constexpr uint32_t kFirstExtended = 0x100;
constexpr size_t Fit(uint32_t fixed, uint32_t entry) {
  return (kExtendedEnd - kFirstExtended - fixed) / entry;
}
// How many entries of `entry` bytes after `fixed` bytes of the capability at `at` the extended
// space still holds, and so how many a chooser may return.
size_t Room(uint32_t at, uint32_t fixed, uint32_t entry) {
  return at + fixed >= kExtendedEnd ? 0 : (kExtendedEnd - at - fixed) / entry;
}

// The tables keep one register or field a line.
// clang-format off

using namespace table_parts;
using enum Meaning;


// 4 KB << n: a page size bit, the Smallest Translation Unit.
constexpr const char* kPageSizes[] = {
    "4 KB", "8 KB", "16 KB", "32 KB", "64 KB", "128 KB", "256 KB", "512 KB",
    "1 MB", "2 MB", "4 MB", "8 MB", "16 MB", "32 MB", "64 MB", "128 MB",
    "256 MB", "512 MB", "1 GB", "2 GB", "4 GB", "8 GB", "16 GB", "32 GB",
    "64 GB", "128 GB", "256 GB", "512 GB", "1 TB", "2 TB", "4 TB", "8 TB",
};
constexpr const char* kSupported[] = {"not supported", "supported"};

// Single Root I/O Virtualization.
constexpr FieldName kSriovCapabilities[] = {
    {0, 0, "VF Migration Capable"},
    {1, 1, "ARI Capable Hierarchy Preserved"},
    {2, 2, "VF 10-Bit Tag Requester Supported"},
    {3, 20, "Reserved"},
    {21, 31, "VF Migration Interrupt Message Number"},
};
constexpr FieldName kSriovControl[] = {
    {0, 0, "VF Enable"},
    {1, 1, "VF Migration Enable"},
    {2, 2, "VF Migration Interrupt Enable"},
    {3, 3, "VF MSE"},
    {4, 4, "ARI Capable Hierarchy"},
    {5, 5, "VF 10-Bit Tag Requester Enable"},
    {6, 15, "Reserved", RO},
};
constexpr FieldName kSriovStatus[] = {
    {0, 0, "VF Migration Status", W1C},
    {1, 15, "Reserved", RO},
};
// One bit per page size; the system page size sets one of those supported.
constexpr FieldName kPageSizeBits[] = {
    {0, 0, kPageSizes[0]}, {1, 1, kPageSizes[1]}, {2, 2, kPageSizes[2]}, {3, 3, kPageSizes[3]},
    {4, 4, kPageSizes[4]}, {5, 5, kPageSizes[5]}, {6, 6, kPageSizes[6]}, {7, 7, kPageSizes[7]},
    {8, 8, kPageSizes[8]}, {9, 9, kPageSizes[9]}, {10, 10, kPageSizes[10]}, {11, 11, kPageSizes[11]},
    {12, 12, kPageSizes[12]}, {13, 13, kPageSizes[13]}, {14, 14, kPageSizes[14]}, {15, 15, kPageSizes[15]},
    {16, 16, kPageSizes[16]}, {17, 17, kPageSizes[17]}, {18, 18, kPageSizes[18]}, {19, 19, kPageSizes[19]},
    {20, 20, kPageSizes[20]}, {21, 21, kPageSizes[21]}, {22, 22, kPageSizes[22]}, {23, 23, kPageSizes[23]},
    {24, 24, kPageSizes[24]}, {25, 25, kPageSizes[25]}, {26, 26, kPageSizes[26]}, {27, 27, kPageSizes[27]},
    {28, 28, kPageSizes[28]}, {29, 29, kPageSizes[29]}, {30, 30, kPageSizes[30]}, {31, 31, kPageSizes[31]},
};
// A VF BAR is a memory BAR; a 64-bit one takes the next VF BAR for its upper half, which
// shows the whole base.
constexpr FieldName kVfBar[] = {
    {0, 0, "Memory Space Indicator", RO, kSpaceIndicator},
    {1, 2, "Memory type (32-bit, 64-bit)", RO, kMemoryType},
    {3, 3, "Prefetchable", RO, kPrefetchable},
    {4, 31, "Base address", RW, kAddress},
};
constexpr FieldName kVfUpperBar[] = {
    {0, 31, "Upper half of a 64-bit base address", RW, kUpperBase},
};
constexpr FieldName kMigrationState[] = {
    {0, 2, "VF Migration State BIR", RO, kNumber},
    {3, 31, "VF Migration State Offset", RO, kAddress},
};
constexpr RegisterName kSriov[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "SR-IOV Capabilities", kSriovCapabilities, RO},
    {0x08, 2, "SR-IOV Control", kSriovControl},
    {0x0A, 2, "SR-IOV Status", kSriovStatus},
    {0x0C, 2, "InitialVFs", {}, RO, kNumber},
    {0x0E, 2, "TotalVFs", {}, RO, kNumber},
    {0x10, 2, "NumVFs", {}, RW, kNumber},
    {0x12, 1, "Function Dependency Link", {}, RO},
    {0x13, 1, "Reserved", {}, RO},
    {0x14, 2, "First VF Offset", {}, RO, kNumber},
    {0x16, 2, "VF Stride", {}, RO, kNumber},
    {0x18, 2, "Reserved", {}, RO},
    {0x1A, 2, "VF Device ID", {}, RO},
    {0x1C, 4, "Supported Page Sizes", kPageSizeBits, RO},
    {0x20, 4, "System Page Size", kPageSizeBits},
    {0x24, 4, "VF BAR0", kVfBar},
    {0x28, 4, "VF BAR1", kVfBar},
    {0x2C, 4, "VF BAR2", kVfBar},
    {0x30, 4, "VF BAR3", kVfBar},
    {0x34, 4, "VF BAR4", kVfBar},
    {0x38, 4, "VF BAR5", kVfBar},
    {0x3C, 4, "VF Migration State Array Offset", kMigrationState},
};

// By the VF BARs that hold an upper half (bit n - 1 for VF BAR n; VF BAR0 never does).
constexpr size_t kFirstVfBar = 15;
constexpr auto kSriovLayouts = [] {
  std::array<std::array<RegisterName, std::size(kSriov)>, 32> layouts{};
  for (size_t upper = 0; upper < layouts.size(); ++upper) {
    for (size_t i = 0; i < std::size(kSriov); ++i) layouts[upper][i] = kSriov[i];
    for (size_t bar = 1; bar < 6; ++bar) {
      if ((upper >> (bar - 1) & 1) != 0) layouts[upper][kFirstVfBar + bar].fields = kVfUpperBar;
    }
  }
  return layouts;
}();
static_assert(kSriov[kFirstVfBar].offset == 0x24);

// Address Translation Services. A queue depth of 0 stands for 32.
constexpr const char* kQueueDepths[] = {
    "32", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15",
    "16", "17", "18", "19", "20", "21", "22", "23", "24", "25", "26", "27", "28", "29", "30", "31",
};
constexpr FieldName kAtsCapability[] = {
    {0, 4, "Invalidate Queue Depth", RO, kNone, kQueueDepths},
    {5, 5, "Page Aligned Request"},
    {6, 6, "Global Invalidate Supported"},
    {7, 7, "Relaxed Ordering Supported"},
    {8, 15, "Reserved"},
};
constexpr FieldName kAtsControl[] = {
    {0, 4, "Smallest Translation Unit", RW, kNone, kPageSizes},
    {5, 14, "Reserved", RO},
    {15, 15, "ATS Enable"},
};
constexpr RegisterName kAts[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 2, "ATS Capability", kAtsCapability, RO},
    {0x06, 2, "ATS Control", kAtsControl},
};

// Page Request.
constexpr FieldName kPageRequestControl[] = {
    {0, 0, "Enable"},
    {1, 1, "Reset"},
    {2, 15, "Reserved", RO},
};
constexpr FieldName kPageRequestStatus[] = {
    {0, 0, "Response Failure"},
    {1, 1, "Unexpected Page Request Group Index"},
    {2, 7, "Reserved", RO},
    {8, 8, "Stopped", RO},
    {9, 14, "Reserved", RO},
    {15, 15, "PRG Response PASID Required", RO},
};
constexpr RegisterName kPageRequest[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 2, "Page Request Control", kPageRequestControl},
    {0x06, 2, "Page Request Status", kPageRequestStatus, W1C},
    {0x08, 4, "Outstanding Page Request Capacity", {}, RO, kNumber},
    {0x0C, 4, "Outstanding Page Request Allocation", {}, RW, kNumber},
};

// Process Address Space ID.
constexpr FieldName kPasidCapability[] = {
    {0, 0, "Reserved"},
    {1, 1, "Execute Permission Supported"},
    {2, 2, "Privileged Mode Supported"},
    {3, 3, "Translated Requests with PASID Supported"},
    {4, 7, "Reserved"},
    {8, 12, "Max PASID Width", RO, kNumber},
    {13, 15, "Reserved"},
};
constexpr FieldName kPasidControl[] = {
    {0, 0, "PASID Enable"},
    {1, 1, "Execute Permission Enable"},
    {2, 2, "Privileged Mode Enable"},
    {3, 3, "Translated Requests with PASID Enable"},
    {4, 15, "Reserved", RO},
};
constexpr RegisterName kPasid[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 2, "PASID Capability", kPasidCapability, RO},
    {0x06, 2, "PASID Control", kPasidControl},
};

// Alternative Routing-ID Interpretation.
constexpr FieldName kAriCapability[] = {
    {0, 0, "MFVC Function Groups Capability"},
    {1, 1, "ACS Function Groups Capability"},
    {2, 7, "Reserved"},
    {8, 15, "Next Function Number", RO, kNumber},
};
constexpr FieldName kAriControl[] = {
    {0, 0, "MFVC Function Groups Enable"},
    {1, 1, "ACS Function Groups Enable"},
    {2, 3, "Reserved", RO},
    {4, 6, "Function Group", RW, kNumber},
    {7, 15, "Reserved", RO},
};
constexpr RegisterName kAri[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 2, "ARI Capability", kAriCapability, RO},
    {0x06, 2, "ARI Control", kAriControl},
};

// Multicast. The group counts hold one less than the number of groups.
constexpr FieldName kMulticastCapability[] = {
    {0, 5, "MC_Max_Group", RO, kNumberPlusOne},
    {6, 7, "Reserved"},
    {8, 13, "MC_Window_Size_Requested (bytes)", RO, kPowerOfTwo},
    {14, 14, "Reserved"},
    {15, 15, "MC_ECRC_Regeneration_Supported"},
};
constexpr FieldName kMulticastControl[] = {
    {0, 5, "MC_Num_Group", RW, kNumberPlusOne},
    {6, 14, "Reserved", RO},
    {15, 15, "MC_Enable"},
};
constexpr FieldName kMulticastBase[] = {
    {0, 5, "MC_Index_Position", RW, kNumber},
    {6, 11, "Reserved", RO},
    {12, 31, "MC_Base_Address (bits 31-12)", RW, kAddress},
};
// An overlay of 2^n bytes; below 64 bytes there is no overlay.
constexpr struct OverlaySizes {
  char text[64][28] = {};
  const char* names[64] = {};
  constexpr OverlaySizes() {
    for (size_t n = 0; n < 64; ++n) {
      std::string_view name = "disabled";
      char digits[20] = {};
      size_t count = 0;
      for (uint64_t rest = uint64_t{1} << n; rest != 0; rest /= 10) {
        digits[count++] = static_cast<char>('0' + rest % 10);
      }
      size_t at = 0;
      if (n >= 6) {
        while (count != 0) text[n][at++] = digits[--count];
        name = " bytes";
      }
      for (const char c : name) text[n][at++] = c;
      names[n] = text[n];
    }
  }
} kOverlaySizes;
constexpr FieldName kOverlayBar[] = {
    {0, 5, "MC_Overlay_Size", RW, kNone, kOverlaySizes.names},
    {6, 31, "MC_Overlay_BAR (bits 31-6)", RW, kAddress},
};
constexpr RegisterName kMulticast[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 2, "Multicast Capability", kMulticastCapability, RO},
    {0x06, 2, "Multicast Control", kMulticastControl},
    {0x08, 4, "MC_Base_Address Register (bits 31-0)", kMulticastBase},
    {0x0C, 4, "MC_Base_Address Register (bits 63-32)"},
    {0x10, 4, "MC_Receive (bits 31-0)"},
    {0x14, 4, "MC_Receive (bits 63-32)"},
    {0x18, 4, "MC_Block_All (bits 31-0)"},
    {0x1C, 4, "MC_Block_All (bits 63-32)"},
    {0x20, 4, "MC_Block_Untranslated (bits 31-0)"},
    {0x24, 4, "MC_Block_Untranslated (bits 63-32)"},
    {0x28, 4, "MC_Overlay_BAR (bits 31-0)", kOverlayBar},
    {0x2C, 4, "MC_Overlay_BAR (bits 63-32)"},
};

// TPH Requester: the steering tag table follows when the capability holds it.
constexpr const char* kStLocations[] = {"not present", "in TPH capability structure",
                                        "in MSI-X table"};
constexpr const char* kStModes[] = {"No ST Mode", "Interrupt Vector Mode", "Device-Specific Mode"};
constexpr const char* kTphEnables[] = {"disabled", "TPH", nullptr, "TPH and Extended TPH"};
constexpr FieldName kTphCapability[] = {
    {0, 0, "No ST Mode Supported", RO, kNone, kSupported},
    {1, 1, "Interrupt Vector Mode Supported", RO, kNone, kSupported},
    {2, 2, "Device-Specific Mode Supported", RO, kNone, kSupported},
    {3, 7, "Reserved"},
    {8, 8, "Extended TPH Requester Supported", RO, kNone, kSupported},
    {9, 10, "ST Table Location", RO, kNone, kStLocations},
    {11, 15, "Reserved"},
    {16, 26, "ST Table Size", RO, kTableSize},
    {27, 31, "Reserved"},
};
constexpr FieldName kTphControl[] = {
    {0, 2, "ST Mode Select", RW, kNone, kStModes},
    {3, 7, "Reserved", RO},
    {8, 9, "TPH Requester Enable", RW, kNone, kTphEnables},
    {10, 31, "Reserved", RO},
};
constexpr FieldName kStEntry[] = {
    {0, 7, "ST Lower"},
    {8, 15, "ST Upper"},
};
constexpr uint32_t kTphFixed = 0x0C;
constexpr size_t kMaxStEntries = Fit(kTphFixed, 2);
constexpr NumberedNames<kMaxStEntries, 24> kStEntryNames("ST Table Entry ", "");
constexpr auto kTph = [] {
  std::array<RegisterName, 3 + kMaxStEntries> table{};
  table[0] = {0x00, 4, "Extended Capability Header", kExtendedHeader};
  table[1] = {0x04, 4, "TPH Requester Capability", kTphCapability, RO};
  table[2] = {0x08, 4, "TPH Requester Control", kTphControl};
  for (size_t n = 0; n < kMaxStEntries; ++n) {
    table[3 + n] = {static_cast<int>(kTphFixed + 2 * n), 2, kStEntryNames.text[n], kStEntry};
  }
  return table;
}();

// Root Complex Event Collector Endpoint Association: version 2 adds the bus range.
constexpr FieldName kRcecBuses[] = {
    {0, 7, "Reserved"},
    {8, 15, "RCEC Next Bus"},
    {16, 23, "RCEC Last Bus"},
    {24, 31, "Reserved"},
};
constexpr RegisterName kRcec[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "Association Bitmap for RCiEPs", {}, RO},
    {0x08, 4, "RCEC Associated Bus Numbers", kRcecBuses, RO},
};

// Root Complex Link Declaration: the element's own description, then one entry per link.
constexpr const char* kElementTypes[] = {"Configuration Space Element",
                                         "System Egress Port or internal sink",
                                         "Internal Root Complex Link"};
constexpr FieldName kSelfDescription[] = {
    {0, 3, "Element Type", RO, kNone, kElementTypes},
    {4, 7, "Reserved"},
    {8, 15, "Number of Link Entries", RO, kNumber},
    {16, 23, "Component ID"},
    {24, 31, "Port Number"},
};
constexpr const char* kLinkTypes[] = {"memory-mapped space", "configuration space"};
constexpr FieldName kLinkDescription[] = {
    {0, 0, "Link Valid"},
    {1, 1, "Link Type", RO, kNone, kLinkTypes},
    {2, 2, "Associate RCRB Header"},
    {3, 15, "Reserved"},
    {16, 23, "Target Component ID"},
    {24, 31, "Target Port Number"},
};
constexpr uint32_t kLinkFixed = 0x10;
constexpr size_t kMaxLinks = std::min<size_t>(255, Fit(kLinkFixed, 16));
constexpr NumberedNames<kMaxLinks, 32> kLinkNames("Link Entry ", " Description");
constexpr NumberedNames<kMaxLinks, 40> kLinkLowNames("Link Entry ", " Address (bits 31-0)");
constexpr NumberedNames<kMaxLinks, 40> kLinkHighNames("Link Entry ", " Address (bits 63-32)");
constexpr auto kLinkDeclaration = [] {
  std::array<RegisterName, 4 + 4 * kMaxLinks> table{};
  table[0] = {0x00, 4, "Extended Capability Header", kExtendedHeader};
  table[1] = {0x04, 4, "Element Self Description", kSelfDescription, RO};
  table[2] = {0x08, 4, "Reserved", {}, RO};
  table[3] = {0x0C, 4, "Reserved", {}, RO};
  for (size_t n = 0; n < kMaxLinks; ++n) {
    const int at = static_cast<int>(kLinkFixed + 16 * n);
    table[4 + 4 * n] = {at, 4, kLinkNames.text[n], kLinkDescription, RO};
    table[5 + 4 * n] = {at + 4, 4, "Reserved", {}, RO};
    table[6 + 4 * n] = {at + 8, 4, kLinkLowNames.text[n], {}, RO};
    table[7 + 4 * n] = {at + 12, 4, kLinkHighNames.text[n], {}, RO};
  }
  return table;
}();

// Vendor-specific and designated vendor-specific: a header with the length, the vendor's dwords.
constexpr FieldName kVsecHeader[] = {
    {0, 15, "VSEC ID"},
    {16, 19, "VSEC Rev"},
    {20, 31, "VSEC Length (bytes)", RO, kNumber},
};
constexpr uint32_t kVsecFixed = 0x08;
constexpr size_t kMaxVsecDwords = Fit(kVsecFixed, 4);
constexpr NumberedNames<kMaxVsecDwords, 28> kDwordNames("Dword ", "");
constexpr auto kVendorSpecific = [] {
  std::array<RegisterName, 2 + kMaxVsecDwords> table{};
  table[0] = {0x00, 4, "Extended Capability Header", kExtendedHeader};
  table[1] = {0x04, 4, "Vendor-Specific Header", kVsecHeader, RO};
  for (size_t n = 0; n < kMaxVsecDwords; ++n) {
    table[2 + n] = {static_cast<int>(kVsecFixed + 4 * n), 4, kDwordNames.text[n]};
  }
  return table;
}();

constexpr FieldName kDvsecHeader1[] = {
    {0, 15, "DVSEC Vendor ID"},
    {16, 19, "DVSEC Revision"},
    {20, 31, "DVSEC Length (bytes)", RO, kNumber},
};
constexpr FieldName kDvsecHeader2[] = {
    {0, 15, "DVSEC ID"},
};
// Header 2 is a word: the vendor's registers start with a word at 0x0A, then dwords.
constexpr uint32_t kDvsecFixed = 0x0C;
constexpr size_t kMaxDvsecDwords = Fit(kDvsecFixed, 4);
constexpr auto kDesignatedVendorSpecific = [] {
  std::array<RegisterName, 4 + kMaxDvsecDwords> table{};
  table[0] = {0x00, 4, "Extended Capability Header", kExtendedHeader};
  table[1] = {0x04, 4, "Designated Vendor-Specific Header 1", kDvsecHeader1, RO};
  table[2] = {0x08, 2, "Designated Vendor-Specific Header 2", kDvsecHeader2, RO};
  table[3] = {0x0A, 2, "Vendor-Specific Word"};
  for (size_t n = 0; n < kMaxDvsecDwords; ++n) {
    table[4 + n] = {static_cast<int>(kDvsecFixed + 4 * n), 4, kDwordNames.text[n]};
  }
  return table;
}();

// clang-format on

// The `fixed` first registers of `table` and `count` of the counted ones that follow them.
std::span<const RegisterName> Prefix(std::span<const RegisterName> table, size_t fixed,
                                     size_t count) {
  return table.first(std::min(table.size(), fixed + count));
}

// As the header's BARs: a 64-bit VF BAR makes the next one its upper half.
std::span<const RegisterName> ChooseSriov(const ConfigReader& read, uint32_t at, int) {
  size_t upper = 0;
  bool upper_next = false;
  for (uint32_t bar = 0; bar < 6; ++bar) {
    if (upper_next) {
      upper |= size_t{1} << (bar - 1);
      upper_next = false;
      continue;
    }
    const auto value = read(at + 0x24 + 4 * bar, 4);
    upper_next = value && (*value & 0x7) == 0x4;
  }
  return kSriovLayouts[upper];
}

std::span<const RegisterName> ChooseTph(const ConfigReader& read, uint32_t at, int) {
  const auto capability = read(at + 0x04, 4);
  // Only a table in the capability itself (location 1) has its entries here.
  if (!capability || ((*capability >> 9) & 3) != 1) return Prefix(kTph, 3, 0);
  const size_t entries = ((*capability >> 16) & 0x7FF) + 1;
  return Prefix(kTph, 3, std::min(entries, Room(at, kTphFixed, 2)));
}

std::span<const RegisterName> ChooseRcec(const ConfigReader& read, uint32_t at, int) {
  const auto header = read(at, 4);
  return Prefix(kRcec, 2, header && ((*header >> 16) & 0xF) >= 2 ? 1 : 0);
}

std::span<const RegisterName> ChooseLinkDeclaration(const ConfigReader& read, uint32_t at, int) {
  const auto description = read(at + 0x04, 4);
  const size_t links = description ? (*description >> 8) & 0xFF : 0;
  return Prefix(kLinkDeclaration, 4, 4 * std::min(links, Room(at, kLinkFixed, 16)));
}

// The length field counts bytes from the capability's first byte, its headers included.
size_t VendorLength(const ConfigReader& read, uint32_t at) {
  const auto header = read(at + 0x04, 4);
  return header ? *header >> 20 : 0;
}

std::span<const RegisterName> ChooseVendorSpecific(const ConfigReader& read, uint32_t at, int) {
  const size_t length = VendorLength(read, at);
  const size_t dwords = length > kVsecFixed ? (length - kVsecFixed) / 4 : 0;
  return Prefix(kVendorSpecific, 2, std::min(dwords, Room(at, kVsecFixed, 4)));
}

std::span<const RegisterName> ChooseDesignatedVendorSpecific(const ConfigReader& read, uint32_t at,
                                                             int) {
  const size_t length = VendorLength(read, at);
  if (length < kDvsecFixed) return Prefix(kDesignatedVendorSpecific, 3, 0);
  const size_t dwords = (length - kDvsecFixed) / 4;
  return Prefix(kDesignatedVendorSpecific, 4, std::min(dwords, Room(at, kDvsecFixed, 4)));
}

constexpr CapabilityName kSharing[] = {
    {0x0005, "Root Complex Link Declaration", kLinkDeclaration, 0, ChooseLinkDeclaration},
    {0x0007, "Root Complex Event Collector Endpoint Association", kRcec, 0, ChooseRcec},
    {0x000B, "Vendor-Specific Extended", kVendorSpecific, 0, ChooseVendorSpecific},
    {0x000E, "Alternative Routing-ID Interpretation", kAri, 8},
    {0x000F, "Address Translation Services", kAts, 8},
    {0x0010, "Single Root I/O Virtualization", kSriov, 64, ChooseSriov},
    {0x0012, "Multicast", kMulticast, 48},
    {0x0013, "Page Request", kPageRequest, 16},
    {0x0017, "TPH Requester", kTph, 0, ChooseTph},
    {0x001B, "Process Address Space ID", kPasid, 8},
    {0x0023, "Designated Vendor-Specific", kDesignatedVendorSpecific, 0,
     ChooseDesignatedVendorSpecific},
};

}  // namespace

std::span<const CapabilityName> SharingExtendedCapabilities() { return kSharing; }

}  // namespace qbus::config_space
