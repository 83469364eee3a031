#include "ui/tools/sendfrm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <utility>

#include "platform/prompts.h"
#include "session/app_state.h"
#include "session/text_file_source.h"
#include "session/traffic_path.h"
#include "storage/settings_store.h"
#include "ui/layout/proportional_layout.h"
#include "ui/monitor/data_monitor.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/latin1.h"

namespace kestrum {

using namespace send_ui;
using namespace send_text;

namespace {

constexpr std::array<std::string_view, 3> kFileTypes{"Ascii", "Hex", "Decimal"};

}  // namespace

Sendfrm::Sendfrm(const ToolContext& context, QWidget* parent)
    : QWidget(parent), context_(context), send_(context.traffic, context.state) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromLatin1(kCaption));
    BuildControls();
    connect(&send_, &TextFileSend::LineSent, this, [this] { context_.monitor.HoldTransmitLamp(); });
    connect(&send_, &TextFileSend::Finished, this, &Sendfrm::ShowSendEnded);
    connect(&send_, &TextFileSend::Warning, this,
            [this](const QString& text) { context_.prompts.Message(text); });
    Form_Load();
}

Sendfrm::~Sendfrm() = default;

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

    openButton_ = MakeButton(this, "Open File", QRect(440, 71, 132, 28), "Open a text file");
    sendButton_ = MakeButton(this, "Send File", QRect(440, 105, 132, 28), "Transmit text file");
    closeButton_ = MakeButton(this, "Close", QRect(440, 139, 132, 28), "Close this window");

    label7_ = MakeLabel(this, "File Type:", QRect(440, 182, 132, 16));
    combo2_ = MakeList(this, ToStringList(kFileTypes), "Notation of the file's lines",
                       QRect(440, 199, 132, 22));
    label6_ = MakeLabel(this, "String Delay:", QRect(440, 230, 132, 16));
    combo5_ = MakeList(this, ToStringList(kDelays), "Pause after each line, in milliseconds",
                       QRect(440, 247, 132, 22));
    label5_ = MakeLabel(this, "Byte Delay:", QRect(440, 278, 132, 16));
    combo6_ = MakeList(this, ToStringList(kDelays), "Pause after each byte, in milliseconds",
                       QRect(440, 295, 132, 22));

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
    connect(check1_, &QCheckBox::toggled, &send_, &TextFileSend::SetStripLineEnds);
    // Escape stops a running send, and otherwise closes the window.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [this] { Sending() ? send_.Stop() : static_cast<void>(close()); });

    layout_ = new ProportionalLayout(*this, ResizePolicy::ArmedAboveDesignSize,
                                     context_.state.LayoutArmed);
}

void Sendfrm::Form_Load() {
    layout_->RecordDesignSize(QSize(kDesignWidth, kDesignHeight));
    SelectStored(*combo2_, settings::kFiletypeTextSender);
    SelectStored(*combo5_, settings::kLineDelay);
    SelectStored(*combo6_, settings::kByteDelay);
    const QString stored = context_.settings.GetSetting(settings::kTextFile);
    text1_->setText(stored);
    if (stored.isEmpty()) {
        return;
    }
    const FileCheck loaded = LoadView(stored);
    if (loaded.status == FileStatus::NotRegular) {
        // Never opened, and forgotten, so that no later opening of this window meets it again.
        text1_->clear();
        context_.settings.SaveSetting(settings::kTextFile, QString());
        context_.prompts.Message(NotRegularFileMessage(stored));
    } else if (!loaded.Ok()) {
        context_.prompts.Message(QString::fromLatin1(kMsgFileNotFound));
    }
}

void Sendfrm::SelectStored(DropDownList& box, const settings::SettingKey& key) {
    try {
        box.SetText(context_.settings.GetSetting(key));
    } catch (const ListTextNotFound&) {
        // A stored value the list does not offer: the list's default instead.
        box.SetText(FromBytes(key.defaultValue));
    }
}

FileCheck Sendfrm::LoadView(const QString& path) {
    FileCheck opened;
    const std::optional<TextFilePreview> preview =
        LoadTextFilePreview(path, kPreviewLimitBytes, &opened);
    if (!preview) {
        return opened.Ok() ? FileCheck{FileStatus::Failed, {}} : opened;
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
    return opened;
}

void Sendfrm::OpenButton_Click() {
    FileDialogRequest request;
    request.filter = QString::fromLatin1(kOpenFilter);
    request.directory = text1_->text();
    const std::optional<QString> path = context_.prompts.OpenFile(request);
    if (!path) {
        return;
    }
    const FileCheck loaded = LoadView(*path);
    if (loaded.status == FileStatus::NotRegular) {
        context_.prompts.Message(NotRegularFileMessage(*path));
        return;
    }
    text1_->setText(*path);
    // A file that cannot be read ends the operation quietly; what was done stays done.
    if (!loaded.Ok()) {
        return;
    }
    context_.settings.SaveSetting(settings::kTextFile, *path);
    if (const std::optional<DisplayMode> type = DetectFileType(*path)) {
        combo2_->SetText(FromBytes(DisplayModeText(*type)));
    }
}

void Sendfrm::CloseButton_Click() {
    close();
}

void Sendfrm::closeEvent(QCloseEvent* event) {
    send_.Stop();
    event->accept();
}

void Sendfrm::Combo2_Click() {
    context_.settings.SaveSetting(settings::kFiletypeTextSender, combo2_->Text());
}

void Sendfrm::Combo5_Click() {
    context_.settings.SaveSetting(settings::kLineDelay, combo5_->Text());
    send_.SetLineDelayMs(combo5_->Text().toInt());
}

void Sendfrm::Combo6_Click() {
    context_.settings.SaveSetting(settings::kByteDelay, combo6_->Text());
    send_.SetByteDelayMs(combo6_->Text().toInt());
}

void Sendfrm::SendButton_Click() {
    Prompts& prompts = context_.prompts;
    if (Sending()) {
        // Both the running send (or the one waiting for the port) and this one end.
        if (std::exchange(awaitingPort_, false)) {
            ShowSendEnded();
        }
        send_.Stop();
        prompts.Message(QString::fromLatin1(kMsgCommPortError));
        return;
    }
    if (context_.traffic.RefuseUse()) {
        return;
    }
    openButton_->setEnabled(false);
    label3_->show();
    // The file starts once the port is open; a port that cannot be opened, or an open that is
    // cancelled, sends nothing, so nothing may look as if it had.
    awaitingPort_ = true;
    context_.traffic.WhenOpen(
        this,
        [this] {
            if (std::exchange(awaitingPort_, false)) {
                StartSend();
            }
        },
        [this] {
            if (std::exchange(awaitingPort_, false)) {
                ShowSendEnded();
            }
        });
}

void Sendfrm::StartSend() {
    const DisplayMode type =
        DisplayModeFromText(combo2_->Text().toStdString()).value_or(DisplayMode::Ascii);
    context_.main.PickDisplayMode(type);
    FileCheck opened;
    if (!send_.Start(viewFile_, type, &opened)) {
        ShowSendEnded();
        context_.prompts.Message(opened.status == FileStatus::NotRegular
                                     ? NotRegularFileMessage(viewFile_)
                                     : QString::fromLatin1(kMsgFileNotFound));
    }
}

void Sendfrm::ShowSendEnded() {
    label3_->hide();
    openButton_->setEnabled(true);
    // The transmit lamp goes out also after a send that failed.
    context_.monitor.EnableLampTimer();
    emit SendFinished();
}

}  // namespace kestrum
