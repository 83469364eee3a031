#pragma once
// Proportional layout of the resizable windows: controls are not anchored; each resize moves
// and stretches every control by the ratio between the window's new size and the size at
// which it was last laid out, and scales their fonts by the mean of the two ratios.

#include <QObject>
#include <QSize>

class QWidget;

namespace kestrum {

// How ResizeControls treats a control.
enum class ControlKind {
    // Moved and stretched in one operation; its font is scaled.
    Ordinary,
    // Left, top and width scaled; the height is the toolkit's for its font; font scaled.
    ComboBox,
    // A line: its end points are scaled, nothing else.
    Line,
    // Moved and stretched; its font keeps its size (shapes, rich-text boxes, frames,
    // horizontal scroll bars, up-down controls, toolbars).
    KeepsFont,
    // Not touched at all.
    Skipped,
};

// Marks a control whose class alone does not tell its kind (a rich-text box built on a
// single-line field, a lamp shape, an up-down control). Without a mark the kind follows the
// class: combo boxes are ComboBox; horizontal/vertical line frames are Line; plain frames,
// group boxes, scroll areas (rich-text boxes), horizontal scroll bars and toolbars keep
// their font; everything else is Ordinary.
void SetControlKind(QWidget& control, ControlKind kind);
ControlKind KindOf(const QWidget& control);

// Rescales every control inside `window` (its children, and the children of plain
// containers among them, in creation order), hidden ones included. The window itself is not
// moved or resized.
//
// A caption or list whose scaled text no longer fits its scaled width (a window grown more
// in height than in width) has its text drawn smaller until it fits; its exact size stays
// the proportional one.
//
// Precision: each control keeps its exact, unrounded geometry and font size between calls,
// and every call multiplies those, so rounding to whole pixels never accumulates however
// many resizes come. A control that something else has moved or re-fonted since the last
// call starts again from what it now has.
void ResizeControls(float xRatio, float yRatio, QWidget& window);

enum class ResizePolicy {
    // Main window and text file sender: the first resize notification any such window
    // receives only arms the layout (the one delivered while the main window is first
    // shown), and a window smaller than its design size in either direction is laid out
    // at its design size.
    ArmedAboveDesignSize,
    // Command set editor: every notification rescales, below the design size too.
    Always,
};

// The sizing record of one window (LastWidth, LastHeight, MinWidth, MinHeight) and its
// resize handling. It watches `window`'s resize events itself, so a window adopts it with
// one construction and one RecordDesignSize call.
class ProportionalLayout final : public QObject {
    Q_OBJECT
public:
    // `layoutArmed` is the process-wide flag (AppState::LayoutArmed); it must outlive this
    // object. The Always policy never reads it.
    ProportionalLayout(QWidget& window, ResizePolicy policy, bool& layoutArmed);

    // The window's size as designed, recorded before anything else changes the window's
    // size: the last layout size, and for ArmedAboveDesignSize also the minimum.
    void RecordDesignSize(QSize size);

    // The resize notification; run by the watched resize events, callable directly.
    void Form_Resize();

    int LastWidth() const { return lastWidth_; }
    int LastHeight() const { return lastHeight_; }
    int MinWidth() const { return minWidth_; }
    int MinHeight() const { return minHeight_; }
    float XRatio() const { return xRatio_; }
    float YRatio() const { return yRatio_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    ResizePolicy policy_;
    bool& layoutArmed_;
    int lastWidth_ = 0;
    int lastHeight_ = 0;
    int minWidth_ = 0;
    int minHeight_ = 0;
    float xRatio_ = 1.0F;
    float yRatio_ = 1.0F;
};

}  // namespace kestrum
