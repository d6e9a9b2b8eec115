#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// A URL reference split by the generic syntax of RFC 2396, exactly as written: unlike QUrl it
// neither lower-cases nor IDN-normalises the host, decodes nothing and adds nothing, so hosts
// and paths can be compared with the text the user typed. Parsing fails for characters that no
// URL may hold (blanks, quotes, "<", ">", braces, non-ASCII), for a "%" not followed by two
// hexadecimal digits and for a second "#".
class URLReference
{
public:
    static std::optional<URLReference> parse(QStringView text);

    bool hasScheme() const { return !m_scheme.isEmpty(); }
    const QString &scheme() const { return m_scheme; }
    bool hasAuthority() const { return m_hasAuthority; }
    const QString &userInfo() const { return m_userInfo; }
    const QString &host() const { return m_host; }
    const QString &port() const { return m_port; }
    bool hasPort() const { return m_hasPort; }
    const QString &path() const { return m_path; }
    const QString &query() const { return m_query; }
    bool hasQuery() const { return m_hasQuery; }
    const QString &fragment() const { return m_fragment; }
    bool hasFragment() const { return m_hasFragment; }
    bool hasUserInfo() const { return m_hasUserInfo; }

    // The text after the last "." of the path's last segment; "" when there is none (a segment
    // that only starts with "." has none either).
    QString pathExtension() const;

    // True for the characters RFC 2396 allows unescaped (reserved and unreserved).
    static bool isURLCharacter(char16_t c);

private:
    QString m_scheme;
    QString m_userInfo;
    QString m_host;
    QString m_port;
    QString m_path;
    QString m_query;
    QString m_fragment;
    bool m_hasAuthority = false;
    bool m_hasUserInfo = false;
    bool m_hasPort = false;
    bool m_hasQuery = false;
    bool m_hasFragment = false;
};
