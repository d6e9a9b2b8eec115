#include "model/extensionNSRaw.h"

#include "model/VLXLogic.h"
#include "model/extensionSettings.h"
#include "model/knownNamespaces.h"
#include "model/rawXMLText.h"
#include "xml/KeptElementWriter.h"
#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

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
      m_keptLayout(other.m_keptLayout ? std::make_unique<KeptLayout>(*other.m_keptLayout)
                                      : nullptr),
      m_search(other.m_search ? std::make_unique<SearchState>(*other.m_search) : nullptr),
      m_replaceResult(other.m_replaceResult), m_allElementsPlain(other.m_allElementsPlain)
{
    // Listeners belong to the panes of the original, never to a copy.
}

extensionNSRaw::~extensionNSRaw() = default;

extensionNSRaw::SearchState &extensionNSRaw::search()
{
    if (!m_search)
        m_search = std::make_unique<SearchState>();
    return *m_search;
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
    const Range last = lastFoundRange();
    coder.insert(QStringLiteral("searchFieldIndex"), searchFieldIndex());
    coder.insert(QStringLiteral("searchFieldSubindex"), searchFieldSubindex());
    coder.insert(QStringLiteral("lastFoundRange.location"), qint64(last.location));
    coder.insert(QStringLiteral("lastFoundRange.length"), qint64(last.length));
}

void extensionNSRaw::initWithCoder(const QVariantMap &coder)
{
    extensionNSName::initWithCoder(coder);
    m_rawXMLString = coder.value(QStringLiteral("rawXMLString")).toString();
    m_keptLayout.reset();
    m_allElementsPlain = false;
    if (coder.contains(QStringLiteral("searchFieldIndex"))) {
        SearchState &state = search();
        state.fieldIndex = coder.value(QStringLiteral("searchFieldIndex")).toInt();
        state.fieldSubindex = coder.value(QStringLiteral("searchFieldSubindex")).toInt();
        state.lastFound.location
            = coder.value(QStringLiteral("lastFoundRange.location"), kNotFound).toLongLong();
        state.lastFound.length = coder.value(QStringLiteral("lastFoundRange.length")).toLongLong();
    } else {
        m_search.reset();
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
    m_keptLayout.reset();
    m_allElementsPlain = false;
    notifyChanged();
}

void extensionNSRaw::addRawXMLString(const QString &text)
{
    if (text.isEmpty())
        return;
    // An item's extension gathers a few short elements; kept at their exact size they leave no
    // room behind, and what is freed on the way serves the next item read. Longer texts grow
    // the usual way so that reading many elements stays linear.
    constexpr qsizetype kExactGrowthLimit = 2048;
    const qsizetype total = m_rawXMLString.size() + text.size();
    if (!m_rawXMLString.isEmpty() && total <= kExactGrowthLimit
        && (!m_rawXMLString.isDetached() || m_rawXMLString.capacity() < total))
        m_rawXMLString.reserve(total);
    m_rawXMLString.append(text);
    m_keptLayout.reset();
    m_allElementsPlain = false;
    notifyChanged();
}

void extensionNSRaw::releaseSpareCapacity()
{
    // A text shared with another owner would be copied, not shrunk.
    if (m_rawXMLString.isDetached() && m_rawXMLString.capacity() > m_rawXMLString.size())
        m_rawXMLString.squeeze();
}

void extensionNSRaw::startTrackingPlainElements()
{
    m_allElementsPlain = m_rawXMLString.isEmpty();
}

void extensionNSRaw::addParsedElement(const KeptText &kept, bool plain)
{
    const bool allPlain = m_allElementsPlain;
    keepReadElement(kept);
    m_allElementsPlain = allPlain && plain;
}

bool extensionNSRaw::hasPlainNameAndAttributes(const vlxXMLNode *node, const QString &prefix)
{
    if (vlxXMLDOM::kindOfNode(node) != vlxXMLDOM::Element || prefix.isEmpty())
        return false;
    const QString name = vlxXMLDOM::nameOfNode(node);
    if (name.size() <= prefix.size() + 1 || !name.startsWith(prefix)
        || name.at(prefix.size()) != u':')
        return false;
    for (const QString &attribute : vlxXMLDOM::attributeNamesOfNode(node)) {
        if (attribute.contains(u':'))
            return false;
    }
    return true;
}

extensionNSRaw::ElementForm extensionNSRaw::formOfElement(const vlxXMLNode *node,
                                                          const QString &prefix)
{
    // Keeping, writing and re-reading cannot change a plain element's text, so the text read
    // from its kept form is what parsing the written XML gives; attributes with a prefix are
    // left out as a re-read could not resolve them.
    if (!hasPlainNameAndAttributes(node, prefix))
        return ElementForm::Other;
    const int count = vlxXMLDOM::numberOfChildren(node);
    if (count == 0)
        return ElementForm::Plain;
    if (count != 1)
        return ElementForm::Other;
    const int kind = vlxXMLDOM::kindOfNode(vlxXMLDOM::nodeAtIndex(0, node));
    if (kind == vlxXMLDOM::CDATASection)
        return ElementForm::CDATA;
    if (kind != vlxXMLDOM::Text)
        return ElementForm::Other;
    const QString value = vlxXMLDOM::getElementValue(node);
    if (value.isEmpty() || value.front().isSpace() || value.back().isSpace())
        return ElementForm::Other;
    for (QChar c : value) {
        if (c == u'<' || c == u'>' || c == u'&' || c == u'\n' || c == u'\r')
            return ElementForm::Other;
    }
    return value.contains(QLatin1String("cdata"), Qt::CaseInsensitive) ? ElementForm::Other
                                                                       : ElementForm::Plain;
}

std::optional<QString> extensionNSRaw::plainChildText(const QString &local) const
{
    if (!m_allElementsPlain)
        return std::nullopt;
    const QString &xml = m_rawXMLString;
    const QString name = extensionName() + u':' + local;
    qsizetype pos = 0;
    while ((pos = xml.indexOf(u'<', pos)) >= 0) {
        // Every element kept is flat, so each tag met here is a start, empty or end tag.
        qsizetype end = pos + 1;
        while (end < xml.size() && !xml.at(end).isSpace() && xml.at(end) != u'/'
               && xml.at(end) != u'>')
            ++end;
        const bool isStart = xml.at(pos + 1) != u'/';
        const bool matches = isStart && QStringView(xml).sliced(pos + 1, end - pos - 1) == name;
        QChar quote;
        for (; end < xml.size(); ++end) {
            const QChar c = xml.at(end);
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'>') {
                break;
            }
        }
        if (end >= xml.size())
            return std::nullopt;
        if (matches) {
            if (xml.at(end - 1) == u'/')
                return QString();
            const qsizetype close = xml.indexOf(u'<', end + 1);
            if (close < 0)
                return std::nullopt;
            return xml.mid(end + 1, close - end - 1);
        }
        pos = end + 1;
    }
    return QString();
}

