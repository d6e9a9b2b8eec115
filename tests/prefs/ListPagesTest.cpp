// The list pages of the preferences window over a real settings file: categories, XML comments,
// publishing sites, the namespace registry with the namespaces of new feeds, and the MIME type
// suggestion. Dialogs are answered as the user would, alerts are scripted.
#include "DialogScript.h"
#include "PreferencesFixture.h"

#include "model/extensionManagerPrefs.h"
#include "model/extensionNSName.h"
#include "model/knownNamespaces.h"
#include "platform/KeyedArchivable.h"
#include "platform/PasswordStore.h"
#include "prefs/PreferenceListActions.h"
#include "prefs/PreferenceNamespacesPage.h"
#include "prefs/PreferenceOtherExtensionsPage.h"
#include "prefs/PreferenceWorkingList.h"
#include "settings/VLXSite.h"
#include "settings/categoryElement.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextView.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <tuple>

namespace {

const QString kFoo = QStringLiteral("foo||http://example.org/foo||0||");

class ListPages : public PreferencesFixture
{
protected:
    void click(const QString &button) const
    {
        auto *found = control<QAbstractButton>(button);
        ASSERT_NE(found, nullptr);
        found->click();
    }
    VLXTableView *table(const QString &name) const { return control<VLXTableView>(name); }
    QVariant cell(const QString &name, int row, const QString &column = QStringLiteral("x"),
                  int role = Qt::DisplayRole) const
    {
        VLXTableView *view = table(name);
        return view->dataSource()->tableViewObjectValue(view, column, row, role);
    }
    // The width of the ink a row's cell leaves when painted by its table, black on white.
    static int inkWidthOfRow(VLXTableView *view, int row)
    {
        const QModelIndex index = view->model()->index(row, 0);
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.widget = view;
        option.rect = QRect(0, 0, 600, 80);
        option.font = view->font();
        option.palette.setColor(QPalette::Text, Qt::black);
        option.palette.setColor(QPalette::Base, Qt::white);
        option.state &= ~QStyle::State_Selected;
        QImage image(option.rect.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            view->itemDelegateForIndex(index)->paint(&painter, option, index);
        }
        int left = image.width(), right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return right - left + 1;
    }
    int rows(const QString &name) const
    {
        VLXTableView *view = table(name);
        return view->dataSource()->numberOfRowsInTableView(view);
    }
    void okAndReload()
    {
        window->ok();
        load();
    }
    // The registry with the built-in namespaces and "foo".
    void withRegistry()
    {
        VLXPreferences::addMissingSupportedXMLNamespaces(knownNamespaces::builtinDescriptions());
        VLXPreferences::addMissingXMLNamespaces({kFoo});
    }
    PreferenceNamespacesPage *namespacesPage() const
    {
        for (const auto &page : window->pages()) {
            if (auto *found = dynamic_cast<PreferenceNamespacesPage *>(page.get()))
                return found;
        }
        return nullptr;
    }
    int rowOf(const QString &prefix) const
    {
        const QStringList &registry = prefs->general_XMLNamespaces();
        for (int i = 0; i < registry.size(); ++i) {
            if (extensionNSName::extensionNameFromDescription(registry.at(i)) == prefix)
                return i;
        }
        return -1;
    }
    QStringList enabledNamespaces() const
    {
        QStringList list;
        for (const QVariant &entry :
             window->context().list(QStringLiteral("FD_AF_Namespaces")).items())
            list.append(entry.toString());
        return list;
    }
};

TEST_F(ListPages, CommentsAreAddedEditedAndDeletedAndEmptyOrUnchangedOnesChangeNothing)
{
    open();
    const QString tableName = QStringLiteral("FD_AF_FF_AD_CommentsTable");
    answerDialog(QStringLiteral("editXMLComments"), [](QWidget *dialog) {
        dialog->findChild<VLXTextView *>(QStringLiteral("text"))->setPlainText(QString());
        clickIn(dialog, QStringLiteral("accept"));
    });
    click(QStringLiteral("FD_AF_FF_AD_AddComments"));
    EXPECT_EQ(rows(tableName), 0);
    EXPECT_FALSE(control<QAbstractButton>(QStringLiteral("FD_AF_FF_AD_DelComments"))->isEnabled());

    answerDialog(QStringLiteral("editXMLComments"), [](QWidget *dialog) {
        dialog->findChild<VLXTextView *>(QStringLiteral("text"))->setPlainText("made -- here");
        clickIn(dialog, QStringLiteral("accept"));
    });
    click(QStringLiteral("FD_AF_FF_AD_AddComments"));
    ASSERT_EQ(rows(tableName), 1);
    EXPECT_EQ(cell(tableName, 0).toString(), QStringLiteral("made - - here"));
    EXPECT_TRUE(control<QAbstractButton>(QStringLiteral("FD_AF_FF_AD_EditComments"))->isEnabled());

    // Edited to the same text: the row stays as it was.
    table(tableName)->selectRow(0);
    answerDialog(QStringLiteral("editXMLComments"),
                 [](QWidget *dialog) { clickIn(dialog, QStringLiteral("accept")); });
    click(QStringLiteral("FD_AF_FF_AD_EditComments"));
    EXPECT_EQ(cell(tableName, 0).toString(), QStringLiteral("made - - here"));

    okAndReload();
    EXPECT_EQ(live(QStringLiteral("FD_AF_AD_XMLComments")).toStringList(),
              QStringList {QStringLiteral("made - - here")});

    open();
    table(tableName)->selectRow(0);
    click(QStringLiteral("FD_AF_FF_AD_DelComments"));
    EXPECT_EQ(rows(tableName), 0);
    okAndReload();
    EXPECT_TRUE(live(QStringLiteral("FD_AF_AD_XMLComments")).toList().isEmpty());
}

TEST_F(ListPages, CategoriesShowTheirDomainUnderABoldValueAndADoubleClickEdits)
{
    open();
    const QString tableName = QStringLiteral("FD_AF_IF_Category");
    answerDialog(QStringLiteral("categoryElementEdit"), [](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("categoryField"))->setText("News");
        dialog->findChild<QLineEdit *>(QStringLiteral("categoryDomainField"))->setText("dmoz");
        clickIn(dialog, QStringLiteral("accept"));
    });
    click(QStringLiteral("FD_AF_IF_Optional_AddCategory"));
    ASSERT_EQ(rows(tableName), 1);
    EXPECT_EQ(cell(tableName, 0).toString(), QStringLiteral("News\ndomain=dmoz"));
    // As painted: the value in bold, the domain line plain. The widest line of each row sets the
    // width of its ink.
    const QVariantList added = window->context().list(tableName + "_Array").items();
    for (const char *name : {"FD_AF_IF_Category", "FD_AF_FF_Category", "FD_CF_IF_Category"}) {
        for (const auto &[category, domain, widest, bold] :
             {std::tuple {"News", "dmoz", "domain=dmoz", false},
              std::tuple {"Newsrooms of the world", "", "Newsrooms of the world", true}}) {
            SCOPED_TRACE(std::string(name) + " " + category);
            window->context()
                .list(table(QLatin1String(name))->objectName() + "_Array")
                .setItems({KeyedArchivable::toVariant(std::make_shared<categoryElement>(
                    QString::fromUtf8(category), QString::fromUtf8(domain)))});
            const int ink = inkWidthOfRow(table(QLatin1String(name)), 0);
            QFont font = table(QLatin1String(name))->font();
            const int plain = QFontMetrics(font).horizontalAdvance(QLatin1String(widest));
            font.setBold(true);
            const int heavy = QFontMetrics(font).horizontalAdvance(QLatin1String(widest));
            ASSERT_LT(plain + 4, heavy);
            EXPECT_EQ(std::abs(ink - heavy) < std::abs(ink - plain), bold) << ink;
        }
    }
    window->context().list(tableName + "_Array").setItems(added);

