#include "extensions/FieldExtension.h"
#include "common/TestSupport.h"
#include "extensions/ExtensionFindView.h"
#include "extensions/ExtensionText.h"
#include "extensions/ExtensionTwin.h"
#include "extensions/ListReorder.h"
#include "model/VLXError.h"
#include "model/extensionNSItem.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <functional>
#include <gtest/gtest.h>

// The generic extension body on a table of its own, as the next namespace will state one: rows
// of every kind, a nested pair written in its own order, a link attribute, per-feed defaults.

namespace {

using F = ExtensionField;

bool notEmpty(const QString &value, VLXError *error)
{
    if (!value.isEmpty())
        return true;
    if (error)
        *error = VLXError::error(1, QStringLiteral("Title missing"), QStringLiteral("Blank"));
    return false;
}

const char *const kElements[] = {"title", "ping", "who", "flag", "mood"};
const ExtensionField kFields[] = {
    {.name = "title",
     .element = "title",
     .cutLength = 5,
     .repairTag = "tb:title",
     .archiveKey = "T",
     .defaultKey = "FD_AF_IF_EX_ITISubtitle",
     .feedDefaultKey = "FD_CF_IF_EX_ITISubtitle",
     .exportToken = "~~~T~~~",
     .searchable = true,
     .check = &notEmpty},
    {.name = "ping",
     .element = "ping",
     .attribute = "href",
     .read = F::Read::Link,
     .write = F::Write::LinkAttribute,
     .cutLength = 12,
     .archiveKey = "P",
     .searchable = true},
    {.name = "name",
     .element = "who",
     .child = "name",
     .archiveKey = "N",
     .defaultKey = "FD_AF_IF_EX_ITISummary",
     .feedDefaultKey = "FD_CF_IF_EX_ITISummary",
     .searchable = true},
    {.name = "mail", .element = "who", .child = "mail", .archiveKey = "M", .searchable = true},
    {.name = "flag",
     .element = "flag",
     .kind = F::Kind::Flag,
     .read = F::Read::Flag,
     .write = F::Write::Flag,
     .archiveKey = "F",
     .defaultKey = "FD_AF_IF_EX_ITIBlockStr",
     .feedDefaultKey = "FD_CF_IF_EX_ITIBlockStr",
     .exportToken = "~~~F~~~"},
    {.name = "mood",
     .element = "mood",
     .kind = F::Kind::Tristate,
     .read = F::Read::Tristate,
     .write = F::Write::Tristate,
     .archiveKey = "Y",
     .exportToken = "~~~Y~~~"},
};
enum { kTitle, kPing, kName, kMail, kFlag, kMood };
const int kWriteOrder[] = {kTitle, kPing, kMail, kName, kFlag, kMood};
const ExtensionDescriptor kDescriptor = {.ns = KnownNamespace::trackBack,
                                         .place = ExtensionPlace::Item,
                                         .className = "tableItem",
                                         .elements = kElements,
                                         .fields = kFields,
                                         .writeOrder = kWriteOrder,
                                         .htmlRepair = "Markup removed from %1"};

class TableItem : public FieldExtension<extensionNSItem>
{
public:
    TableItem() : FieldExtension(kDescriptor) { }

protected:
    TableItem(const TableItem &) = default;
    extensionNSRaw *newCopy() const override { return new TableItem(*this); }
};

constexpr char kTableItemPrefs[] = "tableItemPrefs";
using TableItemPrefs = ExtensionTwin<TableItem, kTableItemPrefs>;

// Reads the elements into the object as the manager would, under the prefix given.
void read(TableItem &object, const QString &prefix, const QString &elements)
{
    object.setExtensionProcessingName(prefix);
    const vlxXMLDOM dom(QStringLiteral("<?xml version=\"1.0\"?><r xmlns:%1=\"urn:x\" "
                                       "xmlns:tb=\"urn:x\" xmlns:trackback=\"urn:x\">%2</r>")
                            .arg(prefix, elements));
    const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("r"), vlxXMLDOM::Element, nullptr);
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(root); ++i)
        object.parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, root));
}

