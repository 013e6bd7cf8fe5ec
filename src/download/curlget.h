#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include "download/httpbackend.h"

class QSocketNotifier;

// One HTTP GET at a time whose body streams into a device, run by libcurl's multi interface on
// the thread that owns this object: curl's sockets are watched with socket notifiers and its
// time-outs with a timer, so the window keeps working while the transfer runs. The request is
// HTTP/1.0 without a proxy; HTTPS with the certificate and host name checked, plain http only
// where the caller allows it. A response status of 400 or more is a failure.
class CurlGet : public QObject, public HttpBackend {
public:
    explicit CurlGet(HttpBackendListener *listener);
    ~CurlGet() override;

    // Starts the GET; the body goes to `body`, which must stay open until finished. False,
    // with reason() set, when it cannot start (one is running, or the URL's scheme is refused).
    bool get(const HttpRequest &request, QIODevice *body) override;
    // Ends the running GET as a failure with kAbortedStatus and kAbortedReason; finished
    // follows from the event loop, never from inside this call. Nothing when none runs.
    void abort() override;
    bool isRunning() const override { return easy_ != nullptr; }
    qint64 received() const override { return received_; }
    int status() const override { return status_; }
    QString reason() const override { return reason_; }

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

    HttpBackendListener *listener_;
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
    bool tooLarge_ = false;
    bool chunked_ = false;
    qint64 maxBytes_ = 0;
    bool begun_ = false;
};
