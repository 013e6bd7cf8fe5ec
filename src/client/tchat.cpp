#include "client/tchat.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QLabel>
#include <QTcpSocket>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTimer>

#include "client/clienttexts.h"
#include "rules/dicerandom.h"
#include "windows/tabout.h"
#include "windows/thelp.h"
#include "windows/tspylist.h"

const QColor Tchat::kBlue(0, 0, 255);
const QColor Tchat::kNavy(0, 0, 128);

Tchat::Tchat(QWidget *parent)
    : QMainWindow(parent), mutex_("morvello")
{
    setObjectName(QStringLiteral("chat"));
    buildWindow();

    sock_ = new QTcpSocket(this);
    sock_->setObjectName(QStringLiteral("sock"));
    connect(sock_, &QTcpSocket::connected, this, &Tchat::sockConnected);
    connect(sock_, &QTcpSocket::readyRead, this, &Tchat::sockRead);
    connect(sock_, &QTcpSocket::disconnected, this, &Tchat::sockInfo);
    connect(sock_, &QTcpSocket::errorOccurred, this, &Tchat::sockError);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &Tchat::Timer1Timer);

    clearall();
    DiceRandom::seedOnce();
    ishost = false;
    turnseat = 0;
    phraseready = true;
}

Tchat::~Tchat()
{
    // The sockets outlive this part of the window while the base class tears down its
    // children; a close reported then must not reach the handlers.
    disconnect(sock_, nullptr, this, nullptr);
}

void Tchat::setWindows(const TchatWindows &windows)
{
    windows_ = windows;
    connectTally();
}

void Tchat::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        // After the window is on screen, so the loading line is seen while the host starts.
        QTimer::singleShot(0, this, &Tchat::processparams);
    }
}

void Tchat::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        emit windowClosed();
}

QLabel *Tchat::label(const QString &name) const
{
    return findChild<QLabel *>(name);
}

void Tchat::clearall()
{
    for (int seat = 1; seat <= 4; ++seat) {
        label(QStringLiteral("label_score%1").arg(seat))->setText(QStringLiteral("0"));
        for (int cell = 1; cell <= 16; ++cell) {
            QLabel *cellLabel = label(QStringLiteral("score%1_%2").arg(seat).arg(cell));
            cellLabel->clear();
            QPalette palette = cellLabel->palette();
            const bool own = seat == myseat && cell <= 12;
            palette.setColor(QPalette::WindowText, own ? QColor(0, 128, 0) : QColor(Qt::black));
            cellLabel->setPalette(palette);
        }
    }
    label(QStringLiteral("image_winner"))->hide();
    label(QStringLiteral("label_winner"))->hide();
}

void Tchat::playsounds(const QString &name)
{
    if (PlaySounds1->isChecked())
        sounds_.play(name);
}

bool Tchat::scrollChatOff() const
{
    return ScrollOff1->isChecked();
}

void Tchat::ScrollChatOff1Click(bool checked)
{
    ScrollOff1->setChecked(checked);
    ScrollChatOff1->setChecked(checked);
}

void Tchat::Copy1Click()
{
    const QString selected = mainchat->textCursor().selection().toPlainText();
    if (!selected.isEmpty())
        QApplication::clipboard()->setText(selected);
}

void Tchat::SpyList1Click()
{
    if (windows_.spylist) {
        windows_.spylist->show();
        windows_.spylist->raise();
    }
}

void Tchat::Help2Click()
{
    if (windows_.help) {
        windows_.help->show();
        windows_.help->raise();
    }
}

void Tchat::About1Click()
{
    if (windows_.about) {
        windows_.about->show();
        windows_.about->raise();
    }
}
