#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>

/**
 * Who may do what on the phone view. Watching is free when the server listens on loopback and the
 * visitor comes from this machine; pressing keys always needs the token, and so does everything when
 * the server listens on any other address. The token comes in the "valdoria_token" cookie the first
 * visit sets, or as ?token= on that first visit. Tokens are compared in constant time and never logged.
 */
class WebAccess {
public:
    enum class Level { None, Watch, Control };

    /// The cookie the token travels in after the first visit.
    static constexpr const char* kCookieName = "valdoria_token";

    /// A fresh token: 128 random bits as 32 hexadecimal digits.
    static QString makeToken();
    /// True when both are equal; the time taken depends only on the length of the expected token.
    static bool sameToken(const QByteArray& given, const QByteArray& expected);
    /// The value of the token cookie in a Cookie header, or empty.
    static QByteArray tokenFromCookies(const QByteArray& cookieHeader);

    void setToken(const QString& token) { m_token = token.toUtf8(); }
    QString token() const { return QString::fromUtf8(m_token); }
    /// Where the server listens: anything but loopback needs the token for watching too.
    void setListenAddress(const QHostAddress& address) { m_listen = address; }
    bool watchingNeedsToken() const;

    /// What a visitor from peer with this token (cookie or query, empty when none) may do.
    Level levelFor(const QHostAddress& peer, const QByteArray& givenToken) const;

private:
    QByteArray m_token;
    QHostAddress m_listen{QHostAddress::LocalHost};
};
