#include "model/mimeTypes.h"

#include "model/URLReference.h"
#include "model/VLXLogic.h"

#include <QFile>
#include <QSet>
#include <QXmlStreamReader>

#include <algorithm>
#include <atomic>

#include "resources/TableResources.h"

namespace {
QByteArray readResource(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

mimeTypes &mimeTypes::sharedInstance()
{
    static mimeTypes shared = [] {
        TableResources::init();
        return fromTables(
            readStringDictionary(readResource(QStringLiteral(":/tables/mimeTypes.plist"))),
            readStringDictionary(readResource(QStringLiteral(":/tables/mimeTypesNE.plist"))));
    }();
    return shared;
}

mimeTypes mimeTypes::fromTables(QHash<QString, QString> main, QHash<QString, QString> noExtension)
{
    static std::atomic<quint64> made {0};
    mimeTypes table;
    table.m_identity = ++made;
    table.m_typeDictionary = std::move(main);
    table.m_noExtensionTypeDictionary = std::move(noExtension);
    for (const QString &type : std::as_const(table.m_typeDictionary))
        table.m_knownTypes.insert(type);
    for (const QString &type : std::as_const(table.m_noExtensionTypeDictionary))
        table.m_noExtensionTypes.insert(type);
    return table;
}

QHash<QString, QString> mimeTypes::readStringDictionary(const QByteArray &plist)
{
    QHash<QString, QString> dictionary;
    QXmlStreamReader xml(plist);
    QString key;
    bool inDict = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == u"dict") {
            if (inDict)
                return {}; // nested dictionaries are not a table of strings
            inDict = true;
        } else if (name == u"key" && inDict) {
            key = xml.readElementText();
        } else if (name == u"string" && inDict && !key.isNull()) {
            dictionary.insert(key, xml.readElementText());
            key = QString();
        }
    }
    return xml.hasError() ? QHash<QString, QString>() : dictionary;
}

QString mimeTypes::extensionOfPath(const QString &path)
{
    // Asked for every item of a feed: a plain link is looked at where it stands.
    if (URLReference::isPlainWebLink(path))
        return URLReference::plainWebLinkExtension(path).toString();
    const auto url = URLReference::parse(VLXLogic::createSafeLink(path));
    return url ? url->pathExtension() : QString();
}

QString mimeTypes::mimeTypeForExtension(const QString &extension) const
{
    if (extension.isEmpty())
        return QStringLiteral("");
    return m_typeDictionary.value(extension.toLower(), QStringLiteral(""));
}

QString mimeTypes::mimeTypeForPath(const QString &path) const
{
    const QString extension = extensionOfPath(path);
    return extension.isEmpty() ? QStringLiteral("") : mimeTypeForExtension(extension);
}

bool mimeTypes::isKnownMIMEType(const QString &type) const
{
    return m_knownTypes.contains(type);
}

namespace {
// The last question asked and its answer. The items of a feed mostly carry one type and one
// extension, and a whole-feed check asks about each item: the answer is then a comparison of
// two short texts instead of hashing them. One per thread (a feed may be checked off the
// window's thread); the tables never change after they are read.
struct Answer
{
    quint64 table = 0;
    QString type;
    QString extension;
    bool strict = false;
    bool answer = false;
    bool matches(quint64 t, const QString &ty, QStringView ext, bool st) const
    {
        return table == t && strict == st && type == ty && extension == ext;
    }
};
} // namespace

bool mimeTypes::isValidMIMEType(const QString &type, bool strict) const
{
    thread_local Answer last;
    if (last.matches(m_identity, type, QString(), strict))
        return last.answer;
    const bool answer = isValidMIMETypeUncached(type, strict);
    last = {m_identity, type, QString(), strict, answer};
    return answer;
}

bool mimeTypes::isValidMIMETypeUncached(const QString &type, bool strict) const
{
    if (m_knownTypes.contains(type) || m_noExtensionTypes.contains(type))
        return true;
    const qsizetype slash = type.indexOf(u'/');
    if (slash < 0)
        return false;
    static const QSet<QString> topTypes
        = {QStringLiteral("application"), QStringLiteral("audio"),       QStringLiteral("chemical"),
           QStringLiteral("image"),       QStringLiteral("model"),       QStringLiteral("text"),
           QStringLiteral("video"),       QStringLiteral("x-conference")};
    const QString top = type.left(slash);
    if (!topTypes.contains(top) && (!top.startsWith(u"x-") || strict))
        return false;
    return type.mid(slash + 1).startsWith(u"x-") && !strict;
}

bool mimeTypes::verifyPath(const QString &path, const QString &type, bool strict) const
{
    if (!isValidMIMEType(type, strict))
        return false;
    // A valid type is never empty, so a path without extension fits none.
    thread_local Answer last;
    // The usual link's extension, in lower case already, is compared where it stands.
    if (URLReference::isPlainWebLink(path)) {
        const QStringView plain = URLReference::plainWebLinkExtension(path);
        const bool lower = std::none_of(plain.begin(), plain.end(), [](QChar c) {
            return c.unicode() >= u'A' && c.unicode() <= u'Z';
        });
        if (lower && !plain.isEmpty() && last.matches(m_identity, type, plain, strict))
            return last.answer;
    }
    const QString extension = extensionOfPath(path).toLower();
    if (extension.isEmpty())
        return false;
    if (last.matches(m_identity, type, extension, strict))
        return last.answer;
    bool answer = type == m_typeDictionary.value(extension);
    if (!answer) {
        const auto found = m_noExtensionTypeDictionary.constFind(extension);
        answer = found != m_noExtensionTypeDictionary.constEnd() && *found == type;
    }
    last = {m_identity, type, extension, strict, answer};
    return answer;
}
