// The OPML document: its exact bytes, what a parser reads back from it, the rows and head taken
// from the settings, the filling from feed files and the safe save.
#include "opml/OPMLDocument.h"

#include "common/StrictXML.h"
#include "common/TestSupport.h"
#include "model/VLXLogic.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdio>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Row = OPMLDocument::Row;

Row row(int included, const QString &title, const QString &xml, const QString &html = {},
        const QString &language = {})
{
    Row made;
    made.included = included;
    made.title = title;
    made.XMLURL = xml;
    made.HTMLURL = html;
    made.language = language;
    return made;
}

struct Outline
{
    QMap<QString, QString> attributes;
    QStringList order;
};

struct Parsed
{
    bool wellFormed = false;
    QMap<QString, QString> head; // element name -> text
    QList<Outline> outlines;
};

// Reads the document back with libxml2: no recovery, nothing from outside.
Parsed parse(const QByteArray &bytes)
{
    Parsed parsed;
    xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), "opml.xml", nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc)
        return parsed;
    parsed.wellFormed = true;
    xmlNodePtr root = xmlDocGetRootElement(doc);
    for (xmlNodePtr section = root ? root->children : nullptr; section; section = section->next) {
        if (section->type != XML_ELEMENT_NODE)
            continue;
        for (xmlNodePtr child = section->children; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE)
                continue;
            const QString name = QString::fromUtf8(reinterpret_cast<const char *>(child->name));
            if (xmlStrEqual(section->name, BAD_CAST "head")) {
                xmlChar *text = xmlNodeGetContent(child);
                parsed.head.insert(name, QString::fromUtf8(reinterpret_cast<char *>(text)));
                xmlFree(text);
            } else if (name == QLatin1String("outline")) {
                Outline outline;
                for (xmlAttrPtr attribute = child->properties; attribute;
                     attribute = attribute->next) {
                    xmlChar *value = xmlNodeListGetString(doc, attribute->children, 1);
                    const QString key
                        = QString::fromUtf8(reinterpret_cast<const char *>(attribute->name));
                    outline.attributes.insert(key,
                                              QString::fromUtf8(reinterpret_cast<char *>(value)));
                    outline.order << key;
                    xmlFree(value);
                }
                parsed.outlines << outline;
            }
        }
    }
    xmlFreeDoc(doc);
    return parsed;
}

class OPMLDocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        ASSERT_TRUE(folder.isValid());
    }
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir folder;
};

TEST_F(OPMLDocumentTest, TheDocumentIsWrittenExactly)
{
    const QList<Row> rows {row(1, "Feed <1>", "http://h/f.xml", "", "en"),
                           row(1, "", "http://h/untitled.xml"),
                           row(0, "Left out", "http://h/out.xml", "http://h/", "de")};
    const QByteArray expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<opml version=\"1.0\">\n"
                                "    <head>\n"
                                "    <title>A &amp; B</title>\n"
                                "    <ownerEmail>x@y.z</ownerEmail>\n"
                                "</head>\n"
                                "<body>\n"
                                "    <outline text=\"Feed &lt;1&gt;\" xmlUrl=\"http://h/f.xml\" "
                                "language=\"en\" type=\"rss\" />\n"
                                "</body>\n"
                                "</opml>\n";
    EXPECT_EQ(OPMLDocument::build({"A & B", "", "x@y.z"}, rows), expected);

    // Empty head fields leave an empty head; no rows an empty body.
    EXPECT_EQ(OPMLDocument::build({}, {}),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<opml version=\"1.0\">\n"
              "    <head>\n"
              "</head>\n"
              "<body>\n"
              "</body>\n"
              "</opml>\n");
    // Every attribute in its place, type last.
    EXPECT_EQ(
        OPMLDocument::build({"T", "Owner", ""}, {row(1, "t", "http://h/a.xml", "http://h/", "fr")})
            .split('\n')
            .mid(2, 3),
        (QList<QByteArray> {"    <head>", "    <title>T</title>",
                            "    <ownerName>Owner</ownerName>"}));
    EXPECT_TRUE(OPMLDocument::build({}, {row(1, "t", "http://h/a.xml", "http://h/", "fr")})
                    .contains("    <outline text=\"t\" xmlUrl=\"http://h/a.xml\" "
                              "htmlUrl=\"http://h/\" language=\"fr\" type=\"rss\" />\n"));
}

