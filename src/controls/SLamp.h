#pragma once
// Level meter: 17 stacked segments form the level bar (16 green, the top one yellow) and an 18th,
// orange segment above them is a separate indicator. The system page feeds it the unit's status bytes.
#include <QWidget>
#include <array>
#include <cstdint>

namespace pavo {

class SLamp : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSegments = 18;
    static constexpr int kIndicator = 17;
    static constexpr uint32_t kBackground = 0x848484;

    explicit SLamp(QWidget* parent = nullptr);

    // Computes the segment rectangles from the client rectangle; the page calls it once after layout.
    void LayoutSegments();
    // Lights segments 0..16 for a level: nothing below 110, one segment per 6 steps above, the top
    // (yellow) segment from 200. Levels above 200 count as 200.
    void SetLevel(int level);
    // The indicator segment is shown while the value is below 200.
    void SetIndicator(int value);
    void AllOff();

    bool IsSegmentShown(int i) const { return segments_[i].shown; }
    QRect SegmentRect(int i) const { return segments_[i].rect; }
    uint32_t SegmentColour(int i) const { return segments_[i].colour; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    struct Segment {
        QRect rect;
        uint32_t colour = 0;
        bool shown = false;
        bool pending = false;
    };
    void Paint();

    std::array<Segment, kSegments> segments_{};
    bool repaintNeeded_ = true;
};

}  // namespace pavo
