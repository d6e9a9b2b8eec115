// The RSS 0.91 to 2.0 reader.

#include "io/FeedFormat.h"
#include "io/VLXParseFeed.h"
#include "io/VLXReaderSupport.h"

#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "model/extensionNSRaw.h"
#include "settings/categoryElement.h"
#include "xml/KeptAttributes.h"
#include "xml/vlxXMLDOM.h"

using namespace Qt::StringLiterals;
using namespace VLXReaderSupport;

namespace {

const QStringList kDays = {u"sunday"_s,   u"monday"_s, u"tuesday"_s, u"wednesday"_s,
                           u"thursday"_s, u"friday"_s, u"saturday"_s};

// An optional sign and the leading digits; no digits reads as 0.
long long leadingInteger(const QString &text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 0x80; ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > 1000000)
            break; // far outside every hour; no need to read further
    }
    return negative ? -value : value;
}

void readSkipDays(VLXFeed &feed, const vlxXMLNode *node)
{
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const qsizetype day
            = kDays.indexOf(vlxXMLDOM::descriptionOfChildAtIndex(i, node).toLower());
        if (day >= 0)
            feed.setSkipDays(int(day), 1);
    }
}

void readSkipHours(VLXFeed &feed, const vlxXMLNode *node)
{
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        if (isSkipped(child))
            continue;
        const long long hour = leadingInteger(vlxXMLDOM::descriptionOfNode(child).trimmed());
        if (hour >= 0 && hour <= 23)
            feed.setSkipHours(int(hour), 1);
    }
}

void readCategory(QList<categoryElement> &into, const vlxXMLNode *node)
{
    categoryElement category;
    category.setCategoryString(decodedTrimmed(vlxXMLDOM::descriptionOfNode(node)));
    category.setCategoryDomainString(decodedTrimmed(vlxXMLDOM::attributeOfNode(node, u"domain"_s)));
    into.append(category);
}

void readTextInputField(VLXFeed &feed, const QString &name, const QString &raw)
{
    if (name == u"title")
        feed.setTextInputAttrTitle(decoded(raw));
    else if (name == u"description")
        feed.setTextInputAttrDescription(decoded(raw));
    else if (name == u"name")
        feed.setTextInputAttrName(decoded(raw));
    else if (name == u"link")
        feed.setTextInputAttrLink(urlValue(raw));
}

void readTextInput(VLXFeed &feed, const vlxXMLNode *node)
{
    for (const QString &attribute : {u"title"_s, u"description"_s, u"name"_s, u"link"_s})
        readTextInputField(feed, attribute, vlxXMLDOM::attributeOfNode(node, attribute));
    forEachChild(node, [&](const vlxXMLNode *child, const QString &name) {
        if (name == u"title" || name == u"description" || name == u"name" || name == u"link")
            readTextInputField(feed, name, vlxXMLDOM::descriptionOfNode(child));
        else
            feed.XMLExtensions()->parseXMLNodeIfMineTI(child, feed);
    });
}

void readImage(const vlxXMLDOM &dom, VLXFeed &feed, const vlxXMLNode *node)
{
    VLXImage &image = *feed.image();
    image.addXMLComments(dom.arrayOfComments(node));
    forEachChild(node, [&](const vlxXMLNode *child, const QString &name) {
        if (name == u"url") {
            readImageURL(image, vlxXMLDOM::descriptionOfNode(child));
        } else if (name == u"title") {
            image.setTitle(decoded(vlxXMLDOM::descriptionOfNode(child)));
        } else if (name == u"link") {
            image.setLink(urlValue(vlxXMLDOM::descriptionOfNode(child)));
        } else if (name == u"description") {
            image.setDescriptionElement(decoded(vlxXMLDOM::descriptionOfNode(child)));
        } else if (name == u"width") {
            image.setWidth(decodedTrimmed(vlxXMLDOM::descriptionOfNode(child)));
        } else if (name == u"height") {
            image.setHeight(decodedTrimmed(vlxXMLDOM::descriptionOfNode(child)));
        } else {
            image.XMLExtensions()->parseXMLNodeIfMine(child, image);
        }
    });
}

