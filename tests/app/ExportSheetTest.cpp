#include "AppFixture.h"

#include "app/Controller.h"
#include "app/ExportSheet.h"
#include "app/Vellumcast.h"
#include "model/VLXFeed.h"
#include "platform/DefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXListBox.h"
#include "xml/HTMLText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QSpinBox>
#include <QTest>
#include <unistd.h>

namespace {
const QString kCafeTitle = QStringLiteral("Café Größe — 日本語の時間");

class ExportSheetTest : public AppFixture
{
protected:
    QString path(const QString &name) const { return QDir(home()).filePath(name); }

    // The window with the feed files opened in turn (the last one is shown).
    Vellumcast &openFeeds(const QStringList &files)
    {
        Vellumcast &window = startWindow();
        for (const QString &file : files)
            window.openFeedAtPath(file);
        window.window()->show();
        alerts->clear();
        return window;
    }
    QString cafeFeed() const
    {
        const QString copy = path("shows/cafe.xml");
        writeFile(copy, readFile(QStringLiteral(VLX_TEST_DATA_DIR "/feeds/cafe-podcast.xml")));
        return copy;
    }

    ExportSheet &openSheet(Vellumcast &window)
    {
        window.command("exportFeed")->trigger();
        auto *sheet = window.window()->findChild<ExportSheet *>("exportWindow");
        EXPECT_NE(sheet, nullptr);
        EXPECT_TRUE(sheet && sheet->isVisible());
        return *sheet;
    }
    template<typename T> static T *control(ExportSheet &sheet, const char *name)
    {
        return sheet.findChild<T *>(QLatin1String(name));
    }
    static QStringList popupEntries(ExportSheet &sheet)
    {
        QStringList entries;
        auto *popup = control<QComboBox>(sheet, "exportType");
        for (int i = 0; i < popup->count(); ++i)
            entries << popup->itemText(i);
        return entries;
    }
    // Chooses the type in the pop-up as the user does.
    static void choose(ExportSheet &sheet, const char *title)
    {
        auto *popup = control<QComboBox>(sheet, "exportType");
        const int index = popup->findText(QLatin1String(title));
        ASSERT_GE(index, 0) << title;
        popup->setCurrentIndex(index);
        emit popup->activated(index);
    }
    static QString field(ExportSheet &sheet, const char *name)
    {
        return control<QLineEdit>(sheet, name)->text();
    }
    // Exports to the destination and answers the result line.
    static QString exportTo(ExportSheet &sheet, const QString &destination)
    {
        control<QLineEdit>(sheet, "exportDestination")->setText(destination);
        control<QAbstractButton>(sheet, "exportExportButton")->click();
        return sheet.resultText();
    }
    static QString perFeed(Vellumcast &window, const char *key)
    {
        return VLXPreferences::objectForKey(QLatin1String(key),
                                            window.document()->entry().uniqueIdentifier)
            .toString();
    }
    QString templatesFolder() const { return QDir(userFolder()).filePath("Templates"); }
    QString exportsFolder() const { return QDir(userFolder()).filePath("Exports"); }
};

// The items of the test feed in list order, as the text template lists them.
struct Episode
{
    const char *title;
    const char *date;
    int number;
    const char *length;
};
const Episode kEpisodes[] = {
    {"Zwölf \"Boxkämpfer\" jagen Viktor", "Sat, 05 Dec 2020 09:00:00 +0000", 12, "1234567"},
    {"Ärger im Büro", "Mon, 07 Dec 2099 09:00:00 +0000", 13, "2345678"},
    {"Ein Brief aus 東京", "Sun, 06 Dec 2020 09:00:00 +0000", 14, "3456789"},
};

QString expectedText(const QList<int> &items)
{
    QString text
        = kCafeTitle
        + QStringLiteral(
              "\nhttps://example.org/cafe/\nPublished: Tue, 08 Dec 2020 10:00:00 +0000\n\n");
    for (int i : items) {
        const Episode &e = kEpisodes[i];
        text += QStringLiteral("\n%1\n  Date: %2\n  Link: https://example.org/cafe/%3\n"
                               "  Guid: https://example.org/cafe/%3\n"
                               "  Enclosure: https://example.org/cafe/%3.mp3 (audio/mpeg, %4 bytes)"
                               "\n\n")
                    .arg(QString::fromUtf8(e.title), QLatin1String(e.date))
                    .arg(e.number)
                    .arg(QLatin1String(e.length));
    }
    return text + QLatin1Char('\n');
}

// "Successful.  N bytes written" where N is the size of the file on disk; for non-ASCII text
// the count is of UTF-8 bytes, not of characters.
void expectWritten(const QString &result, const QString &file, bool ascii = false)
{
    QFile opened(file);
    const QByteArray bytes = opened.open(QIODevice::ReadOnly) ? opened.readAll() : QByteArray();
    ASSERT_FALSE(bytes.isEmpty()) << file.toStdString();
    EXPECT_EQ(result, QStringLiteral("Successful.  %1 bytes written").arg(bytes.size()));
    if (!ascii) {
        EXPECT_LT(QString::fromUtf8(bytes).size(), bytes.size());
    }
}
} // namespace

