#pragma once
// The main output page, serving the Out1&2 tab (page index 3: blocks 12 and 13) and the Out3&4 tab
// (page index 4: blocks 8 and 9). For the selected channel of the pair it edits the 10-band EQ (ten
// band strips over the response graph), the high-pass and low-pass filters, the mix of the five
// sources and the EQ bypass; for the pair the limiter (kept in the first channel), both mutes and
// delays, and the SYNC link. Everything is edited in the edited scene; while the unit runs the
// automatic scene (ActiveScene 0) the page shows Scene1 and takes no input.
#include <memory>

#include "pages/BandStripRow.h"
#include "pages/PageDlg.h"
#include "pages/PageHost.h"
#include "platform/DialogTemplate.h"

namespace pavo {

class CFStatic;
class FilterControls;
struct OutputChannel;

class MainDlg : public PageDlg {
    Q_OBJECT
public:
    enum {
        IDD = 149,
        IDC_SYNC = 3700,
        IDC_FIRST_CHANNEL = 3701,   // "Out 2" / "Out 4"
        IDC_SECOND_CHANNEL = 3702,  // "Out 1" / "Out 3"
        IDC_EQ_RESET = 3703,
        IDC_EQ_PASS = 3704,
        IDC_FIRST_MUTE = 3705,
        IDC_SECOND_MUTE = 3706,
        IDC_SCENE_FIRST = 3707,  // 3707..3710: Auto, Sing, Disco, Decode (never shown)
        // Mix of the five sources (music, microphone, echo A, echo B, reverb): slider, label, switch.
        IDC_SOURCE_SLIDER = 3720,
        IDC_SOURCE_SWITCH = 3750,
        // Limiter level, attack, release, ratio.
        IDC_LIMITER_SLIDER = 3725,
        IDC_FIRST_DELAY = 3729,
        IDC_SECOND_DELAY = 3730,
        IDC_HPF_SLIDER = 3731,
        IDC_LPF_SLIDER = 3732,
        IDC_HPF_COMBO = 1025,
        IDC_LPF_COMBO = 1026,
        IDC_HPF_EDIT = 1287,
        IDC_LPF_EDIT = 1290,
        IDC_FIRST_DELAY_CAPTION = 1280,
        IDC_SECOND_DELAY_CAPTION = 1283,
        IDC_FIRST_DELAY_LABEL = 1281,
        IDC_SECOND_DELAY_LABEL = 1284,
        IDC_FIRST_DISTANCE = 1415,
        IDC_SECOND_DISTANCE = 1416,
        IDC_GRAPH = 1298,
    };
    static constexpr int kStrips = 10;
    static constexpr int kSources = 5;
    static constexpr int kScenes = 4;  // scene buttons

    explicit MainDlg(PageHost& host, QWidget* parent = nullptr);
    ~MainDlg() override;

    void ApplyLanguage() override;
    void RefreshFromModel() override;
    // The output set-up for page index 3 or 4; the main window refreshes the page next.
    void Selected(int pageIndex) override;

    static const DialogTemplate& Template();
    // The value label shown beside a slider.
    static int LabelOfSlider(int sliderId);

    // The blocks of the pair this page serves now (page index 3 or 4).
    int FirstBlock() const;
    int SecondBlock() const;
    int SideBlock() const;

    CFStatic* Graph() const { return graph_; }
    const BandStripRow& Strips() const { return strips_; }
    FilterControls& HighPass() const { return *highPass_; }
    FilterControls& LowPass() const { return *lowPass_; }

protected:
    void CreateContents() override;

private:
    QWidget* MakeControl(const ControlTemplate& c, QWidget* parent);
    void SetUpControls();
    void RegisterHandlers();

    int& Side() const;
    uint8_t LinkByte() const;
    void SetLinkByte(uint8_t value);
    // A channel of the edited scene; the caller holds the model lock while using it.
    OutputChannel& Channel(int block) const;
    void BindFilters();
    void EnableAll(bool enable);
    void ShowChannelButtons(bool linked, bool editable);
    void ShowPageIndexCaptions();

    void OnSlider(int id);
    void OnSourceSwitch(int source);
    void OnMute(bool first);
    void SelectChannel(int block);
    void OnSync();
    void OnEqReset();
    void OnEqPass();
    void OnCurveChanged(int index);

    PageHost& host_;
    int outputIndex_ = 3;
    CFStatic* graph_ = nullptr;
    BandStripRow strips_;
    std::unique_ptr<FilterControls> highPass_, lowPass_;
};

}  // namespace pavo
