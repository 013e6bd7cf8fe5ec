#include "download/downloadjob.h"

#include <QFileInfo>

#include "download/partfile.h"

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
    return QFileInfo(path_).size();
}

void DownloadJob::start(const HttpGet::Request &request, const QString &path, QFileDevice::Permissions permissions)
{
    if (running())
        return;
    state_ = State::UnderWay;
    failure_ = Failure::None;
    detail_.clear();
    path_ = path;
    permissions_ = permissions;
    file_ = std::make_unique<PartFile>(path);
    if (!get_) {
        get_ = std::make_unique<HttpGet>();
        connect(get_.get(), &HttpGet::headerLine, this, &DownloadJob::headerLine);
        connect(get_.get(), &HttpGet::documentBegin, this, &DownloadJob::documentBegin);
        connect(get_.get(), &HttpGet::dataReceived, this, &DownloadJob::dataReceived);
        connect(get_.get(), &HttpGet::finished, this, &DownloadJob::transferFinished);
    }
    if (!file_->open()) {
        fail(Failure::CannotWrite, file_->errorString());
        return;
    }
    if (!get_->get(request, file_->device())) {
        file_->discard();
        fail(Failure::NotStarted, get_->reason());
    }
}

void DownloadJob::transferFinished(bool success)
{
    // Only a file that was written and closed whole is the program it claims to be.
    const bool opened = file_ && file_->isOpen();
    const bool whole = success && opened && file_->commit(permissions_);
    if (whole) {
        if (state_ == State::UnderWay)
            state_ = State::Received;
        emit finished(true);
        return;
    }
    if (file_)
        file_->discard();
    if (success)
        fail(Failure::CannotWrite, file_ ? file_->errorString() : QString());
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
    file_->discard();
    state_ = State::Stopped;
    failure_ = Failure::Aborted;
}
