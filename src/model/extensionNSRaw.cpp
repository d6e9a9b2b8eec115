#include "model/extensionNSRaw.h"

#include "io/vlxXMLDOM.h"
#include "model/VLXLogic.h"
#include "model/knownNamespaces.h"
#include "model/rawXMLText.h"

const QString extensionNSRaw::kUserDefinedWarning = QStringLiteral(
    "Non-standard \"User Defined\" tags were found - they won't be recognized by standard "
    "readers/aggregators");

extensionNSRaw::extensionNSRaw() = default;

extensionNSRaw::extensionNSRaw(const extensionNSName &identity)
{
    setExtensionName(identity.extensionName());
    setDTDURL(identity.DTDURL());
    setStoredWellSupported(identity.wellSupported());
}

extensionNSRaw::extensionNSRaw(const extensionNSRaw &other)
    : extensionNSName(other), m_rawXMLString(other.m_rawXMLString),
      m_replaceResult(other.m_replaceResult), m_searchFieldIndex(other.m_searchFieldIndex),
      m_searchFieldSubindex(other.m_searchFieldSubindex), m_lastFoundRange(other.m_lastFoundRange)
{
    // Listeners belong to the panes of the original, never to a copy.
}

std::shared_ptr<extensionNSRaw> extensionNSRaw::copyExtension() const
{
    std::shared_ptr<extensionNSRaw> copy(newCopy());
    copy->copyIdentityFrom(*this);
    return copy;
}

std::unique_ptr<FeedElement> extensionNSRaw::clone() const
{
    std::unique_ptr<extensionNSRaw> copy(newCopy());
    copy->copyIdentityFrom(*this);
    return copy;
}

void extensionNSRaw::encodeWithCoder(QVariantMap &coder) const
{
    extensionNSName::encodeWithCoder(coder);
    coder.insert(QStringLiteral("rawXMLString"), m_rawXMLString);
    coder.insert(QStringLiteral("searchFieldIndex"), m_searchFieldIndex);
    coder.insert(QStringLiteral("searchFieldSubindex"), m_searchFieldSubindex);
    coder.insert(QStringLiteral("lastFoundRange.location"), qint64(m_lastFoundRange.location));
    coder.insert(QStringLiteral("lastFoundRange.length"), qint64(m_lastFoundRange.length));
}

void extensionNSRaw::initWithCoder(const QVariantMap &coder)
{
    extensionNSName::initWithCoder(coder);
    m_rawXMLString = coder.value(QStringLiteral("rawXMLString")).toString();
    if (coder.contains(QStringLiteral("searchFieldIndex"))) {
        m_searchFieldIndex = coder.value(QStringLiteral("searchFieldIndex")).toInt();
        m_searchFieldSubindex = coder.value(QStringLiteral("searchFieldSubindex")).toInt();
        m_lastFoundRange.location
            = coder.value(QStringLiteral("lastFoundRange.location"), kNotFound).toLongLong();
        m_lastFoundRange.length = coder.value(QStringLiteral("lastFoundRange.length")).toLongLong();
    } else {
        m_searchFieldIndex = 0;
        m_searchFieldSubindex = 0;
        m_lastFoundRange = {kNotFound, 0};
    }
}

QString extensionNSRaw::displayName() const
{
    return QStringLiteral("\"%1\"").arg(extensionName());
}

void extensionNSRaw::setRawXML(const QString &text)
{
    if (text == m_rawXMLString)
        return;
    m_rawXMLString = text;
    notifyChanged();
}

void extensionNSRaw::addRawXMLString(const QString &text)
{
    if (text.isEmpty())
        return;
    m_rawXMLString.append(text);
    notifyChanged();
}

QString extensionNSRaw::textOfNode(const vlxXMLNode *node)
{
    if (!node || vlxXMLDOM::kindOfNode(node) != vlxXMLDOM::Element)
        return QString();
    return QString::fromUtf8(vlxXMLDOM::xmlDataOfNode(node));
}

