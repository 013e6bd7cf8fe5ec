#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>

class ClientCommands;
class ClientConnection;
class GameModel;
class HintAdvisor;
class HintTables;
class HostControls;
class Preferences;
class QTcpSocket;
class SpyListModel;

// The client's session: the connection to the host, the game model it feeds, the commands the
// player sends, the player's preferences and the hint, and the start-up that brings them
// together. The
// window shows what the session reports and asks it for what the user wants; it keeps no
// state of the session's.
//
// Start-up reads the command line (processparams), hosts (hostpress) or joins (joinpress), and
// goes Created -> Connecting -> LoggedIn; a start that cannot go on ends in Failed, with the
// reason as a StartFailure. A connection that closes after the login leaves the session in
// Ended: the model keeps what it showed, and the chat says why it ended.
class ClientSession : public QObject {
    Q_OBJECT

public:
    enum class State { Created, Connecting, LoggedIn, Failed, Ended };
    // What the command line asks for; Incomplete (one or two words) starts nothing.
    enum class Mode { Solo, Host, Join, Incomplete };

    struct StartFailure {
        enum class Kind {
            PortInUse,        // another program listens on the game's port
            CannotListen,     // the listener failed otherwise; detail says why
            InvalidAddress,   // an address starting with a digit that is not dotted IPv4
            HostNotFound,     // the name lookup found nothing
            ConnectFailed,    // the host did not answer; detail says why
        };
        Kind kind;
        QString address;      // the address to join
        quint16 port = 0;
        QString detail;       // the system's own words, where there are any
    };

    // The port the idle side connection of a multi-player copy goes to. Nothing is read from
    // that connection: whatever its far end sends waits in a buffer of kSideReadBufferSize
    // bytes, and then in the system, which holds the sender back.
    static constexpr quint16 kSideConnectionPort = 9001;
    static constexpr qint64 kSideReadBufferSize = 1024;

    // `settingsPath` is the settings file; empty keeps the preferences in memory only.
    explicit ClientSession(const QString &settingsPath, QObject *parent = nullptr);
    ~ClientSession() override;

    GameModel &model() const { return *model_; }
    ClientCommands &commands() const { return *commands_; }
    ClientConnection &connection() const { return *connection_; }
    Preferences &preferences() const { return *preferences_; }
    SpyListModel &spies() const { return *spies_; }
    HintAdvisor &hints() const { return *hints_; }
    // The hint's tables; loaded only once the player turns hints on.
    HintTables &hintTables() const { return *hintTables_; }

    // The host in this process; null where this copy never hosts.
    void setHost(HostControls *host) { host_ = host; }
    HostControls *host() const { return host_; }

    static Mode modeOf(const QStringList &parameters);
    // Starts as the command-line parameters (after the executable's name) say.
    void processparams(const QStringList &parameters);
    // Switches the host's listener on and connects to it; false when the listener failed.
    bool hostpress();
    void joinpress();

    // Leaving a hosting copy while others are connected to it ends their game: the window asks
    // first. (A new start while a game runs asks too, also in a solo game: GameControls.)
    bool exitNeedsAsking() const;

    // Phrase button 1..10 sends its phrase, unless the phrase lock holds; true when sent.
    bool sendPhrase(int button);

    State state() const { return state_; }
    Mode mode() const { return mode_; }
    const QString &hostaddress() const { return hostaddress_; }
    QTcpSocket *sock11() const { return sock11_; }

signals:
    // The start begins; before anything is opened, so the window can say so first.
    void starting(ClientSession::Mode mode);
    // The listener is on: others may join at this port (a solo game listens on this machine only).
    void hosting(quint16 port);
    void startFailed(const ClientSession::StartFailure &failure);
    void stateChanged(ClientSession::State state);

private:
    void setState(State state);
    void fail(StartFailure::Kind kind, const QString &detail = QString());
    void connectTo(const QString &address);
    void open(const QHostAddress &address);
    void connected();
    void connectFailed(const QString &errorText);

    ClientConnection *connection_ = nullptr;
    GameModel *model_ = nullptr;
    Preferences *preferences_ = nullptr;
    SpyListModel *spies_ = nullptr;
    HintTables *hintTables_ = nullptr;
    HintAdvisor *hints_ = nullptr;
    ClientCommands *commands_ = nullptr;
    HostControls *host_ = nullptr;
    QTcpSocket *sock11_ = nullptr;
    State state_ = State::Created;
    Mode mode_ = Mode::Incomplete;
    QString hostaddress_;
};
