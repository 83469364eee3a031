#include "ui/tools/checkfrm.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "notation/checksum.h"
#include "session/app_state.h"
#include "storage/settings_store.h"
#include "ui/layout/twips.h"
#include "ui/widgets/byte_field.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/latin1.h"
#include "ui/widgets/latin1_field.h"
#include "ui/widgets/shared_constants.h"

namespace kestrum {

namespace {

DisplayMode ModeOf(std::int16_t value) {
    return value >= 1 && value <= 3 ? static_cast<DisplayMode>(value) : DisplayMode::Hex;
}

}  // namespace

Checkfrm::Checkfrm(AppState& state, SettingsStore& settings, Prompts& prompts, QWidget* parent)
    : QWidget(parent), state_(state), settings_(settings), prompts_(prompts) {
    setObjectName(QStringLiteral("Checkfrm"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromLatin1(kCheckfrmCaption));
    QFont windowFont = font();
    windowFont.setPixelSize(shared_ui::kClientFontPixels);
    setFont(windowFont);
    setFixedSize(Twips(0, 0, kCheckfrmWidthTwips, kCheckfrmHeightTwips).size());
    BuildControls();
    connect(combo1_, &DropDownList::Click, this, &Checkfrm::Combo1_Click);
    connect(calculateButton_, &QPushButton::clicked, this, &Checkfrm::CalculateButton_Click);
    connect(cancelButton_, &QPushButton::clicked, this, &Checkfrm::CancelButton_Click);
    connect(closeButton_, &QPushButton::clicked, this, &Checkfrm::CloseButton_Click);
    Form_Load();
}

Checkfrm::~Checkfrm() = default;

void Checkfrm::BuildControls() {
    label1_ = MakeLabel(this, kCheckfrmStringLabel, Twips(240, 180, 3000, 255));
    text1_ = new Latin1Field(prompts_, this);
    text1_->setGeometry(Twips(240, 450, 5970, 360));
    label2_ = MakeLabel(this, kCheckfrmTypeLabel, Twips(240, 960, 3000, 255));
    combo1_ = new DropDownList(this);
    combo1_->setGeometry(Twips(240, 1230, 5970, 330));
    calculateButton_ = MakeButton(this, kCheckfrmCalculateCaption, Twips(2520, 1860, 1155, 435));
    cancelButton_ = MakeButton(this, kCheckfrmClearCaption, Twips(3795, 1860, 1155, 435));
    closeButton_ = MakeButton(this, kCheckfrmCloseCaption, Twips(5070, 1860, 1140, 435));
}

void Checkfrm::Form_Load() {
    for (std::size_t i = 0; i < kChecksumTypeLabels.size(); ++i) {
        checksumLabels_[i] = kChecksumTypeLabels[i];
    }
    checksumLabels_.back() = std::string_view();
    for (std::string_view label : checksumLabels_) {
        combo1_->addItem(FromBytes(label));
    }
    combo1_->setCurrentIndex(-1);
    try {
        combo1_->SetText(settings_.GetSetting(settings::kChecksum));
    } catch (const ListTextNotFound&) {
        // A stored type that is no longer offered leaves the list without a selection.
    }
    text1_->setText(FromBytes(state_.ChecksumString));
    mode_ = ModeOf(state_.ChecksumMode);
}

void Checkfrm::HandOver(QLineEdit* returnField) {
    mode_ = ModeOf(state_.ChecksumMode);
    returnField_ = returnField;
}

void Checkfrm::Combo1_Click() {
    settings_.SaveSetting(settings::kChecksum, combo1_->Text());
}

void Checkfrm::CalculateButton_Click() {
    preCalcText_ = text1_->text();
    // The blank entry, or no selection, leaves the text as it is.
    text1_->setText(
        FromBytes(AppendChecksum(ToBytes(preCalcText_), mode_, ToBytes(combo1_->Text()))));
}

void Checkfrm::CancelButton_Click() {
    // Undoes the last Calculate only; before any, this empties the box.
    text1_->setText(preCalcText_);
}

void Checkfrm::CloseButton_Click() {
    close();
}

void Checkfrm::closeEvent(QCloseEvent* event) {
    Form_Unload();
    QWidget::closeEvent(event);
}

void Checkfrm::Form_Unload() {
    state_.ChecksumString.clear();
    // Whether or not Calculate was pressed, the text as it stands goes back.
    if (auto* field = qobject_cast<ByteField*>(returnField_.data())) {
        field->setText(text1_->text());  // its own setText: a long text is not laid out whole
    } else if (returnField_ != nullptr) {
        returnField_->setText(text1_->text());
    }
    returnField_ = nullptr;
}

}  // namespace kestrum
