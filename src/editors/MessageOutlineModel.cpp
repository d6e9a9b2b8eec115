#include "editors/MessageOutlineModel.h"

#include "ui/SimpleNodeData.h"
#include "ui/SimpleTreeNode.h"

#include <QColor>

const QString MessageOutlineModel::kNameColumn = QStringLiteral("NameColumn");

namespace {
const QString kSeparator = QStringLiteral("::");

struct KindColour
{
    QLatin1StringView kind;
    QColor colour;
};

const KindColour kKindColours[] = {
    {QLatin1StringView("Automatic Repair"), QColor::fromRgbF(0.0f, 0.5f, 0.0f, 1.0f)},
    {QLatin1StringView("Validate Error"), QColor::fromRgbF(1.0f, 0.0f, 0.0f, 1.0f)},
    {QLatin1StringView("Validate Warning"), QColor::fromRgbF(1.0f, 0.5f, 0.0f, 1.0f)},
};
} // namespace

MessageOutlineModel::MessageOutlineModel(QObject *parent) : QAbstractItemModel(parent) { }

MessageOutlineModel::~MessageOutlineModel() = default;

void MessageOutlineModel::setTree(const QVariantMap &dictionary)
{
    beginResetModel();
    m_root = SimpleTreeNode::treeFromDictionary(dictionary);
    m_rows.clear();
    indexRows(m_root.get());
    endResetModel();
}

void MessageOutlineModel::indexRows(const TreeNode *node)
{
    const qsizetype count = node->numberOfChildren();
    for (qsizetype i = 0; i < count; ++i) {
        const TreeNode *child = node->childAtIndex(i).get();
        m_rows.insert(child, int(i));
        indexRows(child);
    }
}

std::shared_ptr<SimpleNodeData> MessageOutlineModel::dataOf(const TreeNode *node)
{
    return node ? std::dynamic_pointer_cast<SimpleNodeData>(node->nodeData()) : nullptr;
}

QColor MessageOutlineModel::colourForName(const QString &name)
{
    const qsizetype separator = name.indexOf(kSeparator);
    if (separator < 0)
        return QColor();
    const QStringView kind = QStringView(name).left(separator);
    for (const KindColour &entry : kKindColours) {
        if (kind == entry.kind)
            return entry.colour;
    }
    return QColor();
}

QString MessageOutlineModel::displayName(const QString &name)
{
    const qsizetype separator = name.indexOf(kSeparator);
    if (separator < 0)
        return name;
    return name.left(separator) + QStringLiteral(" - ") + name.mid(separator + kSeparator.size());
}

TreeNode *MessageOutlineModel::nodeForIndex(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<TreeNode *>(index.internalPointer()) : nullptr;
}

TreeNode *MessageOutlineModel::nodeOrRoot(const QModelIndex &index) const
{
    return index.isValid() ? nodeForIndex(index) : m_root.get();
}

QModelIndex MessageOutlineModel::index(int row, int column, const QModelIndex &parent) const
{
    const TreeNode *node = nodeOrRoot(parent);
    if (!node || column != 0 || row < 0 || row >= node->numberOfChildren())
        return {};
    return createIndex(row, column, node->childAtIndex(row).get());
}

QModelIndex MessageOutlineModel::parent(const QModelIndex &child) const
{
    const TreeNode *node = nodeForIndex(child);
    TreeNode *parentNode = node ? node->nodeParent() : nullptr;
    if (!parentNode || parentNode == m_root.get())
        return {};
    return createIndex(m_rows.value(parentNode), 0, parentNode);
}

int MessageOutlineModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    const TreeNode *node = nodeOrRoot(parent);
    return node ? int(node->numberOfChildren()) : 0;
}

int MessageOutlineModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool MessageOutlineModel::hasChildren(const QModelIndex &parent) const
{
    // A node is expandable when its data is a group, even an empty one.
    if (!parent.isValid())
        return m_root && m_root->numberOfChildren() > 0;
    const auto data = dataOf(nodeForIndex(parent));
    return data && data->isGroup();
}

QVariant MessageOutlineModel::data(const QModelIndex &index, int role) const
{
    const auto data = dataOf(nodeForIndex(index));
    if (!data)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return displayName(data->name());
    case Qt::ForegroundRole: {
        const QColor colour = colourForName(data->name());
        return colour.isValid() ? QVariant(colour) : QVariant();
    }
    case Qt::ToolTipRole:
        return displayName(data->name());
    default:
        return {};
    }
}

QVariant MessageOutlineModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return kNameColumn;
    return {};
}
