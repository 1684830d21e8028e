// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>

#include <QDialog>
#include <QTimer>

#include "ui/function_models.h"
#include "ui/ui_types.h"

QT_BEGIN_NAMESPACE
class QAction;
class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QSplitter;
class QTableView;
class QTreeView;
class QVBoxLayout;
QT_END_NAMESPACE

namespace qbus::ui {

// The function view: a function's configuration space, 16 bytes a row after their offset, beside
// its decoded tree; each byte's register name on hover and as its accessible description. Refresh
// and Watch read the function again, Compare with copy opens a saved copy, and the marks show
// what changed since the last reading or differs from the copy. Save... writes the reading, Save
// as JSON... its decoded tree; a register or field of the tree sets the main form to its
// register, and Set field... (Ctrl+E on a field line) hands the form a field's new value. It
// stands beside the main window, which works while it is open; while watching it reads again at
// once after each write the main window makes to its function. Read-only: it only calls
// `content`'s functions.
class FunctionViewDialog : public QDialog {
 public:
  FunctionViewDialog(QWidget* parent, FunctionViewContent content);

 private:
  void SetUpTable();
  void SetUpTree();
  void SetUpFields();
  void LayOut(QVBoxLayout* layout);
  void Connect();
  void FitWindow();

  // Shows `snapshot`, marked against the copy when one is open, else against the reading before.
  void Show(FunctionSnapshot snapshot);
  // Reads the function afresh; the reading shown until now becomes the last one.
  void Read();
  // Moves to the byte at the offset typed; an offset the reading does not hold stays in the
  // field, unmoved.
  void GoToTypedOffset();
  // Sets the main form to the register of the tree's line; the view closes when the form takes
  // it.
  void GoToRegister(const QModelIndex& index);
  // Opens a copy to compare with, or stops comparing.
  void ToggleCompare();
  void Save();
  void SaveJson();
  // Writes back the registers the user picks of those that differ from the copy compared with.
  void RestoreFromCopy();
  // Set field... on the tree's current line, when it is a field.
  void SetField();
  // Watching reads again at the interval until it is unticked or the view closes.
  void Watch(bool on);
  void ChangeInterval(int ms);

  const FunctionViewContent content_;
  // Called after a write to this function: kept here, so that it ends with the view.
  std::shared_ptr<std::function<void()>> written_;
  QLabel* note_ = nullptr;
  QLabel* marks_ = nullptr;
  QSplitter* split_ = nullptr;
  QTableView* table_ = nullptr;
  QTreeView* tree_ = nullptr;
  QLabel* jump_label_ = nullptr;
  QLineEdit* jump_ = nullptr;
  QCheckBox* watch_ = nullptr;
  QSpinBox* interval_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QPushButton* compare_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* save_json_ = nullptr;
  QPushButton* restore_ = nullptr;
  QAction* set_field_ = nullptr;
  BytesModel model_;
  DecodedTreeModel decoded_;
  QTimer timer_;
  std::optional<FunctionSnapshot> copy_;
  std::optional<FunctionSnapshot> last_;
  int table_width_ = 0;
  int tree_width_ = 0;
};

}  // namespace qbus::ui
