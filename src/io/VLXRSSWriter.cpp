#include "io/VLXRSSWriter.h"

#include "VLXVersion.h"
#include "io/VLXExportTemplate.h"
#include "model/SmartDate.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "model/knownNamespaces.h"

#include <QSet>

namespace {

const QString kChannelIndent = QStringLiteral("        ");
const QString kItemIndent = QStringLiteral("            ");
const QLatin1String kWebAddress("https://vellumcast.example.org/");

inline bool needsEscape(char16_t c, bool apos)
{
    return c == u'&' || c == u'<' || c == u'>' || c == u'"' || (apos && c == u'\'');
}

void appendEntity(QString &out, char16_t c)
{
    switch (c) {
    case u'&':
        out += QLatin1String("&amp;");
        break;
    case u'<':
        out += QLatin1String("&lt;");
        break;
    case u'>':
        out += QLatin1String("&gt;");
        break;
    case u'"':
        out += QLatin1String("&quot;");
        break;
    default:
        out += QLatin1String("&apos;");
    }
}

// Appends the text, writing each character that `escaped` selects as its entity; runs of plain
// characters go in one piece.
template<typename Pred> void appendWithEntities(QString &out, QStringView text, Pred escaped)
{
    const char16_t *data = text.utf16();
    const qsizetype n = text.size();
    qsizetype run = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (!escaped(data[i]))
            continue;
        if (i > run)
            out.append(text.mid(run, i - run));
        appendEntity(out, data[i]);
        run = i + 1;
    }
    if (n > run)
        out.append(text.mid(run));
}

QString escapedAttribute(const QString &value)
{
    return VLXLogic::encodeSpecialXMLChars(value);
}

QString safeLinkAttribute(const QString &link)
{
    QString out;
    VLXRSSWriter::appendSafeLink(out, link);
    return out;
}

// "<prefix><name>value</name>\n" with the value written by the appender.
template<typename Append>
void appendElement(QString &out, const QString &prefix, QLatin1String name, Append value)
{
    out += prefix;
    out += QLatin1Char('<');
    out += name;
    out += QLatin1Char('>');
    value();
    out += QLatin1String("</");
    out += name;
    out += QLatin1String(">\n");
}

void appendCategories(QString &out, const QList<categoryElement> &categories, const QString &prefix,
                      const VLXRSSWriter &writer)
{
    for (const categoryElement &category : categories) {
        out += prefix;
        out += QLatin1String("<category");
        if (!category.categoryDomainString().isEmpty()) {
            out += QLatin1String("  domain=\"");
            VLXRSSWriter::appendSafeLink(out, category.categoryDomainString());
            out += QLatin1Char('"');
        }
        out += QLatin1Char('>');
        writer.appendEscaped(out, category.categoryString());
        out += QLatin1String("</category>\n");
    }
}

