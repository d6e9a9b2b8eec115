#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// A URL reference split by the generic syntax of RFC 2396, exactly as written: unlike QUrl it
// neither lower-cases nor IDN-normalises the host, decodes nothing and adds nothing, so hosts
// and paths can be compared with the text the user typed. Parsing fails for characters that no
// URL may hold (blanks, quotes, "<", ">", braces, non-ASCII), for a "%" not followed by two
// hexadecimal digits and for a second "#".
//
// The reference keeps the text it split (shared, not copied, when it is given a QString) and
// where each part lies in it, so that the checks run over thousands of items allocate nothing;
// a part becomes a string of its own only when asked for.
class URLReference
{
public:
    static std::optional<URLReference> parse(const QString &text);
    static std::optional<URLReference> parse(QStringView text) { return parse(text.toString()); }

    bool hasScheme() const { return m_scheme.length > 0; }
    QString scheme() const { return part(m_scheme); }
    bool hasAuthority() const { return m_hasAuthority; }
    QString userInfo() const { return part(m_userInfo); }
    QString host() const { return part(m_host); }
    QString port() const { return part(m_port); }
    bool hasPort() const { return m_hasPort; }
    QString path() const { return part(m_path); }
    bool pathIsEmpty() const { return m_path.length == 0; }
    QString query() const { return part(m_query); }
    bool hasQuery() const { return m_hasQuery; }
    QString fragment() const { return part(m_fragment); }
    bool hasFragment() const { return m_hasFragment; }
    bool hasUserInfo() const { return m_hasUserInfo; }

    // The text after the last "." of the path's last segment; "" when there is none (a segment
    // that only starts with "." has none either).
    QString pathExtension() const { return pathExtensionView().toString(); }
    QStringView pathExtensionView() const;

    // An http or https link of URL characters only, with no port, escape, fragment or
    // ampersand: what nearly every link of a feed is. It needs no making safe and reads as a
    // reference with a scheme, so checks over thousands of items settle it where it stands.
    static bool isPlainWebLink(QStringView link);
    // pathExtensionView() of such a link as parse() would split it.
    static QStringView plainWebLinkExtension(QStringView link);

    // True for the characters RFC 2396 allows unescaped (reserved and unreserved).
    static bool isURLCharacter(char16_t c)
    {
        return c < 128 && (kURLCharacters[c >> 5] & (1u << (c & 31))) != 0;
    }

private:
    static std::optional<URLReference> parseText(const QString &text);
    struct Range
    {
        qsizetype start = 0;
        qsizetype length = 0;
    };
    QString part(Range range) const { return m_text.sliced(range.start, range.length); }
    QStringView view(Range range) const
    {
        return QStringView(m_text).sliced(range.start, range.length);
    }

    // One bit per ASCII character: letters, digits, the unreserved marks and the reserved ones.
    static const quint32 kURLCharacters[4];

    QString m_text;
    Range m_scheme;
    Range m_userInfo;
    Range m_host;
    Range m_port;
    Range m_path;
    Range m_query;
    Range m_fragment;
    bool m_hasAuthority = false;
    bool m_hasUserInfo = false;
    bool m_hasPort = false;
    bool m_hasQuery = false;
    bool m_hasFragment = false;
};
