#include "download/curlget.h"

#include <QIODevice>
#include <QSocketNotifier>

#include <curl/curl.h>

namespace {

// Gives up on a server that answers nothing for this long, so no download hangs for ever.
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kMaxRedirects = 5;

void initialiseCurl()
{
    static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(done);
}

CURLM *multiOf(void *handle)
{
    return static_cast<CURLM *>(handle);
}

CURL *easyOf(void *handle)
{
    return static_cast<CURL *>(handle);
}

} // namespace

CurlGet::CurlGet(HttpBackendListener *listener)
    : listener_(listener)
{
    initialiseCurl();
    multi_ = curl_multi_init();
    curl_multi_setopt(multiOf(multi_), CURLMOPT_SOCKETFUNCTION, &CurlGet::socketCallback);
    curl_multi_setopt(multiOf(multi_), CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multiOf(multi_), CURLMOPT_TIMERFUNCTION, &CurlGet::timerCallback);
    curl_multi_setopt(multiOf(multi_), CURLMOPT_TIMERDATA, this);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { socketAction(CURL_SOCKET_TIMEOUT, 0); });
}

CurlGet::~CurlGet()
{
    release();
    curl_multi_cleanup(multiOf(multi_));
}

bool CurlGet::get(const HttpRequest &request, QIODevice *body)
{
    if (easy_) {
        reason_ = QStringLiteral("A download is already running.");
        return false;
    }
    const QString scheme = request.url.scheme().toLower();
    if (!request.url.isValid() ||
        !(scheme == QLatin1String("https") || (scheme == QLatin1String("http") && request.allowPlainHttp))) {
        reason_ = QStringLiteral("Refused to download from %1: only https is allowed.")
                      .arg(request.url.toDisplayString());
        return false;
    }

    body_ = body;
    received_ = 0;
    status_ = 0;
    reason_.clear();
    statusReason_.clear();
    aborted_ = false;
    writeFailed_ = false;
    tooLarge_ = false;
    chunked_ = false;
    maxBytes_ = request.maxBytes;
    begun_ = false;
    errorBuffer_.fill('\0', CURL_ERROR_SIZE + 1);

    CURL *easy = curl_easy_init();
    easy_ = easy;
    const QByteArray url = request.url.toEncoded();
    const char *protocols = request.allowPlainHttp ? "http,https" : "https";
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, protocols);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, protocols);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, request.userAgent.constData());
    curl_slist *headers = nullptr;
    for (const QByteArray &header : request.headers)
        headers = curl_slist_append(headers, header.constData());
    headerList_ = headers;
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    // No proxy, not even one named in the environment.
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, long(request.lowSpeedBytes));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, long(request.lowSpeedSeconds));
    // Refuses an announced length past the limit at once; writeCallback counts the rest.
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(request.maxBytes));
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer_.data());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlGet::headerCallback);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlGet::writeCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    // Adding the handle asks for a time-out of 0 through the timer, which starts the transfer
    // from the event loop.
    curl_multi_add_handle(multiOf(multi_), easy);
    return true;
}

void CurlGet::abort()
{
    if (!easy_ || aborted_)
        return;
    aborted_ = true;
    // Not from inside the caller, which may be one of curl's own callbacks.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (easy_ && aborted_)
                finish(CURLE_ABORTED_BY_CALLBACK);
        },
        Qt::QueuedConnection);
}

int CurlGet::socketCallback(void *, int socket, int what, void *self, void *)
{
    auto *get = static_cast<CurlGet *>(self);
    if (what == CURL_POLL_REMOVE)
        get->unwatchSocket(socket);
    else
        get->watchSocket(socket, what);
    return 0;
}

int CurlGet::timerCallback(void *, long timeoutMs, void *self)
{
    auto *get = static_cast<CurlGet *>(self);
    if (timeoutMs < 0)
        get->timer_.stop();
    else
        get->timer_.start(int(qMin<long>(timeoutMs, 24L * 3600 * 1000)));
    return 0;
}

void CurlGet::watchSocket(int socket, int what)
{
    Watch &watch = watches_[socket];
    auto notifier = [this, socket](QSocketNotifier::Type type, int event) {
        auto *n = new QSocketNotifier(qintptr(socket), type, this);
        connect(n, &QSocketNotifier::activated, this, [this, socket, event] { socketAction(socket, event); });
        return n;
    };
    const bool wantRead = what == CURL_POLL_IN || what == CURL_POLL_INOUT;
    const bool wantWrite = what == CURL_POLL_OUT || what == CURL_POLL_INOUT;
    if (wantRead && !watch.read)
        watch.read = notifier(QSocketNotifier::Read, CURL_CSELECT_IN);
    if (watch.read)
        watch.read->setEnabled(wantRead);
    if (wantWrite && !watch.write)
        watch.write = notifier(QSocketNotifier::Write, CURL_CSELECT_OUT);
    if (watch.write)
        watch.write->setEnabled(wantWrite);
}

void CurlGet::unwatchSocket(int socket)
{
    const Watch watch = watches_.take(socket);
    // Possibly called from the notifier's own signal: it goes once that has returned.
    for (QSocketNotifier *n : {watch.read, watch.write}) {
        if (n) {
            n->setEnabled(false);
            n->deleteLater();
        }
    }
}

