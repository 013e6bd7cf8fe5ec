// The chat: lines in, the input line and the phrase buttons out, and the links in the lines.

#include "client/tchat.h"

#include <QLabel>
#include <QLineEdit>
#include <cstdio>

#include "client/chatpanel.h"
#include "client/clienttexts.h"
#include "windows/tphrases.h"
#include "ui/plaintext.h"

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
    mainchat->addLine(text, color);
    echoChatLine(text);
}

void Tchat::sendit()
{
    if (commands().sendit(mychat->text()))
        mychat->clear();
}

void Tchat::b_phrase1Click(int button)
{
    session_->sendPhrase(button);
    mychat->setFocus();
}

void Tchat::PhraseList1Click()
{
    if (!windows_.phrases)
        return;
    windows_.phrases->showPhrases(preferences().phrases());
    showSideWindow(windows_.phrases);
}

void Tchat::linkClicked(const ChatLinks::Link &link)
{
    const QString address = ChatLinks::addressToOpen(link);
    QLabel *status = label(QStringLiteral("label_status"));
    if (address.isEmpty()) {
        status->setText(QStringLiteral("Not opened: only web and mail links open from the chat."));
        return;
    }
    if (!openAddress || !openAddress(address))
        status->setText(QStringLiteral("Could not open %1").arg(address));
}
