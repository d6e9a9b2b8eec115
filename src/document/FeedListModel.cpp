#include "document/FeedListModel.h"

#include "platform/DefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QDir>
#include <QUrl>

const QString FeedListModel::kFeedListKey = QStringLiteral("feedListKey");

FeedListModel::FeedListModel(QObject *parent) : QAbstractListModel(parent) { }

int FeedListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant FeedListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !isRow(index.row()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return displayText(index.row());
    return {};
}

QString FeedListModel::displayText(int row) const
{
    if (!isRow(row))
        return {};
    const FeedListEntry &entry = m_entries[row];
    if (VLXPreferences::objectForKey(QStringLiteral("M_HidePath")).toInt() != 0)
        return entry.fileName;
    if (entry.isRemote())
        return entry.url;
    const QString path = entry.localPath();
    if (path.isEmpty())
        return entry.fileName;
    const QString home = QDir::homePath();
    if (path == home || path.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

int FeedListModel::rowOf(const QString &uniqueIdentifier) const
{
    if (uniqueIdentifier.isEmpty())
        return -1;
    for (int row = 0; row < m_entries.size(); ++row) {
        if (m_entries[row].uniqueIdentifier == uniqueIdentifier)
            return row;
    }
    return -1;
}

int FeedListModel::rowOfURL(const QString &url) const
{
    for (int row = 0; row < m_entries.size(); ++row) {
        if (m_entries[row].url == url)
            return row;
    }
    return -1;
}

QList<QVariantMap> FeedListModel::toMaps() const
{
    QList<QVariantMap> maps;
    maps.reserve(m_entries.size());
    for (const FeedListEntry &entry : m_entries)
        maps << entry.toMap();
    return maps;
}

void FeedListModel::load(DefaultsStore &store)
{
    beginResetModel();
    m_entries.clear();
    for (const QVariant &value : store.array(kFeedListKey).value_or(QVariantList())) {
        const QVariantMap map = value.toMap();
        if (map.isEmpty() || map.value(FeedListEntry::kTransient).toInt() == 1)
            continue;
        m_entries << FeedListEntry::fromMap(map);
    }
    endResetModel();
    // Settings stored by an older version are brought up to date before anything reads them.
    for (const FeedListEntry &entry : std::as_const(m_entries))
        VLXPreferences::checkVersion(entry.uniqueIdentifier);
}

bool FeedListModel::save(DefaultsStore &store, QString *problem) const
{
    QVariantList stored;
    for (const FeedListEntry &entry : m_entries)
        stored << entry.toMap();
    store.setObject(stored, kFeedListKey);
    return store.sync(problem);
}

void FeedListModel::prepend(const FeedListEntry &entry)
{
    beginInsertRows({}, 0, 0);
    m_entries.prepend(entry);
    endInsertRows();
    VLXPreferences::checkVersion(entry.uniqueIdentifier);
}

void FeedListModel::update(const FeedListEntry &entry)
{
    const int row = rowOf(entry.uniqueIdentifier);
    if (row < 0) {
        prepend(entry);
        return;
    }
    m_entries[row] = entry;
    emit dataChanged(index(row), index(row));
}

void FeedListModel::removeAt(int row)
{
    if (!isRow(row))
        return;
    beginRemoveRows({}, row, row);
    m_entries.removeAt(row);
    endRemoveRows();
}

int FeedListModel::removeURL(const QString &url)
{
    int removed = 0;
    for (int row = int(m_entries.size()) - 1; row >= 0; --row) {
        if (m_entries[row].url == url) {
            removeAt(row);
            ++removed;
        }
    }
    return removed;
}

void FeedListModel::move(int from, int to)
{
    if (!isRow(from) || !isRow(to) || from == to)
        return;
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    m_entries.move(from, to);
    endMoveRows();
}
