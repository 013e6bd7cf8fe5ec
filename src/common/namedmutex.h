#pragma once

#include <QByteArray>

// A system-wide named lock object, opened (created when missing) for the life of the owner.
// The game only holds it so that other programs can see a copy is running; it never waits
// on it, and a second copy opens the same one and runs on.
class NamedMutex {
public:
    explicit NamedMutex(const QByteArray &name);
    ~NamedMutex();
    NamedMutex(const NamedMutex &) = delete;
    NamedMutex &operator=(const NamedMutex &) = delete;

    bool isOpen() const { return handle_ != nullptr; }

private:
    void *handle_ = nullptr;
};
