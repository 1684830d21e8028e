// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/control_registry.h"

#include <algorithm>

#include <QButtonGroup>

namespace qbus::ui {

ControlRegistry::~ControlRegistry() { Clear(); }

ControlId ControlRegistry::IdOf(const QWidget* widget) const {
  for (const auto& [id, control] : controls_) {
    if (control.widget == widget) return id;
  }
  return -1;
}

Control* ControlRegistry::Find(ControlId id) {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}

const Control* ControlRegistry::Find(ControlId id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}

void ControlRegistry::Insert(ControlId id, Control control) {
  control.serial = next_serial_++;
  last_kind_ = control.kind;
  last_group_ = control.group;
  controls_[id] = control;
}

void ControlRegistry::Erase(ControlId id) {
  auto it = controls_.find(id);
  if (it == controls_.end()) return;
  delete it->second.arrows.data();
  delete it->second.widget.data();
  QButtonGroup* group = it->second.kind == ControlKind::kOption ? it->second.group : nullptr;
  controls_.erase(it);
  // A group lives as long as one of its options.
  if (group != nullptr && GroupMembers(group).empty()) {
    delete group;
  }
}

void ControlRegistry::Clear() {
  while (!controls_.empty()) Erase(controls_.begin()->first);
}

QButtonGroup* ControlRegistry::GroupForNewOption(QWidget* parent) {
  if (last_kind_ == ControlKind::kOption && last_group_ != nullptr) return last_group_;
  auto* group = new QButtonGroup(parent);
  group->setExclusive(true);
  return group;
}

std::vector<const Control*> ControlRegistry::GroupMembers(const QButtonGroup* group) const {
  std::vector<const Control*> members;
  for (const auto& [id, control] : controls_) {
    if (control.kind == ControlKind::kOption && control.group == group) members.push_back(&control);
  }
  std::sort(members.begin(), members.end(),
            [](const Control* a, const Control* b) { return a->serial < b->serial; });
  return members;
}

std::vector<QWidget*> ControlRegistry::TabOrder() const {
  std::vector<const Control*> ordered;
  for (const auto& [id, control] : controls_) {
    if (control.kind != ControlKind::kText && control.widget != nullptr &&
        control.widget->isEnabled() && control.widget->isVisible()) {
      ordered.push_back(&control);
    }
  }
  std::sort(ordered.begin(), ordered.end(),
            [](const Control* a, const Control* b) { return a->serial < b->serial; });
  std::vector<QWidget*> widgets;
  for (const Control* control : ordered) widgets.push_back(control->widget);
  return widgets;
}

}  // namespace qbus::ui
