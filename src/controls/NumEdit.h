#pragma once
// The numeric edit of the pages: holds a parameter's raw code, shows it in engineering units (a
// frequency, a Q or a scaled gain), accepts only numeric typing and converts what was typed back to
// the nearest code when it loses the focus. Every change reaches the parent as a sent
// WM_NUMEDIT_CHANGED (wParam 0, lParam control id); the parent reads the code with GetValue.
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <cstdint>

namespace pavo {

class BitmapSlider;

class NumEdit : public QLineEdit {
    Q_OBJECT
public:
    enum Kind { Frequency = 4, Q = 11, Scaled = 23 };

    explicit NumEdit(QWidget* parent = nullptr);

    void SetKind(int kind, const QString& unit = {});  // then Refresh
    int Kind() const { return kind_; }
    void SetRange(int min, int max);  // the value becomes the minimum; no refresh
    int MinCode() const { return min_; }
    int MaxCode() const { return max_; }
    void SetScale(double scale) { scale_ = scale; }
    void SetOffset(double offset) { offset_ = offset; }
    // Codes outside the range are ignored.
    void SetValue(int code);
    // Commits pending typed text first (silently).
    int GetValue();
    void SetBuddySlider(BitmapSlider* slider) { buddy_ = slider; }
    void Refresh();
    bool HasPendingText() const { return pendingText_; }

    void SetTextColour(uint32_t colour);
    void SetBackgroundColour(uint32_t colour);

    // The text a code shows as, for this edit's kind, scale, offset and unit.
    QString TextOfCode(int code) const;

protected:
    void keyPressEvent(QKeyEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    void ApplyColours();
    void NotifyChanged();
    double ScaledLow() const { return min_ * scale_ - offset_; }
    double ScaledHigh() const { return max_ * scale_ - offset_; }
    int ScaledCode(double value) const;
    double TypedNumber() const;
    void StepBy(int step);

    int value_ = 0;
    int kind_ = 0;
    int min_ = 0, max_ = 0;
    bool pendingText_ = false;
    double scale_ = 1.0, offset_ = 0.0;
    QString unit_;
    uint32_t textColour_;
    uint32_t backgroundColour_;
    int16_t wheelAccumulator_ = 0;
    QPointer<BitmapSlider> buddy_;
};

// The number a typed text starts with, as the C library reads it ("20.0Hz" is 20, "abc" is 0).
double LeadingNumber(const QString& text);

}  // namespace pavo
