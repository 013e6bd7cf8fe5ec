// Start-up of the client's end: the command line, hosting or joining, and what the
// connection reports.

#include "client/tchat.h"

#include <QAction>
#include <QHostAddress>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <utility>

#include "client/clienttexts.h"
#include "session/hostlookup.h"
#include "common/environment.h"
#include "host/tserver.h"
#include "protocol/catalogue.h"
#include "windows/tspylist.h"
#include "ui/plaintext.h"

namespace {

// Idle connection that a multi-player copy keeps beside the game's own.
constexpr quint16 kSideConnectionPort = 9001;

} // namespace

void Tchat::processparams()
{
    StartGame1->setEnabled(false);
    commands_->setLoginName(QString());

    if (parameters_.isEmpty()) {
        addlinetochat(ClientText::loadingSolo, kBlue);
        showLobbyOffer();
        hostaddress_ = QStringLiteral("127.0.0.1");
        model_->setMyname(QStringLiteral("You"));
        solo_ = true;
        hostpress();
        return;
    }

    addlinetochat(ClientText::loadingMulti, kBlue);
    if (parameters_.size() < 3)
        return;
    model_->setMyname(parameters_.at(0));
    hostaddress_ = parameters_.at(1);
    if (parameters_.at(2) == QLatin1String("true")) {
        hostpress();
        if (!model_->ishost())
            return;  // the listener could not start; nothing else is opened
    } else {
        joinpress();
    }

    sock11_ = new QTcpSocket(this);
    sock11_->setObjectName(QStringLiteral("Sock11"));
    sock11_->connectToHost(QHostAddress(QHostAddress::LocalHost), kSideConnectionPort);
}

void Tchat::hostpress()
{
    QString error;
    const quint16 port = Environment::gamePort();
    const QHostAddress everywhere = solo_ ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(QHostAddress::AnyIPv4);
    if (!windows_.server || !windows_.server->startListening(&error, port, everywhere)) {
        if (error.isEmpty())
            error = QStringLiteral("Listen - Error Starting Listen");
        showMessage(error);
        if (error == QLatin1String("Listen - Error Binding Socket")) {
            addlinetochat(ClientText::portInUse.arg(port), kBlue);
            addlinetochat(ClientText::pickAnotherPort.arg(port == 65535 ? port - 1 : port + 1), kBlue);
        } else {
            addlinetochat(ClientText::cannotListen.arg(port).arg(error), kBlue);
        }
        return;
    }
    if (!solo_)
        addlinetochat(joinHint(port), kBlue);
    commands_->setLoginName(model_->myname());
    model_->setIshost(true);
    if (windows_.spylist)
        windows_.spylist->setServer(windows_.server);
    // The host keeps slot 1 for this exact endpoint, so a stranger who connects while the
    // hosting copy starts cannot take the host's seat.
    if (connection_->bindLocal(QHostAddress(QHostAddress::LocalHost)))
        windows_.server->setHostClient(connection_->localAddress(), connection_->localPort());
    openSock(QHostAddress(QHostAddress::LocalHost));
    StartGame1->setEnabled(true);
    model_->noteStartOffered(true);
}

void Tchat::joinpress()
{
    commands_->setLoginName(model_->myname());
    connectSockTo(hostaddress_);
    StartGame1->setEnabled(false);
}

void Tchat::connectSockTo(const QString &address)
{
    HostLookup::resolve(address, this, [this, address](const QHostAddress &found) {
        if (!found.isNull()) {
            openSock(found);
        } else if (!address.isEmpty() && address.at(0).isDigit()) {
            addlinetochat(ClientText::couldNotConnect.arg(address, ClientText::invalidAddress), kBlue);
        } else {
            showMessage(ClientText::lookupFailed);
            addlinetochat(ClientText::hostNotFound.arg(address).arg(Environment::gamePort()).arg(model_->myname()),
                          kBlue);
        }
    });
}

void Tchat::openSock(const QHostAddress &address)
{
    connection_->open(address, Environment::gamePort());
}

void Tchat::sockConnected()
{
    if (model_->ishost() && windows_.server)
        windows_.server->setHostClient(connection_->localAddress(), connection_->localPort());
}

void Tchat::connectFailed(const QString &errorText)
{
    // Otherwise the loading line would stand for ever.
    addlinetochat(ClientText::couldNotConnect.arg(hostaddress_, errorText), kBlue);
    addlinetochat(ClientText::checkHost.arg(Environment::gamePort()), kBlue);
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
    for (const QByteArray &entry : connection_->receivedlist()) {
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
