#include "panes/PaneKit.h"

#include "settings/categoryElement.h"
#include "ui/VLXBox.h"
#include "ui/VLXButton.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextViewHTML.h"
#include "ui/ViewEmbedding.h"
#include "ui/vlxDisclosureButton.h"
#include "ui/vlxDisclosureTextField.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QObject>
#include <QTabWidget>
#include <QVBoxLayout>

VLXTextField *PaneKit::textField(const QString &name, const QString &placeholder)
{
    auto *field = named(new VLXTextField, name);
    field->setPlaceholderText(placeholder);
    field->setClearButtonEnabled(false);
    return field;
}

QFormLayout *PaneKit::newForm()
{
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    return form;
}

QTabWidget *PaneKit::subTabs(const QString &name)
{
    auto *tabs = named(new QTabWidget, name);
    tabs->setDocumentMode(true);
    tabs->setUsesScrollButtons(true);
    return tabs;
}

QWidget *PaneKit::page(const QString &identifier)
{
    return named(new QWidget, identifier);
}

// Puts a laid-out pane into a tab page through a vertically scrolling area.
QWidget *PaneKit::scrollingPage(const QString &identifier, QLayout *paneLayout)
{
    QWidget pane;
    pane.setLayout(paneLayout);
    QWidget *tab = page(identifier);
    ViewEmbedding::moveObjectsFrom(&pane, tab);
    return tab;
}

VLXButton *PaneKit::smallButton(const QString &name, const QString &title, const QString &tip)
{
    auto *button = named(new VLXButton, name);
    button->setText(title);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

// A table with +, - and Edit buttons under it.
QWidget *PaneKit::tableWithButtons(VLXTableDataSource *owner, const QString &tableName,
                                   const QString &addName, const QString &deleteName,
                                   const QString &editName, const QStringList &columns,
                                   int minimumHeight)
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto *table = named(new VLXTableView, tableName);
    table->setMinimumHeight(minimumHeight);
    table->setDataSource(owner, columns);
    layout->addWidget(table);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    auto *add = smallButton(addName, QStringLiteral("+"), QObject::tr("Add"));
    auto *remove = smallButton(deleteName, QStringLiteral("\u2212"), QObject::tr("Delete"));
    auto *edit = smallButton(editName, QObject::tr("Edit\u2026"));
    for (VLXButton *button : {add, remove})
        button->setFixedWidth(32);
    remove->setEnabled(false);
    edit->setEnabled(false);
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addWidget(edit);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return box;
}

// A disclosure line (triangle, label, one-line summary) and the box it opens beneath it.
VLXBox *PaneKit::disclosure(QVBoxLayout *into, const QString &base, const QString &title)
{
    auto *line = new QHBoxLayout;
    line->setSpacing(6);
    auto *button = named(new vlxDisclosureButton, base + QStringLiteral("_Disclosure"));
    auto *label = new QLabel(title);
    label->setMinimumWidth(90);
    auto *summary = named(new vlxDisclosureTextField, base);
    auto *box = named(new VLXBox, base + QStringLiteral("_Box"));
    box->setTitle(QString());
    button->setLabelField(label);
    button->setResultField(summary);
    button->setBoxField(box);
    summary->setButton(button);
    line->addWidget(button);
    line->addWidget(label);
    line->addWidget(summary, 1);
    into->addLayout(line);
    into->addWidget(box);
    return box;
}

QHBoxLayout *PaneKit::dateRow(const QString &prefix, QWidget *field, QWidget *extra)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(field, 1);
    if (extra)
        row->addWidget(extra);
    row->addWidget(smallButton(prefix + QStringLiteral("_DatePickerButton"),
                               QObject::tr("Pick\u2026"),
                               QObject::tr("Choose the date and time on a calendar")));
    row->addWidget(smallButton(prefix + QStringLiteral("_SmartDateButton"),
                               QObject::tr("Smart Date"),
                               QObject::tr("Set the date from the smart-date rule")));
    return row;
}

