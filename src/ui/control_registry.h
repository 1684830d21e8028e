// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "ui/ui_types.h"

QT_BEGIN_NAMESPACE
class QButtonGroup;
QT_END_NAMESPACE

namespace qbus::ui {

enum class ControlKind { kText, kList, kSpin, kButton, kOption, kCheckBox };

// One live control. The registry does not own the widgets through these pointers; they are
// children of the main window and are deleted by Erase (or with the window).
struct Control {
  ControlKind kind;
  QPointer<QWidget> widget;      // the control; a spin's number field
  QPointer<QWidget> arrows;      // a spin's arrows, else null
  QPointer<QButtonGroup> group;  // an option's group, else null
  int minimum = 0;               // spin range and position
  int maximum = 0;
  int position = 0;
  uint64_t serial = 0;  // creation order
};

// The table from control number to live control, in creation order where it matters (option
// groups, keyboard focus).
class ControlRegistry {
 public:
  ~ControlRegistry();

  // The number of the control whose (first) widget is `widget`, -1 for none.
  ControlId IdOf(const QWidget* widget) const;
  Control* Find(ControlId id);
  const Control* Find(ControlId id) const;

  // Enters `control` under `id`, which must be free, and stamps its creation order.
  void Insert(ControlId id, Control control);

  // Deletes the control's widgets and frees `id`; nothing when `id` holds no control.
  void Erase(ControlId id);

  // Deletes every control.
  void Clear();

  // The group a new option joins: the group of the option created last when no other control
  // was created since, else a new group parented to `parent`.
  QButtonGroup* GroupForNewOption(QWidget* parent);

  // The options of `group` in creation order.
  std::vector<const Control*> GroupMembers(const QButtonGroup* group) const;

  // Widgets that take the keyboard focus by Tab, in creation order: lists, spin fields, buttons,
  // options and check boxes that are enabled and visible.
  std::vector<QWidget*> TabOrder() const;

 private:
  std::map<ControlId, Control> controls_;
  uint64_t next_serial_ = 1;
  ControlKind last_kind_ = ControlKind::kText;
  QPointer<QButtonGroup> last_group_;
};

}  // namespace qbus::ui
