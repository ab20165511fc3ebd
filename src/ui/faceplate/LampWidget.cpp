#include "faceplate/LampWidget.h"

#include "monitor/DisplayModel.h"

#include <QPainter>
#include <QRadialGradient>

LampWidget::LampWidget(const QString& name, QWidget* parent)
    : QWidget(parent) {
    setObjectName(name);
    setFixedSize(sizeHint());
}

void LampWidget::setLit(bool lit) {
    if (m_lit == lit)
        return;
    m_lit = lit;
    update();
}

QColor LampWidget::color() const {
    return QColor::fromRgb(DisplayModel::toRgb(m_lit ? kLit : kDark));
}

void LampWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    QRadialGradient glow(r.center() - QPointF(r.width() / 6, r.height() / 6), r.width() / 1.6);
    glow.setColorAt(0.0, color().lighter(m_lit ? 160 : 130));
    glow.setColorAt(1.0, color());
    painter.setBrush(glow);
    painter.setPen(QPen(QColor(10, 10, 10), 1.5));
    painter.drawEllipse(r);
}
