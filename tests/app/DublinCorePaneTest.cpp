// The panes of Dublin Core, syndication and content:encoded in the feed window: the textInput
// box, the language pop-ups, the date pickers, the HTML editor, and the Dublin Core dates that
// follow the automatic publication dates, each change one undo step that puts back exactly
// what it found.
#include "AppFixture.h"

#include "app/Controller.h"
#include "app/HTMLEditing.h"
#include "app/ItemsPane.h"
#include "app/OutputActions.h"
#include "app/Vellumcast.h"
#include "common/HTMLEditorDriver.h"
#include "document/VLXUndoManager.h"
#include "editors/TimeAndDate.h"
#include "editors/WBCalendarControl.h"
#include "editors/WYSIWYG.h"
#include "extensions/FieldExtensionBase.h"
#include "extensions/content/contentEncodedItem.h"
#include "extensions/content/contentEncodedItemPrefs.h"
#include "extensions/dc/dcChannel.h"
#include "extensions/dc/dcChannelPrefs.h"
#include "extensions/dc/dcItem.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "panes/EditTracker.h"
#include "panes/ExtensionFieldPane.h"
#include "platform/Clock.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QApplication>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace Qt::StringLiterals;
using namespace HTMLEditorDriver;

namespace {

const char *const kOldDate = "Mon, 07 Dec 2026 09:00:00 +0000";
const char *const kOldDCDate = "2026-12-07T09:00:00+00:00";

QByteArray described()
{
    QByteArray items;
    for (int n = 1; n <= 3; ++n)
        items += QStringLiteral("<item><title>E%1</title><link>https://example.org/%1</link>"
                                "<description>d</description><guid>https://example.org/%1</guid>"
                                "<pubDate>%2</pubDate><dc:title>D%1</dc:title><dc:date>%3"
                                "</dc:date><content:encoded><![CDATA[<p>About %1</p>]]>"
                                "</content:encoded></item>")
                     .arg(n)
                     .arg(QLatin1String(kOldDate), QLatin1String(kOldDCDate))
                     .toUtf8();
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
           "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
           "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\" "
           "xmlns:sy=\"http://purl.org/rss/1.0/modules/syndication/\"><channel><title>T</title>"
           "<link>https://example.org/</link><description>d</description><pubDate>"
        + QByteArray(kOldDate) + "</pubDate><dc:title>DC T</dc:title><dc:date>" + kOldDCDate
        + "</dc:date><dc:language>en</dc:language><sy:updatePeriod>daily</sy:updatePeriod>"
          "<textInput><title>S</title><description>s"
          "</description><name>q</name><link>https://example.org/s</link><dc:coverage>needle here"
          "</dc:coverage></textInput>"
        + items + "</channel></rss>\n";
}

} // namespace

class DublinCorePaneTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        Clock::setInstance(
            std::make_shared<FixedClock>(QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC)));
    }
    void TearDown() override
    {
        Clock::setInstance(nullptr);
        AppFixture::TearDown();
    }

    Vellumcast &window() { return *controller->feedController(); }
    template<typename T = QWidget> T *field(const char *name)
    {
        return window().outlet<T>(QLatin1String(name));
    }
    VLXUndoManager &undo() { return *window().undoManager(); }
    std::shared_ptr<dcChannel> channelDC()
    {
        return std::dynamic_pointer_cast<dcChannel>(
            window().currentFeed()->XMLExtensions()->knownExtension(KnownNamespace::dublinCore));
    }
    std::shared_ptr<dcItem> itemDC(int row)
    {
        return std::dynamic_pointer_cast<dcItem>(
            window().currentFeed()->itemAtIndex(row)->XMLExtensions()->dublinCoreExtension());
    }
    std::shared_ptr<contentEncodedItem> itemContent(int row)
    {
        return std::dynamic_pointer_cast<contentEncodedItem>(
            window().currentFeed()->itemAtIndex(row)->XMLExtensions()->contentEncodedExtension());
    }
    void autoDates() { field<VLXCheckBox>("Feeds_Required_AutoPubDate")->click(); }
    void selectItem(int row)
    {
        field<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
        field<VLXTableView>("Items_Required_Items")->selectRow(row);
        QApplication::processEvents();
    }
    // Gives the control the focus with its pages shown, as a click would.
    void focus(QWidget *widget)
    {
        for (QWidget *page = widget; page && page->parentWidget(); page = page->parentWidget()) {
            if (auto *stack = qobject_cast<QStackedWidget *>(page->parentWidget()))
                stack->setCurrentWidget(page);
        }
        widget->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }
    void type(QWidget *control, const QString &text, QWidget *leaveTo)
    {
        auto *line = qobject_cast<QLineEdit *>(control);
        ASSERT_TRUE(line);
        focus(line);
        line->selectAll();
        QTest::keyClicks(line, text);
        focus(leaveTo);
    }
    // Clicks the picker button and runs the script on the picker once it is up; a script that
    // leaves it open cancels it.
    static void withPicker(QAbstractButton *button,
                           const std::function<void(TimeAndDate &)> &script)
    {
        ASSERT_TRUE(button);
        QTimer::singleShot(0, [&] {
            auto *picker = qobject_cast<TimeAndDate *>(QApplication::activeModalWidget());
            ASSERT_TRUE(picker);
            script(*picker);
            if (picker->isVisible())
                picker->cancel();
        });
        button->click();
        QApplication::processEvents();
    }
    static void pickDay(TimeAndDate &picker, int day)
    {
        auto *calendar = picker.findChild<WBCalendarControl *>(QStringLiteral("calendar"));
        QTest::mouseClick(calendar, Qt::LeftButton, {},
                          WBCalendarControl::cellRect(calendar->firstDay() + day - 1).center());
    }
    static void press(TimeAndDate &picker, const char *name)
    {
        QTest::mouseClick(picker.findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
    }
    static void choose(VLXPopUpButton *popUp, const QString &code)
    {
        const int index = popUp->findData(code);
        ASSERT_GE(index, 0) << code.toStdString();
        popUp->setCurrentIndex(index);
        emit popUp->activated(index);
        // Steps registered in one turn of the event loop are one step, as a user's clicks are
        // not.
        QApplication::processEvents();
    }
};

TEST_F(DublinCorePaneTest, TheTextInputSetSitsInABoxThatFindOpens)
{
    openInWindow(described());
    auto *disclosure = field<QAbstractButton>("dcChannel_TextInput_Disclosure");
    auto *box = field("dcChannel_TextInput_Box");
    ASSERT_TRUE(disclosure && box);
    focus(field("DCTitle"));
    EXPECT_FALSE(disclosure->isChecked());
    EXPECT_FALSE(box->isVisible());
    disclosure->click();
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(field<VLXTextField>("TIDCCoverage")->text(), u"needle here"_s);
    disclosure->click();
    EXPECT_FALSE(box->isVisible());

    // A match in the closed box opens it and is shown highlighted there.
    const auto dc = channelDC();
    dc->resetSearch();
    EXPECT_TRUE(dc->replace(u"needle"_s, std::nullopt, true, 0, field("tabsFeeds_FeedsExtensions"),
                            nullptr, 0));
    EXPECT_TRUE(disclosure->isChecked());
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(field<VLXTextField>("TIDCCoverage")->selectedText(), u"needle"_s);
    // The languages are never searched.
    dc->resetSearch();
    EXPECT_FALSE(dc->replace(u"en"_s, std::nullopt, true, 0, nullptr, nullptr, 0));
}

