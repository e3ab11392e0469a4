#pragma once

#include <QString>

class Desktop;

// A web link: an address without its scheme, opened as an http address.
class WebLink {
public:
    explicit WebLink(const QString& address) : m_address(address) {}

    // The address, without "http://".
    QString address() const { return m_address; }
    // The address with "http://" in front, as it is handed to the desktop.
    QString fullAddress() const;
    // Asks the desktop to open the full address with the user's default program.
    void open(Desktop& desktop) const;

private:
    QString m_address;
};
