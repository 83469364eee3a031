#pragma once
// The main window: port selection, the String to Send box, the Data Monitor, the command
// button bank, the toolbar and the menus. Its slots are the window's event handlers; the work
// itself is done by the notation core, the port service and the Data Monitor.

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "notation/byte_notation.h"
#include "notation/entry_validation.h"
#include "platform/serial_port.h"
#include "session/port_session.h"
#include "session/traffic_path.h"
#include "storage/command_set_format.h"
#include "ui/main/send_history.h"
#include "ui/monitor/data_monitor.h"
#include "ui/widgets/notation_field.h"
#include "ui/widgets/tool_context.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolBar;

namespace kestrum {

struct AppState;
class Capture;
class DisplayHold;
class DropDownList;
class FindBar;
class HelpViewer;
class LineMenu;
class LinkEvents;
class MonitorView;
class MonitorZoom;
class Prompts;
class ProportionalLayout;
class SendLineEnd;
class SettingsStore;
class StatusLine;
class UpDownControl;

class Mainfrm : public QMainWindow, public MainWindowOperations, private PortBoxes {
    Q_OBJECT
public:
    // `monitorCapacity` (characters) is lowered by tests that need the monitor to fill.
    Mainfrm(AppState& state, SettingsStore& settings, SerialPort& port, Prompts& prompts,
            QWidget* parent = nullptr, std::size_t monitorCapacity = kMonitorCapacity);
    ~Mainfrm() override;

    // The start-up sequence; run once, before the window is shown.
    void Form_Load();

    // What the tool windows use of the main window.
    AppState& State() { return state_; }
    SettingsStore& Settings() { return settings_; }
    SerialPort& Port() { return port_; }
    PortSession& Session() { return *session_; }
    TrafficPath& Traffic() { return *traffic_; }
    // What a tool window is given.
    ToolContext Tools();
    Prompts& Dialogs() { return prompts_; }
    DataMonitor& Monitor() { return *monitor_; }
    DropDownList& Combo1() { return *combo1_; }
    DropDownList& Combo2() { return *combo2_; }
    DropDownList& Combo3() { return *combo3_; }
    DropDownList& Combo4() { return *combo4_; }
    NotationField& SendBox() override { return *sendBox_; }
    QLineEdit& ComSetLabel() { return *comSetLabel_; }
    QPushButton& Command(int index) { return *command_.at(static_cast<std::size_t>(index - 1)); }
    QLabel& Label10() { return *label10_; }
    UpDownControl& UpDown1() { return *upDown1_; }
    MonitorView& ReceiveBox();
    QToolBar& Toolbar1() { return *toolbar1_; }
    // The toolbar button with this key ("Open", "Save", ... "ProcessCrLf").
    QAction* ToolbarButton(const QString& key) const;
    // Menu entries by name ("Openmenu", "Savemenu", ... "Aboutmenu").
    QAction* MenuEntry(const QString& name) const;
    QWidget& ClientArea() { return *client_; }
    // The status line under the client area, and the Line menu.
    StatusLine& Status() { return *statusLine_; }
    LineMenu& LineItems() { return *lineMenu_; }
    SendLineEnd& LineEnding() { return *lineEnd_; }
    MonitorZoom& Zoom() { return *zoom_; }
    // The client area's sizing record and resize handling.
    ProportionalLayout& Layout() { return *layout_; }
    // The design size of the client area with the menu bar above it and the status line
    // below: the size the window opens at.
    QSize sizeHint() const override;

    // The operations the tool windows use.
    QString CommandLabel(int index) const override;
    void ApplyCommandSet(const CommandSet& set) override;
    void ShowCommandFileName(const QString& fileName) override;
    void PickDisplayMode(DisplayMode mode) override;

    // Capture to file, and Find in the Data Monitor.
    Capture& TrafficCapture() { return traffic_->TrafficCapture(); }
    FindBar& Finder();

public slots:
    // Port selection and connection.
    void Combo1_Click();
    void Combo3_Click();
    void Combo4_Click();
    void Combo3_GotFocus();
    void Combo4_GotFocus();
    // Display mode change.
    void Combo2_Click();

    // Sending and receiving.
    void SendButton_Click();
    void CheckButton_Click();

    // Command button bank.
    void Command_Click(int index);
    void UpDown1_UpClick();
    void UpDown1_DownClick();
    void OpenCommandSet();
    // Loads the command set file `path` as Open Command Set does with a chosen file.
    void LoadCommandSetFile(const QString& path);
    // Where File > Open Example finds the example sets (the installed data folder's).
    void SetExamplesFolder(const QString& folder) { examplesFolder_ = folder; }