void readItem(const vlxXMLDOM &dom, VLXFeed &feed, const vlxXMLNode *node)
{
    auto item = std::make_shared<VLXItems>();
    item->XMLExtensions()->takeNamespacesOf(*feed.XMLExtensions());
    item->addXMLComments(dom.arrayOfComments(node));
    feed.addItem(item);
    QList<categoryElement> categories;
    forEachChild(node, [&](const vlxXMLNode *child, const QString &name) {
        if (name == u"title") {
            item->setTitle(decoded(vlxXMLDOM::descriptionOfNode(child)));
        } else if (name == u"link") {
            item->setLink(urlValue(vlxXMLDOM::descriptionOfNode(child)));
        } else if (name == u"description") {
            // Without a numeric reference to decode, the description is the element's bytes.
            QByteArray bytes = vlxXMLDOM::elementValueUTF8(child);
            if (bytes.contains("&#") || !item->holdDescriptionUTF8(std::move(bytes)))
                item->setDescriptionElement(decodedHTML(vlxXMLDOM::descriptionOfNode(child)));
        } else if (name == u"author") {
            item->setAuthor(decodedTrimmed(vlxXMLDOM::descriptionOfNode(child)));
        } else if (name == u"category") {
            readCategory(categories, child);
        } else if (name == u"comments") {
            item->setComments(urlValue(vlxXMLDOM::descriptionOfNode(child)));
        } else if (name == u"enclosure") {
            item->setEnclosureAttrURL(urlValue(vlxXMLDOM::attributeOfNode(child, u"url"_s)));
            item->setEnclosureAttrLength(
                decodedTrimmed(vlxXMLDOM::attributeOfNode(child, u"length"_s)));
            item->setEnclosureAttrType(
                decodedTrimmed(vlxXMLDOM::attributeOfNode(child, u"type"_s)));
        } else if (name == u"guid") {
            item->setGUID(decodedTrimmed(vlxXMLDOM::descriptionOfNode(child)));
            const QString perma
                = decodedTrimmed(vlxXMLDOM::attributeOfNode(child, u"isPermaLink"_s));
            item->setGUIDAttr(perma.isEmpty() || perma == u"true" ? 1 : 0);
        } else if (name == u"pubdate") {
            item->setPubDate(vlxXMLDOM::descriptionOfNode(child).trimmed());
        } else if (name == u"source") {
            item->setSource(decodedTrimmed(vlxXMLDOM::descriptionOfNode(child)));
            const QString url = urlValue(vlxXMLDOM::attributeOfNode(child, u"url"_s));
            item->setSourceAttr(
                url.isEmpty() ? urlValue(vlxXMLDOM::attributeOfNode(child, u"domain"_s)) : url);
        } else {
            item->XMLExtensions()->parseXMLNodeIfMine(child, *item);
        }
    });
    // Kept at their own size: the list lives as long as the item.
    categories.squeeze();
    if (item->category().isEmpty()) {
        item->setCategory(categories);
        return;
    }
    for (const categoryElement &category : std::as_const(categories))
        item->addCategory(category);
}

// One channel child; answers whether the child was one of the channel's own elements.
bool readChannelField(VLXFeed &feed, const QString &name, const vlxXMLNode *child,
                      QList<categoryElement> &categories)
{
    auto text = [&] { return vlxXMLDOM::descriptionOfNode(child); };
    auto attribute = [&](const char16_t *attr) {
        return decodedTrimmed(vlxXMLDOM::attributeOfNode(child, QString::fromUtf16(attr)));
    };
    if (name == u"title")
        feed.setTitle(decoded(text()));
    else if (name == u"link")
        feed.setLink(urlValue(text()));
    else if (name == u"description")
        feed.setDescriptionElement(decodedHTML(text()));
    else if (name == u"language")
        feed.setLanguage(decodedTrimmed(text()));
    else if (name == u"copyright")
        feed.setCopyright(decodedTrimmed(text()));
    else if (name == u"managingeditor")
        feed.setEditor(decodedTrimmed(text()));
    else if (name == u"webmaster")
        feed.setWebMaster(decodedTrimmed(text()));
    else if (name == u"pubdate")
        feed.setPubDate(text().trimmed());
    else if (name == u"lastbuilddate")
        feed.setLastBuildDate(text().trimmed());
    else if (name == u"category")
        readCategory(categories, child);
    else if (name == u"generator")
        ; // not read: the program writes its own
    else if (name == u"docs")
        feed.setDocs(urlValue(text()));
    else if (name == u"cloud") {
        feed.setCloudAttrDomain(attribute(u"domain"));
        feed.setCloudAttrPort(attribute(u"port"));
        feed.setCloudAttrPath(attribute(u"path"));
        feed.setCloudAttrRegProc(attribute(u"registerProcedure"));
        feed.setCloudAttrProtocol(attribute(u"protocol"));
    } else if (name == u"ttl")
        feed.setTTL(decodedTrimmed(text()));
    else if (name == u"rating")
        feed.setRating(decodedTrimmed(text()));
    else if (name == u"textinput")
        readTextInput(feed, child);
    else if (name == u"skipdays")
        readSkipDays(feed, child);
    else if (name == u"skiphours")
        readSkipHours(feed, child);
    else
        return false;
    return true;
}

