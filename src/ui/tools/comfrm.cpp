#include "ui/tools/comfrm.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include "platform/network/port_url.h"
#include "platform/prompts.h"
#include "platform/serial_devices.h"
#include "session/port_constants.h"
#include "session/port_session.h"
#include "storage/settings_store.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/latin1.h"
#include "ui/widgets/tool_context.h"

namespace kestrum {

using namespace com_ui;

namespace {

QFrame* MakeFrame(QWidget* parent, QRect geometry) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(geometry);
    return frame;
}

// One group of option buttons, stacked in their frame; the frame makes them exclusive.
template <std::size_t N>
std::array<QRadioButton*, N> MakeOptions(QFrame* frame,
                                         const std::array<std::string_view, N>& captions) {
    std::array<QRadioButton*, N> buttons{};
    for (std::size_t i = 0; i < N; ++i) {
        buttons[i] = new QRadioButton(FromBytes(captions[i]), frame);
        buttons[i]->setGeometry(14, 26 + 18 * static_cast<int>(i), frame->width() - 20, 18);
    }
    return buttons;
}

// The button whose letter is `value`, 1-based; 0 when none has it.
template <std::size_t N>
int IndexOf(const std::array<std::string_view, N>& letters, const QString& value) {
    for (std::size_t i = 0; i < N; ++i) {
        if (FromBytes(letters[i]) == value) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

}  // namespace

Comfrm::Comfrm(const ToolContext& context, QWidget* parent)
    : Comfrm(context, DescribedSerialDevices, parent) {}

Comfrm::Comfrm(const ToolContext& context, DeviceList devices, QWidget* parent)
    : QWidget(parent),
      session_(context.port),
      prompts_(context.prompts),
      devices_(std::move(devices)) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromLatin1(kCaption));
    BuildControls();
    Form_Load();
}

void Comfrm::BuildControls() {
    setFixedSize(kDesignWidth, kDesignHeight);
    QFont dialogFont = font();
    dialogFont.setPixelSize(kFontPixels);
    setFont(dialogFont);

    frame1_ = MakeFrame(this, QRect(8, 8, 150, 58));
    label1_ = MakeLabel(frame1_, "Baud rate:", QRect(8, 6, 134, 16));
    baudBox_ =
        MakeList(frame1_, ToStringList(port_text::kBaudRates), nullptr, QRect(8, 26, 134, 22));

    frame4_ = MakeFrame(this, QRect(8, 74, 150, 122));
    label2_ = MakeLabel(frame4_, "Parity:", QRect(8, 6, 134, 16));
    parityButton_ = MakeOptions(frame4_, kParityCaptions);

    frame3_ = MakeFrame(this, QRect(166, 8, 80, 76));
    label3_ = MakeLabel(frame3_, "Data Bits:", QRect(8, 6, 68, 16));
    dataButton_ = MakeOptions(frame3_, kDataBits);

    frame2_ = MakeFrame(this, QRect(254, 8, 80, 76));
    label4_ = MakeLabel(frame2_, "Stop Bits:", QRect(8, 6, 68, 16));
    stopButton_ = MakeOptions(frame2_, kStopBits);

    frame5_ = MakeFrame(this, QRect(166, 92, 168, 58));
    label5_ = MakeLabel(frame5_, "Device:", QRect(8, 6, 152, 16));
    deviceBox_ = new QComboBox(frame5_);
    deviceBox_->setEditable(true);
    deviceBox_->setInsertPolicy(QComboBox::NoInsert);
    deviceBox_->setGeometry(8, 26, 152, 22);

    // Beyond the designed controls: a row of its own under them.
    MakeLabel(this, "Flow control:", QRect(8, 206, 90, 22));
    flowBox_ = new QComboBox(this);
    flowBox_->addItems(ToStringList(kFlowCaptions));
    flowBox_->setToolTip(QStringLiteral("Flow control of this Com port"));
    flowBox_->setGeometry(100, 206, 146, 22);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setGeometry(166, 162, 80, 28);
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setGeometry(254, 162, 80, 28);

    connect(baudBox_, &DropDownList::Click, this, &Comfrm::BaudBox_Click);
    for (int i = 1; i <= static_cast<int>(parityButton_.size()); ++i) {
        connect(&ParityButton(i), &QRadioButton::clicked, this,
                [this, i] { ParityButton_Click(i); });
    }
    for (int i = 1; i <= static_cast<int>(dataButton_.size()); ++i) {
        connect(&DataButton(i), &QRadioButton::clicked, this, [this, i] { DataButton_Click(i); });
        connect(&StopButton(i), &QRadioButton::clicked, this, [this, i] { StopButton_Click(i); });
    }
    connect(okButton_, &QPushButton::clicked, this, &Comfrm::OKButton_Click);
    // A Disconnect or another port pick can end the change OK waits for without an answer:
    // OK comes back once the port has nothing under way.
    connect(&session_, &PortSession::StateChanged, okButton_, [this] {
        if (!session_.Busy()) {
            okButton_->setEnabled(true);
        }
    });
    connect(cancelButton_, &QPushButton::clicked, this, &Comfrm::CancelButton_Click);
}

