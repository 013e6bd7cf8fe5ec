#pragma once

#include <QFileDevice>
#include <QObject>
#include <QString>
#include <memory>

#include "download/httpget.h"

class PartFile;

// One download into a file at a time, and where it stands. The body arrives in a part file of
// its own (see PartFile) that takes the file's name only when it arrived and was written
// whole: then the download is Received. One that failed, was stopped or could not be written
// ends Stopped, its part file removed and whatever stood at the name untouched, so nobody runs
// a piece of a program.
class DownloadJob : public QObject {
    Q_OBJECT

public:
    enum class State { Idle, UnderWay, Received, Stopped };
    // Why the last download did not arrive whole.
    enum class Failure {
        None,
        CannotWrite,   // the file could not be opened or written; detail() is the system's reason
        NotStarted,    // the transfer could not begin; detail() says why
        Failed,        // the server or the network failed it; detail() says why
        Aborted,       // stopped by the user
    };

    explicit DownloadJob(QObject *parent = nullptr);
    ~DownloadJob() override;

    // Downloads into path, which the whole file replaces with the given permissions. Nothing
    // while a download runs. finished() follows, at once when the download cannot start.
    void start(const HttpGet::Request &request, const QString &path,
               QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // The user's stop: the running transfer ends as a failure. Without one, only the state
    // becomes Stopped.
    void abort();
    // Stops a running download at once and removes its file, without finished().
    void discard();

    State state() const { return state_; }
    bool running() const { return get_ && get_->isRunning(); }
    Failure failure() const { return failure_; }
    const QString &detail() const { return detail_; }
    const QString &path() const { return path_; }
    // The size of the received file.
    qint64 size() const;

signals:
    void headerLine();
    void documentBegin();
    void dataReceived(qint64 total);
    // The download ended; whole when the file arrived and was written whole (also after a
    // stop that came too late), and state() says whether it may be used.
    void finished(bool whole);

private:
    void transferFinished(bool success);
    void fail(Failure failure, const QString &detail);

    std::unique_ptr<HttpGet> get_;
    std::unique_ptr<PartFile> file_;
    QString path_;
    QFileDevice::Permissions permissions_;
    State state_ = State::Idle;
    Failure failure_ = Failure::None;
    QString detail_;
};
