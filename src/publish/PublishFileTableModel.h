#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>

class VLXSite;
class vlxFTP;

// The rows of one of the publish window's file tables (the enclosures, or the additional
// files), read from the publisher's rows each time they are shown: a check box, the state of
// the local file against its last upload in colour, and a two-line name (what the file is, and
// where it comes from or goes to). Ticking a row is the window's business: a click in the
// check-box column only asks for it (checkBoxClicked).
class PublishFileTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Kind { Enclosures, OtherFiles };
    // The two lines of a "Filename" cell.
    enum Role { TitleRole = Qt::UserRole + 1, PathRole };

    // "UploadCheckBox", "UploadedModified", "Filename".
    static const QStringList &columnIdentifiers();

    PublishFileTableModel(vlxFTP &publisher, Kind kind, QObject *parent = nullptr);

    // The site whose folders an additional file's destination names; none while no site is
    // chosen (the name alone is shown then).
    void setSite(std::shared_ptr<VLXSite> site) { m_site = std::move(site); }
    void reload();
    void rowChanged(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void checkBoxClicked(int row);

private:
    QVariant checkBox(int row) const;
    QVariant state(int row, int role) const;
    QString title(int row) const;
    QString path(int row) const;
    QString destinationFolder(int destination, const QString &own) const;

    vlxFTP &m_publisher;
    Kind m_kind;
    std::shared_ptr<VLXSite> m_site;
    int m_rows = 0;
};
