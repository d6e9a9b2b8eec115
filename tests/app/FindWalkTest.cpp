// The walk of Find Next over every step of the channel, the item and the image, with the list
// steps searched through their real sheets and the extensions through the search protocol.
#include "FindFixture.h"

#include "app/FeedSearchWalk.h"
#include "app/ItemsPane.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "model/extensionNSChannel.h"
#include "model/extensionNSImage.h"
#include "model/extensionNSItem.h"
#include "panes/SearchReveal.h"
#include "settings/categoryElement.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextView.h"

#include <QAbstractButton>
#include <QDialog>
#include <QScrollArea>
#include <QTabWidget>

namespace {
QStringList &extensionLog()
{
    static QStringList log;
    return log;
}

// An extension with one searched value, answering the search protocol as a namespace class
// does: its own position, a replacement offered once, the match shown through the tabs given.
template<class Place> class SearchableExtension : public Place
{
public:
    SearchableExtension(const QString &place, const QString &value) : m_place(place), m_value(value)
    {
        this->setExtensionName(QStringLiteral("zqx"));
        this->setDTDURL(QStringLiteral("urn:example:zqx"));
    }
    QString value() const { return m_value; }

    bool replace(const QString &search, const std::optional<QString> &replacement, bool thenSearch,
                 int options, QObject *onTab, QObject *underTab, int atIndex) override
    {
        this->setReplaceResult(replacement.has_value());
        if (this->searchFieldIndex() > 0 || (!replacement && !thenSearch))
            return false;
        const extensionNSRaw::Range found = this->searchField(m_value, search, options);
        if (found.location == extensionNSRaw::kNotFound) {
            this->setSearchFieldIndex(1);
            return false;
        }
        // Nothing to show in without tabs: a probe of a copy.
        if (onTab) {
            extensionLog() << QStringLiteral("ext:%1").arg(m_place);
            SearchReveal::showSearchResult(onTab, underTab, atIndex, this->extensionName(), nullptr,
                                           {found.location, found.length});
        }
        return true;
    }
    int replaceAll(const QString &search, const QString &replacement, int) override
    {
        const int count = int(m_value.count(search));
        m_value.replace(search, replacement);
        return count;
    }

protected:
    extensionNSRaw *newCopy() const override { return new SearchableExtension(*this); }

private:
    QString m_place;
    QString m_value;
};

// The steps in the order the user meets them; a sheet step names the sheet and its field.
const QStringList kChannelWalk {"Feeds_Required_Title",
                                "Feeds_Required_Description",
                                "Feeds_Required_Link",
                                "Feeds_Required_PubDate",
                                "categoryElementEdit:categoryDomainField",
                                "Feeds_Optional_Cloud_Domain",
                                "Feeds_Optional_Cloud_Port",
                                "Feeds_Optional_Cloud_Path",
                                "Feeds_Optional_Cloud_RegProc",
                                "Feeds_Optional_Cloud_Protocol",
                                "Feeds_Optional_TextInput_Title",
                                "Feeds_Optional_TextInput_Description",
                                "Feeds_Optional_TextInput_Name",
                                "Feeds_Optional_TextInput_Link",
                                "Feeds_Optional_Webmaster",
                                "Feeds_Optional_Editor",
                                "Feeds_Optional_Copyright",
                                "Feeds_Optional_Rating",
                                "Feeds_Optional_Docs",
                                "Feeds_Optional_TTL",
                                "ext:channel",
                                "Feeds_Advanced_StyleSheet",
                                "Feeds_Advanced_StyleSheetCSS",
                                "editXMLComments:text"};
const QStringList kItemWalk {"Items_Required_Title",
                             "Items_Required_Description",
                             "Items_Required_Link",
                             "Items_Required_PubDate",
                             "categoryElementEdit:categoryField",
                             "Items_Optional_GUID_GUID",
                             "Items_Optional_Source_Source",
                             "Items_Optional_Source_URL",
                             "Items_Optional_Enclosure_URL",
                             "Items_Optional_Enclosure_Length",
                             "Items_Optional_Enclosure_Type",
                             "Items_Optional_Author",
                             "ext:item",
                             "editXMLComments:text"};
const QStringList kImageWalk {"Image_Required_Title",
                              "Image_Required_Description",
                              "Image_Required_Link",
                              "Image_Required_URL",
                              "Image_Required_Width",
                              "Image_Required_Height",
                              "ext:image",
                              "editXMLComments:text"};
} // namespace

