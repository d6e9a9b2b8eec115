// Any byte sequence must come out of the reader as a status: decoding, the feed check and the
// full read (with its repairs) run on every input, and the channel-only read as well. A text XML
// reads as an RSS feed must open, the quick check of whether any repair applies must agree with
// the repairs, and a text only the repairs open keeps every item and entry it starts.
// The same bytes also make a feed of parts (common/TwinFeed): its values, its faults and which
// of its own tags are spaced. The variant with its tags spaced opens with its written twin's
// values or is refused, and is refused wherever its twin is.
//
// For coverage inside the library, instrument all of it, not only this file:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVLX_BUILD_FUZZ=ON \
//     -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined \
//     -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link,address,undefined
//   cmake --build build-fuzz --target fuzz_reader
//   build-fuzz/fuzz/reader/fuzz_reader -max_len=16384 -timeout=20 -dict=fuzz/feeds.dict \
//     work-corpus fuzz/reader/corpus tests/data/feeds

#include "common/TwinFeed.h"
#include "io/FeedTextScan.h"
#include "io/ItemCheck.h"
#include "io/KeptMarkup.h"
#include "io/RepairCheck.h"
#include "io/TagReading.h"
#include "io/VLXParseFeed.h"
#include "io/VLXRSSWriter.h"
#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <libxml/parser.h>

#include <QCoreApplication>
#include <QStandardPaths>

#include <cstdint>
#include <cstdlib>
#include <random>

namespace {

class QuietAlerts : public AlertService
{
public:
    int runAlert(const Alert &) override { return kDefault; }
};

void setUp()
{
    static int argc = 1;
    static char name[] = "fuzz_reader";
    static char *argv[] = {name, nullptr};
    QStandardPaths::setTestModeEnabled(true);
    static QCoreApplication app(argc, argv);
    AlertService::setInstance(std::make_shared<QuietAlerts>());
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
}

void check(int status)
{
    if (status != 0 && status != 2 && status != 3 && status != 4)
        std::abort();
}

// The stretches of the text outside the parts XML reads as markup of their own (CDATA
// sections, comments, instructions, the document type): the repairs leave what those parts hold
// as it is, and look for what they repair in each stretch on its own.
QStringList outsideKeptMarkup(const QString &text)
{
    QStringList stretches;
    KeptMarkup<char16_t>(reinterpret_cast<const char16_t *>(text.utf16()), text.size())
        .walk([&](qsizetype from, qsizetype to) { stretches << text.sliced(from, to - from); },
              [](const auto &) {});
    return stretches;
}

// Whether the text holds blanks before a ">" that ends a tag: one opened by a "<" followed by a
// name or "/", outside a quoted value. No quoted value holds a "<" (XML allows none there): any
// "<" ends the tag before it, as it does for the repairs ('<w"<" >' ends no tag).
bool blanksEndATag(const QString &text)
{
    bool open = false;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'<') {
            quote = QChar();
            const qsizetype name = i + 1 < text.size() && text[i + 1] == u'/' ? i + 2 : i + 1;
            open = name < text.size() && FeedTextScan::isNameStartCharacter(text[name].unicode());
        } else if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'>') {
            if (open && i > 0 && text[i - 1] == u' ')
                return true;
            open = false;
        } else if (open && (c == u'"' || c == u'\'')) {
            quote = c;
        }
    }
    return false;
}

// The elements named item or entry (any prefix, any letter case) libxml2 finds in the text,
// wherever they stand; -1 when it builds no tree. `recover`: read as leniently as a parser
// reads, going on past every fault.
int itemsAnywhere(const QByteArray &bytes, bool recover)
{
    xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                  (recover ? XML_PARSE_RECOVER : 0) | XML_PARSE_NONET
                                      | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc)
        return -1;
    int items = 0;
    const auto count = [&](xmlNodePtr parent, auto &&self) -> void {
        for (xmlNodePtr child = parent->children; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE)
                continue;
            const char *name = reinterpret_cast<const char *>(child->name);
            items += qstricmp(name, "item") == 0 || qstricmp(name, "entry") == 0 ? 1 : 0;
            self(child, self);
        }
    };
    count(reinterpret_cast<xmlNodePtr>(doc), count);
    xmlFreeDoc(doc);
    return items;
}