TEST_F(ExportSheetTest, TheFirstOpeningAsksForATypeAndChoosingOneFillsTheFeedsPaths)
{
    Vellumcast &window = openFeeds({cafeFeed()});
    ExportSheet &sheet = openSheet(window);
    EXPECT_EQ(popupEntries(sheet),
              QStringList({"Select Export Type", "RSS to HTML", "RSS to JavaScript", "RSS to Text",
                           "RSS to CSV", "RSS to XML"}));
    for (const char *name : {"exportTemplateButton", "exportTemplate", "exportDestinationButton",
                             "exportDestination", "exportExportButton"})
        EXPECT_FALSE(control<QWidget>(sheet, name)->isEnabled()) << name;
    EXPECT_TRUE(sheet.resultText().isEmpty());
    EXPECT_FALSE(control<QSpinBox>(sheet, "exportLimitNumber")->isEnabled());
    EXPECT_TRUE(sheet.isModal());

    choose(sheet, "RSS to HTML");
    EXPECT_EQ(popupEntries(sheet).size(), 5);
    EXPECT_FALSE(popupEntries(sheet).contains("Select Export Type"));
    EXPECT_EQ(control<QComboBox>(sheet, "exportType")->currentText(), "RSS to HTML");
    EXPECT_EQ(field(sheet, "exportTemplate"),
              QDir(templatesFolder()).filePath("BasicWebpage.html"));
    EXPECT_EQ(field(sheet, "exportDestination"), QDir(exportsFolder()).filePath("cafe.html"));
    EXPECT_TRUE(control<QWidget>(sheet, "exportTemplateButton")->isEnabled());

    const struct
    {
        const char *type;
        const char *templateName;
        const char *fileName;
    } defaults[] = {{"RSS to JavaScript", "BasicJavaScript.js", "cafe.js"},
                    {"RSS to Text", "BasicTextfile.txt", "cafe.txt"},
                    {"RSS to CSV", "BasicCSVfile.csv", "cafe.csv"}};
    for (const auto &d : defaults) {
        choose(sheet, d.type);
        EXPECT_EQ(field(sheet, "exportTemplate"),
                  QDir(templatesFolder()).filePath(QLatin1String(d.templateName)));
        EXPECT_EQ(field(sheet, "exportDestination"),
                  QDir(exportsFolder()).filePath(QLatin1String(d.fileName)));
    }
    choose(sheet, "RSS to XML");
    EXPECT_FALSE(control<QWidget>(sheet, "exportTemplate")->isEnabled());
    EXPECT_FALSE(control<QWidget>(sheet, "exportTemplateButton")->isEnabled());
    EXPECT_EQ(field(sheet, "exportDestination"), QDir(exportsFolder()).filePath("cafe.xml"));

    // The limit box enables the number; Done ends the sheet; the type stays for the next time.
    control<QCheckBox>(sheet, "exportLimitItems")->click();
    EXPECT_TRUE(control<QSpinBox>(sheet, "exportLimitNumber")->isEnabled());
    control<QAbstractButton>(sheet, "exportDoneButton")->click();
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), 1);
    ExportSheet &again = openSheet(window);
    EXPECT_EQ(&again, &sheet);
    EXPECT_EQ(control<QComboBox>(sheet, "exportType")->currentText(), "RSS to XML");
    EXPECT_FALSE(control<QCheckBox>(sheet, "exportLimitItems")->isChecked()) << "never exported";
}

