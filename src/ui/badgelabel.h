#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>

// A short caption drawn as a round badge: light text on a dark disc with a light rim, as the
// numbers on the dice are. The badge is drawn once per text, size and screen density and then
// only copied, so a board that moves and repaints its dice often pays nothing for the text.
class BadgeLabel : public QLabel {
public:
    BadgeLabel(const QString &text, QWidget *parent);

    void setBadgeColours(const QColor &text, const QColor &fill, const QColor &rim);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap render(qreal density) const;

    QColor text_ = Qt::white;
    QColor fill_ = Qt::black;
    QColor rim_ = Qt::white;
    QPixmap badge_;
    QString badgeText_;
};
