#include "ui/tools/aboutfrm.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace kestrum {

namespace {

// The named faces are often missing on Linux; weight and stretch keep the look when
// fontconfig substitutes another family.
QFont TitleFont() {
    QFont font(QStringLiteral("Arial Black"), 20);
    font.setWeight(QFont::Black);
    return font;
}

QFont NarrowFont() {
    QFont font(QStringLiteral("Arial Narrow"), 11);
    font.setStretch(QFont::Condensed);
    return font;
}

QFont PlainFont() {
    return QFont(QStringLiteral("Arial"), 9);
}

QLabel* CentredLabel(QWidget* parent, const QString& text, const QFont& font, const QRect& rect) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(rect);
    return label;
}

}  // namespace

Aboutfrm::Aboutfrm(QString versionText, QWidget* parent)
    : QWidget(parent, Qt::Dialog), versionText_(std::move(versionText)) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program even while the box is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromLatin1(kAboutCaption));
    setFixedSize(kAboutWidth, kAboutHeight);

    label1_ = CentredLabel(this, QString::fromLatin1(kAboutProductName), TitleFont(),
                           QRect(0, 14, kAboutWidth, 42));
    label2_ = CentredLabel(this, QString::fromLatin1(kAboutDescription), NarrowFont(),
                           QRect(0, 60, kAboutWidth, 22));
    label3_ = CentredLabel(this, QString(), PlainFont(), QRect(0, 88, kAboutWidth, 20));

    command1_ = new QPushButton(QString::fromLatin1(kAboutOkCaption), this);
    command1_->setFont(PlainFont());
    command1_->setGeometry((kAboutWidth - 84) / 2, 124, 84, 30);
    command1_->setFocus();
    connect(command1_, &QPushButton::clicked, this, &Aboutfrm::Command1_Click);

    Form_Load();
}

void Aboutfrm::Form_Load() {
    label3_->setText(versionText_);
}

void Aboutfrm::Command1_Click() {
    close();
}

// A plain widget has no default button: Enter and Escape act as OK, as in a message box.
void Aboutfrm::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            Command1_Click();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace kestrum
