#pragma once
// A small page with one response graph over a row of EQ band strips on one band set: the graph and
// the strips working together as a real EQ page uses them, before those pages exist. Used by the
// tests and the gallery.
#include "pages/BandStripRow.h"
#include "pages/PageDlg.h"

namespace pavo {

class CFStatic;

class EqHarnessPage : public PageDlg {
    Q_OBJECT
public:
    // Strips for the first `stripCount` bands of the block's band set (fewer when it has fewer).
    EqHarnessPage(Unit& unit, int blockNumber, int stripCount = 10, QWidget* parent = nullptr);

    // Switches graph and strips to another block with the same page index (the other channel).
    void ShowBlock(int blockNumber);
    void RefreshFromModel() override;

    CFStatic* Graph() const { return graph_; }
    EQDlg* Strip(int i) const { return strips_.Strip(i); }
    int StripCount() const { return strips_.Count(); }
    int HighlightedStrip() const { return strips_.Highlighted(); }
    int BlockNumber() const { return block_; }

    // The page index whose band sets a graph of this block lays out.
    static int PageIndexOfBlock(int blockNumber);

private:
    CFStatic* graph_ = nullptr;
    BandStripRow strips_;
    int block_ = 0;
};

}  // namespace pavo
