// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/function_commands.h"

#include <cstdio>
#include <memory>

#include "access/common/pci_location.h"
#include "app/copy_restore.h"
#include "app/save_file.h"
#include "app/saved_copy.h"
#include "config_space/function_dump.h"
#include "config_space/function_json.h"
#include "config_space/function_tree.h"
#include "config_space/header_offsets.h"
#include "config_space/register_names.h"
#include "controls/control_table.h"
#include "names/shared_names.h"
#include "register/field_plan.h"
#include "register/go_to_register.h"
#include "register/register_access.h"
#include "register/write_journal.h"
#include "text/register_texts.h"

namespace qbus::app {
namespace {

using namespace controls;

// What a dump's first line says after the location, as lspci prints it: "PCI bridge: Intel
// Corporation Device 2f04 (rev 02)".
std::string Description(names::DeviceNames& names, const std::vector<uint8_t>& bytes) {
  namespace header = config_space::header;
  if (bytes.size() < header::kCommonHeaderEnd) return {};
  const auto word = [&bytes](size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
  };
  std::string heading = names.DumpHeading(word(header::kVendorId), word(header::kDeviceId),
                                          bytes[header::kClassCode], bytes[header::kSubclass]);
  if (const uint8_t revision = bytes[header::kRevisionId]) {
    char text[16];
    std::snprintf(text, sizeof text, " (rev %02x)", revision);
    heading += text;
  }
  return heading;
}

uint32_t ValueIn(const std::vector<uint8_t>& bytes, const RestoreStep& step) {
  uint32_t value = 0;
  for (int i = 0; i < step.size; ++i) {
    value |= uint32_t{bytes[step.offset + static_cast<uint32_t>(i)]} << (8 * i);
  }
  return value;
}

// How much of the function a reading holds and, for a part, why it stopped there.
std::string SizeNote(const regs::FunctionSpace& space) {
  const size_t size = space.bytes.size();
  if (!space.whole) {
    return std::to_string(size) + " bytes read, then " + space.why +
           ": not the whole function, and not saved";
  }
  switch (size) {
    case 0x1000:
      return "4096 bytes, with the extended configuration space";
    case 0x100:
      return "256 bytes";
    default:
      return "The first 64 bytes: the rest can be read only as root";
  }
}

class FunctionViews {
 public:
  FunctionViews(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                const std::vector<scan::ListedFunction>& functions,
                const regs::AccessEnvironment& environment, std::optional<regs::GoToRequest>& go_to)
      : layer_(layer),
        access_(access),
        functions_(functions),
        environment_(environment),
        class_names_(environment.class_names),
        id_names_(environment.id_names),
        go_to_(go_to),
        domain_(access.GetPciDomainEx != nullptr ? access.GetPciDomainEx() : 0) {}

