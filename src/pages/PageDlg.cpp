#include "pages/PageDlg.h"

#include <QPainter>

#include "platform/DialogTemplate.h"
#include "platform/Skin.h"

namespace pavo {

PageDlg::PageDlg(QWidget* parent) : QWidget(parent) {
    setFont(TemplateFont());
    setAutoFillBackground(false);
}

void PageDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), PageBackground());
}

}  // namespace pavo
