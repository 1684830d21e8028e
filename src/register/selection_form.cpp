// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/selection_form.h"

#include <map>

#include "access/common/pci_location.h"
#include "config_space/register_names.h"
#include "controls/control_table.h"
#include "register/captions.h"
#include "register/field_plan.h"
#include "register/go_to_register.h"
#include "register/register_access.h"
#include "text/number_text.h"

namespace qbus::regs {
namespace {

using namespace controls;

constexpr char kExitCaption[] = "E X I T";
constexpr char kNewSelectionCaption[] = "N E W   S E L E C T I O N";

// Highest offset-selector position: the label's maximum shifted down by the width.
int HighestOffsetPosition(AccessWidth width) { return 0xFFFF >> static_cast<int>(width); }

void CreateText(ui::WindowLayer& layer, ControlId id, Box box, const char* text) {
  layer.CreateTextControl(id, box.x, box.y, box.width, box.height, text, ui::kTextCentred);
}

// What a screen reader calls each selector: the word of its label.
const char* SelectorName(ControlId id) {
  return id == kBusSelector        ? "Bus"
         : id == kDeviceSelector   ? "Device"
         : id == kFunctionSelector ? "Function"
                                   : "Address";
}

void CreateSelector(ui::WindowLayer& layer, ControlId id, Box box, int maximum,
                    const char* caption) {
  layer.CreateSpinControl(id, box.x, box.y, box.width, box.height, 0, maximum, ui::kSpinReadOnly);
  layer.SetControlState(id, 0);
  layer.SetControlText(id, caption);
  layer.SetControlName(id, SelectorName(id));
}

void CreateButton(ui::WindowLayer& layer, ControlId id, Box box, const char* caption) {
  layer.CreateButtonControl(id, box.x, box.y, box.width, box.height, caption);
}

void CreateOption(ui::WindowLayer& layer, ControlId id, Box box, const char* caption) {
  layer.CreateOptionControl(id, box.x, box.y, box.width, box.height, caption);
}

void BuildForm(ui::WindowLayer& layer) {
  layer.SetDescriptionSource({});  // the last cycle's register is gone
  for (ControlId id = 0; id <= kLastCycleControl; ++id) {
    if (layer.ControlExists(id)) layer.FreeControl(id);
  }
  if (layer.ControlExists(kEditNote)) layer.FreeControl(kEditNote);
  const ui::FontHandle large = layer.FontHandleOf(kLargeFont);
  CreateText(layer, kBusLabel, kBusLabelBox, "Bus-Nr. (0x00-0xFF)");
  CreateSelector(layer, kBusSelector, kBusSelectorBox, 255, "0x00 (0) ");
  CreateText(layer, kDeviceLabel, kDeviceLabelBox, "Device-Nr. (0x00-0x1F)");
  CreateSelector(layer, kDeviceSelector, kDeviceSelectorBox, 31, "0x00 (0) ");
  CreateText(layer, kFunctionLabel, kFunctionLabelBox, "Function-Nr. (0x0-0x7)");
  CreateSelector(layer, kFunctionSelector, kFunctionSelectorBox, 7, "0x0 (0) ");
  CreateText(layer, kOffsetLabel, kOffsetLabelBox, OffsetLabel(AccessWidth::kDWord));
  CreateSelector(layer, kOffsetSelector, kOffsetSelectorBox,
                 HighestOffsetPosition(AccessWidth::kDWord), "0x0000 (0) ");
  CreateButton(layer, kReadButton, kReadButtonBox, "R E A D");
  CreateButton(layer, kNewSelectionButton, kNewSelectionButtonBox, kNewSelectionCaption);
  layer.SetControlFont(kNewSelectionButton, large);
  CreateButton(layer, kExitButton, kExitButtonBox, kExitCaption);
  layer.SetControlFont(kExitButton, large);
  CreateOption(layer, kDWordOption, kDWordOptionBox, "DWord");
  CreateOption(layer, kWordOption, kWordOptionBox, "Word");
  CreateOption(layer, kByteOption, kByteOptionBox, "Byte");
  layer.SetControlState(kDWordOption, 1);
  for (ControlId id = kBusLabel; id <= kByteOption; ++id) layer.SetControlFont(id, large);
  layer.DisableControl(kNewSelectionButton, 1);
  // The device list keeps the line the user selected, across every cycle.
}

// The width of the first chosen option, looking at DWord, Word, Byte in that order.
bool ChosenWidth(const ui::WindowLayer& layer, AccessWidth* width) {
  constexpr std::pair<ControlId, AccessWidth> kOptions[] = {{kDWordOption, AccessWidth::kDWord},
                                                            {kWordOption, AccessWidth::kWord},
                                                            {kByteOption, AccessWidth::kByte}};
  for (const auto& [id, option_width] : kOptions) {
    if (layer.GetControlState(id) != 0) {
      *width = option_width;
      return true;
    }
  }
  return false;
}

void OfferGoTo(ui::WindowLayer& layer) {
  layer.OfferAction(kOffsetSelector, ui::kGoToRequested, "Go to register...", "Ctrl+G");
}

void RebuildOffsetSelector(ui::WindowLayer& layer, AccessWidth width) {
  layer.SetControlText(kOffsetLabel, OffsetLabel(width));
  layer.FreeControl(kOffsetSelector);
  CreateSelector(layer, kOffsetSelector, kOffsetSelectorBox, HighestOffsetPosition(width),
                 "0x0000 (0) ");
  layer.SetControlFont(kOffsetSelector, layer.FontHandleOf(kLargeFont));
  OfferGoTo(layer);
}

ControlId OptionOf(AccessWidth width) {
  return width == AccessWidth::kDWord  ? kDWordOption
         : width == AccessWidth::kWord ? kWordOption
                                       : kByteOption;
}

// The caption of a selector's current position, with the trailing blank of the field.
std::string SelectorText(const ui::WindowLayer& layer, ControlId id, AccessWidth width) {
  const int position = layer.GetControlState(id);
  switch (id) {
    case kBusSelector:
      return BusCaption(position) + " ";
    case kDeviceSelector:
      return DeviceCaption(position) + " ";
    case kFunctionSelector:
      return FunctionCaption(position) + " ";
    default:
      return OffsetCaption(static_cast<int64_t>(
                 text::ShiftLeft64(static_cast<uint64_t>(position), static_cast<int>(width)))) +
             " ";
  }
}

// Moves the bus, device and function selectors to a function, as if the user had stepped them
// there.
void SelectFunction(ui::WindowLayer& layer, uint32_t packed, AccessWidth width) {
  const PciLocation location = PciLocation::Unpack(packed);
  const std::pair<ControlId, uint32_t> kPositions[] = {{kBusSelector, location.bus},
                                                       {kDeviceSelector, location.device},
                                                       {kFunctionSelector, location.function}};
  for (const auto& [selector, position] : kPositions) {
    layer.SetControlState(selector, static_cast<int>(position));
    layer.SetControlText(selector, SelectorText(layer, selector, width));
  }
}

void SelectListedFunction(ui::WindowLayer& layer, AccessWidth width) {
  const int packed = layer.CurrentListValue(kDeviceList);
  if (packed >= 0) SelectFunction(layer, static_cast<uint32_t>(packed), width);
}

}  // namespace

const char* OffsetLabel(AccessWidth width) {
  switch (width) {
    case AccessWidth::kDWord:
      return "Address (0x0000-0xFFFC)";
    case AccessWidth::kWord:
      return "Address (0x0000-0xFFFE)";
    case AccessWidth::kByte:
      break;
  }
  return "Address (0x0000-0xFFFF)";
}

namespace {

// The function the bus, device and function selectors point at.
uint32_t SelectedLocation(const ui::WindowLayer& layer) {
  return PciLocation{static_cast<uint32_t>(layer.GetControlState(kBusSelector)),
                     static_cast<uint32_t>(layer.GetControlState(kDeviceSelector)),
                     static_cast<uint32_t>(layer.GetControlState(kFunctionSelector))}
      .Packed();
}

// The register's width option and offset, set as the user's clicks set them.
void TakeTarget(ui::WindowLayer& layer, const GoToTarget& target, AccessWidth* width) {
  if (target.width != *width) {
    layer.SetControlState(OptionOf(target.width), 1);
    *width = target.width;
    RebuildOffsetSelector(layer, *width);
  }
  layer.SetControlState(kOffsetSelector,
                        static_cast<int>(target.offset >> static_cast<int>(*width)));
  layer.SetControlText(kOffsetSelector, SelectorText(layer, kOffsetSelector, *width));
}

// Go to register: the chosen register's width option and offset, set as the user's clicks set
// them; a field chosen asks for its new value by meaning, and the plan that sets it returns.
// `registers` keeps each function's list, so its layout is read once.
EditPlan GoToRegister(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                      std::map<uint32_t, std::vector<config_space::RegisterEntry>>& registers,
                      AccessWidth* width) {
  const uint32_t location = SelectedLocation(layer);
  auto found = registers.find(location);
  if (found == registers.end()) {
    const auto layout = config_space::ReadConfigLayout(FunctionReader(access, location));
    found = registers.emplace(location, config_space::ListRegisters(layout)).first;
  }
  const auto& entries = found->second;
  const std::optional<int> key = layer.ChooseFromList(
      "Go to register", "Register name or hex offset:", [&entries](const std::string& typed) {
        return GoToChoices(entries, typed);
      });
  if (!key) return {};
  const std::optional<FieldKey> field = FieldOfKey(*key);
  if (!field) {
    TakeTarget(layer, DecodeGoTo(*key), width);
    return {};
  }
  const config_space::RegisterEntry& reg = entries[field->entry];
  const GoToTarget target = FieldTarget(reg);
  RegisterTarget read{target.width, location, target.offset, {}};
  uint32_t value = 0;
  if (!ReadRegister(access, read, &value)) {
    layer.ShowMessage("Set field", "The register cannot be read, so no field of it can be set.");
    return {};
  }
  const config_space::ShownBytes shown{
      target.offset, WidthBytes(target.width), value, FunctionReader(access, location), {}, {}};
  EditPlan plan = AskFieldPlan(layer, entries, reg, reg.fields[field->field], shown);
  if (plan) TakeTarget(layer, target, width);
  return plan;
}

// READ: both dialogs set the form, which READ ends; they say so until the next form.
Selection Read(ui::WindowLayer& layer, const ui::ChoiceFilter& find_device, AccessWidth width,
               EditPlan edit) {
  layer.RefuseAction(kOffsetSelector, ui::kGoToRequested, "Go to register...", "Ctrl+G",
                     "Go to register sets the selection form: press NEW SELECTION first.");
  if (find_device) {
    layer.RefuseAction(kDeviceList, ui::kFindRequested, "Find device...", "Ctrl+F",
                       "Find device sets the selection form: press NEW SELECTION first.");
  }
  return {Outcome::kRead, width, std::move(edit)};
}

}  // namespace

Selection RunSelectionForm(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                           const ui::ChoiceFilter& find_device,
                           std::optional<GoToRequest>* request) {
  BuildForm(layer);
  OfferGoTo(layer);
  if (find_device) {
    layer.OfferAction(kDeviceList, ui::kFindRequested, "Find device...", "Ctrl+F");
  }
  std::map<uint32_t, std::vector<config_space::RegisterEntry>> registers;
  AccessWidth width = AccessWidth::kDWord;
  for (;;) {
    AccessWidth chosen;
    if (ChosenWidth(layer, &chosen) && chosen != width) {
      width = chosen;
      RebuildOffsetSelector(layer, width);
    }
    const int code = layer.WaitEvent();
    if (code == ui::kCloseEvent) return {Outcome::kExit, width, {}};
    if (code != ui::kControlEvent) continue;
    const ControlId id = layer.EventControl();
    const int type = layer.CurrentEvent().type;
    if (id == kOffsetSelector && type == ui::kGoToRequested && request != nullptr &&
        request->has_value()) {
      GoToRequest taken = std::move(**request);
      request->reset();
      SelectFunction(layer, taken.location, width);
      if (taken.target) TakeTarget(layer, *taken.target, &width);
      if (taken.target && taken.edit) return Read(layer, find_device, width, std::move(taken.edit));
    } else if (id == kOffsetSelector && type == ui::kGoToRequested) {
      if (EditPlan plan = GoToRegister(layer, access, registers, &width)) {
        return Read(layer, find_device, width, std::move(plan));
      }
    } else if (id == kDeviceList && type == ui::kFindRequested) {
      const std::optional<int> row =
          layer.ChooseFromList("Find device", "Name, identifiers or location:", find_device);
      if (row) {
        layer.SelectListLine(kDeviceList, *row);
        SelectListedFunction(layer, width);
      }
    } else if (id == kBusSelector || id == kDeviceSelector || id == kFunctionSelector ||
               id == kOffsetSelector) {
      layer.SetControlText(id, SelectorText(layer, id, width));
    } else if (id == kReadButton) {
      return Read(layer, find_device, width, {});
    } else if (id == kExitButton) {
      return {Outcome::kExit, width, {}};
    }
  }
}

}  // namespace qbus::regs