  void View(uint32_t location) {
    ui::FunctionViewContent content;
    regs::FunctionSpace first = regs::ReadFunctionSpace(access_, location);
    if (first.bytes.empty()) {
      const std::string at = config_space::LocationText(location, domain_);
      layer_.ShowMessage("View function", first.why == regs::kNoFunctionAnswers
                                              ? "No function answers at " + at + "."
                                              : "Cannot read " + at + ": " + first.why + ".");
      return;
    }
    content.title =
        config_space::LocationText(location, domain_) + " " + Description(Names(), first.bytes);
    auto pending = std::make_shared<std::optional<regs::FunctionSpace>>(std::move(first));
    content.read = [this, location, pending] {
      // The opening reading is the first snapshot; Refresh reads again.
      regs::FunctionSpace space =
          *pending ? std::move(**pending) : regs::ReadFunctionSpace(access_, location);
      pending->reset();
      return Snapshot(std::move(space));
    };
    content.save = [this, location](const std::string& path, const ui::FunctionSnapshot& shown) {
      if (!shown.refusal.empty()) return shown.refusal;
      return WriteFileWhole(
          path, config_space::FormatFunctionDump(location, Description(Names(), shown.bytes),
                                                 shown.bytes, domain_));
    };
    content.file_name = "function-" + config_space::LocationText(location, domain_) + ".txt";
    for (char& c : content.file_name) c = c == ':' ? '-' : c;
    content.open_copy = [this, location](const std::string& path) {
      SavedFunction copy = ReadSavedFunction(path, location, domain_);
      ui::FunctionSnapshot snapshot;
      snapshot.refusal = copy.error;
      snapshot.note =
          "the copy of " + config_space::LocationText(copy.location, domain_) + " in " + path;
      snapshot.tree = config_space::DecodeFunction(copy.bytes, class_names_, id_names_);
      snapshot.bytes = std::move(copy.bytes);
      snapshot.held = std::move(copy.held);
      return snapshot;
    };
    content.save_json = [this, location](const std::string& path,
                                         const ui::FunctionSnapshot& shown) {
      if (!shown.refusal.empty()) return shown.refusal;
      return WriteFileWhole(
          path, config_space::FormatFunctionJson(location, Description(Names(), shown.bytes),
                                                 shown.bytes, shown.tree, domain_));
    };
    // The form takes the register at its next Go to register event; after READ that action is
    // refused, and says so.
    content.go_to = [this, location](uint32_t offset, int size) {
      return HandToForm({location, regs::TargetOf(offset, size), {}});
    };
    content.set_field = [this, location](const config_space::DecodedLine& line,
                                         const ui::FunctionSnapshot& shown) {
      return SetField(location, line, shown.bytes);
    };
    auto plan = std::make_shared<std::pair<std::vector<RestoreStep>, std::vector<uint8_t>>>();
    content.plan_restore = [this, location, plan](const ui::FunctionSnapshot& copy) {
      const regs::FunctionSpace now = regs::ReadFunctionSpace(access_, location);
      *plan = {PlanRestore(now.bytes, copy.bytes, copy.held), now.bytes};
      std::vector<std::string> lines;
      for (const RestoreStep& step : plan->first) {
        const int digits = 2 * step.size;
        lines.push_back(step.register_name + ": " +
                        text::HexLiteral(ValueIn(now.bytes, step), digits) + " -> " +
                        text::HexLiteral(step.wanted, digits));
      }
      return lines;
    };
    content.restore = [this, location, plan](int line) {
      return RestoreRegister(access_, environment_, location,
                             plan->first[static_cast<size_t>(line)], plan->second);
    };
    content.watch_writes = [this, location](std::weak_ptr<std::function<void()>> written) {
      watchers_.emplace_back(location, std::move(written));
    };
    layer_.ShowFunctionView(content);
  }

  // After each write, the views of its function that watch read again.
  void Written(uint32_t location) {
    std::erase_if(watchers_, [](const auto& watcher) { return watcher.second.expired(); });
    for (const auto& [at, written] : std::vector(watchers_)) {
      if (const auto call = written.lock(); call && at == location) (*call)();
    }
  }

  // Every listed function is read whole before anything is written: a copy that misses part of
  // a function, or a function, is no copy.
  void SaveAll() {
    const std::optional<std::string> path =
        layer_.AskSavePath("Save all functions", "functions.txt");
    if (!path) return;
    // Each function's text goes to the file as it is read; the file appears only when the last
    // one is written, and a failed or cancelled save leaves any file there as it was.
    WholeFileWriter file(*path);
    if (!file.refusal().empty()) {
      layer_.ShowMessage("Save all functions", file.refusal());
      return;
    }
    std::string failure;
    std::vector<uint32_t> locations;
    for (const scan::ListedFunction& listed : functions_) locations.push_back(listed.location);
    // Sixteen whole functions, 64 KiB, to a call of the library.
    regs::FunctionStarts spaces(access_, std::move(locations), 0x1000, 16);
    const bool done = layer_.RunWithProgress(
        "Save all functions", "Reading every function...", static_cast<int>(functions_.size()),
        [&](int index) {
          const uint32_t location = functions_[static_cast<size_t>(index)].location;
          const regs::FunctionSpace space = spaces.Take(static_cast<size_t>(index));
          if (space.bytes.empty() && space.why == regs::kNoFunctionAnswers) return true;  // gone
          if (!space.whole) {
            failure = "Not saved: " + config_space::LocationText(location, domain_) +
                      " could not be read whole (" + std::to_string(space.bytes.size()) +
                      " bytes, then " + space.why + ").";
            return false;
          }
          if (file.Append(config_space::FormatFunctionDump(
                  location, Description(Names(), space.bytes), space.bytes, domain_))) {
            return true;
          }
          failure = file.refusal();
          return false;
        });
    if (!done) {
      if (!failure.empty()) layer_.ShowMessage("Save all functions", failure);
      return;
    }
    const std::string refusal = file.Commit();
    if (!refusal.empty()) layer_.ShowMessage("Save all functions", refusal);
  }

 private:
  bool HandToForm(regs::GoToRequest request) {
    go_to_ = std::move(request);
    if (layer_.TriggerAction(kOffsetSelector, ui::kGoToRequested)) return true;
    go_to_.reset();
    return false;
  }