// The namespace declarations of the rss element: the channel's, and after them every namespace
// that the image or a written item holds and the channel does not, since their elements are
// written under the rss element too. Each prefix is declared once, the first time it comes.
QString namespaceDeclarations(const VLXFeed &feed, const std::vector<int> &positions)
{
    const extensionManagerChannel &channel = *feed.XMLExtensions();
    const QStringList &declarations = channel.arrayOfNamespaceDelecrations();
    // A known namespace is always declared under its canonical prefix and URI, so a bit per
    // namespace tells what is declared; only the other namespaces need their prefixes looked up.
    std::uint32_t knownDeclared = 0;
    for (KnownNamespace ns : knownNamespaces::declarationOrder()) {
        if (channel.extensionUsed(ns))
            knownDeclared |= 1u << static_cast<int>(ns);
    }
    QSet<QString> prefixes;
    bool repeated = false;
    for (const QString &declaration : declarations) {
        const QString prefix = baseExtensionManager::namespaceOfDeclaration(declaration);
        repeated = repeated || prefixes.contains(prefix);
        prefixes.insert(prefix);
    }
    QStringList added;
    auto declare = [&](const QString &prefix, const QString &uri) {
        if (prefix.isEmpty() || prefixes.contains(prefix))
            return;
        prefixes.insert(prefix);
        added.append(QStringLiteral("xmlns:%1=\"%2\"").arg(prefix, uri));
    };
    auto gather = [&](const baseExtensionManager &manager) {
        for (KnownNamespace ns : knownNamespaces::declarationOrder()) {
            if (!(knownDeclared & (1u << static_cast<int>(ns))) && manager.extensionUsed(ns)) {
                knownDeclared |= 1u << static_cast<int>(ns);
                declare(knownNamespaces::prefix(ns), knownNamespaces::uri(ns));
            }
        }
        for (const auto &listed : manager.notWellSupportedArray())
            declare(listed->extensionName(), listed->DTDURL());
    };
    gather(*feed.image()->XMLExtensions());
    for (int position : positions)
        gather(*feed.itemAtIndex(position)->XMLExtensions());
    if (!repeated && added.isEmpty())
        return channel.namespaceDelecrations();

    QStringList unique;
    prefixes.clear();
    for (const QString &declaration : declarations) {
        const QString prefix = baseExtensionManager::namespaceOfDeclaration(declaration);
        if (!prefixes.contains(prefix))
            unique.append(declaration);
        prefixes.insert(prefix);
    }
    return (unique + added).join(u' ');
}

qsizetype estimatedItemSize(const VLXItems &item)
{
    return 400 + item.title().size() + item.descriptionElement().size() * 11 / 10
        + item.link().size() + item.GUID().size() + item.enclosureAttrURL().size()
        + item.author().size() + item.comments().size();
}

} // namespace

VLXRSSWriter::VLXRSSWriter() : m_apos(VLXLogic::encodeApos()) { }

QString VLXRSSWriter::generatorText()
{
    const QString version = QString::fromLatin1(VLXVersion::kVersionString);
    const QString veryShort = version.section(QLatin1Char('.'), 0, 1);
    return QStringLiteral("Vellumcast Mac v%1 (%2); %3").arg(veryShort, version, kWebAddress);
}

void VLXRSSWriter::appendEscaped(QString &out, QStringView text) const
{
    const bool apos = m_apos;
    appendWithEntities(out, text, [apos](char16_t c) { return needsEscape(c, apos); });
}

void VLXRSSWriter::appendBest(QString &out, QStringView text) const
{
    qsizetype count = 0;
    for (QChar c : text)
        count += needsEscape(c.unicode(), m_apos) ? 1 : 0;
    if (count <= 20) {
        appendEscaped(out, text);
        return;
    }
    // A "]]>" would end the section early: close it after "]]" and open another for the ">".
    out += QLatin1String("<![CDATA[");
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(u"]]>", from);
        if (at < 0)
            break;
        out.append(text.mid(from, at + 2 - from));
        out += QLatin1String("]]><![CDATA[");
        from = at + 2;
    }
    out.append(text.mid(from));
    out += QLatin1String("]]>");
}

void VLXRSSWriter::appendSafeLink(QString &out, const QString &link)
{
    if (link.isEmpty())
        return;
    const QString safe = VLXLogic::createSafeLink(link);
    // Ampersands are already written as "&amp;" by the safe link.
    appendWithEntities(out, safe, [](char16_t c) { return c == u'<' || c == u'>' || c == u'"'; });
}

namespace {
// Length of the legal character (1 or 2 code units) at i, or 0 when XML cannot hold it.
inline qsizetype legalLength(const char16_t *data, qsizetype i, qsizetype n)
{
    const char16_t u = data[i];
    if (u >= 0x20 && u < 0xD800)
        return 1;
    if (u < 0x20)
        return (u == 0x9 || u == 0xA || u == 0xD) ? 1 : 0;
    if (u >= 0xE000)
        return u <= 0xFFFD ? 1 : 0;
    if (u <= 0xDBFF && i + 1 < n && data[i + 1] >= 0xDC00 && data[i + 1] <= 0xDFFF)
        return 2;
    return 0;
}
} // namespace

