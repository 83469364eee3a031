#pragma once
// The text file sender, "Send Text File": picks a text file, shows it, and hands it to the
// send engine (TextFileSend), whose lines go out through the traffic path (TrafficPath) and
// so show in the main window's Data Monitor.

#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "notation/byte_notation.h"
#include "session/text_file_send.h"
#include "storage/regular_file.h"
#include "ui/widgets/tool_context.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kestrum {

class DropDownList;
class ProportionalLayout;
namespace settings {
struct SettingKey;
}

namespace send_ui {

inline constexpr auto kCaption = "Send Text File";
inline constexpr auto kOpenFilter = "All Files (*.*)|*.*";
inline constexpr std::array<std::string_view, 8> kDelays{"0",    "100",  "200",  "500",
                                                         "1000", "2000", "5000", "10000"};

// Design size of the window's client area, pixels.
inline constexpr int kDesignWidth = 580;
inline constexpr int kDesignHeight = 414;
inline constexpr int kFontPixels = 11;

}  // namespace send_ui

class Sendfrm final : public QWidget {
    Q_OBJECT
public:
    explicit Sendfrm(const ToolContext& context, QWidget* parent = nullptr);
    ~Sendfrm() override;

    // Handlers.
    void OpenButton_Click();
    // SendTextFile: starts a send, or ends the running one when pressed during it.
    void SendButton_Click();
    void CloseButton_Click();
    void Combo2_Click();
    void Combo5_Click();
    void Combo6_Click();

    bool Sending() const { return send_.Running() || awaitingPort_; }
    // The file the view was loaded from: the file a send reads. Empty when none is loaded.
    const QString& RichTextBox1FileName() const { return viewFile_; }

    QLineEdit& Text1() { return *text1_; }
    QPlainTextEdit& RichTextBox1() { return *richTextBox1_; }
    QPushButton& OpenButton() { return *openButton_; }
    QPushButton& SendButton() { return *sendButton_; }
    QPushButton& CloseButton() { return *closeButton_; }
    DropDownList& Combo2() { return *combo2_; }
    DropDownList& Combo5() { return *combo5_; }
    DropDownList& Combo6() { return *combo6_; }
    QCheckBox& Check1() { return *check1_; }
    QLabel& Label3() { return *label3_; }
    ProportionalLayout& Layout() { return *layout_; }

signals:
    // A send has ended, at the end of the file or otherwise.
    void SendFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void Form_Load();
    void SelectStored(DropDownList& box, const settings::SettingKey& key);
    FileCheck LoadView(const QString& path);
    // The port is open: the send starts, or says why it cannot.
    void StartSend();

    // The window is idle again after a send, however it ended.
    void ShowSendEnded();

    ToolContext context_;

    QLabel* label1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLabel* label2_ = nullptr;
    QPlainTextEdit* richTextBox1_ = nullptr;
    QPushButton* openButton_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QLabel* label7_ = nullptr;
    DropDownList* combo2_ = nullptr;
    QLabel* label6_ = nullptr;
    DropDownList* combo5_ = nullptr;
    QLabel* label5_ = nullptr;
    DropDownList* combo6_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QLabel* label4_ = nullptr;
    QLabel* label3_ = nullptr;
    ProportionalLayout* layout_ = nullptr;

    QString viewFile_;

    TextFileSend send_;
    // Start was clicked and the port is being opened for the send.
    bool awaitingPort_ = false;
};

}  // namespace kestrum