// The text with every start tag of an item or entry that no ">" ends before the next "<" (a
// value's "use the <item element") renamed, at the same length: the repairs read such a "<" as
// the author's text and escape it with the value, where libxml2's recovering parse makes an
// element of it. Renamed, it still builds the same tree there, and counts for no item.
QString withUnendedItemTagsRenamed(const QString &text)
{
    QString renamed = text;
    const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
    KeptMarkup<char16_t>(units, text.size())
        .walk(
            [&](qsizetype from, qsizetype to) {
                for (qsizetype lt = text.indexOf(u'<', from); lt >= 0 && lt < to;
                     lt = text.indexOf(u'<', lt + 1)) {
                    const FeedTextScan::Tag tag = FeedTextScan::tagAt(units, text.size(), lt);
                    if (!tag.isTag() || tag.closing || tag.end >= 0)
                        continue;
                    const QStringView name
                        = QStringView(text).sliced(tag.nameAt, tag.nameEnd - tag.nameAt);
                    const qsizetype local = name.lastIndexOf(u':') + 1;
                    const QStringView localName = name.sliced(local);
                    if (localName.compare(u"item", Qt::CaseInsensitive) == 0
                        || localName.compare(u"entry", Qt::CaseInsensitive) == 0)
                        renamed[tag.nameAt + local] = u'_';
                }
            },
            [](const auto &) {});
    return renamed;
}

// Whether XML reads the text as an RSS feed: well-formed, with an "rss" root (whatever version
// it names, or none) holding a "channel" element in its namespace.
bool readsAsRSS(const QString &text)
{
    vlxXMLDOM dom;
    if (!dom.initWithString(VLXParseFeed::workingCopy(text)) || !dom.xmlTree())
        return false;
    const vlxXMLNode *rss = dom.nodeNamed(QStringLiteral("rss"), vlxXMLDOM::Element, nullptr);
    if (!rss)
        return false;
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(rss); ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, rss);
        if (vlxXMLDOM::kindOfNode(child) == vlxXMLDOM::Element
            && vlxXMLDOM::nameOfNode(child) == u"channel" && vlxXMLDOM::inSameNamespace(child, rss))
            return true;
    }
    return false;
}

// A feed of parts made of the bytes: the first chooses the format and the layout (indented or
// not, each line end), the second a fault (which field of which item is left open or closed by
// a faulty end tag, and how, or none), the next four which random half of
// the tags is spaced, and the rest, split at NUL bytes, the values of the channel's title and of
// each item's title, description and link.
TwinFeed twinOf(QByteArrayView bytes, std::uint32_t *spacing)
{
    const auto byte = [&](qsizetype at) { return at < bytes.size() ? quint8(bytes[at]) : 0; };
    TwinFeed feed;
    feed.format = TwinFeed::Format(byte(0) % 3);
    feed.indent = byte(0) / 3 % 2 != 0 ? QStringLiteral("\t") : QString();
    feed.lineEnd = QStringList {QStringLiteral("\n"), QStringLiteral("\r\n"),
                                QStringLiteral("\r")}[byte(0) / 6 % 3];
    *spacing = quint32(byte(2)) | quint32(byte(3)) << 8 | quint32(byte(4)) << 16
        | quint32(byte(5)) << 24;
    const QList<QByteArray> values
        = bytes.size() > 6 ? bytes.sliced(6).toByteArray().split('\0') : QList<QByteArray>();
    qsizetype next = 0;
    const auto value = [&](const QString &fallback) {
        return next < values.size() ? QString::fromUtf8(values[next++]) : fallback;
    };
    const bool atom = feed.format == TwinFeed::Format::Atom;
    const QString description
        = atom ? QStringLiteral("dc:description") : QStringLiteral("description");
    feed.channel
        = {{QStringLiteral("title"), value(QStringLiteral("Show"))},
           atom ? TwinFeed::Field {QStringLiteral("link"),
                                   {},
                                   QStringLiteral(" href=\"https://e.org/\"")}
                : TwinFeed::Field {QStringLiteral("link"), QStringLiteral("https://e.org/")}};
    for (int n = 1; n <= 3; ++n) {
        QList<TwinFeed::Field> item {{QStringLiteral("title"), value(QStringLiteral("Ep"))},
                                     {description, value(QStringLiteral("Notes"))}};
        const QString link = value(QStringLiteral("https://e.org/%1").arg(n));
        item << (atom ? TwinFeed::Field {QStringLiteral("link"),
                                         {},
                                         QStringLiteral(" href=\"%1\"").arg(link.toHtmlEscaped())}
                      : TwinFeed::Field {QStringLiteral("link"), link});
        feed.items << item;
    }
    // Faults: none for most, else in item 1 to 3 (0: the channel), its title or description.
    const int fault = byte(1);
    if (fault % 4 != 0) {
        QList<TwinFeed::Field> &fields
            = fault / 16 % 4 == 0 ? feed.channel : feed.items[fault / 16 % 4 - 1];
        const TwinFeed::Fault faulty[] = {TwinFeed::Fault::Misspelt, TwinFeed::Fault::WordInEnd,
                                          TwinFeed::Fault::SpacedEnd};
        fields[fault / 4 % 2].fault
            = fault % 4 == 1 ? TwinFeed::Fault::LeftOpen : faulty[fault / 64 % 3];
    }
    return feed;
}

