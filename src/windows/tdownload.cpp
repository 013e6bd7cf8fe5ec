#include "windows/tdownload.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/background.h"

namespace {

QLabel *wrapped(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QFrame *panel(QWidget *parent, const char *name)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return frame;
}

} // namespace

Tdownload::Tdownload(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("download"));
    setWindowTitle(QStringLiteral("Download The Orlen42 Lobby"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    applyTiledBackground(this);

    QFrame *download = panel(this, "Panel1");
    auto *downloadLayout = new QVBoxLayout(download);
    downloadLayout->addWidget(wrapped(download, "Label1",
                                      QStringLiteral("Download The Orlen42 Lobby Now to play this  and other exciting "
                                                     "games online with other players!")));
    downloadLayout->addWidget(
        button(download, "getbutton", QStringLiteral("Download And Install The Orlen42 Lobby Now")));
    downloadLayout->addWidget(button(download, "abortbutton", QStringLiteral("Stop Download")));
    downloadLayout->addWidget(wrapped(download, "infolabel", QString()));
    downloadLayout->addWidget(wrapped(download, "infolabel3", QString()));
    wrapped(download, "infolabel2", QString())->hide();

    QFrame *solo = panel(this, "Panel2");
    auto *soloLayout = new QVBoxLayout(solo);
    soloLayout->addWidget(wrapped(solo, "Label7",
                                  QStringLiteral("To proceed to the game without the ability to play against others "
                                                 "click the button below.")));
    QPushButton *playSolo = button(solo, "Button1", QStringLiteral("Play Solo Game"));
    connect(playSolo, &QPushButton::clicked, this, &QWidget::hide);
    soloLayout->addWidget(playSolo);

    QFrame *lobby = panel(this, "Panel3");
    auto *lobbyLayout = new QVBoxLayout(lobby);
    lobbyLayout->addWidget(wrapped(lobby, "Label5",
                                   QStringLiteral("If you already have The Orlen42 Lobby and you wish to play with "
                                                  "others then click the button below to close this game and open "
                                                  "The Orlen42 Lobby.")));
    lobbyLayout->addWidget(button(lobby, "Button2", QStringLiteral("Play with Others")));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(download);
    layout->addWidget(solo);
    layout->addWidget(lobby);
    resize(340, 380);
}
