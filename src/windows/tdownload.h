#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class DownloadJob;
class QLabel;
class QPushButton;

// Offers the maker's lobby beside a solo game: download and install it, go on solo, or leave
// for an installed lobby. The download runs while the window and the game go on working; its
// file arrives beside the program's files under a name of its own, takes the installer's name
// only when it is whole, and is run only when the player says so.
class Tdownload : public QWidget {
    Q_OBJECT

public:
    // The installer at the maker's server. No such server exists (the name lies under the
    // reserved ".invalid" domain), so unless MORVELLO_LOBBY_URL names a real one, for a test
    // or a mirror, a download ends as "Download Aborted". Only that one may be plain http.
    static inline const QString kLobbyUrl = QStringLiteral("https://lobby.orlen42.invalid/lobby/qxlsetup.exe");
    static inline const QString kInstallerName = QStringLiteral("qxlsetup.exe");
    static inline const QStringList kInstallerArguments = {QStringLiteral("/SP-"), QStringLiteral("/silent"),
                                                           QStringLiteral("/noicons")};
    // Where an installed lobby is looked for.
    static inline const QString kLobbyPath = QStringLiteral("/opt/Orlen42/Orlen42Lobby");
    static inline const QByteArray kUserAgent = QByteArrayLiteral("Mozilla/3.0 (compatible)");
    static inline const QByteArray kAccept =
        QByteArrayLiteral("Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");

    // Starts a program without waiting for it; true when it started, else `why` says why not.
    using Launcher = std::function<bool(const QString &program, const QStringList &arguments, QString &why)>;

    explicit Tdownload(QWidget *parent = nullptr);
    ~Tdownload() override;

    // Runs the downloaded installer and the lobby: QProcess::startDetached, or a test's stand-in.
    Launcher launcher;
    // The download's bounds: the largest installer taken, and the slowest transfer kept going
    // (so many bytes a second over so many seconds).
    qint64 maxBytes;
    int lowSpeedBytes;
    int lowSpeedSeconds;

    // MORVELLO_LOBBY_URL when set, else kLobbyUrl.
    static QString lobbyUrl();

    void getbuttonClick();
    void abortbuttonClick();
    void Button1Click();
    void Button2Click();
    bool downloading() const;
    void setVisible(bool visible) override;
    const DownloadJob &job() const { return *HttpCli1; }

signals:
    // The game should end, as the main window's "Exit" ends it: the installer or lobby started.
    void exitRequested();

private:
    void headerLine();
    void documentBegin();
    void dataReceived(qint64 total);
    void downloadFinished(bool whole);
    // Names the whole file and where it came from, and runs it only on the player's "Run".
    void askToRun();
    void install(const QString &program);
    // Stops a running download at once and removes its incomplete file; at the program's end.
    void discardDownload();
    void showMessage(const QString &text);

    DownloadJob *HttpCli1 = nullptr;
    // "Loading" and a dot for each header line received.
    QString progress_;
    // The address of the last download, for the question before its file runs.
    QString url_;
    QLabel *Image1 = nullptr;
    QLabel *infolabel = nullptr;
    QLabel *infolabel2 = nullptr;
    QLabel *infolabel3 = nullptr;
    QPushButton *getbutton = nullptr;
    QPushButton *abortbutton = nullptr;
};
