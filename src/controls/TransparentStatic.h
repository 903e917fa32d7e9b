#pragma once
// The caption label of the pages: white text straight on the page background.
#include <QLabel>

namespace pavo {

class CTransparentStatic : public QLabel {
    Q_OBJECT
public:
    explicit CTransparentStatic(QWidget* parent = nullptr);
    explicit CTransparentStatic(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
};

}  // namespace pavo
