#include "ui/tools/sendfrm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "platform/prompts.h"
#include "platform/serial_port.h"
#include "storage/settings_store.h"
#include "ui/layout/proportional_layout.h"
#include "ui/main/app_state.h"
#include "ui/main/data_monitor.h"
#include "ui/main/drop_down_list.h"
#include "ui/main/main_constants.h"
#include "ui/main/mainfrm.h"
#include "ui/main/port_warning.h"
#include "ui/tools/text_file_source.h"

namespace kestrum {

using namespace send_ui;

namespace {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* MakeLabel(QWidget* parent, const char* text, QRect geometry) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setGeometry(geometry);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* text, const char* toolTip, QRect geometry) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setToolTip(QString::fromLatin1(toolTip));
    button->setGeometry(geometry);
    return button;
}

template <std::size_t N>
DropDownList* MakeList(QWidget* parent, const std::array<std::string_view, N>& items,
                       const char* toolTip, QRect geometry) {
    auto* list = new DropDownList(parent);
    for (std::string_view item : items) {
        list->addItem(Latin1(item));
    }
    list->setToolTip(QString::fromLatin1(toolTip));
    list->setGeometry(geometry);
    list->setCurrentIndex(-1);
    return list;
}

constexpr std::array<std::string_view, 3> kFileTypes{"Ascii", "Hex", "Decimal"};

}  // namespace

Sendfrm::Sendfrm(Mainfrm& main, QWidget* parent) : QWidget(parent), main_(main) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromLatin1(kCaption));
    BuildControls();
    step_.setSingleShot(true);
    // Byte and line pauses are measured on the wire: a coarse timer would stretch them.
    step_.setTimerType(Qt::PreciseTimer);
    connect(&step_, &QTimer::timeout, this, &Sendfrm::SendStep);
    Form_Load();
}

Sendfrm::~Sendfrm() {
    // The main window may already be gone: only this window's own state is let go here.
    step_.stop();
    source_.reset();
}

void Sendfrm::BuildControls() {
    resize(kDesignWidth, kDesignHeight);
    QFont windowFont = font();
    windowFont.setPixelSize(kFontPixels);
    setFont(windowFont);

    label1_ = MakeLabel(this, "File Pathname:", QRect(8, 8, 200, 16));
    text1_ = new QLineEdit(this);
    text1_->setReadOnly(true);
    text1_->setFocusPolicy(Qt::ClickFocus);
    QPalette pathPalette = text1_->palette();
    pathPalette.setColor(QPalette::Base, pathPalette.color(QPalette::Button));
    text1_->setPalette(pathPalette);
    text1_->setGeometry(8, 25, 564, 22);

    label2_ = MakeLabel(this, "Text File:", QRect(8, 54, 200, 16));
    richTextBox1_ = new QPlainTextEdit(this);
    richTextBox1_->setReadOnly(true);
    // Long lines stay one view line each: wrapping a very long line costs far too much.
    richTextBox1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont viewFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    viewFont.setPixelSize(kFontPixels + 1);
    richTextBox1_->setFont(viewFont);
    richTextBox1_->setGeometry(8, 71, 420, 304);

    openButton_ = MakeButton(this, "Open File", "Open a text file", QRect(440, 71, 132, 28));
    sendButton_ = MakeButton(this, "Send File", "Transmit text file", QRect(440, 105, 132, 28));
    closeButton_ = MakeButton(this, "Close", "Close this window", QRect(440, 139, 132, 28));

    label7_ = MakeLabel(this, "File Type:", QRect(440, 182, 132, 16));
    combo2_ = MakeList(this, kFileTypes, "Notation of the file's lines", QRect(440, 199, 132, 22));
    label6_ = MakeLabel(this, "String Delay:", QRect(440, 230, 132, 16));
    combo5_ =
        MakeList(this, kDelays, "Pause after each line, in milliseconds", QRect(440, 247, 132, 22));
    label5_ = MakeLabel(this, "Byte Delay:", QRect(440, 278, 132, 16));
    combo6_ =
        MakeList(this, kDelays, "Pause after each byte, in milliseconds", QRect(440, 295, 132, 22));

    label3_ = MakeLabel(this, "Sending......", QRect(440, 338, 132, 18));
    QFont bold = label3_->font();
    bold.setBold(true);
    label3_->setFont(bold);
    label3_->hide();

    check1_ = new QCheckBox(this);
    check1_->setGeometry(8, 386, 18, 18);
    label4_ = MakeLabel(this, "Strip end-of-line carriage returns and line feeds",
                        QRect(30, 387, 400, 16));

    setTabOrder(openButton_, sendButton_);
    setTabOrder(sendButton_, closeButton_);
    setTabOrder(closeButton_, combo2_);
    setTabOrder(combo2_, combo5_);
    setTabOrder(combo5_, combo6_);
    setTabOrder(combo6_, check1_);

    connect(openButton_, &QPushButton::clicked, this, &Sendfrm::OpenButton_Click);
    connect(sendButton_, &QPushButton::clicked, this, &Sendfrm::SendButton_Click);
    connect(closeButton_, &QPushButton::clicked, this, &Sendfrm::CloseButton_Click);
    connect(combo2_, &DropDownList::Click, this, &Sendfrm::Combo2_Click);
    connect(combo5_, &DropDownList::Click, this, &Sendfrm::Combo5_Click);
    connect(combo6_, &DropDownList::Click, this, &Sendfrm::Combo6_Click);

    layout_ = new ProportionalLayout(*this, ResizePolicy::ArmedAboveDesignSize,
                                     main_.State().LayoutArmed);
}