  // Set field... on a field line of the tree, with the function's bytes as the view shows them.
  bool SetField(uint32_t location, const config_space::DecodedLine& line,
                const std::vector<uint8_t>& bytes) {
    const auto read = config_space::ReaderOver(bytes);
    const std::vector<config_space::RegisterEntry> entries =
        config_space::ListRegisters(config_space::ReadConfigLayout(read));
    for (const config_space::RegisterEntry& reg : entries) {
      if (reg.offset != line.offset || reg.size != line.size) continue;
      for (const config_space::FieldName& field : reg.fields) {
        if (field.low != line.low || field.high != line.high) continue;
        const std::optional<uint32_t> value = read(reg.offset, static_cast<uint32_t>(reg.size));
        if (!value) return false;
        const config_space::ShownBytes shown{reg.offset, reg.size,     *value,
                                             read,       class_names_, id_names_};
        regs::EditPlan plan = regs::AskFieldPlan(layer_, entries, reg, field, shown);
        return plan && HandToForm({location, regs::FieldTarget(reg), std::move(plan)});
      }
    }
    return false;
  }

  static names::DeviceNames& Names() { return names::SharedNames(); }

  ui::FunctionSnapshot Snapshot(regs::FunctionSpace space) const {
    ui::FunctionSnapshot snapshot;
    snapshot.note = SizeNote(space);
    if (!space.whole) {
      snapshot.refusal = "Not saved: " + std::to_string(space.bytes.size()) + " bytes read, then " +
                         space.why + ".";
    }
    std::vector<uint8_t>& bytes = space.bytes;
    auto layout = std::make_shared<config_space::ConfigLayout>(
        config_space::ReadConfigLayout(config_space::ReaderOver(bytes)));
    snapshot.name = [layout](int offset) {
      return config_space::DescribeRegisters(*layout, static_cast<uint32_t>(offset), 1);
    };
    snapshot.tree = config_space::DecodeFunction(bytes, class_names_, id_names_);
    snapshot.bytes = std::move(bytes);
    return snapshot;
  }

  ui::WindowLayer& layer_;
  const hw::HardwareAccess& access_;
  const std::vector<scan::ListedFunction>& functions_;
  const regs::AccessEnvironment& environment_;  // how writes are recorded and kept
  const config_space::ClassNamer& class_names_;
  const config_space::IdNamer& id_names_;
  std::optional<regs::GoToRequest>& go_to_;
  const uint32_t domain_;  // the library's: dumps name it, as lspci does, when it is not 0
  std::vector<std::pair<uint32_t, std::weak_ptr<std::function<void()>>>> watchers_;
};

uint32_t SelectedLocation(const ui::WindowLayer& layer) {
  return PciLocation{static_cast<uint32_t>(layer.GetControlState(kBusSelector)),
                     static_cast<uint32_t>(layer.GetControlState(kDeviceSelector)),
                     static_cast<uint32_t>(layer.GetControlState(kFunctionSelector))}
      .Packed();
}

}  // namespace

std::vector<ui::CommandOffer> OfferFunctionViews(ui::WindowLayer& layer,
                                                 const hw::HardwareAccess& access,
                                                 const std::vector<scan::ListedFunction>& functions,
                                                 const regs::AccessEnvironment& environment,
                                                 std::optional<regs::GoToRequest>& go_to) {
  auto views = std::make_shared<FunctionViews>(layer, access, functions, environment, go_to);
  regs::WriteJournal* journal = environment.journal;
  if (journal != nullptr) {
    journal->Watch(
        [views](const regs::JournalEntry& entry) { views->Written(entry.target.location); });
  }
  std::vector<ui::CommandOffer> offers;
  // Open views go with the commands: what they read through goes next.
  offers.emplace_back([&layer, journal] {
    if (journal != nullptr) journal->Watch({});
    layer.CloseFunctionViews();
  });
  offers.push_back(layer.OfferCommand(ui::WindowLayer::kWindowCommand, "Ctrl+D",
                                      [views, &layer] { views->View(SelectedLocation(layer)); }));
  offers.push_back(layer.OfferCommand(kDeviceList, "View function...", [views, &layer] {
    const int line = layer.CurrentListValue(kDeviceList);
    if (line >= 0) views->View(static_cast<uint32_t>(line));
  }));
  offers.push_back(layer.OfferCommand(kDeviceList, "Save all...", [views] { views->SaveAll(); }));
  return offers;
}

}  // namespace qbus::app