class FakeFindView : public ExtensionFindView
{
public:
    std::optional<QString> highlightedString(int field) const override
    {
        return field == highlightedField ? highlighted : std::optional<QString>();
    }
    extensionNSRaw::Range replaceHighlighted(int field, const QString &text) override
    {
        replaced.append({field, text});
        return {0, text.size()};
    }
    void showMatch(int field, extensionNSRaw::Range range, QObject *, QObject *, int) override
    {
        shown.append({field, range});
    }

    // The list step: each entry handed over is noted; the script says what the sheet did.
    ListStep searchListEntry(int field, int entry, const QString &, const std::optional<QString> &,
                             bool, int, QObject *, QObject *, int) override
    {
        sheets.append({field, entry});
        return sheetScript ? sheetScript(entry) : ListStep {};
    }

    int highlightedField = -1;
    std::optional<QString> highlighted;
    QList<std::pair<int, QString>> replaced;
    QList<std::pair<int, extensionNSRaw::Range>> shown;
    QList<std::pair<int, int>> sheets;
    std::function<ListStep(int entry)> sheetScript;
};

// A text and a list of URLs, both searched: the list entry by entry through its sheet.
const char *const kLinkElements[] = {"ping", "about"};
const ExtensionField kLinkFields[] = {
    {.name = "ping", .element = "ping", .archiveKey = "P", .searchable = true},
    {.name = "about",
     .element = "about",
     .kind = F::Kind::List,
     .read = F::Read::Custom,
     .write = F::Write::Custom,
     .archiveKey = "A",
     .searchable = true,
     .undoName = "Edit About URL",
     .findTitle = "Search & Replace URL"},
};
enum { kLinkPing, kLinkAbout };
const ExtensionDescriptor kLinkDescriptor = {.ns = KnownNamespace::trackBack,
                                             .place = ExtensionPlace::Item,
                                             .className = "linkItem",
                                             .elements = kLinkElements,
                                             .fields = kLinkFields};

class LinkItem : public FieldExtension<extensionNSItem>
{
public:
    LinkItem() : FieldExtension(kLinkDescriptor) { }
    QStringList about;

protected:
    LinkItem(const LinkItem &) = default;
    extensionNSRaw *newCopy() const override { return new LinkItem(*this); }
    QVariant customValue(int) const override { return about; }
    void setCustomValue(int field, const QVariant &value) override
    {
        about = value.toStringList();
        fieldChanged(field);
    }
    bool customIsEmpty(int) const override { return about.isEmpty(); }
};

} // namespace

TEST(FieldExtension, ReadsUnderTheDocumentsPrefixAndWritesUnderItsOwn)
{
    TableItem item;
    read(item, QStringLiteral("TB"),
         QStringLiteral(
             "<TB:Title> a &lt;b&gt;b&lt;/b&gt; </TB:Title><tb:ping href=\" http://x/ \"/>"
             "<tb:who><tb:name>N</tb:name><trackback:mail>m@x.org</trackback:mail>"
             "</tb:who><tb:flag> yes </tb:flag><tb:mood>clean</tb:mood>"
             "<tb:unknown>u</tb:unknown>"));
    EXPECT_EQ(item.fieldNames(),
              (QStringList {"tb:title", "tb:ping", "tb:who", "tb:flag", "tb:mood"}));
    EXPECT_EQ(item.text(kTitle), QStringLiteral("a b"));
    EXPECT_EQ(item.listOfErrors(false, false, true),
              QStringList {QStringLiteral("Automatic Repair::Markup removed from tb:title")});
    EXPECT_EQ(item.text(kPing), QStringLiteral("http://x/"));
    // Children count under the document's prefix and under the namespace's own.
    EXPECT_EQ(item.text(kName), QStringLiteral("N"));
    EXPECT_EQ(item.text(kMail), QStringLiteral("m@x.org"));
    EXPECT_EQ(item.number(kFlag), 1);
    EXPECT_EQ(item.number(kMood), -1);
    EXPECT_EQ(item.buildXML(QStringLiteral("  ")),
              QStringLiteral("  <trackback:title>a b</trackback:title>\n"
                             "  <trackback:ping href=\"http://x/\" />\n"
                             "  <trackback:who>\n"
                             "      <trackback:mail>m@x.org</trackback:mail>\n"
                             "      <trackback:name>N</trackback:name>\n"
                             "  </trackback:who>\n"
                             "  <trackback:flag>yes</trackback:flag>\n"
                             "  <trackback:mood>clean</trackback:mood>\n"
                             // What no field reads is kept as read, after the fields.
                             "<tb:unknown xmlns:tb=\"urn:x\">u</tb:unknown>\n"));
}