// The elements under rss from one child position up to another, as the raw XML of an extension
// without a namespace of its own: written back under rss as they were, whatever they are.
QString keptRSSElements(VLXFeed &feed, const vlxXMLNode *rss, int from, int to)
{
    extensionNSRaw keeper;
    for (int i = from; i < to; ++i)
        keeper.keepUnreadElement(vlxXMLDOM::nodeAtIndex(i, rss), feed);
    return keeper.rawXML();
}

// The rss element's channel: its first child named so in its own namespace.
const vlxXMLNode *channelOf(const vlxXMLNode *rss)
{
    const int count = vlxXMLDOM::numberOfChildren(rss);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, rss);
        if (fieldName(child, rss) == u"channel" && vlxXMLDOM::nameOfNode(child) == u"channel")
            return child;
    }
    return nullptr;
}

int indexOfChild(const vlxXMLNode *child, const vlxXMLNode *parent)
{
    const int count = vlxXMLDOM::numberOfChildren(parent);
    for (int i = 0; i < count; ++i) {
        if (vlxXMLDOM::nodeAtIndex(i, parent) == child)
            return i;
    }
    return count;
}

} // namespace

int VLXParseFeed::parseRSS20(const QString &text)
{
    return readDocument(text, &VLXParseFeed::parseRSS20Document);
}

int VLXParseFeed::parseRSS20Document(vlxXMLDOM &dom, const QString &text, const vlxXMLNode *root)
{
    VLXFeed &feed = *m_newFeed;
    int result = ReadFailed;
    const vlxXMLNode *rss = openFeed(dom, feed, isRoot(root, u"rss"), &rootNameSpaces, text);
    releaseText();
    if (rss) {
        // The version is the writer's own; the namespace declarations are the extensions'.
        feed.setRSSAttributes(
            KeptAttributes::ofNode(rss, [](const QString &name) { return name == u"version"; }));
        const vlxXMLNode *channel = channelOf(rss);
        if (channel) {
            feed.addXMLComments(dom.arrayOfComments(channel));
            feed.setChannelAttributes(KeptAttributes::ofNode(channel, {}));
            // Read before the walk over the channel gives back the memory of what precedes it.
            const int channelAt = indexOfChild(channel, rss);
            feed.setRSSXMLBeforeChannel(keptRSSElements(feed, rss, 0, channelAt));
            QList<categoryElement> categories;
            const bool read = forEachChildReleasing(
                dom, channel, m_readingProgress, [&](const vlxXMLNode *child, const QString &name) {
                    if (readChannelField(feed, name, child, categories))
                        return;
                    if (name == u"image")
                        readImage(dom, feed, child);
                    else if (name == u"item")
                        readItem(dom, feed, child);
                    else
                        feed.XMLExtensions()->parseXMLNodeIfMine(child, feed);
                });
            if (!read)
                return Stopped;
            feed.setRSSXMLAfterChannel(
                keptRSSElements(feed, rss, channelAt + 1, vlxXMLDOM::numberOfChildren(rss)));
            for (const categoryElement &category : std::as_const(categories))
                feed.addCategory(category);
            result = Success;
        } else {
            result = refuse(noChannel(u"rss"_s));
        }
    } else {
        result = refuse(noFeedRoot(dom, u"rss"_s));
    }

    keepRawExtensionsEverywhere(feed);
    return result;
}

int VLXParseFeed::parseRSS20ChannelOnly(const QString &text)
{
    return readDocument(text, &VLXParseFeed::parseRSS20ChannelOnlyDocument);
}

int VLXParseFeed::parseRSS20ChannelOnlyDocument(vlxXMLDOM &dom, const QString &,
                                                const vlxXMLNode *root)
{
    VLXFeed &feed = *m_newFeed;
    const vlxXMLNode *rss = isRoot(root, u"rss");
    if (!rss)
        return refuse(noFeedRoot(dom, u"rss"_s));
    const vlxXMLNode *channel = channelOf(rss);
    if (!channel)
        return refuse(noChannel(u"rss"_s));
    feed.addXMLComments(dom.arrayOfComments(channel));
    QList<categoryElement> categories;
    forEachChild(channel, [&](const vlxXMLNode *child, const QString &name) {
        readChannelField(feed, name, child, categories);
    });
    for (const categoryElement &category : std::as_const(categories))
        feed.addCategory(category);
    return Success;
}
