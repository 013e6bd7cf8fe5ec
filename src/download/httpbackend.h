#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <QtGlobal>

class QIODevice;

// What the download module offers the game. libcurl and the twenty libraries it brings are
// loaded with the first download, in a module of their own, so that they cost the start-up
// nothing.

struct HttpRequest {
    QUrl url;
    QByteArray userAgent;
    QList<QByteArray> headers;   // "Name: value"
    bool allowPlainHttp = false;
    // A body longer than this fails the GET as soon as it is announced or passed.
    qint64 maxBytes = 256 * 1024 * 1024;
    // A transfer that stays below lowSpeedBytes a second for lowSpeedSeconds fails, so that a
    // server trickling a few bytes now and then cannot keep it open for ever.
    int lowSpeedBytes = 1024;
    int lowSpeedSeconds = 60;
};

// The events of one GET, in their order.
class HttpBackendListener {
public:
    virtual ~HttpBackendListener() = default;
    // Each response header line, the status line included, without its line ending.
    virtual void headerLine(const QByteArray &line) = 0;
    // The headers of a successful response are complete; its body follows.
    virtual void documentBegin() = 0;
    // A piece of the body was written; total is the count so far.
    virtual void dataReceived(qint64 total) = 0;
    // Success only for a body known to be whole: as long as its Content-Length said, or sent
    // in chunks up to the last one. A connection closed early is a failure, whatever the
    // status, since HTTP/1.0 has no other way to tell the end of a body.
    virtual void finished(bool success) = 0;
};

class HttpBackend {
public:
    // The status and reason of a GET stopped by abort().
    static constexpr int kAbortedStatus = 404;
    static inline const QString kAbortedReason = QStringLiteral("Connection aborted on request");

    virtual ~HttpBackend() = default;
    virtual bool get(const HttpRequest &request, QIODevice *body) = 0;
    virtual void abort() = 0;
    virtual bool isRunning() const = 0;
    virtual qint64 received() const = 0;
    virtual int status() const = 0;
    virtual QString reason() const = 0;
};

// The module's one exported function, by this name: a new backend reporting to the listener,
// owned by the caller.
inline constexpr char kHttpBackendEntry[] = "morvello_create_http_backend";
using CreateHttpBackend = HttpBackend *(*)(HttpBackendListener *listener);
