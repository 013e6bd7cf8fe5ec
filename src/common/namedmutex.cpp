#include "common/namedmutex.h"

#include <fcntl.h>
#include <semaphore.h>

NamedMutex::NamedMutex(const QByteArray &name)
{
    // Not unlinked on close: another running copy may hold the same name.
    sem_t *semaphore = sem_open(("/" + name).constData(), O_CREAT, 0600, 1);
    if (semaphore != SEM_FAILED)
        handle_ = semaphore;
}

NamedMutex::~NamedMutex()
{
    if (handle_)
        sem_close(static_cast<sem_t *>(handle_));
}
