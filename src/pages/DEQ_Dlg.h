#pragma once
// The dynamic EQ page: the three dynamic bands of the left or right music channel, each an EQ band
// (type, frequency, gain within +-12 dB, Q; also dragged on the graph) and a compressor (threshold,
// attack, release, ratio). SYNC ties the right music channel to the left; EQ Reset makes the three
// bands flat.
#include "pages/ControlIndex.h"
#include "pages/LazyPageDlg.h"
#include "pages/PageHost.h"
#include "platform/DialogTemplate.h"

namespace pavo {

class CFStatic;
class CKTVEQ;
struct MusicBlock;

class DEQ_Dlg : public LazyPageDlg {
    Q_OBJECT
public:
    enum {
        IDD = 144,
        // Per band i = 0..2: the control id is the base + i.
        IDC_NUMBER = 2020,
        IDC_FREQUENCY = 2030,
        IDC_TYPE = 2040,
        IDC_GAIN_EDIT = 2050,
        IDC_Q = 2060,
        IDC_GAIN_SLIDER = 2070,
        IDC_THRESHOLD = 2100,  // compressor sliders; each value label is the slider id - 10
        IDC_ATTACK = 2130,
        IDC_RELEASE = 2160,
        IDC_RATIO = 2190,
        IDC_SYNC = 1064,
        IDC_MUSIC_LEFT = 1065,
        IDC_MUSIC_RIGHT = 1066,
        IDC_EQ_RESET = 1067,
        IDC_GRAPH = 1308,
    };
    static constexpr int kBands = 3;
    static constexpr int kGainMin = 60;   // -12 dB
    static constexpr int kGainMax = 180;  // +12 dB

    explicit DEQ_Dlg(PageHost& host, QWidget* parent = nullptr);

    void ApplyLanguage() override;
    void RefreshFromModel() override;

    // 16 (MusicLeft) or 17 (MusicRight) chooses the channel; -1 follows a SYNC change.
    void SelectDynEqChannel(int side);

    static const DialogTemplate& Template();

    CFStatic* Graph() const { return graph_; }
    // The band set the EQ controls edit (16 or 17).
    int CurrentSet() const { return currentSet_; }

protected:
    void BuildControls() override;

private:
    QWidget* MakeControl(const ControlTemplate& c, QWidget* parent);
    void SetUpControls();
    void RegisterHandlers();

    CKTVEQ* Set() const;
    // The dynamic bands the compressor controls edit; the caller holds the model lock.
    MusicBlock& CurrentBlock() const;
    void ShowBandEq(int band);
    void ShowGain(int band, int code);
    void BandEdited(int band);
    void SetChannelButtons(bool linked, int side);

    void OnType(int band);
    void OnEdit(int id);
    void OnSlider(int id);
    void OnSync();
    void OnEqReset();

    PageHost& host_;
    CFStatic* graph_ = nullptr;
    int currentSet_ = 16;

    template <class T = QWidget>
    T* Item(int id) const {
        return items_.As<T>(id);
    }
    ControlIndex items_;
};

}  // namespace pavo
