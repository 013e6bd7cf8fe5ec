#include "ui/badgelabel.h"

#include <QPainter>

#include "ui/plaintext.h"

BadgeLabel::BadgeLabel(const QString &text, QWidget *parent)
    : QLabel(parent)
{
    PlainText::makePlain(this);
    setText(text);
    setAlignment(Qt::AlignCenter);
}

void BadgeLabel::setBadgeColours(const QColor &text, const QColor &fill, const QColor &rim)
{
    text_ = text;
    fill_ = fill;
    rim_ = rim;
    badge_ = QPixmap();
    update();
}

QPixmap BadgeLabel::render(qreal density) const
{
    QPixmap badge(size() * density);
    badge.setDevicePixelRatio(density);
    badge.fill(Qt::transparent);
    QPainter painter(&badge);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(rim_, 1.0));
    painter.setBrush(fill_);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(text_);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
    return badge;
}

void BadgeLabel::paintEvent(QPaintEvent *)
{
    const qreal density = devicePixelRatioF();
    if (badge_.isNull() || badge_.devicePixelRatio() != density || badge_.size() != size() * density
        || badgeText_ != text()) {
        badge_ = render(density);
        badgeText_ = text();
    }
    QPainter(this).drawPixmap(0, 0, badge_);
}
