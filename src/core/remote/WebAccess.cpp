#include "WebAccess.h"

#include <QList>
#include <QRandomGenerator>

QString WebAccess::makeToken() {
    QByteArray bytes(16, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return QString::fromLatin1(bytes.toHex());
}

bool WebAccess::sameToken(const QByteArray& given, const QByteArray& expected) {
    // An empty stored token admits nobody; the loop runs over the expected token whatever is given,
    // so the answer's timing tells nothing about how much of a guess was right.
    if (expected.isEmpty())
        return false;
    unsigned char difference = given.size() == expected.size() ? 0 : 1;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const char g = i < given.size() ? given.at(i) : 0;
        difference |= static_cast<unsigned char>(g ^ expected.at(i));
    }
    return difference == 0;
}

QByteArray WebAccess::tokenFromCookies(const QByteArray& cookieHeader) {
    const QList<QByteArray> cookies = cookieHeader.split(';');
    for (const QByteArray& cookie : cookies) {
        const QByteArray pair = cookie.trimmed();
        const qsizetype equals = pair.indexOf('=');
        if (equals > 0 && pair.left(equals).trimmed() == kCookieName)
            return pair.mid(equals + 1).trimmed();
    }
    return {};
}

bool WebAccess::watchingNeedsToken() const {
    return !m_listen.isLoopback();
}

WebAccess::Level WebAccess::levelFor(const QHostAddress& peer, const QByteArray& givenToken) const {
    if (sameToken(givenToken, m_token))
        return Level::Control;
    if (!watchingNeedsToken() && peer.isLoopback())
        return Level::Watch;
    return Level::None;
}
