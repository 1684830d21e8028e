// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/layer_test_access.h"

#include "ui/layer_impl.h"

namespace qbus::ui {

QWidget* LayerTestAccess::Control(const WindowLayer& layer, ControlId id) {
  const ui::Control* control = layer.impl_->controls.Find(id);
  return control == nullptr ? nullptr : control->widget.data();
}

QWidget* LayerTestAccess::MainWindow(const WindowLayer& layer) { return layer.impl_->window.get(); }

}  // namespace qbus::ui
