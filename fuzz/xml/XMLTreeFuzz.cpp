// Feeds arbitrary bytes to the XML tree layer: parsing from bytes and from text, every reading
// operation on every node, and writing. Writing a parsed document and parsing the result again
// must succeed and give the same text, which catches escaping faults as well as crashes.
//   build-fuzz/fuzz/xml/fuzz_xml_tree -max_len=65536 fuzz/xml/corpus
#include "xml/vlxXMLDOM.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

void readEverything(const vlxXMLDOM &dom, const vlxXMLNode *node, int depth)
{
    const int count = vlxXMLDOM::numberOfChildren(node);
    check(vlxXMLDOM::nodeAtIndex(count, node) == nullptr, "index past the end gives none");
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        check(child != nullptr, "every index below the count gives a node");
        check(vlxXMLDOM::parentOfNode(child) == node, "parent of a child");
        const int kind = vlxXMLDOM::kindOfNode(child);
        check(kind != vlxXMLDOM::NoNode && kind != vlxXMLDOM::Document, "child kind");
        const QString name = vlxXMLDOM::nameOfChildAtIndex(i, node);
        check(name == vlxXMLDOM::nameOfNode(child), "name by index");
        vlxXMLDOM::descriptionOfChildAtIndex(i, node);
        vlxXMLDOM::numberOfChildrenAtIndex(i, node);
        vlxXMLDOM::numberOfChildNodesAtIndex(i, node);
        vlxXMLDOM::dataOfNode(child);
        for (const QString &attribute : vlxXMLDOM::attributeNamesOfNode(child))
            vlxXMLDOM::attributeOfChildAtIndex(i, attribute, node);
        if (kind == vlxXMLDOM::Element) {
            check(dom.nodeNamed(name, vlxXMLDOM::Element, node) != nullptr, "nodeNamed finds it");
            dom.arrayOfComments(child);
            if (depth < 3)
                vlxXMLDOM::xmlDataOfNode(child);
            readEverything(dom, child, depth + 1);
        }
    }
}

void exercise(const vlxXMLDOM &dom)
{
    if (!dom.xmlTree()) {
        check(!dom.errorDescription().isEmpty(), "a failure always has a description");
        return;
    }
    readEverything(dom, dom.xmlTree(), 0);
    dom.arrayOfComments(nullptr);
    dom.stringXMLStyleSheet();
    dom.stringXMLStyleSheetCSS();

    const QByteArray written = dom.xmlData();
    const vlxXMLDOM again(written);
    check(again.xmlTree() != nullptr, "a written document parses again");
    check(again.xmlData() == written, "writing is stable");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    exercise(vlxXMLDOM(bytes));

    const QString text = QString::fromUtf8(bytes);
    exercise(vlxXMLDOM(text));
    vlxXMLDOM::decodeAmpEntities(text);
    vlxXMLDOM::convertEncodingIdToUTF8(text);
    vlxXMLDOM::resolveReference(text.left(40));
    return 0;
}
