#pragma once

#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <functional>

#include "session/chatlinks.h"

class QKeyEvent;

// The chat view `mainchat`: read-only lines, bold up to the first ":", each in its colour.
// It keeps the newest kMaxLines lines and shows at most kMaxLineLength characters of one, so a
// stranger cannot make it, and the thread it shares with the host, slow or full. With the
// scroll lock on, the lines in view stay in view while new lines arrive and old ones go.
class ChatView : public QPlainTextEdit {
    Q_OBJECT

public:
    static constexpr int kMaxLines = 5000;
    static constexpr int kMaxLineLength = 1000;

    explicit ChatView(QWidget *parent = nullptr);

    // addlinetochat's work: appends one line as text (never as markup).
    void addLine(const QString &text, const QColor &color);
    void setScrollLocked(bool locked) { scrollLocked_ = locked; }
    bool scrollLocked() const { return scrollLocked_; }
    // The selected text, plain.
    QString selectedText() const;
    // The link under a point of the viewport, if any.
    std::optional<ChatLinks::Link> linkAt(const QPoint &viewportPos) const;

signals:
    // A left click on a link; its characters are selected.
    void linkClicked(const ChatLinks::Link &link);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool scrollLocked_ = false;
};

// The chat input `mychat`: its first text "<Enter Chat Here>" goes with the first key, and
// Enter sends (the owner connects `sendRequested`).
class ChatInput : public QLineEdit {
    Q_OBJECT

public:
    explicit ChatInput(QWidget *parent = nullptr);

signals:
    void sendRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// Sends what is typed while a part of the window that takes no text has the focus (the chat
// view, the board, the card, a phrase button) to the chat input, as if it had been typed there:
// printable keys and Enter. Everything else (arrows, Page Up/Down, selection, Copy, the game's
// keys, the Space that presses a button) stays where it was pressed.
class KeysToChatInput : public QObject {
    Q_OBJECT

public:
    // Installs itself on each of the watched widgets; lives as long as the input.
    KeysToChatInput(ChatInput *input, const QList<QWidget *> &watched);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static bool typesIntoChat(const QKeyEvent &event);

    ChatInput *input_;
};