    // Toolbar and menus.
    void Toolbar1_ButtonClick(const QString& key);
    void Openmenu_Click();
    void Savemenu_Click();
    void Printmenu_Click();
    void Exitmenu_Click();
    void Clearmenu_Click();
    void StartCapturemenu_Click();
    void StopCapturemenu_Click();
    void Findmenu_Click();
    void FindNextmenu_Click();
    void FindPreviousmenu_Click();
    void Helpmenu_Click();
    void Aboutmenu_Click();

    // Asked before the window closes; false keeps it open (a tool window holding unsaved
    // work the user wants to keep).
    void SetCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }

    // Brings the window back and to the front (a second start asked for it).
    void RestoreAndActivate();
    // The end of the program, as closing the window runs it; also run without a close when the
    // session ends by a signal or a lost display, where nothing may be asked.
    void Form_QueryUnload();

signals:
    // Requests for the tool windows; the windows that handle them are created on demand.
    void EditRequested();
    void SendTextRequested();
    void SetComRequested();
    void ChecksumRequested();
    void AboutRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Up and Down in the String to Send box step through the strings sent.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Sends the bytes of Send String or a command button to the open port and echoes them.
    void Transmit(const std::string& bytes, DisplayMode mode);
    void BuildControls(std::size_t monitorCapacity);
    void BuildToolbar();
    void BuildMenus();
    void ConnectHandlers();
    void SetUpLayout();
    void BuildExamplesMenu(QMenu& file, QAction* before);
    void BuildLineControls(QAction* helpMenu);

    void ConnectDisconnect(bool pressed);
    // The button shows how a Connect or Disconnect ended; `pressed` is its state when asked.
    void ShowConnectResult(PortSession::ConnectResult result, bool pressed);
    void ProcessCrLfSwitch(bool pressed);
    void ShowProcessCrLfState();
    void SetConnectFace(bool pressed);
    void StartupLoadCommandSet();
    void RecoverStartupDefaults();
    void RunStartupStep(const std::function<void()>& step);

    // The port selection's lists, as the port rules see them.
    QString PortNumberText() const override;
    QString BaudText() const override;
    QString FormatText() const override;
    bool PickPortNumber(const QString& text) override;
    bool PickBaud(const QString& text) override;
    bool PickFormat(const QString& text) override;
    bool HasFormat(const QString& format) const override;
    void AddFormat(const QString& format) override;
    void ReloadMonitor(std::initializer_list<ModeConversion> steps);
    void TurnCommandPage(bool forward);
    void StepSendHistory(bool older);
    // Sends the String to Send box's text for `source`.
    void SendFromBox(TrafficSource source);
    // What the traffic path hands on, shown in the Data Monitor.
    void ShowReceived(const std::string& bytes);
    void ShowSent(const SentTraffic& sent);
    // The capture's state: in the caption while the window has no status line.
    void ShowCaptureState();
    // The heading of every printed page: device, line settings, date and time.
    QString PrintHeading() const;

    AppState& state_;
    SettingsStore& settings_;
    SerialPort& port_;
    Prompts& prompts_;
    std::unique_ptr<PortSession> session_;
    std::unique_ptr<TrafficPath> traffic_;
    std::unique_ptr<SendLineEnd> lineEnd_;
    std::unique_ptr<DisplayHold> hold_;
    std::unique_ptr<LinkEvents> linkEvents_;
    MonitorZoom* zoom_ = nullptr;  // owned by the window

    QWidget* client_ = nullptr;
    ProportionalLayout* layout_ = nullptr;  // owned by client_
    QToolBar* toolbar1_ = nullptr;
    std::map<QString, QAction*> toolbarButtons_;
    std::map<QString, QAction*> menuEntries_;

    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* label4_ = nullptr;
    QLabel* label5_ = nullptr;
    QLabel* label8_ = nullptr;
    QLabel* label9_ = nullptr;
    QLabel* label10_ = nullptr;
    QLabel* label11_ = nullptr;
    DropDownList* combo1_ = nullptr;
    DropDownList* combo2_ = nullptr;
    DropDownList* combo3_ = nullptr;
    DropDownList* combo4_ = nullptr;
    QLineEdit* comSetLabel_ = nullptr;
    NotationField* sendBox_ = nullptr;
    // SendCursor and SendAutoSpace of the String to Send box.
    EntryState sendEntry_;
    SendHistory sendHistory_;
    QPushButton* sendButton_ = nullptr;
    QPushButton* checkButton_ = nullptr;
    QFrame* frame1_ = nullptr;
    UpDownControl* upDown1_ = nullptr;
    std::array<QPushButton*, kCommandCount> command_{};
    std::unique_ptr<DataMonitor> monitor_;
    FindBar* findBar_ = nullptr;  // created on first use, owned by this window
    std::unique_ptr<HelpViewer> help_;
    StatusLine* statusLine_ = nullptr;  // owned by the window
    LineMenu* lineMenu_ = nullptr;      // owned by the menu bar
    std::function<bool()> closeGuard_;
    QString examplesFolder_;
};

}  // namespace kestrum