void Sendfrm::Form_Load() {
    layout_->RecordDesignSize(QSize(kDesignWidth, kDesignHeight));
    SelectStored(*combo2_, settings::kFiletypeTextSender);
    SelectStored(*combo5_, settings::kLineDelay);
    SelectStored(*combo6_, settings::kByteDelay);
    text1_->setText(main_.Settings().GetSetting(settings::kTextFile));
    if (!text1_->text().isEmpty() && !LoadView(text1_->text())) {
        main_.Dialogs().Message(QString::fromLatin1(kMsgFileNotFound));
    }
}

void Sendfrm::SelectStored(DropDownList& box, const settings::SettingKey& key) {
    try {
        box.SetText(main_.Settings().GetSetting(key));
    } catch (const ListTextNotFound&) {
        // A stored value the list does not offer: the list's default instead.
        box.SetText(Latin1(key.defaultValue));
    }
}

bool Sendfrm::LoadView(const QString& path) {
    const std::optional<TextFilePreview> preview = LoadTextFilePreview(path);
    if (!preview) {
        return false;
    }
    QString text = preview->text;
    if (preview->truncated) {
        const QLocale locale;
        text += QStringLiteral(
                    "\n[Only the first %1 bytes of this %2-byte file are shown; "
                    "the whole file is sent.]")
                    .arg(locale.toString(kPreviewLimitBytes), locale.toString(preview->fileSize));
    }
    richTextBox1_->setPlainText(text);
    viewFile_ = path;
    return true;
}

void Sendfrm::OpenButton_Click() {
    FileDialogRequest request;
    request.filter = QString::fromLatin1(kOpenFilter);
    request.directory = text1_->text();
    const std::optional<QString> path = main_.Dialogs().OpenFile(request);
    if (!path) {
        return;
    }
    text1_->setText(*path);
    // A file that cannot be read ends the operation quietly; what was done stays done.
    if (!LoadView(*path)) {
        return;
    }
    main_.Settings().SaveSetting(settings::kTextFile, *path);
    if (const std::optional<DisplayMode> type = DetectFileType(*path)) {
        combo2_->SetText(Latin1(DisplayModeText(*type)));
    }
}

void Sendfrm::CloseButton_Click() {
    close();
}

void Sendfrm::closeEvent(QCloseEvent* event) {
    if (Sending()) {
        FinishSend();
    }
    event->accept();
}

void Sendfrm::Combo2_Click() {
    main_.Settings().SaveSetting(settings::kFiletypeTextSender, combo2_->Text());
}

void Sendfrm::Combo5_Click() {
    main_.Settings().SaveSetting(settings::kLineDelay, combo5_->Text());
}

void Sendfrm::Combo6_Click() {
    main_.Settings().SaveSetting(settings::kByteDelay, combo6_->Text());
}

