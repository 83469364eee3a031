#pragma once
// The port settings dialog, "Setup Com Port": baud rate, parity, data bits and stop bits in
// one place, and the device behind the current port number. OK applies them through the port
// rules, which show them in the main window's baud and format lists.

#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <string_view>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kestrum {

class Prompts;

class DropDownList;
class PortSession;
struct ToolContext;

namespace com_ui {

inline constexpr auto kCaption = "Setup Com Port";
inline constexpr std::array<std::string_view, 5> kParityCaptions{"None", "Odd", "Even", "Mark",
                                                                 "Space"};
inline constexpr std::array<std::string_view, 5> kParityLetters{"n", "o", "e", "m", "s"};
inline constexpr std::array<std::string_view, 2> kDataBits{"8", "7"};
inline constexpr std::array<std::string_view, 2> kStopBits{"1", "2"};

// Design size of the dialog, pixels.
inline constexpr int kDesignWidth = 342;
inline constexpr int kDesignHeight = 236;
inline constexpr std::array<std::string_view, 3> kFlowCaptions{"None", "RTS/CTS", "XON/XOFF"};
// The device list is read again this often while the dialog is open, so that adapters
// plugged in or pulled show up.
inline constexpr int kDeviceRefreshMs = 1000;
inline constexpr int kFontPixels = 11;

}  // namespace com_ui

class Comfrm final : public QWidget {
    Q_OBJECT
public:
    // The serial devices the system offers, for the device box.
    using DeviceList = std::function<QStringList()>;

    explicit Comfrm(const ToolContext& context, QWidget* parent = nullptr);
    Comfrm(const ToolContext& context, DeviceList devices, QWidget* parent = nullptr);

    // Handlers. Option buttons are numbered from 1, as in their tables.
    void BaudBox_Click();
    void ParityButton_Click(int index);
    void DataButton_Click(int index);
    void StopButton_Click(int index);
    void OKButton_Click();
    void CancelButton_Click();

    DropDownList& BaudBox() { return *baudBox_; }
    QRadioButton& ParityButton(int index) { return *parityButton_.at(Slot(index)); }
    QRadioButton& DataButton(int index) { return *dataButton_.at(Slot(index)); }
    QRadioButton& StopButton(int index) { return *stopButton_.at(Slot(index)); }
    QComboBox& DeviceBox() { return *deviceBox_; }
    // Flow control of the port: None, RTS/CTS, XON/XOFF (index as FlowControl).
    QComboBox& FlowBox() { return *flowBox_; }
    // Reads the device list again; the text in the box stays.
    void RefreshDevices();
    QPushButton& OKButton() { return *okButton_; }
    QPushButton& CancelButton() { return *cancelButton_; }

    // 1 after a click on a parity, data-bits or stop-bits button, 0 after a baud rate pick.
    int LastChangeWasFormat() const { return lastChangeWasFormat_; }
    // The format OK built last ("o,7,2").
    const QString& FormatString() const { return format_; }

private:
    // The device is in force: the line settings and flow control follow.
    void ApplySettings();
    static std::size_t Slot(int index) { return static_cast<std::size_t>(index - 1); }

    void BuildControls();
    void Form_Load();
    PortSession& session_;
    Prompts& prompts_;
    DeviceList devices_;

    QFrame* frame1_ = nullptr;
    QLabel* label1_ = nullptr;
    DropDownList* baudBox_ = nullptr;
    QFrame* frame4_ = nullptr;
    QLabel* label2_ = nullptr;
    std::array<QRadioButton*, 5> parityButton_{};
    QFrame* frame3_ = nullptr;
    QLabel* label3_ = nullptr;
    std::array<QRadioButton*, 2> dataButton_{};
    QFrame* frame2_ = nullptr;
    QLabel* label4_ = nullptr;
    std::array<QRadioButton*, 2> stopButton_{};
    QFrame* frame5_ = nullptr;
    QLabel* label5_ = nullptr;
    QComboBox* deviceBox_ = nullptr;
    QComboBox* flowBox_ = nullptr;
    QTimer deviceRefresh_;
    QStringList shownDevices_;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;

    QString parity_;
    QString dataBits_;
    QString stopBits_;
    QString format_;
    int lastChangeWasFormat_ = 0;
};

}  // namespace kestrum
