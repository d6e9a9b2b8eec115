#include "model/mimeTypes.h"

#include "model/URLReference.h"
#include "model/VLXLogic.h"

#include <QFile>
#include <QSet>
#include <QXmlStreamReader>

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
    mimeTypes table;
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

bool mimeTypes::isValidMIMEType(const QString &type, bool strict) const
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
    if (type == mimeTypeForPath(path))
        return true;
    const QString extension = extensionOfPath(path);
    if (extension.isEmpty())
        return false;
    const auto found = m_noExtensionTypeDictionary.constFind(extension.toLower());
    return found != m_noExtensionTypeDictionary.constEnd() && *found == type;
}
