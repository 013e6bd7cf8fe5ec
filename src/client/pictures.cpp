#include "client/pictures.h"

Pictures::~Pictures()
{
    for (auto &[path, decoding] : pending_)
        decoding.wait();
}

void Pictures::preload(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (pending_.count(path))
            continue;
        pending_.emplace(path, std::async(std::launch::async, [path] {
            // Converted here too, so that the window thread only wraps the result.
            return QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }));
    }
}

QPixmap Pictures::pixmap(const QString &path)
{
    auto decoding = pending_.find(path);
    if (decoding == pending_.end())
        return QPixmap(path);
    QImage image = decoding->second.get();
    pending_.erase(decoding);
    return QPixmap::fromImage(std::move(image));
}
