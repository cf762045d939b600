#include "ui/widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <cmath>

namespace zelui {

QPixmap AlarmPixmap(bool raised, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(size / 2.0, size / 2.0);
    const double r = size * 0.46;
    // Disc: yellow when the alarm is raised, soft grey-green when idle.
    p.setPen(QPen(raised ? QColor(0x80, 0, 0) : QColor(0x50, 0x60, 0x50), size / 40.0));
    p.setBrush(raised ? QColor(0xFF, 0xD0, 0x00) : QColor(0xD8, 0xE4, 0xD8));
    p.drawEllipse(c, r, r);
    // The three blades of the radiation sign and its hub.
    const QColor ink = raised ? QColor(0xC0, 0x00, 0x00) : QColor(0x70, 0x80, 0x70);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const double ri = r * 0.22, ro = r * 0.86;
    for (int k = 0; k < 3; ++k) {
        const double a0 = -90.0 + 120.0 * k - 30.0; // degrees, blades centred on 30°, 150°, 270°
        QPainterPath path;
        const QRectF outer(c.x() - ro, c.y() - ro, 2 * ro, 2 * ro);
        const QRectF inner(c.x() - ri, c.y() - ri, 2 * ri, 2 * ri);
        path.arcMoveTo(outer, -a0);
        path.arcTo(outer, -a0, -60.0);
        path.arcTo(inner, -(a0 + 60.0), 60.0);
        path.closeSubpath();
        p.drawPath(path);
    }
    p.setBrush(raised ? QColor(0xFF, 0xD0, 0x00) : QColor(0xD8, 0xE4, 0xD8));
    p.drawEllipse(c, ri * 0.95, ri * 0.95);
    p.setBrush(ink);
    p.drawEllipse(c, ri * 0.65, ri * 0.65);
    return pm;
}

QPixmap AppIconPixmap(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/zelvanor.svg"));
    QPainter p(&pm);
    if (svg.isValid()) svg.render(&p, QRectF(0, 0, size, size));
    return pm;
}

AlarmPicture::AlarmPicture(bool raised, QWidget* parent) : QLabel(parent) {
    setFixedSize(80, 80);
    setPixmap(AlarmPixmap(raised, 80));
}

void AlarmPicture::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick)
        onClick();
    QLabel::mouseReleaseEvent(e);
}

void AlarmPicture::mouseDoubleClickEvent(QMouseEvent* e) {
    if (onDoubleClick) onDoubleClick();
    QLabel::mouseDoubleClickEvent(e);
}

AlarmArea::AlarmArea(QWidget* parent) : QWidget(parent) {
    setFixedSize(80, 80);
}

void AlarmArea::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick)
        onClick();
    QWidget::mouseReleaseEvent(e);
}

void AlarmArea::mouseDoubleClickEvent(QMouseEvent* e) {
    if (onDoubleClick) onDoubleClick();
    QWidget::mouseDoubleClickEvent(e);
}

Indicator::Indicator(QWidget* parent) : QWidget(parent) {
    setFixedSize(16, 16);
}

void Indicator::setColor(uint32_t rgb) {
    if (rgb == rgb_) return;
    rgb_ = rgb;
    update();
}

void Indicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor::fromRgb(rgb_));
    p.drawEllipse(QRectF(1.5, 1.5, width() - 3, height() - 3));
}

} // namespace zelui
