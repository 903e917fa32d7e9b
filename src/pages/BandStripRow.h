#pragma once
// A row of EQ band strips under a page's response graph: `count` strips showing consecutive bands of
// one band set from a first band on, and the strip whose caption is highlighted (red) because its band
// was chosen last in the graph or in a strip. The strips are children of the page; the row only
// arranges them.
#include <QPoint>
#include <vector>

class QWidget;

namespace pavo {

class CFStatic;
class EQDlg;

class BandStripRow {
public:
    // The first strip's top-left corner on the page, and the usual distance between strips.
    static constexpr QPoint kOrigin{60, 5};
    static constexpr int kPitch = 58;

    // Creates `count` strips as children of `page`, the first at kOrigin and each next one `pitch`
    // pixels to the right, drawing on `graph`, on the band set of `block`, strip i showing band i. No
    // strip is highlighted.
    void Create(QWidget* page, CFStatic* graph, int block, int count, int pitch = kPitch);

    int Count() const { return static_cast<int>(strips_.size()); }
    EQDlg* Strip(int i) const { return strips_[i]; }
    int Block() const { return block_; }
    int First() const { return first_; }

    // Every strip: BindBandSet(block, rebind).
    void BindBandSet(int block, bool rebind);
    // Every strip moves to the same band of another block's set and links that band to its gain
    // slider, so graph drags move the slider; the highlight is forgotten.
    void Bind(int block);
    // The strips show bands first.. . A highlighted strip turns white but stays the highlighted one
    // (it shows another band now).
    void ShowFrom(int first);
    void RefreshFromBand();
    void SetEnabled(bool enable);

    // The strip becomes the highlighted one (red caption) and the previous one turns white; the strip
    // already highlighted keeps whatever colour its caption has. A strip outside the row changes
    // nothing.
    void Highlight(int strip);
    // As Highlight, but the previous strip always turns white first, so highlighting the same strip
    // again turns it red.
    void HighlightAgain(int strip);
    // The highlighted strip's caption turns white; it stays the highlighted one.
    void WhitenHighlighted();
    // The highlighted strip's caption turns white and no strip is highlighted any more.
    void ForgetHighlight();
    int Highlighted() const { return highlighted_; }

private:
    void SetCaptionColour(int strip, bool red);

    std::vector<EQDlg*> strips_;
    int block_ = -1;
    int first_ = 0;
    int highlighted_ = -1;
};

}  // namespace pavo
