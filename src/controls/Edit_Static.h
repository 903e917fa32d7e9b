#pragma once
// The value label of the pages and the main window: shows a raw code as text by a display kind, with
// a transparent background over the page.
#include <QFont>
#include <QLabel>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/WinMessage.h"

namespace pavo {

class Edit_Static : public QLabel, public MessageTarget {
    Q_OBJECT
public:
    // Display kinds.
    enum Kind {
        Attack = 5,         // AttackLabels[c]
        Release = 6,        // ReleaseLabels[c]
        Ratio = 12,         // RatioLabels[c]
        Real = 14,          // c * real scale - real offset, "%.1f"
        Integer = 20,       // c * scale - offset, "%d"
        OffOrInteger = 47,  // "OFF" at the minimum, otherwise as Integer
        Distance = 48,      // a delay in 0.1 ms as metres of sound travel, "%.3fm"
        Tenths = 49,        // a code in tenths: "%d" when whole, otherwise "%.1f"
    };

    explicit Edit_Static(QWidget* parent = nullptr);

    void SetRange(int min, int max);
    void SetIntScale(int scale, int offset, const QString& unit = {});
    void SetRealScale(double scale, double offset, const QString& unit = {});
    void SetDisplayKind(int kind) { kind_ = kind; }
    int DisplayKind() const { return kind_; }
    // Clamps the code to the range, shows it and redraws.
    void SetValue(int code);
    int Value() const { return value_; }

    void SetTextColours(uint32_t enabled, uint32_t disabled);
    void SetLabelFont(const QFont& font) {
        font_ = font;
        update();
    }

    // The text of a code for this label's kind, scales and unit (no clamping).
    QString TextOfCode(int code) const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int min_ = 0, max_ = 0, value_ = 0;
    int kind_ = Integer;
    QString unit_;
    int intScale_ = 1, intOffset_ = 0;
    double realScale_ = 0, realOffset_ = 0;
    uint32_t enabledColour_;
    uint32_t disabledColour_;
    std::optional<QFont> font_;
};

}  // namespace pavo
