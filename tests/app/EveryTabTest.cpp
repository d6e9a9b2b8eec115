// The window over a feed of each namespace, with every tab of it shown as a user looking through
// would: opening and looking change nothing, and every control that offers help ("Help" in its
// context menu, F1, an alert's "More Information") names a topic the bundled help book has (a
// missing topic makes that help do nothing, which the user cannot tell from a broken program).
#include "AppFixture.h"
#include "common/TestSupport.h"

#include "app/Controller.h"
#include "app/FeedSaving.h"
#include "app/Vellumcast.h"
#include "platform/QtHelpService.h"
#include "ui/VLXHelpAnchored.h"

#include <QApplication>
#include <QDir>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <functional>

namespace {

// Shows every tab of every tab widget once, so panes that are made when first shown exist.
void showEveryTab(QWidget *window)
{
    for (int pass = 0; pass < 3; ++pass) {
        for (QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
            const int shown = tabs->currentIndex();
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                QCoreApplication::processEvents();
            }
            tabs->setCurrentIndex(shown);
        }
    }
}

// The anchors of all live controls that the book lacks, each with one control's name.
QStringList anchorsMissingFrom(const QtHelpService &book, int *checked)
{
    QStringList missing;
    QSet<QString> seen;
    for (QWidget *widget : QApplication::allWidgets()) {
        const auto *anchored = dynamic_cast<const VLXHelpAnchored *>(widget);
        if (!anchored || anchored->helpAnchor().isEmpty())
            continue;
        const QString anchor = anchored->helpAnchor();
        if (seen.contains(anchor))
            continue;
        seen.insert(anchor);
        if (!book.hasAnchor(anchor))
            missing << anchor + QStringLiteral(" (") + widget->objectName() + QLatin1Char(')');
    }
    *checked += int(seen.size());
    return missing;
}

class EveryTabTest : public AppFixture
{
protected:
    // Opens each feed of the round-trip set in turn, shows every tab, runs the check, and quits.
    void forEveryFeed(const std::function<void(const QString &, Vellumcast &)> &check)
    {
        const QDir feeds(TestSupport::dataPath(QStringLiteral("roundtrip")));
        const QStringList files = feeds.entryList({QStringLiteral("*.xml")}, QDir::Files);
        ASSERT_GE(files.size(), 8);
        for (const QString &file : files) {
            Vellumcast &window = openInWindow(AppFixture::readFile(feeds.filePath(file)));
            showEveryTab(window.window());
            check(file, window);
            stopApplication();
        }
    }
};

TEST_F(EveryTabTest, AFeedSavedOnceIsNotEditedWhenOpenedAgainAndLookedThrough)
{
    // Opening may repair a feed (and asks for a save then); what was saved needs no repair.
    const QDir feeds(TestSupport::dataPath(QStringLiteral("roundtrip")));
    for (const QString &file : feeds.entryList({QStringLiteral("*.xml")}, QDir::Files)) {
        Vellumcast &first = openInWindow(AppFixture::readFile(feeds.filePath(file)));
        first.setDocumentEdited(true);
        ASSERT_TRUE(first.saving().actualSaveDocument(0)) << file.toStdString();
        const QString saved = QDir(home()).filePath(QStringLiteral("edit.xml"));
        const QByteArray text = AppFixture::readFile(saved);
        stopApplication();
        Vellumcast &again = openInWindow(text);
        EXPECT_FALSE(again.isDocumentEdited()) << file.toStdString() << " on opening";
        showEveryTab(again.window());
        EXPECT_FALSE(again.isDocumentEdited()) << file.toStdString() << " after every tab";
        stopApplication();
    }
}

TEST_F(EveryTabTest, EveryControlNamesATopicOfTheBook)
{
    const QtHelpService book;
    QStringList missing;
    int checked = 0;
    forEveryFeed(
        [&](const QString &, Vellumcast &) { missing += anchorsMissingFrom(book, &checked); });
    missing.removeDuplicates();
    EXPECT_TRUE(missing.isEmpty()) << missing.join(QLatin1Char('\n')).toStdString();
    // Far more than a handful: the channel, item and image fields and every extension tab.
    EXPECT_GT(checked, 100);
}

} // namespace
