// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>

#include <QAbstractTableModel>

#include "ui/tree_shape.h"
#include "ui/ui_types.h"

// The function view's two models: the bytes, 16 a row, and the decoded tree. Each marks what
// differs from a reference reading (the last one, or a saved copy), on screen and in the
// description a screen reader speaks.
namespace qbus::ui {

// What the marks compare with, which their words say.
enum class Reference { kNone, kLastReading, kCopy };

// "Changed since the last reading (was 0x02)", "Differs from the copy (0x02 there)".
std::string MarkText(Reference reference, const std::string& before);

// Whether `reference` gives the `size` bytes from `offset`: a copy may leave holes, and a hole
// is no difference.
bool Holds(const FunctionSnapshot& reference, size_t offset, size_t size);
// How many bytes `reference` gives.
size_t HeldBytes(const FunctionSnapshot& reference);

class BytesModel : public QAbstractTableModel {
 public:
  // Shows `snapshot`, marked against `reference` (ignored when `kind` is kNone).
  void Show(FunctionSnapshot snapshot, const FunctionSnapshot* reference, Reference kind);
  const FunctionSnapshot& snapshot() const { return snapshot_; }
  int changed() const { return changed_; }  // bytes marked

  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  int OffsetDigits() const { return snapshot_.bytes.size() > 256 ? 3 : 2; }
  bool Marked(size_t offset) const;

  FunctionSnapshot snapshot_;
  std::vector<uint8_t> before_;  // the reference's bytes
  std::vector<bool> held_;       // which of them it gives (empty: all)
  Reference kind_ = Reference::kNone;
  int changed_ = 0;
};

// The decoded tree in five columns: name, place, value, access, meaning. Lines become text only
// when drawn or asked for. A new reading of the same lines rewrites them in place, so expansion
// and the current line stay.
class DecodedTreeModel : public QAbstractItemModel {
 public:
  // True when the lines were rebuilt (not rewritten in place).
  bool Show(const std::vector<config_space::DecodedLine>& lines, const FunctionSnapshot* reference,
            Reference kind);
  int changed() const { return changed_; }  // fields (and registers without fields) marked
  const config_space::DecodedLine* LineAt(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  // Each line's marks: whether it differs from the reference, and what a reader hears of it.
  struct Marks {
    bool marked = false;
    std::string description;
  };
  const std::vector<int>& Children(const QModelIndex& parent) const;

  std::vector<config_space::DecodedLine> lines_;
  std::vector<Marks> marks_;
  TreeShape shape_;
  int changed_ = 0;
};

}  // namespace qbus::ui
