#pragma once
// A row of EQ band strips under a page's response graph: `count` strips showing consecutive bands of
// one band set from a first band on, at most one of them highlighted (red caption) for the band last
// chosen in the graph or in a strip. The strips are children of the page; the row only arranges them.
#include <vector>

class QWidget;

namespace pavo {

class CFStatic;
class EQDlg;

class BandStripRow {
public:
    // Strip i stands at (kLeft + kPitch * i, kTop) pixels of the page, keeping its template size.
    static constexpr int kLeft = 60;
    static constexpr int kPitch = 58;
    static constexpr int kTop = 5;

    // Strips for bands 0..count-1 of the block's band set, redrawing `graph` after their edits.
    BandStripRow(QWidget* page, CFStatic* graph, int block, int count);

    int Count() const { return static_cast<int>(strips_.size()); }
    EQDlg* Strip(int i) const { return strips_[i]; }
    int Block() const { return block_; }
    int First() const { return first_; }
    // The strip showing a band, or -1 when the band is not in view.
    int StripOfBand(int band) const;

    // Every strip moves to the same band of another block's set; the highlight is forgotten.
    void Bind(int block);
    // The strips show bands first.. . A highlighted strip turns white but stays the highlighted one
    // (it shows another band now); choosing a band in it colours it again.
    void ShowFrom(int first);
    void RefreshFromBand();

    // Strip i becomes the highlighted one (red caption); the previous one turns white.
    void Highlight(int strip);
    // No strip is highlighted; the one that was turns white.
    void ForgetHighlight();
    int Highlighted() const { return highlighted_; }

private:
    std::vector<EQDlg*> strips_;
    int block_;
    int first_ = 0;
    int highlighted_ = -1;
};

}  // namespace pavo
