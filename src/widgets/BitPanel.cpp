#include "widgets/BitPanel.h"

#include <QMouseEvent>
#include <QPainter>

BitPanel::BitPanel(const QString& caption, QWidget* parent) : QFrame(parent), text_(caption)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void BitPanel::setColour(uint bgr)
{
    bgr &= 0xFFFFFF;
    if (bgr == colour_) return;
    colour_ = bgr;
    update();
}

void BitPanel::setText(const QString& text)
{
    if (text == text_) return;
    text_ = text;
    updateGeometry();
    update();
}

QSize BitPanel::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const int frame = 2 * frameWidth();
    return {std::max(metrics.horizontalAdvance(text_) + 6, 24) + frame,
            metrics.height() + 2 + frame};
}

QSize BitPanel::minimumSizeHint() const
{
    return {16, fontMetrics().height() + 2 * frameWidth()};
}

void BitPanel::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        const QColor face(static_cast<int>(colour_ & 0xFF), static_cast<int>((colour_ >> 8) & 0xFF),
                          static_cast<int>((colour_ >> 16) & 0xFF));
        painter.fillRect(contentsRect(), face);
        // Dark text on the light faces; a bit the user may not change reads grey.
        painter.setPen(isEnabled() ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80));
        painter.drawText(contentsRect(), Qt::AlignCenter | Qt::TextSingleLine, text_);
    }
    QFrame::paintEvent(event);
}

void BitPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        event->accept();
        return;
    }
    QFrame::mousePressEvent(event);
}

void BitPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        event->accept();
        if (rect().contains(event->position().toPoint())) emit clicked();
        return;
    }
    QFrame::mouseReleaseEvent(event);
}
