#pragma once

// A main window driven without a real host: bytes are fed in and Timer1 is run by hand.
// Shared by the tests of the window's chat, roster and tally.

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTextBlock>

#include "client/tchat.h"
#include "protocol/message.h"
#include "windows/tspylist.h"

// Message text with '#' standing for the terminator.
inline QByteArray ff(const char *text)
{
    QByteArray bytes(text);
    bytes.replace('#', kTerminator);
    return bytes;
}

// One run of equal formatting in a chat line.
struct Run {
    QString text;
    bool bold;
    QColor colour;
    bool underlined = false;
};

inline QList<Run> runsOfLine(QPlainTextEdit *view, int line)
{
    QList<Run> runs;
    const QTextBlock block = view->document()->findBlockByNumber(line);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        runs.append({fragment.text(), fragment.charFormat().fontWeight() == QFont::Bold,
                     fragment.charFormat().foreground().color(), fragment.charFormat().fontUnderline()});
    }
    return runs;
}

struct ChatFixture {
    Tchat chat;
    Tspylist spylist;
    QSignalSpy sent{&chat, &Tchat::messageSent};

    explicit ChatFixture(TchatWindows windows = {})
    {
        windows.spylist = &spylist;
        chat.setWindows(windows);
    }

    QPlainTextEdit *view() const { return chat.findChild<QPlainTextEdit *>(QStringLiteral("mainchat")); }
    QStringList lines() const
    {
        QStringList all = view()->toPlainText().split(QLatin1Char('\n'));
        if (!all.isEmpty() && all.last().isEmpty())
            all.removeLast();
        return all;
    }
    QString lastLine() const { return lines().value(lines().size() - 1); }
    // The chat lines holding a text, each with the colour it begins in.
    QList<QColor> linesWith(const QString &text) const
    {
        QList<QColor> colours;
        for (QTextBlock block = view()->document()->begin(); block.isValid(); block = block.next()) {
            if (block.text().contains(text))
                colours.append(block.begin().fragment().charFormat().foreground().color());
        }
        return colours;
    }
    // The spy list's entries as shown.
    QStringList spies() const
    {
        QStringList texts;
        const QAbstractItemModel *model = spylist.listbox_spys()->model();
        for (int row = 0; model && row < model->rowCount(); ++row)
            texts.append(model->index(row, 0).data().toString());
        return texts;
    }
    QLabel *label(const QString &name) const { return chat.findChild<QLabel *>(name); }
    QAction *action(const QString &name) const { return chat.findChild<QAction *>(name); }

    // Feeds messages and handles all of them.
    void deliver(const char *text) { deliverBytes(ff(text)); }
    void deliver(const QString &message) { deliverBytes(toWire(message) + kTerminator); }
    void deliverBytes(const QByteArray &bytes)
    {
        chat.receiveBytes(bytes);
        while (!chat.receivedlist().isEmpty())
            chat.Timer1Timer();
    }
};
