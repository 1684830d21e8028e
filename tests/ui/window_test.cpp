// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>
#include <QToolButton>

#include "tests/ui/layer_fixture.h"

namespace qbus::test {
namespace {

using WindowTest = LayerTest;

// Puts the style's icons on standard dialog buttons, as some desktop themes ask.
class ButtonIconsStyle : public QProxyStyle {
 public:
  ButtonIconsStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons) return 1;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

// The application's style puts icons on dialog buttons for as long as this lives.
class WithButtonIcons {
 public:
  WithButtonIcons() : before_(QApplication::style()->name()) {
    QApplication::setStyle(new ButtonIconsStyle);
  }
  ~WithButtonIcons() { QApplication::setStyle(before_); }

 private:
  QString before_;
};

TEST_F(WindowTest, TheMainWindowHasAFixedClientAreaAndNoMaximiseBox) {
  QWidget* w = window();
  EXPECT_EQ(w->size(), QSize(1000, 430));
  EXPECT_EQ(w->minimumSize(), QSize(1000, 430));
  EXPECT_EQ(w->maximumSize(), QSize(1000, 430));
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), "Test");
  EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(w->palette().color(QPalette::Window), w->palette().color(QPalette::Button));
  EXPECT_TRUE(w->windowIcon().availableSizes().contains(QSize(32, 32)));
  EXPECT_NE(layer().WindowHandle(0), 0u);
  EXPECT_EQ(layer().WindowHandle(1), 0u);
  EXPECT_EQ(layer().OpenMainWindow(0, 0, 0, 10, 10, "again", 0), 0) << "one main window only";
}

TEST_F(WindowTest, AnUncentredWindowStandsWhereItIsAsked) {
  layer_.reset();
  layer_ = std::make_unique<ui::WindowLayer>(user_.Options(96));
  ASSERT_EQ(
      layer().OpenMainWindow(0, 120, 70, 1000, 430, "Test", ui::kMainWindowFlags & ~ui::kCentred),
      1);
  EXPECT_EQ(window()->pos(), QPoint(120, 70));
}

TEST_F(WindowTest, TheCloseBoxRaisesTheCloseEventAndTheWindowStays) {
  EXPECT_FALSE(window()->close());
  EXPECT_TRUE(window()->isVisible());
  ASSERT_EQ(layer().WaitEvent(), ui::kCloseEvent);
  EXPECT_EQ(layer().EventControl(), 0);
}

// Work kept out of the way of the first paint waits for the paint and for the events behind it.
TEST_F(WindowTest, WorkAfterThePaintRunsOnceTheWindowWaitsForEvents) {
  int runs = 0;
  layer().AfterFirstPaint([&runs] { ++runs; });
  const auto wait_for_events = [] {
    QTimer::singleShot(10, [] {});
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  };
  layer().SetWindowTitle(0, "Retitled");  // an event for the window that is no paint
  wait_for_events();
  EXPECT_EQ(runs, 0) << "before any paint";
  window()->repaint();
  EXPECT_EQ(runs, 0) << "inside the paint";
  wait_for_events();
  EXPECT_EQ(runs, 1);
  window()->repaint();
  wait_for_events();
  EXPECT_EQ(runs, 1) << "once";
}

TEST_F(WindowTest, EventControlFollowsTheCurrentEvent) {
  EXPECT_EQ(layer().EventControl(), 0) << "before any event";
  layer().CreateButtonControl(108, 600, 400, 200, 25, "E X I T");
  user_.Then("click EXIT", [this] { Click(layer(), 108); });
  EXPECT_EQ(layer().WaitEvent(), ui::kControlEvent);
  EXPECT_EQ(layer().EventControl(), 108);
  QCoreApplication::processEvents();  // no event comes of this
  EXPECT_EQ(layer().EventControl(), 108);
  window()->close();
  EXPECT_EQ(layer().WaitEvent(), ui::kCloseEvent);
  EXPECT_EQ(layer().EventControl(), 0);
}

