#pragma once

#include <QList>
#include <QString>
#include <optional>

// Web links in the chat's text: what a word under the pointer links to, and whether the game
// may hand it to the desktop. The links come from strangers, so only web and mail links open.
namespace ChatLinks {

struct Link {
    qsizetype start = 0;   // character range in the text
    qsizetype length = 0;
    QString text;          // as written in the chat, letter case kept
    QString prefix;        // the prefix that made it a link, lower case ("www.", "http://", ...)
};

// The link at character index `at` of `text`, if the word there holds one.
std::optional<Link> linkAt(const QString &text, qsizetype at);

// Every link in the text that the game opens (see addressToOpen), in order.
QList<Link> linksToOpen(const QString &text);

// The address to open for a link, or an empty text when such links are not opened: only
// http, https, ftp and mailto (and "www." as http). A mail link loses everything from its "?"
// on, where mail programs would take attachments.
QString addressToOpen(const Link &link);

} // namespace ChatLinks
