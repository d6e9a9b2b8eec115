#include "extensions/itunes/iTunesFlagWords.h"

#include "extensions/FieldExtensionBase.h"
#include "model/FeedElement.h"
#include "xml/vlxXMLDOM.h"

#include <initializer_list>

namespace {

bool isOneOf(QStringView word, std::initializer_list<const char *> words)
{
    for (const char *candidate : words) {
        if (word.compare(QLatin1StringView(candidate), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void logNotUnderstood(FeedElement &log, const QString &text, const char *element)
{
    log.recordWarning(
        QStringLiteral("\"%1\" is not understood as a value of %2; it was read as \"no\""),
        text.trimmed(), QLatin1StringView(element));
}

} // namespace

int iTunesFlagWords::readExplicit(const QString &text, FeedElement &log)
{
    const QStringView word = QStringView(text).trimmed();
    if (isOneOf(word, {"yes", "true", "explicit"}))
        return 1;
    if (isOneOf(word, {"clean"}))
        return -1;
    if (!word.isEmpty() && !isOneOf(word, {"no", "false"}))
        logNotUnderstood(log, text, "itunes:explicit");
    return 0;
}

int iTunesFlagWords::readBlock(const QString &text, FeedElement &log)
{
    const QStringView word = QStringView(text).trimmed();
    if (isOneOf(word, {"yes", "true"}))
        return 1;
    if (!word.isEmpty() && !isOneOf(word, {"no", "false"}))
        logNotUnderstood(log, text, "itunes:block");
    return 0;
}

void iTunesFlagWords::readExplicitElement(FieldExtensionBase &object, int field, bool &explicitRead,
                                          const vlxXMLNode *node)
{
    extensionNSRaw &extension = object.extension();
    if (explicitRead)
        extension.keepUnreadElement(node, extension);
    else
        object.setNumber(field, readExplicit(vlxXMLDOM::descriptionOfNode(node), extension));
    explicitRead = true;
}

void iTunesFlagWords::readBlockElement(FieldExtensionBase &object, int field,
                                       const vlxXMLNode *node)
{
    extensionNSRaw &extension = object.extension();
    if (object.number(field) != 0)
        extension.keepUnreadElement(node, extension);
    else
        object.setNumber(field, readBlock(vlxXMLDOM::descriptionOfNode(node), extension));
}