void VLXRSSWriter::removeCharactersXMLCannotHold(QString &text)
{
    const char16_t *data = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype n = text.size();
    qsizetype i = 0;
    for (qsizetype len; i < n && (len = legalLength(data, i, n)) != 0; i += len) { }
    if (i == n)
        return; // the usual case: nothing to remove, nothing copied
    QString kept;
    kept.reserve(n);
    kept.append(QStringView(data, i));
    while (i < n) {
        const qsizetype len = legalLength(data, i, n);
        if (len == 0) {
            ++i;
            continue;
        }
        kept.append(QStringView(data + i, len));
        i += len;
    }
    text = kept;
}

std::vector<int> VLXRSSWriter::itemPositions(const VLXFeed &feed, bool noFuture, bool limitItems,
                                             int limitNumber)
{
    std::vector<int> candidates;
    const int count = feed.countOfItems();
    candidates.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        if (noFuture && feed.itemAtIndex(i)->isInFuture())
            continue;
        candidates.push_back(i);
    }
    return VLXExportTemplate::chooseItems(candidates, limitItems, limitNumber);
}

QString VLXRSSWriter::document(const VLXFeed &feed, bool noFuture, bool limitItems,
                               int limitNumber) const
{
    const std::vector<int> positions = itemPositions(feed, noFuture, limitItems, limitNumber);
    const extensionManagerChannel &extensions = *feed.XMLExtensions();

    qsizetype estimate = 4096 + feed.descriptionElement().size();
    for (int position : positions)
        estimate += estimatedItemSize(*feed.itemAtIndex(position));
    QString out;
    out.reserve(estimate);

    out += QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    for (const QString &comment : feed.XMLComments()) {
        out += QLatin1String("<!-- ");
        out += comment;
        out += QLatin1String(" -->\n");
    }
    if (!feed.styleSheet().isEmpty()) {
        out += QLatin1String("<?xml-stylesheet type=\"text/xsl\" href=\"");
        out += feed.styleSheet();
        out += QLatin1String("\" version=\"1.0\"?>\n");
    }
    if (!feed.styleSheetCSS().isEmpty()) {
        out += QLatin1String("<?xml-stylesheet type=\"text/css\" href=\"");
        out += feed.styleSheetCSS();
        out += QLatin1String("\" version=\"1.0\"?>\n");
    }
    out += QLatin1String("<rss ");
    out += namespaceDeclarations(feed, positions);
    out += QLatin1String(" version=\"2.0\">\n    <channel>\n");

    const QString &in = kChannelIndent;
    appendElement(out, in, QLatin1String("title"), [&] { appendEscaped(out, feed.title()); });
    appendElement(out, in, QLatin1String("description"),
                  [&] { appendBest(out, feed.descriptionElement()); });
    if (!feed.link().isEmpty())
        appendElement(out, in, QLatin1String("link"), [&] { appendSafeLink(out, feed.link()); });
    appendCategories(out, feed.category(), in, *this);

    // The attribute values are escaped: the reader decoded them, and an "&" or '"' written raw
    // would make the saved feed unreadable.
    const QString cloud = VLXLogic::buildCloudString(
        escapedAttribute(feed.cloudAttrDomain()), escapedAttribute(feed.cloudAttrPort()),
        escapedAttribute(feed.cloudAttrPath()), escapedAttribute(feed.cloudAttrRegProc()),
        escapedAttribute(feed.cloudAttrProtocol()));
    if (cloud != QLatin1String(" ")) {
        out += in;
        out += QLatin1String("<cloud ");
        out += cloud;
        out += QLatin1String("></cloud>\n");
    }
    if (!feed.copyright().isEmpty())
        appendElement(out, in, QLatin1String("copyright"),
                      [&] { appendEscaped(out, feed.copyright()); });
    if (!feed.docs().isEmpty())
        appendElement(out, in, QLatin1String("docs"), [&] { appendSafeLink(out, feed.docs()); });
    if (!feed.language().isEmpty())
        appendElement(out, in, QLatin1String("language"),
                      [&] { appendEscaped(out, feed.language()); });
    appendElement(out, in, QLatin1String("lastBuildDate"),
                  [&] { out += SmartDate::feedAutoPubDate(); });
    if (!feed.editor().isEmpty())
        appendElement(out, in, QLatin1String("managingEditor"),
                      [&] { appendEscaped(out, feed.editor()); });
    if (!feed.pubDate().isEmpty())
        appendElement(out, in, QLatin1String("pubDate"),
                      [&] { appendEscaped(out, feed.pubDate()); });

    static const char *const dayNames[7]
        = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    bool anyDay = false;
    for (int day = 0; day < 7; ++day)
        anyDay = anyDay || feed.skipDays(day) != 0;
    if (anyDay) {
        out += QLatin1String("        <skipDays>\n");
        for (int day = 0; day < 7; ++day) {
            if (feed.skipDays(day) == 0)
                continue;
            out += QLatin1String("            <day>");
            out += QLatin1String(dayNames[day]);
            out += QLatin1String("</day>\n");
        }
        out += QLatin1String("        </skipDays>\n");
    }
    bool anyHour = false;
    for (int hour = 0; hour < 24; ++hour)
        anyHour = anyHour || feed.skipHours(hour) != 0;
    if (anyHour) {
        out += QLatin1String("        <skipHours>\n");
        for (int hour = 0; hour < 24; ++hour) {
            if (feed.skipHours(hour) == 0)
                continue;
            out += QLatin1String("            <hour>");
            out += QString::number(hour);
            out += QLatin1String("</hour>\n");
        }
        out += QLatin1String("        </skipHours>\n");
    }
    if (!feed.rating().isEmpty())
        appendElement(out, in, QLatin1String("rating"), [&] { appendEscaped(out, feed.rating()); });

    const QString textInput = VLXLogic::buildTextInputString(
        feed.textInputAttrTitle(), feed.textInputAttrDescription(), feed.textInputAttrName(),
        feed.textInputAttrLink().isEmpty() ? QString()
                                           : VLXLogic::createSafeLink(feed.textInputAttrLink()));
    const QString textInputDC = extensions.buildXMLTI(kItemIndent);
    if (textInput != QLatin1String(" ") || !textInputDC.isEmpty()) {
        out += QLatin1String("        <textInput>\n");
        if (!feed.textInputAttrTitle().isEmpty())
            appendElement(out, kItemIndent, QLatin1String("title"),
                          [&] { appendEscaped(out, feed.textInputAttrTitle()); });
        if (!feed.textInputAttrDescription().isEmpty())
            appendElement(out, kItemIndent, QLatin1String("description"),
                          [&] { appendEscaped(out, feed.textInputAttrDescription()); });
        if (!feed.textInputAttrName().isEmpty())
            appendElement(out, kItemIndent, QLatin1String("name"),
                          [&] { appendEscaped(out, feed.textInputAttrName()); });
        if (!feed.textInputAttrLink().isEmpty())
            appendElement(out, kItemIndent, QLatin1String("link"),
                          [&] { appendSafeLink(out, feed.textInputAttrLink()); });
        out += textInputDC;
        out += QLatin1String("        </textInput>\n");
    }
    if (!feed.TTL().isEmpty())
        appendElement(out, in, QLatin1String("ttl"), [&] { appendEscaped(out, feed.TTL()); });
    if (!feed.webMaster().isEmpty())
        appendElement(out, in, QLatin1String("webMaster"),
                      [&] { appendEscaped(out, feed.webMaster()); });
    appendElement(out, in, QLatin1String("generator"), [&] { out += generatorText(); });

    out += extensions.buildXML(kChannelIndent);
    appendImage(out, *feed.image(), kChannelIndent);

    for (int position : positions) {
        out += QLatin1String("        <item>\n");
        appendItem(out, *feed.itemAtIndex(position), kItemIndent, true);
        out += QLatin1String("        </item>\n\n");
    }
    out += QLatin1String("    </channel>\n</rss>\n");
    removeCharactersXMLCannotHold(out);
    return out;
}

