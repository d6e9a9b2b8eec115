#include "app/SortSheet.h"

#include "ui/VLXButton.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXPopUpButton.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
const QString kHelpAnchor = QStringLiteral("VLXSort");
const QString kSortTags = QStringLiteral("sortTags");

// Every position against each later one, exchanged when out of order: the menu's own order.
QStringList exchangeSorted(QStringList titles)
{
    for (qsizetype i = 0; i < titles.size(); ++i) {
        for (qsizetype j = i + 1; j < titles.size(); ++j) {
            if (QString::compare(titles.at(i), titles.at(j)) > 0)
                titles.swapItemsAt(i, j);
        }
    }
    return titles;
}
} // namespace

SortSheet::SortSheet(const QVariantMap &sortableTags, const QStringList &extensionOrder,
                     QWidget *parent)
    : QDialog(parent), m_sortFields(sortableTags)
{
    setObjectName(QStringLiteral("sortWindow"));
    setWindowTitle(tr("Sort Items"));
    setWindowModality(Qt::WindowModal);
    const struct
    {
        VLXPopUpButton **menu;
        const char *name;
        QStringList entries;
    } menus[] = {
        {&m_field, "sortField", fieldTitles(sortableTags, extensionOrder)},
        {&m_type,
         "sortType",
         {QStringLiteral("Alphabetic"), QStringLiteral("Numeric"), QStringLiteral("Date")}},
        {&m_direction,
         "sortDirection",
         {QStringLiteral("Ascending"), QStringLiteral("Descending")}},
    };
    for (const auto &menu : menus) {
        *menu.menu = new VLXPopUpButton(this);
        (*menu.menu)->setObjectName(QLatin1String(menu.name));
        (*menu.menu)->setHelpAnchor(kHelpAnchor);
        (*menu.menu)->addItems(menu.entries);
        (*menu.menu)->setCurrentIndex(0);
    }
    connect(m_field, &QComboBox::activated, this, &SortSheet::sortSortFieldChanged);

    auto *help = new VLXButton(this);
    help->setObjectName(QStringLiteral("sortHelp"));
    help->setText(tr("Help"));
    auto *cancel = new VLXButton(this);
    cancel->setObjectName(QStringLiteral("sortCancel"));
    cancel->setText(tr("Cancel"));
    auto *sort = new VLXButton(this);
    sort->setObjectName(QStringLiteral("sortSort"));
    sort->setText(tr("Sort"));
    sort->setDefault(true);
    connect(help, &QPushButton::clicked, this, &SortSheet::sortHelp);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(sort, &QPushButton::clicked, this, &QDialog::accept);

    auto *form = new QFormLayout;
    form->addRow(tr("Sort on:"), m_field);
    form->addRow(tr("Compare:"), m_type);
    form->addRow(tr("Order:"), m_direction);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(sort);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

QStringList SortSheet::fieldTitles(const QVariantMap &sortableTags,
                                   const QStringList &extensionOrder)
{
    QStringList titles
        = exchangeSorted(sortableTags.value(QString()).toMap().value(kSortTags).toMap().keys());
    for (const QString &prefix : extensionOrder) {
        if (prefix.isEmpty() || !sortableTags.contains(prefix))
            continue;
        QStringList group;
        for (const QString &tag :
             sortableTags.value(prefix).toMap().value(kSortTags).toMap().keys())
            group << QStringLiteral("%1:%2").arg(prefix, tag);
        titles << exchangeSorted(group);
    }
    return titles;
}

SortSheet::Comparison SortSheet::comparisonForField(const QVariantMap &sortableTags,
                                                    const QString &title)
{
    QString prefix;
    QString tag = title;
    const qsizetype colon = title.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        prefix = title.left(colon);
        tag = title.mid(colon + 1);
    }
    const QVariantMap record = sortableTags.value(prefix).toMap();
    if (colon >= 0 && record.value(QStringLiteral("wellSupported")).toInt() == 0)
        return Alphabetic;
    const QString type = record.value(kSortTags)
                             .toMap()
                             .value(tag)
                             .toMap()
                             .value(QStringLiteral("type"))
                             .toString();
    if (type == QLatin1String("date"))
        return Date;
    if (type == QLatin1String("number"))
        return Numeric;
    return Alphabetic;
}

void SortSheet::sortSortFieldChanged()
{
    m_type->setCurrentIndex(comparisonForField(m_sortFields, field()));
}

void SortSheet::sortHelp()
{
    VLXHelpAnchored::helpForField(kHelpAnchor);
}

QString SortSheet::field() const
{
    return m_field->currentText();
}

SortSheet::Comparison SortSheet::comparison() const
{
    return Comparison(m_type->currentIndex());
}

bool SortSheet::ascending() const
{
    return m_direction->currentText() == QLatin1String("Ascending");
}
