#pragma once
// The command set editor: the forty commands of the main window as rows of a label and a
// command string, ten rows at a time, in a notation of the editor's own. A save writes the
// rows to a command set file; closing after a save hands the rows to the main window.

#include <QWidget>
#include <array>

#include "notation/byte_notation.h"
#include "notation/entry_validation.h"
#include "storage/command_set_format.h"
#include "ui/widgets/tool_context.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrum {

struct AppState;
class DropDownList;
class Latin1Field;
class NotationField;
class UpDownControl;

class Editfrm final : public QWidget {
    Q_OBJECT
public:
    // Loads the rows from the main window at once; the window is ready to show.
    explicit Editfrm(const ToolContext& context, QWidget* parent = nullptr);
    ~Editfrm() override;

    // The window's handlers, callable directly.
    void Combo2_Click();
    // The editor's arrows page forward with up and back with down.
    void UpDown1_UpClick();
    void UpDown1_DownClick();
    void CheckButton_Click();
    void SaveButton_Click();
    void CloseButton_Click();

    // Rows 1 to 40; throws std::out_of_range for any other index.
    QLabel& ButtonLabel(int row) const;
    Latin1Field& ButtonText(int row) const;
    NotationField& StringText(int row) const;

    DropDownList& Combo2() const { return *combo2_; }
    UpDownControl& UpDown1() const { return *upDown1_; }
    QPushButton& CheckButton() const { return *checkButton_; }
    QPushButton& SaveButton() const { return *saveButton_; }
    QPushButton& CloseButton() const { return *closeButton_; }
    QLineEdit& ComSetText() const { return *comSetText_; }
    // A save succeeded since the window was opened (or last closed).
    bool ComSetSaved() const { return comSetSaved_; }
    // The rows differ from what was last loaded or saved.
    bool HasUnsavedEdits() const;
    // With unsaved edits, asks whether to save them: Yes saves, No drops them, Cancel (or a
    // save that did not happen) keeps the window. True when closing may go on.
    bool ConfirmClose();

signals:
    // The user asked for the checksum calculator for the string of the row last left.
    void ChecksumRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Row {
        QLabel* label = nullptr;
        Latin1Field* text = nullptr;
        NotationField* string = nullptr;
    };

    void BuildControls();
    void BuildRows();
    void ConnectHandlers();
    void Form_Load();
    void Form_Unload();
    void SetRowsVisible(int first, int last, bool visible);
    void ShowBlock(int firstShown, int firstHidden);
    void TurnBlock(bool forward);
    bool BlockHoldsFocus(int first) const;
    void StringText_Left(int row);
    DisplayMode EditorDisplayMode() const;
    // Row i's command string in Hex notation.
    std::string HexString(int row) const;
    CommandSet RowsAsCommandSet() const;
    const Row& At(int row) const;

    ToolContext context_;
    AppState& state_;
    // EditCursor and AutoSpace, one pair for all forty string fields.
    EntryState entry_;
    bool comSetSaved_ = false;
    // The rows as last loaded or saved.
    CommandSet lastSaved_{};

    std::array<Row, kCommandCount> rows_{};
    UpDownControl* upDown1_ = nullptr;
    QLabel* label3_ = nullptr;
    DropDownList* combo2_ = nullptr;
    QLabel* labelLabel_ = nullptr;
    QLabel* labelString_ = nullptr;
    QLabel* label6_ = nullptr;
    QPushButton* checkButton_ = nullptr;
    QLabel* label1_ = nullptr;
    QLineEdit* comSetText_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace kestrum