TEST(FieldExtension, WritingCutsNeitherCharactersNorEscapes)
{
    TableItem item;
    // Five UTF-16 units would end inside the pair of U+1F600.
    item.setText(kTitle, QStringLiteral("abcd") + QString::fromUcs4(U"\U0001F600") + u'z');
    item.setText(kPing, QStringLiteral("http://x/a b"));
    EXPECT_EQ(item.buildXML(QString()),
              QStringLiteral("<trackback:title>abcd</trackback:title>\n"
                             "<trackback:ping href=\"http://x/a\" />\n"
                             "<trackback:mood>no</trackback:mood>\n"));
    item.setText(kPing, QStringLiteral("http://x/?a&b"));
    EXPECT_TRUE(item.buildXML(QString()).contains(QLatin1String("href=\"http://x/?a\" />")));

    EXPECT_EQ(ExtensionText::cutLink(QStringLiteral("http://x/%20y"), 11), "http://x/");
    EXPECT_EQ(ExtensionText::cutLink(QStringLiteral("http://x/%20y"), 12), "http://x/%20");
    EXPECT_EQ(ExtensionText::cutLink(QStringLiteral("a&amp;b"), 4), "a");
    EXPECT_EQ(ExtensionText::cutLink(QStringLiteral("a&amp;b"), 6), "a&amp;");
    // The ";" falls at the cut: the reference is not whole in what is kept.
    EXPECT_EQ(ExtensionText::cutLink(QStringLiteral("abc&amp;d"), 7), "abc");
    EXPECT_EQ(ExtensionText::cutLink(QStringLiteral("abc&amp;d"), 8), "abc&amp;");
    EXPECT_EQ(ExtensionText::cut(QStringLiteral("abc"), 0), "abc");
}

TEST(FieldExtension, NothingSetWritesNothingAndIsEmpty)
{
    TableItem item;
    EXPECT_TRUE(item.isEmpty());
    EXPECT_EQ(item.buildXML(QStringLiteral("    ")), QString());
    item.setNumber(kMood, -1);
    EXPECT_FALSE(item.isEmpty());
    // A text is never null: "" for a field never set, set to null or holding a number.
    for (const int field : {int(kTitle), int(kMood)})
        EXPECT_TRUE(!item.text(field).isNull() && item.text(field).isEmpty()) << field;
    EXPECT_EQ(item.buildXML(QString()), QStringLiteral("<trackback:mood>clean</trackback:mood>\n"));
    item.setNumber(kMood, 0);
    item.setText(kTitle, QStringLiteral(" "));
    EXPECT_EQ(item.buildXML(QString()),
              QStringLiteral("<trackback:title> </trackback:title>\n"
                             "<trackback:mood>no</trackback:mood>\n"));
    item.validate(nullptr);
    EXPECT_EQ(item.errorCount(), 0);
    item.setText(kTitle, QString());
    EXPECT_TRUE(!item.text(kTitle).isNull() && item.text(kTitle).isEmpty());
    item.setNumber(kFlag, 1);
    item.validate(nullptr);
    EXPECT_EQ(item.listOfErrors(true, false, false),
              QStringList {QStringLiteral("Validate Error::Title missing")});
    // Set and emptied again, every field is at its start: the object is empty once more.
    item.setText(kTitle, QStringLiteral("t"));
    item.setText(kTitle, QString(QLatin1String("")));
    item.setNumber(kFlag, 0);
    EXPECT_TRUE(item.isEmpty());
}

