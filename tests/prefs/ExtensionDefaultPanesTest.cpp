// The default panes of Media RSS, Dublin Core, syndication and content:encoded in the preferences
// window: each control named after its setting, each value shown from the settings file and
// stored back by OK in the form the settings keep, Media RSS as whole objects.
#include "DialogScript.h"
#include "PreferencesFixture.h"

#include "common/HTMLEditorDriver.h"
#include "editors/WYSIWYG.h"
#include "extensions/mrss/mrssChannel.h"
#include "extensions/mrss/mrssItem.h"
#include "model/VLXLogic.h"
#include "panes/EditTracker.h"
#include "panes/ExtensionFieldPane.h"
#include "platform/KeyedArchivable.h"
#include "platform/KeyedUnarchiver.h"
#include "prefs/PreferenceExtensionPage.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextViewHTML.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>

namespace {

using namespace HTMLEditorDriver;

class ExtensionDefaultPanes : public PreferencesFixture
{
protected:
    PreferenceExtensionPage *page(const QString &identifier) const
    {
        for (const auto &candidate : window->pages()) {
            auto *found = dynamic_cast<PreferenceExtensionPage *>(candidate.get());
            if (found && found->identifier() == identifier)
                return found;
        }
        return nullptr;
    }
    static ExtensionFieldPane *paneOf(QWidget *control)
    {
        for (QWidget *up = control; up; up = up->parentWidget()) {
            if (auto *pane = qobject_cast<ExtensionFieldPane *>(up))
                return pane;
        }
        return nullptr;
    }
    // Types into a field of a pane (a line or a text view) and ends the edit, as leaving it does.
    void typeInPane(const QString &name, const QString &text) const
    {
        QWidget *field = control(name);
        ASSERT_NE(field, nullptr);
        ExtensionFieldPane *pane = paneOf(field);
        ASSERT_NE(pane, nullptr) << name.toStdString();
        pane->tracker()->setTextAsEdit(field, text);
    }
    // Chooses the item of a pop-up holding this value, as the user does.
    void choose(const QString &name, const QVariant &value) const
    {
        auto *popUp = control<VLXPopUpButton>(name);
        ASSERT_NE(popUp, nullptr);
        const int index = popUp->findData(value);
        ASSERT_GE(index, 0) << value.toString().toStdString();
        popUp->setCurrentIndex(index);
        emit popUp->activated(index);
    }
    QString text(const QString &name) const
    {
        if (auto *line = window->findChild<QLineEdit *>(name))
            return line->text();
        if (auto *view = window->findChild<VLXTextView *>(name))
            return view->toPlainText();
        ADD_FAILURE() << "no field " << name.toStdString();
        return QString();
    }
    int rows(const QString &table) const
    {
        auto *view = control<VLXTableView>(table);
        return view ? view->model()->rowCount() : -1;
    }
    // Adds a media:content with this address through the content dialog of the named button.
    void addContent(const QString &button, const QString &url, bool *localFileOffered) const
    {
        answerDialog(QStringLiteral("mrssEditContent"), [url, localFileOffered](QWidget *dialog) {
            auto *box = dialog->findChild<QWidget *>(QStringLiteral("editLocalFileBox"));
            *localFileOffered = box && box->isVisibleTo(dialog);
            dialog->findChild<QLineEdit *>(QStringLiteral("editURL"))->setText(url);
            clickIn(dialog, QStringLiteral("accept"));
        });
        control<QPushButton>(button)->click();
    }
    static std::shared_ptr<mrssItem> itemObject(const QVariant &setting)
    {
        if (setting.typeId() == QMetaType::QByteArray)
            return KeyedArchivable::objectAs<mrssItem>(
                KeyedUnarchiver::unarchiveObjectWithData(setting.toByteArray()));
        return KeyedArchivable::objectAs<mrssItem>(setting);
    }
    static QStringList contentURLs(const std::shared_ptr<mrssItem> &item)
    {
        QStringList urls;
        for (const mrssRequiredElement &content : item->mediaContentsValue())
            urls << content.attribute("attributeURL");
        return urls;
    }
};

TEST_F(ExtensionDefaultPanes, EachPaneIsAPageWhoseControlsAreNamedAfterTheirSettings)
{
    open(QStringLiteral("feed"), everyExtension());
    for (const char *identifier :
         {"Current Feed Item Media RSS", "Current Feed Item content:encoded",
          "Current Feed Item dc", "All Feeds Feed Media RSS", "All Feeds Feed content:encoded",
          "All Feeds Feed sy", "All Feeds Feed dc", "All Feeds Item Media RSS",
          "All Feeds Item content:encoded", "All Feeds Item dc", "All Feeds Image dc"}) {
        PreferenceExtensionPage *found = page(QLatin1String(identifier));
        ASSERT_NE(found, nullptr) << identifier;
        EXPECT_NE(found->pane(), nullptr) << identifier;
        EXPECT_NE(window->pageWidget(QLatin1String(identifier)), nullptr) << identifier;
        EXPECT_FALSE(found->twin()->allowsUndo()) << identifier;
    }
    for (const char *name : {"FD_AF_FF_EX_mrssChannelOptionalElementsTable",
                             "FD_AF_FF_EX_mrssChannelOptionalElements_Add",
                             "FD_AF_IF_EX_mrssItemContentElementsTable",
                             "FD_AF_IF_EX_mrssItemContentElements_Edit",
                             "FD_AF_IF_EX_mrssItemOptionalElementsTable",
                             "FD_CF_IF_EX_mrssItemContentElementsTable",
                             "FD_CF_IF_EX_mrssItemOptionalElements_Delete",
                             "FD_AF_FF_EX_ContentEncoded",
                             "FD_AF_IF_EX_ContentEncoded",
                             "FD_CF_IF_EX_ContentEncoded",
                             "FD_AF_FF_EX_SyndicationUpdatePeriod",
                             "FD_AF_FF_EX_SyndicationUpdateFrequency",
                             "FD_AF_FF_EX_SyndicationUpdateBase",
                             "FD_AF_FF_EX_SyndicationUpdateBaseDatePicker",
                             "FD_AF_FF_EX_DCTitle",
                             "FD_AF_FF_EX_DCDescription",
                             "FD_AF_FF_EX_DCDateDatePicker",
                             "FD_AF_FF_EX_TIDCCoverage",
                             "FD_AF_FF_EX_TIDCDateDatePicker",
                             "FD_AF_IF_EX_DCLanguage",
                             "FD_AF_IM_EX_DCRights",
                             "FD_CF_IF_EX_DCDate",
                             "FD_CF_IF_EX_DCDateDatePicker"})
        EXPECT_NE(window->findChild<QWidget *>(QLatin1String(name)), nullptr) << name;
    // Each name once: the panes of one class in two scopes never share a control name.
    EXPECT_EQ(window->findChildren<QWidget *>(QStringLiteral("FD_AF_IF_EX_DCDate")).size(), 1);

    // The content panes keep "Edit HTML" to their text views.
    for (const char *name :
         {"FD_AF_FF_EX_ContentEncodedEditHTML", "FD_AF_IF_EX_ContentEncodedEditHTML",
          "FD_CF_IF_EX_ContentEncodedEditHTML"}) {
        auto *button = window->findChild<QWidget *>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_FALSE(button->isVisibleTo(window.get())) << name;
    }
    // The update period starts with an empty choice.
    auto *period = control<VLXPopUpButton>(QStringLiteral("FD_AF_FF_EX_SyndicationUpdatePeriod"));
    QStringList periods;
    for (int i = 0; i < period->count(); ++i)
        periods << period->itemText(i);
    EXPECT_EQ(periods, (QStringList {QString(), "hourly", "daily", "weekly", "monthly", "yearly"}));
}

TEST_F(ExtensionDefaultPanes, TextDefaultsGoThroughTheirControlsAndOkIntoTheSettingsFile)
{
    prefs->preferences().insert(QStringLiteral("FD_AF_FF_EX_DCTitle"), QStringLiteral("Channel"));
    prefs->preferences().insert(QStringLiteral("FD_AF_FF_EX_TIDCDate"),
                                QStringLiteral("2026-01-02T03:04:05+01:00"));
    prefs->preferences().insert(QStringLiteral("FD_AF_IM_EX_DCRights"), QStringLiteral("Mine"));
    prefs->preferences().insert(QStringLiteral("FD_AF_IF_EX_DCLanguage"), QStringLiteral("de"));
    prefs->preferences().insert(QStringLiteral("FD_AF_FF_EX_SyndicationUpdatePeriod"),
                                QStringLiteral("daily"));
    prefs->preferences().insert(QStringLiteral("FD_AF_FF_EX_ContentEncoded"),
                                QStringLiteral("<p>channel</p>"));
    open(QStringLiteral("feed"), everyExtension());
    EXPECT_EQ(text(QStringLiteral("FD_AF_FF_EX_DCTitle")), QStringLiteral("Channel"));
    EXPECT_EQ(text(QStringLiteral("FD_AF_FF_EX_TIDCDate")),
              QStringLiteral("2026-01-02T03:04:05+01:00"));
    EXPECT_EQ(text(QStringLiteral("FD_AF_IM_EX_DCRights")), QStringLiteral("Mine"));
    EXPECT_EQ(control<VLXPopUpButton>(QStringLiteral("FD_AF_IF_EX_DCLanguage"))->currentData(),
              QStringLiteral("de"));
    EXPECT_EQ(control<VLXPopUpButton>(QStringLiteral("FD_AF_FF_EX_SyndicationUpdatePeriod"))
                  ->currentText(),
              QStringLiteral("daily"));
    EXPECT_EQ(text(QStringLiteral("FD_AF_FF_EX_ContentEncoded")), QStringLiteral("<p>channel</p>"));

    typeInPane(QStringLiteral("FD_AF_FF_EX_TIDCSubject"), QStringLiteral("  search  "));
    typeInPane(QStringLiteral("FD_AF_IM_EX_DCRights"), QStringLiteral("Yours"));
    typeInPane(QStringLiteral("FD_AF_IF_EX_DCDescription"), QStringLiteral("An item"));
    choose(QStringLiteral("FD_AF_IF_EX_DCLanguage"), QStringLiteral("fr"));
    typeInPane(QStringLiteral("FD_AF_FF_EX_SyndicationUpdateFrequency"), QStringLiteral("2"));
    choose(QStringLiteral("FD_AF_FF_EX_SyndicationUpdatePeriod"), QString());
    typeInPane(QStringLiteral("FD_AF_IF_EX_ContentEncoded"), QStringLiteral("<p>item</p>"));
    // The feed's own item defaults go to its entry.
    typeInPane(QStringLiteral("FD_CF_IF_EX_DCCreator"), QStringLiteral("Ann"));
    typeInPane(QStringLiteral("FD_CF_IF_EX_ContentEncoded"), QStringLiteral("<p>own</p>"));
    // Every edit is read back at once.
    EXPECT_EQ(prefs->displayedValues().value(QStringLiteral("FD_AF_FF_EX_TIDCSubject")),
              QStringLiteral("search"));
    EXPECT_EQ(prefs->editedFeedEntry().value(QStringLiteral("FD_CF_IF_EX_DCCreator")),
              QStringLiteral("Ann"));
    window->ok();

    load();
    EXPECT_EQ(live(QStringLiteral("FD_AF_FF_EX_DCTitle")).toString(), QStringLiteral("Channel"));
    EXPECT_EQ(live(QStringLiteral("FD_AF_FF_EX_TIDCSubject")).toString(), QStringLiteral("search"));
    EXPECT_EQ(live(QStringLiteral("FD_AF_IM_EX_DCRights")).toString(), QStringLiteral("Yours"));
    EXPECT_EQ(live(QStringLiteral("FD_AF_IF_EX_DCDescription")).toString(),
              QStringLiteral("An item"));
    EXPECT_EQ(live(QStringLiteral("FD_AF_IF_EX_DCLanguage")).toString(), QStringLiteral("fr"));
    EXPECT_EQ(live(QStringLiteral("FD_AF_FF_EX_SyndicationUpdateFrequency")).toString(),
              QStringLiteral("2"));
    EXPECT_EQ(live(QStringLiteral("FD_AF_FF_EX_SyndicationUpdatePeriod")).toString(), QString());
    EXPECT_EQ(live(QStringLiteral("FD_AF_IF_EX_ContentEncoded")).toString(),
              QStringLiteral("<p>item</p>"));
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_EX_DCCreator"), "feed"),
              QStringLiteral("Ann"));
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_EX_ContentEncoded"), "feed"),
              QStringLiteral("<p>own</p>"));
    // Nothing leaked into the all-feeds values of the same elements.
    EXPECT_EQ(live(QStringLiteral("FD_AF_IF_EX_DCCreator")).toString(), QString());
}