TEST_F(DublinCorePaneTest, LanguageChoicesAreStepsThatLeaveTheChannelsDateAlone)
{
    openInWindow(described());
    autoDates();
    auto *language = field<VLXPopUpButton>("DCLanguage");
    ASSERT_TRUE(language);
    EXPECT_EQ(language->currentData().toString(), u"en"_s);
    choose(language, u"en"_s);
    EXPECT_EQ(undo().count(), 0);
    choose(language, u"fr"_s);
    EXPECT_EQ(channelDC()->languageElement(), u"fr"_s);
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), u"dc Language"_s);
    EXPECT_EQ(window().currentFeed()->pubDate(), QLatin1String(kOldDate));
    window().undo();
    EXPECT_EQ(channelDC()->languageElement(), u"en"_s);
    EXPECT_EQ(language->currentData().toString(), u"en"_s);

    // An item's language refreshes the item's date; undo puts both back.
    selectItem(1);
    choose(field<VLXPopUpButton>("DCILanguage"), u"de"_s);
    EXPECT_EQ(itemDC(1)->languageElement(), u"de"_s);
    EXPECT_EQ(undo().undoActionName(), u"dc Language"_s);
    EXPECT_NE(window().currentFeed()->itemAtIndex(1)->pubDate(), QLatin1String(kOldDate));
    window().undo();
    EXPECT_EQ(itemDC(1)->languageElement(), QString());
    EXPECT_EQ(window().currentFeed()->itemAtIndex(1)->pubDate(), QLatin1String(kOldDate));
    EXPECT_EQ(itemDC(1)->dateElement(), QLatin1String(kOldDCDate));
}

TEST_F(DublinCorePaneTest, APickedDateIsOneStepOfItsOwnSet)
{
    openInWindow(described());
    focus(field("DCTitle"));
    withPicker(field<QAbstractButton>("DCDate_DatePicker"),
               [](TimeAndDate &picker) { press(picker, "OK"); });
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), u"Feed dc Date"_s);
    EXPECT_EQ(VLXLogic::RDFInternetDateTime(channelDC()->dateElement()),
              VLXLogic::RDFInternetDateTime(QLatin1String(kOldDCDate)));

    field<QAbstractButton>("dcChannel_TextInput_Disclosure")->click();
    withPicker(field<QAbstractButton>("TIDCDate_DatePicker"), [](TimeAndDate &picker) {
        pickDay(picker, 2);
        press(picker, "OK");
    });
    EXPECT_EQ(undo().count(), 2);
    EXPECT_EQ(undo().undoActionName(), u"Text Input dc Date"_s);
    EXPECT_TRUE(channelDC()->dateElementTI().startsWith(u"2026-12-02T"_s))
        << channelDC()->dateElementTI().toStdString();
    EXPECT_EQ(field<VLXTextField>("TIDCDate")->text(), channelDC()->dateElementTI());
    // Cancelled: nothing.
    withPicker(field<QAbstractButton>("TIDCDate_DatePicker"), [](TimeAndDate &picker) {
        pickDay(picker, 3);
        press(picker, "Cancel");
    });
    EXPECT_EQ(undo().count(), 2);
    window().undo();
    EXPECT_EQ(channelDC()->dateElementTI(), QString());
}

