#include "ui/tools/seqfrm.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QTextBrowser>

#include "notation/received_formatter.h"
#include "platform/prompts.h"
#include "session/app_state.h"
#include "session/sequence/step_difference.h"
#include "ui/layout/proportional_layout.h"
#include "ui/tools/sequence_steps_model.h"
#include "ui/widgets/controls.h"

namespace kestrum {

using namespace seq_ui;

namespace {

// `bytes` as the monitor shows them in `mode`, escaped for rich text.
QString Shown(std::string_view bytes, DisplayMode mode) {
    const std::string text = FormatReceived(bytes, mode, /*processCrLf=*/false);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())).toHtmlEscaped();
}

// `bytes` with the byte at `mark` highlighted (none when past the end).
QString Marked(std::string_view bytes, std::size_t mark, DisplayMode mode) {
    if (mark >= bytes.size()) {
        return Shown(bytes, mode) +
               QStringLiteral("<span style=\"background:%1\">&nbsp;</span>").arg(kMarkColour);
    }
    // The byte's token is marked, not the separator after it.
    QString token = Shown(bytes.substr(mark, 1), mode);
    QString separator;
    if (token.endsWith(QLatin1Char(' '))) {
        token.chop(1);
        separator = QStringLiteral(" ");
    }
    return Shown(bytes.substr(0, mark), mode) +
           QStringLiteral("<span style=\"background:%1\">%2</span>").arg(kMarkColour, token) +
           separator + Shown(bytes.substr(mark + 1), mode);
}

}  // namespace

Seqfrm::Seqfrm(const ToolContext& context, SequenceSession& sequences, QWidget* parent)
    : QWidget(parent), context_(context), sequences_(sequences) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromLatin1(kCaption));
    BuildControls();
    connect(&sequences_, &SequenceSession::RunStarted, this, [this] {
        model_->ClearVerdicts();
        detail_->clear();
        ShowState();
    });
    connect(&sequences_, &SequenceSession::StepDone, this, &Seqfrm::ShowVerdict);
    connect(&sequences_, &SequenceSession::StateChanged, this, &Seqfrm::ShowState);
    connect(&sequences_, &SequenceSession::RunFinished, this, [this] {
        // A run that never reached the port has its verdicts only in its record.
        if (const SequenceDrive* run = sequences_.LastRun()) {
            for (const StepRecord& record : run->Suite().steps) {
                model_->SetVerdict(record.verdict);
            }
        }
        ShowState();
    });
    layout_->RecordDesignSize(QSize(kDesignWidth, kDesignHeight));
    ShowSequence();
}

Seqfrm::~Seqfrm() = default;

void Seqfrm::BuildControls() {
    resize(kDesignWidth, kDesignHeight);
    QFont windowFont = font();
    windowFont.setPixelSize(kFontPixels);
    setFont(windowFont);

    label1_ = MakeLabel(this, "", QRect(8, 8, 624, 16));
    model_ = new SequenceStepsModel(this);
    steps_ = new QTableView(this);
    steps_->setModel(model_);
    steps_->setSelectionBehavior(QAbstractItemView::SelectRows);
    steps_->setSelectionMode(QAbstractItemView::SingleSelection);
    steps_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    steps_->setWordWrap(false);
    // Fixed row heights: the view then never measures rows it does not show.
    steps_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    steps_->verticalHeader()->setDefaultSectionSize(18);
    steps_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    steps_->horizontalHeader()->setStretchLastSection(true);
    steps_->setGeometry(8, 28, 624, 252);
    const int widths[] = {150, 140, 140, 64};
    for (int column = 0; column < 4; ++column) {
        steps_->setColumnWidth(column, widths[column]);
    }
    progress_ = new QProgressBar(this);
    progress_->setGeometry(8, 288, 624, 18);

    label2_ = MakeLabel(this, "Selected step:", QRect(8, 314, 200, 16));
    detail_ = new QTextBrowser(this);
    QFont detailFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    detailFont.setPixelSize(kFontPixels + 1);
    detail_->setFont(detailFont);
    detail_->setGeometry(8, 332, 460, 120);

    runButton_ = MakeButton(this, "Run", QRect(480, 314, 152, 24), "Run the sequence");
    stopButton_ = MakeButton(this, "Stop", QRect(480, 342, 152, 24), "Stop the running sequence");
    runAgainButton_ =
        MakeButton(this, "Run Again", QRect(480, 370, 152, 24), "Run the sequence once more");
    saveReportButton_ = MakeButton(this, "Save Report...", QRect(480, 398, 152, 24),
                                   "Save the last run as a JUnit XML report");
    closeButton_ = MakeButton(this, "Close", QRect(480, 428, 152, 24), "Close this window");

    connect(runButton_, &QPushButton::clicked, this, &Seqfrm::RunButton_Click);
    connect(runAgainButton_, &QPushButton::clicked, this, &Seqfrm::RunButton_Click);
    connect(stopButton_, &QPushButton::clicked, this, &Seqfrm::StopButton_Click);
    connect(saveReportButton_, &QPushButton::clicked, this, &Seqfrm::SaveReportButton_Click);
    connect(closeButton_, &QPushButton::clicked, this, &Seqfrm::CloseButton_Click);
    connect(steps_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { Steps_Select(current.row()); });
    // Escape stops a running sequence, and otherwise closes the window.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [this] { sequences_.Running() ? sequences_.Stop() : static_cast<void>(close()); });

    layout_ = new ProportionalLayout(*this, ResizePolicy::ArmedAboveDesignSize,
                                     context_.state.LayoutArmed);
}

