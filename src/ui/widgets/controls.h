#pragma once
// Controls placed at their design geometry, as every window builds them.

#include <QRect>
#include <QStringList>
#include <span>
#include <string_view>

class QComboBox;
class QLabel;
class QPushButton;
class QWidget;

namespace kestrum {

class DropDownList;

// Which way a caption too long for its design width grows: a caption that leads up to the
// control on its right keeps its right edge, so that it never runs under that control.
enum class Grow { Right, Left };

// The design widths were made for a narrower font: a caption is never cut short.
void FitCaption(QLabel& label, QRect geometry, Grow grow = Grow::Right);
QLabel* MakeLabel(QWidget* parent, const char* text, QRect geometry, Grow grow = Grow::Right);
QPushButton* MakeButton(QWidget* parent, const char* caption, QRect geometry,
                        const char* toolTip = nullptr);
// A list at least as wide as its widest entry needs, growing to the right from its design
// place: no entry is ever cut short.
void FitList(QComboBox& list);
// A list with nothing selected yet, fitted to its entries.
DropDownList* MakeList(QWidget* parent, const QStringList& items, const char* toolTip,
                       QRect geometry);
QStringList ToStringList(std::span<const std::string_view> items);

}  // namespace kestrum
