// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/bus_scan.h"

#include <array>
#include <memory>
#include <vector>

#include "access/common/pci_location.h"
#include "controls/control_table.h"
#include "names/shared_names.h"
#include "scan/device_line.h"

namespace qbus::scan {
namespace {

constexpr uint32_t kAddressPort = 0xCF8;
constexpr uint32_t kDataPort = 0xCFC;

struct LegendLine {
  int x, y;
  const char* text;
};

// Lines 112 to 123: ten in the first column, two in the second.
constexpr std::array<LegendLine, 12> kLegend{{
    {620, 235, "0x1002 = AMD (ATI)"},
    {620, 250, "0x1022 = AMD"},
    {620, 265, "0x10DE = NVIDIA"},
    {620, 280, "0x10EC = REALTEK"},
    {620, 295, "0x1106 = VIA"},
    {620, 310, "0x14E4 = BROADCOM"},
    {620, 325, "0x14F1 = KORVENTIX"},
    {620, 340, "0x197B = JMICRON"},
    {620, 355, "0x1B21 = ASUSTEK"},
    {620, 370, "0x1B6F = ETRON"},
    {820, 235, "0x8086 = INTEL"},
    {820, 250, "0x9710 = MOSCHIP"},
}};

}  // namespace

std::vector<ListedFunction> RunBusScan(ui::WindowLayer& layer, const hw::HardwareAccess& access) {
  using namespace controls;
  layer.CreateListControl(kDeviceList, kDeviceListBox.x, kDeviceListBox.y, kDeviceListBox.width,
                          kDeviceListBox.height);
  layer.SetControlName(kDeviceList, "PCI functions");
  layer.CreateTextControl(kLegendHeading, kLegendHeadingBox.x, kLegendHeadingBox.y,
                          kLegendHeadingBox.width, kLegendHeadingBox.height,
                          "Any Vendors:", ui::kTextCentred);
  for (size_t i = 0; i < kLegend.size(); ++i) {
    layer.CreateTextControl(kLegendFirst + static_cast<int>(i), kLegend[i].x, kLegend[i].y, 130, 15,
                            kLegend[i].text, ui::kTextLeft);
  }
  for (ControlId id = kDeviceList; id <= kLegendLast; ++id) {
    layer.SetControlFont(id, layer.FontHandleOf(kLargeFont));
  }

  // One value serves all probes and is never cleared: a failed read leaves what the library
  // stored. Each line keeps its function's location (for a double-click) and identifiers (for
  // its names, looked up when first asked for).
  auto identifiers = std::make_shared<std::vector<uint32_t>>();
  std::vector<ListedFunction> listed;
  uint32_t address = 0x80000000;
  uint32_t value = 0;
  for (int bus = 0; bus < 256; ++bus) {
    for (int device = 0; device < 32; ++device) {
      address &= 0xFFFFF8FF;
      for (int function = 0; function < 8; ++function) {
        access.WriteIoPortDwordEx(kAddressPort, address);
        access.ReadIoPortDwordEx(kDataPort, &value);
        if (value != 0xFFFFFFFF) {
          layer.AddListItem(kDeviceList, -1, FormatDeviceLine(bus, device, function, value));
          const uint32_t location =
              PciLocation{static_cast<uint32_t>(bus), static_cast<uint32_t>(device),
                          static_cast<uint32_t>(function)}
                  .Packed();
          layer.SetListItemValue(kDeviceList, static_cast<int>(identifiers->size()),
                                 static_cast<int>(location));
          identifiers->push_back(value);
          listed.push_back({location, value});
        }
        address += 0x100;
      }
    }
  }
  layer.SetListDescriptionSource(kDeviceList, [identifiers](int row) -> std::string {
    if (row < 0 || static_cast<size_t>(row) >= identifiers->size()) return {};
    const uint32_t ids = (*identifiers)[static_cast<size_t>(row)];
    return names::SharedNames().Describe(static_cast<uint16_t>(ids),
                                         static_cast<uint16_t>(ids >> 16));
  });
  return listed;
}

}  // namespace qbus::scan