int extensionNSRaw::parseXMLNodeIfMine(const vlxXMLNode *node)
{
    const int kind = vlxXMLDOM::kindOfNode(node);
    if (kind == vlxXMLDOM::Comment || kind == vlxXMLDOM::Whitespace || kind == vlxXMLDOM::NoNode)
        return 0;
    const QString text = QString::fromUtf8(vlxXMLDOM::xmlDataOfNode(node));
    // The document's own layout inside the element is dropped before pretty-printing, so what is
    // kept does not depend on how often the feed went through a save and reopen.
    addRawXMLString(VLXLogic::formatXML(rawXMLText::compact(text)).trimmed());
    return 0;
}

QString extensionNSRaw::buildXML(const QString &prefix) const
{
    if (m_rawXMLString.isEmpty())
        return QString();
    const int level = int(prefix.size() / 4);
    return VLXLogic::formatXML(rawXMLText::compact(m_rawXMLString), level) + u'\n';
}

void extensionNSRaw::populateWithDefaults(const QString &uniqueKey)
{
    Q_UNUSED(uniqueKey);
}

void extensionNSRaw::finalProcessing(VLXFeed *feed)
{
    Q_UNUSED(feed);
}

void extensionNSRaw::validate(VLXFeed *feed)
{
    Q_UNUSED(feed);
    if (extensionName() == knownNamespaces::kUserDefined && !m_rawXMLString.isEmpty())
        recordWarning(kUserDefinedWarning);
}

QString extensionNSRaw::actuallyBuildExport(const QString &templateText,
                                            const QVariantList &substitutions)
{
    Q_UNUSED(substitutions);
    return templateText;
}

bool extensionNSRaw::replace(const QString &search, const std::optional<QString> &replacement,
                             bool thenSearch, int options, QObject *onTab, QObject *underTab,
                             int atIndex)
{
    Q_UNUSED(search);
    Q_UNUSED(replacement);
    Q_UNUSED(thenSearch);
    Q_UNUSED(options);
    Q_UNUSED(onTab);
    Q_UNUSED(underTab);
    Q_UNUSED(atIndex);
    m_replaceResult = false;
    return false;
}

int extensionNSRaw::replaceAll(const QString &search, const QString &replacement, int options)
{
    Q_UNUSED(search);
    Q_UNUSED(replacement);
    Q_UNUSED(options);
    return 0;
}

void extensionNSRaw::resetSearch()
{
    m_searchFieldIndex = 0;
    m_searchFieldSubindex = 0;
    m_lastFoundRange = {kNotFound, 0};
}

extensionNSRaw::Range extensionNSRaw::searchField(const QString &fieldText, const QString &search,
                                                  int options)
{
    const Qt::CaseSensitivity cs
        = (options & CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    qsizetype from = 0;
    if (!(m_lastFoundRange == Range {kNotFound, 0}))
        from = m_lastFoundRange.location + m_lastFoundRange.length;
    const qsizetype at
        = (search.isEmpty() || from > fieldText.size()) ? -1 : fieldText.indexOf(search, from, cs);
    m_lastFoundRange = at < 0 ? Range {kNotFound, 0} : Range {at, search.size()};
    return m_lastFoundRange;
}

QString extensionNSRaw::reformat(const QString &text)
{
    vlxXMLDOM dom(QStringLiteral("<?xml version=\"1.0\"?><rss>%1</rss>").arg(text));
    if (!dom.xmlTree())
        return text;
    const QString whole = QString::fromUtf8(dom.xmlData());
    const QString open = QStringLiteral("<rss>");
    const qsizetype start = whole.indexOf(open);
    const qsizetype end = whole.indexOf(QStringLiteral("</rss>"));
    if (start < 0 || end < start + open.size())
        return text;
    const QString inner = whole.mid(start + open.size(), end - start - open.size());
    return VLXLogic::formatXML(rawXMLText::compact(inner));
}

int extensionNSRaw::addChangeListener(std::function<void()> listener)
{
    const int id = m_nextListenerId++;
    m_listeners.append({id, std::move(listener)});
    return id;
}

void extensionNSRaw::removeChangeListener(int id)
{
    m_listeners.removeIf([id](const auto &entry) { return entry.first == id; });
}

void extensionNSRaw::notifyChanged()
{
    const auto listeners = m_listeners;
    for (const auto &entry : listeners)
        entry.second();
}
