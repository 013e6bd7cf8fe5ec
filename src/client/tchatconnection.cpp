// The client's end of the connection: the command line, hosting or joining, the login reply,
// the receive queue and the dispatcher that hands one message per Timer1 tick to its handler.

#include "common/gameconstants.h"
#include "client/tchat.h"

#include <QAction>
#include <QHostAddress>
#include <QLabel>
#include <QMessageBox>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "client/clienttexts.h"
#include "client/core/hostlookup.h"
#include "common/environment.h"
#include "protocol/fieldreader.h"
#include "protocol/message.h"
#include "host/tserver.h"

namespace {

// Idle connection that a multi-player copy keeps beside the game's own.
constexpr quint16 kSideConnectionPort = 9001;

// Phrase buttons unlock on the tick after the count passes this.
constexpr int kPhraseLockTicks = 100;

constexpr int kTimer1IntervalMs = 1;

} // namespace

void Tchat::processparams()
{
    StartGame1->setEnabled(false);
    loginname.clear();

    if (parameters_.isEmpty()) {
        addlinetochat(ClientText::loadingSolo, kBlue);
        hostaddress = QStringLiteral("127.0.0.1");
        myname = QStringLiteral("You");
        hostpress();
        return;
    }

    addlinetochat(ClientText::loadingMulti, kBlue);
    if (parameters_.size() < 3)
        return;
    myname = parameters_.at(0);
    hostaddress = parameters_.at(1);
    if (parameters_.at(2) == QLatin1String("true")) {
        hostpress();
        if (!ishost)
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
    if (!windows_.server || !windows_.server->startListening(&error)) {
        showMessage(error.isEmpty() ? QStringLiteral("Listen - Error Starting Listen") : error);
        return;
    }
    loginname = toWire(myname) + kTerminator;
    ishost = true;
    openSock(QHostAddress(QHostAddress::LocalHost));
    StartGame1->setEnabled(true);
    label(QStringLiteral("button_start"))->show();
}

void Tchat::joinpress()
{
    loginname = toWire(myname) + kTerminator;
    connectSockTo(hostaddress);
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
        }
    });
}

void Tchat::openSock(const QHostAddress &address)
{
    sockWasConnected_ = false;
    framer_.clear();
    sock_->connectToHost(address, Environment::gamePort());
}

void Tchat::sockConnected()
{
    sockWasConnected_ = true;
    if (ishost && windows_.server)
        windows_.server->setHostClientPort(sock_->localPort());
}

void Tchat::sockError()
{
    // A connection that never came up would otherwise leave the loading line standing
    // forever; a close after a working connection is sockInfo's.
    if (!sockWasConnected_)
        addlinetochat(ClientText::couldNotConnect.arg(hostaddress, sock_->errorString()), kBlue);
}

void Tchat::sockInfo()
{
    // The host closed the connection or removed this client from the game. A full host
    // closes right after saying so; that answer is still waiting in the queue and must be
    // seen before the window goes.
    if (fullBox_)
        return;
    for (const QByteArray &entry : std::as_const(receivedlist_)) {
        const std::optional<Command> command = splitCommand(entry);
        if (command && command->word == "CMD_full") {
            gamefull(command->data);
            return;
        }
    }
    close();
}

void Tchat::sockRead()
{
    receiveBytes(sock_->readAll());
}

void Tchat::receiveBytes(QByteArrayView bytes)
{
    for (QByteArray &message : framer_.feed(bytes))
        receivedlist_.enqueue(std::move(message));
    if (framer_.overLimit())
        closeOversizedConnection();
    updateTimer1();
}

void Tchat::closeOversizedConnection()
{
    // A host that never ends its message would fill our memory. The connection is useless
    // after this, but the window stays so the user can read why the game stopped.
    framer_.clear();
    disconnect(sock_, nullptr, this, nullptr);
    sock_->abort();
    loggedin = false;
    addlinetochat(ClientText::inputTooLong.arg(MessageFramer::kMaxPending / 1024), kBlue);
}

