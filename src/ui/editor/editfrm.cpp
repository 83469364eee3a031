#include "ui/editor/editfrm.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <stdexcept>

#include "platform/prompts.h"
#include "session/app_state.h"
#include "session/traffic_path.h"
#include "storage/command_set_file.h"
#include "storage/settings_store.h"
#include "ui/editor/editor_constants.h"
#include "ui/layout/proportional_layout.h"
#include "ui/layout/twips.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/latin1.h"
#include "ui/widgets/latin1_field.h"
#include "ui/widgets/notation_field.h"
#include "ui/widgets/paging.h"
#include "ui/widgets/shared_constants.h"
#include "ui/widgets/up_down_control.h"

namespace kestrum {

using namespace editor_ui;

namespace {

QFont ArialFont(const QWidget& parent) {
    QFont font(QString::fromLatin1(kArial));
    font.setPixelSize(parent.font().pixelSize());
    return font;
}

int RowTopTwips(int row) {
    return kFirstRowTopTwips + kRowPitchTwips * ((row - 1) % kRowsPerBlock);
}

}  // namespace

Editfrm::Editfrm(const ToolContext& context, QWidget* parent)
    : QWidget(parent), context_(context), state_(context.state) {
    setObjectName(QStringLiteral("Editfrm"));
    // Goes with the main window; closing the editor alone never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromLatin1(kCaption));
    QFont windowFont = font();
    windowFont.setPixelSize(kFontPixels);
    setFont(windowFont);
    // Resizable: the proportional layout rescales the controls from this design size.
    resize(Twips(0, 0, kClientWidthTwips, kClientHeightTwips).size());
    BuildControls();
    SetControlKind(*upDown1_, ControlKind::KeepsFont);
    // No arming and no minimum: the editor's controls shrink with it.
    auto* layout = new ProportionalLayout(*this, ResizePolicy::Always, state_.LayoutArmed);
    layout->RecordDesignSize(Twips(0, 0, kClientWidthTwips, kClientHeightTwips).size());
    ConnectHandlers();
    Form_Load();
}

Editfrm::~Editfrm() = default;

void Editfrm::BuildControls() {
    upDown1_ = new UpDownControl(this);
    upDown1_->setToolTip(QString::fromLatin1(kTipUpDown));
    upDown1_->setGeometry(Twips(240, 360, 825, 315));

    label3_ = MakeLabel(this, kLabelByteDisplay, Twips(6000, 300, 1035, 255), Grow::Left);
    combo2_ = new DropDownList(this);
    for (std::string_view mode : shared_ui::kDisplayModes) {
        combo2_->addItem(FromBytes(mode));
    }
    combo2_->setCurrentIndex(-1);
    combo2_->setToolTip(QString::fromLatin1(kTipDisplayMode));
    combo2_->setGeometry(Twips(7080, 240, 1035, 315));
    FitList(*combo2_);

    labelLabel_ = MakeLabel(this, kHeadingLabel, Twips(1380, 855, 1035, 285));
    labelLabel_->setFont(ArialFont(*this));
    labelString_ = MakeLabel(this, kHeadingString, Twips(4080, 855, 1575, 285));
    labelString_->setFont(ArialFont(*this));
    // Designed 1575 wide, which reaches one pixel under CheckButton; ended a little before it
    // so that the right-aligned caption does not touch the button.
    label6_ = MakeLabel(this, kLabelCalculateChecksum, Twips(6120, 850, 1515, 255), Grow::Left);
    checkButton_ = new QPushButton(this);
    checkButton_->setGeometry(Twips(7680, 840, 255, 255));

    BuildRows();

    label1_ = MakeLabel(this, kLabelComSet, Twips(240, 5880, 690, 225));
    comSetText_ = new QLineEdit(QString::fromLatin1(kComSetDesignText), this);
    comSetText_->setReadOnly(true);
    comSetText_->setFrame(false);
    comSetText_->setFocusPolicy(Qt::ClickFocus);
    comSetText_->setFont(ArialFont(*this));
    // On the dialog background, as a caption rather than an input.
    QPalette palette = comSetText_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    comSetText_->setPalette(palette);
    comSetText_->setGeometry(Twips(1020, 5850, 4635, 300));

    saveButton_ = MakeButton(this, kCaptionSave, Twips(5910, 5700, 915, 615), kTipSave);
    closeButton_ = MakeButton(this, kCaptionClose, Twips(7020, 5700, 915, 615), kTipClose);

    // Label 1, string 1, label 2, string 2, ... and on through the hidden blocks (hidden
    // fields are skipped), then the window's own controls.
    QWidget* previous = rows_[0].text;
    for (const Row& row : rows_) {
        for (QWidget* next : {static_cast<QWidget*>(row.text), static_cast<QWidget*>(row.string)}) {
            if (next != previous) {
                setTabOrder(previous, next);
                previous = next;
            }
        }
    }
    for (QWidget* next : {static_cast<QWidget*>(saveButton_), static_cast<QWidget*>(closeButton_),
                          static_cast<QWidget*>(combo2_), static_cast<QWidget*>(checkButton_)}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

void Editfrm::BuildRows() {
    Prompts& prompts = context_.prompts;
    const QFont arial = ArialFont(*this);
    for (int i = 1; i <= kRowCount; ++i) {
        Row& row = rows_[static_cast<std::size_t>(i - 1)];
        const int top = RowTopTwips(i);
        row.label = new QLabel(QStringLiteral("Button %1").arg(i), this);
        row.label->setFont(arial);
        row.label->setGeometry(Twips(300, top + 30, 900, kRowHeightTwips));
        row.label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

        row.text = new Latin1Field(prompts, this);
        row.text->ForbidCharacters(QString::fromLatin1(kLabelForbiddenCharacters),
                                   QString::fromLatin1(kMsgLabelSeparator));
        row.text->setGeometry(Twips(1290, top, 1275, kRowHeightTwips));

        row.string = new NotationField(
            EntryField::EditorField, entry_, [this] { return EditorDisplayMode(); }, prompts, this);
        row.string->setGeometry(Twips(2610, top, 5400, kRowHeightTwips));
    }
}

void Editfrm::ConnectHandlers() {
    connect(combo2_, &DropDownList::Click, this, &Editfrm::Combo2_Click);
    connect(upDown1_, &UpDownControl::UpClick, this, &Editfrm::UpDown1_UpClick);
    connect(upDown1_, &UpDownControl::DownClick, this, &Editfrm::UpDown1_DownClick);
    connect(checkButton_, &QPushButton::clicked, this, &Editfrm::CheckButton_Click);
    connect(saveButton_, &QPushButton::clicked, this, &Editfrm::SaveButton_Click);
    connect(closeButton_, &QPushButton::clicked, this, &Editfrm::CloseButton_Click);
    for (int i = 1; i <= kRowCount; ++i) {
        connect(&StringText(i), &NotationField::Left, this, [this, i] { StringText_Left(i); });
    }
}

const Editfrm::Row& Editfrm::At(int row) const {
    if (row < 1 || row > kRowCount) {
        throw std::out_of_range("editor row " + std::to_string(row));
    }
    return rows_[static_cast<std::size_t>(row - 1)];
}

QLabel& Editfrm::ButtonLabel(int row) const {
    return *At(row).label;
}

Latin1Field& Editfrm::ButtonText(int row) const {
    return *At(row).text;
}

NotationField& Editfrm::StringText(int row) const {
    return *At(row).string;
}

DisplayMode Editfrm::EditorDisplayMode() const {
    // A value that names no notation checks nothing, as Ascii.
    return state_.EditorMode >= 1 && state_.EditorMode <= 3
               ? static_cast<DisplayMode>(state_.EditorMode)
               : DisplayMode::Ascii;
}

void Editfrm::Form_Load() {
    comSetText_->setText(state_.CommandFileName);
    state_.ChecksumString.clear();
    const DisplayMode mode = state_.MainDisplayMode();
    state_.EditorMode = static_cast<std::int16_t>(mode);
    // The click this raises finds the notation unchanged and converts nothing.
    combo2_->SetText(FromBytes(DisplayModeText(mode)));
    // The editor always opens on the first block.
    SetRowsVisible(1, kRowsPerBlock, true);
    SetRowsVisible(kRowsPerBlock + 1, kRowCount, false);
    for (int i = 1; i <= kRowCount; ++i) {
        ButtonText(i).setText(context_.main.CommandLabel(i));
        const std::string& hex = state_.CommandStrings.at(static_cast<std::size_t>(i));
        StringText(i).setText(
            FromBytes(mode == DisplayMode::Hex ? hex : ChangeMode(hex, DisplayMode::Hex, mode)));
    }
    lastSaved_ = RowsAsCommandSet();
}

void Editfrm::Combo2_Click() {
    const DisplayMode old = EditorDisplayMode();
    if (const auto picked = DisplayModeFromText(ToBytes(combo2_->Text()))) {
        state_.EditorMode = static_cast<std::int16_t>(*picked);
    }
    const DisplayMode mode = EditorDisplayMode();
    if (mode == old) {
        return;
    }
    // Every row, shown or not.
    for (int i = 1; i <= kRowCount; ++i) {
        NotationField& field = StringText(i);
        field.setText(FromBytes(ChangeMode(ToBytes(field.text()), old, mode)));
    }
}

void Editfrm::SetRowsVisible(int first, int last, bool visible) {
    for (int i = first; i <= last; ++i) {
        ButtonLabel(i).setVisible(visible);
        ButtonText(i).setVisible(visible);
        StringText(i).setVisible(visible);
    }
}

bool Editfrm::BlockHoldsFocus(int first) const {
    const QWidget* focused = focusWidget();
    for (int i = first; i < first + kRowsPerBlock; ++i) {
        if (focused == &ButtonText(i) || focused == &StringText(i)) {
            return true;
        }
    }
    return false;
}

void Editfrm::ShowBlock(int firstShown, int firstHidden) {
    // The new block is shown before the old one is hidden.
    SetRowsVisible(firstShown, firstShown + kRowsPerBlock - 1, true);
    if (BlockHoldsFocus(firstHidden)) {
        // Leave the field first, as a click elsewhere does, so that its string is checked and
        // recorded once. A string that is not well formed takes the focus back; its block then
        // stays, since a hidden field holding the focus would take keys unseen.
        ButtonText(firstShown).setFocus(Qt::OtherFocusReason);
        if (BlockHoldsFocus(firstHidden)) {
            SetRowsVisible(firstShown, firstShown + kRowsPerBlock - 1, false);
            return;
        }
    }
    SetRowsVisible(firstHidden, firstHidden + kRowsPerBlock - 1, false);
}

void Editfrm::UpDown1_UpClick() {
    TurnBlock(true);
}

void Editfrm::UpDown1_DownClick() {
    TurnBlock(false);
}

void Editfrm::TurnBlock(bool forward) {
    if (const auto turn =
            TurnPage([this](int first) { return !ButtonLabel(first).isHidden(); }, forward)) {
        ShowBlock(turn->show, turn->hide);
    }
}

void Editfrm::StringText_Left(int row) {
    // Valid or not, the field just left is the one the checksum button hands over.
    state_.ChecksumString = ToBytes(StringText(row).text());
    state_.ChecksumRow = static_cast<std::int16_t>(row);
}

void Editfrm::CheckButton_Click() {
    if (state_.ChecksumString.empty()) {
        context_.prompts.Message(QString::fromLatin1(kMsgNoChecksumString));
        return;
    }
    if (const auto mode = DisplayModeFromText(ToBytes(combo2_->Text()))) {
        state_.ChecksumMode = static_cast<std::int16_t>(*mode);
    }
    emit ChecksumRequested();
}

std::string Editfrm::HexString(int row) const {
    const std::string text = ToBytes(StringText(row).text());
    const DisplayMode mode = EditorDisplayMode();
    return mode == DisplayMode::Hex ? text : ChangeMode(text, mode, DisplayMode::Hex);
}

CommandSet Editfrm::RowsAsCommandSet() const {
    CommandSet set{};
    for (int i = 1; i <= kRowCount; ++i) {
        set[static_cast<std::size_t>(i - 1)] = {ToBytes(ButtonText(i).text()), HexString(i)};
    }
    return set;
}

void Editfrm::SaveButton_Click() {
    FileDialogRequest request;
    request.filter = QString::fromLatin1(kCommandSetFilter);
    request.filterIndex = kCommandSetFilterIndex;
    request.fileName = state_.CommandFileName;
    const std::optional<QString> chosen = context_.prompts.SaveFile(request);
    if (!chosen) {
        return;
    }
    if (const std::optional<QString> refusal =
            context_.traffic.SaveRefusal(*chosen, capture_text::kSavedCommandSet)) {
        context_.prompts.Message(*refusal);
        return;
    }
    QString reason;
    const CommandSet rows = RowsAsCommandSet();
    if (!WriteCommandSet(*chosen, rows, &reason)) {
        // The earlier file is intact and the current command set file stays what it was;
        // say so rather than let the user believe the set was saved.
        context_.prompts.Message(
            QStringLiteral("%1 %2: %3").arg(QString::fromLatin1(kMsgSaveFailed), *chosen, reason));
        return;
    }
    state_.CommandFileName = *chosen;
    context_.settings.SaveSetting(settings::kCommandFileName, state_.CommandFileName);
    comSetText_->setText(state_.CommandFileName);
    comSetSaved_ = true;
    lastSaved_ = rows;
}

bool Editfrm::HasUnsavedEdits() const {
    return RowsAsCommandSet() != lastSaved_;
}

bool Editfrm::ConfirmClose() {
    if (!HasUnsavedEdits()) {
        return true;
    }
    switch (context_.prompts.Ask(QString::fromLatin1(kMsgSaveChanges))) {
        case Answer::Yes:
            SaveButton_Click();
            return !HasUnsavedEdits();
        case Answer::No:
            return true;
        case Answer::Cancel:
            break;
    }
    return false;
}

void Editfrm::CloseButton_Click() {
    close();
}

void Editfrm::closeEvent(QCloseEvent* event) {
    if (!ConfirmClose()) {
        event->ignore();
        return;
    }
    Form_Unload();
    QWidget::closeEvent(event);
}

void Editfrm::Form_Unload() {
    if (comSetSaved_) {
        // What the rows hold now, including changes made after the last save.
        context_.main.ShowCommandFileName(state_.CommandFileName);
        context_.main.ApplyCommandSet(RowsAsCommandSet());
    }
    comSetSaved_ = false;
}

}  // namespace kestrum
