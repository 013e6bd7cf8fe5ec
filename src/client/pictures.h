#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <future>
#include <map>

// The main window's pictures. The large ones are decoded on worker threads while the window
// builds its widgets, which shortens the start noticeably on a machine with a second core.
class Pictures {
public:
    Pictures() = default;
    ~Pictures();
    Pictures(const Pictures &) = delete;
    Pictures &operator=(const Pictures &) = delete;

    // Starts decoding these resources now.
    void preload(const QStringList &paths);
    // The picture of a resource; waits for it when it is still being decoded. A missing
    // resource gives a null pixmap.
    QPixmap pixmap(const QString &path);

private:
    std::map<QString, std::future<QImage>> pending_;
};
