#include "download/httpget.h"

#include "common/environment.h"

HttpGet::HttpGet(QObject *parent)
    : QObject(parent)
{
}

HttpGet::~HttpGet()
{
    // The backend's code lives in the module, which stays loaded until the process ends.
    backend_.reset();
}

bool HttpGet::loadModule()
{
    if (backend_)
        return true;
    module_.setFileName(Environment::moduleDirectory() + QStringLiteral("/morvello_download"));
    const auto create = reinterpret_cast<CreateHttpBackend>(module_.resolve(kHttpBackendEntry));
    if (!create) {
        reason_ = QStringLiteral("The download module could not be loaded: %1").arg(module_.errorString());
        return false;
    }
    backend_.reset(create(&relay_));
    return true;
}

bool HttpGet::get(const Request &request, QIODevice *body)
{
    return loadModule() && backend_->get(request, body);
}

void HttpGet::abort()
{
    if (backend_)
        backend_->abort();
}