TEST_F(DublinCorePaneTest, DublinCoreDatesFollowTheAutomaticPubDateAndComeBackExactly)
{
    openInWindow(described());
    autoDates();
    type(field("DCTitle"), u"New <b>title</b>"_s, field("DCSubject"));
    EXPECT_EQ(channelDC()->title(), u"New title"_s); // the channel's fields lose markup
    const QString refreshed = window().currentFeed()->pubDate();
    ASSERT_NE(refreshed, QLatin1String(kOldDate));
    EXPECT_EQ(VLXLogic::RDFInternetDateTime(channelDC()->dateElement()),
              VLXLogic::InternetDateTime(refreshed));
    EXPECT_EQ(field<VLXTextField>("DCDate")->text(), channelDC()->dateElement());
    EXPECT_EQ(undo().undoActionName(), u"Feed dc Title"_s);
    window().undo();
    EXPECT_EQ(channelDC()->title(), u"DC T"_s);
    EXPECT_EQ(window().currentFeed()->pubDate(), QLatin1String(kOldDate));
    EXPECT_EQ(channelDC()->dateElement(), QLatin1String(kOldDCDate));

    // An item: its own dc:date follows its own date; the title keeps its markup.
    selectItem(2);
    type(field("DCITitle"), u"<i>Item</i>"_s, field("DCISubject"));
    EXPECT_EQ(itemDC(2)->title(), u"<i>Item</i>"_s);
    const QString itemDate = window().currentFeed()->itemAtIndex(2)->pubDate();
    EXPECT_EQ(VLXLogic::RDFInternetDateTime(itemDC(2)->dateElement()),
              VLXLogic::InternetDateTime(itemDate));
    EXPECT_EQ(itemDC(1)->dateElement(), QLatin1String(kOldDCDate));
    // Undone while another item is shown: back into item 2, the shown fields left alone.
    selectItem(0);
    window().undo();
    EXPECT_EQ(itemDC(2)->title(), u"D3"_s);
    EXPECT_EQ(itemDC(2)->dateElement(), QLatin1String(kOldDCDate));
    EXPECT_EQ(window().currentFeed()->itemAtIndex(2)->pubDate(), QLatin1String(kOldDate));
    EXPECT_EQ(field<VLXTextField>("DCITitle")->text(), u"D1"_s);

    // A typed channel pubDate carries the channel's dc:date with it.
    type(field("Feeds_Required_PubDate"), u"Tue, 08 Dec 2026 10:00:00 +0100"_s,
         field("Feeds_Required_Title"));
    EXPECT_EQ(VLXLogic::RDFInternetDateTime(channelDC()->dateElement()),
              VLXLogic::InternetDateTime(u"Tue, 08 Dec 2026 10:00:00 +0100"_s));
    window().undo();
    EXPECT_EQ(channelDC()->dateElement(), QLatin1String(kOldDCDate));
}

TEST_F(DublinCorePaneTest, StepsOverTheItemListOrTheSkipFlagsTakeTheChannelDCDateBackAndForth)
{
    openInWindow(described());
    autoDates();
    const auto dates = [this] {
        return std::pair(window().currentFeed()->pubDate(), channelDC()->dateElement());
    };
    const auto before = dates();
    ASSERT_EQ(before, std::pair(QString(kOldDate), QString(kOldDCDate)));
    const struct
    {
        const char *name;
        std::function<bool()> step;
    } steps[] = {
        {"Item Drag", [&] { return window().itemsPane()->moveItem(0, 3); }},
        {"Sort on <title>", [&] { return window().output().sortItems(u"title"_s, false, false); }},
        {"Skip Hours", [&] { return window().document()->editSkipFlag(true, 5, 1), true; }},
        {"Skip Days", [&] { return window().document()->editSkipFlag(false, 2, 1), true; }},
    };
    for (const auto &[name, step] : steps) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(step());
        EXPECT_EQ(undo().undoActionName(), QLatin1String(name));
        const auto after = dates();
        ASSERT_NE(after.first, before.first);
        EXPECT_EQ(VLXLogic::RDFInternetDateTime(after.second),
                  VLXLogic::InternetDateTime(after.first));
        window().undo();
        EXPECT_EQ(dates(), before);
        window().redo();
        EXPECT_EQ(dates(), after);
        window().undo();
    }
}

