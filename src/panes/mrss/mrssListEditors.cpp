#include "panes/mrss/mrssListEditors.h"

#include "panes/mrss/mrssEditContent.h"
#include "panes/mrss/mrssEditOptional.h"

using K = mrssOptionalElements;

namespace {

QString nameOf(ListFieldEditor::Action action, const char *what)
{
    switch (action) {
    case ListFieldEditor::Action::Add:
        return QStringLiteral("Add MRSS %1").arg(QLatin1String(what));
    case ListFieldEditor::Action::Delete:
        return QStringLiteral("Delete MRSS %1").arg(QLatin1String(what));
    case ListFieldEditor::Action::Edit:
    case ListFieldEditor::Action::Reorder:
        break;
    }
    return QStringLiteral("Modify MRSS %1").arg(QLatin1String(what));
}

} // namespace

// --- optional elements ---------------------------------------------------------------------------

QString mrssOptionalListEditor::actionName(Action action) const
{
    return nameOf(action, "Optional Element");
}

std::optional<QVariant> mrssOptionalListEditor::added(QWidget *parent, const QVariant &list)
{
    mrssEditOptional dialog;
    if (dialog.editElement(parent) != 1)
        return std::nullopt;
    K set = K::fromArchivable(list);
    set.addDictionary(dialog.elementValues());
    return QVariant::fromValue(set);
}

std::optional<QVariant> mrssOptionalListEditor::edited(QWidget *parent, const QVariant &list,
                                                       int row)
{
    K set = K::fromArchivable(list);
    const QVariantMap before = set.dictionaryAtIndex(row);
    if (before.isEmpty())
        return std::nullopt;
    mrssEditOptional dialog;
    dialog.setElementValues(before);
    if (dialog.editElement(parent) != 1)
        return std::nullopt;
    const QVariantMap after = dialog.elementValues();
    if (K::kindOf(after) == K::kindOf(before)) {
        set.replaceDictionaryAtIndex(after, row);
    } else {
        set.deleteObjectAtIndex(row);
        set.addDictionary(after);
    }
    return QVariant::fromValue(set);
}

std::optional<QVariant> mrssOptionalListEditor::removed(const QVariant &list, int row) const
{
    K set = K::fromArchivable(list);
    if (row < 0 || row >= set.objectCount())
        return std::nullopt;
    set.deleteObjectAtIndex(row);
    return QVariant::fromValue(set);
}

// --- media:content elements ----------------------------------------------------------------------

QString mrssContentListEditor::actionName(Action action) const
{
    return nameOf(action, "Content Element");
}

std::optional<QVariant> mrssContentListEditor::added(QWidget *parent, const QVariant &list)
{
    mrssEditContent dialog;
    dialog.setRemoveLocalFileBox(m_removeLocalFile);
    if (dialog.editElement(parent) != 1)
        return std::nullopt;
    QList<mrssRequiredElement> elements = mrssRequiredElement::fromArchivable(list);
    elements.append(dialog.contentValue());
    return QVariant::fromValue(elements);
}

std::optional<QVariant> mrssContentListEditor::edited(QWidget *parent, const QVariant &list,
                                                      int row)
{
    QList<mrssRequiredElement> elements = mrssRequiredElement::fromArchivable(list);
    if (row < 0 || row >= elements.size())
        return std::nullopt;
    mrssEditContent dialog;
    dialog.setRemoveLocalFileBox(m_removeLocalFile);
    dialog.setContentValue(elements.at(row));
    if (dialog.editElement(parent) != 1)
        return std::nullopt;
    elements[row] = dialog.contentValue();
    return QVariant::fromValue(elements);
}

std::optional<QVariant> mrssContentListEditor::removed(const QVariant &list, int row) const
{
    QList<mrssRequiredElement> elements = mrssRequiredElement::fromArchivable(list);
    if (row < 0 || row >= elements.size())
        return std::nullopt;
    elements.removeAt(row);
    return QVariant::fromValue(elements);
}
