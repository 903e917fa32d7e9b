#pragma once
// EQDlg: the EQ band strip, a narrow child dialog under a page's response graph that edits one band
// of a band set: its type (combo), gain (edit and vertical slider), frequency and Q (edits). Edits go
// straight into the band's record through its CFilter; the strip then redraws the graph with the band
// selected and tells its page with WM_EQSTRIP_CHANGED (wParam 0, lParam band index).
#include <QWidget>

#include "platform/DialogTemplate.h"
#include "platform/WinMessage.h"

namespace pavo {

class BandSets;
class BitComboBox;
class BitmapSlider;
class CFilter;
class CFStatic;
class FontStatic;
class GainSliderLink;
class NumEdit;

class EQDlg : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 136;
    static constexpr int kCaptionId = 1027;
    static constexpr int kTypeComboId = 1025;
    static constexpr int kGainEditId = 1022;
    static constexpr int kGainSliderId = 1291;
    static constexpr int kFrequencyEditId = 1023;
    static constexpr int kQEditId = 1024;

    // A strip on sets of `bands` (its unit's).
    explicit EQDlg(BandSets& bands, QWidget* parent = nullptr);
    ~EQDlg() override;

    void SetGraph(CFStatic* graph) { graph_ = graph; }
    // Chooses the band set of a block (8..15: the output channel's set in the edited scene). With
    // `rebind` the strip shows the band at its index in that set.
    void BindBandSet(int blockNumber, bool rebind);
    // Shows another band of the set and links the gain slider to it, so graph drags move the slider.
    void SetBandIndex(int bandIndex);
    // Shows the band's record in every control.
    void RefreshFromBand();
    // After a graph edit: gain, frequency and Q from the record, and the keyboard focus to the gain edit.
    void RefreshAndFocus();

    int BlockNumber() const { return blockNumber_; }
    int BandIndex() const { return bandIndex_; }
    CFilter* Band() const { return band_; }

    FontStatic* Caption() const { return caption_; }
    BitComboBox* TypeCombo() const { return typeCombo_; }
    NumEdit* GainEdit() const { return gainEdit_; }
    BitmapSlider* GainSlider() const { return gainSlider_; }
    NumEdit* FrequencyEdit() const { return frequencyEdit_; }
    NumEdit* QEdit() const { return qEdit_; }

    static const DialogTemplate& Template();

protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnTypeChanged();
    void OnEditChanged(int editId);
    void OnSliderMoved();
    void BandEdited(bool sent);

    BandSets& bands_;
    CFStatic* graph_ = nullptr;
    int blockNumber_ = -1;
    int bandIndex_ = 0;
    CFilter* band_ = nullptr;
    GainSliderLink* sliderLink_ = nullptr;  // owned by a process-wide pool, see EQDlg.cpp

    FontStatic* caption_ = nullptr;
    BitComboBox* typeCombo_ = nullptr;
    NumEdit* gainEdit_ = nullptr;
    BitmapSlider* gainSlider_ = nullptr;
    NumEdit* frequencyEdit_ = nullptr;
    NumEdit* qEdit_ = nullptr;
};

}  // namespace pavo