TEST_F(ExportSheetTest, AllFiveExportsWriteTheFeedsTextAsUTF8)
{
    Vellumcast &window = openFeeds({cafeFeed()});
    ASSERT_EQ(window.currentFeed()->title(), kCafeTitle);
    ExportSheet &sheet = openSheet(window);
    // The check runs while the window goes on (the fetch of the feed's picture may fail then).
    for (const Alert &alert : alerts->alerts())
        EXPECT_NE(alert.title, "Feed Doesn't Validate") << "the feed validates";
    const QString out = path("out");
    QDir().mkpath(out);

    choose(sheet, "RSS to Text");
    const QString text = QDir(out).filePath("cafe.txt");
    expectWritten(exportTo(sheet, text), text);
    EXPECT_EQ(QString::fromUtf8(readFile(text)), expectedText({0, 1, 2}));
    EXPECT_TRUE(sheet.isVisible()) << "the sheet stays open for more exports";

    choose(sheet, "RSS to CSV");
    const QString csv = QDir(out).filePath("cafe.csv");
    expectWritten(exportTo(sheet, csv), csv);
    const QStringList rows = QString::fromUtf8(readFile(csv)).split(QLatin1Char('\n'));
    ASSERT_GE(rows.size(), 4);
    EXPECT_TRUE(rows.at(0).startsWith("\"Title\",\"Link\""));
    EXPECT_EQ(
        rows.at(1),
        QStringLiteral("\"Zwölf \"\"Boxkämpfer\"\" jagen Viktor\",\"https://example.org/cafe/12\","
                       "\"Sat, 05 Dec 2020 09:00:00 +0000\",\"zoe@example.org (Zoë Müller)\","
                       "\"\",\"https://example.org/cafe/12\",\"https://example.org/cafe/12.mp3\","
                       "\"audio/mpeg\",\"1234567\""));
    EXPECT_TRUE(rows.at(3).startsWith(QStringLiteral("\"Ein Brief aus 東京\"")));

    choose(sheet, "RSS to HTML");
    const QString html = QDir(out).filePath("cafe.html");
    expectWritten(exportTo(sheet, html), html);
    const QString page = QString::fromUtf8(readFile(html));
    EXPECT_TRUE(page.contains(QStringLiteral("<title>%1</title>").arg(kCafeTitle)));
    EXPECT_TRUE(page.contains(QStringLiteral("<div>Über 12 Tassen ☕ und ein Croissant.</div>")));
    // A page writes the titles' quotes as references.
    const auto shown = [](const char *title) {
        return HTMLText::fromPlainText(QString::fromUtf8(title), HTMLText::Quotes::Escaped);
    };
    const qsizetype first = page.indexOf(shown(kEpisodes[0].title));
    const qsizetype second = page.indexOf(shown(kEpisodes[1].title));
    const qsizetype third = page.indexOf(shown(kEpisodes[2].title));
    EXPECT_TRUE(first > 0 && first < second && second < third);
    EXPECT_FALSE(page.contains("~~~"));

    choose(sheet, "RSS to JavaScript");
    const QString js = QDir(out).filePath("cafe.js");
    expectWritten(exportTo(sheet, js), js);
    const QStringList lines = QString::fromUtf8(readFile(js)).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    for (const QString &line : lines)
        EXPECT_TRUE(line.startsWith("document.write('") && line.endsWith("');"))
            << line.toStdString();
    EXPECT_TRUE(lines.contains(
        QStringLiteral(
            "document.write('<h3><a href=\\\"https://example.org/cafe/\\\">%1</a></h3>');")
            .arg(kCafeTitle)));
    EXPECT_TRUE(readFile(js).contains("Zwölf &quot;Boxkämpfer&quot; jagen Viktor"));

    choose(sheet, "RSS to XML");
    const QString xml = QDir(out).filePath("cafe-copy.xml");
    expectWritten(exportTo(sheet, xml), xml);
    const QString copy = QString::fromUtf8(readFile(xml));
    EXPECT_TRUE(copy.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_TRUE(copy.contains(QStringLiteral("<title>%1</title>").arg(kCafeTitle)));
    EXPECT_EQ(copy.count("<item>"), 3);
    EXPECT_EQ(perFeed(window, "Export_CF_XML_File"), xml) << "the XML export keeps its file too";

    // Limits and the future-item choice: the last two items, the last first, without the one
    // dated in 2099; and they are kept for the feed.
    choose(sheet, "RSS to Text");
    EXPECT_EQ(field(sheet, "exportDestination"), text) << "the feed's own file again";
    control<QCheckBox>(sheet, "exportLimitItems")->setChecked(true);
    control<QSpinBox>(sheet, "exportLimitNumber")->setValue(-2);
    expectWritten(exportTo(sheet, text), text);
    EXPECT_EQ(QString::fromUtf8(readFile(text)), expectedText({2, 1}));
    control<QCheckBox>(sheet, "exportNoFuture")->setChecked(true);
    expectWritten(exportTo(sheet, text), text);
    EXPECT_EQ(QString::fromUtf8(readFile(text)), expectedText({2, 0}));
    EXPECT_EQ(perFeed(window, "Export_CF_NoFuture"), "1");
    EXPECT_EQ(perFeed(window, "Export_CF_LimitItems"), "1");
    EXPECT_EQ(perFeed(window, "Export_CF_LimitNumber"), "-2");
    EXPECT_EQ(perFeed(window, "Export_CF_Text_File"), text);
    EXPECT_EQ(perFeed(window, "Export_CF_Text_Template"),
              QDir(templatesFolder()).filePath("BasicTextfile.txt"));
}

TEST_F(ExportSheetTest, TwoFeedsKeepTheirOwnSettingsAndReopeningShowsTheSelectedFeeds)
{
    const QString a = cafeFeed();
    const QString b = path("shows/news.xml");
    writeFile(b, smallFeed("News"));
    Vellumcast &window = openFeeds({a});

    ExportSheet &sheet = openSheet(window);
    choose(sheet, "RSS to HTML");
    control<QCheckBox>(sheet, "exportLimitItems")->setChecked(true);
    control<QSpinBox>(sheet, "exportLimitNumber")->setValue(2);
    control<QCheckBox>(sheet, "exportNoFuture")->setChecked(true);
    const QString aFile = path("out-a/cafe-page.html");
    QDir().mkpath(path("out-a"));
    expectWritten(exportTo(sheet, aFile), aFile);
    const QByteArray aBytes = readFile(aFile);
    sheet.exportDone();

    window.openFeedAtPath(b);
    ASSERT_EQ(window.currentFeed()->title(), "News");
    openSheet(window);
    EXPECT_EQ(control<QComboBox>(sheet, "exportType")->currentText(), "RSS to HTML");
    EXPECT_EQ(field(sheet, "exportDestination"), QDir(exportsFolder()).filePath("news.html"))
        << "never the other feed's file";
    EXPECT_EQ(field(sheet, "exportTemplate"),
              QDir(templatesFolder()).filePath("BasicWebpage.html"));
    EXPECT_FALSE(control<QCheckBox>(sheet, "exportLimitItems")->isChecked());
    EXPECT_FALSE(control<QCheckBox>(sheet, "exportNoFuture")->isChecked());
    EXPECT_EQ(control<QSpinBox>(sheet, "exportLimitNumber")->value(), 0);
    const QString bFile = path("out-b/news-page.html");
    QDir().mkpath(path("out-b"));
    expectWritten(exportTo(sheet, bFile), bFile, true);
    EXPECT_EQ(readFile(aFile), aBytes) << "feed A's export is untouched";
    sheet.exportDone();

    // Back to A (row 1 of the list, B was put at the top).
    auto *list = window.outlet<VLXListBox>("Feeds_Required_Files");
    list->selectRowAndNotifyDelegate(1, true);
    ASSERT_EQ(window.currentFeed()->title(), kCafeTitle);
    openSheet(window);
    EXPECT_EQ(field(sheet, "exportDestination"), aFile);
    EXPECT_TRUE(control<QCheckBox>(sheet, "exportLimitItems")->isChecked());
    EXPECT_TRUE(control<QCheckBox>(sheet, "exportNoFuture")->isChecked());
    EXPECT_EQ(control<QSpinBox>(sheet, "exportLimitNumber")->value(), 2);
    EXPECT_EQ(perFeed(window, "Export_CF_HTML_File"), aFile);
    sheet.exportDone();

    list->selectRowAndNotifyDelegate(0, true);
    openSheet(window);
    EXPECT_EQ(field(sheet, "exportDestination"), bFile);
    EXPECT_EQ(perFeed(window, "Export_CF_HTML_File"), bFile);
}

TEST_F(ExportSheetTest, FailuresAreReportedAndAMissingTemplateWritesAndKeepsNothing)
{
    Vellumcast &window = openFeeds({cafeFeed()});
    ExportSheet &sheet = openSheet(window);
    choose(sheet, "RSS to HTML");
    const QString out = path("out");
    QDir().mkpath(out);

    control<QLineEdit>(sheet, "exportTemplate")->setText(path("gone.html"));
    EXPECT_EQ(exportTo(sheet, QDir(out).filePath("never.html")), "Template file not found");
    EXPECT_FALSE(QFile::exists(QDir(out).filePath("never.html")));
    EXPECT_TRUE(perFeed(window, "Export_CF_HTML_Template").isEmpty());
    EXPECT_TRUE(perFeed(window, "Export_CF_HTML_File").isEmpty());
    control<QLineEdit>(sheet, "exportTemplate")
        ->setText(QDir(templatesFolder()).filePath("BasicWebpage.html"));

    // A folder the program may not write to (for the superuser, a system folder that takes no
    // new files), a file standing where a folder should be, and a folder in the file's place.
    QString readOnly = path("locked");
    QDir().mkpath(readOnly);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    if (geteuid() == 0)
        readOnly = QStringLiteral("/proc");
    writeFile(path("plain-file"), "x");
    QDir().mkpath(path("out/folder.html"));
    for (const QString &destination : {QDir(readOnly).filePath("page.html"),
                                       path("plain-file/page.html"), path("out/folder.html")}) {
        const QString result = exportTo(sheet, destination);
        EXPECT_TRUE(result.startsWith("Export failed.  ")) << result.toStdString();
        EXPECT_TRUE(result.contains(QDir::toNativeSeparators(destination))) << result.toStdString();
        EXPECT_FALSE(QFileInfo(destination).isFile());
    }
    QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A saved template that was deleted gives way to the default; a saved destination whose
    // folder is gone is still shown.
    const QString own = path("own.html");
    writeFile(own, "<p>~~~FeedTitle~~~</p>");
    control<QLineEdit>(sheet, "exportTemplate")->setText(own);
    const QString later = path("later/page.html");
    QDir().mkpath(path("later"));
    expectWritten(exportTo(sheet, later), later);
    EXPECT_EQ(QString::fromUtf8(readFile(later)), QStringLiteral("<p>%1</p>").arg(kCafeTitle));
    sheet.exportDone();
    QFile::remove(own);
    QDir(path("later")).removeRecursively();
    openSheet(window);
    EXPECT_EQ(field(sheet, "exportTemplate"),
              QDir(templatesFolder()).filePath("BasicWebpage.html"));
    EXPECT_EQ(field(sheet, "exportDestination"), later);
    EXPECT_TRUE(sheet.resultText().isEmpty()) << "the result line is hidden on opening";
}
