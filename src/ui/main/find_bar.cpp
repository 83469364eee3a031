#include "ui/main/find_bar.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

#include "ui/monitor/data_monitor.h"
#include "ui/widgets/latin1.h"

namespace kestrum {

using namespace find_ui;

FindBar::FindBar(DataMonitor& monitor, QWidget* parent)
    : QWidget(parent, Qt::Tool), monitor_(monitor) {
    setWindowTitle(QString::fromLatin1(kCaption));
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* row = new QHBoxLayout(this);
    row->addWidget(new QLabel(QString::fromLatin1(kLabel), this));
    text_ = new QLineEdit(this);
    text_->setToolTip(QString::fromLatin1(kTipText));
    text_->setMinimumWidth(200);
    row->addWidget(text_);
    matchCase_ = new QCheckBox(QString::fromLatin1(kMatchCase), this);
    row->addWidget(matchCase_);
    auto* previous = new QPushButton(QString::fromLatin1(kPrevious), this);
    auto* next = new QPushButton(QString::fromLatin1(kNext), this);
    row->addWidget(previous);
    row->addWidget(next);
    status_ = new QLabel(this);
    // Room for the longest status, so that saying it does not resize the window.
    status_->setMinimumWidth(status_->fontMetrics().horizontalAdvance(kNotFound) + 8);
    row->addWidget(status_);

    connect(next, &QPushButton::clicked, this, &FindBar::FindNext);
    connect(previous, &QPushButton::clicked, this, &FindBar::FindPrevious);
    connect(text_, &QLineEdit::returnPressed, this, [this] {
        if (QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier)) {
            FindPrevious();
        } else {
            FindNext();
        }
    });
    connect(text_, &QLineEdit::textEdited, this, [this] {
        // A search for what the box held before has nothing more to say.
        searchTimer_.stop();
        search_.reset();
        status_->clear();
    });
    // The main window's F3 and Shift+F3 work here too, and Escape puts the window away.
    const auto addKey = [this](const QKeySequence& key, auto handler) {
        auto* action = new QAction(this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
    };
    addKey(QKeySequence(Qt::Key_F3), &FindBar::FindNext);
    addKey(QKeySequence(Qt::SHIFT | Qt::Key_F3), &FindBar::FindPrevious);
    addKey(QKeySequence(Qt::Key_Escape), &QWidget::close);
    searchTimer_.setSingleShot(true);
    searchTimer_.setInterval(0);
    connect(&searchTimer_, &QTimer::timeout, this, &FindBar::ContinueSearch);
}

void FindBar::Open() {
    show();
    raise();
    activateWindow();
    text_->setFocus();
    text_->selectAll();
}

QString FindBar::Status() const {
    return status_->text();
}

void FindBar::Find(SearchDirection direction) {
    const QString wanted = text_->text();
    if (wanted.isEmpty()) {
        status_->clear();
        Open();
        return;
    }
    const MonitorText& text = monitor_.Text();
    // Where the search stands: the selection, else the last hit while the text it was found in
    // is still there, else the caret.
    SearchHit current{text.Caret(), text.Caret()};
    if (text.HasSelection()) {
        current = {text.SelectionStart(), text.SelectionStart() + text.SelectionLength()};
    } else if (lastHit_ && lastGeneration_ == text.Generation() && lastHit_->to <= text.Size()) {
        current = *lastHit_;
    }
    searchTimer_.stop();
    search_.reset();
    // A character outside Latin-1 is in no monitor text.
    if (!IsLatin1(wanted)) {
        ShowResult(std::nullopt);
        return;
    }
    search_ = std::make_unique<MonitorSearch>(
        text, ToBytes(wanted), direction == SearchDirection::Forward ? current.to : current.from,
        direction, matchCase_->isChecked());
    searchGeneration_ = text.Generation();
    searchDirection_ = direction;
    if (search_->Step(kFirstSlice)) {
        ShowResult(std::exchange(search_, nullptr)->Hit());
    } else {
        searchTimer_.start();
    }
}

void FindBar::ContinueSearch() {
    if (!search_) {
        return;
    }
    if (monitor_.Text().Generation() != searchGeneration_) {
        // The text it was reading was emptied or re-rendered: search what is there now.
        search_.reset();
        Find(searchDirection_);
        return;
    }
    if (search_->Step(kSlice)) {
        ShowResult(std::exchange(search_, nullptr)->Hit());
    } else {
        searchTimer_.start();
    }
}

void FindBar::ShowResult(const std::optional<SearchHit>& hit) {
    if (!hit) {
        status_->setText(QString::fromLatin1(kNotFound));
        // F3 with the window put away still needs somewhere to say so.
        show();
        return;
    }
    status_->clear();
    lastHit_ = hit;
    lastGeneration_ = monitor_.Text().Generation();
    monitor_.ShowFound(hit->from, hit->to);
}

}  // namespace kestrum