void VLXRSSWriter::appendImage(QString &out, const VLXImage &image, const QString &prefix) const
{
    const QString inner = prefix + QLatin1String("    ");
    const qsizetype start = out.size();
    out += prefix;
    out += QLatin1String("<image>\n");
    const qsizetype bodyStart = out.size();
    for (const QString &comment : image.XMLComments()) {
        out += inner;
        out += QLatin1String("<!-- ");
        out += comment;
        out += QLatin1String(" -->\n");
    }
    if (!image.URL().isEmpty())
        appendElement(out, inner, QLatin1String("url"), [&] { appendSafeLink(out, image.URL()); });
    if (!image.title().isEmpty())
        appendElement(out, inner, QLatin1String("title"),
                      [&] { appendEscaped(out, image.title()); });
    if (!image.link().isEmpty())
        appendElement(out, inner, QLatin1String("link"),
                      [&] { appendSafeLink(out, image.link()); });
    if (!image.descriptionElement().isEmpty())
        appendElement(out, inner, QLatin1String("description"),
                      [&] { appendEscaped(out, image.descriptionElement()); });
    if (!image.width().isEmpty())
        appendElement(out, inner, QLatin1String("width"),
                      [&] { appendEscaped(out, image.width()); });
    if (!image.height().isEmpty())
        appendElement(out, inner, QLatin1String("height"),
                      [&] { appendEscaped(out, image.height()); });
    out += image.XMLExtensions()->buildXML(inner);
    if (out.size() == bodyStart) {
        out.truncate(start); // nothing to write: no image element at all
        return;
    }
    out += prefix;
    out += QLatin1String("</image>\n");
}

