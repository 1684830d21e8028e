// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/choice_dialogs.h"

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_focus.h"

namespace qbus::ui {
namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

// The lines a chooser shows, made into text only when the view draws them or a screen reader
// asks: a filter that keeps tens of thousands of lines costs no item for each.
class ChoiceModel : public QAbstractListModel {
 public:
  void Show(std::vector<ListChoice> choices) {
    beginResetModel();
    choices_ = std::move(choices);
    endResetModel();
  }
  const std::vector<ListChoice>& Choices() const { return choices_; }
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(choices_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) return {};
    return ToQt(choices_[static_cast<size_t>(index.row())].text);
  }

 private:
  std::vector<ListChoice> choices_;
};

// The filter field passes the keys that move in the list on to it.
class FilterField : public QLineEdit {
 public:
  FilterField(QListView* list, QWidget* parent) : QLineEdit(parent), list_(list) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    switch (event->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        QCoreApplication::sendEvent(list_, event);
        return;
      default:
        QLineEdit::keyPressEvent(event);
    }
  }

 private:
  QListView* list_;
};

}  // namespace

std::optional<int> RunChooserDialog(QWidget* parent, const std::string& title,
                                    const std::string& prompt, const ChoiceFilter& filter) {
  const ReturnFocusOnClose focus_back(parent);
  QDialog dialog(parent);
  dialog.setWindowTitle(ToQt(title));
  auto* layout = new QVBoxLayout(&dialog);
  auto* label = new QLabel(ToQt(prompt), &dialog);
  auto* list = new QListView(&dialog);
  ChoiceModel model;
  list->setModel(&model);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* field = new FilterField(list, &dialog);
  label->setBuddy(field);
  field->setAccessibleName(ToQt(prompt));
  list->setAccessibleName(ToQt(title));
  list->setUniformItemSizes(true);
  layout->addWidget(label);
  layout->addWidget(field);
  layout->addWidget(list);
  dialog.resize(480, 360);

  const auto refill = [&](const QString& text) {
    model.Show(filter(text.toStdString()));
    if (model.rowCount() > 0) list->setCurrentIndex(model.index(0));
  };
  QObject::connect(field, &QLineEdit::textChanged, &dialog, refill);
  QObject::connect(field, &QLineEdit::returnPressed, &dialog, [&] {
    if (list->currentIndex().isValid()) dialog.accept();
  });
  QObject::connect(list, &QListView::activated, &dialog, [&] { dialog.accept(); });
  refill(QString());
  field->setFocus();
  if (dialog.exec() != QDialog::Accepted || !list->currentIndex().isValid()) return std::nullopt;
  return model.Choices()[static_cast<size_t>(list->currentIndex().row())].key;
}

std::optional<std::string> RunTextDialog(
    QWidget* parent, const std::string& title, const std::string& prompt,
    const std::string& initial, const std::function<std::string(const std::string&)>& refusal) {
  const ReturnFocusOnClose focus_back(parent);
  QDialog dialog(parent);
  dialog.setWindowTitle(ToQt(title));
  auto* layout = new QVBoxLayout(&dialog);
  auto* label = new QLabel(ToQt(prompt), &dialog);
  auto* field = new QLineEdit(ToQt(initial), &dialog);
  auto* reason = new QLabel(&dialog);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  label->setBuddy(field);
  field->setAccessibleName(ToQt(prompt));
  // The reason is the label's text, so a screen reader reads it out, and hears it change.
  reason->setAccessibleDescription(QStringLiteral("Why the text cannot be taken"));
  layout->addWidget(label);
  layout->addWidget(field);
  layout->addWidget(reason);
  layout->addWidget(buttons);
  field->selectAll();
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    const std::string why = refusal(field->text().toStdString());
    reason->setText(ToQt(why));
    if (why.empty()) dialog.accept();
  });
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return field->text().toStdString();
}

void ShowMessageOver(QWidget* parent, const std::string& title, const std::string& text) {
  const ReturnFocusOnClose focus_back(parent);
  QMessageBox box(QMessageBox::NoIcon, ToQt(title), ToQt(text), QMessageBox::Ok, parent);
  box.setWindowModality(Qt::ApplicationModal);
  // Some styles put their tick on standard buttons; the box shows no icon at all.
  for (QAbstractButton* button : box.buttons()) button->setIcon(QIcon());
  box.exec();
}

namespace {

std::optional<std::string> AskPath(QWidget* parent, const std::string& title,
                                   const std::string& file_name, QFileDialog::AcceptMode mode) {
  const ReturnFocusOnClose focus_back(parent);
  QFileDialog dialog(parent, ToQt(title), ToQt(file_name),
                     QStringLiteral("Configuration dumps (*.txt *.dump);;All files (*)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(mode);
  if (mode == QFileDialog::AcceptOpen) dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.selectFile(ToQt(file_name));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace

std::optional<std::string> AskSavePath(QWidget* parent, const std::string& title,
                                       const std::string& file_name) {
  return AskPath(parent, title, file_name, QFileDialog::AcceptSave);
}

std::optional<std::string> AskOpenPath(QWidget* parent, const std::string& title) {
  return AskPath(parent, title, {}, QFileDialog::AcceptOpen);
}

}  // namespace qbus::ui
