#pragma once
// What the music page and the microphone page have in common: each edits one of two channel blocks at
// a time (music left / right, microphone 1&2 / 3&4) with ten EQ band strips that scroll over the
// block's bands, the response graph, filters, gate, limiter and exciters, EQ bypass and EQ reset, and
// a SYNC button whose link byte makes the second channel follow the first. The pages differ only in
// their tables: which control edits which field, how values are shown, and their captions.
//
// Edits are single stores into the current program image (or the system record for the music key);
// the change scanner sends them. Filters go through the band set's filter objects so the graph
// follows. The link flip and the copy of the first channel onto the second happen under the send
// lock, so the scanner never sees half of it.
#include <cstddef>
#include <cstdint>
#include <span>

#include "model/Model.h"
#include "pages/BandStripRow.h"
#include "pages/PageCaptions.h"
#include "pages/PageControls.h"
#include "pages/PageDlg.h"
#include "pages/PageHost.h"
#include "platform/DialogTemplate.h"

namespace pavo {

class BitmapSlider;
class CFilter;
class CFStatic;
class Trackbar;

// Where a control's value lives.
struct ChannelField {
    enum Home {
        Channel,   // the selected channel's block
        Dynamics,  // the first channel's block whatever is selected (the music gate and limiter)
        KeyShift,  // the music key: the high nibble of system record byte 9
    };
    Home home;
    size_t offset = 0;  // within the block
    int width = 1;      // bytes, little-endian
};

// The gate's and the limiter's thresholds, the same on both pages.
inline constexpr LabelStyle kGateThresholdLabel{Edit_Static::OffOrInteger, 1, 78, "dBV"};
inline constexpr LabelStyle kLimitThresholdLabel{Edit_Static::Integer, 1, 22, "dBV"};

// A bitmap slider with the value label that shows its code.
struct ValueSliderDef {
    int slider;
    int label;
    ChannelField field;
    int max;
    LabelStyle style;
};

// What a frequency row or a slope combo edits: a field, or the channel's high-pass or low-pass filter
// object (which stores into the block's filter record and redraws the graph).
enum class Via { Field, HighPass, LowPass };

// A frequency slider and the numeric edit that shows the same code (0..361).
struct FrequencyRowDef {
    int slider;
    int edit;
    Via via;
    ChannelField field{ChannelField::Channel};  // when via is Field
};

// A combo box whose item index is the stored code.
struct ComboDef {
    int combo;
    Via via;  // HighPass / LowPass: the filter's slope code
    ChannelField field{ChannelField::Channel};
    std::span<const char* const> items;
};

struct InputChannelDef {
    int pageIndex;  // of the main window; lays out the graph for both channels
    int firstBlock;
    int secondBlock;
    uint8_t ProgramImage::*link;
    void (*linkChannels)(Model& model);  // copies the first channel onto the second in both images
    int32_t PageSelection::*side;       // the selected channel's block number
    int32_t PageSelection::*eqFirst;    // bands shown by the first and the last strip
    int32_t PageSelection::*eqLast;
    int graphId;  // control ids
    int trackbarId;
    size_t bypassOffset;  // EqBypass within the block
    const DialogTemplate& (*dialogTemplate)();
    std::span<const ValueSliderDef> valueSliders;
    std::span<const FrequencyRowDef> frequencyRows;
    std::span<const ComboDef> combos;
    std::span<const Caption> captions;
};

class InputChannelPage : public PageDlg {
    Q_OBJECT
public:
    enum {
        IDC_SYNC = 1064,
        IDC_FIRST_CHANNEL = 1065,
        IDC_SECOND_CHANNEL = 1066,
        IDC_EQ_RESET = 1067,
        IDC_EQ_BYPASS = 1068,
    };
    static constexpr int kStripCount = 10;
    static const char* const kDigitItems[10];  // harmonic and timbre; the slopes are SlopeLabels

    // The pages ask nothing of the window that holds them: every edit is a store into the model.
    InputChannelPage(PageHost& host, const InputChannelDef& def, QWidget* parent);
    ~InputChannelPage() override;

    void ApplyLanguage() override;
    void RefreshFromModel() override;

    // -1 right after the link byte flipped; otherwise the block number of the channel to edit.
    void SelectChannel(int block);
    // The strips show the page's first band on; the page is redrawn.
    void RefreshStrips();
    // A band chosen in the graph (its index in the band set): scrolls it into view and focuses its
    // strip; the high-pass and low-pass indices update the filter rows.
    void ShowBand(int index);
    // The strip showing `band` gets the red caption.
    void HighlightStrip(int band);

    // State, for the main window's tests and the gallery (the page builds itself on first use).
    const InputChannelDef& Def() const { return def_; }
    CFStatic* Graph();
    BandStripRow& Strips();
    Trackbar* ScrollBar();
    int CurrentBlock() const { return currentBlock_; }
    CFilter* CurrentHighPass() const { return highPass_; }

protected:
    void CreateContents() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }  // no Tab moves between controls

private:
    QWidget* MakeControl(const ControlTemplate& c, QWidget* parent);
    void SetUpControls();
    void RegisterHandlers();

    void OnSlider(int id);
    void OnEdit(int id);
    void OnCombo(int id);
    void OnScroll(int id);
    void OnSync();
    void OnEqReset();
    void OnEqBypass();
    void ShowChannelButtons(bool linked, int side);
    void ShowValues();
    void StoreFrequency(const FrequencyRowDef& row, int code);

    int LinkByte() const;
    int32_t& Side() const;
    int BandCount() const;
    uint8_t* FieldBytes(const ChannelField& f) const;  // call under the model lock
    int Load(const ChannelField& f) const;
    void Store(const ChannelField& f, int value);
    // A row's code: its field, or that member of the channel's filter record.
    template <class Code>
    int LoadVia(Via via, const ChannelField& field, Code FilterSetting::*code) const;
    CFilter* FilterOf(Via via) const;
    int GraphIndexOf(Via via) const;

    const InputChannelDef& def_;
    CFStatic* graph_ = nullptr;
    Trackbar* trackbar_ = nullptr;
    BandStripRow strips_;
    int currentBlock_;
    CFilter* highPass_ = nullptr;
    CFilter* lowPass_ = nullptr;
};

}  // namespace pavo
