#include "ui/widgets/drop_down_list.h"

#include <QFocusEvent>
#include <QSignalBlocker>

namespace kestrum {

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    // activated() is emitted for every user pick, also of the entry already selected.
    connect(this, &QComboBox::activated, this, &DropDownList::Click);
}

void DropDownList::SetText(const QString& text) {
    const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        throw ListTextNotFound(text);
    }
    {
        const QSignalBlocker blocker(this);
        setCurrentIndex(index);
    }
    emit Click();
}

void DropDownList::focusInEvent(QFocusEvent* event) {
    QComboBox::focusInEvent(event);
    // Focus that returns when a message box or the list's own popup closes is not a new
    // visit: warning again then would loop for ever.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        emit GotFocus();
    }
}

}  // namespace kestrum
