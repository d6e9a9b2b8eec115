#pragma once

#include "extensions/mrss/mrssOptionalElements.h"
#include "model/extensionNSRaw.h"
#include "xml/vlxXMLDOM.h"

#include <QStringList>
#include <gtest/gtest.h>

inline const QString kMediaURI = QStringLiteral("http://search.yahoo.com/mrss/");

// A document whose root declares the Media RSS namespace under the prefix given.
inline QString mediaDocument(const QString &prefix, const QString &elements)
{
    return QStringLiteral("<?xml version=\"1.0\"?><r xmlns:%1=\"%2\">%3</r>")
        .arg(prefix, kMediaURI, elements);
}

// Hands each element under the root to the extension, as its manager does while reading.
inline void readElements(extensionNSRaw &extension, const QString &prefix, const QString &elements)
{
    extension.setExtensionProcessingName(prefix);
    const vlxXMLDOM dom(mediaDocument(prefix, elements));
    const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("r"), vlxXMLDOM::Element, nullptr);
    ASSERT_TRUE(root) << qPrintable(elements);
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(root); ++i)
        extension.parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, root));
}

// The element-name list a document with that prefix gives the sets.
inline QStringList mediaFieldNames(const QString &prefix)
{
    QStringList names;
    for (const char *element : mrssOptionalElements::elementNames())
        names.append(prefix.toLower() + u':' + QLatin1String(element));
    return names;
}

// A set read from elements under the prefix given.
inline mrssOptionalElements readSet(const QString &elements,
                                    const QString &prefix = QStringLiteral("media"))
{
    mrssOptionalElements set;
    const vlxXMLDOM dom(mediaDocument(prefix, elements));
    const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("r"), vlxXMLDOM::Element, nullptr);
    EXPECT_TRUE(root) << qPrintable(elements);
    const QStringList names = mediaFieldNames(prefix);
    for (int i = 0; root && i < vlxXMLDOM::numberOfChildren(root); ++i)
        set.parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, root), names);
    return set;
}

// An element dictionary of a kind with the given keys.
inline QVariantMap element(int kind,
                           std::initializer_list<std::pair<const char *, const char *>> keys)
{
    QVariantMap map;
    map.insert(mrssOptionalElements::kTypeKey, kind);
    for (const auto &[key, value] : keys)
        map.insert(QLatin1String(key), QString::fromUtf8(value));
    return map;
}