TEST(FieldExtension, CopiesAndArchivesAreIndependentAndComplete)
{
    TableItem item;
    item.setText(kTitle, QStringLiteral("T"));
    item.setText(kMail, QStringLiteral("m"));
    item.setNumber(kMood, 1);
    item.setExtensionProcessingName(QStringLiteral("tb"));
    const auto copy = std::dynamic_pointer_cast<TableItem>(item.copyExtension());
    ASSERT_TRUE(copy);
    copy->setText(kTitle, QStringLiteral("changed"));
    EXPECT_EQ(item.text(kTitle), QStringLiteral("T"));
    EXPECT_EQ(copy->fieldNames(), item.fieldNames());

    QVariantMap archive;
    item.encodeWithCoder(archive);
    EXPECT_EQ(archive.value("T"), "T");
    EXPECT_EQ(archive.value("Y"), 1);
    TableItem back;
    back.initWithCoder(archive);
    EXPECT_EQ(back.buildXML(QString()), item.buildXML(QString()));
    EXPECT_EQ(back.extensionName(), QStringLiteral("trackback"));

    // The twin copies as a twin, under its own archive name, and allows no undo.
    TableItemPrefs twin;
    EXPECT_FALSE(twin.allowsUndo());
    EXPECT_TRUE(item.allowsUndo());
    EXPECT_EQ(twin.archiveClassName(), QStringLiteral("tableItemPrefs"));
    const auto twinCopy = twin.copyExtension();
    EXPECT_FALSE(twinCopy->allowsUndo());
    EXPECT_TRUE(dynamic_cast<TableItemPrefs *>(twinCopy.get()));
}

TEST(FieldExtension, TheFeedsOwnDefaultMasksTheAllFeedsOneFieldByField)
{
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
    VLXPreferences::setObjectForKey(QStringLiteral("all title"), "FD_AF_IF_EX_ITISubtitle");
    VLXPreferences::setObjectForKey(QStringLiteral("all name"), "FD_AF_IF_EX_ITISummary");
    VLXPreferences::setObjectForKey(QStringLiteral("1"), "FD_AF_IF_EX_ITIBlockStr");
    VLXPreferences::setObjectForKey(QStringLiteral("own name"), "FD_CF_IF_EX_ITISummary",
                                    QStringLiteral("feed"));
    VLXPreferences::setObjectForKey(QStringLiteral("0"), "FD_CF_IF_EX_ITIBlockStr",
                                    QStringLiteral("feed"));
    TableItem item;
    item.populateWithDefaults(QStringLiteral("feed"));
    EXPECT_EQ(item.text(kTitle), QStringLiteral("all title"));
    EXPECT_EQ(item.text(kName), QStringLiteral("own name"));
    EXPECT_EQ(item.number(kFlag), 0);
    TableItem other;
    other.populateWithDefaults(QString());
    EXPECT_EQ(other.text(kName), QStringLiteral("all name"));
    EXPECT_EQ(other.number(kFlag), 1);
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
}