void Sendfrm::SendButton_Click() {
    Prompts& prompts = main_.Dialogs();
    if (Sending()) {
        // Both the running send and this one end.
        FinishSend();
        prompts.Message(QString::fromLatin1(kMsgCommPortError));
        return;
    }
    if (main_.RefusePortUse()) {
        return;
    }
    openButton_->setEnabled(false);
    label3_->show();

    SerialPort& port = main_.Port();
    if (!port.PortOpen()) {
        try {
            port.SetPortOpen(true);
        } catch (const PortError& error) {
            // Nothing goes out, so nothing may look as if it had.
            FinishSend();
            prompts.Message(PortWarningText(error.kind()));
            return;
        }
    }
    sendType_ = DisplayModeFromText(combo2_->Text().toStdString()).value_or(DisplayMode::Ascii);
    try {
        main_.Combo2().SetText(combo2_->Text());
    } catch (const ListTextNotFound&) {
        // The main window offers the same three notations; nothing to do otherwise.
    }
    auto source = std::make_unique<TextFileSource>(sendType_);
    if (viewFile_.isEmpty() || !source->Open(viewFile_)) {
        FinishSend();
        prompts.Message(QString::fromLatin1(kMsgFileNotFound));
        return;
    }
    source_ = std::move(source);
    // The first line goes after the event loop has run once and drawn "Sending......".
    step_.start(0);
}

void Sendfrm::SendStep() {
    QElapsedTimer batch;
    batch.start();
    while (source_ != nullptr) {
        if (main_.Port().OutBufferCount() > kMaxQueuedBytes) {
            // Let the port catch up rather than queue the file in memory.
            step_.start(kQueueWaitMs);
            return;
        }
        const TextFileSource::Step step = source_->Next();
        switch (step.kind) {
            case TextFileSource::StepKind::Token: {
                if (step.byte) {
                    const char byte = static_cast<char>(*step.byte);
                    if (!Write(std::string_view(&byte, 1))) {
                        return;
                    }
                }
                if (source_->PendingEcho() >= kEchoPieceBytes) {
                    EchoPending(source_->TakeEcho());
                }
                if (const int pause = DelayMs(*combo6_); pause > 0) {
                    step_.start(pause);
                    return;
                }
                if (batch.elapsed() >= kBatchMs) {
                    step_.start(0);
                    return;
                }
                break;
            }
            case TextFileSource::StepKind::LineEnd: {
                std::string echo = source_->TakeEcho();
                if (!check1_->isChecked()) {
                    if (!Write("\r\n")) {
                        return;
                    }
                    echo += LineEndEcho();
                }
                EchoPending(std::move(echo));
                main_.Monitor().HoldTransmitLamp();
                // The event loop runs before the next line, also without a pause.
                step_.start(DelayMs(*combo5_));
                return;
            }
            case TextFileSource::StepKind::EndOfFile:
                FinishSend();
                return;
            case TextFileSource::StepKind::FormatError:
                FinishSend();
                main_.Dialogs().Message(QString::fromLatin1(kMsgFormatError));
                return;
            case TextFileSource::StepKind::ReadError:
                FinishSend();
                main_.Dialogs().Message(QString::fromLatin1(kMsgFileNotFound));
                return;
        }
    }
}

bool Sendfrm::Write(std::string_view bytes) {
    SerialPort& port = main_.Port();
    try {
        port.Output(bytes);
        return true;
    } catch (const PortError&) {
        // The rest of the file is not sent, and the line in progress is not echoed.
        const bool portClosed = !port.PortOpen();
        const bool disconnected = main_.State().UserDisconnected == 1;
        FinishSend();
        if (disconnected) {
            main_.Dialogs().Message(QString::fromLatin1(main_ui::kMsgDisconnected));
        } else if (!portClosed) {
            main_.Dialogs().Message(QString::fromLatin1(kMsgWriteRefused));
        }
        // A port that closed under the send has been reported by the main window.
        return false;
    }
}

void Sendfrm::EchoPending(std::string text) {
    if (!text.empty()) {
        main_.Monitor().AppendText(text, TransmitColour);
    }
}

std::string Sendfrm::LineEndEcho() const {
    switch (sendType_) {
        case DisplayMode::Ascii:
            return main_.State().ProcessCrLf == 1 ? "\r\n" : "^M^J";
        case DisplayMode::Hex:
            return "0D 0A";
        case DisplayMode::Decimal:
            return "013 010";
    }
    return {};
}

int Sendfrm::DelayMs(const DropDownList& box) const {
    // Read afresh at every use: a change made during a send applies from then on.
    return std::max(0, box.Text().toInt());
}

void Sendfrm::FinishSend() {
    step_.stop();
    source_.reset();
    label3_->hide();
    openButton_->setEnabled(true);
    // The transmit lamp goes out also after a send that failed.
    main_.Monitor().EnableLampTimer();
    emit SendFinished();
}

}  // namespace kestrum
