// The pane of an extension kept as raw XML keeps the window answering whatever it is handed.
#include "common/StallWatch.h"

#include "model/extensionNSChannel.h"
#include "panes/RawXMLPane.h"
#include "ui/VLXTextView.h"

#include <QTest>
#include <QThreadPool>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

namespace {
std::shared_ptr<extensionNSChannel> holding(const QString &text)
{
    auto extension = std::make_shared<extensionNSChannel>();
    extension->setRawXML(text);
    return extension;
}
} // namespace

TEST(RawXMLPaneTest, ALongTextIsShownInPartWithoutHoldingUpTheWindow)
{
    // Well above the 50 ms the window allows itself, so that a loaded machine does not fail the
    // test; far below the seconds these took on the window's thread.
    constexpr qint64 kStallMs = 250;
    const struct
    {
        const char *what;
        QString text;
    } cases[] = {
        {"one long element", "<abc:e>" + QString(4 << 20, u'w') + "</abc:e>"},
        {"many small elements", QStringLiteral("<abc:e>x</abc:e>").repeated(200000)},
    };
    const auto shortText = QStringLiteral("<abc:short>s</abc:short>");
    const auto shortOne = holding(shortText);
    QWidget window;
    auto *pane = new RawXMLPane(shortOne, &window);
    (new QVBoxLayout(&window))->addWidget(pane);
    window.resize(600, 400);
    window.show();
    auto *view = pane->findChild<VLXTextView *>("Extension_RawXML_View");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->toPlainText(), shortText);

    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const auto extension = holding(c.text);
        StallWatch watch;
        // As the tabs do for a feed read again: the object is handed over, then loaded.
        pane->setExtension(extension);
        pane->loadData();
        ASSERT_TRUE(QTest::qWaitFor([view] { return view->toPlainText().contains("<abc:e>"); },
                                    60000));
        EXPECT_LT(watch.longestMs(), kStallMs);
        EXPECT_LT(view->toPlainText().size(), 70000);
        EXPECT_EQ(pane->extension()->rawXML(), c.text);

        // A text still being made ready is not shown over the one handed over after it.
        pane->setExtension(nullptr);
        pane->setExtension(extension);
        pane->setExtension(shortOne);
        EXPECT_EQ(view->toPlainText(), shortText);
        QThreadPool::globalInstance()->waitForDone();
        QTest::qWait(20);
        EXPECT_EQ(view->toPlainText(), shortText);
    }
}
