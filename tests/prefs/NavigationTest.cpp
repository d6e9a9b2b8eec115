// The navigation tree: what the resource names, how a feed's unused extensions leave it, and
// how rows pick pages; the help topics the pages name.
#include "PreferencesFixture.h"

#include "platform/QtHelpService.h"
#include "prefs/PreferenceHelpAnchors.h"
#include "prefs/PreferencesNavModel.h"
#include "prefs/PreferencesNavigation.h"
#include "prefs/PreferencesPage.h"
#include "ui/SimpleNodeData.h"
#include "ui/VLXBox.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXOutlineView.h"
#include "ui/vlxDisclosureButton.h"
#include "ui/vlxDisclosureTextField.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSet>

namespace {

using Navigation = PreferencesFixture;
using Nav = PreferencesNavigation;

QStringList namesBelow(const TreeNode *node)
{
    QStringList names;
    for (const TreeNode::Ptr &child : node->children()) {
        names.append(Nav::nameOf(child.get()));
        names += namesBelow(child.get());
    }
    return names;
}

const TreeNode *itemExtensions(const TreeNode::Ptr &root)
{
    for (const TreeNode::Ptr &top : root->children()) {
        if (Nav::nameOf(top.get()) != Nav::kCurrentFeed)
            continue;
        for (const TreeNode::Ptr &child : top->children()) {
            if (Nav::nameOf(child.get()) == Nav::kItemExtensions)
                return child.get();
        }
    }
    return nullptr;
}

QStringList childNames(const TreeNode *node)
{
    QStringList names;
    for (const TreeNode::Ptr &child : node->children())
        names.append(Nav::nameOf(child.get()));
    return names;
}

TEST_F(Navigation, TheResourceNamesEveryPageAndThePruneRows)
{
    const TreeNode::Ptr tree = Nav::readTree();
    const QStringList names = namesBelow(tree.get());
    QSet<QString> identifiers;
    for (const QString &name : names)
        identifiers.insert(Nav::pageIdentifier(name));
    for (const char *page : {"Current Feed Help",
                             "Current Feed Item Fields",
                             "Current Feed Item Advanced",
                             "Current Feed Smart Date",
                             "Current Feed Item iTunes",
                             "Current Feed Item Media RSS",
                             "Current Feed Item content:encoded",
                             "Current Feed Item dc",
                             "Current Feed Item creativeCommons",
                             "All Feeds Feed Fields",
                             "All Feeds Item Fields",
                             "All Feeds Smart Date",
                             "All Feeds Image",
                             "All Feeds Advanced",
                             "All Feeds Item Advanced",
                             "All Feeds Image Advanced",
                             "Miscellaneous",
                             "Extensions General",
                             "All Feeds Feed iTunes",
                             "All Feeds Feed Media RSS",
                             "All Feeds Feed content:encoded",
                             "All Feeds Feed sy",
                             "All Feeds Feed dc",
                             "All Feeds Feed creativeCommons",
                             "All Feeds Item iTunes",
                             "All Feeds Item Media RSS",
                             "All Feeds Item content:encoded",
                             "All Feeds Item dc",
                             "All Feeds Item creativeCommons",
                             "All Feeds Image dc",
                             "Current Feed Item Extensions",
                             "Current Feed Item Other Extensions"})
        EXPECT_TRUE(identifiers.contains(QLatin1String(page))) << page;

    const TreeNode *extensions = itemExtensions(tree);
    ASSERT_NE(extensions, nullptr);
    EXPECT_EQ(childNames(extensions),
              (QStringList {QStringLiteral("iTunes\u00ae::Current Feed Item iTunes"),
                            Nav::kMediaRSS, Nav::kContent, Nav::kDublinCore, Nav::kCreativeCommons,
                            Nav::kOtherExtensions}));
    // Every page of the window has a row; group rows are expandable.
    open();
    for (const auto &page : window->pages()) {
        if (page->builtWidget()) {
            EXPECT_TRUE(identifiers.contains(page->identifier()))
                << page->identifier().toStdString();
        }
    }
    const auto data = std::dynamic_pointer_cast<SimpleNodeData>(tree->childAtIndex(0)->nodeData());
    EXPECT_TRUE(data->isExpandable());
}

TEST_F(Navigation, LabelsAndIdentifiersSplitAtTheFirstSeparator)
{
    EXPECT_EQ(Nav::label(QStringLiteral("a::b::c")), QStringLiteral("a"));
    EXPECT_EQ(Nav::pageIdentifier(QStringLiteral("a::b::c")), QStringLiteral("b::c"));
    EXPECT_EQ(Nav::label(QStringLiteral("Extensions")), QStringLiteral("Extensions"));
    EXPECT_TRUE(Nav::pageIdentifier(QStringLiteral("Extensions")).isEmpty());
    // Not a dictionary: an empty tree, no crash.
    EXPECT_EQ(Nav::treeFromPropertyList("not a list")->numberOfChildren(), 0);
}

TEST_F(Navigation, AFeedThatUsesEverythingKeepsTheTree)
{
    const TreeNode::Ptr tree = Nav::readTree();
    const QStringList before = namesBelow(tree.get());
    Nav::prune(tree, CurrentFeedExtensions::fromDescriptions(everyExtension()));
    EXPECT_EQ(namesBelow(tree.get()), before);

    // Without the other namespace, only "Other Extensions" goes.
    QStringList fiveOnly = everyExtension();
    fiveOnly.removeLast();
    const TreeNode::Ptr second = Nav::readTree();
    Nav::prune(second, CurrentFeedExtensions::fromDescriptions(fiveOnly));
    QStringList expected = childNames(itemExtensions(Nav::readTree()));
    expected.removeAll(Nav::kOtherExtensions);
    EXPECT_EQ(childNames(itemExtensions(second)), expected);
}

TEST_F(Navigation, AFeedWithoutExtensionsKeepsAnEmptyItemExtensionsRow)
{
    const TreeNode::Ptr full = Nav::readTree();
    const TreeNode::Ptr tree = Nav::readTree();
    Nav::prune(tree, CurrentFeedExtensions {});
    const TreeNode *extensions = itemExtensions(tree);
    ASSERT_NE(extensions, nullptr);
    EXPECT_EQ(extensions->numberOfChildren(), 0);
    // Nothing else changes: the all-feeds pages stay.
    EXPECT_EQ(namesBelow(tree.get()).size(), namesBelow(full.get()).size() - 6);

    // iTunes and Dublin Core only.
    const TreeNode::Ptr some = Nav::readTree();
    Nav::prune(
        some,
        CurrentFeedExtensions::fromDescriptions({everyExtension().at(0), everyExtension().at(3)}));
    EXPECT_EQ(
        childNames(itemExtensions(some)),
        (QStringList {QStringLiteral("iTunes\u00ae::Current Feed Item iTunes"), Nav::kDublinCore}));
}

TEST_F(Navigation, TheOtherExtensionsRowIsThereExactlyWhenItsSelectorHasEntries)
{
    const QString userDefined = QStringLiteral("User Defined||||0||");
    const QString foo = everyExtension().last();
    const struct
    {
        QStringList namespaces;
        QStringList entries;
    } cases[] = {
        {{}, {}},
        {{userDefined}, {}},
        {{foo, userDefined}, {QStringLiteral("foo - http://example.org/foo")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.namespaces.join(u' ').toStdString());
        open(QStringLiteral("feed"), c.namespaces);
        const auto *selector = control<QComboBox>(QStringLiteral("CF_IF_OE_selector"));
        QStringList entries;
        for (int i = 0; i < selector->count(); ++i)
            entries.append(selector->itemText(i));
        EXPECT_EQ(entries, c.entries);
        EXPECT_EQ(Nav::nodeForPage(window->treeData(), "Current Feed Item Other Extensions")
                      != nullptr,
                  !entries.isEmpty());
        window->revert();
    }
}

TEST_F(Navigation, RowsShowLabelsAndSelectPagesAndAPrunedPageStillOpens)
{
    // The feed uses nothing: its item pages have no rows, yet one can be opened by name.
    open(QStringLiteral("feed"), {}, QStringLiteral("All Feeds Smart Date"));
    EXPECT_EQ(window->shownPage(), QStringLiteral("All Feeds Smart Date"));
    PreferencesNavModel *model = window->navigationModel();
    EXPECT_EQ(model->rowCount(), 5);
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("Current Feed"));
    EXPECT_TRUE(window->outline()->isExpanded(model->index(0, 0)));
    // Top-level groups open, their groups do not.
    const QModelIndex extensions
        = model->indexOf(Nav::nodeForPage(window->treeData(), "Current Feed Item Extensions"));
    EXPECT_FALSE(window->outline()->isExpanded(extensions));
    EXPECT_FALSE(model->hasChildren(extensions));

    const QModelIndex fields
        = model->indexOf(Nav::nodeForPage(window->treeData(), "Current Feed Item Fields"));
    window->outline()->setCurrentIndex(fields);
    EXPECT_EQ(window->shownPage(), QStringLiteral("Current Feed Item Fields"));
    // A row naming no page, or a page not built, leaves the page shown.
    window->outline()->setCurrentIndex(
        model->indexOf(Nav::nodeForPage(window->treeData(), "All Feeds Feed sy")->nodeParent()));
    EXPECT_EQ(window->shownPage(), QStringLiteral("Current Feed Item Fields"));
    EXPECT_FALSE(window->showPage(QStringLiteral("No Such Page")));
    EXPECT_EQ(window->shownPage(), QStringLiteral("Current Feed Item Fields"));

    // The next opening reads the tree again: a feed using iTunes gets its row back.
    window->revert();
    open(QStringLiteral("other"), {everyExtension().at(0)},
         QStringLiteral("Current Feed Item iTunes"));
    EXPECT_EQ(window->shownPage(), QStringLiteral("Current Feed Item iTunes"));
    EXPECT_NE(Nav::nodeForPage(window->treeData(), "Current Feed Item iTunes"), nullptr);
}

TEST_F(Navigation, EveryHelpTopicOfThePagesIsInTheHelpBook)
{
    open();
    const QtHelpService book;
    int found = 0;
    for (const auto &[control, anchor] : PreferenceHelpAnchors::table()) {
        EXPECT_TRUE(book.hasAnchor(anchor)) << anchor.toStdString();
        const auto *anchored
            = dynamic_cast<VLXHelpAnchored *>(window->findChild<QWidget *>(control));
        if (!anchored)
            continue;
        ++found;
        EXPECT_EQ(anchored->helpAnchor(), anchor) << control.toStdString();
    }
    // Every control of the table but the plain labels of the smart dates is there.
    EXPECT_EQ(found, PreferenceHelpAnchors::table().size() - 4);
    for (const char *anchor : {"Preferences", "PreferencesCurrentFeed", "PreferencesAllFeeds"})
        EXPECT_TRUE(book.hasAnchor(QLatin1String(anchor))) << anchor;
}

TEST_F(Navigation, EveryControlOfEveryPageNamesATopicOfTheBook)
{
    // The extension default panes take their topics from the extensions' rows and dialogs, not
    // from the table above: every page of a feed using every extension is shown and walked.
    open(QStringLiteral("feed"), everyExtension());
    const QtHelpService book;
    QSet<QString> anchors;
    for (const auto &page : window->pages()) {
        window->showPage(page->identifier());
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            const auto *anchored = dynamic_cast<const VLXHelpAnchored *>(widget);
            if (anchored && !anchored->helpAnchor().isEmpty())
                anchors.insert(anchored->helpAnchor());
        }
    }
    for (const QString &anchor : std::as_const(anchors))
        EXPECT_TRUE(book.hasAnchor(anchor)) << anchor.toStdString();
    EXPECT_GT(anchors.size(), 60);
    // A control without a topic is one whose neighbour gives it: a field or check box in a
    // detail box (the box's summary line has the topic), the box and its disclosure, the +, -
    // and Edit buttons of a list; besides, the window's own buttons and the licence library.
    const QSet<QString> rowButtons {QStringLiteral("+"), QStringLiteral("\u2212"),
                                    QStringLiteral("Edit\u2026")};
    const QSet<QString> windowButtons {QStringLiteral("ok"), QStringLiteral("revert"),
                                       QStringLiteral("revertToDefault")};
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        const auto *anchored = dynamic_cast<const VLXHelpAnchored *>(widget);
        if (!anchored || !anchored->helpAnchor().isEmpty())
            continue;
        const auto *button = qobject_cast<const QAbstractButton *>(widget);
        const bool inBox = (qobject_cast<QLineEdit *>(widget) || qobject_cast<QCheckBox *>(widget))
            && widget->parentWidget() && qobject_cast<VLXBox *>(widget->parentWidget());
        const bool explained = inBox || qobject_cast<VLXBox *>(widget)
            || qobject_cast<vlxDisclosureButton *>(widget)
            || qobject_cast<vlxDisclosureTextField *>(widget) || qobject_cast<VLXMatrix *>(widget)
            || (button && rowButtons.contains(button->text()))
            || windowButtons.contains(widget->objectName())
            || widget->objectName().startsWith(QStringLiteral("creativeCommons"));
        EXPECT_TRUE(explained) << "no topic: " << widget->objectName().toStdString();
    }
}

} // namespace