void Comfrm::Form_Load() {
    const QString settings = session_.Port().Settings();
    try {
        baudBox_->SetText(BaudPart(settings));
    } catch (const ListTextNotFound&) {
        // A rate outside the list leaves the box without a selection.
    }
    // The fields keep what was read until a button of their group is clicked, so OK without
    // a click rebuilds the same format.
    const QString format = FormatPart(settings);
    parity_ = format.mid(0, 1);
    dataBits_ = format.mid(2, 1);
    stopBits_ = format.mid(4, 1);
    if (const int i = IndexOf(kParityLetters, parity_); i > 0) {
        ParityButton_Click(i);
    }
    if (const int i = IndexOf(kDataBits, dataBits_); i > 0) {
        DataButton_Click(i);
    }
    if (const int i = IndexOf(kStopBits, stopBits_); i > 0) {
        StopButton_Click(i);
    }

    const int port = session_.PortNumber();
    RefreshDevices();
    deviceRefresh_.setInterval(kDeviceRefreshMs);
    connect(&deviceRefresh_, &QTimer::timeout, this, [this] {
        if (isVisible()) {
            RefreshDevices();
        }
    });
    deviceRefresh_.start();
    flowBox_->setCurrentIndex(static_cast<int>(session_.Lines().Flow()));
    if (port != 0) {
        deviceBox_->setToolTip(QStringLiteral("The device of Com port %1").arg(port));
        deviceBox_->setCurrentText(session_.Device(port));
    } else {
        deviceBox_->setEnabled(false);
    }
    if (session_.BadPort()) {
        // The port number names no device: only the device can be chosen until it does.
        for (QFrame* frame : {frame1_, frame2_, frame3_, frame4_}) {
            frame->setEnabled(false);
        }
        flowBox_->setEnabled(false);
    }
}

void Comfrm::RefreshDevices() {
    const QStringList devices = devices_();
    if (devices == shownDevices_) {
        return;
    }
    shownDevices_ = devices;
    // What the user typed or chose stays in the box while the list under it changes.
    const QString text = deviceBox_->currentText();
    deviceBox_->clear();
    deviceBox_->addItems(devices);
    deviceBox_->setCurrentText(text);
}

void Comfrm::BaudBox_Click() {
    lastChangeWasFormat_ = 0;
}

void Comfrm::ParityButton_Click(int index) {
    ParityButton(index).setChecked(true);
    parity_ = FromBytes(kParityLetters.at(Slot(index)));
    lastChangeWasFormat_ = 1;
}

void Comfrm::DataButton_Click(int index) {
    DataButton(index).setChecked(true);
    dataBits_ = FromBytes(kDataBits.at(Slot(index)));
    lastChangeWasFormat_ = 1;
}

void Comfrm::StopButton_Click(int index) {
    StopButton(index).setChecked(true);
    stopBits_ = FromBytes(kStopBits.at(Slot(index)));
    lastChangeWasFormat_ = 1;
}

void Comfrm::CancelButton_Click() {
    close();
}

void Comfrm::OKButton_Click() {
    const QString device = DevicePathOf(deviceBox_->currentText());
    // A network address that cannot be connected to is refused before it is stored.
    if (const std::optional<QString> problem = NetworkDeviceProblem(device.trimmed())) {
        prompts_.Message(*problem);
        return;
    }
    if (session_.BadPort()) {
        // The port number names no device: the dialog closes once the chosen one works.
        if (session_.ChangeDeviceOfInvalidPort(device)) {
            close();
        }
        return;
    }
    // A network device takes time to open: OK waits for it, without the window waiting.
    okButton_->setEnabled(false);
    const QPointer<Comfrm> self(this);
    session_.ChangeDevice(device, [self](bool changed) {
        if (!self) {
            return;
        }
        if (!changed) {
            self->okButton_->setEnabled(true);
            return;
        }
        self->ApplySettings();
    });
}

void Comfrm::ApplySettings() {
    format_ = parity_ + QStringLiteral(",") + dataBits_ + QStringLiteral(",") + stopBits_;
    const QPointer<Comfrm> self(this);
    session_.ApplyDialogSettings(
        baudBox_->Text(), format_, lastChangeWasFormat_ == 1, [self](bool applied) {
            if (!self) {
                return;
            }
            self->okButton_->setEnabled(true);
            if (!applied) {
                return;
            }
            const auto flow = static_cast<FlowControl>(self->flowBox_->currentIndex());
            if (flow != self->session_.Lines().Flow()) {
                self->session_.Lines().SetFlow(flow);
            }
            self->close();
        });
}

}  // namespace kestrum
