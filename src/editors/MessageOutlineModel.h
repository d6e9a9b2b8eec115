#pragma once

#include "model/MessageGroup.h"

#include <QAbstractItemModel>
#include <QVariantMap>
#include <memory>
#include <vector>

// The message tree of a feed (groups of "kind::text" messages) as an outline: one column,
// "NameColumn". A message shows as "kind - text" in its kind's colour; group titles show as they
// are.
//
// The model reads the message groups it is given as they are: the message strings stay shared
// with the feed's elements, and a row costs nothing until the view asks for it. Only a group
// whose rows have been asked for gets a small record of its own (its place, for the rows'
// parent), so a feed of a quarter of a million items with messages opens its list at once and
// pays for the groups the user opens.
class MessageOutlineModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit MessageOutlineModel(QObject *parent = nullptr);
    ~MessageOutlineModel() override;

    // Replaces the tree: the members of root are the top-level rows.
    void setRoot(MessageGroup root);
    // The same from {"Group": ..., "Entries": ...}.
    void setTree(const QVariantMap &dictionary);
    const MessageGroup &root() const { return m_root; }

    // The name of a row: a message as stored ("kind::text") or a group's title.
    QString nameOf(const QModelIndex &index) const;
    bool isGroup(const QModelIndex &index) const;
    // Rows under index and under all its groups, without making them (index invalid: all).
    qint64 countOfRows(const QModelIndex &index = {}) const;

    // A message's kind ("Automatic Repair", ...) and its colour; an invalid colour for texts
    // without "::" and for kinds without one.
    static QColor colourForName(const QString &name);
    // The first "::" shown as " - ".
    static QString displayName(const QString &name);
    // What a row shows of a name, and all it lays out: its display name, one of more than
    // ShownText::kLongest characters (an item's group named after a title of megabytes) cut in
    // the middle to that length. Selecting the row still reads the whole name (nameOf()).
    static QString shownName(const QString &name);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static const QString kNameColumn;

private:
    // A group whose rows the view has asked for. An index's internal pointer is the record of
    // the group holding its row.
    struct Holder
    {
        const MessageGroup *group;
        Holder *parent;
        int row; // of the group in its parent
        // The records of the groups among its members, made as their rows are asked for.
        std::vector<std::unique_ptr<Holder>> groups;
    };

    const MessageGroup::Member *memberAt(const QModelIndex &index) const;
    // The record of the group at index (the root for an invalid index); nullptr for a message.
    Holder *holderOf(const QModelIndex &index) const;

    MessageGroup m_root;
    std::unique_ptr<Holder> m_top;
};
