#pragma once
// A selection-only drop-down list whose click handler runs for every pick, the user's or the
// program's, also when the entry picked is the one already selected.

#include <QComboBox>
#include <stdexcept>

namespace kestrum {

// Raised when the program selects a text the list does not hold.
class ListTextNotFound : public std::invalid_argument {
public:
    explicit ListTextNotFound(const QString& text)
        : std::invalid_argument("list has no entry \"" + text.toStdString() + "\"") {}
};

class DropDownList : public QComboBox {
    Q_OBJECT
public:
    explicit DropDownList(QWidget* parent = nullptr);

    // Selects the first entry with exactly this text and raises Click, as a user's pick does.
    // Throws ListTextNotFound, leaving the selection unchanged, when no entry has the text.
    void SetText(const QString& text);
    QString Text() const { return currentText(); }

signals:
    void Click();
    // The user moved the focus here (not focus coming back from a closed message box).
    void GotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
};

}  // namespace kestrum