TEST_F(OPMLDocumentTest, EveryDocumentReadsBackToTheValuesWritten)
{
    const QList<Row> rows {
        row(1, "Tom & Jerry's \"best\" <show>", "http://h/f.xml?a=1&b=2", "http://h/?x=1&amp;y=2",
            "en-us"),
        row(1, "Caf\u00e9 \u65e5\u672c", "https://h/caf%C3%A9.xml", "", ""),
        row(1, "Plain", "http://h/p.xml", "http://h/p#top", "de"),
        row(0, "Not included", "http://h/n.xml"),
        row(1, "No address", ""),
        row(5, "Any non-zero includes", "http://h/five.xml"),
    };
    for (const bool apostrophes : {false, true}) {
        VLXLogic::setSettingReader([apostrophes](const QString &key) {
            return key == QLatin1String("EncodeApos") ? QVariant(apostrophes ? 1 : 0) : QVariant();
        });
        const OPMLDocument::Head head {"Mine & \"yours\"", "O'Brien <o>", "o@b.ie"};
        const QByteArray bytes = OPMLDocument::build(head, rows);
        EXPECT_EQ(StrictXML::problem(bytes), QString());
        EXPECT_EQ(bytes.contains("&apos;"), apostrophes);
        const Parsed parsed = parse(bytes);
        ASSERT_TRUE(parsed.wellFormed);
        EXPECT_EQ(parsed.head.value("title"), head.title);
        EXPECT_EQ(parsed.head.value("ownerName"), head.ownerName);
        EXPECT_EQ(parsed.head.value("ownerEmail"), head.ownerEMail);

        QList<Row> written;
        for (const Row &r : rows) {
            if (r.writable())
                written << r;
        }
        ASSERT_EQ(parsed.outlines.size(), written.size());
        for (int i = 0; i < written.size(); ++i) {
            const Outline &outline = parsed.outlines.at(i);
            const Row &r = written.at(i);
            EXPECT_EQ(outline.attributes.value("text"), r.title);
            // Addresses are written as safe links: what is read back is that link unescaped.
            QString safeXML = VLXLogic::createSafeLink(r.XMLURL);
            EXPECT_EQ(outline.attributes.value("xmlUrl"), safeXML.replace("&amp;", "&"));
            EXPECT_EQ(outline.attributes.contains("htmlUrl"), !r.HTMLURL.isEmpty());
            if (!r.HTMLURL.isEmpty()) {
                QString safeHTML = VLXLogic::createSafeLink(r.HTMLURL);
                EXPECT_EQ(outline.attributes.value("htmlUrl"), safeHTML.replace("&amp;", "&"));
            }
            EXPECT_EQ(outline.attributes.value("language"), r.language);
            EXPECT_EQ(outline.attributes.value("type"), "rss");
            EXPECT_EQ(outline.order.last(), "type");
            EXPECT_EQ(outline.order.first(), "text");
        }
        // A plain address reads back unchanged.
        EXPECT_EQ(parsed.outlines.at(0).attributes.value("xmlUrl"), "http://h/f.xml?a=1&b=2");
    }
    VLXLogic::setSettingReader(nullptr);
}