    // A double click clicks Edit; the edited category replaces the row.
    table(tableName)->selectRow(0);
    answerDialog(QStringLiteral("categoryElementEdit"), [](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("categoryField"))->setText("Sport");
        dialog->findChild<QLineEdit *>(QStringLiteral("categoryDomainField"))->setText("");
        clickIn(dialog, QStringLiteral("accept"));
    });
    emit table(tableName)->doubleAction(0);
    EXPECT_EQ(cell(tableName, 0).toString(), QStringLiteral("Sport"));

    okAndReload();
    const QVariantList stored = live(QStringLiteral("FD_AF_IF_Category_Array")).toList();
    ASSERT_EQ(stored.size(), 1);
    const auto category = KeyedArchivable::objectAs<categoryElement>(stored.first());
    ASSERT_TRUE(category);
    EXPECT_EQ(category->categoryString(), QStringLiteral("Sport"));

    // Deleting asks nothing; with the list empty Delete and Edit are off.
    open();
    table(tableName)->selectRow(0);
    click(QStringLiteral("FD_AF_IF_Optional_DelCategory"));
    EXPECT_EQ(rows(tableName), 0);
    EXPECT_FALSE(
        control<QAbstractButton>(QStringLiteral("FD_AF_IF_Optional_EditCategory"))->isEnabled());
}

