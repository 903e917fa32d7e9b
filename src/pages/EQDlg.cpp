#include "pages/EQDlg.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"  // the combo header needs the list complete
#include "controls/BitmapSlider.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "eq/Filter.h"
#include "eq/FilterResponse.h"
#include "pages/PageControls.h"
#include "platform/ControlId.h"
#include "platform/KeyedBitmap.h"
#include "platform/Resources.h"
#include "platform/Skin.h"

namespace pavo {

namespace {

constexpr int kStripGainMax = 180;  // +12 dB at the top of the slider

// The link from a band to a strip's gain slider. A band set outlives every page, and a band keeps
// its link after the strip has moved on or gone; so the links live for the whole run and follow the
// slider through a guarded pointer, which turns a drag after the strip is gone into nothing.
class SliderLink : public GainSliderLink {
public:
    explicit SliderLink(BitmapSlider* slider) : slider_(slider) {}
    void SetInvertedPos(int gainCode) override {
        if (slider_) slider_->SetInvertedPos(gainCode);
    }

private:
    QPointer<BitmapSlider> slider_;
};

GainSliderLink* NewSliderLink(BitmapSlider* slider) {
    static std::vector<std::unique_ptr<SliderLink>> links;  // UI thread only
    links.push_back(std::make_unique<SliderLink>(slider));
    return links.back().get();
}

}  // namespace

const DialogTemplate& EQDlg::Template() {
    // 26 x 139 dialog units: caption, type, gain edit, gain slider, frequency, Q.
    static const DialogTemplate tpl{kTemplateId,
                                    QSize(26, 139),
                                    {
                                        {kCaptionId, ControlKind::Static, QRect(0, 1, 26, 9)},
                                        {kTypeComboId, ControlKind::ComboBox, QRect(0, 11, 26, 12)},
                                        {kGainEditId, ControlKind::Edit, QRect(1, 25, 24, 10)},
                                        {kGainSliderId, ControlKind::BitmapStatic, QRect(2, 37, 22, 70)},
                                        {kFrequencyEditId, ControlKind::Edit, QRect(1, 109, 24, 10)},
                                        {kQEditId, ControlKind::Edit, QRect(1, 121, 24, 10)},
                                    }};
    return tpl;
}

EQDlg::EQDlg(BandSets& bands, QWidget* parent) : QWidget(parent), bands_(bands) {
    CreateFromTemplate(this, Template(), [this](const ControlTemplate& c, QWidget* dialog) -> QWidget* {
        switch (c.id) {
            case kCaptionId:
                return caption_ = new FontStatic(dialog);
            case kTypeComboId:
                return typeCombo_ = new BitComboBox(dialog);
            case kGainEditId:
                return gainEdit_ = new NumEdit(dialog);
            case kGainSliderId:
                return gainSlider_ = new BitmapSlider(dialog);
            case kFrequencyEditId:
                return frequencyEdit_ = new NumEdit(dialog);
            case kQEditId:
                return qEdit_ = new NumEdit(dialog);
            default:
                return nullptr;
        }
    });

    caption_->SetTextColour(kWhite);
    caption_->SetLeftAligned(false);  // centred

    for (const char* item : BandTypeLabels) typeCombo_->addItem(QString::fromLatin1(item));
    typeCombo_->SetBoxBitmaps(201, 202, 200);
    typeCombo_->SetListEdgeBitmaps(205, 206, 203, 204);
    typeCombo_->SetFocusItemColours(kControlBackground, kWhite);
    typeCombo_->SetItemColours(kControlBackground, kWhite);

    gainEdit_->SetRange(0, kStripGainMax);
    gainEdit_->SetScale(0.2);
    gainEdit_->SetOffset(24);
    gainEdit_->SetKind(NumEdit::Scaled);
    gainEdit_->SetBuddySlider(gainSlider_);
    frequencyEdit_->SetRange(0, kFrequencyCodes - 1);
    frequencyEdit_->SetKind(NumEdit::Frequency);
    qEdit_->SetRange(0, kQCodeMax);
    qEdit_->SetKind(NumEdit::Q);
    for (NumEdit* e : {gainEdit_, frequencyEdit_, qEdit_}) {
        e->setAlignment(Qt::AlignCenter);
        e->setFrame(false);
    }

    // The slider takes the size of its channel; keep it centred under the edits.
    const QPoint sliderTopLeft = gainSlider_->pos();
    gainSlider_->LoadChannelBitmaps(138, 138, false);
    gainSlider_->LoadThumbBitmaps(137, 139, true, kKeyFromPixel, 0, 0);
    gainSlider_->SetVertical(true);
    gainSlider_->SetRange(0, kStripGainMax);
    gainSlider_->SetMargins(12, 1, 0, 2);
    gainSlider_->move((width() - gainSlider_->width()) / 2, sliderTopLeft.y());

    OnCommand(kTypeComboId, CBN_SELCHANGE, [this] { OnTypeChanged(); });
    OnMessage(WM_NUMEDIT_CHANGED, [this](WParam, LParam id) {
        OnEditChanged(static_cast<int>(id));
        return LResult{0};
    });
    auto slider = [this](WParam id, LParam) {
        if (static_cast<int>(id) == kGainSliderId) OnSliderMoved();
        return LResult{0};
    };
    OnMessage(WM_SLIDER_TRACKING, slider);
    OnMessage(WM_SLIDER_CHANGED, slider);

    // Enter and Escape typed anywhere in the strip are seen before the control gets them.
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

EQDlg::~EQDlg() = default;

void EQDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), PageBackground());
}

