#include "net/hostresolver.h"

#include <QHostInfo>

namespace {

class SystemResolver : public HostResolver {
public:
    void lookUp(const QString& name, QObject* context, Found found) override
    {
        QHostInfo::lookupHost(name, context, [found = std::move(found)](const QHostInfo& info) {
            found(info.addresses());
        });
    }
};

} // namespace

HostResolver& HostResolver::system()
{
    static SystemResolver resolver;
    return resolver;
}