void Tchat::sendToHost(const QByteArray &message)
{
    if (sock_->state() != QAbstractSocket::UnconnectedState)
        sock_->write(message);
    emit messageSent(message);
}

void Tchat::sendloginfo(const QByteArray &data)
{
    myseat = FieldReader::toInt(data);
    loggedin = true;
    sendToHost(MessageBuilder("CMD_logininfo").field(myseat).field(game::kVersionText).field(loginname).finish());
}

void Tchat::lockPhrases()
{
    phraseready = false;
    phraseticks = 0;
    updateTimer1();
}

bool Tchat::timer1Active() const
{
    return Timer1->isActive();
}

void Tchat::updateTimer1()
{
    // The 1 ms timer only runs while it has work, so an idle game costs nothing.
    const bool busy = !receivedlist_.isEmpty() || !phraseready;
    if (busy && !Timer1->isActive()) {
        // Work that finds the timer stopped is taken up as soon as a tick has passed since the
        // last one, which may be at once.
        const qint64 since = lastTick_.isValid() ? lastTick_.elapsed() : kTimer1IntervalMs;
        Timer1->start(int(std::clamp<qint64>(kTimer1IntervalMs - since, 0, kTimer1IntervalMs)));
    } else if (!busy && Timer1->isActive()) {
        Timer1->stop();
    }
}

void Tchat::Timer1Timer()
{
    lastTick_.start();
    if (Timer1->isActive() && Timer1->interval() != kTimer1IntervalMs)
        Timer1->setInterval(kTimer1IntervalMs);
    processsocktimer();
    if (!phraseready) {
        ++phraseticks;
        if (phraseticks > kPhraseLockTicks) {
            phraseready = true;
            phraseticks = 0;
        }
    }
    updateTimer1();
}

void Tchat::processsocktimer()
{
    if (receivedlist_.isEmpty())
        return;
    const QByteArray entry = receivedlist_.dequeue();
    const std::optional<Command> command = splitCommand(entry);
    if (!command)
        return;
    try {
        dispatch(command->word, command->data);
    } catch (const FieldError &error) {
        std::fprintf(stderr, "morvello: message \"%s\" stopped: %s\n",
                     entry.left(200).toPercentEncoding(" +:|*").constData(), error.what());
    }
}

void Tchat::dispatch(const QByteArray &word, const QByteArray &data)
{
    using Handler = void (Tchat::*)(const QByteArray &);
    static const std::pair<const char *, Handler> table[] = {
        {"CMD_sendlogininfo", &Tchat::sendloginfo},
        {"CMD_newplayerinfo", &Tchat::newplayerinfo},
        {"CMD_existingplayers", &Tchat::newplayerinfo},
        {"CMD_havewrongversion", &Tchat::havewrongversion},
        {"CMD_wrongversion", &Tchat::wrongversion},
        {"CMD_playerdisconnected", &Tchat::playerdisconnected},
        {"CMD_full", &Tchat::gamefull},
    };
    for (const auto &[name, handler] : table) {
        if (word == name) {
            (this->*handler)(data);
            return;
        }
    }
}

void Tchat::gamefull(const QByteArray &)
{
    if (fullBox_)
        return;
    // Not waited for: the dispatcher and the sockets go on while the box is up.
    fullBox_ = new QMessageBox(QMessageBox::NoIcon, ClientText::caption, ClientText::gameFull, QMessageBox::Ok, this);
    fullBox_->setObjectName(QStringLiteral("box_gamefull"));
    fullBox_->setAttribute(Qt::WA_DeleteOnClose);
    connect(fullBox_, &QMessageBox::finished, this, &QWidget::close);
    fullBox_->open();
}

void Tchat::havewrongversion(const QByteArray &data)
{
    addlinetochat(fromWire(data) + ClientText::hasWrongVersion, kBlue);
}

void Tchat::wrongversion(const QByteArray &)
{
    addlinetochat(ClientText::wrongVersion, kBlue);
}

void Tchat::showMessage(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Warning, ClientText::caption, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
