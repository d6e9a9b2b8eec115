#include "model/FeedElement.h"
#include "model/MessageGroup.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
const QString kError = QStringLiteral("Validate Error::Feed title can not be blank");
const QString kNote = QStringLiteral("Note::not one of the three kinds");
const QString kRepair = QStringLiteral("Automatic Repair::Fixed it");
const QString kWarning = QStringLiteral("Validate Warning::Looks odd");
} // namespace

TEST(FeedElement, FilteringIsAPrefixTestInListOrder)
{
    FeedElement element;
    element.setListOfErrors({kError, kNote, kRepair, kWarning});
    EXPECT_EQ(element.listOfErrors(true, true, true), QStringList({kError, kRepair, kWarning}));
    EXPECT_EQ(element.listOfErrors(false, true, false), QStringList({kWarning}));
    EXPECT_TRUE(element.listOfErrors(false, false, false).isEmpty());
    // Filtering leaves the element's own list alone.
    EXPECT_EQ(element.errorList().size(), 4);
}

TEST(FeedElement, CopyDropsUnknownKindsButKeepsCounters)
{
    FeedElement element;
    element.setListOfErrors({kError, kNote, kRepair});
    element.setRepairCount(5);
    element.setWarnCount(6);
    element.setErrorCount(7);
    const FeedElement copy(element);
    EXPECT_EQ(copy.errorList(), QStringList({kError, kRepair}));
    EXPECT_EQ(copy.repairCount(), 5);
    EXPECT_EQ(copy.warnCount(), 6);
    EXPECT_EQ(copy.errorCount(), 7);

    const auto cloned = element.clone();
    EXPECT_EQ(cloned->errorList(), QStringList({kError, kRepair}));
    EXPECT_EQ(cloned->errorCount(), 7);
}

TEST(FeedElement, AddingAndReplacingNeverTouchCounters)
{
    FeedElement element;
    element.addObjectToListOfErrors(QString());
    EXPECT_TRUE(element.errorList().isEmpty());
    element.addObjectToListOfErrors(kError);
    EXPECT_EQ(element.errorList(), QStringList({kError}));
    EXPECT_EQ(element.errorCount(), 0);

    element.setListOfErrors(element.errorList()); // its own list: nothing changes
    EXPECT_EQ(element.errorList(), QStringList({kError}));
    element.setListOfErrors({});
    EXPECT_TRUE(element.errorList().isEmpty());
}

TEST(FeedElement, RecordingAddsOneEntryAndOneCount)
{
    FeedElement element;
    element.recordRepair(QStringLiteral("a"));
    element.recordWarning(QStringLiteral("b"));
    element.recordError(QStringLiteral("c"));
    element.recordError(QStringLiteral("d"));
    EXPECT_EQ(
        element.errorList(),
        QStringList({QStringLiteral("Automatic Repair::a"), QStringLiteral("Validate Warning::b"),
                     QStringLiteral("Validate Error::c"), QStringLiteral("Validate Error::d")}));
    EXPECT_EQ(element.repairCount(), 1);
    EXPECT_EQ(element.warnCount(), 1);
    EXPECT_EQ(element.errorCount(), 2);

    element.setRepairCount(3);
    element.setWarnCount(1);
    element.setErrorCount(2);
    element.removeAllListOfErrors();
    EXPECT_TRUE(element.errorList().isEmpty());
    EXPECT_EQ(element.repairCount() + element.warnCount() + element.errorCount(), 0);
}

TEST(FeedElement, MessagesQuoteAtMostAThousandCharactersOfAValue)
{
    // A value of 1,000 characters is quoted whole; of one of 1,001 the first 749 and the last
    // 250 characters are quoted around an ellipsis. A text given whole, an error's or a repair's,
    // is bounded the same way.
    const QString fits = QString(749, u'a') + u'm' + QString(250, u'z');
    const QString over = QString(749, u'a') + QStringLiteral("mm") + QString(250, u'z');
    const QString cut = QString(749, u'a') + QChar(0x2026) + QString(250, u'z');
    const QString format = QStringLiteral("\"%1\" is not understood as a value of %2");
    FeedElement element;
    element.recordWarning(format, fits, QStringLiteral("itunes:explicit"));
    element.recordWarning(format, over, QStringLiteral("itunes:explicit"));
    element.recordError(fits);
    element.recordError(over);
    element.recordRepair(fits);
    element.recordRepair(over);
    const auto warning = [](const QString &quoted) {
        return FeedElement::kValidateWarning + QStringLiteral("::\"") + quoted
            + QStringLiteral("\" is not understood as a value of itunes:explicit");
    };
    EXPECT_EQ(element.errorList(),
              QStringList({warning(fits), warning(cut), FeedElement::kValidateError + "::" + fits,
                           FeedElement::kValidateError + "::" + cut,
                           FeedElement::kAutomaticRepair + "::" + fits,
                           FeedElement::kAutomaticRepair + "::" + cut}));
    EXPECT_EQ(element.repairCount() + element.warnCount() + element.errorCount(), 6);
}

