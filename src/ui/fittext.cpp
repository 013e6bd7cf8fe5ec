#include "ui/fittext.h"

#include <QFontMetrics>
#include <QLabel>

#include <climits>

#include "ui/plaintext.h"

void fitText(QLabel *label, const QString &text, int maxPoints, int minPoints)
{
    const QRect room = label->contentsRect();
    QFont font = label->font();
    label->setToolTip(QString());
    for (int points = maxPoints; points >= minPoints; --points) {
        font.setPointSize(points);
        if (QFontMetrics(font).horizontalAdvance(text) <= room.width()) {
            label->setFont(font);
            label->setWordWrap(false);
            label->setText(text);
            return;
        }
    }
    font.setPointSize(minPoints);
    label->setFont(font);
    const QFontMetrics metrics(font);
    const QRect wrapped =
        metrics.boundingRect(QRect(0, 0, room.width(), INT_MAX), Qt::AlignCenter | Qt::TextWordWrap, text);
    if (wrapped.width() <= room.width() && wrapped.height() <= room.height()) {
        label->setWordWrap(true);
        label->setText(text);
        return;
    }
    label->setWordWrap(false);
    label->setText(metrics.elidedText(text, Qt::ElideMiddle, room.width()));
    label->setToolTip(PlainText::toolTip(text));
}
