#include "prefs/PreferenceItemFieldsPage.h"

#include "model/VLXLogic.h"
#include "panes/PaneKit.h"
#include "prefs/PreferenceListActions.h"
#include "prefs/PreferencePageKit.h"
#include "ui/VLXBox.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextViewHTML.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QVBoxLayout>

namespace {
QString prefixOf(PreferenceScope scope)
{
    return scope == PreferenceScope::CurrentFeed ? QStringLiteral("FD_CF_IF_")
                                                 : QStringLiteral("FD_AF_IF_");
}

PreferenceBindings bindingsFor(PreferenceScope scope)
{
    const QString p = prefixOf(scope);
    const auto text = [&p](const char *name) {
        return PreferenceBinding {p + QLatin1String(name), p + QLatin1String(name),
                                  BindingKind::Text};
    };
    const auto check = [&p](const char *name) {
        return PreferenceBinding {p + QLatin1String(name), p + QLatin1String(name),
                                  BindingKind::Check01};
    };
    return {
        text("Title"),
        {p + QStringLiteral("Description"), p + QStringLiteral("Description"),
         BindingKind::TextView},
        text("Link"),
        // The current feed keeps its categories archived in its entry; all feeds as a list.
        {p + QStringLiteral("Category_Array"), p + QStringLiteral("Category_Array"),
         scope == PreferenceScope::CurrentFeed ? BindingKind::ArchivedList : BindingKind::List},
        text("GUID_GUID"),
        check("GUID_Perma"),
        check("GUID_AutoGenerate"),
        text("Source_Source"),
        text("Source_URL"),
        text("Enclosure_URL"),
        text("Enclosure_Length"),
        text("Enclosure_Type"),
        text("Author"),
        text("Comments"),
    };
}

QString tr(const char *text)
{
    return QCoreApplication::translate("PreferenceItemFieldsPage", text);
}
} // namespace

PreferenceItemFieldsPage::PreferenceItemFieldsPage(PreferenceScope scope)
    : PreferencesPage(scope == PreferenceScope::CurrentFeed
                          ? QStringLiteral("Current Feed Item Fields")
                          : QStringLiteral("All Feeds Item Fields"),
                      scope, bindingsFor(scope)),
      m_prefix(prefixOf(scope))
{
}

