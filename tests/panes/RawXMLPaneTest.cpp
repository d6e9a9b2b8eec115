// The pane of an extension kept as raw XML keeps the window answering whatever it is handed.
#include "common/StallWatch.h"

#include "model/extensionNSChannel.h"
#include "panes/RawXMLPane.h"
#include "ui/VLXTextView.h"

#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>

TEST(RawXMLPaneTest, ALongTextIsShownInPartWithoutHoldingUpTheWindow)
{
    // Well above the 50 ms the window allows itself, so that a loaded machine does not fail the
    // test; far below the seconds these took on the window's thread.
    constexpr qint64 kStallMs = 250;
    const QString texts[] = {
        "<abc:e>" + QString(4 << 20, u'w') + "</abc:e>", // one long element
        QStringLiteral("<abc:e>x</abc:e>").repeated(200000), // many small ones
    };
    const QString shortText = QStringLiteral("<abc:short>s</abc:short>");
    const auto shortOne = std::make_shared<extensionNSChannel>();
    shortOne->setRawXML(shortText);
    RawXMLPane pane(shortOne);
    pane.resize(600, 400);
    pane.show();
    auto *view = pane.findChild<VLXTextView *>("Extension_RawXML_View");
    ASSERT_NE(view, nullptr);

    for (const QString &text : texts) {
        SCOPED_TRACE(text.size());
        const auto extension = std::make_shared<extensionNSChannel>();
        extension->setRawXML(text);
        StallWatch watch;
        // As the tabs do for a feed read again: the object is handed over, then loaded.
        pane.setExtension(extension);
        pane.loadData();
        ASSERT_TRUE(
            QTest::qWaitFor([view] { return view->toPlainText().contains("<abc:e>"); }, 60000));
        EXPECT_LT(watch.longestMs(), kStallMs);
        EXPECT_LT(view->toPlainText().size(), 70000);

        // A text still being made ready is not shown over the one handed over after it.
        pane.setExtension(nullptr);
        pane.setExtension(extension);
        pane.setExtension(shortOne);
        QThreadPool::globalInstance()->waitForDone();
        QTest::qWait(20);
        EXPECT_EQ(view->toPlainText(), shortText);
    }
}
