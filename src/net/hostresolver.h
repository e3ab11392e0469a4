#pragma once
// Looks host names up for Connection. The system's resolver asks QHostInfo;
// tests hand in a resolver that knows a few names of their own.

#include <QHostAddress>
#include <QList>
#include <QString>
#include <functional>

class QObject;

class HostResolver {
public:
    using Found = std::function<void(const QList<QHostAddress>& addresses)>;

    virtual ~HostResolver() = default;
    // Looks the name up and calls found with its addresses (none: the name is
    // unknown), later, from the event loop, and never once context is gone.
    virtual void lookUp(const QString& name, QObject* context, Found found) = 0;

    // The system's resolver.
    static HostResolver& system();
};
