#pragma once

#include "model/extensionNSRaw.h"
#include "xml/vlxXMLDOM.h"

#include <QStringList>
#include <gtest/gtest.h>

inline const QString kDCURI = QStringLiteral("http://purl.org/dc/elements/1.1/");

// Hands the elements to the extension as its manager does while a feed is read, the document
// declaring the namespace under the prefix given.
inline void readDCElements(extensionNSRaw &extension, const QString &prefix,
                           const QString &elements)
{
    extension.setExtensionProcessingName(prefix);
    extension.setDTDURL(kDCURI);
    const vlxXMLDOM dom(QStringLiteral("<?xml version=\"1.0\"?><r xmlns:%1=\"%2\">%3</r>")
                            .arg(prefix, kDCURI, elements));
    const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("r"), vlxXMLDOM::Element, nullptr);
    ASSERT_TRUE(root) << qPrintable(elements);
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(root); ++i)
        extension.parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, root));
}
