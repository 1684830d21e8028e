// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/function_models.h"

#include <algorithm>
#include <unordered_map>

#include <QBrush>
#include <QColor>
#include <QFont>

namespace qbus::ui {
namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

// Upper-case, as the main window shows every number.
QString Hex(int value, int digits) {
  return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

// A mark is seen without colour too: bold, on a pale amber.
const QColor kMarkColour(255, 224, 130);

}  // namespace

std::string MarkText(Reference reference, const std::string& before) {
  switch (reference) {
    case Reference::kLastReading:
      return "Changed since the last reading (was " + before + ")";
    case Reference::kCopy:
      return "Differs from the copy (" + before + " there)";
    case Reference::kNone:
      break;
  }
  return {};
}

bool Holds(const FunctionSnapshot& reference, size_t offset, size_t size) {
  if (offset + size > reference.bytes.size()) return false;
  if (reference.held.empty()) return true;
  const auto from = reference.held.begin() + static_cast<std::ptrdiff_t>(offset);
  return std::find(from, from + static_cast<std::ptrdiff_t>(size), false) ==
         from + static_cast<std::ptrdiff_t>(size);
}

size_t HeldBytes(const FunctionSnapshot& reference) {
  if (reference.held.empty()) return reference.bytes.size();
  return static_cast<size_t>(std::count(reference.held.begin(), reference.held.end(), true));
}

void BytesModel::Show(FunctionSnapshot snapshot, const FunctionSnapshot* reference,
                      Reference kind) {
  beginResetModel();
  snapshot_ = std::move(snapshot);
  kind_ = reference != nullptr ? kind : Reference::kNone;
  before_ = kind_ != Reference::kNone ? reference->bytes : std::vector<uint8_t>{};
  held_ = kind_ != Reference::kNone ? reference->held : std::vector<bool>{};
  changed_ = 0;
  for (size_t i = 0; kind_ != Reference::kNone && i < snapshot_.bytes.size(); ++i) {
    changed_ += Marked(i) ? 1 : 0;
  }
  endResetModel();
}

// Only bytes the reference holds are compared: a copy of 256 bytes says nothing of the rest.
bool BytesModel::Marked(size_t offset) const {
  return kind_ != Reference::kNone && offset < before_.size() && (held_.empty() || held_[offset]) &&
         before_[offset] != snapshot_.bytes[offset];
}

int BytesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>((snapshot_.bytes.size() + 15) / 16);
}

int BytesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 16; }

QVariant BytesModel::data(const QModelIndex& index, int role) const {
  const int offset = index.row() * 16 + index.column();
  if (!index.isValid() || offset >= static_cast<int>(snapshot_.bytes.size())) return {};
  const size_t at = static_cast<size_t>(offset);
  const int byte = snapshot_.bytes[at];
  const bool marked = Marked(at);
  switch (role) {
    case Qt::DisplayRole:
      return Hex(byte, 2);
    case Qt::AccessibleTextRole:
      return QStringLiteral("0x%1: %2").arg(Hex(offset, OffsetDigits()), Hex(byte, 2));
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
      QString name = snapshot_.name ? ToQt(snapshot_.name(offset)) : QString();
      if (!marked) return name;
      const std::string was = "0x" + Hex(before_[at], 2).toStdString();
      return ToQt(MarkText(kind_, was)) + QStringLiteral(". ") + name;
    }
    case Qt::TextAlignmentRole:
      return int(Qt::AlignCenter);
    case Qt::BackgroundRole:
      return marked ? QVariant(QBrush(kMarkColour)) : QVariant();
    case Qt::FontRole: {
      if (!marked) return {};
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    default:
      return {};
  }
}

QVariant BytesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return Hex(section, 1);
  return Hex(section * 16, OffsetDigits());
}

