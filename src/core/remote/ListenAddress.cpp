#include "ListenAddress.h"

std::optional<QHostAddress> listenAddressFrom(const QString& setting) {
    const QString text = setting.trimmed();
    if (text.isEmpty() || text.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::LocalHost);
    if (text.compare(QLatin1String("any"), Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::Any);
    QHostAddress address;
    if (!address.setAddress(text))
        return std::nullopt;
    return address;
}