void VLXRSSWriter::appendItem(QString &out, const VLXItems &item, const QString &prefix,
                              bool withExtensions) const
{
    for (const QString &comment : item.XMLComments()) {
        out += prefix;
        out += QLatin1String("<!-- ");
        out += comment;
        out += QLatin1String(" -->\n");
    }
    appendElement(out, prefix, QLatin1String("title"), [&] { appendEscaped(out, item.title()); });
    appendElement(out, prefix, QLatin1String("description"),
                  [&] { appendBest(out, item.descriptionElement()); });
    if (!item.link().isEmpty())
        appendElement(out, prefix, QLatin1String("link"),
                      [&] { appendSafeLink(out, item.link()); });
    if (!item.author().isEmpty())
        appendElement(out, prefix, QLatin1String("author"),
                      [&] { appendEscaped(out, item.author()); });
    appendCategories(out, item.category(), prefix, *this);
    if (!item.comments().isEmpty())
        appendElement(out, prefix, QLatin1String("comments"),
                      [&] { appendSafeLink(out, item.comments()); });
    if (!item.enclosureAttrURL().isEmpty()) {
        out += prefix;
        out += QLatin1String("<enclosure ");
        out += VLXLogic::buildEnclosureString(safeLinkAttribute(item.enclosureAttrURL()),
                                              escapedAttribute(item.enclosureAttrLength()),
                                              escapedAttribute(item.enclosureAttrType()));
        out += QLatin1String("></enclosure>\n");
    }
    if (!item.GUID().isEmpty()) {
        out += prefix;
        out += item.GUIDAttr() ? QLatin1String("<guid isPermaLink=\"true\">")
                               : QLatin1String("<guid isPermaLink=\"false\">");
        appendEscaped(out, item.GUID());
        out += QLatin1String("</guid>\n");
    }
    if (!item.pubDate().isEmpty())
        appendElement(out, prefix, QLatin1String("pubDate"),
                      [&] { appendEscaped(out, item.pubDate()); });
    if (!item.source().isEmpty()) {
        out += prefix;
        out += QLatin1String("<source");
        if (!item.sourceAttr().isEmpty()) {
            out += QLatin1String(" url=\"");
            appendEscaped(out, item.sourceAttr());
            out += QLatin1Char('"');
        }
        out += QLatin1Char('>');
        appendEscaped(out, item.source());
        out += QLatin1String("</source>\n");
    }
    if (withExtensions)
        out += item.XMLExtensions()->buildXML(prefix);
}
