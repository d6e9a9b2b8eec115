#include "panes/mscf/microsoftCFListEditor.h"

#include "document/FeedDocument.h"
#include "extensions/ListReorder.h"
#include "extensions/mscf/microsoftCFChannel.h"
#include "model/VLXFeed.h"
#include "panes/mscf/microsoftCFChannelPane.h"
#include "panes/mscf/microsoftCFListInfoItemEdit.h"
#include "platform/AlertService.h"

#include <QBrush>
#include <QFont>
#include <QPalette>

namespace {

const QString kModify = QStringLiteral("Modify MS-SLE Item");

void duplicate(const QString &message)
{
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.title = QStringLiteral("Duplicate");
    alert.message = message;
    AlertService::show(alert);
}

// Whether the new entry repeats another of the list (the row edited aside).
bool repeats(const ListInfoItem &made, const QList<ListInfoItem> &list, int row)
{
    for (int i = 0; i < list.size(); ++i) {
        if (i == row)
            continue;
        const ListInfoItem &other = list.at(i);
        if (made.isSort() && other.isSort() && made.ns() == other.ns()
            && made.element() == other.element() && made.dataType() == other.dataType()) {
            duplicate(QStringLiteral("There is a \"sort\" aready defined with the same values "
                                     "for the Namespace, Element and Data Type."));
            return true;
        }
        if (made.isGroup() && other.isGroup() && made.ns() == other.ns()
            && made.element() == other.element()) {
            duplicate(QStringLiteral("There is a \"group\" aready defined with the same values "
                                     "for the Namespace and Element."));
            return true;
        }
    }
    return false;
}

} // namespace

microsoftCFListEditor::microsoftCFListEditor(microsoftCFChannelPane *pane) : m_pane(pane) { }

QString microsoftCFListEditor::actionName(Action action) const
{
    switch (action) {
    case Action::Add:
    case Action::Edit:
        return kModify;
    case Action::Delete:
        return QStringLiteral("Delete MS-SLE Item");
    case Action::Reorder:
        break;
    }
    return QStringLiteral("ListInfo Reorder");
}

QList<ListInfoItem> microsoftCFListEditor::defaultsFirst(const QList<ListInfoItem> &list)
{
    QList<ListInfoItem> ordered;
    for (const ListInfoItem &entry : list) {
        if (entry.isDefault())
            ordered.append(entry);
    }
    for (const ListInfoItem &entry : list) {
        if (!entry.isDefault())
            ordered.append(entry);
    }
    return ordered;
}

std::optional<QVariant> microsoftCFListEditor::added(QWidget *parent, const QVariant &list)
{
    return addOrEdit(parent, list, -1);
}

std::optional<QVariant> microsoftCFListEditor::edited(QWidget *parent, const QVariant &list,
                                                      int row)
{
    return addOrEdit(parent, list, row);
}

