// The RSS 1.0 and RSS 0.90 reader: channel, image and items stand side by side under the RDF
// root; most of their content belongs to the Dublin Core, syndication and content extensions.

#include "io/FeedFormat.h"
#include "io/VLXParseFeed.h"
#include "io/VLXReaderSupport.h"

#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "model/knownNamespaces.h"
#include "xml/vlxXMLDOM.h"

using namespace Qt::StringLiterals;
using namespace VLXReaderSupport;

namespace {

bool isRSSNamespace(const QString &uri)
{
    return knownNamespaces::sameAddress(uri, FeedFormat::kRSS10Namespace)
        || knownNamespaces::sameAddress(uri, FeedFormat::kRSS090Namespace);
}

// The name an element is read by: its lower-cased local name when it stands in the RSS 1.0 or
// 0.90 namespace under any prefix (or as the default namespace), its lower-cased name when it
// stands unprefixed in no namespace. Elements of any other namespace match no row.
QString rssName(const vlxXMLNode *node)
{
    const QString name = lowerName(node);
    if (vlxXMLDOM::namespaceNumberOfNode(node) == 0)
        return name.contains(u':') ? QString() : name;
    return isRSSNamespace(vlxXMLDOM::namespaceURIOfNode(node)) ? name.sliced(name.indexOf(u':') + 1)
                                                               : QString();
}

template<typename Read> void forEachRSSChild(const vlxXMLNode *node, Read &&read)
{
    forEachChild(node,
                 [&](const vlxXMLNode *child, const QString &) { read(child, rssName(child)); });
}

void readChannel(const vlxXMLDOM &dom, VLXFeed &feed, const vlxXMLNode *node)
{
    feed.addXMLComments(dom.arrayOfComments(node));
    forEachRSSChild(node, [&](const vlxXMLNode *child, const QString &name) {
        if (name == u"title")
            feed.setTitle(decoded(vlxXMLDOM::descriptionOfNode(child)));
        else if (name == u"link")
            feed.setLink(urlValue(vlxXMLDOM::descriptionOfNode(child)));
        else if (name == u"description")
            feed.setDescriptionElement(decodedHTML(vlxXMLDOM::descriptionOfNode(child)));
        else if (name == u"items")
            ; // the RDF list of the items, which follow as elements of their own
        else
            feed.XMLExtensions()->parseXMLNodeIfMine(child, feed);
    });
}

void readImage(const vlxXMLDOM &dom, VLXImage &image, const vlxXMLNode *node)
{
    image.addXMLComments(dom.arrayOfComments(node));
    forEachRSSChild(node, [&](const vlxXMLNode *child, const QString &name) {
        if (name == u"url")
            readImageURL(image, vlxXMLDOM::descriptionOfNode(child));
        else if (name == u"title")
            image.setTitle(decoded(vlxXMLDOM::descriptionOfNode(child)));
        else if (name == u"link")
            image.setLink(urlValue(vlxXMLDOM::descriptionOfNode(child)));
        else
            image.XMLExtensions()->parseXMLNodeIfMine(child, image);
    });
}

void readItem(const vlxXMLDOM &dom, VLXFeed &feed, const vlxXMLNode *node)
{
    auto item = std::make_shared<VLXItems>();
    item->XMLExtensions()->takeNamespacesOf(*feed.XMLExtensions());
    feed.addItem(item);
    item->addXMLComments(dom.arrayOfComments(node));
    forEachRSSChild(node, [&](const vlxXMLNode *child, const QString &name) {
        if (name == u"title")
            item->setTitle(decoded(vlxXMLDOM::descriptionOfNode(child)));
        else if (name == u"link")
            item->setLink(urlValue(vlxXMLDOM::descriptionOfNode(child)));
        else if (name == u"description")
            item->setDescriptionElement(decodedHTML(vlxXMLDOM::descriptionOfNode(child)).trimmed());
        else
            item->XMLExtensions()->parseXMLNodeIfMine(child, *item);
    });
}

} // namespace

int VLXParseFeed::parseRSS10(const QString &text)
{
    return readDocument(text, &VLXParseFeed::parseRDFDocument);
}

int VLXParseFeed::parseRSS09(const QString &text)
{
    return parseRSS10(text);
}

int VLXParseFeed::parseRDFDocument(vlxXMLDOM &dom, const QString &text,
                                   const vlxXMLNode *documentRoot)
{
    VLXFeed &feed = *m_newFeed;
    // Without its root the document holds no feed. Reporting that as a read would hand the
    // window an empty feed, and saving it would overwrite the user's file with nothing.
    const vlxXMLNode *root
        = openFeed(dom, feed, isRoot(documentRoot, u"RDF"), &rootNameSpaces, text);
    releaseText();
    if (!root)
        return refuse(noFeedRoot(dom, u"rdf:RDF"_s));

    bool channelFound = false;
    const bool read = forEachChildReleasing(dom, root, m_readingProgress,
                                            [&](const vlxXMLNode *child, const QString &) {
                                                const QString name = rssName(child);
                                                if (name == u"channel") {
                                                    readChannel(dom, feed, child);
                                                    channelFound = true;
                                                } else if (name == u"image") {
                                                    readImage(dom, *feed.image(), child);
                                                } else if (name == u"item") {
                                                    readItem(dom, feed, child);
                                                }
                                                // Anything else beside the channel (a textinput
                                                // among them) is not read.
                                            });
    if (!read)
        return Stopped;
    // Without a channel nothing was understood; an empty feed reported as read would overwrite
    // the user's file on the next save.
    if (!channelFound)
        return refuse(noChannel(vlxXMLDOM::nameOfNode(root)));

    // The RDF vocabulary, the RSS 1.0 elements under a prefix that no row of the reader takes
    // (the channel's resource references, like their unprefixed twins in the raw XML) and the
    // elements kept as raw XML during the walk have no place in the RSS 2.0 feed.
    QStringList dropped = {u"rdf"_s};
    for (const auto &listed : feed.XMLExtensions()->notWellSupportedArray()) {
        if (listed->DTDURL() == FeedFormat::kRDFNamespace || isRSSNamespace(listed->DTDURL()))
            dropped.append(listed->extensionName());
    }
    dropped.append(u"User Defined"_s);
    for (const QString &name : std::as_const(dropped)) {
        feed.XMLExtensions()->deleteExtensionNamed(name);
        feed.image()->XMLExtensions()->deleteExtensionNamed(name);
        for (int i = 0; i < feed.countOfItems(); ++i)
            feed.itemAtIndex(i)->XMLExtensions()->deleteExtensionNamed(name);
    }
    return Success;
}
