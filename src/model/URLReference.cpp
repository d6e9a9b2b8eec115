#include "model/URLReference.h"

namespace {
bool isAlpha(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}
bool isHex(char16_t c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
} // namespace

bool URLReference::isURLCharacter(char16_t c)
{
    if (isAlpha(c) || isDigit(c))
        return true;
    switch (c) {
    // unreserved marks
    case u'-':
    case u'_':
    case u'.':
    case u'!':
    case u'~':
    case u'*':
    case u'\'':
    case u'(':
    case u')':
    // reserved
    case u';':
    case u'/':
    case u'?':
    case u':':
    case u'@':
    case u'&':
    case u'=':
    case u'+':
    case u'$':
    case u',':
        return true;
    default:
        return false;
    }
}

std::optional<URLReference> URLReference::parse(QStringView text)
{
    // Character check first: every character must be legal, escapes well-formed, one "#".
    qsizetype hash = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'%') {
            if (i + 2 >= text.size() || !isHex(text[i + 1].unicode())
                || !isHex(text[i + 2].unicode()))
                return std::nullopt;
            i += 2;
        } else if (c == u'#') {
            if (hash >= 0)
                return std::nullopt;
            hash = i;
        } else if (!isURLCharacter(c)) {
            return std::nullopt;
        }
    }

    URLReference ref;
    QStringView rest = text;
    if (hash >= 0) {
        ref.m_hasFragment = true;
        ref.m_fragment = text.mid(hash + 1).toString();
        rest = text.left(hash);
    }

    // scheme = alpha *( alpha | digit | "+" | "-" | "." ) ":"
    if (!rest.isEmpty() && isAlpha(rest[0].unicode())) {
        qsizetype i = 1;
        while (i < rest.size()) {
            const char16_t c = rest[i].unicode();
            if (isAlpha(c) || isDigit(c) || c == u'+' || c == u'-' || c == u'.')
                ++i;
            else
                break;
        }
        if (i < rest.size() && rest[i] == u':') {
            ref.m_scheme = rest.left(i).toString();
            rest = rest.mid(i + 1);
        }
    }

    const qsizetype question = rest.indexOf(u'?');
    if (question >= 0) {
        ref.m_hasQuery = true;
        ref.m_query = rest.mid(question + 1).toString();
        rest = rest.left(question);
    }

    if (rest.startsWith(u"//")) {
        ref.m_hasAuthority = true;
        rest = rest.mid(2);
        const qsizetype slash = rest.indexOf(u'/');
        QStringView authority = slash < 0 ? rest : rest.left(slash);
        rest = slash < 0 ? QStringView() : rest.mid(slash);
        const qsizetype at = authority.lastIndexOf(u'@');
        if (at >= 0) {
            ref.m_hasUserInfo = true;
            ref.m_userInfo = authority.left(at).toString();
            authority = authority.mid(at + 1);
        }
        const qsizetype colon = authority.lastIndexOf(u':');
        if (colon >= 0) {
            const QStringView port = authority.mid(colon + 1);
            for (QChar c : port) {
                if (!isDigit(c.unicode()))
                    return std::nullopt;
            }
            ref.m_hasPort = true;
            ref.m_port = port.toString();
            authority = authority.left(colon);
        }
        ref.m_host = authority.toString();
    }
    ref.m_path = rest.toString();
    return ref;
}

QString URLReference::pathExtension() const
{
    const qsizetype slash = m_path.lastIndexOf(u'/');
    const QStringView segment = QStringView(m_path).mid(slash + 1);
    const qsizetype dot = segment.lastIndexOf(u'.');
    if (dot <= 0)
        return QString();
    return segment.mid(dot + 1).toString();
}