void CurlGet::socketAction(int socket, int events)
{
    if (!easy_)
        return;
    int running = 0;
    curl_multi_socket_action(multiOf(multi_), curl_socket_t(socket), events, &running);
    int queued = 0;
    while (CURLMsg *message = curl_multi_info_read(multiOf(multi_), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
            finish(message->data.result);
            return;
        }
    }
}

size_t CurlGet::headerCallback(char *data, size_t size, size_t count, void *self)
{
    auto *get = static_cast<CurlGet *>(self);
    const size_t length = size * count;
    if (get->aborted_)
        return 0;
    QByteArray line(data, qsizetype(length));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.startsWith("HTTP/")) {
        // "HTTP/1.0 200 OK": a new response starts (a redirection's target has its own).
        const QList<QByteArray> parts = line.split(' ');
        get->status_ = parts.value(1).toInt();
        get->chunked_ = false;
        get->statusReason_ = QString::fromLatin1(line.mid(line.indexOf(' ', line.indexOf(' ') + 1) + 1)).trimmed();
    }
    const qsizetype colon = line.indexOf(':');
    if (colon > 0 && line.first(colon).trimmed().compare("Transfer-Encoding", Qt::CaseInsensitive) == 0 &&
        line.sliced(colon + 1).toLower().contains("chunked"))
        get->chunked_ = true;
    if (!line.isEmpty()) {
        get->listener_->headerLine(line);
    } else if (!get->begun_ && get->status_ >= 200 && get->status_ < 300) {
        get->begun_ = true;
        get->listener_->documentBegin();
    }
    return get->aborted_ ? 0 : length;
}

size_t CurlGet::writeCallback(char *data, size_t size, size_t count, void *self)
{
    auto *get = static_cast<CurlGet *>(self);
    const size_t length = size * count;
    if (get->aborted_)
        return 0;
    if (get->received_ + qint64(length) > get->maxBytes_) {
        get->tooLarge_ = true;
        return 0;
    }
    if (get->body_->write(data, qint64(length)) != qint64(length)) {
        get->writeFailed_ = true;
        return 0;
    }
    get->received_ += qint64(length);
    get->listener_->dataReceived(get->received_);
    return get->aborted_ ? 0 : length;
}

void CurlGet::finish(int curlCode)
{
    bool success = false;
    if (aborted_) {
        status_ = kAbortedStatus;
        reason_ = kAbortedReason;
    } else if (tooLarge_ || curlCode == CURLE_FILESIZE_EXCEEDED) {
        const QString most = maxBytes_ % (1024 * 1024) == 0 ? QStringLiteral("%1 MB").arg(maxBytes_ / (1024 * 1024))
                                                            : QStringLiteral("%1 bytes").arg(maxBytes_);
        reason_ = QStringLiteral("The file is larger than %1, the most a download may be.").arg(most);
    } else if (writeFailed_) {
        reason_ = QStringLiteral("The download could not be written: %1").arg(body_->errorString());
    } else if (curlCode == CURLE_OK) {
        curl_off_t length = -1;
        curl_easy_getinfo(easyOf(easy_), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (length >= 0 ? received_ == qint64(length) : chunked_)
            success = true;
        else if (length >= 0)
            reason_ = QStringLiteral("The server sent %1 of the %2 bytes it announced.").arg(received_).arg(qint64(length));
        else
            reason_ = QStringLiteral("The server closed the connection without saying how long the file is, so "
                                     "it may be cut short.");
    } else if (curlCode == CURLE_HTTP_RETURNED_ERROR) {
        long code = 0;
        curl_easy_getinfo(easyOf(easy_), CURLINFO_RESPONSE_CODE, &code);
        status_ = int(code);
        reason_ = !statusReason_.isEmpty() ? statusReason_ : QString::fromLocal8Bit(errorBuffer_.constData());
    } else {
        const QString detail = QString::fromLocal8Bit(errorBuffer_.constData());
        reason_ = detail.isEmpty() ? QString::fromLatin1(curl_easy_strerror(CURLcode(curlCode))) : detail;
    }
    release();
    listener_->finished(success);
}

void CurlGet::release()
{
    timer_.stop();
    if (easy_) {
        curl_multi_remove_handle(multiOf(multi_), easyOf(easy_));
        curl_easy_cleanup(easyOf(easy_));
        easy_ = nullptr;
    }
    curl_slist_free_all(static_cast<curl_slist *>(headerList_));
    headerList_ = nullptr;
    // Removing the handle closed its sockets and told socketCallback so; any left go here.
    for (auto it = watches_.begin(); it != watches_.end(); ++it) {
        for (QSocketNotifier *n : {it->read, it->write}) {
            if (n) {
                n->setEnabled(false);
                n->deleteLater();
            }
        }
    }
    watches_.clear();
    body_ = nullptr;
}

extern "C" Q_DECL_EXPORT HttpBackend *morvello_create_http_backend(HttpBackendListener *listener)
{
    return new CurlGet(listener);
}
