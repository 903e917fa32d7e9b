#pragma once
// The skinned push button: draws one of six faces (normal, hover, pressed; unlatched and latched) or
// a disabled face, with the caption centred on it, and always takes the size of the face it shows.
// The latched flag is the on / off look that the owning page sets; the button never changes it. A
// click reaches the parent as WM_COMMAND with BN_CLICKED.
#include <QPushButton>
#include <array>
#include <cstdint>

namespace pavo {

class BitButton : public QPushButton {
    Q_OBJECT
public:
    enum MouseState { Normal = 0, Hover = 1, Pressed = 2 };

    explicit BitButton(QWidget* parent = nullptr);
    explicit BitButton(const QString& caption, QWidget* parent = nullptr);

    // A latched bitmap given as 0 takes the unlatched one of the same mouse state.
    void SetFaceBitmaps(int normal, int hover, int pressed, int latchedNormal, int latchedHover,
                        int latchedPressed);
    void SetDisabledBitmaps(int unlatched, int latched);
    // A disabled button shows its face faded into the page (for faces drawn in full colour, such as
    // switch boxes, whose disabled bitmaps are the enabled ones).
    void SetFadedWhenDisabled(bool faded) { fadedWhenDisabled_ = faded; }
    void SetCaptionColours(uint32_t normal, uint32_t hover, uint32_t pressed, uint32_t latchedNormal,
                           uint32_t latchedHover, uint32_t latchedPressed);
    // Repaints only when the flag changes.
    void SetLatched(bool latched);
    bool IsLatched() const { return latched_; }

    MouseState CurrentMouseState() const;
    int CurrentFace() const;  // the bitmap shown now, 0 for none
    uint32_t CurrentCaptionColour() const;
    bool IsHovered() const { return hover_; }
    bool IsPressed() const { return pressed_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void changeEvent(QEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void SetHover(bool hover);
    void FitToFace();

    std::array<int, 6> faces_{};  // unlatched normal, hover, pressed, then latched
    std::array<int, 2> disabledFaces_{};
    std::array<uint32_t, 6> captionColours_{0xFFFFFF, 0, 0, 0, 0, 0};
    bool latched_ = false;
    bool hover_ = false;
    bool pressed_ = false;
    bool fadedWhenDisabled_ = false;
};

}  // namespace pavo
