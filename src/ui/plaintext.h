#pragma once

#include <QMessageBox>
#include <QString>

class QLabel;
class QWidget;

// Every text this game shows is shown as it stands. Qt's labels, tooltips and message boxes
// guess rich text from the content, so a peer named "<img src=/dev/zero>" would have every
// window at the table read that file as a picture. Text reaches the screen only through these.
namespace PlainText {

// A label whose text is never taken for markup, however it is set later.
QLabel *label(const QString &text, QWidget *parent);
// Makes an existing label (a subclass's) show plain text.
void makePlain(QLabel *label);
// A tooltip that shows text literally: tooltips have no plain-text switch, so the text goes
// in escaped, as a paragraph that wraps.
QString toolTip(const QString &text);
// A message box, not yet shown, whose text is plain text.
QMessageBox *messageBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                        QMessageBox::StandardButtons buttons, QWidget *parent);

} // namespace PlainText
