#include "ui/main/mainfrm.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "platform/command_set_folder.h"
#include "platform/data_files.h"
#include "platform/help_viewer.h"
#include "platform/prompts.h"
#include "platform/single_instance.h"
#include "session/app_state.h"
#include "session/capture.h"
#include "session/display_hold.h"
#include "session/link_events.h"
#include "session/port_constants.h"
#include "session/send_line_end.h"
#include "storage/settings_store.h"
#include "ui/layout/proportional_layout.h"
#include "ui/layout/twips.h"
#include "ui/main/caption_button.h"
#include "ui/main/command_button.h"
#include "ui/main/line_menu.h"
#include "ui/main/main_constants.h"
#include "ui/main/monitor_zoom.h"
#include "ui/main/status_line.h"
#include "ui/main/toolbar_buttons.h"
#include "ui/monitor/data_monitor.h"
#include "ui/monitor/monitor_constants.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/latin1.h"
#include "ui/widgets/notation_field.h"
#include "ui/widgets/shared_constants.h"
#include "ui/widgets/up_down_control.h"

namespace kestrum {

using namespace main_ui;

namespace {

// The two headings are bold Arial at the window's text size.
QLabel* MakeBoldLabel(QWidget* parent, const char* text, QRect geometry) {
    QLabel* label = MakeLabel(parent, text, geometry);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(parent->font().pixelSize());
    font.setBold(true);
    label->setFont(font);
    FitCaption(*label, geometry);
    return label;
}

}  // namespace

Mainfrm::Mainfrm(AppState& state, SettingsStore& settings, SerialPort& port, Prompts& prompts,
                 QWidget* parent, std::size_t monitorCapacity)
    : QMainWindow(parent),
      state_(state),
      settings_(settings),
      port_(port),
      prompts_(prompts),
      session_(std::make_unique<PortSession>(port, settings)),
      traffic_(std::make_unique<TrafficPath>(*session_, state)),
      lineEnd_(std::make_unique<SendLineEnd>(settings)),
      hold_(std::make_unique<DisplayHold>(monitorCapacity)),
      linkEvents_(std::make_unique<LinkEvents>(*session_)) {
    session_->SetBoxes(*this);
    // A malformed stored line end can be met while the menus are built: told once started.
    connect(lineEnd_.get(), &SendLineEnd::Warning, this, [this](const QString& text) {
        QTimer::singleShot(0, this, [this, text] { prompts_.Message(text); });
    });
    setWindowTitle(QString::fromLatin1(kCaption));
    BuildControls(monitorCapacity);
    BuildToolbar();
    BuildMenus();
    ConnectHandlers();
    SetUpLayout();
    // Told after the operation that saved, never in its middle.
    settings_.SetFirstFailureHandler([this](const QString& text) {
        QTimer::singleShot(0, this, [this, text] { prompts_.Message(text); });
    });
}

Mainfrm::~Mainfrm() {
    settings_.SetFirstFailureHandler(nullptr);
}

ToolContext Mainfrm::Tools() {
    return {state_, settings_, *session_, *traffic_, prompts_, *monitor_, *this};
}

void Mainfrm::PickDisplayMode(DisplayMode mode) {
    try {
        combo2_->SetText(FromBytes(DisplayModeText(mode)));
    } catch (const ListTextNotFound&) {
        // The list offers every notation; nothing to do otherwise.
    }
}

MonitorView& Mainfrm::ReceiveBox() {
    return *monitor_->View();
}

QAction* Mainfrm::ToolbarButton(const QString& key) const {
    const auto it = toolbarButtons_.find(key);
    return it == toolbarButtons_.end() ? nullptr : it->second;
}

QAction* Mainfrm::MenuEntry(const QString& name) const {
    const auto it = menuEntries_.find(name);
    return it == menuEntries_.end() ? nullptr : it->second;
}

void Mainfrm::BuildControls(std::size_t monitorCapacity) {
    client_ = new QWidget(this);
    client_->setObjectName("Mainfrm");
    client_->resize(Twips(0, 0, kDesignClientWidthTwips, kDesignClientHeightTwips).size());
    QFont clientFont = client_->font();
    clientFont.setPixelSize(shared_ui::kClientFontPixels);
    client_->setFont(clientFont);
    setCentralWidget(client_);

    label3_ = MakeLabel(client_, "Com Set:", Twips(120, 960, 690, 270));
    comSetLabel_ = new QLineEdit(client_);
    comSetLabel_->setReadOnly(true);
    comSetLabel_->setFocusPolicy(Qt::ClickFocus);
    // On the window's background, so that it does not look like a box to type into.
    QPalette comSetPalette = comSetLabel_->palette();
    comSetPalette.setColor(QPalette::Base, comSetPalette.color(QPalette::Window));
    comSetLabel_->setPalette(comSetPalette);
    comSetLabel_->setGeometry(Twips(900, 930, 5610, 300));

    label2_ = MakeLabel(client_, "Byte Display", Twips(9210, 1050, 1035, 255));
    combo2_ = MakeList(client_, ToStringList(shared_ui::kDisplayModes), kTipDisplayMode,
                       Twips(9240, 1320, 975, 315));
    label1_ = MakeLabel(client_, "Com Port", Twips(10440, 1050, 1035, 255));
    combo1_ = MakeList(client_, ToStringList(port_text::kPortNumbers), kTipComPort,
                       Twips(10680, 1320, 615, 315));
    label8_ = MakeLabel(client_, "Baud Rate", Twips(9240, 1800, 915, 255));
    combo3_ = MakeList(client_, ToStringList(port_text::kBaudRates), kTipBaud,
                       Twips(9240, 2040, 975, 315));
    label9_ = MakeLabel(client_, "Format", Twips(10680, 1800, 615, 255));
    combo4_ = MakeList(client_, ToStringList(port_text::kFormats), kTipFormat,
                       Twips(10560, 2040, 855, 315));

    label4_ = MakeBoldLabel(client_, "String to Send", Twips(3090, 1440, 1710, 255));
    sendBox_ = new NotationField(
        EntryField::SendBox, sendEntry_, [this] { return state_.MainDisplayMode(); }, prompts_,
        client_);
    QPalette sendPalette = sendBox_->palette();
    sendPalette.setColor(QPalette::Text, QColor::fromRgb(kTransmitColour));
    sendBox_->setPalette(sendPalette);
    sendBox_->setToolTip(QString::fromLatin1(kTipSendBox));
    sendBox_->setGeometry(Twips(360, 1713, 7095, 375));
    label11_ = MakeLabel(client_, "Calculate Checksum", Twips(5280, 1455, 1695, 255));
    checkButton_ = new QPushButton(client_);
    checkButton_->setGeometry(Twips(7080, 1440, 255, 255));
    sendButton_ = new CaptionButton(QStringLiteral("Send String"), client_);
    sendButton_->setToolTip(QString::fromLatin1(kTipSendButton));
    sendButton_->setGeometry(Twips(7830, 1530, 855, 765));

    frame1_ = new QFrame(client_);
    frame1_->setFrameShape(QFrame::Box);
    frame1_->setFrameShadow(QFrame::Sunken);
    frame1_->setGeometry(Twips(870, 2130, 1335, 465));
    label5_ = MakeBoldLabel(client_, "Data Monitor", Twips(4890, 2382, 1710, 255));

    MakeLabel(frame1_, "Tx", QRect(8, 8, 16, 15));
    MakeLabel(frame1_, "Rx", QRect(50, 8, 16, 15));
    monitor_ = std::make_unique<DataMonitor>(client_, frame1_, nullptr, monitorCapacity);
    monitor_->View()->setGeometry(Twips(360, 2640, 11070, 4710));
    monitor_->Lamps().LED1()->setGeometry(QRect(26, 8, 15, 15));
    monitor_->Lamps().LED2()->setGeometry(QRect(68, 8, 15, 15));

    upDown1_ = new UpDownControl(client_);
    upDown1_->setToolTip(QString::fromLatin1(kTipUpDown));
    upDown1_->setGeometry(Twips(90, 7440, 240, 495));
    for (int i = 1; i <= static_cast<int>(kCommandCount); ++i) {
        const int k = (i - 1) % 10 + 1;
        const int width = (i == 11 || i == 21 || i == 31) ? 1095 : 1100;
        auto* button = new CommandButton(client_);
        button->setObjectName(QStringLiteral("Command%1").arg(i));
        button->setGeometry(Twips(360 + 1110 * (k - 1), 7440, width, 500));
        if (i <= 10) {
            button->setText(QStringLiteral("Command%1").arg(i));
        } else {
            // One page at a time, so paging works from the first click even when no
            // command set was loaded.
            button->hide();
        }
        command_[static_cast<std::size_t>(i - 1)] = button;
    }
    label10_ = MakeLabel(client_, "Commands 1-10", Twips(5160, 8040, 1455, 255));
    label10_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
}

void Mainfrm::BuildToolbar() {
    toolbar1_ = new QToolBar(client_);
    toolbar1_->setObjectName("Toolbar1");
    toolbar1_->setGeometry(Twips(0, 0, kDesignClientWidthTwips, 870));
    toolbar1_->setMovable(false);
    toolbar1_->setFloatable(false);
    toolbar1_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar1_->setIconSize(QSize(24, 24));
    QFont toolbarFont = toolbar1_->font();
    toolbarFont.setPixelSize(kToolbarFontPixels);
    toolbar1_->setFont(toolbarFont);
    for (const ToolbarButtonDesign& design : kToolbarButtons) {
        QAction* action =
            toolbar1_->addAction(ToolbarImage(design.image), QString::fromLatin1(design.caption));
        const QString key = QString::fromLatin1(design.key);
        action->setObjectName(key);
        action->setToolTip(QString::fromLatin1(design.toolTip));
        action->setCheckable(design.twoState);
        connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
        toolbarButtons_[key] = action;
    }
}

void Mainfrm::BuildMenus() {
    struct Entry {
        const char* menu;
        const char* name;
        const char* caption;
        QKeySequence shortcut;
        void (Mainfrm::*handler)();
    };
    const Entry entries[] = {
        {"File", "Openmenu", "Open Command Set", QKeySequence("Ctrl+O"), &Mainfrm::Openmenu_Click},
        {"File", "Savemenu", "Save Data to File", QKeySequence("Ctrl+S"), &Mainfrm::Savemenu_Click},
        {"File", "Printmenu", "Print Data", QKeySequence("Ctrl+P"), &Mainfrm::Printmenu_Click},
        {"File", "StartCapturemenu", "Start Capture...", QKeySequence("Ctrl+R"),
         &Mainfrm::StartCapturemenu_Click},
        {"File", "StopCapturemenu", "Stop Capture", QKeySequence("Ctrl+Shift+R"),
         &Mainfrm::StopCapturemenu_Click},
        {"File", "Exitmenu", "Exit", QKeySequence("Ctrl+Q"), &Mainfrm::Exitmenu_Click},
        {"Edit", "Clearmenu", "Clear Data", QKeySequence("Ctrl+X"), &Mainfrm::Clearmenu_Click},
        {"Edit", "Findmenu", "Find...", QKeySequence("Ctrl+F"), &Mainfrm::Findmenu_Click},
        {"Edit", "FindNextmenu", "Find Next", QKeySequence(Qt::Key_F3),
         &Mainfrm::FindNextmenu_Click},
        {"Edit", "FindPreviousmenu", "Find Previous", QKeySequence(Qt::SHIFT | Qt::Key_F3),
         &Mainfrm::FindPreviousmenu_Click},
        {"Help", "Helpmenu", "Kestrum Help", QKeySequence(Qt::Key_F1), &Mainfrm::Helpmenu_Click},
        {"Help", "Aboutmenu", "About", QKeySequence(), &Mainfrm::Aboutmenu_Click},
    };
    std::map<QString, QMenu*> menus;
    for (const Entry& entry : entries) {
        const QString title = QString::fromLatin1(entry.menu);
        QMenu*& menu = menus[title];
        if (menu == nullptr) {
            // Alt and the first letter opens the menu.
            menu = menuBar()->addMenu(QLatin1Char('&') + title);
            menu->setObjectName(title == "File"   ? "Filemenu"
                                : title == "Edit" ? "Editmenu"
                                                  : "Help");
        }
        QAction* action = menu->addAction(QString::fromLatin1(entry.caption));
        action->setObjectName(QString::fromLatin1(entry.name));
        action->setShortcut(entry.shortcut);
        if (entry.shortcut == QKeySequence(Qt::Key_F1)) {
            // Help answers F1 in the tool windows too.
            action->setShortcutContext(Qt::ApplicationShortcut);
        }
        connect(action, &QAction::triggered, this, entry.handler);
        menuEntries_[QString::fromLatin1(entry.name)] = action;
    }
    BuildExamplesMenu(*menus["File"], menuEntries_["Savemenu"]);
    // Arrival times beside the monitor text, off unless the user turned them on.
    menus["Edit"]->addSeparator();
    QAction* timestamps = menus["Edit"]->addAction(QString::fromLatin1(kCaptionShowTimestamps));
    timestamps->setObjectName(QStringLiteral("ShowTimestampsmenu"));
    timestamps->setCheckable(true);
    timestamps->setChecked(
        settings::ParseFlag(settings_.GetSetting(settings::kShowTimestamps)).value_or(false));
    monitor_->View()->SetShowTimestamps(timestamps->isChecked());
    connect(timestamps, &QAction::toggled, this, [this](bool show) {
        monitor_->View()->SetShowTimestamps(show);
        settings_.SaveSetting(settings::kShowTimestamps, settings::FlagText(show));
    });
    menuEntries_[timestamps->objectName()] = timestamps;
    // Traffic goes on being read, counted and captured; only the monitor stands still.
    QAction* hold = menus["Edit"]->addAction(QString::fromLatin1(kCaptionHoldDisplay));
    hold->setObjectName(QStringLiteral("HoldDisplaymenu"));
    hold->setCheckable(true);
    hold->setShortcut(QKeySequence(QString::fromLatin1(kKeyHoldDisplay)));
    connect(hold, &QAction::toggled, hold_.get(), &DisplayHold::SetHeld);
    menuEntries_[hold->objectName()] = hold;
    zoom_ = new MonitorZoom(*monitor_->View(), settings_, *this);
    connect(zoom_, &MonitorZoom::Warning, this,
            [this](const QString& text) { prompts_.Message(text); });
    BuildLineControls(menus[QStringLiteral("Help")]->menuAction());
    // F10 opens the first menu, as in other desktop programs.
    auto* menuKey = new QAction(this);
    menuKey->setShortcut(QKeySequence(Qt::Key_F10));
    addAction(menuKey);
    connect(menuKey, &QAction::triggered, this,
            [this] { menuBar()->setActiveAction(menuBar()->actions().constFirst()); });
    ShowCaptureState();
}

void Mainfrm::BuildExamplesMenu(QMenu& file, QAction* before) {
    examplesFolder_ = DataFolderFor(QCoreApplication::applicationDirPath(),
                                    QString::fromLatin1(kExamplesFolder)) +
                      QLatin1Char('/') + QString::fromLatin1(kExamplesFolder);
    QMenu* examples = new QMenu(QString::fromLatin1(kCaptionOpenExample), &file);
    examples->setObjectName(QStringLiteral("OpenExamplemenu"));
    file.insertMenu(before, examples);
    // Listed when opened, so that the entry is there only where example sets are.
    const auto list = [this, examples] {
        examples->clear();
        const QFileInfoList sets =
            QDir(examplesFolder_)
                .entryInfoList({QStringLiteral("*.cmd")}, QDir::Files | QDir::Readable, QDir::Name);
        for (const QFileInfo& set : sets) {
            const QString path = set.absoluteFilePath();
            connect(examples->addAction(set.completeBaseName()), &QAction::triggered, this,
                    [this, path] { LoadCommandSetFile(path); });
        }
        examples->menuAction()->setVisible(!sets.isEmpty());
    };
    connect(&file, &QMenu::aboutToShow, this, list);
    list();
}

void Mainfrm::BuildLineControls(QAction* helpMenu) {
    lineMenu_ = new LineMenu(*menuBar(), helpMenu, *session_, *lineEnd_);
    for (QAction* action : {&lineMenu_->RequestToSend(), &lineMenu_->DataTerminalReady(),
                            &lineMenu_->SendBreak(), &lineMenu_->Reconnect()}) {
        menuEntries_[action->objectName()] = action;
    }
    // Below the client area, which keeps its designed size: the window grows by its height.
    statusLine_ = new StatusLine(*session_, this);
    statusLine_->ShowLineEnd(*lineEnd_);
    setStatusBar(statusLine_);
    statusLine_->FollowScale(*client_,
                             Twips(0, 0, kDesignClientWidthTwips, kDesignClientHeightTwips).size());
}

void Mainfrm::ConnectHandlers() {
    connect(combo1_, &DropDownList::Click, this, &Mainfrm::Combo1_Click);
    connect(combo2_, &DropDownList::Click, this, &Mainfrm::Combo2_Click);
    connect(combo3_, &DropDownList::Click, this, &Mainfrm::Combo3_Click);
    connect(combo4_, &DropDownList::Click, this, &Mainfrm::Combo4_Click);
    connect(combo3_, &DropDownList::GotFocus, this, &Mainfrm::Combo3_GotFocus);
    connect(combo4_, &DropDownList::GotFocus, this, &Mainfrm::Combo4_GotFocus);
    connect(sendButton_, &QPushButton::clicked, this, &Mainfrm::SendButton_Click);
    connect(sendBox_, &QLineEdit::returnPressed, this, &Mainfrm::SendButton_Click);
    sendBox_->installEventFilter(this);
    connect(checkButton_, &QPushButton::clicked, this, &Mainfrm::CheckButton_Click);
    connect(linkEvents_.get(), &LinkEvents::Event, &TrafficCapture(), &Capture::Event);
    connect(hold_.get(), &DisplayHold::Show, this,
            [this](const std::vector<DisplayHold::Piece>& pieces) {
                for (const DisplayHold::Piece& piece : pieces) {
                    monitor_->AppendText(piece.text, piece.sent ? TransmitColour : ReceiveColour);
                }
            });
    connect(hold_.get(), &DisplayHold::Changed, this, [this] {
        statusLine_->SetHoldState(hold_->Held()
                                      ? QString::fromLatin1(kStatusHeld).arg(hold_->BytesWaiting())
                                      : QString());
    });
    connect(traffic_.get(), &TrafficPath::Received, this, &Mainfrm::ShowReceived);
    connect(traffic_.get(), &TrafficPath::Sent, this, &Mainfrm::ShowSent);
    connect(traffic_.get(), &TrafficPath::SendFailed, this, [this](TrafficSource, int written) {
        if (written > 0) {
            monitor_->LightTransmitLamp();
        }
    });
    const auto warn = [this](const QString& text) {
        // The box may stay up for long: the status line says the new state behind it.
        statusLine_->Refresh();
        prompts_.Message(text);
    };
    connect(session_.get(), &PortSession::Warning, this, warn);
    connect(traffic_.get(), &TrafficPath::Warning, this, warn);
    connect(session_.get(), &PortSession::ConnectFinished, this,
            [this](PortSession::ConnectResult result) { ShowConnectResult(result, false); });
    connect(&TrafficCapture(), &Capture::Failed, this, [this](const QString& text) {
        ShowCaptureState();
        // Told once the receive or send that met the full disk is done.
        QTimer::singleShot(0, this, [this, text] { prompts_.Message(text); });
    });
    connect(upDown1_, &UpDownControl::UpClick, this, &Mainfrm::UpDown1_UpClick);
    connect(upDown1_, &UpDownControl::DownClick, this, &Mainfrm::UpDown1_DownClick);
    for (int i = 1; i <= static_cast<int>(kCommandCount); ++i) {
        connect(&Command(i), &QPushButton::clicked, this, [this, i] { Command_Click(i); });
    }
}

void Mainfrm::SetUpLayout() {
    // Controls whose class does not say that their text keeps its size.
    SetControlKind(*sendBox_, ControlKind::KeepsFont);  // a rich-text box
    SetControlKind(*upDown1_, ControlKind::KeepsFont);
    SetControlKind(*monitor_->Lamps().LED1(), ControlKind::KeepsFont);  // shapes
    SetControlKind(*monitor_->Lamps().LED2(), ControlKind::KeepsFont);

    layout_ =
        new ProportionalLayout(*client_, ResizePolicy::ArmedAboveDesignSize, state_.LayoutArmed);
    layout_->RecordDesignSize(
        Twips(0, 0, kDesignClientWidthTwips, kDesignClientHeightTwips).size());
    // The window opens at its design size and can be resized either way from there.
    resize(sizeHint());
}

QSize Mainfrm::sizeHint() const {
    const QSize design = Twips(0, 0, kDesignClientWidthTwips, kDesignClientHeightTwips).size();
    const int statusHeight = statusLine_ != nullptr ? statusLine_->height() : 0;
    return {design.width(), design.height() + menuBar()->sizeHint().height() + statusHeight};
}

void Mainfrm::Form_Load() {
    // First, so that a first start seeds the user's command set folder before any message.
    const CommandSetDefaults commandSets = ProgramCommandSetDefaults();
    state_.VersionText = QStringLiteral("Version %1.%2.%3")
                             .arg(kVersionMajor)
                             .arg(kVersionMinor)
                             .arg(kVersionRevision);
    RunStartupStep([this] { combo1_->SetText(settings_.GetSetting(settings::kCommPortAtStart)); });
    RunStartupStep(
        [this] { combo2_->SetText(settings_.GetSetting(settings::kFiletypeMainWindow)); });
    RunStartupStep([this] {
        bool numeric = false;
        const short value =
            settings_.GetSetting(settings::kProcessCrLf).trimmed().toShort(&numeric);
        if (numeric) {
            state_.ProcessCrLf = value;
        }
    });
    ShowProcessCrLfState();
    state_.CommandDirectory =
        settings_.GetSetting(settings::KeyName(settings::kDirectoryKey), commandSets.directory);
    state_.CommandFileName = settings_.GetSetting(
        settings::KeyName(settings::kCommandFileName.name), commandSets.fileName);
    RunStartupStep([this] { StartupLoadCommandSet(); });
    if (const auto mode = DisplayModeFromText(combo2_->Text().toStdString())) {
        state_.MainMode = static_cast<std::int16_t>(*mode);
    }
    state_.DialogFolder = commandSets.directory;
}

void Mainfrm::RunStartupStep(const std::function<void()>& step) {
    try {
        step();
    } catch (const ListTextNotFound&) {
        // A stored value that is not in its list: back to the designed defaults.
        RecoverStartupDefaults();
    } catch (const PortError& error) {
        if (error.kind() == PortErrorKind::PortInUse) {
            prompts_.Message(QString::fromLatin1(port_text::kMsgStartupPortInUse));
        }
    } catch (const std::exception&) {
        // Start-up goes on with its next step whatever else failed.
    }
}

void Mainfrm::RecoverStartupDefaults() {
    const std::pair<DropDownList*, const char*> defaults[] = {
        {combo1_, "1"}, {combo2_, "Hex"}, {combo3_, "9600"}, {combo4_, "n,8,1"}};
    for (const auto& [box, text] : defaults) {
        try {
            box->SetText(QString::fromLatin1(text));
        } catch (const std::exception&) {
            // Each default is applied on its own; a failing one does not stop the others.
        }
    }
}

void Mainfrm::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    Form_QueryUnload();
    event->accept();
}

void Mainfrm::Form_QueryUnload() {
    TrafficCapture().Stop();
    session_->Shutdown();
    // The tool windows go with the main window, without their own close handling: exit()
    // leaves the event loop without closing them, where quit() would close each in turn.
    QCoreApplication::exit(0);
}

void Mainfrm::Exitmenu_Click() {
    close();
}

void Mainfrm::Helpmenu_Click() {
    if (!help_) {
        help_ = std::make_unique<HelpViewer>(prompts_,
                                             DataFolderFor(QCoreApplication::applicationDirPath(),
                                                           QString::fromLatin1(kHelpFileName)));
    }
    help_->Show();
}

void Mainfrm::RestoreAndActivate() {
    // Only the minimised state is undone: a maximised window stays maximised.
    BringToFront(*this);
}

}  // namespace kestrum
