#include "session/chatlinks.h"

#include <array>

namespace {

// In the order they are looked for: the first one found anywhere in the word decides.
// "https://" comes before "http://" so that a secure link keeps its scheme.
constexpr std::array<const char *, 9> kPrefixes{"https://", "http://", "ftp://",  "file://", "gopher://",
                                                "telnet://", "news:",   "mailto:", "www."};

bool isBreak(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::ParagraphSeparator
        || c == QChar::LineSeparator || c == QLatin1Char('\t');
}

bool endsALink(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '/';
}

QString asciiLower(const QString &text)
{
    QString lower = text;
    for (QChar &c : lower) {
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return lower;
}

} // namespace

namespace ChatLinks {

std::optional<Link> linkAt(const QString &text, qsizetype at)
{
    if (at < 0 || at >= text.size() || isBreak(text.at(at)))
        return std::nullopt;
    qsizetype start = at;
    while (start > 0 && !isBreak(text.at(start - 1)))
        --start;
    qsizetype end = at;
    while (end < text.size() && !isBreak(text.at(end)))
        ++end;
    const QString word = text.mid(start, end - start);
    const QString lower = asciiLower(word);

    for (const char *prefix : kPrefixes) {
        const QLatin1String p(prefix);
        const qsizetype found = lower.indexOf(p);
        if (found < 0)
            continue;
        qsizetype length = word.size() - found;
        while (length > 0 && !endsALink(word.at(found + length - 1)))
            --length;
        if (length <= p.size())
            return std::nullopt;
        return Link{start + found, length, word.mid(found, length), QString(p)};
    }
    return std::nullopt;
}

QList<Link> linksToOpen(const QString &text)
{
    QList<Link> links;
    qsizetype at = 0;
    while (at < text.size()) {
        while (at < text.size() && isBreak(text.at(at)))
            ++at;
        if (at >= text.size())
            break;
        std::optional<Link> link = linkAt(text, at);
        while (at < text.size() && !isBreak(text.at(at)))
            ++at;
        if (link && !addressToOpen(*link).isEmpty())
            links.append(*link);
    }
    return links;
}

QString addressToOpen(const Link &link)
{
    if (link.prefix == QLatin1String("https://") || link.prefix == QLatin1String("http://")
        || link.prefix == QLatin1String("ftp://"))
        return link.text;
    if (link.prefix == QLatin1String("www."))
        return QStringLiteral("http://") + link.text;
    if (link.prefix == QLatin1String("mailto:")) {
        const qsizetype query = link.text.indexOf(QLatin1Char('?'));
        return query < 0 ? link.text : link.text.left(query);
    }
    return QString();
}

} // namespace ChatLinks
