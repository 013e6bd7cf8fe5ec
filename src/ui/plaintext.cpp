#include "ui/plaintext.h"

#include <QLabel>
#include <QTextDocument>

namespace PlainText {

QLabel *label(const QString &text, QWidget *parent)
{
    auto *widget = new QLabel(parent);
    makePlain(widget);
    widget->setText(text);
    return widget;
}

void makePlain(QLabel *label)
{
    label->setTextFormat(Qt::PlainText);
}

QString toolTip(const QString &text)
{
    if (text.isEmpty())
        return text;
    return Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

QMessageBox *messageBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                        QMessageBox::StandardButtons buttons, QWidget *parent)
{
    auto *box = new QMessageBox(icon, title, QString(), buttons, parent);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    return box;
}

} // namespace PlainText
