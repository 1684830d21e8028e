// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the two binding failures, and the ways out of every waiting phase.
#include <gtest/gtest.h>

#include <QWidget>

#include "controls/control_table.h"
#include "tests/app/program_fixture.h"

namespace qbus::test {
namespace {

using namespace controls;
using Startup = ProgramTest;

TEST_F(Startup, OpensTheTitledWindowWithFontsForTheDisplayAndEndsOnExit) {
  user_.Then("look at the window", [this] {
    auto* window = ui::LayerTestAccess::MainWindow(layer());
    // The simulated machine says so after the title.
    EXPECT_EQ(window->windowTitle().toStdString(),
              std::string(app::kWindowTitle) + "  [simulated machine]");
    EXPECT_EQ(window->windowTitle().left(28), "Quoril Bus - Read / Write  (");
    EXPECT_EQ(window->size(), QSize(1000, 430));
    EXPECT_EQ(layer().FontPixelSize(layer().FontHandleOf(kSmallFont)), 9);
    EXPECT_EQ(layer().FontPixelSize(layer().FontHandleOf(kLargeFont)), 12);
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  const std::vector<std::string> lines = AccessLines();
  EXPECT_EQ(lines, (std::vector<std::string>{"InitializeOls -> 0x1", "DeinitializeOls"}));
  EXPECT_EQ(TraceLines().size(), 2u + 131072u);
}

// The fonts make up for the resolution the display reports. Under Qt's scaling (the default) a
// 120-dpi display reports 96 and the whole window is scaled instead; with scaling off it reports
// 120 and the fonts shrink. CTest runs this at 96 and in both 120-dpi setups.
TEST_F(Startup, TheFontSizesMakeUpForTheReportedResolution) {
  EXPECT_EQ(app::CompensatedFontSize(7, 96), 7);
  EXPECT_EQ(app::CompensatedFontSize(9, 96), 9);
  EXPECT_EQ(app::CompensatedFontSize(7, 120), 5);
  EXPECT_EQ(app::CompensatedFontSize(9, 120), 7);
  EXPECT_EQ(app::CompensatedFontSize(7, 144), 4);
  EXPECT_EQ(app::CompensatedFontSize(9, 144), 6);
  EXPECT_EQ(app::CompensatedFontSize(7, 192), 3);
  EXPECT_EQ(app::CompensatedFontSize(9, 192), 4);
  user_.Then("look at the fonts", [this] {
    const int reported = layer().DisplayResolution();
    const bool scaled = qEnvironmentVariableIsSet("QT_FONT_DPI") &&
                        !qEnvironmentVariableIsSet("QT_ENABLE_HIGHDPI_SCALING");
    auto* window = ui::LayerTestAccess::MainWindow(layer());
    EXPECT_EQ(reported, scaled || !qEnvironmentVariableIsSet("QT_FONT_DPI") ? 96 : 120);
    EXPECT_EQ(window->devicePixelRatio(), scaled ? 1.25 : 1.0);
    EXPECT_EQ(window->size(), QSize(1000, 430));
    EXPECT_EQ(layer().FontPixelSize(layer().FontHandleOf(kSmallFont)), reported == 96 ? 9 : 8);
    EXPECT_EQ(layer().FontPixelSize(layer().FontHandleOf(kLargeFont)), 12);
    window->close();
  });
  EXPECT_EQ(Run(0), 0);
}

TEST_F(Startup, AMissingLibraryShowsOneMessageAndEndsWithoutAScan) {
  AnswerMessageBoxes();
  EXPECT_EQ(Run(96, "libQuorilBusMissing.so"), 0);
  EXPECT_EQ(messages_, std::vector<std::string>{"Fehler !|Kann WinRing0 nicht öffnen !"});
  EXPECT_TRUE(TraceLines().empty());
}

TEST_F(Startup, AFailingInitialisationShowsOneMessageAndEndsWithoutAScan) {
  setenv("QUORILBUS_SIM_INIT", "fail", 1);
  AnswerMessageBoxes();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(messages_, std::vector<std::string>{"Fehler !|Kann WinRing0 nicht initialisieren !"});
  EXPECT_EQ(TraceLines(), std::vector<std::string>{"InitializeOls -> 0x0"});
}

// Where the user leaves, and how: every waiting phase, by EXIT and by the close box.
struct WayOut {
  const char* name;
  int phase;  // 0 selection form, 1 bit editor, 2 final wait after a write
  bool close_box;
};

class WaysOut : public ProgramTest, public ::testing::WithParamInterface<WayOut> {};

TEST_P(WaysOut, EndWithOneDeinitialiseAndNoAccessAfterIt) {
  const WayOut way = GetParam();
  if (way.phase >= 1) user_.Then("READ", [this] { Click(layer(), kReadButton); });
  if (way.phase >= 2) user_.Then("WRITE", [this] { Click(layer(), kWriteButton); });
  user_.Then("leave", [this, way] {
    if (way.close_box) {
      ui::LayerTestAccess::MainWindow(layer())->close();
    } else {
      Click(layer(), kExitButton);
    }
  });
  EXPECT_EQ(Run(), 0);
  std::vector<std::string> expected = {"InitializeOls -> 0x1"};
  if (way.phase >= 1) expected.push_back("ReadPciConfigDwordEx 0x0 0x0 -> 0x1 0x3E308086");
  if (way.phase >= 2) {
    expected.push_back("WritePciConfigDwordEx 0x0 0x0 0x3E308086 -> 0x1");
    expected.push_back("ReadPciConfigDwordEx 0x0 0x0 -> 0x1 0x3E308086");
  }
  expected.push_back("DeinitializeOls");
  EXPECT_EQ(AccessLines(), expected);
  EXPECT_EQ(TraceLines().back(), "DeinitializeOls");
}

INSTANTIATE_TEST_SUITE_P(
    EveryPhase, WaysOut,
    ::testing::Values(WayOut{"FormExit", 0, false}, WayOut{"FormClose", 0, true},
                      WayOut{"EditorExit", 1, false}, WayOut{"EditorClose", 1, true},
                      WayOut{"FinalExit", 2, false}, WayOut{"FinalClose", 2, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qbus::test
