// Every value the pages bind goes into its control and back, through OK and a new start of the
// program, and every setting the pages should show is bound exactly once.
#include "PreferencesFixture.h"

#include "model/VLXFeedLanguage.h"
#include "model/extensionManagerPrefs.h"
#include "model/extensionNSRaw.h"
#include "platform/KeyedArchivable.h"
#include "platform/KeyedUnarchiver.h"
#include "prefs/PreferenceBinder.h"
#include "prefs/PreferenceWorkingList.h"
#include "prefs/PreferencesPage.h"
#include "settings/VLXSite.h"
#include "settings/categoryElement.h"
#include "ui/VLXMatrix.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>

namespace {

using RoundTrip = PreferencesFixture;

const QString kFeed = QStringLiteral("feed");

struct Bound
{
    PreferencesPage *page;
    PreferenceBinding binding;
};

QList<Bound> everyBinding(PreferencesWindow &window)
{
    QList<Bound> all;
    for (const auto &page : window.pages()) {
        for (const PreferenceBinding &binding : page->bindings())
            all.append({page.get(), binding});
    }
    return all;
}

QVariant defaultOf(const Bound &b)
{
    return b.page->scope() == PreferenceScope::CurrentFeed
        ? VLXPreferences::FDCFdefaultValues().value(b.binding.key)
        : VLXPreferences::defaultValues().value(b.binding.key);
}

QWidget *controlOf(PreferencesWindow &window, const Bound &b)
{
    QWidget *control = window.findChild<QWidget *>(b.binding.control);
    if (control && b.binding.tag >= 0)
        return static_cast<VLXMatrix *>(control)->cellWithTag(b.binding.tag);
    return control;
}

// Puts a value of its own into the control (or working list) of binding number n, as a user
// would, and answers what the settings should then hold (model objects by their text).
QVariant setDistinct(PreferencesWindow &window, VLXPreferences &prefs, const Bound &b, int n)
{
    const QString text = QStringLiteral("value %1").arg(n);
    QWidget *control = controlOf(window, b);
    switch (b.binding.kind) {
    case BindingKind::Text:
    case BindingKind::TextView:
        if (auto *line = qobject_cast<QLineEdit *>(control))
            line->setText(text);
        else
            static_cast<QPlainTextEdit *>(control)->setPlainText(text);
        return text;
    case BindingKind::Check01:
    case BindingKind::CheckYesNo: {
        const bool on = defaultOf(b).toInt() == 0;
        static_cast<QAbstractButton *>(control)->setChecked(on);
        return b.binding.kind == BindingKind::Check01 ? QVariant(on ? 1 : 0) : QVariant(on);
    }
    case BindingKind::SecondRow:
        static_cast<VLXMatrix *>(control)->setStateOfTag(0, 0);
        static_cast<VLXMatrix *>(control)->setStateOfTag(1, 1);
        return 1;
    case BindingKind::Index: {
        auto *menu = static_cast<QComboBox *>(control);
        // Date rules from the "X" ones, so their number shows; others spread over the menu.
        const int index = b.binding.control.endsWith(QLatin1String("DateTo"))
            ? 25 + n % 8
            : 1 + n % (menu->count() - 1);
        menu->setCurrentIndex(index);
        return index;
    }
    case BindingKind::Integer: {
        const int value = 2 + n % 3;
        static_cast<QLineEdit *>(control)->setText(QString::number(value));
        return value;
    }
    case BindingKind::Language: {
        auto *menu = static_cast<QComboBox *>(control);
        menu->setCurrentIndex(1 + n % 40);
        return VLXFeedLanguage::sharedCodeForTitle(menu->currentText());
    }
    case BindingKind::Label:
        return 0; // a label's text holds no number
    case BindingKind::List:
    case BindingKind::ArchivedList: {
        QVariant element = text;
        if (b.binding.key.contains(QLatin1String("Category")))
            element = KeyedArchivable::toVariant(std::make_shared<categoryElement>(text, "d"));
        else if (b.binding.key == QLatin1String("Pub_Sites")) {
            auto site = std::make_shared<VLXSite>();
            site->setSiteName(text);
            element = KeyedArchivable::toVariant(site);
        }
        window.context().list(b.binding.control).setItems({element});
        return QVariantList {text};
    }
    case BindingKind::Registry:
        prefs.general_XMLNamespaces() = {QStringLiteral("ns%1||http://example.org/%1||0||").arg(n)};
        return QStringList {QStringLiteral("ns%1||http://example.org/%1||0||").arg(n)};
    case BindingKind::RawXML: {
        // The last extension of the manager: the user-defined one of all feeds, the feed's own
        // namespace for the current feed.
        extensionManagerPrefs *manager = window.context().manager(b.binding.control);
        if (!manager || manager->arrayOfExtensions().isEmpty()) {
            ADD_FAILURE() << "no extension under " << b.binding.key.toStdString();
            return {};
        }
        const auto extension = manager->arrayOfExtensions().constLast();
        extension->setRawXML(text);
        return QVariantMap {{extension->extensionName(), text}};
    }
    default:
        ADD_FAILURE() << "no value for the kind of " << b.binding.key.toStdString();
        return {};
    }
}

// Lists hold model objects, which compare as themselves: compare them by their row text.
QVariant comparable(const Bound &b, QVariant value)
{
    if (b.binding.kind == BindingKind::ArchivedList)
        value = KeyedUnarchiver::unarchiveObjectWithData(value.toByteArray());
    if (b.binding.kind == BindingKind::List || b.binding.kind == BindingKind::ArchivedList) {
        QVariantList texts;
        for (const QVariant &element : value.toList()) {
            QString row = PreferenceWorkingList::defaultRowText(element);
            texts.append(row.section(QLatin1Char('\n'), 0, 0));
        }
        return texts;
    }
    if (b.binding.kind == BindingKind::Registry)
        return value.toStringList();
    return value;
}

QVariant stored(const Bound &b)
{
    return b.page->scope() == PreferenceScope::CurrentFeed
        ? VLXPreferences::objectForKey(b.binding.key, kFeed)
        : VLXPreferences::objectForKey(b.binding.key);
}

TEST_F(RoundTrip, EveryBoundValueGoesThroughItsControlOKAndANewStart)
{
    open(kFeed, everyExtension());
    const QList<Bound> all = everyBinding(*window);
    ASSERT_GT(all.size(), 100);
    QHash<QString, QVariant> expected;
    for (int n = 0; n < all.size(); ++n)
        expected.insert(all[n].binding.key, setDistinct(*window, *prefs, all[n], n));
    window->ok();

    // Live at once, in the file at once, and still there after a new start.
    const QVariantMap file = fileValues();
    load();
    for (const Bound &b : all) {
        SCOPED_TRACE(b.binding.key.toStdString());
        EXPECT_EQ(comparable(b, stored(b)), expected.value(b.binding.key));
        if (b.page->scope() == PreferenceScope::AllFeeds && b.binding.kind != BindingKind::Label) {
            EXPECT_TRUE(file.contains(b.binding.key));
        }
    }

    // The next opening shows every value in its control again.
    open(kFeed, everyExtension());
    for (const Bound &b : all) {
        SCOPED_TRACE(b.binding.key.toStdString());
        QWidget *root = window->pageWidget(b.page->identifier());
        EXPECT_EQ(comparable(b, PreferenceBinder::read(root, b.binding, window->context())),
                  expected.value(b.binding.key));
    }
}

TEST_F(RoundTrip, EverySettingThePagesShowIsBoundExactlyOnce)
{
    open(kFeed, everyExtension());
    QHash<QString, int> global;
    QHash<QString, int> perFeed;
    for (const Bound &b : everyBinding(*window))
        ++(b.page->scope() == PreferenceScope::CurrentFeed ? perFeed : global)[b.binding.key];

    // Shown elsewhere or not at all: the per-feed list itself, versions, the single-category
    // keys of old settings, the OPML export's own values; the extensions' defaults ("_EX_")
    // are edited by their own panes.
    const QSet<QString> notShown {"FD_CF_Array",
                                  "FD_Version",
                                  "EncodeApos",
                                  "FD_AF_FF_Category_Category",
                                  "FD_AF_FF_Category_Domain",
                                  "FD_AF_IF_Category_Category",
                                  "FD_AF_IF_Category_Domain",
                                  "OPML_Title",
                                  "OPML_OwnerName",
                                  "OPML_OwnerEMail",
                                  "FD_CF_ArrayUniqueKey",
                                  "FD_CF_Version",
                                  "FD_CF_IF_Category_Category",
                                  "FD_CF_IF_Category_Domain"};
    const auto check = [&](const QStringList &keys, const QHash<QString, int> &bound,
                           const QString &only) {
        for (const QString &key : keys) {
            if (!key.startsWith(only) && !only.isEmpty())
                continue;
            // The extensions' defaults ("_EX_") are shown by their panes; only the raw XML of
            // the other namespaces is bound here, once.
            if (key.contains(QLatin1String("_EX_"))) {
                EXPECT_EQ(bound.value(key), key.endsWith(QLatin1String("_EX_Extensions")) ? 1 : 0)
                    << key.toStdString();
                continue;
            }
            EXPECT_EQ(bound.value(key), notShown.contains(key) ? 0 : 1) << key.toStdString();
        }
        for (auto it = bound.cbegin(); it != bound.cend(); ++it)
            EXPECT_TRUE(keys.contains(it.key())) << "not a setting: " << it.key().toStdString();
    };
    check(VLXPreferences::globalKeys(), global, QString());
    // Of the per-feed keys the window shows the feed's defaults, not its publishing or export
    // choices.
    check(VLXPreferences::perFeedKeys(), perFeed, QStringLiteral("FD_CF_"));
}

} // namespace
