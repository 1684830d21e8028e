// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program.h"

#include <memory>

#include "app/bus_tree_command.h"
#include "app/function_commands.h"
#include "app/journal_command.h"
#include "controls/control_table.h"
#include "hw/library_binding.h"
#include "names/shared_names.h"
#include "register/bit_editor.h"
#include "register/register_read.h"
#include "register/selection_form.h"
#include "scan/bus_scan.h"

namespace qbus::app {

const char kWindowTitle[] =
    "Quoril Bus - Read / Write  (WinRing0 interface, Copyright (c) 2007-2009 OpenLibSys.org)";

const char kSimulatedTitleSuffix[] = "  [simulated machine]";
const char kSimulatedDeviceListName[] = "PCI functions (simulated machine)";

int CompensatedFontSize(int nominal, int dots_per_inch) {
  if (dots_per_inch <= 0) dots_per_inch = 96;
  return static_cast<int>(nominal / (dots_per_inch / 96.0));
}

namespace {

config_space::ClassNamer DatabaseClassNames() {
  return [](config_space::ClassPart part, uint8_t base, uint8_t sub, uint8_t interface) {
    names::DeviceNames& database = names::SharedNames();
    switch (part) {
      case config_space::ClassPart::kClass:
        return database.ClassName(base);
      case config_space::ClassPart::kSubclass:
        return database.SubclassName(base, sub);
      case config_space::ClassPart::kProgrammingInterface:
        break;
    }
    return database.InterfaceName(base, sub, interface);
  };
}

config_space::IdNamer DatabaseIdNames() {
  return [](config_space::IdPart part, uint16_t vendor, uint16_t device, uint16_t subsystem_vendor,
            uint16_t subsystem) {
    names::DeviceNames& loaded = names::SharedNames();
    switch (part) {
      case config_space::IdPart::kVendor:
        return loaded.VendorName(vendor);
      case config_space::IdPart::kDevice:
        return loaded.DeviceName(vendor, device);
      case config_space::IdPart::kSubsystemVendor:
        return loaded.VendorName(subsystem_vendor);
      case config_space::IdPart::kSubsystem:
        break;
    }
    return loaded.SubsystemName(vendor, device, subsystem_vendor, subsystem);
  };
}

}  // namespace

int RunProgram(ui::WindowLayer& layer, const std::string& library_file,
               const regs::AccessEnvironment& given_environment) {
  regs::AccessEnvironment environment = given_environment;
  regs::WriteJournal journal;  // this session's writes, unless the caller keeps them
  if (environment.journal == nullptr) environment.journal = &journal;
  if (!environment.class_names) environment.class_names = DatabaseClassNames();
  if (!environment.id_names) environment.id_names = DatabaseIdNames();
  if (layer.OpenMainWindow(0, 0, 0, 1000, 430, kWindowTitle, ui::kMainWindowFlags) == 0) return 0;
  layer.MakeFont(controls::kSmallFont, "Arial", CompensatedFontSize(7, layer.DisplayResolution()));
  layer.MakeFont(controls::kLargeFont, "Arial", CompensatedFontSize(9, layer.DisplayResolution()));

  hw::LoadedLibrary library;
  const auto show_message = [&layer](const std::string& title, const std::string& text) {
    layer.ShowMessage(title, text);
  };
  if (!hw::BindFile(library_file, show_message, &library)) return 0;
  // A simulated machine says so wherever the user looks for the machine: the title bar and the
  // device list's name, which a screen reader reads.
  const bool simulated =
      library.access.IsSimulatedMachineEx != nullptr && library.access.IsSimulatedMachineEx() == 1;
  if (simulated) layer.SetWindowTitle(0, std::string(kWindowTitle) + kSimulatedTitleSuffix);
  // Where the library's privileged side records each write itself, a record sent from here
  // would be a second, unprivileged copy.
  if (library.access.RecordsWritesEx != nullptr && library.access.RecordsWritesEx() == 1) {
    environment.record_write = nullptr;
  }

  const std::vector<scan::ListedFunction> functions = scan::RunBusScan(layer, library.access);
  // Names are for descriptions, the finder and the views: parsed on a thread once the window
  // has been painted, so they take nothing from the first paint (which the X server shares the
  // processors with) and are ready before the user can ask for them.
  layer.AfterFirstPaint([] { names::StartLoadingNames(); });
  if (simulated) layer.SetControlName(controls::kDeviceList, kSimulatedDeviceListName);
  scan::DeviceFinder finder(functions);
  // A function or register the function view, the bus tree or the journal hands to the form.
  std::optional<regs::GoToRequest> go_to;
  std::vector<ui::CommandOffer> offers =
      OfferFunctionViews(layer, library.access, functions, environment, go_to);
  offers.push_back(OfferBusTree(layer, library.access, functions, go_to));
  for (ui::CommandOffer& offer : OfferJournal(layer, library.access, *environment.journal, go_to)) {
    offers.push_back(std::move(offer));
  }
  const ui::ChoiceFilter find_device = [&finder](const std::string& typed) {
    return finder.Find(typed);
  };
  for (;;) {
    const regs::Selection selection =
        regs::RunSelectionForm(layer, library.access, find_device, &go_to);
    if (selection.outcome == regs::Outcome::kExit) break;
    const regs::ReadResult read =
        regs::RunRegisterRead(layer, library.access, selection.width, environment.class_names);
    // NEW SELECTION starts the next cycle; the form it builds frees this cycle's controls.
    if (regs::RunBitEditor(layer, library.access, environment, read, selection.edit) ==
        regs::Outcome::kExit) {
      break;
    }
  }
  offers.clear();  // they refer to the library and the function list
  hw::Unbind(&library);
  return 0;
}

}  // namespace qbus::app