TEST(FieldExtension, ExportReplaceAllAndTheFindWalk)
{
    TableItem item;
    item.setText(kTitle, QStringLiteral("cat Cat"));
    item.setText(kName, QStringLiteral("a cat"));
    item.setNumber(kFlag, 1);
    EXPECT_EQ(TestSupport::exportedBy(QStringLiteral("~~~T~~~|~~~F~~~|~~~Y~~~|~~~T~~~"), item,
                                      {QStringLiteral("cat"), QStringLiteral("dog")}),
              QStringLiteral("dog Cat|YES|NO|dog Cat"));

    FakeFindView view;
    item.setFindView(&view);
    // The title matches once, the ping is skipped (empty), the name matches next.
    EXPECT_TRUE(item.replace(QStringLiteral("cat"), std::nullopt, true, 0, nullptr, nullptr, 0));
    EXPECT_EQ(item.searchFieldIndex(), kTitle);
    EXPECT_TRUE(item.replace(QStringLiteral("cat"), std::nullopt, true, 0, nullptr, nullptr, 0));
    EXPECT_EQ(item.searchFieldIndex(), kName);
    EXPECT_EQ(view.shown.size(), 2);
    EXPECT_EQ(view.shown.at(1).second, (extensionNSRaw::Range {2, 3}));
    EXPECT_FALSE(item.replace(QStringLiteral("cat"), std::nullopt, true, 0, nullptr, nullptr, 0));

    // Replacing goes through the view, so it is an ordinary edit of the field.
    item.resetSearch();
    view.highlightedField = kTitle;
    view.highlighted = QStringLiteral("cat");
    EXPECT_TRUE(
        item.replace(QStringLiteral("cat"), QStringLiteral("dog"), false, 0, nullptr, nullptr, 0));
    EXPECT_TRUE(item.replaceDone());
    ASSERT_EQ(view.replaced.size(), 1);
    EXPECT_EQ(view.replaced.at(0), std::make_pair(int(kTitle), QStringLiteral("dog")));
    item.setFindView(nullptr);

    EXPECT_EQ(item.replaceAll(QStringLiteral("CAT"), QStringLiteral("x"),
                              extensionNSRaw::CaseInsensitive),
              3);
    EXPECT_EQ(item.text(kTitle), QStringLiteral("x x"));
    EXPECT_EQ(item.replaceAll(QStringLiteral("zzz"), QStringLiteral("x"), 0), 0);
}

TEST(ListReorder, ADropOnItsOwnPlaceMovesNothing)
{
    const QList<int> list {1, 2, 3};
    EXPECT_FALSE(ListReorder::moved(list, 0, 0));
    EXPECT_FALSE(ListReorder::moved(list, 0, 1));
    EXPECT_FALSE(ListReorder::moved(list, 3, 0));
    EXPECT_FALSE(ListReorder::moved(list, 0, 4));
    const auto down = ListReorder::moved(list, 0, 3);
    ASSERT_TRUE(down);
    EXPECT_EQ(down->first, (QList<int> {2, 3, 1}));
    EXPECT_EQ(down->second, 2);
    const auto up = ListReorder::moved(list, 2, 0);
    ASSERT_TRUE(up);
    EXPECT_EQ(up->first, (QList<int> {3, 1, 2}));
    EXPECT_EQ(up->second, 0);
}

// Whether an extension holds a text answers as a find walk from the start would, without
// moving the walk: for texts, list entries, case, and nothing to find.
TEST(FieldExtension, HoldsAnswersAsAFreshFindWalkWould)
{
    TableItem table;
    table.setText(kTitle, QStringLiteral("cat Cat"));
    table.setNumber(kFlag, 1);
    LinkItem links;
    links.setText(kLinkPing, QStringLiteral("http://ping.example.com/"));
    links.about = {QStringLiteral("http://a.example.com/"), QStringLiteral("http://b.test/")};
    const struct
    {
        const extensionNSRaw *extension;
        const char *search;
        int options;
    } cases[] = {
        {&table, "cat", 0},
        {&table, "CAT", 0},
        {&table, "CAT", extensionNSRaw::CaseInsensitive},
        {&table, "YES", 0},
        {&table, "", 0},
        {&links, "ping", 0},
        {&links, "b.test", 0},
        {&links, "B.TEST", 0},
        {&links, "B.TEST", extensionNSRaw::CaseInsensitive},
        {&links, "nowhere", 0},
    };
    int held = 0;
    for (const auto &c : cases) {
        const QString search = QString::fromLatin1(c.search);
        const std::unique_ptr<FeedElement> copy = c.extension->clone();
        auto &walked = static_cast<extensionNSRaw &>(*copy);
        const bool found
            = walked.replace(search, std::nullopt, true, c.options, nullptr, nullptr, 0);
        EXPECT_EQ(c.extension->holds(search, c.options), found) << c.search;
        EXPECT_EQ(c.extension->searchFieldIndex(), 0) << c.search;
        held += found ? 1 : 0;
    }
    EXPECT_EQ(held, 5);
}

