#include "windows/tdownload.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "common/environment.h"
#include "ui/background.h"
#include "ui/jpegimage.h"
#include "download/downloadjob.h"
#include "download/partfile.h"
#include "ui/plaintext.h"

namespace {

const QString kAborted = QStringLiteral("Download Aborted");
const QString kError = QStringLiteral("An Error has Occurred.");

QLabel *wrapped(QWidget *parent, const char *name, const QString &text)
{
    auto *label = PlainText::label(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    // Enter presses the button that has the focus, and only that one.
    b->setAutoDefault(true);
    return b;
}

// Why a program that exec refused will not run, in words a player can act on.
QString whyNotRun(const QString &program, const QString &systemText)
{
    QFile file(program);
    if (file.open(QIODevice::ReadOnly) && file.read(2) == "MZ")
        return QStringLiteral("it is a Windows program, and this system cannot run that kind of program");
    return systemText;
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
    launcher = [](const QString &program, const QStringList &arguments, QString &why) {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        if (process.startDetached())
            return true;
        why = whyNotRun(program, process.errorString());
        return false;
    };
    const HttpGet::Request bounds;
    maxBytes = bounds.maxBytes;
    lowSpeedBytes = bounds.lowSpeedBytes;
    lowSpeedSeconds = bounds.lowSpeedSeconds;
    PartFile::removeLeftovers(Environment::dataDirectory() + kInstallerName);
    HttpCli1 = new DownloadJob(this);
    connect(HttpCli1, &DownloadJob::headerLine, this, &Tdownload::headerLine);
    connect(HttpCli1, &DownloadJob::documentBegin, this, &Tdownload::documentBegin);
    connect(HttpCli1, &DownloadJob::dataReceived, this, &Tdownload::dataReceived);
    connect(HttpCli1, &DownloadJob::finished, this, &Tdownload::downloadFinished);

    QFrame *download = panel(this, "Panel1");
    auto *downloadLayout = new QVBoxLayout(download);
    Image1 = PlainText::label(QString(), download);
    Image1->setObjectName(QStringLiteral("Image1"));
    downloadLayout->addWidget(Image1, 0, Qt::AlignHCenter);
    downloadLayout->addWidget(wrapped(download, "Label1",
                                      QStringLiteral("Download The Orlen42 Lobby Now to play this  and other exciting "
                                                     "games online with other players!")));
    getbutton = button(download, "getbutton", QStringLiteral("Download And Install The Orlen42 Lobby Now"));
    connect(getbutton, &QPushButton::clicked, this, &Tdownload::getbuttonClick);
    downloadLayout->addWidget(getbutton);
    abortbutton = button(download, "abortbutton", QStringLiteral("Stop Download"));
    connect(abortbutton, &QPushButton::clicked, this, &Tdownload::abortbuttonClick);
    downloadLayout->addWidget(abortbutton);
    infolabel = wrapped(download, "infolabel", QString());
    downloadLayout->addWidget(infolabel);
    infolabel3 = wrapped(download, "infolabel3", QString());
    downloadLayout->addWidget(infolabel3);
    infolabel2 = wrapped(download, "infolabel2", QString());
    infolabel2->hide();

    QFrame *solo = panel(this, "Panel2");
    auto *soloLayout = new QVBoxLayout(solo);
    soloLayout->addWidget(wrapped(solo, "Label7",
                                  QStringLiteral("To proceed to the game without the ability to play against others "
                                                 "click the button below.")));
    QPushButton *playSolo = button(solo, "Button1", QStringLiteral("Play Solo Game"));
    connect(playSolo, &QPushButton::clicked, this, &Tdownload::Button1Click);
    soloLayout->addWidget(playSolo);

    QFrame *lobby = panel(this, "Panel3");
    auto *lobbyLayout = new QVBoxLayout(lobby);
    lobbyLayout->addWidget(wrapped(lobby, "Label5",
                                   QStringLiteral("If you already have The Orlen42 Lobby and you wish to play with "
                                                  "others then click the button below to close this game and open "
                                                  "The Orlen42 Lobby.")));
    QPushButton *withOthers = button(lobby, "Button2", QStringLiteral("Play with Others"));
    connect(withOthers, &QPushButton::clicked, this, &Tdownload::Button2Click);
    lobbyLayout->addWidget(withOthers);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(download);
    layout->addWidget(solo);
    layout->addWidget(lobby);
    resize(340, 560);

    // A download still running when the program ends is stopped, not left to the exit.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Tdownload::discardDownload);
}

void Tdownload::setVisible(bool visible)
{
    // The picture is decoded when the window is first shown: a start that does not offer
    // the lobby never pays for it.
    if (visible && Image1->pixmap().isNull()) {
        // Drawn twice as large for screens scaled above 100%, so that it stays sharp there.
        const bool doubled = devicePixelRatioF() > 1.0;
        QPixmap picture = QPixmap::fromImage(
            JpegImage::load(doubled ? QStringLiteral(":/images/lobby@2x.jpg") : QStringLiteral(":/images/lobby.jpg")));
        picture.setDevicePixelRatio(doubled ? 2.0 : 1.0);
        Image1->setPixmap(picture);
        auto *closed = PlainText::label(QStringLiteral("IS CLOSED"), Image1);
        closed->setObjectName(QStringLiteral("Label2"));
        closed->setFont(QFont(QStringLiteral("Arial"), 16, QFont::Bold));
        QPalette red = closed->palette();
        red.setColor(QPalette::WindowText, Qt::red);
        closed->setPalette(red);
        closed->adjustSize();
        const QSize shown = Image1->pixmap().deviceIndependentSize().toSize();
        closed->move((shown.width() - closed->width()) / 2, shown.height() - closed->height() - 8);
    }
    QWidget::setVisible(visible);
}

Tdownload::~Tdownload()
{
    discardDownload();
}

QString Tdownload::lobbyUrl()
{
    const QString configured = qEnvironmentVariable("MORVELLO_LOBBY_URL");
    return configured.isEmpty() ? kLobbyUrl : configured;
}

bool Tdownload::downloading() const
{
    return HttpCli1->running();
}

void Tdownload::getbuttonClick()
{
    if (downloading())
        return;
    // A question still open about the last file would run the one this download brings.
    for (QMessageBox *box : findChildren<QMessageBox *>(QStringLiteral("box_run"))) {
        if (box->isVisible())
            box->reject();
    }
    // Always this name, whatever a configured address ends in, so that no address can choose
    // which of the program's files is overwritten.
    infolabel2->setText(kInstallerName);
    getbutton->setEnabled(false);
    abortbutton->setEnabled(true);
    progress_ = QStringLiteral("Loading");
    infolabel->setText(progress_);

    url_ = lobbyUrl();
    HttpGet::Request request;
    request.url = QUrl(url_);
    request.userAgent = kUserAgent;
    request.headers = {kAccept};
    request.allowPlainHttp = !qEnvironmentVariableIsEmpty("MORVELLO_LOBBY_URL");
    request.maxBytes = maxBytes;
    request.lowSpeedBytes = lowSpeedBytes;
    request.lowSpeedSeconds = lowSpeedSeconds;
    // A whole installer is the user's own program to run, and nobody else's to read.
    HttpCli1->start(request, Environment::dataDirectory() + kInstallerName,
                    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void Tdownload::headerLine()
{
    progress_ += QLatin1Char('.');
    infolabel->setText(progress_);
}

void Tdownload::documentBegin()
{
    infolabel3->setText(QStringLiteral("Downloading: ") + kInstallerName);
}

void Tdownload::dataReceived(qint64 total)
{
    infolabel->setText(QStringLiteral("%1 bytes").arg(total));
}

void Tdownload::downloadFinished(bool whole)
{
    if (whole) {
        infolabel->setText(QStringLiteral("Received %1 bytes").arg(HttpCli1->size()));
    } else {
        infolabel->setText(kAborted);
        switch (HttpCli1->failure()) {
        case DownloadJob::Failure::CannotWrite:
            infolabel3->setText(QStringLiteral("Could not write %1: %2").arg(HttpCli1->path(), HttpCli1->detail()));
            break;
        case DownloadJob::Failure::NotStarted:
            infolabel3->setText(HttpCli1->detail());
            break;
        case DownloadJob::Failure::Failed:
            infolabel3->setText(QStringLiteral("%1: %2").arg(kAborted, HttpCli1->detail()));
            break;
        case DownloadJob::Failure::Aborted:
        case DownloadJob::Failure::None:
            break;
        }
    }
    getbutton->setEnabled(true);
    abortbutton->setEnabled(false);

    if (HttpCli1->state() != DownloadJob::State::Received)
        return;
    askToRun();
}

void Tdownload::askToRun()
{
    const QString program = HttpCli1->path();
    auto *box = PlainText::messageBox(QMessageBox::Question, windowTitle(),
                                      QStringLiteral("Run the program that was downloaded?\n\n%1\n\nfrom %2")
                                          .arg(QDir::toNativeSeparators(program), url_),
                                      QMessageBox::NoButton, this);
    box->setObjectName(QStringLiteral("box_run"));
    QPushButton *run = box->addButton(QStringLiteral("Run"), QMessageBox::AcceptRole);
    QPushButton *cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, box, run, program] {
        if (box->clickedButton() == run)
            install(program);
        else
            infolabel3->setText(QStringLiteral("Not run; the installer is kept at %1").arg(QDir::toNativeSeparators(program)));
    });
    box->open();
}

void Tdownload::install(const QString &program)
{
    infolabel3->setText(QStringLiteral("Installing"));
    // Run directly, never through the desktop's "open", which reports success as soon as it
    // has handed the file on, whether or not anything started.
    QString why;
    if (!launcher || !launcher(program, kInstallerArguments, why)) {
        infolabel3->setText(QStringLiteral("%1 could not be run: %2").arg(kInstallerName, why));
        showMessage(kError);
        return;
    }
    emit exitRequested();
}

void Tdownload::abortbuttonClick()
{
    HttpCli1->abort();
    infolabel->setText(QStringLiteral("Download has been aborted."));
    infolabel3->setText(kAborted);
}

void Tdownload::Button1Click()
{
    hide();
}

void Tdownload::Button2Click()
{
    if (!QFileInfo(kLobbyPath).isFile()) {
        showMessage(QStringLiteral("Please close the game and open the Orlen42 Lobby using the icon on your desktop or "
                                   "using the your Window's start-up menu."));
        return;
    }
    QString why;
    if (!launcher || !launcher(kLobbyPath, {}, why)) {
        showMessage(kError);
        return;
    }
    emit exitRequested();
}

void Tdownload::discardDownload()
{
    if (!downloading())
        return;
    HttpCli1->discard();
    infolabel->setText(kAborted);
    getbutton->setEnabled(true);
    abortbutton->setEnabled(false);
}

void Tdownload::showMessage(const QString &text)
{
    auto *box = PlainText::messageBox(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("box_message"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