TEST_F(DublinCorePaneTest, ContentEditedInTheHTMLEditorIsOneStepNamedByItsRow)
{
    openInWindow(described());
    selectItem(0);
    auto *button = field<QAbstractButton>("ItemContentEncoded_EditHTML");
    ASSERT_TRUE(button);
    focus(button);
    button->click();
    WYSIWYG *editor = window().htmlEditing().htmlEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->window()->windowTitle(), u"Item content:encoded HTML Editor[*]"_s);
    ASSERT_TRUE(waitReady(*editor));
    ASSERT_TRUE(changeBy(*editor, [&] {
        selectWord(*editor, u"About"_s);
        editor->buttonBoldText();
    }));
    QPointer<WYSIWYG> watched(editor);
    EXPECT_EQ(closeBy(*editor, [&] { editor->save(); }), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, kWaitMs));
    EXPECT_TRUE(itemContent(0)->encoded().contains(u"<b>About</b>"_s))
        << itemContent(0)->encoded().toStdString();
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), u"content:encoded"_s);
    window().undo();
    EXPECT_EQ(itemContent(0)->encoded(), u"<p>About 1</p>"_s);
}

TEST_F(DublinCorePaneTest, TwinsTakeTheirPickedDatesAndEditedHTMLAndTouchNoFeed)
{
    openInWindow(described());
    autoDates();
    selectItem(1);
    const bool edited = window().isDocumentEdited();

    auto twin = std::make_shared<dcChannelPrefs>();
    ExtensionFieldPane pane(twin);
    pane.setVisible(true);
    withPicker(pane.findChild<QAbstractButton *>(u"DCDate_DatePicker"_s),
               [](TimeAndDate &picker) { press(picker, "OK"); });
    EXPECT_FALSE(twin->dateElement().isEmpty());
    auto *language = pane.findChild<VLXPopUpButton *>(u"DCLanguage"_s);
    choose(language, u"fr"_s);
    EXPECT_EQ(twin->languageElement(), u"fr"_s);

    auto content = std::make_shared<contentEncodedItemPrefs>();
    content->setEncoded(u"<p>Default text</p>"_s);
    ExtensionFieldPane contentPane(content);
    contentPane.setVisible(true);
    contentPane.findChild<QAbstractButton *>(u"ItemContentEncoded_EditHTML"_s)->click();
    WYSIWYG *editor = contentPane.findChild<WYSIWYG *>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->window()->windowTitle(), u"Item content:encoded HTML Editor[*]"_s);
    ASSERT_TRUE(waitReady(*editor));
    ASSERT_TRUE(changeBy(*editor, [&] {
        selectWord(*editor, u"Default"_s);
        editor->buttonBoldText();
    }));
    EXPECT_EQ(closeBy(*editor, [&] { editor->save(); }), 1);
    EXPECT_TRUE(content->encoded().contains(u"<b>Default</b>"_s))
        << content->encoded().toStdString();

    // Nothing reached the feed in the window: no step, no date.
    EXPECT_EQ(undo().count(), 0);
    EXPECT_EQ(window().currentFeed()->pubDate(), QLatin1String(kOldDate));
    EXPECT_EQ(window().currentFeed()->itemAtIndex(1)->pubDate(), QLatin1String(kOldDate));
    EXPECT_EQ(itemContent(1)->encoded(), u"<p>About 2</p>"_s);
    EXPECT_EQ(window().isDocumentEdited(), edited);
}

TEST_F(DublinCorePaneTest, EveryPeriodChosenIsAStepEvenTheOneHeld)
{
    openInWindow(described());
    auto *period = field<VLXPopUpButton>("SYupdatePeriod");
    ASSERT_TRUE(period);
    EXPECT_EQ(period->itemText(0), QString());
    EXPECT_EQ(period->currentText(), u"daily"_s);
    const auto sy = [this] {
        return FieldExtensionBase::from(window()
                                            .currentFeed()
                                            ->XMLExtensions()
                                            ->knownExtension(KnownNamespace::syndication)
                                            .get());
    };
    choose(period, u"daily"_s);
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), u"updatePeriod"_s);
    choose(period, u"weekly"_s);
    EXPECT_EQ(sy()->text(0), u"weekly"_s);
    EXPECT_EQ(undo().count(), 2);
    window().undo();
    EXPECT_EQ(sy()->text(0), u"daily"_s);
    EXPECT_EQ(period->currentText(), u"daily"_s);
}
