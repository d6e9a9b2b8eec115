#include "model/VLXFeedLanguage.h"

#include <QFile>

#include "resources/TableResources.h"

VLXFeedLanguage &VLXFeedLanguage::sharedInstance()
{
    static VLXFeedLanguage shared = [] {
        TableResources::init();
        QFile file(QStringLiteral(":/tables/LanguageCodes.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return VLXFeedLanguage();
        return fromText(QString::fromUtf8(file.readAll()));
    }();
    return shared;
}

VLXFeedLanguage VLXFeedLanguage::fromText(const QString &text)
{
    VLXFeedLanguage table;
    QStringList lines = text.split(u'\n');
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (const QString &line : lines) {
        // A line without ":" gives its whole trimmed text as the title and an empty code, so
        // the lists stay parallel to the lines.
        const qsizetype colon = line.indexOf(u':');
        table.m_languages.append(line);
        table.m_languagesTitle.append((colon < 0 ? line : line.left(colon)).trimmed());
        table.m_languagesCode.append(colon < 0 ? QStringLiteral("")
                                               : line.mid(colon + 1).trimmed());
    }
    return table;
}

QString VLXFeedLanguage::titleForCode(const QString &code) const
{
    const qsizetype at = m_languagesCode.indexOf(code);
    return at < 0 ? QStringLiteral("") : m_languagesTitle.at(at);
}

QString VLXFeedLanguage::codeForTitle(const QString &title) const
{
    const qsizetype at = m_languagesTitle.indexOf(title);
    return at < 0 ? QStringLiteral("") : m_languagesCode.at(at);
}