TEST_F(ListPages, DeletingASiteLeavesTheOtherSitesAndTheButtonsFollowTheCount)
{
    auto kept = std::make_shared<VLXSite>();
    kept->setSiteName(QStringLiteral("kept"));
    kept->setType(3);
    auto gone = std::make_shared<VLXSite>();
    gone->setSiteName(QStringLiteral("gone"));
    gone->setType(1);
    gone->setFtpServer(QStringLiteral("gone.test"));
    gone->setFtpUsername(QStringLiteral("pod"));
    gone->setFtpStorePassword(1);
    // Where a secret service runs, the deleted site's password stays in it.
    const bool keyring
        = PasswordStore::sessionBusAvailable() && gone->savePassword(QStringLiteral("kept"));
    prefs->preferences().insert(
        QStringLiteral("Pub_Sites"),
        QVariantList {KeyedArchivable::toVariant(kept), KeyedArchivable::toVariant(gone)});
    open();
    const QString sites = QStringLiteral("Pub_SitesTable");
    ASSERT_EQ(rows(sites), 2);
    EXPECT_EQ(cell(sites, 1, QStringLiteral("Type")).toString(), QStringLiteral("FTP"));
    EXPECT_EQ(cell(sites, 1, QStringLiteral("Name")).toString(), QStringLiteral("gone"));
    table(sites)->selectRow(1);
    click(QStringLiteral("Pub_DelSites"));
    ASSERT_EQ(rows(sites), 1);
    EXPECT_TRUE(control<QAbstractButton>(QStringLiteral("Pub_DelSites"))->isEnabled());
    table(sites)->selectRow(0);
    click(QStringLiteral("Pub_DelSites"));
    EXPECT_EQ(rows(sites), 0);
    EXPECT_FALSE(control<QAbstractButton>(QStringLiteral("Pub_DelSites"))->isEnabled());
    EXPECT_FALSE(control<QAbstractButton>(QStringLiteral("Pub_EditSites"))->isEnabled());
    okAndReload();
    EXPECT_TRUE(live(QStringLiteral("Pub_Sites")).toList().isEmpty());
    if (keyring) {
        EXPECT_EQ(gone->getPassword(), QStringLiteral("kept"));
        PasswordStore::instance().deletePassword(QStringLiteral("ftp://gone.test:22"),
                                                 QStringLiteral("pod"));
    }
}

