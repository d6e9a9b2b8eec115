#include "prefs/PreferencePageKit.h"

#include "panes/PaneKit.h"
#include "prefs/PreferenceWorkingList.h"
#include "prefs/PreferencesContext.h"
#include "ui/FirstLineBoldDelegate.h"
#include "ui/VLXBox.h"
#include "ui/VLXTableView.h"
#include "ui/vlxDisclosureButton.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

QWidget *PreferencePageKit::page(const QString &identifier, const QString &title,
                                 const QString &explanation, QLayout *pane)
{
    auto *outer = new QVBoxLayout;
    auto *heading = new QLabel(title);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading->setFont(bold);
    outer->addWidget(heading);
    if (!explanation.isEmpty()) {
        auto *text = new QLabel(explanation);
        text->setWordWrap(true);
        outer->addWidget(text);
    }
    outer->addLayout(pane);
    outer->addStretch(1);
    return PaneKit::scrollingPage(identifier, outer);
}

QWidget *PreferencePageKit::listTable(PreferencesContext &context, const QString &tableName,
                                      const QString &listName, const QString &title,
                                      const QString &column)
{
    auto *table = PaneKit::named(new VLXTableView, tableName);
    table->setMinimumHeight(90);
    table->setMaximumHeight(140);
    context.list(listName).attachTable(table, column);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->hide();
    // A category's domain goes on a second line of its row, under its value in bold.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (column == QLatin1String("category"))
        table->setItemDelegateForColumn(0, new FirstLineBoldDelegate(table));
    return PaneKit::listPanel(title, table);
}

QHBoxLayout *PreferencePageKit::tagButtons(const QStringList &names, const QStringList &titles,
                                           const std::function<void(int)> &action)
{
    auto *line = new QHBoxLayout;
    line->setSpacing(4);
    for (int i = 0; i < names.size(); ++i) {
        auto *button = PaneKit::smallButton(names.at(i), titles.value(i));
        const int tag = i + 1;
        button->setProperty("tag", tag);
        if (titles.value(i).size() == 1)
            button->setFixedWidth(32);
        QObject::connect(button, &QAbstractButton::clicked, button, [action, tag] { action(tag); });
        line->addWidget(button);
    }
    line->addStretch(1);
    return line;
}

QWidget *PreferencePageKit::editableList(PreferencesContext &context, const QString &tableName,
                                         const QString &listName, const QString &title,
                                         const QString &column, const QStringList &buttonNames,
                                         const std::function<void(VLXTableView *, int)> &action)
{
    QWidget *panel = listTable(context, tableName, listName, title, column);
    auto *table = panel->findChild<VLXTableView *>(tableName);
    QPointer<VLXTableView> guarded(table);
    QHBoxLayout *buttons = tagButtons(
        buttonNames, {QStringLiteral("+"), QStringLiteral("\u2212"), QObject::tr("Edit\u2026")},
        [guarded, action](int tag) { action(guarded, tag); });
    static_cast<QVBoxLayout *>(panel->layout())->addLayout(buttons);
    QList<QWidget *> rowButtons;
    for (int i = 1; i < 3; ++i) {
        auto *button = buttons->itemAt(i)->widget();
        button->setEnabled(false);
        rowButtons.append(button);
    }
    context.list(listName).setRowButtons(rowButtons);
    auto *edit = qobject_cast<QAbstractButton *>(rowButtons.last());
    QObject::connect(table, &VLXTableView::doubleAction, edit, [edit] { edit->click(); });
    return panel;
}

VLXBox *PreferencePageKit::disclosure(PreferencesContext &context, QVBoxLayout *into,
                                      const QString &base, const QString &title)
{
    VLXBox *box = PaneKit::disclosure(into, base, title);
    // PaneKit put the button into the line above the box; find it there by its name.
    for (int i = 0; i < into->count(); ++i) {
        QLayout *line = into->itemAt(i)->layout();
        if (!line)
            continue;
        for (int j = 0; j < line->count(); ++j) {
            auto *disclose = qobject_cast<vlxDisclosureButton *>(line->itemAt(j)->widget());
            if (disclose && disclose->objectName() == base + QStringLiteral("_Disclosure")) {
                QObject::connect(disclose, &QAbstractButton::toggled, disclose,
                                 [&context](bool open) {
                                     if (!open)
                                         context.miscChanged();
                                 });
            }
        }
    }
    return box;
}

void PreferencePageKit::setSummary(QWidget *root, const QString &summaryName, const QString &text)
{
    if (auto *summary = root->findChild<QLineEdit *>(summaryName))
        summary->setText(text);
}

QString PreferencePageKit::textOf(QWidget *root, const QString &name)
{
    const auto *field = root->findChild<QLineEdit *>(name);
    return field ? field->text() : QString(QLatin1String(""));
}

int PreferencePageKit::stateOf(QWidget *root, const QString &name)
{
    const auto *button = root->findChild<QAbstractButton *>(name);
    return button && button->isChecked() ? 1 : 0;
}
