#include "client/chatpanel.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <algorithm>

#include "client/clienttexts.h"
#include "protocol/message.h"

ChatView::ChatView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("mainchat"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setMaximumBlockCount(kMaxLines);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    // Links are pointed at with the arrow, not the text cursor.
    viewport()->setCursor(Qt::ArrowCursor);
}

void ChatView::addLine(const QString &line, const QColor &color)
{
    // Whoever wrote the line, it stays one line: a line break in it cannot forge another.
    const QString text =
        withoutControls(line.size() > kMaxLineLength ? line.left(kMaxLineLength) + QStringLiteral("...") : line);
    setUpdatesEnabled(false);
    QScrollBar *scroll = verticalScrollBar();
    int firstVisible = scroll->value();
    QTextDocument *doc = document();
    const bool empty = doc->isEmpty();
    // The oldest line goes when the view is full; the lines in view move up by its height.
    const int leaving = !empty && doc->blockCount() >= kMaxLines ? doc->firstBlock().lineCount() : 0;

    // Written through a cursor of its own, so the reader's caret and selection stay put.
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(color);
    if (!empty)
        cursor.insertBlock(QTextBlockFormat(), format);
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        format.setFontWeight(QFont::Bold);
        cursor.insertText(text.left(colon + 1), format);
    }
    format.setFontWeight(QFont::Normal);
    cursor.insertText(text.mid(colon + 1), format);

    // Links that open look like links.
    const int lineStart = cursor.block().position();
    for (const ChatLinks::Link &link : ChatLinks::linksToOpen(text)) {
        QTextCursor span(doc);
        span.setPosition(lineStart + int(link.start));
        span.setPosition(lineStart + int(link.start + link.length), QTextCursor::KeepAnchor);
        QTextCharFormat linkFormat;
        linkFormat.setFontUnderline(true);
        linkFormat.setForeground(palette().color(QPalette::Link));
        span.mergeCharFormat(linkFormat);
    }

    if (scrollLocked_) {
        scroll->setValue(qMax(0, firstVisible - leaving));
    } else {
        scroll->setValue(scroll->maximum());
    }
    setUpdatesEnabled(true);
    viewport()->update();
}

QString ChatView::selectedText() const
{
    return textCursor().selection().toPlainText();
}

std::optional<ChatLinks::Link> ChatView::linkAt(const QPoint &viewportPos) const
{
    const QTextCursor at = cursorForPosition(viewportPos);
    const QTextBlock block = at.block();
    if (!block.isValid())
        return std::nullopt;
    // Below the last line, or beside the end of a line, there is no character to point at.
    const QRectF area = blockBoundingGeometry(block).translated(contentOffset());
    if (!area.contains(viewportPos))
        return std::nullopt;
    const QRect caret = cursorRect(at);
    qsizetype index = at.positionInBlock();
    // The cursor lands between characters; the character under the pointer is the one after
    // it when the pointer is right of the caret, else the one before.
    if (viewportPos.x() < caret.x() && index > 0)
        --index;
    std::optional<ChatLinks::Link> link = ChatLinks::linkAt(block.text(), index);
    if (link)
        link->start += block.position();
    return link;
}

void ChatView::mouseMoveEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseMoveEvent(event);
    viewport()->setCursor(linkAt(event->position().toPoint()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void ChatView::mousePressEvent(QMouseEvent *event)
{
    QPlainTextEdit::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const std::optional<ChatLinks::Link> link = linkAt(event->position().toPoint());
    if (!link)
        return;
    QTextCursor select(document());
    select.setPosition(int(link->start));
    select.setPosition(int(link->start + link->length), QTextCursor::KeepAnchor);
    setTextCursor(select);
    emit linkClicked(*link);
}

ChatInput::ChatInput(QWidget *parent)
    : QLineEdit(ClientText::enterChat, parent)
{
    setObjectName(QStringLiteral("mychat"));
}

void ChatInput::keyPressEvent(QKeyEvent *event)
{
    if (text() == ClientText::enterChat)
        clear();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit sendRequested();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

KeysToChatInput::KeysToChatInput(ChatInput *input, const QList<QWidget *> &watched)
    : QObject(input), input_(input)
{
    for (QWidget *widget : watched) {
        if (widget)
            widget->installEventFilter(this);
    }
}

bool KeysToChatInput::typesIntoChat(const QKeyEvent &event)
{
    // Ctrl, Alt and Meta make a key a command (Copy, the game's keys), never text.
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return true;
    const QString text = event.text();
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

bool KeysToChatInput::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || watched == input_)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (!typesIntoChat(*key) || (key->key() == Qt::Key_Space && qobject_cast<QAbstractButton *>(watched)))
        return false;
    input_->setFocus(Qt::OtherFocusReason);
    QKeyEvent typed(QEvent::KeyPress, key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), key->count());
    QCoreApplication::sendEvent(input_, &typed);
    return true;
}