TEST_F(OPMLDocumentTest, WhatXMLCannotHoldIsDroppedAndBreaksAndTabsReadBack)
{
    // Each value as given, and as it must read back: C0 controls, U+FFFE, U+FFFF and a lone
    // surrogate dropped, tabs, line feeds and carriage returns kept.
    const QString unpaired = QString(QChar(0xD800));
    const struct
    {
        QString given;
        QString readBack;
    } values[] = {
        {QStringLiteral("Bell\aand\x1f nul\x01"), QStringLiteral("Belland nul")},
        {QStringLiteral("Non\uFFFEchars\uFFFF") + unpaired, QStringLiteral("Nonchars")},
        {QStringLiteral("Two\nlines\tand\r\nreturns\r"),
         QStringLiteral("Two\nlines\tand\r\nreturns\r")},
    };
    for (const auto &v : values) {
        const OPMLDocument::Head head {v.given, v.given, v.given};
        const QByteArray bytes = OPMLDocument::build(
            head, {row(1, v.given, QStringLiteral("http://h/\u65e5\x02\t.xml"), {}, v.given)});
        EXPECT_EQ(StrictXML::problem(bytes), QString()) << bytes.toStdString();
        const Parsed parsed = parse(bytes);
        ASSERT_TRUE(parsed.wellFormed) << bytes.toStdString();
        for (const char *name : {"title", "ownerName", "ownerEmail"})
            EXPECT_EQ(parsed.head.value(name), v.readBack) << name;
        ASSERT_EQ(parsed.outlines.size(), 1);
        EXPECT_EQ(parsed.outlines.first().attributes.value("text"), v.readBack);
        EXPECT_EQ(parsed.outlines.first().attributes.value("language"), v.readBack);
        EXPECT_EQ(parsed.outlines.first().attributes.value("xmlUrl"), "http://h/\u65e5\t.xml");
    }
}

// Memory is bounded in a child process; a named pipe would block the reading for ever.
TEST_F(OPMLDocumentTest, OnlyOrdinaryFeedFilesOfAFeedsSizeAreReadAndOnlyWhatTheSettingsKeep)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const QString pipe = folder.filePath("pipe.xml");
            ::mkfifo(QFile::encodeName(pipe).constData(), 0600);
            QFile huge(folder.filePath("huge.xml"));
            if (!huge.open(QIODevice::WriteOnly) || !huge.resize(qint64(300) << 20))
                std::_Exit(3);
            huge.close();
            const QString longTitle
                = write("long.xml",
                        "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>"
                            + QByteArray(5000, 't')
                            + "</title><link>http://show.example/</link><description>d"
                              "</description></channel></rss>");
            if (!TestSupport::boundAddressSpaceGrowth(qint64(200) << 20)) {
                std::fprintf(stderr, "the address space cannot be bounded here\n");
                std::_Exit(2);
            }
            for (const QString &path :
                 {QStringLiteral("/dev/zero"), huge.fileName(), pipe, folder.path()}) {
                Row refused;
                refused.feedURL = QUrl::fromLocalFile(path).toString();
                if (OPMLDocument::fillFromFeedFile(refused) || !refused.title.isEmpty()) {
                    std::fprintf(stderr, "read %s\n", qPrintable(path));
                    std::_Exit(1);
                }
            }
            Row filled;
            filled.feedURL = QUrl::fromLocalFile(longTitle).toString();
            const bool read = OPMLDocument::fillFromFeedFile(filled);
            std::fprintf(stderr, "refused 4, read %d with the title %d long and the link %s\n",
                         int(read), int(filled.title.size()), qPrintable(filled.HTMLURL));
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0),
        "refused 4, read 1 with the title 0 long and the link http://show.example/");

    // What would be stored is refused with a sentence that names it.
    Row longLanguage = row(1, "Show", "http://h/s.xml", {}, QString(5000, 'l'));
    longLanguage.feedURL = QUrl::fromLocalFile(folder.filePath("show.xml")).toString();
    EXPECT_EQ(OPMLDocument::refusal({"Mine", "Ann", "a@b.c"}, {longLanguage}),
              "The language of the feed \"show.xml\" is 5000 characters long, longer than the "
              "4096 characters it may have.");
    EXPECT_EQ(OPMLDocument::refusal({QString(4097, 'h'), "", ""}, {}),
              "The title of the list is 4097 characters long, longer than the 4096 characters it "
              "may have.");
    EXPECT_EQ(OPMLDocument::refusal({QString(4096, 'h'), "", ""}, {row(1, "S", "http://x/")}),
              QString());
}

