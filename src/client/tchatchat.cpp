// The chat view: every line of every part of the client ends up here.

#include "client/tchat.h"

#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <cstdio>

namespace {

// Start-up benchmarks and scripts wait for this line; MORVELLO_REPORT_READY=1 prints it.
void reportReadyLine(const QString &text)
{
    static const bool report = qEnvironmentVariableIntValue("MORVELLO_REPORT_READY") != 0;
    if (report) {
        std::fprintf(stdout, "morvello: %s\n", text.toUtf8().constData());
        std::fflush(stdout);
    }
}

} // namespace

void Tchat::addlinetochat(const QString &text, const QColor &color)
{
    mainchat->setUpdatesEnabled(false);
    QScrollBar *scroll = mainchat->verticalScrollBar();
    const int firstVisible = scroll->value();

    // Written through a cursor of its own, so the reader's caret and selection stay put.
    QTextCursor cursor(mainchat->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(color);
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        format.setFontWeight(QFont::Bold);
        cursor.insertText(text.left(colon + 1), format);
    }
    format.setFontWeight(QFont::Normal);
    cursor.insertText(text.mid(colon + 1) + QStringLiteral("\r\n"), format);

    if (scrollChatOff()) {
        scroll->setValue(firstVisible);
    } else {
        mainchat->moveCursor(QTextCursor::End);
        scroll->setValue(scroll->maximum());
    }
    mainchat->setUpdatesEnabled(true);
    mainchat->viewport()->update();

    if (text == QLatin1String("You are Connected."))
        reportReadyLine(text);
}