TEST_F(ListPages, TheRegistryHasAUserDefinedLastRowAndRefusesChangesToBoldEntries)
{
    withRegistry();
    open();
    const QString list = QStringLiteral("Extensions_General_List");
    const int registered = int(prefs->general_XMLNamespaces().size());
    ASSERT_EQ(rows(list), registered + 1);
    EXPECT_EQ(cell(list, registered).toString(), QStringLiteral("User Defined - "));
    EXPECT_EQ(PreferenceNamespacesPage::userDefinedDescription(),
              QStringLiteral("User Defined||||0||"));
    const int itunes = rowOf(QStringLiteral("itunes"));
    const int foo = rowOf(QStringLiteral("foo"));
    EXPECT_TRUE(
        cell(list, itunes, QStringLiteral("namespace"), Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(cell(list, foo, QStringLiteral("namespace"), Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(cell(list, foo).toString(), QStringLiteral("foo - http://example.org/foo"));

    // Delete and Edit of a well-supported entry beep and change nothing.
    table(list)->selectRow(itunes);
    EXPECT_FALSE(control<QAbstractButton>(QStringLiteral("Extensions_General_Del"))->isEnabled());
    const int beeps = PreferenceListActions::beepCount();
    namespacesPage()->generalAction(PreferenceListActions::Delete);
    namespacesPage()->generalDoubleAction(itunes);
    EXPECT_EQ(PreferenceListActions::beepCount(), beeps + 2);
    EXPECT_EQ(prefs->general_XMLNamespaces().size(), registered);

    // A namespace named "User Defined" is refused with a beep.
    answerDialog(QStringLiteral("editXMLNamespaces"), [](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("nameSpace"))->setText("User Defined");
        dialog->findChild<QLineEdit *>(QStringLiteral("DTDURL"))->setText("http://example.org/u");
        clickIn(dialog, QStringLiteral("accept"));
    });
    click(QStringLiteral("Extensions_General_Add"));
    EXPECT_EQ(PreferenceListActions::beepCount(), beeps + 3);
    EXPECT_EQ(prefs->general_XMLNamespaces().size(), registered);
}

TEST_F(ListPages, AddingEditingAndDeletingANamespaceRebuildsTheOtherNamespacePanesInOrder)
{
    withRegistry();
    open();
    const auto titles = [this] {
        QStringList all;
        auto *selector = control<QComboBox>(QStringLiteral("AF_IF_OE_selector"));
        for (int i = 0; selector && i < selector->count(); ++i)
            all << selector->itemText(i);
        return all;
    };
    EXPECT_EQ(titles(),
              (QStringList {QStringLiteral("foo - http://example.org/foo"), "User Defined - "}));

    answerDialog(QStringLiteral("editXMLNamespaces"), [](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("nameSpace"))->setText("zed");
        dialog->findChild<QLineEdit *>(QStringLiteral("DTDURL"))->setText("http://example.org/z");
        clickIn(dialog, QStringLiteral("accept"));
    });
    click(QStringLiteral("Extensions_General_Add"));
    EXPECT_EQ(titles(),
              (QStringList {QStringLiteral("foo - http://example.org/foo"),
                            "zed - http://example.org/z", "User Defined - "}));

    // Raw XML of "zed", then "foo" renamed to "moo": the selector and the panes stay in registry
    // order, and "zed" keeps its text.
    auto *channel = window->context().manager(QStringLiteral("FD_AF_FF_EX_Extensions"));
    ASSERT_NE(channel, nullptr);
    channel->extensionNamed(QStringLiteral("zed"))->setRawXML(QStringLiteral("<zed:a>1</zed:a>"));
    table(QStringLiteral("Extensions_General_List"))->selectRow(rowOf(QStringLiteral("foo")));
    answerDialog(QStringLiteral("editXMLNamespaces"), [](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("nameSpace"))->setText("moo");
        clickIn(dialog, QStringLiteral("accept"));
    });
    click(QStringLiteral("Extensions_General_Edit"));
    EXPECT_EQ(titles(),
              (QStringList {QStringLiteral("moo - http://example.org/foo"),
                            "zed - http://example.org/z", "User Defined - "}));
    channel = window->context().manager(QStringLiteral("FD_AF_FF_EX_Extensions"));
    QStringList names;
    for (const auto &extension : channel->arrayOfExtensions())
        names << extension->extensionName();
    EXPECT_EQ(names, (QStringList {"moo", "zed", "User Defined"}));
    EXPECT_EQ(channel->extensionNamed(QStringLiteral("zed"))->rawXML(),
              QStringLiteral("<zed:a>1</zed:a>"));

    // Deleting takes the namespace out of the new feeds' list as well.
    const int zed = rowOf(QStringLiteral("zed"));
    namespacesPage()->feedsExtensionsSelect(zed);
    EXPECT_TRUE(enabledNamespaces().contains(QStringLiteral("zed||http://example.org/z||0||")));
    table(QStringLiteral("Extensions_General_List"))->selectRow(zed);
    click(QStringLiteral("Extensions_General_Del"));
    EXPECT_EQ(rowOf(QStringLiteral("zed")), -1);
    EXPECT_TRUE(enabledNamespaces().isEmpty());
    EXPECT_EQ(titles(),
              (QStringList {QStringLiteral("moo - http://example.org/foo"), "User Defined - "}));
    okAndReload();
    EXPECT_EQ(live(QStringLiteral("FD_AF_FF_EX_Extensions")).toMap(), QVariantMap());
}

TEST_F(ListPages, ANamespaceTheCurrentFeedUsesCannotBeDeleted)
{
    withRegistry();
    open(QStringLiteral("feed"), {kFoo});
    const int foo = rowOf(QStringLiteral("foo"));
    namespacesPage()->feedsExtensionsSelect(foo);
    table(QStringLiteral("Extensions_General_List"))->selectRow(foo);
    click(QStringLiteral("Extensions_General_Del"));
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().first().title, QStringLiteral("Not Allowed"));
    EXPECT_EQ(alerts->alerts().first().message,
              QStringLiteral("You are not allowed to delete the definition of an XML Namespace "
                             "that is in use by the current feed."));
    EXPECT_EQ(rowOf(QStringLiteral("foo")), foo);
    EXPECT_EQ(enabledNamespaces(), QStringList {kFoo});
}

