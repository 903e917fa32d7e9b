#pragma once
// The controls of one high-pass or low-pass filter on a page: its slope combo, its frequency edit and
// its frequency slider, kept showing the same code. Edits go through the filter object of the band
// set the page shows, and select that filter in the graph.
#include <QString>

class QWidget;

namespace pavo {

class BitComboBox;
class BitmapSlider;
class CFilter;
class CFStatic;
class CKTVEQ;
class NumEdit;

class FilterControls {
public:
    enum Which { HighPass, LowPass };
    struct Ids {
        int combo, edit, slider;
    };

    // Finds the three controls on `page` and sets them up: slider and edit over the 362 frequency
    // codes (edit in Hz, with `unit` after the number), the combo with the thirteen slopes.
    FilterControls(QWidget* page, Which which, Ids ids, const QString& unit = QStringLiteral("Hz"));

    // The filter of this kind in `set`, redrawn on `graph`.
    void Bind(CKTVEQ* set, CFStatic* graph);
    CFilter* Filter() const { return filter_; }

    // Slope and frequency from the filter's record.
    void Refresh();
    // Frequency only (after a drag on the graph).
    void ShowFrequency();
    void SetEnabled(bool enable);

    // The page's handlers; each answers whether the control was one of these.
    bool OnSlider(int id);
    bool OnEdit(int id);
    bool OnCombo(int id);

private:
    void SetFrequency(int code);
    void SelectInGraph();

    Which which_;
    Ids ids_;
    BitComboBox* combo_;
    NumEdit* edit_;
    BitmapSlider* slider_;
    CKTVEQ* set_ = nullptr;
    CFilter* filter_ = nullptr;
    CFStatic* graph_ = nullptr;
};

}  // namespace pavo
