// SPDX-License-Identifier: GPL-3.0-or-later
// The widest result line of each kind and width stays on one line, whole, in its 980-pixel
// control and the large font: nothing the user needs is hidden under the row below.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>

#include "register/result_line.h"
#include "tests/ui/layer_fixture.h"

namespace qbus::test {
namespace {

using regs::LineKind;

// The widest captions: every field at its longest.
const regs::LocationCaptions kWidest{"0xFF (255)", "0x1F (31)", "0x7 (7)", "0x0FFC (4092)"};
const regs::LocationCaptions kWidestAddress{"0xFF (255)", "0x1F (31)", "0x7 (7)", "0xFFFC (65532)"};

using ResultLineFit = LayerTest;

TEST_F(ResultLineFit, TheWidestLineOfEveryKindFitsOnOneLine) {
  const ui::FontHandle large = layer().MakeFont(1, "Arial", 9);
  std::vector<std::string> lines;
  for (AccessWidth width : {AccessWidth::kDWord, AccessWidth::kWord, AccessWidth::kByte}) {
    for (LineKind kind : {LineKind::kRead, LineKind::kWrite, LineKind::kTest}) {
      for (uint32_t value : {0x80000000u, 0x88888888u, 0xDDDDDDDDu, 0xFFFFFFFFu}) {
        lines.push_back(regs::FormatResultLine(kind, width, value, kWidest));
      }
    }
    for (regs::FailureCause cause :
         {regs::FailureCause::kNoFunction, regs::FailureCause::kBeyondSpace,
          regs::FailureCause::kNeedsRoot, regs::FailureCause::kRefused}) {
      for (LineKind kind : {LineKind::kRead, LineKind::kTest}) {
        for (uint32_t offset : {0x40u, 0x100u}) {
          lines.push_back(regs::FormatFailureLine(kind, width, kWidestAddress,
                                                  regs::ReadFailure(cause, offset, 256)));
        }
      }
      lines.push_back(regs::FormatFailureLine(LineKind::kWrite, width, kWidestAddress,
                                              regs::WriteFailure(cause, 256)));
    }
  }
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    layer().CreateTextControl(8, 10, 170, 980, 20, line, ui::kTextCentred);
    layer().SetControlFont(8, large);
    auto* label = static_cast<QLabel*>(Widget(layer(), 8));
    EXPECT_EQ(label->text().toStdString(), line);
    EXPECT_EQ(label->font().pixelSize(), 12);
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), 980);
    EXPECT_EQ(label->heightForWidth(980), QFontMetrics(label->font()).height()) << "one line";
  }
}

// A line that would not fit even with its blanks narrowed as far as they go keeps its spacing
// and wraps: squeezed further it could not be read.
TEST_F(ResultLineFit, ALineThatCannotFitKeepsItsSpacingAndWraps) {
  const ui::FontHandle large = layer().MakeFont(1, "Arial", 9);
  std::string line;
  for (int i = 0; i < 40; ++i) line += "Register ";
  layer().CreateTextControl(8, 10, 170, 980, 20, line, ui::kTextCentred);
  layer().SetControlFont(8, large);
  auto* label = static_cast<QLabel*>(Widget(layer(), 8));
  EXPECT_EQ(label->font().wordSpacing(), 0);
  EXPECT_GT(label->heightForWidth(980), QFontMetrics(label->font()).height());
}

}  // namespace
}  // namespace qbus::test