TEST_F(WindowTest, FontsFollowTheDisplayResolutionAndReplaceTheirNumber) {
  EXPECT_EQ(layer().DisplayResolution(), 96);
  const ui::FontHandle small = layer().MakeFont(0, "Arial", 7);
  const ui::FontHandle large = layer().MakeFont(1, "Arial", 9);
  EXPECT_EQ(layer().FontPixelSize(small), 9);
  EXPECT_EQ(layer().FontPixelSize(large), 12);
  EXPECT_EQ(layer().FontHandleOf(1), large);
  const ui::FontHandle replaced = layer().MakeFont(1, "Arial", 7);
  EXPECT_NE(replaced, large);
  EXPECT_EQ(layer().FontHandleOf(1), replaced);
  EXPECT_EQ(layer().FontPixelSize(large), 0) << "the old font is gone";
  EXPECT_EQ(layer().FontHandleOf(2), 0u);

  layer().CreateTextControl(0, 10, 10, 100, 20, "x", ui::kTextLeft);
  layer().SetControlFont(0, small);
  const QFont font = Widget(layer(), 0)->font();
  EXPECT_EQ(font.family(), "Arial");
  EXPECT_EQ(font.pixelSize(), 9);
  EXPECT_FALSE(font.bold() || font.italic() || font.underline() || font.strikeOut());
  layer().SetControlFont(0, 0);
  EXPECT_EQ(Widget(layer(), 0)->font(), QApplication::font()) << "no font: the system font";
}

TEST_F(WindowTest, FontsAt120DotsPerInch) {
  layer_.reset();
  Open(120);
  EXPECT_EQ(layer().DisplayResolution(), 120);
  EXPECT_EQ(layer().FontPixelSize(layer().MakeFont(0, "Arial", 5)), 8);
  EXPECT_EQ(layer().FontPixelSize(layer().MakeFont(1, "Arial", 7)), 12);
}

TEST_F(WindowTest, TheMessageBoxIsModalWithOneOkButtonAndBlocksUntilDismissed) {
  window()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
  const WithButtonIcons style;
  ASSERT_FALSE(QDialogButtonBox(QDialogButtonBox::Ok).button(QDialogButtonBox::Ok)->icon().isNull())
      << "the style puts its icon on an OK button";
  QString seen_title, seen_text;
  int buttons = -1;
  bool icon = true;
  bool button_icon = true;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen_title = box->windowTitle();
    seen_text = box->text();
    buttons = static_cast<int>(box->buttons().size());
    icon = box->icon() != QMessageBox::NoIcon;
    button_icon = !box->button(QMessageBox::Ok)->icon().isNull();
    EXPECT_TRUE(box->isModal());
    EXPECT_EQ(box->parentWidget(), window()) << "owned by the main window, in front";
    box->button(QMessageBox::Ok)->click();
  });
  layer().ShowMessage("Fehler !", "Kann WinRing0 nicht öffnen !");
  EXPECT_EQ(seen_title, "Fehler !");
  EXPECT_EQ(seen_text, QString::fromUtf8("Kann WinRing0 nicht öffnen !"));
  EXPECT_EQ(buttons, 1);
  EXPECT_FALSE(icon);
  EXPECT_FALSE(button_icon) << "no tick on OK";
}

// A screen reader meets the window as a frame, and each spin arrow as a button named after its
// spin, even when the spin is named after it is made, that steps the spin when pressed.
TEST_F(WindowTest, TheWindowIsAFrameAndSpinArrowsSayTheirSpinAndWay) {
  EXPECT_EQ(QAccessible::queryAccessibleInterface(window())->role(), QAccessible::Window);
  layer().CreateSpinControl(1, 50, 30, 150, 25, 0, 255, ui::kSpinReadOnly);
  layer().SetControlName(1, "Bus");
  std::vector<std::pair<std::string, QAccessible::Role>> arrows;
  for (QToolButton* arrow : window()->findChildren<QToolButton*>()) {
    const QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(arrow);
    arrows.emplace_back(spoken->text(QAccessible::Name).toStdString(), spoken->role());
  }
  EXPECT_EQ(arrows, (std::vector<std::pair<std::string, QAccessible::Role>>{
                        {"Bus, next", QAccessible::PushButton},
                        {"Bus, previous", QAccessible::PushButton}}));
  QAccessible::queryAccessibleInterface(window()->findChildren<QToolButton*>().first())
      ->actionInterface()
      ->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(layer().GetControlState(1), 1);
}

TEST(WindowLayerWithoutWindow, CreatesNothingAndReadsZero) {
  ui::WindowLayer layer;
  EXPECT_EQ(layer.CreateButtonControl(8, 0, 0, 10, 10, "x"), 0);
  EXPECT_FALSE(layer.ControlExists(8));
  EXPECT_EQ(layer.GetControlState(8), 0);
  layer.SetControlText(8, "y");  // does nothing
  EXPECT_EQ(layer.WindowHandle(0), 0u);
  EXPECT_EQ(layer.OpenMainWindow(0, 0, 0, 0, 430, "empty", 0), 0);
}

}  // namespace
}  // namespace qbus::test
