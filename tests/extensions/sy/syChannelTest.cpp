#include "extensions/sy/syChannel.h"
#include "extensions/sy/syChannelPrefs.h"
#include "model/VLXError.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kSyURI = u"http://purl.org/rss/1.0/modules/syndication/"_s;

QStringList entries(const FeedElement &element)
{
    return element.listOfErrors(true, true, true);
}

std::shared_ptr<syChannel> readSy(const QString &prefix, const QString &elements)
{
    auto channel = std::make_shared<syChannel>();
    channel->setExtensionProcessingName(prefix);
    const vlxXMLDOM dom(
        u"<?xml version=\"1.0\"?><r xmlns:%1=\"%2\">%3</r>"_s.arg(prefix, kSyURI, elements));
    const vlxXMLNode *root = dom.nodeNamed(u"r"_s, vlxXMLDOM::Element, nullptr);
    EXPECT_TRUE(root);
    for (int i = 0; root && i < vlxXMLDOM::numberOfChildren(root); ++i)
        channel->parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, root));
    return channel;
}

} // namespace

TEST(syChannel, PeriodsAndFrequenciesAreCheckedWhileReading)
{
    struct Row
    {
        const char16_t *xml;
        const char16_t *period;
        const char16_t *frequency;
        const char16_t *message; // nullptr: read silently
    } rows[] = {
        {u"<sy:updatePeriod> daily </sy:updatePeriod>", u"daily", u"", nullptr},
        {u"<sy:updateperiod>weekly</sy:updateperiod>", u"weekly", u"", nullptr},
        {u"<sy:updatePeriod>Daily</sy:updatePeriod>", u"", u"",
         u"Validate Error::\"Daily\" is not a valid value for sy:updatePeriod."},
        {u"<sy:updateFrequency>1</sy:updateFrequency>", u"", u"1", nullptr},
        {u"<sy:updateFrequency> 12abc </sy:updateFrequency>", u"", u"12abc", nullptr},
        {u"<sy:updateFrequency>0</sy:updateFrequency>", u"", u"",
         u"Validate Error::sy:updateFrequency must be a number greater then 1, \"0\" is not a "
         u"valid value."},
        {u"<sy:updateFrequency>-2</sy:updateFrequency>", u"", u"",
         u"Validate Error::sy:updateFrequency must be a number greater then 1, \"-2\" is not a "
         u"valid value."},
    };
    for (const Row &row : rows) {
        const QString xml = QString::fromUtf16(row.xml);
        SCOPED_TRACE(xml.toStdString());
        const auto channel = readSy(u"sy"_s, xml);
        EXPECT_EQ(channel->updatePeriod(), QString::fromUtf16(row.period));
        EXPECT_EQ(channel->updateFrequency(), QString::fromUtf16(row.frequency));
        EXPECT_EQ(entries(*channel),
                  row.message ? QStringList {QString::fromUtf16(row.message)} : QStringList());
        EXPECT_EQ(channel->errorCount(), row.message ? 1 : 0);
    }
}

TEST(syChannel, AnyPrefixReadsTheBaseAsWrittenAndWritesUnderSy)
{
    // The first of a repeated element stands; the repeat is written after the values.
    const auto channel = readSy(u"Syn"_s,
                                u"<Syn:updateBase> 2000-01-01T12:00+00:00 </Syn:updateBase>"
                                u"<Syn:updatePeriod>hourly</Syn:updatePeriod>"
                                u"<Syn:updateFrequency>2</Syn:updateFrequency>"
                                u"<Syn:updatePeriod>daily</Syn:updatePeriod>"
                                u"<Syn:updateFrequency>3</Syn:updateFrequency>"_s);
    EXPECT_EQ(channel->fieldNames(),
              (QStringList {u"syn:updateperiod"_s, u"syn:updatefrequency"_s, u"syn:updatebase"_s}));
    EXPECT_EQ(channel->updateBase(), u"2000-01-01T12:00+00:00"_s);
    EXPECT_EQ(channel->buildXML(u"        "_s),
              u"        <sy:updatePeriod>hourly</sy:updatePeriod>\n"
              u"        <sy:updateFrequency>2</sy:updateFrequency>\n"
              u"        <sy:updateBase>2000-01-01T12:00+00:00</sy:updateBase>\n"
              u"        <sy:updatePeriod>daily</sy:updatePeriod>\n"
              u"        <sy:updateFrequency>3</sy:updateFrequency>\n"_s);
    channel->validate(nullptr);
    EXPECT_TRUE(entries(*channel).isEmpty());
    EXPECT_EQ(channel->updateBase(), u"2000-01-01T12:00:00+00:00"_s);
}

