#pragma once
// The text file sender, "Send Text File": sends a text file to the port line by line in the
// file's notation, with a pause after every byte and every line, echoing every line sent
// into the main window's Data Monitor.
//
// The send runs from the event loop, one token per timer step (a batch of tokens when there
// is no byte pause), so this window and the main window stay live while it runs.

#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "notation/byte_notation.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kestrum {

class DropDownList;
class Mainfrm;
class ProportionalLayout;
class TextFileSource;
namespace settings {
struct SettingKey;
}

namespace send_ui {

inline constexpr auto kCaption = "Send Text File";
inline constexpr auto kMsgFileNotFound = "File Not Found";
inline constexpr auto kMsgFormatError = "File Format or File Type Error";
inline constexpr auto kMsgCommPortError = "CommPort Error";
inline constexpr auto kMsgWriteRefused = "Warning: The Com port refused the data; the send stopped";
inline constexpr auto kOpenFilter = "All Files (*.*)|*.*";
inline constexpr std::array<std::string_view, 8> kDelays{"0",    "100",  "200",  "500",
                                                         "1000", "2000", "5000", "10000"};

// Design size of the window's client area, pixels.
inline constexpr int kDesignWidth = 580;
inline constexpr int kDesignHeight = 414;
inline constexpr int kFontPixels = 11;

// Without a byte pause, tokens are sent in batches of at most this long before the event
// loop runs again.
inline constexpr int kBatchMs = 20;
// A send waits while the port holds this many bytes it has not sent yet.
inline constexpr int kMaxQueuedBytes = 16 * 1024;
inline constexpr int kQueueWaitMs = 10;
// A line longer than this is echoed in pieces of this size as its tokens go out.
inline constexpr std::size_t kEchoPieceBytes = 64 * 1024;

}  // namespace send_ui

class Sendfrm final : public QWidget {
    Q_OBJECT
public:
    explicit Sendfrm(Mainfrm& main, QWidget* parent = nullptr);
    ~Sendfrm() override;

    // Handlers.
    void OpenButton_Click();
    // SendTextFile: starts a send, or ends the running one when pressed during it.
    void SendButton_Click();
    void CloseButton_Click();
    void Combo2_Click();
    void Combo5_Click();
    void Combo6_Click();

    bool Sending() const { return source_ != nullptr; }
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
    bool LoadView(const QString& path);

    void SendStep();
    // Writes to the port; on a refusal ends the send and says why. False when refused.
    bool Write(std::string_view bytes);
    void EchoPending(std::string text);
    std::string LineEndEcho() const;
    int DelayMs(const DropDownList& box) const;
    // Ends a running send: the file is closed, the lamp goes out, the window is idle again.
    void FinishSend();

    Mainfrm& main_;

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

    // The running send; null while idle.
    std::unique_ptr<TextFileSource> source_;
    DisplayMode sendType_ = DisplayMode::Ascii;
    QTimer step_;
};

}  // namespace kestrum
