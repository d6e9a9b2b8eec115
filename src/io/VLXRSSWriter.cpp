#include "io/VLXRSSWriter.h"

#include "VLXVersion.h"
#include "io/VLXExportTemplate.h"
#include "model/SmartDate.h"
#include "model/URLReference.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "model/knownNamespaces.h"
#include "model/rawXMLText.h"
#include "xml/KeptAttributes.h"
#include "xml/NamespaceScope.h"

#include <QSet>

namespace {

const QString kChannelIndent = QStringLiteral("        ");
const QString kItemIndent = QStringLiteral("            ");
const QLatin1String kWebAddress("https://vellumcast.example.org/");
// A text taking more entities than these is written as CDATA instead.
constexpr qsizetype kMaximumEntities = 20;

using namespace Qt::StringLiterals;

QString escapedAttribute(const QString &value)
{
    return VLXLogic::encodeSpecialXMLChars(value);
}

// "<prefix><name>value</name>\n" with the value written by the appender.
template<typename Append>
void appendElement(UTF8Writer &out, const QString &prefix, QLatin1StringView name, Append value)
{
    out.append(QStringView(prefix));
    out.append('<');
    out.append(name);
    out.append('>');
    value();
    out.append("</"_L1);
    out.append(name);
    out.append(">\n"_L1);
}

void appendCategories(UTF8Writer &out, const QList<categoryElement> &categories,
                      const QString &prefix, const VLXRSSWriter &writer)
{
    for (const categoryElement &category : categories) {
        out.append(QStringView(prefix));
        out.append("<category"_L1);
        if (!category.categoryDomainString().isEmpty()) {
            out.append("  domain=\""_L1);
            VLXRSSWriter::appendSafeLink(out, category.categoryDomainString());
            out.append('"');
        }
        out.append('>');
        writer.appendEscaped(out, category.categoryString());
        out.append("</category>\n"_L1);
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
    QSet<const void *> seen;
    auto declare = [&](const QString &prefix, const QString &uri) {
        if (prefix.isEmpty() || prefixes.contains(prefix))
            return;
        prefixes.insert(prefix);
        added.append(QStringLiteral("xmlns:%1=\"%2\"").arg(prefix, uri));
    };
    auto gather = [&](const placedExtensionManager &manager) {
        // Most items use only namespaces declared already: nothing to look up for them.
        if (manager.usedKnownBits() & ~knownDeclared) {
            for (KnownNamespace ns : knownNamespaces::declarationOrder()) {
                if (!(knownDeclared & (1u << static_cast<int>(ns))) && manager.extensionUsed(ns)) {
                    knownDeclared |= 1u << static_cast<int>(ns);
                    declare(knownNamespaces::prefix(ns), knownNamespaces::uri(ns));
                }
            }
        }
        // Items read from one feed share their declared namespaces: those are looked at once.
        manager.forEachListedNamespace(declare, &seen);
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

// Elements kept under rss beside the channel, a level deep, as the raw extensions lay theirs out.
void appendRSSElements(UTF8Writer &out, const QString &xml)
{
    if (xml.isEmpty())
        return;
    out.append(VLXLogic::formatXML(rawXMLText::compact(xml), 1));
    out.append('\n');
}

qsizetype estimatedItemSize(const VLXItems &item)
{
    return 400 + item.title().size() + item.descriptionSizeHint() * 11 / 10
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

void VLXRSSWriter::appendEscaped(UTF8Writer &out, QStringView text) const
{
    out.appendEscaped(text, m_apos);
}

void VLXRSSWriter::appendBest(UTF8Writer &out, QStringView text) const
{
    out.appendEscapedOrCDATA(text, m_apos, kMaximumEntities);
}

void VLXRSSWriter::appendBest(UTF8Writer &out, QByteArrayView utf8) const
{
    out.appendEscapedOrCDATA(utf8, m_apos, kMaximumEntities);
}

bool VLXRSSWriter::isPlainLink(QStringView link)
{
    for (const QChar c : link) {
        const char16_t u = c.unicode();
        if (u == u'&' || !(URLReference::isURLCharacter(u) || u == u'#' || u == u'%'))
            return false;
    }
    return true;
}

void VLXRSSWriter::appendSafeLink(UTF8Writer &out, QStringView link)
{
    // Most links are plain: they are written as they are, without a look-up or a copy.
    if (isPlainLink(link)) {
        out.append(link);
        return;
    }
    // Ampersands are already written as "&amp;" by the safe link.
    out.appendEscaping(VLXLogic::createSafeLink(link.toString()), "<>\""_L1);
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

QByteArray VLXRSSWriter::document(const VLXFeed &feed, bool noFuture, bool limitItems,
                                  int limitNumber) const
{
    const std::vector<int> positions = itemPositions(feed, noFuture, limitItems, limitNumber);
    const extensionManagerChannel &extensions = *feed.XMLExtensions();

    // Room for the channel and the first items, whose written size then tells the size of the
    // others: the buffer is sized for the whole document once, before it holds much to copy.
    constexpr size_t kMeasured = 16;
    qsizetype firstItems = 0;
    for (size_t k = 0; k < positions.size() && k < kMeasured; ++k)
        firstItems += estimatedItemSize(*feed.itemAtIndex(positions[k]));
    UTF8Writer out(4096 + feed.descriptionElement().size() * 3 + firstItems * 4);

    out.setEncodesApos(m_apos);
    out.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"_L1);
    for (const QString &comment : feed.XMLComments()) {
        out.append("<!-- "_L1);
        out.append(comment);
        out.append(" -->\n"_L1);
    }
    if (!feed.styleSheet().isEmpty()) {
        out.append("<?xml-stylesheet type=\"text/xsl\" href=\""_L1);
        out.append(feed.styleSheet());
        out.append("\" version=\"1.0\"?>\n"_L1);
    }
    if (!feed.styleSheetCSS().isEmpty()) {
        out.append("<?xml-stylesheet type=\"text/css\" href=\""_L1);
        out.append(feed.styleSheetCSS());
        out.append("\" version=\"1.0\"?>\n"_L1);
    }
    out.append("<rss "_L1);
    const QString declarations = namespaceDeclarations(feed, positions);
    out.append(declarations);
    out.append(" version=\"2.0\""_L1);
    // Attributes read and not understood go back where they stood, after what the writer makes
    // itself, each in the namespace it was read in: the prefixes rss declares keep their
    // namespaces, for the elements written under them.
    NamespaceScope scope(&knownNamespaces::canonicalURI);
    if (!feed.rssAttributes().isEmpty() || !feed.channelAttributes().isEmpty()) {
        scope.bindDeclarations(declarations);
        feed.rssAttributes().appendXML(out, m_apos, scope);
    }
    out.append(">\n"_L1);
    appendRSSElements(out, feed.rssXMLBeforeChannel());
    out.append("    <channel"_L1);
    feed.channelAttributes().appendXML(out, m_apos, scope);
    out.append(">\n"_L1);

    const QString &in = kChannelIndent;
    appendElement(out, in, "title"_L1, [&] { appendEscaped(out, feed.title()); });
    appendElement(out, in, "description"_L1, [&] { appendBest(out, feed.descriptionElement()); });
    if (!feed.link().isEmpty())
        appendElement(out, in, "link"_L1, [&] { appendSafeLink(out, feed.link()); });
    appendCategories(out, feed.category(), in, *this);

    // The attribute values are escaped: the reader decoded them, and an "&" or '"' written raw
    // would make the saved feed unreadable.
    const QString cloud = VLXLogic::buildCloudString(
        escapedAttribute(feed.cloudAttrDomain()), escapedAttribute(feed.cloudAttrPort()),
        escapedAttribute(feed.cloudAttrPath()), escapedAttribute(feed.cloudAttrRegProc()),
        escapedAttribute(feed.cloudAttrProtocol()));
    if (cloud != QLatin1String(" ")) {
        out.append(in);
        out.append("<cloud "_L1);
        out.append(cloud);
        out.append("></cloud>\n"_L1);
    }
    if (!feed.copyright().isEmpty())
        appendElement(out, in, "copyright"_L1, [&] { appendEscaped(out, feed.copyright()); });
    if (!feed.docs().isEmpty())
        appendElement(out, in, "docs"_L1, [&] { appendSafeLink(out, feed.docs()); });
    if (!feed.language().isEmpty())
        appendElement(out, in, "language"_L1, [&] { appendEscaped(out, feed.language()); });
    appendElement(out, in, "lastBuildDate"_L1, [&] { out.append(SmartDate::feedAutoPubDate()); });
    if (!feed.editor().isEmpty())
        appendElement(out, in, "managingEditor"_L1, [&] { appendEscaped(out, feed.editor()); });
    if (!feed.pubDate().isEmpty())
        appendElement(out, in, "pubDate"_L1, [&] { appendEscaped(out, feed.pubDate()); });

    static const char *const dayNames[7]
        = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    bool anyDay = false;
    for (int day = 0; day < 7; ++day)
        anyDay = anyDay || feed.skipDays(day) != 0;
    if (anyDay) {
        out.append("        <skipDays>\n"_L1);
        for (int day = 0; day < 7; ++day) {
            if (feed.skipDays(day) == 0)
                continue;
            out.append("            <day>"_L1);
            out.append(QLatin1StringView(dayNames[day]));
            out.append("</day>\n"_L1);
        }
        out.append("        </skipDays>\n"_L1);
    }
    bool anyHour = false;
    for (int hour = 0; hour < 24; ++hour)
        anyHour = anyHour || feed.skipHours(hour) != 0;
    if (anyHour) {
        out.append("        <skipHours>\n"_L1);
        for (int hour = 0; hour < 24; ++hour) {
            if (feed.skipHours(hour) == 0)
                continue;
            out.append("            <hour>"_L1);
            out.appendNumber(hour);
            out.append("</hour>\n"_L1);
        }
        out.append("        </skipHours>\n"_L1);
    }
    if (!feed.rating().isEmpty())
        appendElement(out, in, "rating"_L1, [&] { appendEscaped(out, feed.rating()); });

    const QString textInput = VLXLogic::buildTextInputString(
        feed.textInputAttrTitle(), feed.textInputAttrDescription(), feed.textInputAttrName(),
        feed.textInputAttrLink().isEmpty() ? QString()
                                           : VLXLogic::createSafeLink(feed.textInputAttrLink()));
    const QString textInputDC = extensions.buildXMLTI(kItemIndent);
    if (textInput != QLatin1String(" ") || !textInputDC.isEmpty()) {
        out.append("        <textInput>\n"_L1);
        if (!feed.textInputAttrTitle().isEmpty())
            appendElement(out, kItemIndent, "title"_L1,
                          [&] { appendEscaped(out, feed.textInputAttrTitle()); });
        if (!feed.textInputAttrDescription().isEmpty())
            appendElement(out, kItemIndent, "description"_L1,
                          [&] { appendEscaped(out, feed.textInputAttrDescription()); });
        if (!feed.textInputAttrName().isEmpty())
            appendElement(out, kItemIndent, "name"_L1,
                          [&] { appendEscaped(out, feed.textInputAttrName()); });
        if (!feed.textInputAttrLink().isEmpty())
            appendElement(out, kItemIndent, "link"_L1,
                          [&] { appendSafeLink(out, feed.textInputAttrLink()); });
        out.append(textInputDC);
        out.append("        </textInput>\n"_L1);
    }
    if (!feed.TTL().isEmpty())
        appendElement(out, in, "ttl"_L1, [&] { appendEscaped(out, feed.TTL()); });
    if (!feed.webMaster().isEmpty())
        appendElement(out, in, "webMaster"_L1, [&] { appendEscaped(out, feed.webMaster()); });
    appendElement(out, in, "generator"_L1, [&] { out.append(generatorText()); });

    extensions.appendXML(out, kChannelIndent);
    appendImage(out, *feed.image(), kChannelIndent);

    const qsizetype itemsStart = out.size();
    for (size_t k = 0; k < positions.size(); ++k) {
        if (k == kMeasured) {
            const double perItem = double(out.size() - itemsStart) / double(kMeasured);
            out.reserve(qsizetype(perItem * double(positions.size() - kMeasured) * 1.0625) + 64);
        }
        out.append("        <item>\n"_L1);
        appendItem(out, *feed.itemAtIndex(positions[k]), kItemIndent, true);
        out.append("        </item>\n\n"_L1);
    }
    out.append("    </channel>\n"_L1);
    appendRSSElements(out, feed.rssXMLAfterChannel());
    out.append("</rss>\n"_L1);
    return out.take();
}

void VLXRSSWriter::appendImage(UTF8Writer &out, const VLXImage &image, const QString &prefix) const
{
    const QString inner = prefix + QLatin1String("    ");
    const qsizetype start = out.size();
    out.append(prefix);
    out.append("<image>\n"_L1);
    const qsizetype bodyStart = out.size();
    for (const QString &comment : image.XMLComments()) {
        out.append(inner);
        out.append("<!-- "_L1);
        out.append(comment);
        out.append(" -->\n"_L1);
    }
    if (!image.URL().isEmpty())
        appendElement(out, inner, "url"_L1, [&] { appendSafeLink(out, image.URL()); });
    if (!image.title().isEmpty())
        appendElement(out, inner, "title"_L1, [&] { appendEscaped(out, image.title()); });
    if (!image.link().isEmpty())
        appendElement(out, inner, "link"_L1, [&] { appendSafeLink(out, image.link()); });
    if (!image.descriptionElement().isEmpty())
        appendElement(out, inner, "description"_L1,
                      [&] { appendEscaped(out, image.descriptionElement()); });
    if (!image.width().isEmpty())
        appendElement(out, inner, "width"_L1, [&] { appendEscaped(out, image.width()); });
    if (!image.height().isEmpty())
        appendElement(out, inner, "height"_L1, [&] { appendEscaped(out, image.height()); });
    image.XMLExtensions()->appendXML(out, inner);
    if (out.size() == bodyStart) {
        out.truncate(start); // nothing to write: no image element at all
        return;
    }
    out.append(prefix);
    out.append("</image>\n"_L1);
}

void VLXRSSWriter::appendItem(UTF8Writer &out, const VLXItems &item, const QString &prefix,
                              bool withExtensions) const
{
    for (const QString &comment : item.XMLComments()) {
        out.append(prefix);
        out.append("<!-- "_L1);
        out.append(comment);
        out.append(" -->\n"_L1);
    }
    appendElement(out, prefix, "title"_L1, [&] { appendEscaped(out, item.title()); });
    appendElement(out, prefix, "description"_L1, [&] {
        if (const QByteArrayView utf8 = item.descriptionUTF8(); !utf8.isNull())
            appendBest(out, utf8);
        else
            appendBest(out, item.descriptionElement());
    });
    if (!item.link().isEmpty())
        appendElement(out, prefix, "link"_L1, [&] { appendSafeLink(out, item.link()); });
    if (!item.author().isEmpty())
        appendElement(out, prefix, "author"_L1, [&] { appendEscaped(out, item.author()); });
    appendCategories(out, item.category(), prefix, *this);
    if (!item.comments().isEmpty())
        appendElement(out, prefix, "comments"_L1, [&] { appendSafeLink(out, item.comments()); });
    if (!item.enclosureAttrURL().isEmpty()) {
        // The attributes that have a value, joined by a blank; none before the ">", which a
        // reader would have to repair away when the document is read again.
        out.append(prefix);
        out.append("<enclosure url=\""_L1);
        appendSafeLink(out, item.enclosureAttrURL());
        out.append('"');
        if (!item.enclosureAttrLength().isEmpty()) {
            out.append(" length=\""_L1);
            appendEscaped(out, item.enclosureAttrLength());
            out.append('"');
        }
        if (!item.enclosureAttrType().isEmpty()) {
            out.append(" type=\""_L1);
            appendEscaped(out, item.enclosureAttrType());
            out.append('"');
        }
        out.append("></enclosure>\n"_L1);
    }
    if (!item.GUID().isEmpty()) {
        out.append(prefix);
        out.append(item.GUIDAttr() ? "<guid isPermaLink=\"true\">"_L1
                                   : "<guid isPermaLink=\"false\">"_L1);
        appendEscaped(out, item.GUID());
        out.append("</guid>\n"_L1);
    }
    if (!item.pubDate().isEmpty())
        appendElement(out, prefix, "pubDate"_L1, [&] { appendEscaped(out, item.pubDate()); });
    if (!item.source().isEmpty()) {
        out.append(prefix);
        out.append("<source"_L1);
        if (!item.sourceAttr().isEmpty()) {
            out.append(" url=\""_L1);
            appendEscaped(out, item.sourceAttr());
            out.append('"');
        }
        out.append('>');
        appendEscaped(out, item.source());
        out.append("</source>\n"_L1);
    }
    if (withExtensions)
        item.XMLExtensions()->appendXML(out, prefix);
}