TEST_F(ListPages, NewFeedNamespacesAreKeptInTheirFixedOrder)
{
    withRegistry();
    open();
    PreferenceNamespacesPage *page = namespacesPage();
    const int userDefined = int(prefs->general_XMLNamespaces().size());
    page->feedsExtensionsSelect(rowOf(QStringLiteral("trackback")));
    page->feedsExtensionsSelect(userDefined);
    page->feedsExtensionsSelect(rowOf(QStringLiteral("foo")));
    page->feedsExtensionsSelect(rowOf(QStringLiteral("itunes")));
    const QString iTunes = knownNamespaces::descriptionOfNamespace(KnownNamespace::iTunes);
    const QString trackBack = knownNamespaces::descriptionOfNamespace(KnownNamespace::trackBack);
    EXPECT_EQ(enabledNamespaces(),
              (QStringList {iTunes, trackBack, kFoo, QStringLiteral("User Defined||||0||")}));
    EXPECT_EQ(cell(QStringLiteral("Extensions_General_List"), userDefined,
                   QStringLiteral("extensionUsed"), Qt::CheckStateRole)
                  .toInt(),
              int(Qt::Checked));

    // Unchecking "User Defined" takes that entry out, whatever is listed last.
    window->context().list(QStringLiteral("FD_AF_Namespaces")).items().append(iTunes);
    page->feedsExtensionsSelect(userDefined);
    EXPECT_EQ(enabledNamespaces(), (QStringList {iTunes, trackBack, kFoo, iTunes}));
    window->context().list(QStringLiteral("FD_AF_Namespaces")).items().removeLast();

    okAndReload();
    EXPECT_EQ(live(QStringLiteral("FD_AF_Namespaces")).toStringList(),
              (QStringList {iTunes, trackBack, kFoo}));
}

TEST_F(ListPages, OrderingListsTheLongFormsAndDropsWhatHasNoPlace)
{
    const QString sy = knownNamespaces::descriptionOfNamespace(KnownNamespace::syndication);
    const QString dcShort
        = knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::dublinCore);
    const QString dc = knownNamespaces::descriptionOfNamespace(KnownNamespace::dublinCore);
    const QString user = PreferenceNamespacesPage::userDefinedDescription();
    EXPECT_EQ(PreferenceNamespacesPage::orderAFExtensions(
                  {user, sy, kFoo, QStringLiteral("odd||urn:odd||1||"), dcShort, user}),
              (QStringList {dc, sy, kFoo, user}));
}

TEST_F(ListPages, TheSuggestedMIMETypeIsShownLiterallyAndAppliedOnRequest)
{
    open();
    // Typed, not yet left: the field's own check has not run.
    control<QLineEdit>(QStringLiteral("FD_AF_IF_Enclosure_URL"))
        ->setText(QStringLiteral("http://example.org/a%20b%252.mp3"));
    alerts->queueAnswer(AlertService::kDefault);
    click(QStringLiteral("FD_AF_IF_Enclosure_sugestMIMEType"));
    ASSERT_EQ(alerts->alerts().size(), 1);
    const Alert &alert = alerts->alerts().first();
    EXPECT_EQ(alert.title, QStringLiteral("Suggested MIME Type"));
    EXPECT_EQ(alert.message,
              QStringLiteral("\"audio/mpeg\" is the suggested MIME type for the "
                             "file http://example.org/a%20b%252.mp3"));
    EXPECT_EQ(alert.defaultButton, QStringLiteral("Apply"));
    EXPECT_EQ(alert.alternateButton, QStringLiteral("Close"));
    EXPECT_TRUE(alert.otherButton.isEmpty());
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("FD_AF_IF_Enclosure_Type"))->text(),
              QStringLiteral("audio/mpeg"));
    EXPECT_EQ(prefs->displayedValues().value(QStringLiteral("FD_AF_IF_Enclosure_Type")).toString(),
              QStringLiteral("audio/mpeg"));

    // Close changes nothing; a file of no known type beeps without an alert.
    control<QLineEdit>(QStringLiteral("FD_CF_IF_Enclosure_Type"))->setText(QString());
    control<QLineEdit>(QStringLiteral("FD_CF_IF_Enclosure_URL"))
        ->setText(QStringLiteral("http://example.org/a.mp4"));
    alerts->queueAnswer(AlertService::kAlternate);
    click(QStringLiteral("FD_CF_IF_Enclosure_sugestMIMEType"));
    EXPECT_TRUE(control<QLineEdit>(QStringLiteral("FD_CF_IF_Enclosure_Type"))->text().isEmpty());
    const int beeps = PreferenceListActions::beepCount();
    control<QLineEdit>(QStringLiteral("FD_CF_IF_Enclosure_URL"))
        ->setText(QStringLiteral("http://example.org/a.zzqq"));
    click(QStringLiteral("FD_CF_IF_Enclosure_sugestMIMEType"));
    EXPECT_EQ(PreferenceListActions::beepCount(), beeps + 1);
    EXPECT_EQ(alerts->alerts().size(), 2);
}

} // namespace