TEST_F(OPMLDocumentTest, WithoutTheWindowTheStoredHeadAndRowsMakeTheDocument)
{
    const QList<QVariantMap> feeds {
        {{"UniqueIdentifier", "K1"}, {"feedURL", "file:///nowhere/one.xml"}},
        {{"UniqueIdentifier", "K2"}, {"feedURL", "file:///nowhere/two.xml"}},
        {{"UniqueIdentifier", "K3"}, {"feedURL", "file:///nowhere/three.xml"}},
    };
    auto store = [](const QString &key, const QString &title, const QString &xml, int included) {
        VLXPreferences::setObjectForKey(included, "OPML_CF_Included", key);
        VLXPreferences::setObjectForKey(title, "OPML_CF_Title", key);
        VLXPreferences::setObjectForKey(xml, "OPML_CF_XMLURL", key);
    };
    store("K1", "One", "http://h/1.xml", 1);
    store("K2", "Two", "http://h/2.xml", 0);
    store("K3", "Three", "http://h/3.xml", 1);
    VLXPreferences::setObjectForKey("fr", "OPML_CF_Language", "K3");
    OPMLDocument::storeHead({"My Feeds", "Ann", "ann@example.org"});

    const QList<Row> rows = OPMLDocument::rowsOfFeeds(feeds);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows.at(1).uniqueIdentifier, "K2");
    EXPECT_EQ(rows.at(1).feedURL, "file:///nowhere/two.xml");
    EXPECT_EQ(rows.at(1).included, 0);
    EXPECT_EQ(rows.at(2).language, "fr");

    // The publisher's copy carries the head the user gave, as the saved one does.
    const Parsed parsed = parse(OPMLDocument::buildForFeeds(feeds));
    EXPECT_EQ(parsed.head.value("title"), "My Feeds");
    EXPECT_EQ(parsed.head.value("ownerName"), "Ann");
    EXPECT_EQ(parsed.head.value("ownerEmail"), "ann@example.org");
    ASSERT_EQ(parsed.outlines.size(), 2);
    EXPECT_EQ(parsed.outlines.at(0).attributes.value("text"), "One");
    EXPECT_EQ(parsed.outlines.at(1).attributes.value("language"), "fr");

    // A row stored back keeps its values and is stamped.
    Row changed = rows.at(1);
    changed.included = 1;
    changed.rawTitle = "Raw";
    const QDateTime stamp(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC);
    OPMLDocument::storeRow(changed, stamp);
    const Row reread = OPMLDocument::rowsOfFeeds({feeds.at(1)}).first();
    EXPECT_EQ(reread.included, 1);
    EXPECT_EQ(reread.rawTitle, "Raw");
    EXPECT_EQ(reread.title, "Two");
    EXPECT_EQ(reread.lastSaved, stamp);
}