class FindWalkTest : public FindFixture
{
protected:
    // Puts "zq" into every searched step of the channel, the first item and the image, and
    // into what is not searched: the item's comments address, its local file, raw XML.
    void markEverything()
    {
        FeedDocument &doc = *window().document();
        for (const QStringList *walk : {&kChannelWalk, &kItemWalk, &kImageWalk}) {
            for (const QString &step : *walk) {
                if (step.contains(':'))
                    continue;
                setModelValue(step, step.startsWith("Items") ? 0 : -1, "x zq " + step);
            }
        }
        VLXFeed &feed = *doc.feed();
        VLXItems &item = *doc.item(0);
        feed.setCategory({categoryElement("plain", "zq.example")});
        item.setCategory({categoryElement("zq", "")});
        for (TitledElement *owner :
             {static_cast<TitledElement *>(&feed), static_cast<TitledElement *>(&item),
              static_cast<TitledElement *>(feed.image())})
            owner->setXMLComments({"no match", "a zq comment"});
        item.setComments("https://example.org/zq");
        item.setLocalEnclosureFilePath("/tmp/zq.mp3");
        addExtension(*feed.XMLExtensions(),
                     SearchableExtension<extensionNSChannel>("channel", "zq"));
        addExtension(*item.XMLExtensions(), SearchableExtension<extensionNSItem>("item", "zq"));
        addExtension(*feed.image()->XMLExtensions(),
                     SearchableExtension<extensionNSImage>("image", "zq"));
        showModel();
    }
    template<class Manager, class Extension>
    static void addExtension(Manager &manager, const Extension &extension)
    {
        manager.setNotWellSupportedArray({std::make_shared<Extension>(extension)});
        // Raw XML of the user's own holds the text too, and is never searched.
        auto raw = std::make_shared<extensionNSRaw>();
        raw->setRawXML("<zq>zq</zq>");
        manager.setUnknownExtension(raw);
        manager.setUnknownExtensionUsed(true);
    }
    // Presses Next until "Not Found": where each match was shown, sheets included.
    QStringList walkUntilNotFound()
    {
        QStringList steps;
        answerSheets([&steps, this](QWidget *sheet) {
            QWidget *field = sheet->focusWidget();
            steps << QStringLiteral("%1:%2").arg(sheet->objectName(),
                                                 field ? field->objectName() : QString());
            // Find Next inside the sheet finds nothing more: it closes and the walk goes on.
            press("Next");
        });
        for (int i = 0; i < 60 && (steps.isEmpty() || steps.last() != "Not Found"); ++i) {
            extensionLog().clear();
            press("Next");
            if (!extensionLog().isEmpty())
                steps << extensionLog();
            else if (find().statusField() == "Not Found")
                steps << "Not Found";
            else
                steps << shownMatch();
        }
        return steps;
    }
    // The control with the highlight, when it shows "zq" where the user can see it.
    QString shownMatch() const
    {
        QWidget *control = window().window()->focusWidget();
        if (!control || highlighted() != "zq")
            return "no match shown";
        if (!control->isVisibleTo(window().window()))
            return "hidden " + control->objectName();
        for (QWidget *up = control->parentWidget(); up; up = up->parentWidget()) {
            if (auto *area = qobject_cast<QScrollArea *>(up)) {
                const QRect inView(control->mapTo(area->viewport(), QPoint()), control->size());
                if (!area->viewport()->rect().contains(inView))
                    return "scrolled away " + control->objectName();
                break;
            }
        }
        return control->objectName();
    }
};

TEST_F(FindWalkTest, FindNextWalksEveryStepOfTheChannelTheItemAndTheImageInOrder)
{
    openForFind();
    markEverything();
    find().setFindField("zq");
    setScope({"channel", "items", "image"});
    const QStringList steps = walkUntilNotFound();
    EXPECT_EQ(lines(steps),
              lines(kChannelWalk + kItemWalk + kImageWalk + QStringList {"Not Found"}));
    EXPECT_EQ(beeps, 1);
    // Each box that held a match was opened for it.
    for (const char *box :
         {"Feeds_Optional_Cloud", "Feeds_Optional_TextInput", "Items_Optional_GUID",
          "Items_Optional_Source", "Items_Optional_Enclosure"})
        EXPECT_TRUE(
            field<QAbstractButton>(QByteArray(box).append("_Disclosure").constData())->isChecked())
            << box;
    // Nothing was changed by looking.
    EXPECT_EQ(undo().count(), 0);
}

