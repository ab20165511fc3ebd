#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

/// A listening address setting as the control ports read it: empty or "localhost" is loopback, "any" is
/// every interface, otherwise an address; nullopt when the text is no address.
std::optional<QHostAddress> listenAddressFrom(const QString& setting);
