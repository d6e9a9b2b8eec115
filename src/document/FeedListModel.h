#pragma once

#include "document/FeedListEntry.h"

#include <QAbstractListModel>
#include <QList>

class DefaultsStore;

// The user's feed list: one row per entry, in display order (new entries go to the top). A row
// shows the feed's path (tilde for the home folder) or its web address, or only its file name
// when the setting "M_HidePath" is on.
//
// The list is stored unchanged under "feedListKey"; entries of feeds without a file of the
// user's (new or fetched) are stored too, and dropped when the list is read back.
class FeedListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    static const QString kFeedListKey; // "feedListKey"

    explicit FeedListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // The text a row shows.
    QString displayText(int row) const;

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const QList<FeedListEntry> &entries() const { return m_entries; }
    const FeedListEntry &entry(int row) const { return m_entries.at(row); }
    bool isRow(int row) const { return row >= 0 && row < m_entries.size(); }
    // The row of the entry with the identifier, -1 when it is not listed.
    int rowOf(const QString &uniqueIdentifier) const;
    int rowOfURL(const QString &url) const;
    QList<QVariantMap> toMaps() const;

    // Reads the stored list, leaving out transient entries; brings each entry's per-feed
    // settings up to date once.
    void load(DefaultsStore &store);
    // Stores the whole list; false (with the reason) when the store could not be written.
    bool save(DefaultsStore &store, QString *problem = nullptr) const;

    void prepend(const FeedListEntry &entry);
    // Replaces the entry of the same identifier (its row stays), or prepends it when unlisted.
    void update(const FeedListEntry &entry);
    void removeAt(int row);
    // Removes every entry with the address; answers how many went.
    int removeURL(const QString &url);
    void move(int from, int to);

private:
    QList<FeedListEntry> m_entries;
};