TEST(syChannel, WithoutABaseThereIsNoReferencePoint)
{
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
    syChannel empty;
    empty.populateWithDefaults(QString());
    empty.validate(nullptr);
    EXPECT_EQ(empty.buildXML(QString()), QString());
    EXPECT_TRUE(entries(empty).isEmpty());

    VLXPreferences::setObjectForKey(u"weekly"_s, u"FD_AF_FF_EX_SyndicationUpdatePeriod"_s);
    VLXPreferences::setObjectForKey(u"2"_s, u"FD_AF_FF_EX_SyndicationUpdateFrequency"_s);
    syChannel channel;
    channel.populateWithDefaults(QString());
    EXPECT_EQ(channel.updatePeriod(), u"weekly"_s);
    EXPECT_EQ(channel.updateFrequency(), u"2"_s);
    channel.validate(nullptr);
    EXPECT_EQ(entries(channel),
              QStringList {u"Validate Warning::Without a value for sy:updateBase, sy:updatePeriod "
                           u"and sy:updateFrequency don't have any reference point"_s});
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
}

TEST(syChannel, TheFrequencyFieldTakesDigitsOnly)
{
    for (const QString &good : {u""_s, u" "_s, u"0"_s, u"12"_s})
        EXPECT_TRUE(syChannel::validateUpdateFrequency(good, nullptr)) << qPrintable(good);
    VLXError error;
    EXPECT_FALSE(syChannel::validateUpdateFrequency(u"12 "_s, &error));
    EXPECT_EQ(error.code(), VLXError::kBadFormat);
    EXPECT_EQ(error.localizedDescription(),
              u"Syndication Update Frequency has an invalid character, only digits 0 through 9 "
              u"are allowed"_s);
    EXPECT_EQ(error.localizedFailureReason(), u"Syndication Update Frequency is invalid"_s);

    // Leaving the field: trimmed, and a word explained in an alert but kept.
    const auto alerts = ScriptedAlertService::install();
    const ExtensionField &row = syChannel::classDescriptor().field(syChannel::kFrequency);
    QString typed = u" 3 "_s;
    EXPECT_TRUE(FieldExtensionBase::leaveField(row, typed, nullptr));
    EXPECT_EQ(typed, u"3"_s);
    EXPECT_TRUE(alerts->alerts().isEmpty());
    typed = u"often"_s;
    EXPECT_TRUE(FieldExtensionBase::leaveField(row, typed, nullptr));
    EXPECT_EQ(typed, u"often"_s);
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().first().title, u"Syndication Update Frequency is invalid"_s);
}

TEST(syChannel, ReplaceAllNeverTouchesThePeriodAndTheTwinArchives)
{
    syChannel channel;
    channel.setUpdatePeriod(u"daily"_s);
    channel.setUpdateFrequency(u"1"_s);
    channel.setUpdateBase(u"2001-01-01T00:00:00+00:00"_s);
    EXPECT_EQ(channel.replaceAll(u"1"_s, u"2"_s, 0), 4);
    EXPECT_EQ(channel.updateFrequency(), u"2"_s);
    EXPECT_EQ(channel.updateBase(), u"2002-02-02T00:00:00+00:00"_s);
    EXPECT_EQ(channel.replaceAll(u"daily"_s, u"x"_s, 0), 0);

    auto twin = std::make_shared<syChannelPrefs>();
    twin->setUpdatePeriod(u"yearly"_s);
    QVariantMap coder;
    twin->encodeWithCoder(coder);
    EXPECT_EQ(coder.value(u"ChannelUpdatePeriod"_s), u"yearly"_s);
    const auto back
        = KeyedArchivable::objectAs<syChannelPrefs>(KeyedUnarchiver::unarchiveObjectWithData(
            KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(twin))));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->updatePeriod(), u"yearly"_s);
    EXPECT_FALSE(back->allowsUndo());
    EXPECT_EQ(syChannel::classDescriptionOfNamespace(), u"sy||%1||1||Syndication||"_s.arg(kSyURI));
}
