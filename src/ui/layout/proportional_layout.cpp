#include "ui/layout/proportional_layout.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QRectF>
#include <QScrollBar>
#include <QToolBar>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace kestrum {

namespace {

// Dynamic properties a control carries between rescales.
constexpr auto kKindProperty = "_kestrum_controlKind";
constexpr auto kExactGeometryProperty = "_kestrum_exactGeometry";
constexpr auto kExactFontProperty = "_kestrum_exactFontSize";
// The pixel size a control's text was made smaller to, so that it fits (see FitText).
constexpr auto kFittedFontProperty = "_kestrum_fittedFontSize";

int Round(double value) {
    return static_cast<int>(std::lround(value));
}

QRect Rounded(const QRectF& exact) {
    return {Round(exact.x()), Round(exact.y()), Round(exact.width()), Round(exact.height())};
}

// Frames, group boxes and bare widgets only hold other controls; their children are
// controls of the window too. Every other widget's children are its own inner parts.
bool IsPlainContainer(const QWidget& widget) {
    const QMetaObject* meta = widget.metaObject();
    return meta == &QWidget::staticMetaObject || meta == &QFrame::staticMetaObject ||
           meta == &QGroupBox::staticMetaObject;
}

bool IsLineFrame(const QWidget& widget) {
    if (widget.metaObject() != &QFrame::staticMetaObject) {
        return false;
    }
    const auto shape = static_cast<const QFrame&>(widget).frameShape();
    return shape == QFrame::HLine || shape == QFrame::VLine;
}

// The exact geometry the control had after the last rescale, unless something has moved it
// since; then what it has now.
QRectF ExactGeometry(const QWidget& control, bool ignoreHeight) {
    const QRect current = control.geometry();
    const QVariant stored = control.property(kExactGeometryProperty);
    if (!stored.isValid()) {
        return QRectF(current);
    }
    const QRectF exact = stored.toRectF();
    QRect expected = Rounded(exact);
    if (ignoreHeight) {
        expected.setHeight(current.height());
    }
    return expected == current ? exact : QRectF(current);
}

void ScaleFont(QWidget& control, double fontRatio) {
    QFont font = control.font();
    const bool inPixels = font.pixelSize() > 0;
    const double current = inPixels ? font.pixelSize() : font.pointSizeF();
    if (current <= 0) {
        return;  // a font without a usable size: left as it is
    }
    double exact = current;
    if (const QVariant stored = control.property(kExactFontProperty); stored.isValid()) {
        const double kept = stored.toDouble();
        const QVariant fitted = control.property(kFittedFontProperty);
        const bool unchanged = inPixels
                                   ? Round(kept) == font.pixelSize() ||
                                         (fitted.isValid() && fitted.toInt() == font.pixelSize())
                                   : kept == current;
        if (unchanged) {
            exact = kept;
        }
    }
    exact *= fontRatio;
    if (inPixels) {
        font.setPixelSize(std::max(1, Round(exact)));
    } else {
        font.setPointSizeF(std::max(0.5, exact));
    }
    control.setFont(font);
    control.setProperty(kExactFontProperty, exact);
    control.setProperty(kFittedFontProperty, QVariant());
}

// The width a caption or list needs to show its whole text; 0 for other controls.
int NeededWidth(const QWidget& control) {
    if (qobject_cast<const QComboBox*>(&control) != nullptr) {
        return control.sizeHint().width();
    }
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        return label->wordWrap() ? 0 : label->sizeHint().width();
    }
    return 0;
}

// A caption or list entry is never cut off: where the scaled text is wider than the scaled
// control (a window grown more in height than in width), it is drawn smaller until it fits.
// The exact size stays the proportional one, so growing again scales from it.
void FitText(QWidget& control, int width) {
    QFont font = control.font();
    if (font.pixelSize() <= 0 || NeededWidth(control) <= width) {
        return;
    }
    while (font.pixelSize() > 1 && NeededWidth(control) > width) {
        font.setPixelSize(font.pixelSize() - 1);
        control.setFont(font);
    }
    control.setProperty(kFittedFontProperty, font.pixelSize());
}