QWidget *PaneKit::descriptionEditor(const QString &prefix)
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto *view = named(new VLXTextViewHTML, prefix + QStringLiteral("_Description"));
    view->setTabChangesFocus(true);
    view->setMinimumHeight(120);
    layout->addWidget(view, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(smallButton(prefix + QStringLiteral("_EditHTML"),
                                   QObject::tr("Edit HTML\u2026"),
                                   QObject::tr("Edit the description as formatted text")));
    layout->addLayout(buttons);
    return box;
}

QWidget *PaneKit::listPanel(const QString &title, QWidget *list)
{
    auto *panel = new QWidget;
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto *label = new QLabel(title);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    layout->addWidget(label);
    layout->addWidget(list, 1);
    return panel;
}

QWidget *PaneKit::commentsPage(VLXTableDataSource *owner, const QString &prefix)
{
    auto *advanced = page(QStringLiteral("Advanced"));
    auto *layout = new QVBoxLayout(advanced);
    layout->addWidget(new QLabel(QObject::tr("XML Comments:")));
    layout->addWidget(tableWithButtons(owner, prefix + QStringLiteral("_Advanced_Comments"),
                                       prefix + QStringLiteral("_Advanced_AddComments"),
                                       prefix + QStringLiteral("_Advanced_DelComments"),
                                       prefix + QStringLiteral("_Advanced_EditComments"),
                                       {QStringLiteral("comment")}),
                      1);
    return advanced;
}

QString PaneKit::categoryText(const categoryElement &category)
{
    QString text = category.categoryString();
    if (!category.categoryDomainString().isEmpty())
        text += QStringLiteral("\ndomain=%1").arg(category.categoryDomainString());
    return text;
}

void PaneKit::channelGroups(const Discloser &disclose, const QString &prefix,
                            const QString &hoursName, const QString &daysName)
{
    const auto tr = [](const char *text) { return QObject::tr(text); };
    const QString base = prefix + QLatin1Char('_');
    {
        VLXBox *box = disclose(base + QStringLiteral("SkipHours"), tr("Skip Hours"));
        auto *matrix = named(new VLXMatrix, hoursName);
        for (int hour = 0; hour < 24; ++hour)
            matrix->addCell(hour, QStringLiteral("%1").arg(hour, 2, 10, QLatin1Char('0')), hour / 8,
                            hour % 8);
        (new QVBoxLayout(box))->addWidget(matrix);
    }
    {
        VLXBox *box = disclose(base + QStringLiteral("SkipDays"), tr("Skip Days"));
        auto *matrix = named(new VLXMatrix, daysName);
        const QStringList days {tr("Sunday"),   tr("Monday"), tr("Tuesday"), tr("Wednesday"),
                                tr("Thursday"), tr("Friday"), tr("Saturday")};
        for (int day = 0; day < 7; ++day)
            matrix->addCell(day, days[day], day / 4, day % 4);
        (new QVBoxLayout(box))->addWidget(matrix);
    }
    const struct
    {
        const char *name;
        const char *title;
        QList<QPair<const char *, const char *>> fields;
    } groups[] = {
        {"Cloud",
         QT_TR_NOOP("Cloud"),
         {{"Domain:", "Domain"},
          {"Port:", "Port"},
          {"Path:", "Path"},
          {"Procedure:", "RegProc"},
          {"Protocol:", "Protocol"}}},
        {"TextInput",
         QT_TR_NOOP("Text Input"),
         {{"Title:", "Title"},
          {"Description:", "Description"},
          {"Name:", "Name"},
          {"Link:", "Link"}}},
    };
    for (const auto &group : groups) {
        const QString groupBase = base + QLatin1String(group.name);
        VLXBox *box = disclose(groupBase, tr(group.title));
        auto *form = newForm();
        for (const auto &[label, suffix] : group.fields)
            form->addRow(tr(label),
                         textField(groupBase + QLatin1Char('_') + QLatin1String(suffix)));
        box->setLayout(form);
    }
}
