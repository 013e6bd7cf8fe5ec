// The chat view: every line of every part of the client ends up here.

#include "client/tchat.h"

#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <cstdio>

namespace {

// A diagnostic for scripts, benchmarks and end-to-end tests that watch a running game from
// outside: MORVELLO_ECHO_CHAT=1 copies every chat line to standard output as "chat: <line>".
void echoChatLine(const QString &text)
{
    static const bool echo = qEnvironmentVariableIntValue("MORVELLO_ECHO_CHAT") != 0;
    if (echo) {
        std::fprintf(stdout, "chat: %s\n", text.toUtf8().constData());
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
    echoChatLine(text);
}