TEST_F(ExtensionDefaultPanes, EveryDublinCoreDateIsRepairedWhenItsEditEnds)
{
    open(QStringLiteral("feed"), everyExtension());
    const QString loose = QStringLiteral("January 2, 2006 10:11:12 +0100");
    const QString w3c = VLXLogic::createRDFDateString(
        QDateTime(QDate(2006, 1, 2), QTime(9, 11, 12), Qt::UTC).toLocalTime());
    for (const char *name : {"FD_AF_FF_EX_DCDate", "FD_AF_FF_EX_TIDCDate", "FD_AF_IF_EX_DCDate",
                             "FD_AF_IM_EX_DCDate", "FD_CF_IF_EX_DCDate"}) {
        SCOPED_TRACE(name);
        alerts->clear();
        typeInPane(QLatin1String(name), loose);
        EXPECT_EQ(text(QLatin1String(name)).toStdString(), w3c.toStdString());
        ASSERT_EQ(alerts->alerts().size(), 1);
        EXPECT_EQ(alerts->alerts().first().message.toStdString(),
                  QStringLiteral("The value of dc:date, \"%1\", was able to be fixed to a proper "
                                 "value of \"%2\".")
                      .arg(loose, w3c)
                      .toStdString());
    }
    // The feed's own item default is kept in that form.
    window->ok();
    load();
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_EX_DCDate"), "feed")
                  .toString()
                  .toStdString(),
              w3c.toStdString());
}

