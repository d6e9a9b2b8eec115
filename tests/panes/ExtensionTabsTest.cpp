// The extension tabs of a feed that declares many namespaces: a tab each, every tab shown, and
// panes that make their controls only when the user first shows them.
#include "panes/ExtensionTabs.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionNSRaw.h"
#include "panes/RawXMLPane.h"
#include "ui/VLXTextView.h"

#include <QTabBar>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {
int visibleTabs(const QTabWidget &tabs)
{
    int visible = 0;
    for (int i = 0; i < tabs.count(); ++i)
        visible += tabs.tabBar()->isTabVisible(i) ? 1 : 0;
    return visible;
}
} // namespace

TEST(ExtensionTabsTest, EachNamespaceHasATabWhosePaneMakesItsControlsWhenFirstShown)
{
    constexpr int kNamespaces = 200;
    extensionManagerChannel many;
    for (int n = 0; n < kNamespaces; ++n)
        many.createExtensionWithNamespace(QStringLiteral("n%1").arg(n),
                                          QStringLiteral("https://example.org/%1/").arg(n));
    many.extensionAtIndex(150)->setRawXML(QStringLiteral("<n150:note>kept</n150:note>"));
    extensionManagerChannel few;
    few.createExtensionWithNamespace(QStringLiteral("abc"), QStringLiteral("https://example.org/"));
    const ExtensionTabs::Context context {nullptr, nullptr, FieldScope::Channel, {}};

    // The channel's tabs keep their "General" tab; the items' and the image's keep none, so a
    // pane of theirs is current and shown at once.
    for (const int keep : {1, 0}) {
        SCOPED_TRACE(keep);
        QTabWidget tabs;
        if (keep == 1)
            tabs.addTab(new QWidget, QStringLiteral("General"));
        tabs.resize(600, 400);
        tabs.show();
        ExtensionTabs::rebuild(&tabs, &many, keep, context);
        ASSERT_EQ(tabs.count(), keep + kNamespaces);
        EXPECT_EQ(visibleTabs(tabs), tabs.count());
        EXPECT_EQ(tabs.currentIndex(), 0);
        EXPECT_EQ(tabs.findChildren<VLXTextView *>().size(), 1 - keep) << "only a pane shown";

        tabs.setCurrentIndex(keep + 150);
        auto *view = tabs.widget(keep + 150)->findChild<VLXTextView *>();
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->isVisible());
        EXPECT_EQ(view->toPlainText(), "<n150:note>kept</n150:note>");

        // Another feed's namespaces: the panes before leave the window at once.
        ExtensionTabs::rebuild(&tabs, &few, keep, context);
        EXPECT_EQ(tabs.count(), keep + 1);
        EXPECT_EQ(visibleTabs(tabs), tabs.count());
        EXPECT_EQ(tabs.currentIndex(), 0);
        EXPECT_EQ(tabs.findChildren<RawXMLPane *>().size(), 1);
    }
}
