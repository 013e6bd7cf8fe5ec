#include "download/downloadjob.h"

#include <QFileInfo>

DownloadJob::DownloadJob(QObject *parent)
    : QObject(parent)
{
}

DownloadJob::~DownloadJob()
{
    discard();
}

qint64 DownloadJob::size() const
{
    return QFileInfo(file_.fileName()).size();
}

void DownloadJob::start(const HttpGet::Request &request, const QString &path)
{
    if (running())
        return;
    state_ = State::UnderWay;
    failure_ = Failure::None;
    detail_.clear();
    file_.setFileName(path);
    if (!get_) {
        get_ = std::make_unique<HttpGet>();
        connect(get_.get(), &HttpGet::headerLine, this, &DownloadJob::headerLine);
        connect(get_.get(), &HttpGet::documentBegin, this, &DownloadJob::documentBegin);
        connect(get_.get(), &HttpGet::dataReceived, this, &DownloadJob::dataReceived);
        connect(get_.get(), &HttpGet::finished, this, &DownloadJob::transferFinished);
    }
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(Failure::CannotWrite, file_.errorString());
        return;
    }
    if (!get_->get(request, &file_)) {
        file_.close();
        QFile::remove(file_.fileName());
        fail(Failure::NotStarted, get_->reason());
    }
}

void DownloadJob::transferFinished(bool success)
{
    // Only a file that was written and closed whole is the program it claims to be.
    const bool opened = file_.isOpen();
    bool whole = success && opened && file_.flush();
    if (opened)
        file_.close();
    whole = whole && file_.error() == QFileDevice::NoError;
    if (whole) {
        if (state_ == State::UnderWay)
            state_ = State::Received;
        emit finished(true);
        return;
    }
    if (opened)
        QFile::remove(file_.fileName());
    if (success)
        fail(Failure::CannotWrite, file_.errorString());
    else if (get_->reason() == HttpGet::kAbortedReason)
        fail(Failure::Aborted, QString());
    else
        fail(Failure::Failed, get_->reason());
}

void DownloadJob::fail(Failure failure, const QString &detail)
{
    state_ = State::Stopped;
    failure_ = failure;
    detail_ = detail;
    emit finished(false);
}

void DownloadJob::abort()
{
    if (get_)
        get_->abort();
    state_ = State::Stopped;
}

void DownloadJob::discard()
{
    if (!running())
        return;
    get_.reset();
    file_.close();
    QFile::remove(file_.fileName());
    state_ = State::Stopped;
    failure_ = Failure::Aborted;
}