void Rescale(QWidget& control, ControlKind kind, double xRatio, double yRatio, double fontRatio) {
    switch (kind) {
        case ControlKind::Skipped:
            return;
        case ControlKind::Line: {
            QRectF exact = ExactGeometry(control, false);
            const auto* frame = qobject_cast<const QFrame*>(&control);
            const bool horizontal = frame == nullptr || frame->frameShape() != QFrame::VLine;
            exact = QRectF(exact.x() * xRatio, exact.y() * yRatio,
                           horizontal ? exact.width() * xRatio : exact.width(),
                           horizontal ? exact.height() : exact.height() * yRatio);
            control.setGeometry(Rounded(exact));
            control.setProperty(kExactGeometryProperty, exact);
            return;
        }
        case ControlKind::ComboBox: {
            // The font first: the toolkit's height follows from it.
            ScaleFont(control, fontRatio);
            QRectF exact = ExactGeometry(control, true);
            exact = QRectF(exact.x() * xRatio, exact.y() * yRatio, exact.width() * xRatio, 0);
            FitText(control, Round(exact.width()));
            exact.setHeight(control.sizeHint().height());
            control.setGeometry(Rounded(exact));
            control.setProperty(kExactGeometryProperty, exact);
            return;
        }
        case ControlKind::Ordinary:
        case ControlKind::KeepsFont: {
            QRectF exact = ExactGeometry(control, false);
            exact = QRectF(exact.x() * xRatio, exact.y() * yRatio, exact.width() * xRatio,
                           exact.height() * yRatio);
            control.setGeometry(Rounded(exact));
            control.setProperty(kExactGeometryProperty, exact);
            if (kind == ControlKind::Ordinary) {
                ScaleFont(control, fontRatio);
                FitText(control, control.width());
            }
            return;
        }
    }
}

}  // namespace

void SetControlKind(QWidget& control, ControlKind kind) {
    control.setProperty(kKindProperty, static_cast<int>(kind));
}

ControlKind KindOf(const QWidget& control) {
    if (const QVariant mark = control.property(kKindProperty); mark.isValid()) {
        return static_cast<ControlKind>(mark.toInt());
    }
    if (qobject_cast<const QComboBox*>(&control) != nullptr) {
        return ControlKind::ComboBox;
    }
    if (IsLineFrame(control)) {
        return ControlKind::Line;
    }
    if (const auto* bar = qobject_cast<const QScrollBar*>(&control)) {
        return bar->orientation() == Qt::Horizontal ? ControlKind::KeepsFont
                                                    : ControlKind::Ordinary;
    }
    const QMetaObject* meta = control.metaObject();
    if (meta == &QFrame::staticMetaObject || meta == &QGroupBox::staticMetaObject ||
        qobject_cast<const QAbstractScrollArea*>(&control) != nullptr ||
        qobject_cast<const QToolBar*>(&control) != nullptr) {
        return ControlKind::KeepsFont;
    }
    return ControlKind::Ordinary;
}

void ResizeControls(float xRatio, float yRatio, QWidget& window) {
    // Single precision as the ratios come; the products in double.
    const float fontRatio = (xRatio + yRatio) / 2.0F;
    for (QObject* child : window.children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control == nullptr || control->isWindow()) {
            continue;  // timers, actions, tool windows
        }
        const ControlKind kind = KindOf(*control);
        Rescale(*control, kind, xRatio, yRatio, fontRatio);
        if (kind != ControlKind::Skipped && IsPlainContainer(*control)) {
            ResizeControls(xRatio, yRatio, *control);
        }
    }
}

ProportionalLayout::ProportionalLayout(QWidget& window, ResizePolicy policy, bool& layoutArmed)
    : QObject(&window), window_(window), policy_(policy), layoutArmed_(layoutArmed) {
    window_.installEventFilter(this);
}

void ProportionalLayout::RecordDesignSize(QSize size) {
    lastWidth_ = size.width();
    lastHeight_ = size.height();
    if (policy_ == ResizePolicy::ArmedAboveDesignSize) {
        minWidth_ = size.width();
        minHeight_ = size.height();
    }
}

void ProportionalLayout::Form_Resize() {
    QSize size = window_.size();
    if (policy_ == ResizePolicy::ArmedAboveDesignSize) {
        if (!layoutArmed_) {
            layoutArmed_ = true;
            return;
        }
        if (size.height() < minHeight_ || size.width() < minWidth_) {
            // Below the design size the controls are laid out at the design size, so that a
            // window grown and then shrunk never keeps controls that no longer fit.
            if (lastWidth_ == minWidth_ && lastHeight_ == minHeight_) {
                return;
            }
            size = QSize(minWidth_, minHeight_);
        }
    }
    xRatio_ =
        lastWidth_ == 0 ? 1.0F : static_cast<float>(size.width()) / static_cast<float>(lastWidth_);
    yRatio_ = lastHeight_ == 0
                  ? 1.0F
                  : static_cast<float>(size.height()) / static_cast<float>(lastHeight_);
    ResizeControls(xRatio_, yRatio_, window_);
    lastWidth_ = size.width();
    lastHeight_ = size.height();
}

bool ProportionalLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Resize) {
        Form_Resize();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kestrum
