// The editor rescales its controls with the window, also below its design size.

#include "ui/editor/latin1_field.h"

#include "ui/editor/editor_fixture.h"

namespace kestrum {
namespace {

using EditorResizeTest = EditorTest;

TEST_F(EditorResizeTest, ShrinkingBelowTheDesignSizeShrinksControlsAndFonts) {
    StartWithTools();
    Editfrm& editor = OpenEditor();
    const QSize design = editor.size();
    Latin1Field& label = editor.ButtonText(1);
    const QRect before = label.geometry();
    const qreal fontBefore = label.font().pixelSize();

    editor.resize(design.width() / 2, design.height() / 2);
    QCoreApplication::processEvents();
    EXPECT_NEAR(label.geometry().width(), before.width() / 2.0, 2.0);
    EXPECT_NEAR(label.geometry().left(), before.left() / 2.0, 2.0);
    EXPECT_LT(label.font().pixelSize(), fontBefore);
}

}  // namespace
}  // namespace kestrum
