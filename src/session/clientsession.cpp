#include "session/clientsession.h"

#include <QTcpSocket>

#include "common/environment.h"
#include "host/hostcontrols.h"
#include "session/clientcommands.h"
#include "session/clientconnection.h"
#include "session/gamemodel.h"
#include "session/hintadvisor.h"
#include "session/hinttables.h"
#include "session/hostlookup.h"
#include "session/preferences.h"
#include "session/spylistmodel.h"

namespace {

const QString kBindingFailed = QStringLiteral("Listen - Error Binding Socket");
const QString kListenFailed = QStringLiteral("Listen - Error Starting Listen");

} // namespace

ClientSession::ClientSession(const QString &settingsPath, QObject *parent)
    : QObject(parent)
{
    connection_ = new ClientConnection(this);
    model_ = new GameModel(this);
    preferences_ = new Preferences(settingsPath, this);
    commands_ = new ClientCommands(*model_, *connection_, *preferences_);
    spies_ = new SpyListModel(*model_, this);
    hintTables_ = new HintTables(this);
    hints_ = new HintAdvisor(*model_, *preferences_, *commands_, *hintTables_, this);

    connect(connection_, &ClientConnection::entryTaken, model_, &GameModel::apply);
    connect(connection_, &ClientConnection::ticked, this, [this] { connection_->setTicksWanted(commands_->tick()); });
    connect(connection_, &ClientConnection::connected, this, &ClientSession::connected);
    connect(connection_, &ClientConnection::connectFailed, this, &ClientSession::connectFailed);
    connect(connection_, &ClientConnection::closed, model_, [this] { model_->connectionClosed(); });
    connect(model_, &GameModel::connectionGone, this, [this] { setState(State::Ended); });
    // The window says what the host sent; the model only stops the game.
    connect(connection_, &ClientConnection::inputTooLong, model_, [this] { model_->connectionClosed(true); });
    connect(model_, &GameModel::loginAsked, this, [this] {
        commands_->sendloginfo();
        setState(State::LoggedIn);
    });
    connect(model_, &GameModel::ownLogin, preferences_, &Preferences::load);
}

ClientSession::~ClientSession()
{
    disconnect(connection_, nullptr, this, nullptr);
    // The hint sends through the commands; it goes first.
    delete hints_;
    delete commands_;
}

ClientSession::Mode ClientSession::modeOf(const QStringList &parameters)
{
    if (parameters.isEmpty())
        return Mode::Solo;
    if (parameters.size() < 3)
        return Mode::Incomplete;
    return parameters.at(2) == QLatin1String("true") ? Mode::Host : Mode::Join;
}

void ClientSession::processparams(const QStringList &parameters)
{
    commands_->setLoginName(QString());
    mode_ = modeOf(parameters);
    emit starting(mode_);
    switch (mode_) {
    case Mode::Incomplete:
        return;
    case Mode::Solo:
        hostaddress_ = QStringLiteral("127.0.0.1");
        model_->setMyname(QStringLiteral("You"));
        hostpress();
        return;
    case Mode::Host:
    case Mode::Join:
        model_->setMyname(parameters.at(0));
        hostaddress_ = parameters.at(1);
        if (mode_ == Mode::Host) {
            if (!hostpress())
                return;  // the listener could not start; nothing else is opened
        } else {
            joinpress();
        }
        sock11_ = new QTcpSocket(this);
        sock11_->setObjectName(QStringLiteral("Sock11"));
        sock11_->setReadBufferSize(kSideReadBufferSize);
        sock11_->connectToHost(QHostAddress(QHostAddress::LocalHost), kSideConnectionPort);
        return;
    }
}

bool ClientSession::hostpress()
{
    const quint16 port = Environment::gamePort();
    const QHostAddress listenOn =
        mode_ == Mode::Solo ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(QHostAddress::AnyIPv4);
    QString error;
    if (!host_ || !host_->startListening(&error, port, listenOn)) {
        if (error == kBindingFailed)
            fail(StartFailure::Kind::PortInUse, error);
        else
            fail(StartFailure::Kind::CannotListen, error.isEmpty() ? kListenFailed : error);
        return false;
    }
    commands_->setLoginName(model_->myname());
    model_->setIshost(true);
    setState(State::Connecting);
    emit hosting(port);
    // The host keeps slot 1 for this exact endpoint, so a stranger who connects while the
    // hosting copy starts cannot take the host's seat.
    if (connection_->bindLocal(QHostAddress(QHostAddress::LocalHost)))
        host_->setHostClient(connection_->localAddress(), connection_->localPort());
    open(QHostAddress(QHostAddress::LocalHost));
    model_->noteStartOffered(true);
    return true;
}

void ClientSession::joinpress()
{
    commands_->setLoginName(model_->myname());
    setState(State::Connecting);
    connectTo(hostaddress_);
}

bool ClientSession::exitNeedsAsking() const
{
    // Once the connection has ended there is no game left to end for anyone.
    return mode_ == Mode::Host && model_->loggedin() && model_->ishost() && model_->othersConnected();
}

bool ClientSession::sendPhrase(int button)
{
    if (commands_->phrase(preferences_->phrase(button)) != ClientCommands::Outcome::Sent)
        return false;
    // The lock counts down in the connection's ticks.
    connection_->setTicksWanted(true);
    return true;
}

void ClientSession::connectTo(const QString &address)
{
    HostLookup::resolve(address, this, [this, address](const QHostAddress &found) {
        if (!found.isNull())
            open(found);
        else if (!address.isEmpty() && address.at(0).isDigit())
            fail(StartFailure::Kind::InvalidAddress);
        else
            fail(StartFailure::Kind::HostNotFound);
    });
}

void ClientSession::open(const QHostAddress &address)
{
    connection_->open(address, Environment::gamePort());
}

void ClientSession::connected()
{
    if (model_->ishost() && host_)
        host_->setHostClient(connection_->localAddress(), connection_->localPort());
}

void ClientSession::connectFailed(const QString &errorText)
{
    fail(StartFailure::Kind::ConnectFailed, errorText);
}

void ClientSession::fail(StartFailure::Kind kind, const QString &detail)
{
    setState(State::Failed);
    emit startFailed({kind, hostaddress_, Environment::gamePort(), detail});
}

void ClientSession::setState(State state)
{
    if (state == state_)
        return;
    state_ = state;
    emit stateChanged(state);
}
