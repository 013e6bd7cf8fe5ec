#pragma once

#include <QLibrary>
#include <QObject>
#include <QString>
#include <memory>

#include "download/httpbackend.h"

// One HTTP GET at a time whose body streams into a device, without blocking the window (see
// HttpBackend). The work is done by the download module, loaded with the first GET; when it
// cannot be loaded, get() fails and reason() says why.
class HttpGet : public QObject {
    Q_OBJECT

public:
    using Request = HttpRequest;
    static constexpr int kAbortedStatus = HttpBackend::kAbortedStatus;
    static inline const QString kAbortedReason = HttpBackend::kAbortedReason;

    explicit HttpGet(QObject *parent = nullptr);
    ~HttpGet() override;

    // Starts the GET; the body goes to `body`, which must stay open until finished(). False,
    // with reason() set, when it cannot start (one is running, the URL's scheme is refused, or
    // the download module is missing).
    bool get(const Request &request, QIODevice *body);
    // Ends the running GET as a failure with kAbortedStatus and kAbortedReason; finished()
    // follows from the event loop, never from inside this call. Nothing when none runs.
    void abort();
    bool isRunning() const { return backend_ && backend_->isRunning(); }

    qint64 received() const { return backend_ ? backend_->received() : 0; }
    // The last response's status (0 before one arrived) and, after a failure, why.
    int status() const { return backend_ ? backend_->status() : 0; }
    QString reason() const { return backend_ ? backend_->reason() : reason_; }

signals:
    void headerLine(const QByteArray &line);
    void documentBegin();
    void dataReceived(qint64 total);
    void finished(bool success);

private:
    // Hands the module's events on as this object's signals.
    class Relay : public HttpBackendListener {
    public:
        explicit Relay(HttpGet &get) : get_(get) {}
        void headerLine(const QByteArray &line) override { emit get_.headerLine(line); }
        void documentBegin() override { emit get_.documentBegin(); }
        void dataReceived(qint64 total) override { emit get_.dataReceived(total); }
        void finished(bool success) override { emit get_.finished(success); }

    private:
        HttpGet &get_;
    };

    bool loadModule();

    Relay relay_{*this};
    QLibrary module_;
    std::unique_ptr<HttpBackend> backend_;
    QString reason_;
};
