#pragma once
// Edit for names and passwords the unit stores as single-byte text: characters outside ASCII are
// discarded as they are typed, and every typed character notifies the parent with EN_CHANGE. Text set
// by the program does not notify.
#include <QLineEdit>
#include <cstdint>

namespace pavo {

class EnglishEdit : public QLineEdit {
    Q_OBJECT
public:
    static constexpr uint32_t kTextColour = 0xFAFAFA;
    static constexpr uint32_t kBackgroundColour = 0x2E2D24;

    explicit EnglishEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;

private:
    void NotifyParent();
    void InvalidateParent();
};

}  // namespace pavo