TEST_F(OPMLDocumentTest, FillingFromTheFeedFileKeepsWhatIsSetAndNeverTheXMLAddress)
{
    const QString path = write("show.xml",
                               "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel>"
                               "<title>The Show</title><link>http://show.example/</link>"
                               "<description>d</description><language>en-gb</language>"
                               "</channel></rss>");
    Row empty;
    empty.feedURL = QUrl::fromLocalFile(path).toString();
    EXPECT_TRUE(OPMLDocument::needsFeedFile(empty));
    ASSERT_TRUE(OPMLDocument::fillFromFeedFile(empty));
    EXPECT_EQ(empty.rawTitle, "The Show");
    EXPECT_EQ(empty.title, "The Show");
    EXPECT_EQ(empty.rawHTMLURL, "http://show.example/");
    EXPECT_EQ(empty.HTMLURL, "http://show.example/");
    EXPECT_EQ(empty.language, "en-gb");
    EXPECT_EQ(empty.XMLURL, "");

    Row edited = empty;
    edited.title = "My title";
    edited.HTMLURL = "";
    ASSERT_TRUE(OPMLDocument::fillFromFeedFile(edited));
    EXPECT_EQ(edited.title, "My title");
    EXPECT_EQ(edited.HTMLURL, "http://show.example/");

    // All set: read again only when the file changed after the last accept.
    edited.lastSaved = QDateTime::currentDateTime().addSecs(60);
    EXPECT_FALSE(OPMLDocument::needsFeedFile(edited));
    edited.lastSaved = QDateTime::currentDateTime().addSecs(-3600);
    EXPECT_TRUE(OPMLDocument::needsFeedFile(edited));
    edited.feedURL = QUrl::fromLocalFile(folder.filePath("gone.xml")).toString();
    EXPECT_FALSE(OPMLDocument::needsFeedFile(edited));

    // A feed that the repairs would make unreadable (an element named xml, whose end tag they
    // take away) is read as it stands, as the window reads it; so is a root in another version.
    for (const char *version : {"2.0", "3.0"}) {
        Row asItStands;
        asItStands.feedURL
            = QUrl::fromLocalFile(
                  write("xml.xml",
                        QByteArray("<?xml version=\"1.0\"?><rss version=\"") + version
                            + "\"><channel><title>Kept</title><language>fr</language>"
                              "<xml>x</xml></channel></rss>"))
                  .toString();
        ASSERT_TRUE(OPMLDocument::fillFromFeedFile(asItStands)) << version;
        EXPECT_EQ(asItStands.title, "Kept");
        EXPECT_EQ(asItStands.language, "fr");
    }

    // A file that is no feed, or is missing, changes nothing.
    Row broken;
    broken.feedURL = QUrl::fromLocalFile(write("broken.xml", "<rss><channel>")).toString();
    EXPECT_FALSE(OPMLDocument::fillFromFeedFile(broken));
    EXPECT_EQ(broken.title, "");
    Row missing;
    missing.feedURL = QUrl::fromLocalFile(folder.filePath("gone.xml")).toString();
    EXPECT_FALSE(OPMLDocument::fillFromFeedFile(missing));
}

TEST_F(OPMLDocumentTest, ASavedFileSurvivesAFailedWrite)
{
    const QString path = write("list.opml", "old list");
    ASSERT_TRUE(OPMLDocument::save(path, "new list"));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "new list");
    saved.close();

    // A folder that cannot be written to: the file there stays as it was.
    QTemporaryDir mountPoint;
    bool mounted = false;
    QString locked = folder.filePath("locked");
    if (::geteuid() == 0) {
        mounted = QProcess::execute("mount",
                                    {"-t", "tmpfs", "-o", "size=1m", "tmpfs", mountPoint.path()})
            == 0;
        if (!mounted)
            GTEST_SKIP() << "cannot mount a file system to make read-only";
        locked = mountPoint.path();
    }
    QDir().mkpath(locked);
    const QString kept = QDir(locked).filePath("kept.opml");
    {
        QFile file(kept);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the list as it was");
    }
    if (mounted)
        ASSERT_EQ(QProcess::execute("mount", {"-o", "remount,ro", locked}), 0);
    else
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QString problem;
    const bool ok = OPMLDocument::save(kept, "replacement", &problem);
    QByteArray after;
    {
        QFile file(kept);
        if (file.open(QIODevice::ReadOnly))
            after = file.readAll();
    }
    const QStringList files = QDir(locked).entryList(QDir::Files);
    if (mounted)
        QProcess::execute("umount", {locked});
    else
        QFile::setPermissions(
            locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(problem.isEmpty());
    EXPECT_EQ(after, "the list as it was");
    EXPECT_EQ(files, QStringList {"kept.opml"});
}

} // namespace