namespace {

void recordOmission(FeedElement &log, const KeptElementWriter::Omission &omission)
{
    // Indexed by Omission::Kind and Omission::Reason.
    static const char *const what[]
        = {"the element <%1>", "the attribute %1", "the namespace declaration %1",
           "the processing instruction <?%1?>"};
    static const char *const why[] = {
        "its namespace prefix is declared nowhere in the feed",
        "its name is no valid qualified name",
        "the element already has that attribute in that namespace",
        "XML readers do not accept its namespace URI",
    };
    log.recordRepair(QStringLiteral("Removed ") + QLatin1StringView(what[omission.kind])
                         + QStringLiteral(" from the kept XML: ")
                         + QLatin1StringView(why[omission.reason]),
                     omission.name);
}

} // namespace

QString extensionNSRaw::keptText(const vlxXMLNode *node, const QString &own, const QString &ownURI,
                                 const QString &alias, FeedElement &log)
{
    // A prefix the document left undeclared keeps the namespace the program knows under it, as
    // the extension managers repair it; "rdf" is RDF's, whose rdf:resource the classes read as
    // a value wherever it stands.
    const auto knownURI = [](const QString &prefix) {
        if (prefix == u"rdf")
            return QStringLiteral("http://www.w3.org/1999/02/22-rdf-syntax-ns#");
        const std::optional<KnownNamespace> ns = knownNamespaces::fromPrefix(prefix);
        return ns ? knownNamespaces::uri(*ns) : extensionSettings::registeredURI(prefix);
    };
    QList<KeptElementWriter::Omission> omitted;
    const QString xml = KeptElementWriter::write(node, own, ownURI, knownURI, &omitted, alias);
    for (const KeptElementWriter::Omission &omission : std::as_const(omitted))
        recordOmission(log, omission);
    return xml;
}

