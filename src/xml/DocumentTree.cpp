#include "xml/DocumentTree.h"

#include <QStringDecoder>

// The runs are in the order of their parents. Nodes are stored in document order, so one pass in
// that order fills each run in order.
void layOutChildren(DocumentTree &tree)
{
    const quint32 count = tree.nodes.size();
    tree.childSlots.resize(count ? count - 1 : 0);
    std::vector<quint32> cursor(count);
    quint32 offset = 0;
    for (quint32 i = 0; i < count; ++i) {
        tree.nodes[i].firstChild = offset;
        cursor[i] = offset;
        offset += tree.nodes[i].childCount;
    }
    for (quint32 i = 1; i < count; ++i)
        tree.childSlots[cursor[tree.nodes[i].parent]++] = i;
    tree.childSlots.setOwners(
        [&](quint32 slot) { return tree.nodes[tree.childSlots[slot]].parent; });
}

QString utf8Text(QByteArrayView bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::ConvertInitialBom
                               | QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}
