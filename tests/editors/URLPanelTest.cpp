#include "SheetTestSupport.h"

#include "editors/openURLPanel.h"
#include "platform/MemoryDefaultsStore.h"
#include "ui/VLXComboBox.h"

#include <QDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QWidget>

namespace {
using URLPanel = SheetTest;

const QString kNoSchemeFormat = QStringLiteral(
    "\"%1\" is not a complete or valid URL.  It must start with a valid scheme, such as http://");

// Opens the panel on a window, types the text and presses Accept.
int openWith(openURLPanel &panel, QWidget &window, const QString &typed)
{
    SheetTest::whileModal([&] {
        panel.fileComboBox()->setEditText(typed);
        panel.accept();
    });
    return panel.showOpenURLPanel(&window);
}

TEST_F(URLPanel, OpenModeTakesFeedURLsOverHTTPAndKeepsTheHistoryNewestFirst)
{
    QWidget window;
    window.show();
    openURLPanel panel;
    panel.setHistory({QStringLiteral("http://a/"), QStringLiteral("http://b/")});
    QString preselected;
    whileModal([&] {
        EXPECT_EQ(panel.window()->windowModality(), Qt::WindowModal);
        preselected = panel.URLString();
        panel.fileComboBox()->setEditText(QStringLiteral("  feed://host/p?q=1 \n"));
        panel.accept();
    });
    ASSERT_EQ(panel.showOpenURLPanel(&window), 1);
    EXPECT_EQ(preselected, QStringLiteral("http://a/"));
    EXPECT_EQ(panel.URLString(), QStringLiteral("http://host/p?q=1"));
    EXPECT_EQ(panel.URLs(), QList<QUrl> {QUrl(QStringLiteral("http://host/p?q=1"))});
    EXPECT_EQ(panel.history(),
              QStringList({QStringLiteral("http://host/p?q=1"), QStringLiteral("http://a/"),
                           QStringLiteral("http://b/")}));

    // Accepting one already listed moves it to the front.
    openURLPanel again;
    again.setHistory(panel.history());
    ASSERT_EQ(openWith(again, window, QStringLiteral("http://b/")), 1);
    EXPECT_EQ(again.history(),
              QStringList({QStringLiteral("http://b/"), QStringLiteral("http://host/p?q=1"),
                           QStringLiteral("http://a/")}));
    EXPECT_EQ(again.fileComboBox()->count(), 3);
}

TEST_F(URLPanel, TheHistoryIsCappedByTheSetting)
{
    QWidget window;
    QStringList ten;
    for (int i = 10; i >= 1; --i)
        ten << QStringLiteral("http://host/%1").arg(i);
    openURLPanel panel;
    panel.setHistory(ten);
    ASSERT_EQ(openWith(panel, window, QStringLiteral("http://host/11")), 1);
    EXPECT_EQ(panel.history().size(), 10);
    EXPECT_EQ(panel.history().first(), QStringLiteral("http://host/11"));
    EXPECT_EQ(panel.history().last(), QStringLiteral("http://host/2"));

    store->setInteger(3, openURLPanel::kMaximumHistoryCountKey);
    openURLPanel capped;
    capped.setHistory(ten);
    ASSERT_EQ(openWith(capped, window, QStringLiteral("http://host/12")), 1);
    EXPECT_EQ(capped.history(),
              QStringList({QStringLiteral("http://host/12"), QStringLiteral("http://host/10"),
                           QStringLiteral("http://host/9")}));
}

TEST_F(URLPanel, ATextWithoutASchemeIsRefusedAndThePanelStays)
{
    QWidget window;
    openURLPanel panel;
    whileModal([&] {
        panel.fileComboBox()->setEditText(QStringLiteral("example.com/feed"));
        panel.accept();
        ASSERT_EQ(alerts->alerts().size(), 1);
        EXPECT_EQ(alerts->alerts().first().title, QStringLiteral("Invalid URL"));
        EXPECT_EQ(alerts->alerts().first().message,
                  kNoSchemeFormat.arg(QStringLiteral("example.com/feed")));
        EXPECT_TRUE(panel.window()->isVisible());
        panel.cancel();
    });
    EXPECT_EQ(panel.showOpenURLPanel(&window), 0);
    EXPECT_TRUE(panel.history().isEmpty());
    panel.fileComboBox()->setEditText(QStringLiteral("not a url"));
    EXPECT_TRUE(panel.URLs().isEmpty());
}

TEST_F(URLPanel, EditorModeDropsAURLTheFieldCheckRefuses)
{
    openURLPanel panel;
    panel.setEditWindowTitle(QStringLiteral("Edit URL"));
    panel.setURLString(QStringLiteral("http://good/"));
    whileModal([&] {
        EXPECT_EQ(panel.window()->windowTitle(), QStringLiteral("Edit URL"));
        EXPECT_EQ(panel.acceptButton()->text(), QStringLiteral("Accept"));
        EXPECT_EQ(panel.URLString(), QStringLiteral("http://good/"));
        // A URL, but not one a feed may hold unescaped.
        panel.fileComboBox()->setEditText(
            QStringLiteral("http://example.jp/\u30D5\u30A3\u30FC\u30C9"));
        panel.accept();
    });
    EXPECT_EQ(panel.editURL(), 0);
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().first().message,
              QStringLiteral("The URL seems invalid or incomplete"));

