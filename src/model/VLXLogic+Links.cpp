#include "model/URLReference.h"
#include "model/VLXLogic.h"
#include "platform/AlertService.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QUuid>
#include <atomic>

// Safe links, URL and e-mail tests, generated GUIDs.

namespace {
const QString kExampleURL = QStringLiteral("http://www.example.com/index.html");
} // namespace

int VLXLogic::informWarning(bool critical, const QString &message, bool useMoreInfo)
{
    Alert alert;
    alert.style = critical ? Alert::Style::Critical : Alert::Style::Informational;
    alert.title = QStringLiteral("Warning");
    alert.message = message;
    if (useMoreInfo)
        alert.otherButton = QStringLiteral("More Info.");
    return AlertService::show(alert);
}

QString VLXLogic::unescapeURLString(const QString &text)
{
    return text;
}

QString VLXLogic::createSafeLink(const QString &link)
{
    // Validation asks for the same link several times in a row; the thread's last answer is
    // kept.
    thread_local QString lastLink;
    thread_local QString lastSafe;
    if (!lastLink.isNull() && lastLink.size() == link.size()
        && (lastLink.constData() == link.constData() || lastLink == link))
        return lastSafe;
    QString safe = makeSafeLink(link);
    lastLink = link;
    lastSafe = safe;
    return safe;
}

QString VLXLogic::makeSafeLink(const QString &link)
{
    const QString text = unescapeURLString(link);
    // Most links need nothing: only URL characters, no ampersand. They come back shared, without
    // a copy, which is what checks and writers over thousands of items depend on.
    bool plain = true;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'&' || !(URLReference::isURLCharacter(u) || u == u'#' || u == u'%')) {
            plain = false;
            break;
        }
    }
    if (plain)
        return text;
    static const char hexDigits[] = "0123456789ABCDEF";
    QString escaped;
    bool latin1 = true;
    qsizetype ampersands = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        latin1 = latin1 && u <= 0xFF;
        ampersands += u == u'&' ? 1 : 0;
    }
    if (latin1) {
        escaped.reserve(text.size() + ampersands * 4 + 8);
        for (QChar c : text) {
            const char16_t u = c.unicode();
            if (URLReference::isURLCharacter(u) || u == u'#' || u == u'%') {
                escaped += c;
            } else {
                escaped += u'%';
                escaped += QLatin1Char(hexDigits[(u >> 4) & 0xF]);
                escaped += QLatin1Char(hexDigits[u & 0xF]);
            }
        }
    } else {
        escaped = text;
    }
    if (ampersands == 0)
        return escaped;
    escaped.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    escaped.replace(QStringLiteral("&"), QStringLiteral("&amp;"));
    return escaped;
}

bool VLXLogic::checkURL(const QString &text)
{
    if (text.trimmed().isEmpty())
        return true;
    const auto url = URLReference::parse(createSafeLink(text));
    return url && url->hasScheme();
}

int VLXLogic::checkURLAndInform(const QString &text, const QString &fieldMessage, bool useMoreInfo)
{
    if (text.trimmed().isEmpty())
        return 1;
    const auto url = URLReference::parse(createSafeLink(text));
    if (!url) {
        return informWarning(false,
                             fieldMessage + u'"' + text
                                 + QStringLiteral("\" does not seem to be a valid URL.  URL "
                                                  "should be in a format similar to \"")
                                 + kExampleURL + u'"',
                             useMoreInfo);
    }
    if (!url->hasScheme()) {
        return informWarning(true,
                             fieldMessage + u'"' + text
                                 + QStringLiteral("\" does not seem to be a completely valid "
                                                  "URL.  The scheme is missing or not "
                                                  "recognized.  The URL should be in a format "
                                                  "similar to \"")
                                 + kExampleURL + u'"',
                             useMoreInfo);
    }
    return 1;
}

bool VLXLogic::checkEMail(const QString &text)
{
    if (text.trimmed().isEmpty())
        return true;
    const qsizetype at = text.indexOf(u'@');
    return at >= 0 && text.indexOf(u'.', at + 1) >= 0;
}

int VLXLogic::checkEMailAndInform(const QString &text, const QString &fieldMessage,
                                  bool useMoreInfo)
{
    if (checkEMail(text))
        return 1;
    return informWarning(
        true,
        fieldMessage + u'"' + text
            + QStringLiteral("\" does not seem to be a completely valid email address"),
        useMoreInfo);
}

bool VLXLogic::isAutoGenGUID(const QString &guid)
{
    if (guid.size() != 62 || !guid.endsWith(QStringLiteral("-VLX")))
        return false;
    for (int dash : {8, 13, 18, 23, 36, 41}) {
        if (guid.at(dash) != u'-')
            return false;
    }
    for (qsizetype i = 0; i < 58; ++i) {
        const char16_t c = guid.at(i).unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || c == u'-'))
            return false;
    }
    return true;
}

QString VLXLogic::generateGUID()
{
    // A process-unique string of the same shape as the desktop's: a UUID, four hexadecimal
    // digits of the process id and sixteen of a per-process sequence, all upper case.
    static const quint64 base = QRandomGenerator::system()->generate64();
    static std::atomic<quint64> sequence {0};
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const quint64 serial = base + sequence.fetch_add(1);
    return uuid + u'-'
        + QStringLiteral("%1")
              .arg(QCoreApplication::applicationPid() & 0xFFFF, 4, 16, QLatin1Char('0'))
              .toUpper()
        + u'-' + QStringLiteral("%1").arg(serial, 16, 16, QLatin1Char('0')).toUpper()
        + QStringLiteral("-VLX");
}