std::optional<QVariant> microsoftCFListEditor::addOrEdit(QWidget *parent, const QVariant &value,
                                                         int row)
{
    microsoftCFChannelPane *pane = m_pane;
    FeedDocument *document = pane ? pane->document() : nullptr;
    if (!document)
        return std::nullopt;
    QList<ListInfoItem> list = ListInfoItem::fromArchivable(value);
    if (row >= list.size())
        return std::nullopt;
    const std::optional<QString> storedNS = pane->entryValue(microsoftCFChannel::kDefaultNSKey);
    const std::optional<QString> storedElement
        = pane->entryValue(microsoftCFChannel::kDefaultElementKey);
    const std::optional<QString> storedType
        = pane->entryValue(microsoftCFChannel::kDefaultDataTypeKey);
    std::optional<ListInfoItem> shown;
    if (row >= 0) {
        shown = list.at(row);
        // The stored default sort belongs to the default entry in row 0 only: an ordinary
        // entry there is shown as it is.
        if (row == 0 && shown->isDefault() && storedNS && storedElement && storedType) {
            shown->setNS(*storedNS);
            shown->setElement(*storedElement);
            shown->setDataType(*storedType);
        }
    }

    ListInfoItem made;
    enum class Place { Append, Replace, ReplaceFirst, Top } place = Place::Append;
    for (;;) {
        microsoftCFListInfoItemEdit dialog;
        dialog.setSortFields(document->feed()->findSortableTagsWithoutChildern());
        if (dialog.editListInfoItem(parent, shown, row) != 1)
            return std::nullopt;
        made = dialog.item();
        // A refused entry is shown again as entered.
        shown = made;
        if (repeats(made, list, row))
            continue;
        place = row >= 0 ? Place::Replace : Place::Append;
        if (made.isSort() && made.isDefault() && row != 0 && !list.isEmpty()) {
            if (list.first().isDefault()) {
                Alert warning;
                warning.style = Alert::Style::Informational;
                warning.title = QStringLiteral("Warning");
                warning.message = QStringLiteral(
                    "There can only be one default sort defined and there already is one.  Do "
                    "you wish to replace it with this new one?");
                warning.defaultButton = QStringLiteral("Replace existing default");
                warning.alternateButton = QStringLiteral("No");
                if (AlertService::show(warning) != AlertService::kDefault)
                    continue;
                place = Place::ReplaceFirst;
            } else {
                place = Place::Top;
            }
        }
        break;
    }

    pane->registerEntryRecords(kModify);
    if (made.isDefault()) {
        // The default names no element in the feed: what it sorts by is stored beside it.
        if (!made.element().isEmpty() && !made.dataType().isEmpty())
            pane->storeDefaultSort(made.ns(), made.element(), made.dataType());
        else
            pane->storeDefaultSort(std::nullopt, std::nullopt, std::nullopt);
        made.setNS(QString());
        made.setElement(QString());
        made.setDataType(QString());
    }
    switch (place) {
    case Place::Append:
        list.append(made);
        break;
    case Place::Replace:
        list[row] = made;
        break;
    case Place::ReplaceFirst:
        if (row >= 0)
            list.removeAt(row);
        list[0] = made;
        break;
    case Place::Top:
        if (row >= 0)
            list.removeAt(row);
        list.prepend(made);
        break;
    }
    forgetDefaultWithout(list);
    return QVariant::fromValue(list);
}

void microsoftCFListEditor::forgetDefaultWithout(const QList<ListInfoItem> &list) const
{
    if (!m_pane || (!list.isEmpty() && list.first().isDefault()))
        return;
    if (m_pane->entryValue(microsoftCFChannel::kDefaultNSKey)
        || m_pane->entryValue(microsoftCFChannel::kDefaultElementKey)
        || m_pane->entryValue(microsoftCFChannel::kDefaultDataTypeKey))
        m_pane->storeDefaultSort(std::nullopt, std::nullopt, std::nullopt);
}

std::optional<QVariant> microsoftCFListEditor::removed(const QVariant &value, int row) const
{
    QList<ListInfoItem> list = ListInfoItem::fromArchivable(value);
    if (row < 0 || row >= list.size())
        return std::nullopt;
    if (m_pane && row == 0 && list.first().isDefault()) {
        m_pane->registerEntryRecords(QStringLiteral("Delete MS-SLE Item"));
        m_pane->storeDefaultSort(std::nullopt, std::nullopt, std::nullopt);
    }
    list.removeAt(row);
    return QVariant::fromValue(list);
}

std::optional<QVariant> microsoftCFListEditor::moved(const QVariant &value, int from,
                                                     int dropRow) const
{
    const QList<ListInfoItem> list = ListInfoItem::fromArchivable(value);
    const auto result = ListReorder::moved(list, from, dropRow);
    if (!result)
        return std::nullopt;
    // The default stays first whatever was dropped above it.
    const QList<ListInfoItem> ordered = defaultsFirst(result->first);
    if (ordered == list)
        return std::nullopt;
    return QVariant::fromValue(ordered);
}

QVariant microsoftCFListEditor::cellData(const FieldExtensionBase &object, int field, int row,
                                         const QString &column, int role) const
{
    const auto *channel = dynamic_cast<const microsoftCFChannel *>(&object);
    if (!channel || field != microsoftCFChannel::kListInfo || row < 0
        || row >= channel->listInfo().size())
        return QVariant();
    const ListInfoItem &entry = channel->listInfo().at(row);
    if (!entry.isDefault())
        return QVariant();
    if (role == Qt::FontRole) {
        QFont font;
        font.setBold(true);
        return font;
    }
    // The element of the stored default sort, shown in row 0 only, is not the entry's own.
    if (role == Qt::ForegroundRole && row == 0 && column == QLatin1String("element")
        && entry.element().isEmpty())
        return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
    return QVariant();
}
