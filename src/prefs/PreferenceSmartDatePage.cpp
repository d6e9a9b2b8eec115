#include "prefs/PreferenceSmartDatePage.h"

#include "panes/PaneKit.h"
#include "prefs/PreferenceBinder.h"
#include "prefs/PreferencePageKit.h"
#include "prefs/SmartDateStepper.h"
#include "ui/VLXBox.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTextField.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
QString prefixOf(PreferenceScope scope)
{
    return scope == PreferenceScope::CurrentFeed ? QStringLiteral("FD_CF_SD_")
                                                 : QStringLiteral("FD_AF_SD_");
}

PreferenceBindings bindingsFor(PreferenceScope scope)
{
    const QString p = prefixOf(scope);
    PreferenceBindings b;
    if (scope == PreferenceScope::CurrentFeed)
        b.append({p + QStringLiteral("Enabled"), p + QStringLiteral("Enabled"),
                  BindingKind::CheckYesNo});
    for (const char *group : {"F_", "I_"}) {
        const QString g = p + QLatin1String(group);
        // The menus are spelt "DateTo", their keys "DataTo".
        b.append({g + QStringLiteral("DateTo"), g + QStringLiteral("DataTo"), BindingKind::Index});
        b.append({g + QStringLiteral("X"), g + QStringLiteral("X"), BindingKind::Label});
        b.append({g + QStringLiteral("X_Val"), g + QStringLiteral("X_Val"), BindingKind::Integer});
        b.append({g + QStringLiteral("TimeTo"), g + QStringLiteral("TimeTo"), BindingKind::Index});
    }
    return b;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("PreferenceSmartDatePage", text);
}
} // namespace

PreferenceSmartDatePage::PreferenceSmartDatePage(PreferenceScope scope)
    : PreferencesPage(scope == PreferenceScope::CurrentFeed
                          ? QStringLiteral("Current Feed Smart Date")
                          : QStringLiteral("All Feeds Smart Date"),
                      scope, bindingsFor(scope)),
      m_prefix(prefixOf(scope))
{
}

QWidget *PreferenceSmartDatePage::build(PreferencesContext &context)
{
    auto *pane = new QVBoxLayout;
    const bool current = scope() == PreferenceScope::CurrentFeed;
    if (current) {
        auto *enabled = PaneKit::named(new VLXCheckBox, m_prefix + QStringLiteral("Enabled"));
        enabled->setText(tr("Use these rules for this feed instead of those of all feeds"));
        pane->addWidget(enabled);
    }
    const struct
    {
        const char *group;
        const char *title;
    } groups[] = {{"F_", QT_TR_NOOP("Publication date of the feed")},
                  {"I_", QT_TR_NOOP("Publication date of new items")}};
    for (const auto &group : groups) {
        const QString g = m_prefix + QLatin1String(group.group);
        auto *box = new VLXBox;
        box->setTitle(tr(group.title));
        auto *form = PaneKit::newForm();
        auto *date = PaneKit::named(new VLXPopUpButton, g + QStringLiteral("DateTo"));
        date->addItems(PreferenceBinder::smartDateTitles());
        date->setMaxVisibleItems(20);
        form->addRow(tr("Date:"), date);
        auto *xRow = new QHBoxLayout;
        auto *xLabel = PaneKit::named(new QLabel(tr("X =")), g + QStringLiteral("X"));
        auto *xValue = PaneKit::textField(g + QStringLiteral("X_Val"));
        xValue->setFixedWidth(60);
        xValue->setText(QStringLiteral("1"));
        auto *stepper = PaneKit::named(new SmartDateStepper, g + QStringLiteral("X_Stepper"));
        xRow->addWidget(xLabel);
        xRow->addWidget(xValue);
        xRow->addWidget(stepper);
        xRow->addStretch(1);
        form->addRow(QString(), xRow);
        auto *time = PaneKit::named(new VLXPopUpButton, g + QStringLiteral("TimeTo"));
        time->addItems(PreferenceBinder::smartTimeTitles());
        time->setMaxVisibleItems(25);
        form->addRow(tr("Time:"), time);
        box->setLayout(form);
        pane->addWidget(box);
        for (QWidget *x : {static_cast<QWidget *>(xLabel), static_cast<QWidget *>(xValue),
                           static_cast<QWidget *>(stepper)})
            x->setVisible(false);
        // The stepper moves the number shown in the field; that is an edit. (The window's own
        // changes of the stepper are made with its signals blocked.)
        QObject::connect(stepper, &QSpinBox::valueChanged, xValue, [xValue, &context](int value) {
            xValue->setText(QString::number(value));
            context.miscChanged();
        });
    }
    return PreferencePageKit::page(
        identifier(), current ? tr("Smart dates of this feed") : tr("Smart dates of all feeds"),
        tr("A smart date sets the publication date of a new feed or item by a rule, such as "
           "\"Tomorrow\" at \"9:00 AM\". \"Today\" at \"Current Time\" means the moment the feed "
           "or item is made."),
        pane);
}