// Items that are not shown are looked at in the document before the walk goes through them:
// each place that can hold the text alone (a text field, a category's domain, an XML comment,
// an extension) still stops the walk at that item, in order, and nothing else does.
TEST_F(FindWalkTest, AnItemNotShownIsFoundByWhicheverPlaceAloneHoldsTheText)
{
    openForFind({"A", "B", "C", "D", "E", "F"});
    FeedDocument &doc = *window().document();
    doc.item(1)->setCategory({categoryElement("plain", "zq.example")});
    doc.item(2)->setXMLComments({"no match", "a zq comment"});
    addExtension(*doc.item(3)->XMLExtensions(), SearchableExtension<extensionNSItem>("item", "zq"));
    setModelValue("Items_Optional_Author", 4, "zq@example.org");
    doc.item(5)->setComments("https://example.org/zq"); // not searched
    showModel();
    window().itemsPane()->itemTable()->selectRow(0);
    find().setFindField("zq");
    setScope({"items", "all"});
    // Each place is in an item of its own: the steps name the items in order.
    EXPECT_EQ(lines(walkUntilNotFound()),
              lines({"categoryElementEdit:categoryDomainField", "editXMLComments:text", "ext:item",
                     "Items_Optional_Author", "Not Found"}));
    EXPECT_EQ(window().selectedItemRow(), 5);
}

TEST_F(FindWalkTest, ReplaceAllReachesEverySearchedTextAndNothingElse)
{
    openForFind();
    markEverything();
    setScope({"channel", "items", "all", "image"});
    find().setFindField("zq");
    find().setReplaceField("ZQ");
    press("ReplaceAll");
    // 38 texts, 5 list entries and the 3 extensions; not the raw XML, the item's comments
    // address or its local file.
    EXPECT_EQ(find().statusField(), "46 Replacements");
    const FeedDocument &doc = *window().document();
    EXPECT_EQ(doc.feed()->title(), "x ZQ Feeds_Required_Title");
    EXPECT_EQ(doc.image()->XMLComments(), (QStringList {"no match", "a ZQ comment"}));
    EXPECT_EQ(doc.item(0)->comments(), "https://example.org/zq");
    EXPECT_EQ(doc.item(0)->localEnclosureFilePath(), "/tmp/zq.mp3");
}

TEST_F(FindWalkTest, ASheetClosedOnAMatchEndsTheSearchThereAndTheNextGoesOnAfterIt)
{
    openForFind();
    window().document()->feed()->setXMLComments({"first zq", "second zq"});
    showModel();
    find().setFindField("zq");
    QStringList shown;
    answerSheets([&shown](QWidget *sheet) {
        shown << sheet->findChild<VLXTextView *>("text")->toPlainText();
        static_cast<QDialog *>(sheet)->reject();
    });
    press("Next");
    EXPECT_EQ(lines(shown), lines({"first zq"}));
    EXPECT_EQ(find().statusField(), "");
    press("Next");
    EXPECT_EQ(lines(shown), lines({"first zq", "second zq"}));
    press("Next");
    EXPECT_EQ(find().statusField(), "Not Found");
    EXPECT_EQ(shown.size(), 2);
}

TEST_F(FindWalkTest, ExtensionsPassedByOneWalkAreSearchedAgainByTheNextAndByReplaceAll)
{
    openForFind();
    markEverything();
    find().setFindField("zq");
    setScope({"channel", "items", "image"});
    const QStringList first = walkUntilNotFound();
    // "Not Found" starts the search over: the extensions the walk went through are searched
    // from their start again, not passed over as used up.
    EXPECT_EQ(lines(walkUntilNotFound()), lines(first));
    // Stopped part of the way through and started over (another Find text and back): the
    // extensions are searched from their start again.
    answerSheets([this](QWidget *) { press("Next"); });
    for (int i = 0; i < 25; ++i)
        press("Next");
    find().setFindField("zqzq");
    press("Next");
    find().setFindField("zq");
    EXPECT_EQ(lines(walkUntilNotFound()), lines(first));
    // Replace All after the walks still reaches every extension.
    setScope({"channel", "items", "all", "image"});
    find().setReplaceField("ZQ");
    press("ReplaceAll");
    EXPECT_EQ(find().statusField(), "46 Replacements");
}
