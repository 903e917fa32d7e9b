#pragma once
// The standard trackbar: a plain horizontal slider in the platform's own look (not skinned), used
// where a page scrolls through more items than it shows. A move by the user reaches the parent as a
// sent WM_HSCROLL; setting the position from code tells nobody.
#include <QSlider>

#include "platform/WinMessage.h"

namespace pavo {

// wParam: scroll code (low word) | position (high word); lParam: the trackbar's control id.
constexpr unsigned WM_HSCROLL = 0x0114;
constexpr unsigned TB_THUMBPOSITION = 4;  // moved by a click, a key or the wheel
constexpr unsigned TB_THUMBTRACK = 5;     // being dragged
constexpr unsigned TB_ENDTRACK = 8;       // the drag ended

inline unsigned ScrollCode(WParam w) {
    return static_cast<unsigned>(w & 0xFFFF);
}
inline int ScrollPosition(WParam w) {
    return static_cast<int>((w >> 16) & 0xFFFF);
}

class Trackbar : public QSlider {
    Q_OBJECT
public:
    explicit Trackbar(QWidget* parent = nullptr);

    void SetRange(int min, int max);  // no notification
    void SetPos(int pos);             // clamped; no notification
    int GetPos() const { return value(); }

private:
    void Notify(unsigned code);

    bool settingFromCode_ = false;
};

}  // namespace pavo