void PreferenceSmartDatePage::applyRule(const QString &group)
{
    QWidget *page = root();
    const QString g = m_prefix + group;
    auto *date = page->findChild<VLXPopUpButton *>(g + QStringLiteral("DateTo"));
    auto *label = page->findChild<QLabel *>(g + QStringLiteral("X"));
    auto *value = page->findChild<VLXTextField *>(g + QStringLiteral("X_Val"));
    auto *stepper = page->findChild<SmartDateStepper *>(g + QStringLiteral("X_Stepper"));
    if (!date || !label || !value || !stepper)
        return;
    const int index = date->currentIndex();
    const bool byX = index >= 25;
    label->setVisible(byX);
    value->setVisible(byX);
    stepper->setVisible(byX);
    if (!byX)
        return;
    const QSignalBlocker quiet(stepper);
    stepper->setRangeForIndex(index);
    stepper->setValue(value->text().trimmed().toInt());
    value->setText(QString::number(stepper->value()));
}

void PreferenceSmartDatePage::enableRules(bool on)
{
    QWidget *page = root();
    for (const char *group : {"F_", "I_"}) {
        for (const char *name : {"DateTo", "X", "X_Val", "X_Stepper", "TimeTo"}) {
            const QString outlet = m_prefix + QLatin1String(group) + QLatin1String(name);
            if (QWidget *control = page->findChild<QWidget *>(outlet))
                control->setEnabled(on);
        }
    }
}

void PreferenceSmartDatePage::fill(PreferencesContext &context)
{
    if (!root())
        return;
    PreferencesPage::fill(context);
    for (const char *group : {"F_", "I_"})
        applyRule(QLatin1String(group));
    if (scope() == PreferenceScope::CurrentFeed)
        enableRules(context.values(scope()).value(m_prefix + QStringLiteral("Enabled")).toBool());
}

void PreferenceSmartDatePage::read(PreferencesContext &context)
{
    if (!root())
        return;
    const PreferenceBindings &all = bindings();
    qsizetype first = 0;
    bool on = true;
    if (scope() == PreferenceScope::CurrentFeed) {
        // The switch first: the rules are read with their controls disabled while it is off.
        readBinding(context, all.first());
        on = context.values(scope()).value(m_prefix + QStringLiteral("Enabled")).toBool();
        if (!on)
            enableRules(false);
        first = 1;
    }
    for (qsizetype i = first; i < all.size(); ++i) {
        const PreferenceBinding &binding = all.at(i);
        // A value field takes its stepper's range before it is stored, so the stored number
        // is the one shown.
        if (binding.kind == BindingKind::Integer)
            applyRule(binding.control.mid(m_prefix.size(), 2));
        readBinding(context, binding);
    }
    if (on)
        enableRules(true);
}