QString extensionNSRaw::keptTextOfNode(const vlxXMLNode *node)
{
    // The writer declares the extension's own prefix; a known namespace's elements are its own
    // whatever URI the document gave their prefix (they are written under the canonical one).
    // The user-defined extension declares nothing.
    QString own = extensionProcessingName();
    if (own.isEmpty() && extensionName() != knownNamespaces::kUserDefined)
        own = extensionName();
    return keptText(node, own, wellSupported() ? QString() : DTDURL(), QString(), *this);
}

void extensionNSRaw::keepUnreadElement(const vlxXMLNode *node, FeedElement &log)
{
    if (vlxXMLDOM::kindOfNode(node) != vlxXMLDOM::Element)
        return;
    // The feed writer declares the namespace under its own prefix alone.
    keepReadElement(
        laidOut(keptText(node, extensionName(), QString(), extensionProcessingName(), log)));
}

void extensionNSRaw::keepWrittenElement(const QString &xml)
{
    keepReadElement(laidOut(xml.trimmed()));
}

int extensionNSRaw::parseXMLNodeIfMine(const vlxXMLNode *node)
{
    const int kind = vlxXMLDOM::kindOfNode(node);
    if (kind == vlxXMLDOM::Comment || kind == vlxXMLDOM::Whitespace || kind == vlxXMLDOM::NoNode)
        return 0;
    keepReadElement(laidOut(keptTextOfNode(node)));
    return 0;
}

namespace {
// One element on one line that the layout would give back as it is: an empty element, or one
// holding only text without markup or only one CDATA section, with no white space around it and
// no line break or tab anywhere. Its start tag holds no ">" (not even quoted), and it is not an
// item (the layout breaks the line after "</item>").
bool isLoneFlatElement(const QString &text)
{
    const qsizetype n = text.size();
    if (n < 4 || text.at(0) != u'<' || text.at(n - 1) != u'>')
        return false;
    const char16_t first = text.at(1).unicode();
    if (first == u'/' || first == u'!' || first == u'?' || first == u' ')
        return false;
    for (const QChar c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\t')
            return false;
    }
    const qsizetype tagEnd = text.indexOf(u'>');
    if (QStringView(text).first(tagEnd).indexOf(u'<', 1) >= 0)
        return false;
    if (tagEnd == n - 1)
        return text.at(n - 2) == u'/';
    if (text.at(tagEnd - 1) == u'/' || text.contains(u"</item>"))
        return false;
    // The end tag names the start tag's name.
    qsizetype nameEnd = 1;
    while (nameEnd < tagEnd && text.at(nameEnd) != u' ' && text.at(nameEnd) != u'/')
        ++nameEnd;
    const QStringView name = QStringView(text).sliced(1, nameEnd - 1);
    const qsizetype endTag = n - name.size() - 3;
    if (endTag <= tagEnd || QStringView(text).sliced(endTag, 2) != u"</"
        || QStringView(text).sliced(endTag + 2, name.size()) != name)
        return false;
    const QStringView content = QStringView(text).sliced(tagEnd + 1, endTag - tagEnd - 1);
    if (content.startsWith(u"<![CDATA[") && content.endsWith(u"]]>"))
        return content.indexOf(u"]]>") == content.size() - 3;
    return content.indexOf(u'<') < 0 && content.indexOf(u'>') < 0 && !content.trimmed().isEmpty()
        && content.trimmed().size() == content.size();
}
} // namespace

extensionNSRaw::KeptText extensionNSRaw::laidOut(const QString &elementText)
{
    // The usual kept elements, a tag with its attributes and perhaps a text, need no layout.
    if (isLoneFlatElement(elementText))
        return {elementText, 0};
    VLXLogic::FormatFacts facts;
    const QString formatted = VLXLogic::formatXML(rawXMLText::compact(elementText), 0, &facts);
    KeptText kept {formatted.trimmed(), std::nullopt};
    // An element that starts with its own start tag, ends at the level it started and holds
    // no line break but those the layout put in can be indented line by line.
    const QString &text = kept.text;
    if (text.size() == formatted.size() && text.size() > 1 && text.at(0) == u'<'
        && text.at(1) != u'/' && text.at(1) != u'!' && text.at(1) != u'?' && !facts.copiedLineBreak
        && !facts.unindentedBreak && facts.lowestLevel >= 0 && facts.endLevel == 0)
        kept.indentableTo = facts.highestLevel;
    return kept;
}