// Enter or Escape: the strip takes the focus, so an edit being typed in commits its value; the key
// then goes on to the control as typed and never closes anything. The arrows in the gain edit move
// the band as they do on the graph, so choosing a band there (which puts the focus here) keeps them.
bool EQDlg::eventFilter(QObject* watched, QEvent* event) {
    if (IsEnterOrEscape(event)) setFocus(Qt::OtherFocusReason);
    if (watched == gainEdit_ && event->type() == QEvent::KeyPress && graph_ && band_) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (plain && graph_->ArrowKey(bandIndex_, key->key(), key->modifiers() & Qt::ShiftModifier))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

// Enter and Escape end here: a dialog further up must not take them as OK or Cancel.
void EQDlg::keyPressEvent(QKeyEvent* event) {
    if (IsEnterOrEscape(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void EQDlg::BindBandSet(int blockNumber, bool rebind) {
    blockNumber_ = blockNumber;
    if (!rebind) return;
    CKTVEQ* set = bands_.Of(blockNumber_);
    band_ = set ? set->GetAt(bandIndex_) : nullptr;
    RefreshFromBand();
}

void EQDlg::SetBandIndex(int bandIndex) {
    bandIndex_ = bandIndex;
    CKTVEQ* set = bands_.Of(blockNumber_);
    band_ = set ? set->GetAt(bandIndex_) : nullptr;
    caption_->SetText(QString::asprintf("%d", bandIndex_ + 1));
    if (band_) {
        if (!sliderLink_) sliderLink_ = NewSliderLink(gainSlider_);
        band_->SetLinkedSlider(sliderLink_);
    }
    RefreshFromBand();
}

namespace {
EqBand SnapshotOf(const Model& m, const CFilter* band) {
    EqBand copy{};
    if (band && band->Band()) m.Edit([&] { copy = *band->Band(); });
    return copy;
}
}  // namespace

void EQDlg::RefreshFromBand() {
    if (!band_ || !band_->Band()) return;
    const EqBand b = SnapshotOf(bands_.model(), band_);
    typeCombo_->setCurrentIndex(b.BandType < typeCombo_->count() ? b.BandType : -1);
    gainEdit_->SetValue(b.GainCode);
    gainSlider_->SetInvertedPos(b.GainCode);
    frequencyEdit_->SetValue(b.FrequencyCode);
    qEdit_->SetValue(b.QCode);
}

void EQDlg::RefreshAndFocus() {
    if (!band_ || !band_->Band()) return;
    const EqBand b = SnapshotOf(bands_.model(), band_);
    // The type too: a double-click on the graph switches a band to bypass and back.
    typeCombo_->setCurrentIndex(b.BandType < typeCombo_->count() ? b.BandType : -1);
    gainSlider_->SetInvertedPos(b.GainCode);
    gainEdit_->SetValue(b.GainCode);
    gainEdit_->setFocus(Qt::OtherFocusReason);
    frequencyEdit_->SetValue(b.FrequencyCode);
    qEdit_->SetValue(b.QCode);
}

// Every edit ends alike: the page hears of it, and the graph shows the band selected.
void EQDlg::BandEdited(bool sent) {
    if (sent)
        SendMessage(parentWidget(), WM_EQSTRIP_CHANGED, 0, bandIndex_);
    else
        PostMessage(parentWidget(), WM_EQSTRIP_CHANGED, 0, bandIndex_);
}

void EQDlg::OnTypeChanged() {
    if (!band_) return;
    const int type = typeCombo_->currentIndex();
    if (type < 0) return;
    band_->SetType(static_cast<FilterType>(type));
    BandEdited(true);
    if (graph_) graph_->SelectBand(bandIndex_, false);
}

void EQDlg::OnEditChanged(int editId) {
    if (!band_) return;
    switch (editId) {
        case kGainEditId: {
            const int code = gainEdit_->GetValue();
            band_->SetGainCode(code);
            gainSlider_->SetInvertedPos(code);
            break;
        }
        case kFrequencyEditId:
            band_->SetFrequencyCode(frequencyEdit_->GetValue());
            break;
        case kQEditId:
            band_->SetQCode(qEdit_->GetValue());
            break;
        default:
            return;
    }
    BandEdited(true);
    if (graph_) graph_->SelectBand(bandIndex_, false);
}

void EQDlg::OnSliderMoved() {
    if (!band_) return;
    const int code = gainSlider_->GetInvertedPos();
    band_->SetGainCode(code);
    gainEdit_->SetValue(code);
    BandEdited(false);
    gainEdit_->setFocus(Qt::OtherFocusReason);
    if (graph_) graph_->SelectBand(bandIndex_, false);
}

}  // namespace pavo
