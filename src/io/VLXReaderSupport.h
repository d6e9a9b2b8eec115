#pragma once

#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <QString>
#include <QStringList>

#include <functional>

// Small steps shared by the feed readers: which children to skip, how element names are
// matched, and how a value is cleaned before it is stored.
namespace VLXReaderSupport {

// Comments and white space between elements are never handed on.
inline bool isSkipped(const vlxXMLNode *node)
{
    const int kind = vlxXMLDOM::kindOfNode(node);
    return kind == vlxXMLDOM::NoNode || kind == vlxXMLDOM::Comment
        || kind == vlxXMLDOM::Whitespace;
}

// The lower-cased name of an element; "" for any other node, so stray text never matches an
// element row and goes to the extension managers like any unknown node.
inline QString lowerName(const vlxXMLNode *node)
{
    return vlxXMLDOM::lowerNameOfElement(node);
}

// The name a child is read by as one of its parent's fields: its lower-cased local name when it
// stands in the parent's namespace (an RSS element in none, an Atom element in Atom's), "" for
// anything else. An element of another namespace is that namespace's whatever its name (an Atom
// self link is no channel link, <title xmlns="urn:x"> no item title), and a name under a prefix
// bound nowhere is no field either.
inline QString fieldName(const vlxXMLNode *child, const vlxXMLNode *parent)
{
    if (!vlxXMLDOM::inSameNamespace(child, parent))
        return QString();
    QString name = lowerName(child);
    const qsizetype colon = name.indexOf(u':');
    if (colon < 0)
        return name;
    return vlxXMLDOM::namespaceNumberOfNode(child) == 0 ? QString() : name.sliced(colon + 1);
}

// Hands every child of node that is not skipped to read(child, fieldName(child, node)), in
// order.
template <typename Read>
void forEachChild(const vlxXMLNode *node, Read &&read)
{
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        if (!isSkipped(child))
            read(child, fieldName(child, node));
    }
}

// forEachChild for the long run of a feed's items or entries: once a child is read, the tree
// gives back the memory of everything before the next one, so a large feed never holds its
// whole tree and its whole model at once. Only for a walk after which nothing that comes before
// node's last child (node and its ancestors apart) is read again.
// After each child, progress (when set) is told how many of the children are read; when it
// answers false the walk stops there and answers false.
template <typename Read>
bool forEachChildReleasing(vlxXMLDOM &dom, const vlxXMLNode *node,
                           const std::function<bool(int, int)> &progress, Read &&read)
{
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        if (!isSkipped(child))
            read(child, fieldName(child, node));
        dom.releaseBeforeChild(i + 1, node);
        if (progress && !progress(i + 1, count))
            return false;
    }
    return true;
}

// The channel takes on the namespaces the document declares, and the image the channel's (a
// namespace declared under another address it is known by is read, and its repair told, once);
// namespaces the program has not met before are remembered in the preferences.
inline void adoptNameSpaces(VLXFeed &feed, const QStringList &declarations)
{
    feed.XMLExtensions()->createExtensionsFromArray(declarations);
    feed.image()->XMLExtensions()->createExtensionsFromArray(
        feed.XMLExtensions()->arrayOfNamespaceDelecrations());
    VLXPreferences::addMissingXMLNamespaces(feed.XMLExtensions()->arrayOfExtensionDescriptions());
}

// Frame steps every reader takes first: the style sheets and the comments before the root,
// then, when the document has its root, the root's comments and the namespaces declarationsOf
// finds in source. Answers the root, or nullptr when the document has none.
inline const vlxXMLNode *openFeed(const vlxXMLDOM &dom, VLXFeed &feed, const vlxXMLNode *root,
                                  QStringList (*declarationsOf)(const QString &),
                                  const QString &source)
{
    feed.setStyleSheet(dom.stringXMLStyleSheet());
    feed.setStyleSheetCSS(dom.stringXMLStyleSheetCSS());
    feed.addXMLComments(dom.arrayOfComments(nullptr));
    if (!root)
        return nullptr;
    feed.addXMLComments(dom.arrayOfComments(root));
    adoptNameSpaces(feed, declarationsOf(source));
    return root;
}

// The document's root element when its local name (after any prefix) is `local`, else nullptr:
// a reader takes the root its format names, whatever prefix binds it.
inline const vlxXMLNode *isRoot(const vlxXMLNode *root, QStringView local)
{
    if (!root)
        return nullptr;
    const QString name = vlxXMLDOM::nameOfNode(root);
    return QStringView(name).sliced(name.lastIndexOf(u':') + 1) == local ? root : nullptr;
}

// Elements kept as raw XML anywhere make every part of the feed keep its raw extension, so that
// they are all written back and the feed read again has the same parts.
inline void keepRawExtensionsEverywhere(VLXFeed &feed)
{
    bool rawUsed = feed.XMLExtensions()->unknownExtensionUsed()
        || feed.image()->XMLExtensions()->unknownExtensionUsed();
    for (int i = 0; !rawUsed && i < feed.countOfItems(); ++i)
        rawUsed = feed.itemAtIndex(i)->XMLExtensions()->unknownExtensionUsed();
    if (!rawUsed)
        return;
    feed.XMLExtensions()->setUnknownExtensionUsed(true);
    feed.image()->XMLExtensions()->setUnknownExtensionUsed(true);
    for (int i = 0; i < feed.countOfItems(); ++i)
        feed.itemAtIndex(i)->XMLExtensions()->setUnknownExtensionUsed(true);
}

// Numeric references that came through escaped become characters.
inline QString decoded(const QString &raw)
{
    return VLXLogic::decodeNumericEncodedCharacters(raw);
}

// The same for a field holding HTML (a channel's or item's description), where references to
// markup characters stay references.
inline QString decodedHTML(const QString &raw)
{
    return VLXLogic::decodeNumericEncodedCharactersInHTML(raw);
}

inline QString decodedTrimmed(const QString &raw)
{
    return decoded(raw).trimmed();
}

inline QString urlValue(const QString &raw)
{
    return VLXLogic::unescapeURLString(decoded(raw)).trimmed();
}

// An image "url" element: the URL held before becomes the old URL, and the file name follows
// the new URL's last path component.
inline void readImageURL(VLXImage &image, const QString &raw)
{
    const QString previous = image.URL();
    image.setOldURL(previous);
    const QString url = urlValue(raw);
    image.setURL(url);
    QString path = url;
    const qsizetype query = path.indexOf(u'?');
    if (query >= 0)
        path.truncate(query);
    while (path.endsWith(u'/') && path.size() > 1)
        path.chop(1);
    image.setImageFilename(path.mid(path.lastIndexOf(u'/') + 1));
}

} // namespace VLXReaderSupport
