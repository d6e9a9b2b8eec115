// Every control that offers help ("Help" in its context menu, F1, an alert's "More Information")
// names a topic the bundled help book has. A topic missing from the book makes that help do
// nothing, which the user cannot tell from a broken program.
#include "AppFixture.h"
#include "common/TestSupport.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "platform/QtHelpService.h"
#include "ui/VLXHelpAnchored.h"

#include <QApplication>
#include <QDir>
#include <QSet>
#include <QTabWidget>
#include <QTest>

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

class HelpAnchorsTest : public AppFixture
{
};

TEST_F(HelpAnchorsTest, EveryControlOfTheWindowNamesATopicOfTheBook)
{
    const QtHelpService book;
    const QDir feeds(TestSupport::dataPath(QStringLiteral("roundtrip")));
    const QStringList files = feeds.entryList({QStringLiteral("*.xml")}, QDir::Files);
    ASSERT_GE(files.size(), 8);
    QStringList missing;
    int checked = 0;
    for (const QString &file : files) {
        Vellumcast &window = openInWindow(AppFixture::readFile(feeds.filePath(file)));
        showEveryTab(window.window());
        missing += anchorsMissingFrom(book, &checked);
        stopApplication();
    }
    missing.removeDuplicates();
    EXPECT_TRUE(missing.isEmpty()) << missing.join(QLatin1Char('\n')).toStdString();
    // Far more than a handful: the channel, item and image fields and every extension tab.
    EXPECT_GT(checked, 100);
}

} // namespace
