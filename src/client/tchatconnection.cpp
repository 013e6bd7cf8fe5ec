// Start-up of the client's end: the command line, hosting or joining, and what the
// connection reports.

#include "client/tchat.h"

#include <QAction>
#include <QHostAddress>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QRegularExpression>
#include <QTimer>

#include "client/clienttexts.h"
#include "common/environment.h"
#include "protocol/catalogue.h"
#include "windows/tallylist.h"
#include "windows/tspylist.h"
#include "ui/plaintext.h"

void Tchat::connectSession()
{
    ClientConnection *connection = &session_->connection();
    connect(connection, &ClientConnection::closed, this, &Tchat::sockInfo);
    connect(connection, &ClientConnection::inputTooLong, this, [this] {
        addlinetochat(ClientText::inputTooLong.arg(MessageFramer::kMaxPending / 1024), kBlue);
    });
    connect(connection, &ClientConnection::sent, this, &Tchat::messageSent);
    connect(session_, &ClientSession::starting, this, &Tchat::starting);
    connect(session_, &ClientSession::hosting, this, &Tchat::hosting);
    connect(session_, &ClientSession::startFailed, this, &Tchat::startFailed);
    connect(session_, &ClientSession::startFailed, this, &Tchat::startSettled);
    connect(model_, &GameModel::ownLogin, this, &Tchat::startSettled);
}

void Tchat::processparams()
{
    session_->processparams(parameters_);
}

void Tchat::starting(ClientSession::Mode mode)
{
    StartGame1->setEnabled(false);
    if (mode != ClientSession::Mode::Solo) {
        addlinetochat(ClientText::loadingMulti, kBlue);
        return;
    }
    addlinetochat(ClientText::loadingSolo, kBlue);
    // The game's window and its connection come first; the offer follows once the game is
    // connected, or could not be.
    lobbyOfferDue_ = true;
}

void Tchat::startSettled()
{
    // What the first paint and the connection do not need comes now: the tally (whose lock
    // costs a write to the disk) and the lobby offer.
    if (windows_.tally)
        QTimer::singleShot(0, windows_.tally, &Ttallylist::loadtallyfile);
    if (lobbyOfferDue_) {
        lobbyOfferDue_ = false;
        QTimer::singleShot(0, this, &Tchat::showLobbyOffer);
    }
}

void Tchat::hosting(quint16 port)
{
    if (session_->mode() != ClientSession::Mode::Solo)
        addlinetochat(joinHint(port), kBlue);
    if (windows_.spylist)
        windows_.spylist->setHost(windows_.server);
    StartGame1->setEnabled(true);
}

namespace {

// A word as a shell reads it back: quoted when it holds anything but plain letters and signs.
QString shellWord(const QString &word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._:@/-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

void Tchat::startFailed(const ClientSession::StartFailure &failure)
{
    using Kind = ClientSession::StartFailure::Kind;
    switch (failure.kind) {
    case Kind::PortInUse:
        showMessage(failure.detail);
    {
        addlinetochat(ClientText::portInUse.arg(failure.port), kBlue);
        const quint16 other = failure.port == 65535 ? failure.port - 1 : failure.port + 1;
        // The hint starts the same kind of game again: a hosting copy's hosts.
        if (session_->mode() == ClientSession::Mode::Solo)
            addlinetochat(ClientText::pickAnotherPortSolo.arg(other), kBlue);
        else
            addlinetochat(ClientText::pickAnotherPortHost.arg(other)
                              .arg(shellWord(model_->myname()), shellWord(session_->hostaddress())),
                          kBlue);
        return;
    }
    case Kind::CannotListen:
        showMessage(failure.detail);
        addlinetochat(ClientText::cannotListen.arg(failure.port).arg(failure.detail), kBlue);
        return;
    case Kind::InvalidAddress:
        addlinetochat(ClientText::couldNotConnect.arg(failure.address, ClientText::invalidAddress), kBlue);
        return;
    case Kind::HostNotFound:
        showMessage(ClientText::lookupFailed);
        addlinetochat(ClientText::hostNotFound.arg(failure.address).arg(failure.port).arg(model_->myname()), kBlue);
        return;
    case Kind::ConnectFailed:
        // Otherwise the loading line would stand for ever.
        addlinetochat(ClientText::couldNotConnect.arg(failure.address, failure.detail), kBlue);
        addlinetochat(ClientText::checkHost.arg(failure.port), kBlue);
        return;
    }
}

QString Tchat::joinHint(quint16 port)
{
    QStringList addresses;
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            addresses.append(address.toString());
    }
    const QString portSetting =
        port == Environment::kDefaultPort ? QString() : QStringLiteral("MORVELLO_PORT=%1 ").arg(port);
    if (addresses.isEmpty())
        return ClientText::othersJoinWith.arg(portSetting, QStringLiteral("ADDRESS")) + QStringLiteral(" (")
            + ClientText::noNetworkAddress + QLatin1Char(')');
    QString hint = ClientText::othersJoinWith.arg(portSetting, addresses.takeFirst());
    if (!addresses.isEmpty())
        hint += QStringLiteral(" (this machine is also at %1)").arg(addresses.join(QStringLiteral(", ")));
    return hint;
}

void Tchat::sockInfo()
{
    // The host closed the connection or removed this client from the game. A full host
    // closes right after saying so; that answer is still waiting in the queue and must be
    // seen before the window goes.
    if (fullBox_ || fullSeen_)
        return;
    for (const QByteArray &entry : receivedlist()) {
        const std::optional<wire::Entry> command = wire::readEntry(entry);
        if (command && command->word == wire::Word::full) {
            gamefull();
            return;
        }
    }
    close();
}

void Tchat::gamefull()
{
    if (fullBox_)
        return;
    fullSeen_ = true;
    // Not waited for: the dispatcher and the sockets go on while the box is up.
    fullBox_ = PlainText::messageBox(QMessageBox::NoIcon, ClientText::caption, ClientText::gameFull, QMessageBox::Ok, this);
    fullBox_->setObjectName(QStringLiteral("box_gamefull"));
    fullBox_->setAttribute(Qt::WA_DeleteOnClose);
    connect(fullBox_, &QMessageBox::finished, this, &QWidget::close);
    fullBox_->open();
}

void Tchat::showMessage(const QString &text)
{
    auto *box = PlainText::messageBox(QMessageBox::Warning, ClientText::caption, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
