#pragma once

#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <QList>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

// Shared by the extension framework's tests: fresh in-memory settings for every test, and the
// element children of a parsed document's root in document order.
class ExtensionTest : public ::testing::Test
{
protected:
    void SetUp() override { VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>()); }

    // Parses the text and answers the root element's element children (the DOM is kept alive by
    // the fixture until the test ends).
    QList<const vlxXMLNode *> elements(const QString &xml)
    {
        m_doms.push_back(std::make_unique<vlxXMLDOM>(xml));
        const vlxXMLDOM &dom = *m_doms.back();
        QList<const vlxXMLNode *> list;
        const vlxXMLNode *root = nullptr;
        for (int i = 0; i < vlxXMLDOM::numberOfChildren(dom.xmlTree()); ++i) {
            const vlxXMLNode *node = vlxXMLDOM::nodeAtIndex(i, dom.xmlTree());
            if (vlxXMLDOM::kindOfNode(node) == vlxXMLDOM::Element)
                root = node;
        }
        for (int i = 0; i < vlxXMLDOM::numberOfChildren(root); ++i) {
            const vlxXMLNode *node = vlxXMLDOM::nodeAtIndex(i, root);
            if (vlxXMLDOM::kindOfNode(node) == vlxXMLDOM::Element)
                list.append(node);
        }
        return list;
    }
    // All children of the root, of every kind.
    QList<const vlxXMLNode *> children(const QString &xml)
    {
        m_doms.push_back(std::make_unique<vlxXMLDOM>(xml));
        const vlxXMLDOM &dom = *m_doms.back();
        const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("rss"), vlxXMLDOM::Element, nullptr);
        QList<const vlxXMLNode *> list;
        for (int i = 0; i < vlxXMLDOM::numberOfChildren(root); ++i)
            list.append(vlxXMLDOM::nodeAtIndex(i, root));
        return list;
    }

private:
    std::vector<std::unique_ptr<vlxXMLDOM>> m_doms;
};
