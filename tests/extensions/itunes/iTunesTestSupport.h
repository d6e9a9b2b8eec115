#pragma once

#include "model/extensionNSRaw.h"
#include "xml/vlxXMLDOM.h"

#include <QStringList>
#include <gtest/gtest.h>

inline const QString kITunesURI = QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd");

// Hands the elements to the extension as its manager does while a feed is read: the document
// declares the namespace under the prefix given (in its case and in lower case) and under
// "itunes".
inline void readElements(extensionNSRaw &extension, const QString &prefix, const QString &elements)
{
    extension.setExtensionProcessingName(prefix);
    extension.setDTDURL(kITunesURI);
    QStringList prefixes {prefix, prefix.toLower(), QStringLiteral("itunes")};
    prefixes.removeDuplicates();
    QString declarations;
    for (const QString &declared : prefixes)
        declarations += QStringLiteral(" xmlns:%1=\"%2\"").arg(declared, kITunesURI);
    const vlxXMLDOM dom(
        QStringLiteral("<?xml version=\"1.0\"?><r%1>%2</r>").arg(declarations, elements));
    const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("r"), vlxXMLDOM::Element, nullptr);
    ASSERT_TRUE(root) << qPrintable(elements);
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(root); ++i)
        extension.parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, root));
}