TEST(FeedElement, ElementsWithTheSameMessageShareOneString)
{
    // A feed of many items with the same problem holds its message once, not once per item.
    std::vector<FeedElement> items(3);
    for (FeedElement &item : items) {
        item.recordError(QStringLiteral("Item link can not be blank"));
        item.recordWarning(QStringLiteral("Item link can not be blank"));
    }
    const QString &first = items[0].errorList().at(0);
    for (const FeedElement &item : items) {
        EXPECT_EQ(item.errorList().at(0).constData(), first.constData());
        EXPECT_EQ(item.errorList().at(0),
                  QStringLiteral("Validate Error::Item link can not be blank"));
        // The same text of another kind is an entry of its own.
        EXPECT_EQ(item.errorList().at(1),
                  QStringLiteral("Validate Warning::Item link can not be blank"));
    }
    // Each element still counts its own, and clearing one leaves the others.
    items[1].removeAllListOfErrors();
    EXPECT_EQ(items[0].errorList().size(), 2);
    EXPECT_EQ(items[2].errorCount(), 1);
}

TEST(FeedElement, EntryKindIsTextBeforeFirstSeparator)
{
    const QString entry
        = FeedElement::makeEntry(FeedElement::kValidateError, QStringLiteral("a::b::c"));
    EXPECT_EQ(entry, QStringLiteral("Validate Error::a::b::c"));
    EXPECT_EQ(FeedElement::entryKind(entry), QStringLiteral("Validate Error"));
    EXPECT_EQ(FeedElement::entryText(entry), QStringLiteral("a::b::c"));
    EXPECT_EQ(FeedElement::entryKind(QStringLiteral("plain")), QStringLiteral("plain"));
}

TEST(FeedElement, KeyedArchiveRoundTrip)
{
    FeedElement element;
    element.setListOfErrors({kWarning, kError, kRepair});
    element.setRepairCount(1);
    element.setWarnCount(2);
    element.setErrorCount(3);
    QVariantMap coder;
    element.encodeWithCoder(coder);
    EXPECT_EQ(coder.value(QStringLiteral("RepairCounter")).toInt(), 1);

    FeedElement restored;
    restored.initWithCoder(coder);
    EXPECT_EQ(restored.errorList(), QStringList({kWarning, kError, kRepair}));
    EXPECT_EQ(restored.repairCount(), 1);
    EXPECT_EQ(restored.warnCount(), 2);
    EXPECT_EQ(restored.errorCount(), 3);
}

TEST(MessageGroup, ConvertsToTheGroupEntriesShapeAndBack)
{
    MessageGroup item(QStringLiteral("Item - \"One\""));
    item.addEntry(kError);
    MessageGroup extension(QStringLiteral("iTunes Extension"));
    item.addGroup(extension); // empty: not nested
    extension.addEntry(kRepair);
    item.addGroup(extension);

    MessageGroup feed(QStringLiteral("RSS Feed: \"Mine\""));
    feed.addEntries({kWarning});
    feed.addGroup(item);

    const QVariantMap map = feed.toVariant();
    EXPECT_EQ(map.keys(), QStringList({QStringLiteral("Entries"), QStringLiteral("Group")}));
    const QVariantList entries = map.value(QStringLiteral("Entries")).toList();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries.at(0).toString(), kWarning);
    const QVariantMap nested = entries.at(1).toMap();
    EXPECT_EQ(nested.value(QStringLiteral("Group")).toString(), QStringLiteral("Item - \"One\""));
    ASSERT_EQ(nested.value(QStringLiteral("Entries")).toList().size(), 2);
    EXPECT_EQ(MessageGroup::fromVariant(map), feed);

    QVariantList tree;
    MessageGroup(QStringLiteral("empty")).appendTo(tree);
    feed.appendTo(tree);
    EXPECT_EQ(tree.size(), 1);
}
