#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

class QIODevice;
class QSocketNotifier;

// One HTTP GET at a time whose body streams into a device, run by libcurl's multi interface on
// the thread that owns this object: curl's sockets are watched with socket notifiers and its
// time-outs with a timer, so the window keeps working while the transfer runs. The request is
// HTTP/1.0 without a proxy; HTTPS with the certificate and host name checked, plain http only
// where the caller allows it. A response status of 400 or more is a failure.
class HttpGet : public QObject {
    Q_OBJECT

public:
    struct Request {
        QUrl url;
        QByteArray userAgent;
        QList<QByteArray> headers;   // "Name: value"
        bool allowPlainHttp = false;
    };

    // The status and reason of a GET stopped by abort().
    static constexpr int kAbortedStatus = 404;
    static inline const QString kAbortedReason = QStringLiteral("Connection aborted on request");

    explicit HttpGet(QObject *parent = nullptr);
    ~HttpGet() override;

    // Starts the GET; the body goes to `body`, which must stay open until finished(). False,
    // with reason() set, when it cannot start (one is running, or the URL's scheme is refused).
    bool get(const Request &request, QIODevice *body);
    // Ends the running GET as a failure with kAbortedStatus and kAbortedReason; finished()
    // follows from the event loop, never from inside this call. Nothing when none runs.
    void abort();
    bool isRunning() const { return easy_ != nullptr; }

    qint64 received() const { return received_; }
    // The last response's status (0 before one arrived) and, after a failure, why.
    int status() const { return status_; }
    const QString &reason() const { return reason_; }

signals:
    // Each response header line, the status line included, without its line ending.
    void headerLine(const QByteArray &line);
    // The headers of a successful response are complete; its body follows.
    void documentBegin();
    // A piece of the body was written; total is the count so far.
    void dataReceived(qint64 total);
    void finished(bool success);

private:
    struct Watch {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };

    static int socketCallback(void *easy, int socket, int what, void *self, void *socketData);
    static int timerCallback(void *multi, long timeoutMs, void *self);
    static size_t headerCallback(char *data, size_t size, size_t count, void *self);
    static size_t writeCallback(char *data, size_t size, size_t count, void *self);

    void watchSocket(int socket, int what);
    void unwatchSocket(int socket);
    void socketAction(int socket, int events);
    void finish(int curlCode);
    void release();

    void *multi_ = nullptr;
    void *easy_ = nullptr;
    void *headerList_ = nullptr;
    QIODevice *body_ = nullptr;
    QHash<int, Watch> watches_;
    QTimer timer_;
    QByteArray errorBuffer_;
    qint64 received_ = 0;
    int status_ = 0;
    QString reason_;
    QString statusReason_;
    bool aborted_ = false;
    bool writeFailed_ = false;
    bool begun_ = false;
};
