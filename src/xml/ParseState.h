#pragma once

#include "xml/DocumentTree.h"

#include <QByteArray>
#include <QString>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <vector>

class LiftedCData;

// What one parse needs beside libxml2's context: the tree being built, the first error, and a
// private document holding the stand-in declarations for undeclared references, so that the
// parsed document's own declarations stay as written.
struct ParseState
{
    xmlParserCtxtPtr mainContext = nullptr;
    DocumentTree *tree = nullptr;
    std::vector<quint32> open; // the document and the elements not yet closed
    QByteArray pendingText;
    // The contents of CDATA sections the text's source took out of what the parser reads.
    LiftedCData *lifted = nullptr;
    bool liftMismatch = false;
    bool tooLarge = false;
    bool outOfMemory = false;
    bool stoppedAtError = false; // the parse ended at a fatal error: the tree is not whole
    qint64 crowdedTagLine = 0; // where a start tag with too many attributes was found, from 1

    xmlDocPtr helperDoc = nullptr;
    bool haveError = false;
    const char *lastNamespace = nullptr;
    quint8 lastNamespaceNumber = 0;
    QString description;
    int line = 0;

    ~ParseState()
    {
        if (helperDoc)
            xmlFreeDoc(helperDoc);
    }

    quint32 addNode(quint8 kind, const char *text, std::size_t length)
    {
        if (tree->nodes.size() >= kNone - 1 || length >= kNone) {
            tooLarge = true;
            xmlStopParser(mainContext);
            return kNone;
        }
        const quint32 parent = open.back();
        const auto index = quint32(tree->nodes.size());
        tree->nodes.push_back(TreeNode {tree, text, quint32(length), parent, 0, 0, 0, 0, kind, 0},
                              index);
        ++tree->nodes[parent].childCount;
        return index;
    }

    // The number of an element's namespace URI (see TreeNode::ns). The parser hands every URI
    // over as its dictionary holds it, so one namespace comes as one pointer, whatever prefixes
    // declare it: it is found among the few of the document by the pointer alone.
    quint8 namespaceNumber(const char *uri)
    {
        if (!uri)
            return 0;
        if (uri == lastNamespace)
            return lastNamespaceNumber;
        std::vector<const char *> &known = tree->namespaces;
        const auto at = std::size_t(std::find(known.begin(), known.end(), uri) - known.begin());
        if (at == known.size()) {
            if (known.size() >= kManyNamespaces - 1)
                return kManyNamespaces;
            known.push_back(uri);
        }
        lastNamespace = uri;
        lastNamespaceNumber = quint8(at + 1);
        return lastNamespaceNumber;
    }

    quint32 addCopy(quint8 kind, const char *text, std::size_t length)
    {
        return addNode(kind, tree->text.store(text, length, tree->nodes.size()), length);
    }

    // The text gathered so far becomes a node: white space alone, or text.
    void flushText();

    // Makes this the builder of the context's document: its callbacks build the tree, and its
    // errors are recorded here.
    void attachTo(xmlParserCtxtPtr context);
    // The handler of the errors libxml2 raises without the context (encoding conversion among
    // them), to be set for the thread while the parse runs.
    static xmlStructuredErrorFunc errorHandler();
};
