#pragma once
// The checksum calculator: appends a checksum to a string handed over by the main
// window's String to Send box or by a row of the command set editor, and on closing gives
// the string back to the field it came from.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <string_view>

#include "notation/byte_notation.h"
#include "notation/checksum.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrum {

struct AppState;
class DropDownList;
class Latin1Field;
class Prompts;
class SettingsStore;

inline constexpr auto kCheckfrmCaption = "Calculate Checksum";
inline constexpr auto kCheckfrmStringLabel = "String to Calculate";
inline constexpr auto kCheckfrmTypeLabel = "Checksum Type";
inline constexpr auto kCheckfrmCalculateCaption = "Calculate";
inline constexpr auto kCheckfrmClearCaption = "Clear";
inline constexpr auto kCheckfrmCloseCaption = "Close";
// Fixed client size, twips.
inline constexpr int kCheckfrmWidthTwips = 6450;
inline constexpr int kCheckfrmHeightTwips = 2550;

class Checkfrm final : public QWidget {
    Q_OBJECT
public:
    // Loads the types, the stored type and the handed-over string (ChecksumString).
    Checkfrm(AppState& state, SettingsStore& settings, Prompts& prompts, QWidget* parent = nullptr);
    ~Checkfrm() override;

    // Takes a hand-over: the string's notation is ChecksumMode as it stands now, and the
    // result goes back into `returnField` on closing. A later hand-over, while the window
    // is open, replaces both but keeps the text being worked on. A field that is gone by
    // the time the window closes (its window was closed) drops the result.
    void HandOver(QLineEdit* returnField);

    // The window's handlers, callable directly.
    void Combo1_Click();
    void CalculateButton_Click();
    void CancelButton_Click();
    void CloseButton_Click();

    Latin1Field& Text1() const { return *text1_; }
    DropDownList& Combo1() const { return *combo1_; }
    QPushButton& CalculateButton() const { return *calculateButton_; }
    QPushButton& CancelButton() const { return *cancelButton_; }
    QPushButton& CloseButton() const { return *closeButton_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void Form_Unload();

    AppState& state_;
    SettingsStore& settings_;
    Prompts& prompts_;
    // The checksum type labels in list order, then the blank entry.
    std::array<std::string_view, kChecksumTypeCount + 1> checksumLabels_{};
    // Text1 as it was just before the last Calculate.
    QString preCalcText_;
    DisplayMode mode_ = DisplayMode::Hex;
    QPointer<QLineEdit> returnField_;

    QLabel* label1_ = nullptr;
    Latin1Field* text1_ = nullptr;
    QLabel* label2_ = nullptr;
    DropDownList* combo1_ = nullptr;
    QPushButton* calculateButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace kestrum
