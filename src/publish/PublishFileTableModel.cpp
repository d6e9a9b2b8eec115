#include "publish/PublishFileTableModel.h"

#include "model/VLXItems.h"
#include "publish/MediaContentFile.h"
#include "publish/PublishPaths.h"
#include "publish/additionalFiles.h"
#include "publish/vlxFTP.h"
#include "settings/VLXSite.h"

#include <QApplication>
#include <QColor>
#include <QPalette>

namespace {

enum Column { CheckBoxColumn = 0, StateColumn = 1, NameColumn = 2 };

QColor stateColour(vlxFTP::FileState state)
{
    switch (state) {
    case vlxFTP::FileState::Missing:
    case vlxFTP::FileState::NeverPublished:
        return QColor(204, 0, 0);
    case vlxFTP::FileState::LocalIsNewer:
        return QColor(230, 115, 0);
    case vlxFTP::FileState::UpToDate:
    case vlxFTP::FileState::NoLocalFile:
        break;
    }
    return QApplication::palette().color(QPalette::Text);
}

} // namespace

const QStringList &PublishFileTableModel::columnIdentifiers()
{
    static const QStringList identifiers {QStringLiteral("UploadCheckBox"),
                                          QStringLiteral("UploadedModified"),
                                          QStringLiteral("Filename")};
    return identifiers;
}

PublishFileTableModel::PublishFileTableModel(vlxFTP &publisher, Kind kind, QObject *parent)
    : QAbstractTableModel(parent), m_publisher(publisher), m_kind(kind)
{
}

void PublishFileTableModel::reload()
{
    beginResetModel();
    m_rows = int(m_kind == Enclosures ? m_publisher.itemsWithEnclosures().size()
                                      : m_publisher.otherFiles().size());
    endResetModel();
}

void PublishFileTableModel::rowChanged(int row)
{
    if (row >= 0 && row < m_rows)
        emit dataChanged(index(row, 0), index(row, NameColumn));
}

int PublishFileTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int PublishFileTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

Qt::ItemFlags PublishFileTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == CheckBoxColumn)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant PublishFileTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case CheckBoxColumn:
        return QString();
    case StateColumn:
        return tr("State");
    default:
        return m_kind == Enclosures ? tr("Item and Local File") : tr("Remote File and Source");
    }
}

bool PublishFileTableModel::setData(const QModelIndex &index, const QVariant &, int role)
{
    // The row's box changes only when the publisher agrees (a row without a file does not).
    if (index.isValid() && index.column() == CheckBoxColumn && role == Qt::CheckStateRole)
        emit checkBoxClicked(index.row());
    return false;
}

QVariant PublishFileTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    const int row = index.row();
    switch (index.column()) {
    case CheckBoxColumn:
        return role == Qt::CheckStateRole ? checkBox(row) : QVariant();
    case StateColumn:
        return state(row, role);
    default:
        break;
    }
    switch (role) {
    case TitleRole:
        return title(row);
    case PathRole:
        return path(row);
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const QString second = path(row);
        return second.isEmpty() ? title(row) : title(row) + u'\n' + second;
    }
    default:
        return {};
    }
}

QVariant PublishFileTableModel::checkBox(int row) const
{
    const int checked = m_kind == Enclosures ? m_publisher.itemsWithEnclosures().at(row).checked
                                             : m_publisher.otherFiles().at(row).checked;
    return checked == 1 ? Qt::Checked : Qt::Unchecked;
}

QVariant PublishFileTableModel::state(int row, int role) const
{
    const vlxFTP::FileState state
        = m_kind == Enclosures ? m_publisher.enclosureState(row) : m_publisher.otherFileState(row);
    switch (role) {
    case Qt::DisplayRole:
        return vlxFTP::fileStateText(state);
    case Qt::ForegroundRole:
        return stateColour(state);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QString PublishFileTableModel::title(int row) const
{
    if (m_kind == Enclosures) {
        const vlxFTP::EnclosureRow &r = m_publisher.itemsWithEnclosures().at(row);
        return r.media ? QStringLiteral("<media:content> %1").arg(r.item->title())
                       : r.item->title();
    }
    const additionalFiles &record = *m_publisher.otherFiles().at(row).record;
    const QString folder
        = destinationFolder(record.fileDestination(), record.fileOtherDestination());
    if (folder.isEmpty())
        return record.filename();
    return folder.endsWith(u'/') ? folder + record.filename() : folder + u'/' + record.filename();
}

QString PublishFileTableModel::path(int row) const
{
    if (m_kind == OtherFiles)
        return m_publisher.otherFiles().at(row).record->fileSource();
    const vlxFTP::EnclosureRow &r = m_publisher.itemsWithEnclosures().at(row);
    return PublishPaths::abbreviateWithTilde(r.media ? r.media->localEnclosureFilePath()
                                                     : r.item->localEnclosureFilePath());
}

QString PublishFileTableModel::destinationFolder(int destination, const QString &own) const
{
    if (destination == additionalFiles::OtherDestination)
        return own;
    return vlxFTP::siteFolder(m_site.get(), destination);
}
