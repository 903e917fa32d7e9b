#pragma once
// What the echo page and the reverb page share: seven band strips drawing on the effect container's
// graph, the high-pass and low-pass filters, the wet and dry levels with their switches, the time
// sliders, EQ reset and "EQ pass". Each page names its controls and fields in an EffectLayout; the
// block it edits and its highlight rule are its own.
#include <memory>
#include <span>

#include "pages/BandStripRow.h"
#include "pages/PageCaptions.h"
#include "pages/PageControls.h"
#include "pages/PageDlg.h"
#include "pages/RecordField.h"
#include "platform/DialogTemplate.h"

namespace pavo {

class CFStatic;
class FilterControls;

// A slider with its caption and value label, editing a field of the block; the field holds the
// slider position times `factor` (times in tenths of a millisecond).
struct EffectValueRow {
    int caption, label, slider;
    RecordField field;
    int factor;
    int max;
    LabelStyle style;
};

struct EffectFilterIds {
    int caption, edit, slider, combo;
};

struct EffectLayout {
    int templateId;
    EffectValueRow wet, dry;
    int wetSwitch, drySwitch;
    RecordField wetSwitchField, drySwitchField;
    EffectFilterIds highPass, lowPass;
    int eqReset, eqPass;
    int rowCaptions[4];  // left of the strips: type, gain, frequency, Q
    std::span<const EffectValueRow> times;
    std::span<const Caption> captions;
};

class EffectPage : public PageDlg {
    Q_OBJECT
public:
    static constexpr int kStrips = 7;

    void ApplyLanguage() override;
    void RefreshFromModel() override;
    // The graph reports a band: 0..6 its strip, 7 the high-pass, 8 the low-pass.
    void ShowBand(int index);
    // The strip whose band was edited last; the two pages differ in what a repeat does.
    virtual void HighlightStrip(int index) = 0;

    // The block edited now (4, 5 or 6).
    virtual int Block() const = 0;

    const BandStripRow& Strips() const { return strips_; }
    FilterControls& HighPass() const { return *highPass_; }
    FilterControls& LowPass() const { return *lowPass_; }
    const EffectLayout& Layout() const { return layout_; }

    // The dialog template a layout describes.
    static DialogTemplate MakeTemplate(const EffectLayout& layout);

protected:
    EffectPage(Unit& unit, const EffectLayout& layout, const DialogTemplate& tpl, CFStatic* graph, int block,
               QWidget* parent);
    ~EffectPage() override;

    void CreateContents() override;

    BandStripRow strips_;

private:
    QWidget* MakeControl(const ControlTemplate& c, QWidget* parent);
    void SetUpControls();
    void RegisterHandlers();
    // The current image's bytes of the block; the caller holds the model lock.
    uint8_t* BlockBytes() const;
    const EffectValueRow* RowOfSlider(int id) const;
    bool IsValueLabel(int id) const;

    void OnSlider(int id);
    void OnSwitch(int button, RecordField field);
    void OnEqPass();
    void OnEqReset();

    const EffectLayout& layout_;
    const DialogTemplate& template_;
    CFStatic* graph_;
    int firstBlock_;
    std::unique_ptr<FilterControls> highPass_, lowPass_;
};

}  // namespace pavo
