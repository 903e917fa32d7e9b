#include "pages/PageDlg.h"

#include <QPainter>

#include "platform/DialogTemplate.h"
#include "platform/Skin.h"

namespace pavo {

PageDlg::PageDlg(QWidget* parent) : QWidget(parent) {
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
