#include "pages/PageDlg.h"

#include <QPainter>

#include "platform/Skin.h"

namespace pavo {

PageDlg::PageDlg(Unit& unit, QWidget* parent) : QWidget(parent), unit_(unit) {
    setFont(TemplateFont());
    setAutoFillBackground(false);
}

void PageDlg::EnsureCreated() {
    if (created_ || creating_) return;
    creating_ = true;
    // Building from a dialog template sizes the page to the template; a page the window has placed
    // already keeps its place.
    const bool placed = testAttribute(Qt::WA_Resized);
    const QRect place = geometry();
    CreateContents();
    if (placed) setGeometry(place);
    creating_ = false;
    created_ = true;
    ApplyLanguage();
}

void PageDlg::CreateControls(const DialogTemplate& tpl, const ControlFactory& factory) {
    CreateFromTemplate(this, tpl, factory);
    items_.Build(this);
}

void PageDlg::OnSliders(std::function<void(int)> handler) {
    auto slider = [handler = std::move(handler)](WParam id, LParam) {
        handler(static_cast<int>(id));
        return LResult{0};
    };
    OnMessage(WM_SLIDER_TRACKING, slider);
    OnMessage(WM_SLIDER_CHANGED, slider);
}

void PageDlg::showEvent(QShowEvent* e) {
    EnsureCreated();
    QWidget::showEvent(e);
}

void PageDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), PageBackground());
}

}  // namespace pavo