    // Cancel puts back the URL that was given.
    whileModal([&] {
        panel.fileComboBox()->setEditText(QStringLiteral("http://typed/"));
        panel.cancel();
    });
    EXPECT_EQ(panel.editURL(), 0);
    EXPECT_EQ(panel.URLString(), QStringLiteral("http://good/"));
}

TEST_F(URLPanel, DroppedWebURLsAreTakenAndFilesRefused)
{
    openURLPanel panel;
    panel.setEditWindowTitle(QStringLiteral("Edit URL"));
    whileModal([&] {
        VLXComboBox *combo = panel.fileComboBox();
        QMimeData text;
        text.setText(QStringLiteral("http://plain/"));
        EXPECT_EQ(panel.comboBoxValidateDrop(combo, &text), Qt::IgnoreAction);
        VLXComboBox stranger;
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://dropped.example/feed.xml"))});
        EXPECT_EQ(panel.comboBoxValidateDrop(&stranger, &web), Qt::IgnoreAction);
        EXPECT_FALSE(panel.comboBoxAcceptDrop(&stranger, &web));
        EXPECT_NE(panel.comboBoxValidateDrop(combo, &web), Qt::IgnoreAction);

        QMimeData file;
        file.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/feed.xml"))});
        EXPECT_FALSE(panel.comboBoxAcceptDrop(combo, &file));
        EXPECT_EQ(panel.URLString(), QString());
        EXPECT_TRUE(panel.comboBoxAcceptDrop(combo, &web));
        EXPECT_EQ(panel.URLString(), QStringLiteral("https://dropped.example/feed.xml"));
        panel.accept();
    });
    EXPECT_EQ(panel.editURL(), 1);
}

TEST_F(URLPanel, AStepReplacesInTheURLAndChecksItOnTheWayOut)
{
    openURLPanel panel;
    panel.setEditWindowTitle(QStringLiteral("Search & Replace URL"));
    panel.setURLString(QStringLiteral("http://old.example/old.mp3"));
    findPanel->find = findPanel->previous = QStringLiteral("old");
    findPanel->replacement = QStringLiteral("new");
    whileModal([&] {
        EXPECT_EQ(panel.fileComboBox()->hightlightRange(), (TextRange {7, 3}));
        panel.findPanelReplaceFindAction();
        EXPECT_EQ(panel.fileComboBox()->hightlightRange(), (TextRange {19, 3}));
        panel.findPanelReplaceFindAction();
    });
    EXPECT_EQ(panel.replace(QStringLiteral("old"), QStringLiteral("new"), true, 0), 1);
    EXPECT_EQ(panel.URLString(), QStringLiteral("http://new.example/new.mp3"));
    EXPECT_TRUE(panel.replaceDone());

    // No match and nothing changed: cancelled at once, the URL as given.
    openURLPanel unchanged;
    unchanged.setEditWindowTitle(QStringLiteral("Search & Replace URL"));
    unchanged.setURLString(QStringLiteral("http://x/"));
    EXPECT_EQ(unchanged.replace(QStringLiteral("zzz"), std::nullopt, true, 0), 0);
    EXPECT_EQ(unchanged.URLString(), QStringLiteral("http://x/"));
}
} // namespace
