// The optimisation page's widgets without a display: every check box shows
// its whole caption, every list its skin.
#include "app/opti_page.h"

#include <gtest/gtest.h>

#include "controls/recording_canvas.h"
#include "controls/text_measure.h"
#include "support/temp_dir.h"

namespace kestrune::app {
namespace {

TEST(OptiPage, EveryCheckBoxCaptionFitsItsBox) {
  Control parent;
  parent.SetBounds(0, 0, 880, 480);
  THareWareInfo hardware{};
  TOptiFrameView view(parent, hardware);
  for (const opti::CheckDesc& desc : opti::Checks()) {
    TCZCheckBox2& box = view.Check(desc.id);
    RecordingCanvas canvas;
    box.Paint(canvas);
    auto texts = canvas.CallsOf(CanvasCall::Kind::kText);
    ASSERT_EQ(texts.size(), 1u) << desc.control;
    const Size need = MeasureText(texts[0].font, texts[0].text);
    EXPECT_LE(need.width, texts[0].dst.width) << texts[0].text << " is clipped";
    // Nothing reaches past the page.
    EXPECT_LE(box.Left() + box.Width(), 880) << desc.control;
  }
}

}  // namespace
}  // namespace kestrune::app
