#include "ui/widgets/controls.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/latin1.h"

namespace kestrum {

void FitCaption(QLabel& label, QRect geometry, Grow grow) {
    const int width = std::max(geometry.width(), label.sizeHint().width());
    if (grow == Grow::Left) {
        label.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        geometry.setLeft(geometry.right() + 1 - width);
    } else {
        geometry.setWidth(width);
    }
    label.setGeometry(geometry);
}

QLabel* MakeLabel(QWidget* parent, const char* text, QRect geometry, Grow grow) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    FitCaption(*label, geometry, grow);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* caption, QRect geometry, const char* toolTip) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    if (toolTip != nullptr) {
        button->setToolTip(QString::fromLatin1(toolTip));
    }
    button->setGeometry(geometry);
    return button;
}

void FitList(QComboBox& list) {
    QRect geometry = list.geometry();
    geometry.setWidth(std::max(geometry.width(), list.sizeHint().width()));
    list.setGeometry(geometry);
}

DropDownList* MakeList(QWidget* parent, const QStringList& items, const char* toolTip,
                       QRect geometry) {
    auto* list = new DropDownList(parent);
    list->addItems(items);
    list->setToolTip(QString::fromLatin1(toolTip));
    list->setGeometry(geometry);
    list->setCurrentIndex(-1);
    FitList(*list);
    return list;
}

QStringList ToStringList(std::span<const std::string_view> items) {
    QStringList list;
    for (std::string_view item : items) {
        list << FromBytes(item);
    }
    return list;
}

}  // namespace kestrum