TEST(FieldExtension, AListIsSearchedEntryByEntryThroughItsSheet)
{
    LinkItem item;
    item.setText(kLinkPing, QStringLiteral("http://ping.example.com/"));
    item.about = {QStringLiteral("http://a.example.com/"), QStringLiteral("http://b.test/"),
                  QStringLiteral("http://c.example.com/")};
    FakeFindView view;
    item.setFindView(&view);
    view.sheetScript = [](int) { return ExtensionFindView::ListStep {false, true}; };

    // The ping first, then only the entries holding the text, each one step.
    EXPECT_TRUE(
        item.replace(QStringLiteral("example"), std::nullopt, true, 0, nullptr, nullptr, 0));
    EXPECT_EQ(item.searchFieldIndex(), kLinkPing);
    EXPECT_TRUE(
        item.replace(QStringLiteral("example"), std::nullopt, true, 0, nullptr, nullptr, 0));
    EXPECT_TRUE(
        item.replace(QStringLiteral("example"), std::nullopt, true, 0, nullptr, nullptr, 0));
    EXPECT_EQ(view.sheets, (QList<std::pair<int, int>> {{kLinkAbout, 0}, {kLinkAbout, 2}}));
    EXPECT_FALSE(
        item.replace(QStringLiteral("example"), std::nullopt, true, 0, nullptr, nullptr, 0));

    // A Replace with nothing highlighted searches on, past the ping, into the list; a sheet
    // that used the replacement up passes none on.
    item.resetSearch();
    item.setText(kLinkPing, QStringLiteral("http://ping.test/"));
    view.sheets.clear();
    view.sheetScript = [](int entry) { return ExtensionFindView::ListStep {true, entry == 2}; };
    EXPECT_TRUE(item.replace(QStringLiteral(".example.com"), QStringLiteral(".org"), false, 0,
                             nullptr, nullptr, 0));
    EXPECT_TRUE(item.replaceDone());
    EXPECT_EQ(view.sheets, (QList<std::pair<int, int>> {{kLinkAbout, 0}, {kLinkAbout, 2}}));

    // Without a view (a copy asked whether there is a match) an entry is a match by itself.
    item.setFindView(nullptr);
    item.resetSearch();
    item.setText(kLinkPing, QString());
    EXPECT_TRUE(item.replace(QStringLiteral("b.test"), std::nullopt, true, 0, nullptr, nullptr, 0));
    EXPECT_EQ(item.searchFieldIndex(), kLinkAbout);
    EXPECT_EQ(item.searchFieldSubindex(), 2);
    EXPECT_FALSE(
        item.replace(QStringLiteral("b.test"), std::nullopt, true, 0, nullptr, nullptr, 0));

    // Replace All covers every entry and writes the list once.
    int changes = 0;
    item.extension().addChangeListener([&changes] { ++changes; });
    EXPECT_EQ(item.replaceAll(QStringLiteral("EXAMPLE"), QStringLiteral("sample"),
                              extensionNSRaw::CaseInsensitive),
              2);
    EXPECT_EQ(
        item.about,
        (QStringList {QStringLiteral("http://a.sample.com/"), QStringLiteral("http://b.test/"),
                      QStringLiteral("http://c.sample.com/")}));
    EXPECT_EQ(changes, 1);
}