void extensionNSRaw::keepReadElement(const KeptText &kept)
{
    const bool knownSoFar = m_rawXMLString.isEmpty() || m_keptLayout;
    std::unique_ptr<KeptLayout> layout = std::move(m_keptLayout);
    addRawXMLString(kept.text);
    if (!knownSoFar || !kept.indentableTo || kept.text.isEmpty())
        return;
    if (!layout)
        layout = std::make_unique<KeptLayout>();
    layout->elementEnds.push_back(m_rawXMLString.size());
    layout->highestLevel = qMax(layout->highestLevel, *kept.indentableTo);
    m_keptLayout = std::move(layout);
}

QString extensionNSRaw::buildXML(const QString &prefix) const
{
    return keptXML(prefix);
}

void extensionNSRaw::appendXML(UTF8Writer &out, const QString &prefix) const
{
    appendKeptXML(out, prefix);
}

QString extensionNSRaw::keptXML(const QString &prefix) const
{
    if (m_rawXMLString.isEmpty())
        return QString();
    const int level = int(prefix.size() / 4);
    return VLXLogic::formatXML(rawXMLText::compact(m_rawXMLString), level) + u'\n';
}

void extensionNSRaw::appendKeptXML(UTF8Writer &out, const QString &prefix) const
{
    if (m_rawXMLString.isEmpty())
        return;
    const int level = int(prefix.size() / 4);
    // Layout indents 4 blanks a level up to level 24 (VLXLogic::formatXML).
    constexpr int kDeepestLevel = 24;
    if (!m_keptLayout || m_keptLayout->elementEnds.empty()
        || m_keptLayout->elementEnds.back() != m_rawXMLString.size()
        || m_keptLayout->highestLevel + level > kDeepestLevel) {
        out.append(keptXML(prefix));
        return;
    }
    static const QByteArray blanks(4 * kDeepestLevel, ' ');
    const QLatin1StringView indent(blanks.constData(), 4 * level);
    qsizetype from = 0;
    for (const qsizetype end : m_keptLayout->elementEnds) {
        if (from > 0)
            out.append('\n');
        out.appendIndented(QStringView(m_rawXMLString).sliced(from, end - from), indent);
        from = end;
    }
    out.append('\n');
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

void extensionNSRaw::actuallyBuildExport(TemplateValues &values)
{
    Q_UNUSED(values);
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

bool extensionNSRaw::holds(const QString &search, int options) const
{
    // The copy has no tabs to show a match in, and its walk starts at the beginning.
    const std::unique_ptr<FeedElement> copy = clone();
    auto &probe = static_cast<extensionNSRaw &>(*copy);
    probe.resetSearch();
    return probe.replace(search, std::nullopt, true, options, nullptr, nullptr, 0);
}

void extensionNSRaw::resetSearch()
{
    m_search.reset();
}

extensionNSRaw::Range extensionNSRaw::searchField(const QString &fieldText, const QString &search,
                                                  int options)
{
    const Qt::CaseSensitivity cs
        = (options & CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const Range last = lastFoundRange();
    qsizetype from = 0;
    if (!(last == Range {kNotFound, 0}))
        from = last.location + last.length;
    const qsizetype at
        = (search.isEmpty() || from > fieldText.size()) ? -1 : fieldText.indexOf(search, from, cs);
    const Range found = at < 0 ? Range {kNotFound, 0} : Range {at, search.size()};
    this->search().lastFound = found;
    return found;
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
    if (!m_listeners)
        m_listeners = std::make_unique<Listeners>();
    const int id = m_listeners->nextId++;
    m_listeners->list.append({id, std::move(listener)});
    return id;
}

void extensionNSRaw::removeChangeListener(int id)
{
    if (m_listeners)
        m_listeners->list.removeIf([id](const auto &entry) { return entry.first == id; });
}

void extensionNSRaw::notifyChanged()
{
    if (!m_listeners)
        return;
    // A listener may add or remove listeners, even its own.
    const auto listeners = m_listeners->list;
    for (const auto &entry : listeners)
        entry.second();
}
