#include "widgets/LedIndicator.h"

#include <QPainter>
#include <QRadialGradient>

LedIndicator::LedIndicator(QWidget* parent) : QWidget(parent)
{
    setFixedSize(kSize, kSize);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void LedIndicator::setLit(bool lit)
{
    if (lit == lit_) return;
    lit_ = lit;
    update();
    emit changed(lit_);
}

void LedIndicator::setOnColour(const QColor& colour)
{
    onColour_ = colour;
    update();
}

void LedIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    QColor face = lit_ ? onColour_ : onColour_.darker(330);
    if (!isEnabled()) face = QColor::fromHsv(face.hsvHue(), face.hsvSaturation() / 4, face.value());

    const qreal radius = (kSize - 4) / 2.0;
    const QPointF centre(width() / 2.0, height() / 2.0);
    // A highlight up and to the left makes the lamp read as round glass.
    QRadialGradient glass(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    glass.setColorAt(0.0, lit_ ? face.lighter(170) : face.lighter(140));
    glass.setColorAt(1.0, face);
    painter.setBrush(glass);
    painter.setPen(QPen(palette().color(QPalette::Dark), 1));
    painter.drawEllipse(centre, radius, radius);
}