bool DecodedTreeModel::Show(const std::vector<config_space::DecodedLine>& lines,
                            const FunctionSnapshot* reference, Reference kind) {
  std::unordered_map<std::string, const config_space::DecodedLine*> before;
  if (reference != nullptr && kind != Reference::kNone) {
    for (const config_space::DecodedLine& line : reference->tree) before.emplace(line.key, &line);
  }
  bool same = lines.size() == lines_.size();
  for (size_t i = 0; same && i < lines.size(); ++i) same = lines[i].key == lines_[i].key;
  if (!same) beginResetModel();
  lines_ = lines;
  marks_.assign(lines_.size(), {});
  if (!same) shape_ = TreeShape::Of(lines_);
  changed_ = 0;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const config_space::DecodedLine& line = lines_[i];
    const std::string& meaning = line.meaning.empty() ? line.summary : line.meaning;
    const auto found = before.find(line.key);
    const bool leaf =
        line.depth > 0 && (i + 1 == lines_.size() || lines_[i + 1].depth <= line.depth);
    // Only a line whose bytes the reference holds is compared: a copy's holes differ in nothing.
    const bool held =
        reference != nullptr && Holds(*reference, line.offset, static_cast<size_t>(line.size));
    Marks& marks = marks_[i];
    marks.marked = !before.empty() && line.depth > 0 && held &&
                   (found == before.end() || found->second->value != line.value);
    if (marks.marked && leaf) ++changed_;
    marks.description = line.place;
    for (const std::string& part : {line.value, line.access, meaning}) {
      if (!part.empty()) marks.description += ", " + part;
    }
    if (marks.marked) {
      marks.description = MarkText(kind, found == before.end() ? "absent" : found->second->value) +
                          ". " + marks.description;
    }
  }
  if (!same) {
    endResetModel();
  } else {
    for (const std::vector<int>& siblings : shape_.children) {
      if (siblings.empty()) continue;
      const QModelIndex first = createIndex(0, 0, static_cast<quintptr>(siblings.front()));
      const QModelIndex last = createIndex(static_cast<int>(siblings.size()) - 1, 4,
                                           static_cast<quintptr>(siblings.back()));
      emit dataChanged(first, last);
    }
  }
  return !same;
}

const config_space::DecodedLine* DecodedTreeModel::LineAt(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this) return nullptr;
  return &lines_[index.internalId()];
}

const std::vector<int>& DecodedTreeModel::Children(const QModelIndex& parent) const {
  return shape_.children[parent.isValid() ? parent.internalId() + 1 : 0];
}

QModelIndex DecodedTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return {};
  const std::vector<int>& kids = Children(parent);
  if (column < 0 || column >= 5 || row < 0 || static_cast<size_t>(row) >= kids.size()) return {};
  return createIndex(row, column, static_cast<quintptr>(kids[static_cast<size_t>(row)]));
}

QModelIndex DecodedTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  const int up = shape_.parents[child.internalId()];
  return up < 0 ? QModelIndex()
                : createIndex(shape_.rows[static_cast<size_t>(up)], 0, static_cast<quintptr>(up));
}

int DecodedTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return 0;
  return static_cast<int>(Children(parent).size());
}

int DecodedTreeModel::columnCount(const QModelIndex&) const { return 5; }

QVariant DecodedTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const config_space::DecodedLine& line = lines_[index.internalId()];
  const Marks& marks = marks_[index.internalId()];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
      const std::string* texts[5] = {&line.name, &line.place, &line.value, &line.access,
                                     line.meaning.empty() ? &line.summary : &line.meaning};
      return ToQt(*texts[index.column()]);
    }
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
      return ToQt(marks.description);
    case Qt::BackgroundRole:
      return marks.marked ? QVariant(QBrush(kMarkColour)) : QVariant();
    case Qt::FontRole: {
      if (!marks.marked && line.depth != 0) return {};
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    default:
      return {};
  }
}

QVariant DecodedTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kHeadings[5] = {"Name", "Place", "Value", "Access", "Meaning"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= 5) {
    return {};
  }
  return QString::fromLatin1(kHeadings[section]);
}

}  // namespace qbus::ui
