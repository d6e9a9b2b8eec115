#include "editors/MessageOutlineModel.h"

#include "platform/ShownText.h"

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
    // Why a text was refused, in the colour of an error.
    {QLatin1StringView("Not Well-Formed"), QColor::fromRgbF(1.0f, 0.0f, 0.0f, 1.0f)},
    {QLatin1StringView("Bytes That Do Not Decode"), QColor::fromRgbF(1.0f, 0.0f, 0.0f, 1.0f)},
    {QLatin1StringView("Not a Feed"), QColor::fromRgbF(1.0f, 0.0f, 0.0f, 1.0f)},
};

qint64 rowsUnder(const MessageGroup &group)
{
    qint64 rows = group.entries().size();
    for (const MessageGroup::Member &member : group.entries()) {
        if (const auto *inner = std::get_if<MessageGroup>(&member))
            rows += rowsUnder(*inner);
    }
    return rows;
}
} // namespace

MessageOutlineModel::MessageOutlineModel(QObject *parent)
    : QAbstractItemModel(parent), m_top(std::make_unique<Holder>(Holder {&m_root, nullptr, 0, {}}))
{
}

MessageOutlineModel::~MessageOutlineModel() = default;

void MessageOutlineModel::setRoot(MessageGroup root)
{
    beginResetModel();
    m_top->groups.clear();
    m_root = std::move(root);
    endResetModel();
}

void MessageOutlineModel::setTree(const QVariantMap &dictionary)
{
    setRoot(MessageGroup::fromVariant(dictionary));
}

const MessageGroup::Member *MessageOutlineModel::memberAt(const QModelIndex &index) const
{
    if (!index.isValid())
        return nullptr;
    const auto *holder = static_cast<const Holder *>(index.internalPointer());
    const QList<MessageGroup::Member> &entries = holder->group->entries();
    return index.row() < entries.size() ? &entries.at(index.row()) : nullptr;
}

MessageOutlineModel::Holder *MessageOutlineModel::holderOf(const QModelIndex &index) const
{
    if (!index.isValid())
        return m_top.get();
    auto *holder = static_cast<Holder *>(index.internalPointer());
    const MessageGroup::Member *member = memberAt(index);
    const auto *group = member ? std::get_if<MessageGroup>(member) : nullptr;
    if (!group)
        return nullptr;
    if (holder->groups.empty())
        holder->groups.resize(size_t(holder->group->entries().size()));
    std::unique_ptr<Holder> &made = holder->groups[size_t(index.row())];
    if (!made)
        made = std::make_unique<Holder>(Holder {group, holder, index.row(), {}});
    return made.get();
}

QString MessageOutlineModel::nameOf(const QModelIndex &index) const
{
    const MessageGroup::Member *member = memberAt(index);
    if (!member)
        return {};
    if (const auto *text = std::get_if<QString>(member))
        return *text;
    return std::get<MessageGroup>(*member).title();
}

bool MessageOutlineModel::isGroup(const QModelIndex &index) const
{
    const MessageGroup::Member *member = memberAt(index);
    return member && std::holds_alternative<MessageGroup>(*member);
}

qint64 MessageOutlineModel::countOfRows(const QModelIndex &index) const
{
    if (!index.isValid())
        return rowsUnder(m_root);
    const MessageGroup::Member *member = memberAt(index);
    const auto *group = member ? std::get_if<MessageGroup>(member) : nullptr;
    return group ? rowsUnder(*group) : 0;
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

QString MessageOutlineModel::shownName(const QString &name)
{
    // The name is cut before the separator is replaced, so that a title of megabytes is never
    // copied whole; the row laid out is cut again, to the bound, once " - " made it longer.
    return ShownText::fitted(displayName(ShownText::fitted(name)));
}

QModelIndex MessageOutlineModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0 || parent.column() > 0)
        return {};
    Holder *holder = holderOf(parent);
    if (!holder || row >= holder->group->entries().size())
        return {};
    return createIndex(row, column, holder);
}

QModelIndex MessageOutlineModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    const auto *holder = static_cast<const Holder *>(child.internalPointer());
    if (!holder->parent)
        return {};
    return createIndex(holder->row, 0, holder->parent);
}

int MessageOutlineModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    if (!parent.isValid())
        return int(m_root.entries().size());
    const MessageGroup::Member *member = memberAt(parent);
    const auto *group = member ? std::get_if<MessageGroup>(member) : nullptr;
    return group ? int(group->entries().size()) : 0;
}

int MessageOutlineModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool MessageOutlineModel::hasChildren(const QModelIndex &parent) const
{
    // A node is expandable when it is a group, even an empty one.
    if (!parent.isValid())
        return !m_root.isEmpty();
    return isGroup(parent);
}

QVariant MessageOutlineModel::data(const QModelIndex &index, int role) const
{
    if (!memberAt(index))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return shownName(nameOf(index));
    case Qt::ForegroundRole: {
        const QColor colour = colourForName(nameOf(index));
        return colour.isValid() ? QVariant(colour) : QVariant();
    }
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
