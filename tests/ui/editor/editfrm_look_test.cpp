// The command set editor as a person sees it. With KESTRUM_SCREENSHOT_DIR set, the picture
// is also written there for review.

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include "ui/editor/editor_fixture.h"
#include "ui/editor/latin1_field.h"
#include "ui/main/notation_field.h"

namespace kestrum {
namespace {

using EditfrmLookTest = EditorTest;

TEST_F(EditfrmLookTest, EditorWithACommandSet) {
    CommandSet set{};
    const char* labels[] = {"Reset",   "Status?", "Power On", "Power Off", "Input 1",
                            "Input 2", "Mute",    "Unmute",   "Vol +",     "Vol -"};
    for (std::size_t i = 0; i < 10; ++i) {
        set[i] = {labels[i], i % 2 == 0 ? "41 54 0D " : "1B 40 30 31 0D 0A "};
    }
    StoreStartupSet(set);
    settings_.SaveSetting("Filetype", "Ascii");
    StartWithTools();
    Editfrm& editor = OpenEditor();

    const QImage image = editor.grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(559, 454)) << "the design client size";
    // Every caption fits its place and runs under no other control.
    for (const QLabel* label : editor.findChildren<QLabel*>()) {
        if (label->isHidden()) {
            continue;
        }
        const std::string text = label->text().toStdString();
        EXPECT_LE(label->sizeHint().width(), label->width()) << text;
        EXPECT_TRUE(editor.rect().contains(label->geometry())) << text;
        for (const QWidget* other : editor.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!other->isHidden() && qobject_cast<const QLabel*>(other) == nullptr) {
                EXPECT_FALSE(label->geometry().intersects(other->geometry()))
                    << text << " overlaps " << other->metaObject()->className();
            }
        }
    }
    if (const QByteArray dir = qgetenv("KESTRUM_SCREENSHOT_DIR"); !dir.isEmpty()) {
        image.save(QString::fromLocal8Bit(dir) + "/editor.png");
    }
}

}  // namespace
}  // namespace kestrum
