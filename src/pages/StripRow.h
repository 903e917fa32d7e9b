#pragma once
// The row of EQ band strips of a page, under the page's response graph, and the strip whose caption
// is highlighted (red) because its band was edited last.
#include <QPoint>
#include <vector>

class QWidget;

namespace pavo {

class CFStatic;
class EQDlg;

class StripRow {
public:
    // Creates `count` strips as children of `parent`, the first at `origin` and each next one `pitch`
    // pixels to the right, drawing on `graph`, on the band set of `block` (not re-bound), strip i
    // showing band i. No strip is highlighted.
    void Create(QWidget* parent, CFStatic* graph, int block, int count, QPoint origin, int pitch);

    int Count() const { return static_cast<int>(strips_.size()); }
    EQDlg* Strip(int i) const { return strips_[i]; }

    // Every strip: BindBandSet(block, rebind).
    void BindBandSet(int block, bool rebind);
    // Every strip shows its band's record.
    void RefreshFromBand();
    // Every strip takes its band again (after a reset of the block) and shows it.
    void ResetBandIndexes();
    void SetEnabled(bool enable);

    // The strip at `index` becomes the highlighted one (red), the previous one turns white; the
    // strip already highlighted keeps whatever colour its caption has.
    void Highlight(int index);
    // As Highlight, but the previous strip always turns white first, so highlighting the same strip
    // again turns it red.
    void HighlightAgain(int index);
    // The highlighted strip's caption turns white; it stays the highlighted one.
    void WhitenHighlighted();
    // The highlighted strip's caption turns white and no strip is highlighted any more.
    void ForgetHighlight();
    int Highlighted() const { return highlighted_; }

private:
    void SetCaptionColour(int index, bool red);

    std::vector<EQDlg*> strips_;
    int highlighted_ = -1;
};

}  // namespace pavo