QWidget *PreferenceItemFieldsPage::build(PreferencesContext &context)
{
    const QString &p = m_prefix;
    auto *pane = new QVBoxLayout;
    auto *form = PaneKit::newForm();
    form->addRow(tr("Title:"), PaneKit::textField(p + QStringLiteral("Title")));
    auto *description = PaneKit::named(new VLXTextViewHTML, p + QStringLiteral("Description"));
    description->setTabChangesFocus(true);
    description->setMinimumHeight(90);
    description->setMaximumHeight(160);
    form->addRow(tr("Description:"), description);
    form->addRow(tr("Link:"), PaneKit::textField(p + QStringLiteral("Link"), tr("https://")));
    pane->addLayout(form);
    {
        const QString list = p + QStringLiteral("Category_Array");
        PreferencesContext *shared = &context;
        pane->addWidget(PreferencePageKit::editableList(
            context, p + QStringLiteral("Category"), list, tr("Categories:"),
            QStringLiteral("category"),
            {p + QStringLiteral("Optional_AddCategory"), p + QStringLiteral("Optional_DelCategory"),
             p + QStringLiteral("Optional_EditCategory")},
            [shared, list](VLXTableView *table, int tag) {
                PreferenceListActions::categoryAction(*shared, list, table, tag);
            }));
    }
    {
        VLXBox *box
            = PreferencePageKit::disclosure(context, pane, p + QStringLiteral("GUID"), tr("GUID"));
        auto *boxForm = PaneKit::newForm();
        boxForm->addRow(tr("GUID:"), PaneKit::textField(p + QStringLiteral("GUID_GUID")));
        auto *perma = PaneKit::named(new VLXCheckBox, p + QStringLiteral("GUID_Perma"));
        perma->setText(tr("The GUID is a permanent link"));
        boxForm->addRow(QString(), perma);
        auto *generate = PaneKit::named(new VLXCheckBox, p + QStringLiteral("GUID_AutoGenerate"));
        generate->setText(tr("Make a GUID for each new item"));
        boxForm->addRow(QString(), generate);
        box->setLayout(boxForm);
    }
    const struct
    {
        const char *base;
        const char *title;
        QList<QPair<const char *, const char *>> fields;
    } groups[] = {
        {"Source", QT_TR_NOOP("Source"), {{"Name:", "Source_Source"}, {"URL:", "Source_URL"}}},
        {"Enclosure",
         QT_TR_NOOP("Enclosure"),
         {{"URL:", "Enclosure_URL"}, {"Length:", "Enclosure_Length"}, {"Type:", "Enclosure_Type"}}},
    };
    for (const auto &group : groups) {
        VLXBox *box = PreferencePageKit::disclosure(context, pane, p + QLatin1String(group.base),
                                                    tr(group.title));
        auto *boxForm = PaneKit::newForm();
        for (const auto &[label, name] : group.fields)
            boxForm->addRow(tr(label), PaneKit::textField(p + QLatin1String(name)));
        if (QLatin1String(group.base) == QLatin1String("Enclosure")) {
            // The type the enclosure's file name suggests, offered for the type field.
            auto *suggest = PaneKit::smallButton(p + QStringLiteral("Enclosure_sugestMIMEType"),
                                                 tr("Suggest Type"));
            PreferencesContext *shared = &context;
            QWidget *holder = box;
            const QString prefix = p;
            QObject::connect(suggest, &QAbstractButton::clicked, suggest, [shared, holder, prefix] {
                PreferenceListActions::suggestMIMEType(*shared, holder,
                                                       prefix + QStringLiteral("Enclosure_URL"),
                                                       prefix + QStringLiteral("Enclosure_Type"));
            });
            boxForm->addRow(QString(), suggest);
        }
        box->setLayout(boxForm);
    }
    auto *more = PaneKit::newForm();
    more->addRow(tr("Author:"),
                 PaneKit::textField(p + QStringLiteral("Author"), tr("e-mail (name)")));
    more->addRow(tr("Comments:"),
                 PaneKit::textField(p + QStringLiteral("Comments"), tr("https://")));
    pane->addLayout(more);

    const bool current = scope() == PreferenceScope::CurrentFeed;
    return PreferencePageKit::page(
        identifier(), current ? tr("Item fields of this feed") : tr("Item fields of all feeds"),
        current ? tr("New items of the current feed start with these values. An empty field "
                     "takes the value set for all feeds.")
                : tr("New items of every feed start with these values, unless the feed sets "
                     "its own."),
        pane);
}

void PreferenceItemFieldsPage::showSummaries()
{
    QWidget *page = root();
    if (!page)
        return;
    const QString &p = m_prefix;
    const auto text = [&](const char *name) {
        return PreferencePageKit::textOf(page, p + QLatin1String(name));
    };
    PreferencePageKit::setSummary(
        page, p + QStringLiteral("GUID"),
        VLXLogic::buildGUIDString(
            text("GUID_GUID"), PreferencePageKit::stateOf(page, p + QStringLiteral("GUID_Perma"))));
    PreferencePageKit::setSummary(
        page, p + QStringLiteral("Source"),
        VLXLogic::buildSourceString(text("Source_Source"), text("Source_URL")));
    PreferencePageKit::setSummary(page, p + QStringLiteral("Enclosure"),
                                  VLXLogic::buildEnclosureString(text("Enclosure_URL"),
                                                                 text("Enclosure_Length"),
                                                                 text("Enclosure_Type")));
}
