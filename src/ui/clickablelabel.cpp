#include "ui/clickablelabel.h"

#include <QMouseEvent>

#include "ui/plaintext.h"

ClickableLabel::ClickableLabel(QWidget *parent)
    : QLabel(parent)
{
    PlainText::makePlain(this);
}

ClickableLabel::ClickableLabel(const QString &text, QWidget *parent)
    : QLabel(parent)
{
    PlainText::makePlain(this);
    setText(text);
}

void ClickableLabel::setHoverColours(const QColor &text, const QColor &hoverText, const QColor &hoverBackground)
{
    hoverColours_ = true;
    text_ = text;
    hoverText_ = hoverText;
    hoverBackground_ = hoverBackground;
    showHover(false);
}

void ClickableLabel::showHover(bool on)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, on ? hoverText_ : text_);
    colours.setColor(QPalette::Window, hoverBackground_);
    setPalette(colours);
    setAutoFillBackground(on);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && isEnabled() && rect().contains(event->position().toPoint()))
        emit clicked();
}

void ClickableLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    if (hoverColours_)
        showHover(true);
}

void ClickableLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    if (hoverColours_)
        showHover(false);
}
