// The RSS 1.0 and RSS 0.90 reader: channel, image and items stand side by side under the RDF
// root; most of their content belongs to the Dublin Core, syndication and content extensions.

#include "io/VLXParseFeed.h"
#include "io/VLXReaderSupport.h"

#include "io/vlxXMLDOM.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"

using namespace Qt::StringLiterals;
using namespace VLXReaderSupport;

namespace {

void readChannel(const vlxXMLDOM &dom, VLXFeed &feed, const vlxXMLNode *node)
{
    feed.addXMLComments(dom.arrayOfComments(node));
    forEachChild(node, [&](const vlxXMLNode *child, const QString &name) {
        if (name == u"title")
            feed.setTitle(decoded(vlxXMLDOM::descriptionOfNode(child)));
        else if (name == u"link")
            feed.setLink(urlValue(vlxXMLDOM::descriptionOfNode(child)));
        else if (name == u"description")
            feed.setDescriptionElement(decoded(vlxXMLDOM::descriptionOfNode(child)));
        else if (name == u"items")
            ; // the RDF list of the items, which follow as elements of their own
        else
            feed.XMLExtensions()->parseXMLNodeIfMine(child, feed);
    });
}

void readImage(const vlxXMLDOM &dom, VLXImage &image, const vlxXMLNode *node)
{
    image.addXMLComments(dom.arrayOfComments(node));
    forEachChild(node, [&](const vlxXMLNode *child, const QString &name) {
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
    item->XMLExtensions()->createExtensionsFromArray(
        feed.XMLExtensions()->arrayOfNamespaceDelecrations());
    feed.addItem(item);
    item->addXMLComments(dom.arrayOfComments(node));
    forEachChild(node, [&](const vlxXMLNode *child, const QString &name) {
        if (name == u"title")
            item->setTitle(decoded(vlxXMLDOM::descriptionOfNode(child)));
        else if (name == u"link")
            item->setLink(urlValue(vlxXMLDOM::descriptionOfNode(child)));
        else if (name == u"description")
            item->setDescriptionElement(decodedTrimmed(vlxXMLDOM::descriptionOfNode(child)));
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

int VLXParseFeed::parseRDFDocument(vlxXMLDOM &dom, const QString &text)
{
    VLXFeed &feed = *m_newFeed;
    // Without its root the document holds no feed. Reporting that as a read would hand the
    // window an empty feed, and saving it would overwrite the user's file with nothing.
    const vlxXMLNode *root = openFeed(dom, feed, u"rdf:RDF"_s, &RDFNameSpaces, text);
    if (!root)
        return ReadFailed;

    forEachChildReleasing(dom, root, [&](const vlxXMLNode *child, const QString &name) {
        if (name == u"channel")
            readChannel(dom, feed, child);
        else if (name == u"image")
            readImage(dom, *feed.image(), child);
        else if (name == u"item")
            readItem(dom, feed, child);
        // Anything else beside the channel (a textinput among them) is not read.
    });

    // The RDF vocabulary itself and the elements kept as raw XML during the walk (the channel's
    // resource references among them) have no place in the RSS 2.0 feed.
    for (const QString &name : { u"rdf"_s, u"User Defined"_s }) {
        feed.XMLExtensions()->deleteExtensionNamed(name);
        feed.image()->XMLExtensions()->deleteExtensionNamed(name);
        for (int i = 0; i < feed.countOfItems(); ++i)
            feed.itemAtIndex(i)->XMLExtensions()->deleteExtensionNamed(name);
    }
    return Success;
}
