#include "common/PodcastFeed.h"

#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"

namespace PodcastFeed {

// A podcast episode as real feeds carry them: HTML in the description (escaped when written),
// an enclosure, a guid, a date and a category.
std::shared_ptr<VLXItems> episode(int i, int descriptionRepeats)
{
    auto item = std::make_shared<VLXItems>();
    item->setTitle(QStringLiteral("Episode %1: Tom & Jerry's \"best\" moments").arg(i));
    QString description;
    for (int r = 0; r < descriptionRepeats; ++r)
        description += QStringLiteral("<p>In this episode we talk about feeds, enclosures and "
                                      "the <a href=\"http://example.com/%1\">show notes</a>; "
                                      "listeners wrote in with questions.</p>\n")
                           .arg(i);
    item->setDescriptionElement(description);
    item->setLink(
        QStringLiteral("http://example.com/episodes/%1?utm_source=feed&utm_medium=rss").arg(i));
    item->setAuthor(QStringLiteral("host@example.com (The Host)"));
    categoryElement category;
    category.setCategoryString(QStringLiteral("Technology"));
    item->setCategory({category});
    item->setEnclosureAttrURL(QStringLiteral("http://media.example.com/episodes/%1.mp3").arg(i));
    item->setEnclosureAttrLength(QString::number(20000000 + i));
    item->setEnclosureAttrType(QStringLiteral("audio/mpeg"));
    item->setGUID(QStringLiteral("http://example.com/episodes/%1").arg(i));
    item->setGUIDAttr(1);
    item->setPubDate(
        QStringLiteral("Mon, 02 Mar 2026 09:%1:00 +0000").arg(i % 60, 2, 10, QLatin1Char('0')));
    return item;
}

std::unique_ptr<VLXFeed> podcast(int items, int descriptionRepeats)
{
    auto feed = std::make_unique<VLXFeed>();
    feed->setTitle(QStringLiteral("The Example Show"));
    feed->setDescriptionElement(QStringLiteral("A weekly show about examples."));
    feed->setLink(QStringLiteral("http://example.com/"));
    feed->setLanguage(QStringLiteral("en-us"));
    feed->setCopyright(QStringLiteral("(c) 2026 Example & Co"));
    feed->image()->setURL(QStringLiteral("http://example.com/logo.png"));
    feed->image()->setTitle(QStringLiteral("The Example Show"));
    feed->image()->setLink(QStringLiteral("http://example.com/"));
    for (int i = 0; i < items; ++i)
        feed->addItem(episode(i, descriptionRepeats));
    return feed;
}

} // namespace PodcastFeed
