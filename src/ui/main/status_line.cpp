#include "ui/main/status_line.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "session/line_control.h"
#include "session/port_session.h"
#include "session/send_line_end.h"
#include "ui/monitor/activity_lamps.h"

namespace kestrum {

using namespace status_ui;

namespace {

QString Number(std::uint64_t value) {
    return QString::number(static_cast<qulonglong>(value));
}

QLabel* Field(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}

// A field whose text may be longer than its share (a /dev/serial/by-id path): it ends in
// "..." rather than widen the window, and its tooltip holds the whole text.
class ElidedField final : public QLabel {
public:
    ElidedField(QWidget* parent, const char* name) : QLabel(parent) {
        setObjectName(QString::fromLatin1(name));
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect room = contentsRect();
        painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
    }
};

}  // namespace

StatusLine::StatusLine(PortSession& session, QWidget* parent)
    : QStatusBar(parent), session_(session) {
    setObjectName(QStringLiteral("StatusLine"));
    setSizeGripEnabled(false);
    setFixedHeight(kHeightPixels);
    setContentsMargins(4, 0, 4, 0);
    device_ = new ElidedField(this, "StatusDevice");
    state_ = new ElidedField(this, "StatusState");
    counts_ = Field(this, "StatusCounts");
    counts_->setToolTip(QString::fromLatin1(kTipCounts));
    errors_ = Field(this, "StatusErrors");
    extra_ = new ElidedField(this, "StatusExtra");
    extra_->hide();
    hold_ = new ElidedField(this, "StatusHold");
    hold_->hide();
    notice_ = new ElidedField(this, "StatusNotice");
    notice_->hide();
    // Shares of the width, as the fields' places in a design would be.
    addWidget(device_, 5);
    addWidget(state_, 4);
    addWidget(extra_, 3);
    addWidget(hold_, 3);
    addWidget(notice_, 3);
    addPermanentWidget(counts_);
    addPermanentWidget(errors_);
    auto* lamps = new QWidget(this);
    lamps->setToolTip(QString::fromLatin1(kTipLamps));
    auto* row = new QHBoxLayout(lamps);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    const char* names[] = {"CTS", "DSR", "DCD", "RI"};
    for (std::size_t i = 0; i < lamps_.size(); ++i) {
        QLabel* name = Field(lamps, names[i]);
        name->setText(QString::fromLatin1(names[i]));
        row->addWidget(name);
        lamps_[i] = new LampWidget(lamps);
        lamps_[i]->setFixedSize(11, 11);
        row->addWidget(lamps_[i]);
    }
    addPermanentWidget(lamps);
    ApplyFontPixels(kFontPixels);

    refresh_.setSingleShot(true);
    connect(&refresh_, &QTimer::timeout, this, &StatusLine::Refresh);
    connect(&session_, &PortSession::StateChanged, this, &StatusLine::Refresh);
    connect(&session_.Counters(), &TrafficCounters::Changed, this, &StatusLine::ScheduleRefresh);
    connect(&session_.Port(), &SerialPort::InputLinesChanged, this, &StatusLine::ShowLines);
    connect(&session_.Port(), &SerialPort::Notice, this, &StatusLine::ShowNotice);
    Refresh();
}

void StatusLine::ScheduleRefresh() {
    if (refresh_.isActive()) {
        return;
    }
    // The first change shows at once; those that follow within kRefreshMs wait for one
    // refresh together.
    const qint64 since = lastRefresh_.isValid() ? lastRefresh_.elapsed() : kRefreshMs;
    if (since >= kRefreshMs) {
        Refresh();
    } else {
        refresh_.start(static_cast<int>(kRefreshMs - since));
    }
}

QString StatusLine::DeviceText() const {
    const SerialPort& port = session_.Port();
    QString text = session_.Device(port.CommPort()) + QStringLiteral("  ") + port.Settings();
    switch (port.Flow()) {
        case FlowControl::Hardware:
            text += QStringLiteral("  RTS/CTS");
            break;
        case FlowControl::Software:
            text += QStringLiteral("  XON/XOFF");
            break;
        case FlowControl::None:
            break;
    }
    if (lineEnd_ != nullptr) {
        if (const LineEnd end = lineEnd_->Of(port.CommPort()); end != LineEnd::None) {
            text += QStringLiteral("  Line end ") +
                    QString::fromLatin1(line_end_text::kCaptions.at(static_cast<std::size_t>(end)));
        }
    }
    return text;
}

QString StatusLine::StateText() const {
    return state_->text();
}

QString StatusLine::CurrentStateText() const {
    switch (session_.State()) {
        case PortSession::LinkState::Open:
            return QStringLiteral("Open");
        case PortSession::LinkState::Connecting:
            return QStringLiteral("Connecting to %1...").arg(session_.Port().OpeningTarget());
        case PortSession::LinkState::Disconnected:
            return QStringLiteral("Disconnected");
        case PortSession::LinkState::Lost:
            return QStringLiteral("Lost");
        case PortSession::LinkState::Reconnecting: {
            const QString detail = session_.StateDetail();
            return detail.isEmpty() ? QStringLiteral("Lost - reconnecting...")
                                    : QStringLiteral("Reconnecting - ") + detail;
        }
        case PortSession::LinkState::Closed:
            break;
    }
    return QStringLiteral("Closed");
}

QString StatusLine::CountsText() const {
    const TrafficCounters& counters = session_.Counters();
    return QStringLiteral("Rx %1  Tx %2").arg(Number(counters.Received()), Number(counters.Sent()));
}

QString StatusLine::ErrorsText() const {
    return QStringLiteral("Errors %1").arg(Number(session_.Counters().LineErrors()));
}

QString StatusLine::ExtraText() const {
    return extra_->text();
}

QString StatusLine::HoldText() const {
    return hold_->text();
}

QString StatusLine::NoticeText() const {
    return notice_->text();
}

bool StatusLine::LampLit(int index) const {
    return lamps_.at(static_cast<std::size_t>(index))->IsLit();
}

void StatusLine::ShowLineEnd(SendLineEnd& lineEnd) {
    lineEnd_ = &lineEnd;
    connect(lineEnd_, &SendLineEnd::Changed, this, &StatusLine::Refresh);
    Refresh();
}

void StatusLine::SetHoldState(const QString& text) {
    hold_->setText(text);
    hold_->setVisible(!text.isEmpty());
}

void StatusLine::SetExtraState(const QString& text) {
    extra_->setText(text);
    extra_->setToolTip(text);
    extra_->setVisible(!text.isEmpty());
}

QString StatusLine::NoticeOwner() const {
    const int number = session_.Port().CommPort();
    return QString::number(number) + QLatin1Char(' ') + session_.Device(number);
}

void StatusLine::ShowNotice(const QString& text) {
    noticeOwner_ = NoticeOwner();
    notice_->setText(text);
    notice_->setToolTip(text);
    notice_->setVisible(!text.isEmpty());
}

void StatusLine::Refresh() {
    refresh_.stop();
    lastRefresh_.start();
    // A notice is a fact about one device and the open that told it.
    if (!notice_->text().isEmpty() && (noticeOwner_ != NoticeOwner() ||
                                       session_.State() == PortSession::LinkState::Disconnected)) {
        ShowNotice({});
    }
    device_->setText(DeviceText());
    device_->setToolTip(device_->text());
    state_->setText(CurrentStateText());
    state_->setToolTip(state_->text());
    counts_->setText(CountsText());
    errors_->setText(ErrorsText());
    const TrafficCounters& counters = session_.Counters();
    errors_->setToolTip(
        QStringLiteral("Line errors since the last Clear Data: framing %1, "
                       "parity %2, breaks received %3")
            .arg(Number(counters.Framing()), Number(counters.Parity()), Number(counters.Breaks())));
    ShowLines(session_.Port().ReadInputLines());
}

void StatusLine::ShowLines(InputLines lines) {
    const bool lit[] = {lines.cts, lines.dsr, lines.dcd, lines.ri};
    for (std::size_t i = 0; i < lamps_.size(); ++i) {
        lamps_[i]->SetLit(lit[i]);
    }
}

void StatusLine::FollowScale(QWidget& client, QSize design) {
    client_ = &client;
    design_ = design;
    client.installEventFilter(this);
}

bool StatusLine::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize && !design_.isEmpty()) {
        // The controls' rule: the mean of the two ratios, never below the design size.
        const double x = std::max(1.0, double(client_->width()) / design_.width());
        const double y = std::max(1.0, double(client_->height()) / design_.height());
        const int wanted = static_cast<int>(std::lround(kFontPixels * (x + y) / 2));
        // The line keeps its height: text grows only as far as it still fits.
        ApplyFontPixels(std::min(wanted, kHeightPixels - 6));
    }
    return QStatusBar::eventFilter(watched, event);
}

void StatusLine::ApplyFontPixels(int pixels) {
    QFont font = this->font();
    if (font.pixelSize() == pixels) {
        return;
    }
    font.setPixelSize(pixels);
    setFont(font);
    for (QLabel* label : findChildren<QLabel*>()) {
        label->setFont(font);
    }
    // Laid out again now, not at the next event loop pass: a picture taken in between would
    // show the new text in the old places.
    reformat();
}

}  // namespace kestrum