struct Opened
{
    bool loaded = false;
    int line = 0;
    QString reading; // what the feed opened to, as the program writes it
};

Opened openedBytes(const QByteArray &bytes)
{
    const QString text = VLXParseFeed::stringFromXMLData(bytes);
    VLXParseFeed reader;
    Opened opened;
    opened.loaded = reader.isItAFeed(text) == VLXParseFeed::Success
        && reader.parseFeed(text, QString(), nullptr) == VLXParseFeed::Success;
    opened.line = reader.refusalLine();
    if (opened.loaded) {
        // The time of writing is left out.
        opened.reading
            = QString::fromUtf8(VLXRSSWriter(false).document(*reader.feed(), false, false, 0));
        const qsizetype date = opened.reading.indexOf(u"<lastBuildDate>");
        if (date >= 0)
            opened.reading.remove(date, opened.reading.indexOf(u'\n', date) - date);
    }
    return opened;
}

// The twin property on the feed the bytes make: every own tag spaced, and a random half of them.
void checkTwins(QByteArrayView bytes)
{
    std::uint32_t spacing = 0;
    const TwinFeed feed = twinOf(bytes, &spacing);
    const Opened twin = openedBytes(feed.written());
    std::mt19937 random {spacing};
    for (const bool all : {true, false}) {
        const Opened variant = openedBytes(
            feed.text([&](int) { return all || std::bernoulli_distribution(0.5)(random); }));
        if (!twin.loaded && variant.loaded)
            std::abort();
        if (twin.loaded && variant.loaded && twin.reading != variant.reading)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool ready = (setUp(), true);
    (void)ready;
    const QString text = VLXParseFeed::stringFromXMLData(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    VLXParseFeed parser;
    const int checked = parser.isItAFeed(text);
    check(checked);
    const int read = parser.parseFeed(text, QStringLiteral("fuzz"), nullptr);
    check(read);
    // A repair never refuses what XML reads.
    const bool wellFormed = readsAsRSS(text);
    if ((checked != 0 || read != 0) && wellFormed)
        std::abort();
    // A text only the repairs open keeps every item and entry it starts: none is taken into a
    // value left open, none is lost. The recovering parse of the text as it stood keeps them
    // all, nested where a value was left open; it may find fewer (it passes over a spaced
    // "< item>" the repairs mend), never more, once the item tags no ">" ends are taken for text
    // as the repairs take them.
    if (read == 0 && !text.isNull() && !vlxXMLDOM(VLXParseFeed::workingCopy(text)).xmlTree()) {
        QStringList told;
        const QString work = VLXParseFeed::workingCopy(text);
        // The repaired text is XML but for the entities the reader knows beyond XML's own
        // ("&hellip;"), which the recovering parse passes over.
        const QString repairedText = VLXParseFeed::repairText(work, &told);
        const int repaired = itemsAnywhere(repairedText.toUtf8(), true);
        if (repaired < itemsAnywhere(withUnendedItemTagsRenamed(work).toUtf8(), true))
            std::abort();
        // The check behind the repairs let it through: the document the reader read holds an
        // item for every item tag of the text.
        const vlxXMLDOM dom(repairedText);
        if (dom.xmlTree()
            && ItemCheck::firstLost(ItemCheck::itemTagsOf(work), dom.linesOfItems()) != 0)
            std::abort();
    }
    check(parser.parseFeedChannelOnly(text));
    VLXParseFeed::getFeedTypeAndVersion(text);

    // The repairs skip their work when a single sweep finds nothing to do; that sweep must never
    // miss a change one of the steps would make.
    QStringList tags {QStringLiteral("title"), QStringLiteral("description"),
                      QStringLiteral("dc:title"), QStringLiteral("dc:description"),
                      QStringLiteral("content:encoded")};
    if (!RepairCheck::textNeedsRepair(reinterpret_cast<const char16_t *>(text.utf16()), text.size(),
                                      tags)) {
        for (const QString &outside : outsideKeptMarkup(text)) {
            if (outside.contains(u"&amp;apos;") || blanksEndATag(outside)
                || outside.contains(u"</xml>"))
                std::abort();
        }
        if (!TagReading(text, tags, true).certain().empty())
            std::abort();
        bool changed = false;
        for (const QString &tag : tags) {
            VLXParseFeed::fixEntityEncodingText(text, tag, &changed);
            if (changed)
                std::abort();
        }
    }
    checkTwins(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