void Seqfrm::ShowSequence() {
    const std::shared_ptr<const Sequence> sequence = sequences_.Loaded();
    model_->Show(sequence);
    detail_->clear();
    if (sequence != nullptr) {
        label1_->setText(
            QStringLiteral("%1  (%2)").arg(sequence->name, QFileInfo(sequence->path).fileName()));
        label1_->setToolTip(sequence->path);
    }
    ShowState();
}

void Seqfrm::ShowState() {
    const bool running = sequences_.Running();
    const SequenceDrive* run = sequences_.LastRun();
    const bool ran = run != nullptr && run->Finished();
    runButton_->setEnabled(!running && !ran && sequences_.Loaded() != nullptr);
    runAgainButton_->setEnabled(!running && ran);
    stopButton_->setEnabled(running);
    saveReportButton_->setEnabled(ran);
    progress_->setMaximum(std::max(1, model_->rowCount()));
    progress_->setValue(run == nullptr ? 0 : static_cast<int>(run->Suite().steps.size()));
    model_->SetRunning(running && run != nullptr ? run->CurrentNumber() : 0);
}

void Seqfrm::ShowVerdict(const StepVerdict& verdict) {
    model_->SetVerdict(verdict);
    ShowState();
    // A verdict arriving for the selected row shows its detail at once.
    if (steps_->currentIndex().row() == verdict.number - 1) {
        Steps_Select(verdict.number - 1);
    }
}

void Seqfrm::RunButton_Click() {
    if (const std::optional<QString> refused = sequences_.Run()) {
        context_.prompts.Message(*refused);
    }
}

void Seqfrm::StopButton_Click() {
    sequences_.Stop();
}

void Seqfrm::SaveReportButton_Click() {
    FileDialogRequest request;
    request.filter = QString::fromLatin1(kReportFilter);
    if (const std::shared_ptr<const Sequence> sequence = sequences_.Loaded()) {
        const QFileInfo file(sequence->path);
        request.directory = file.absolutePath();
        request.fileName = file.completeBaseName() + QStringLiteral(".xml");
    }
    const std::optional<QString> path = context_.prompts.SaveFile(request);
    if (!path) {
        return;
    }
    QString error;
    if (!sequences_.SaveReport(*path, &error)) {
        context_.prompts.Message(error);
    }
}

void Seqfrm::CloseButton_Click() {
    close();
}

void Seqfrm::closeEvent(QCloseEvent* event) {
    sequences_.Stop();
    event->accept();
}

void Seqfrm::Steps_Select(int row) {
    const SequenceDrive* run = sequences_.LastRun();
    const SequenceStep* step = model_->StepOf(row);
    const std::optional<StepOutcome> outcome = model_->OutcomeOf(row);
    if (run == nullptr || step == nullptr || !outcome || *outcome == StepOutcome::Passed ||
        *outcome == StepOutcome::Skipped) {
        detail_->clear();
        return;
    }
    for (const StepRecord& record : run->Suite().steps) {
        if (record.verdict.number == row + 1) {
            detail_->setHtml(DetailHtml(*step, record));
            return;
        }
    }
    detail_->clear();
}

QString Seqfrm::DetailHtml(const SequenceStep& step, const StepRecord& record) const {
    const DisplayMode mode = context_.state.MainDisplayMode();
    const std::string_view arrived = record.received;
    QString expected;
    QString got = arrived.empty() ? QString::fromLatin1(kArrivedNothing) : Shown(arrived, mode);
    QString note;
    if (step.expect.kind == Expectation::Kind::Bytes) {
        const StepDifference difference = FindDifference(step.expect.bytes, arrived);
        expected = Marked(step.expect.bytes, difference.matched, mode);
        if (!arrived.empty()) {
            got = Marked(arrived, difference.offset + difference.matched, mode);
        }
        note = QString::fromLatin1(kFirstDifference);
    } else {
        expected =
            model_
                ->data(model_->index(record.verdict.number - 1, SequenceStepsModel::ExpectedColumn),
                       Qt::DisplayRole)
                .toString()
                .toHtmlEscaped();
    }
    return QStringLiteral("<p>%1</p><p><b>%2</b> %3<br><b>%4</b> %5</p><p>%6</p>")
        .arg(record.verdict.detail.toHtmlEscaped(), QString::fromLatin1(kExpected), expected,
             QString::fromLatin1(kArrived), got, note);
}

}  // namespace kestrum