TEST_F(ExtensionDefaultPanes, MediaRSSDefaultsAreStoredAsWholeObjectsAndShownAgain)
{
    open(QStringLiteral("feed"), everyExtension());
    // A channel element through the optional-element dialog.
    answerDialog(QStringLiteral("mrssEditOptional"), [](QWidget *dialog) {
        dialog->findChild<QComboBox *>(QStringLiteral("elementType"))
            ->setCurrentIndex(mrssOptionalElements::kKeywords);
        dialog->findChild<QLineEdit *>(QStringLiteral("keywordsKeywords"))
            ->setText(QStringLiteral("rain, wind"));
        clickIn(dialog, QStringLiteral("accept"));
    });
    control<QPushButton>(QStringLiteral("FD_AF_FF_EX_mrssChannelOptionalElements_Add"))->click();
    EXPECT_EQ(rows(QStringLiteral("FD_AF_FF_EX_mrssChannelOptionalElementsTable")), 1);

    // Contents for all feeds' items and for this feed's, without a local file to offer.
    bool localFile = true;
    addContent(QStringLiteral("FD_AF_IF_EX_mrssItemContentElements_Add"),
               QStringLiteral("https://example.org/all.mp3"), &localFile);
    EXPECT_FALSE(localFile);
    localFile = true;
    addContent(QStringLiteral("FD_CF_IF_EX_mrssItemContentElements_Add"),
               QStringLiteral("https://example.org/own.mp3"), &localFile);
    EXPECT_FALSE(localFile);

    // Read back at once: all feeds keep objects of the classes themselves, the feed an archive.
    const QVariant channel
        = prefs->displayedValues().value(QStringLiteral("FD_AF_FF_EX_mrssChannel"));
    ASSERT_TRUE(KeyedArchivable::isObject(channel));
    EXPECT_EQ(KeyedArchivable::fromVariant(channel)->archiveClassName(),
              QStringLiteral("mrssChannel"));
    const QVariant own = prefs->editedFeedEntry().value(QStringLiteral("FD_CF_IF_EX_mrssItem"));
    EXPECT_EQ(own.typeId(), QMetaType::QByteArray);
    window->ok();

    load();
    const auto channelObject
        = KeyedArchivable::objectAs<mrssChannel>(live(QStringLiteral("FD_AF_FF_EX_mrssChannel")));
    ASSERT_NE(channelObject, nullptr);
    EXPECT_EQ(channelObject->mediaOptionalElements().elementsUsed(), QStringLiteral("Keywords"));
    const auto allItems = itemObject(live(QStringLiteral("FD_AF_IF_EX_mrssItem")));
    ASSERT_NE(allItems, nullptr);
    EXPECT_EQ(contentURLs(allItems), QStringList {QStringLiteral("https://example.org/all.mp3")});
    const auto ownItems
        = itemObject(VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_EX_mrssItem"), "feed"));
    ASSERT_NE(ownItems, nullptr);
    EXPECT_EQ(contentURLs(ownItems), QStringList {QStringLiteral("https://example.org/own.mp3")});

    // The next opening shows what was stored; a deletion is stored at OK like an addition.
    open(QStringLiteral("feed"), everyExtension());
    EXPECT_EQ(rows(QStringLiteral("FD_AF_FF_EX_mrssChannelOptionalElementsTable")), 1);
    EXPECT_EQ(rows(QStringLiteral("FD_AF_IF_EX_mrssItemContentElementsTable")), 1);
    EXPECT_EQ(rows(QStringLiteral("FD_CF_IF_EX_mrssItemContentElementsTable")), 1);
    control<VLXTableView>(QStringLiteral("FD_AF_IF_EX_mrssItemContentElementsTable"))->selectRow(0);
    control<QPushButton>(QStringLiteral("FD_AF_IF_EX_mrssItemContentElements_Delete"))->click();
    window->ok();
    load();
    EXPECT_TRUE(
        itemObject(live(QStringLiteral("FD_AF_IF_EX_mrssItem")))->mediaContentsValue().isEmpty());
    EXPECT_EQ(contentURLs(itemObject(
                  VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_EX_mrssItem"), "feed"))),
              QStringList {QStringLiteral("https://example.org/own.mp3")});
}

TEST_F(ExtensionDefaultPanes, AFeedWithoutMediaRSSLeavesItsMediaDefaultAsItWas)
{
    open(QStringLiteral("feed"), everyExtension());
    bool localFile = false;
    addContent(QStringLiteral("FD_CF_IF_EX_mrssItemContentElements_Add"),
               QStringLiteral("https://example.org/kept.mp3"), &localFile);
    window->ok();

    // Opened for the same feed without Media RSS, the page neither shows nor stores anything.
    open(QStringLiteral("feed"));
    window->miscChanged();
    window->ok();
    load();
    EXPECT_EQ(contentURLs(itemObject(
                  VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_EX_mrssItem"), "feed"))),
              QStringList {QStringLiteral("https://example.org/kept.mp3")});
}

TEST_F(ExtensionDefaultPanes, EditHTMLOfAContentViewEditsTheDefaultWhileTheWindowStepsAside)
{
    prefs->preferences().insert(QStringLiteral("FD_AF_IF_EX_ContentEncoded"),
                                QStringLiteral("<p>Default text</p>"));
    int result = -1;
    bool hiddenMeanwhile = false;
    bool shownAfter = false;
    QString stored;
    // The whole run of the window as the user makes it: the editor opens from the text view,
    // saves, and OK ends the run, which the window's stepping aside must not have ended.
    QTimer::singleShot(0, [&] {
        window->showPage(QStringLiteral("All Feeds Item content:encoded"));
        auto *view = control<VLXTextViewHTML>(QStringLiteral("FD_AF_IF_EX_ContentEncoded"));
        ASSERT_NE(view, nullptr);
        view->editHTML();
        WYSIWYG *editor = paneOf(view)->findChild<WYSIWYG *>();
        ASSERT_NE(editor, nullptr);
        hiddenMeanwhile = !window->isVisible();
        EXPECT_TRUE(editor->window()->isVisible());
        ASSERT_TRUE(waitReady(*editor));
        ASSERT_TRUE(changeBy(*editor, [&] {
            selectWord(*editor, QStringLiteral("Default"));
            editor->buttonBoldText();
        }));
        EXPECT_EQ(closeBy(*editor, [&] { editor->save(); }), 1);
        shownAfter = window->isVisible();
        stored = prefs->displayedValues()
                     .value(QStringLiteral("FD_AF_IF_EX_ContentEncoded"))
                     .toString();
        // OK is clicked later, as a click of its own: the run must still be going by then.
        QTimer::singleShot(0, window.get(), [this] { control<QAbstractButton>("ok")->click(); });
    });
    // Safety: a run left open by a failing script is cancelled.
    QTimer::singleShot(60000, window.get(), [this] {
        if (window->isVisible())
            window->revert();
    });
    result = window->runPanel(*prefs, QStringLiteral("feed"), {});
    EXPECT_TRUE(hiddenMeanwhile);
    EXPECT_TRUE(shownAfter);
    EXPECT_TRUE(stored.contains(QStringLiteral("<b>Default</b>"))) << stored.toStdString();
    EXPECT_EQ(result, 1);
    load();
    EXPECT_TRUE(live(QStringLiteral("FD_AF_IF_EX_ContentEncoded"))
                    .toString()
                    .contains(QStringLiteral("<b>Default</b>")));
}

} // namespace
