#include "prefs/PreferenceExtensionPage.h"

#include "extensions/FieldExtensionBase.h"
#include "model/extensionNSRaw.h"
#include "panes/ExtensionFieldPane.h"
#include "panes/ExtensionTabs.h"
#include "panes/PaneKit.h"
#include "platform/KeyedArchivable.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "prefs/PreferencePageKit.h"
#include "prefs/PreferencesContext.h"

#include <QCoreApplication>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("PreferenceExtensionPage", text);
}
} // namespace

PreferenceExtensionPage::PreferenceExtensionPage(const Entry &entry)
    : PreferencesPage(QLatin1String(entry.identifier), entry.scope), m_entry(entry)
{
    m_twin = std::dynamic_pointer_cast<extensionNSRaw>(
        KeyedUnarchiver::makeObject(QLatin1String(entry.twinClass)));
    if (!fields())
        m_twin.reset();
    // The current feed's item pages hold values only while the feed uses the extension.
    if (entry.scope == PreferenceScope::CurrentFeed)
        setRequiredExtension(entry.ns);
}

PreferenceExtensionPage::~PreferenceExtensionPage()
{
    if (m_twin && m_listener)
        m_twin->removeChangeListener(m_listener);
}

ExtensionFieldPane *PreferenceExtensionPage::pane() const
{
    return m_pane;
}

FieldExtensionBase *PreferenceExtensionPage::fields() const
{
    return FieldExtensionBase::from(m_twin.get());
}

QString PreferenceExtensionPage::keyOf(int field) const
{
    const ExtensionField &row = fields()->descriptor().field(field);
    const char *key
        = m_entry.scope == PreferenceScope::CurrentFeed ? row.feedDefaultKey : row.defaultKey;
    return QString::fromLatin1(key ? key : "");
}

QWidget *PreferenceExtensionPage::build(PreferencesContext &context)
{
    if (!m_twin)
        return nullptr;
    const KnownNamespace ns = m_entry.ns;
    const FieldScope scope = fields()->descriptor().place == ExtensionPlace::Item
        ? FieldScope::Item
        : (fields()->descriptor().place == ExtensionPlace::Image ? FieldScope::Image
                                                                 : FieldScope::Channel);
    // No document: the pane's edits are applied to the twin and nothing else.
    ExtensionPane *made = ExtensionTabs::makePane(knownNamespaces::prefix(ns), m_twin,
                                                  {nullptr, nullptr, scope, {}});
    m_pane = qobject_cast<ExtensionFieldPane *>(made);
    if (!m_pane) {
        delete made;
        return nullptr;
    }
    m_pane->usePreferenceKeys(m_entry.scope == PreferenceScope::CurrentFeed);
    PreferencesContext *shared = &context;
    m_listener = m_twin->addChangeListener([this, shared] {
        if (!m_filling)
            shared->miscChanged();
    });
    // The page scrolls as a whole: the pane is as tall as its fields.
    if (auto *inner = m_pane->findChild<QScrollArea *>(); inner && inner->widget())
        m_pane->setMinimumHeight(inner->widget()->sizeHint().height() + 8);
    auto *layout = new QVBoxLayout;
    layout->addWidget(m_pane, 1);
    const QString place = m_entry.scope == PreferenceScope::CurrentFeed
        ? tr("New items of the current feed start with these values.")
        : tr("New feeds and items start with these values, unless the feed sets its own.");
    return PreferencePageKit::page(identifier(),
                                   knownNamespaces::displayName(ns, fields()->descriptor().place),
                                   place, layout);
}

void PreferenceExtensionPage::fill(PreferencesContext &context)
{
    if (!m_twin || !isActive(context))
        return;
    FieldExtensionBase *object = fields();
    const QVariantMap &values = context.values(scope());
    m_filling = true;
    m_filled.clear();
    for (int f = 0; f < object->descriptor().fieldCount(); ++f) {
        const QString key = keyOf(f);
        if (!key.isEmpty() && values.contains(key))
            object->setSettingValue(f, values.value(key));
        m_filled.append(object->value(f));
    }
    m_filling = false;
    if (m_pane)
        m_pane->loadData();
}

void PreferenceExtensionPage::read(PreferencesContext &context)
{
    if (!m_twin || !isActive(context))
        return;
    const FieldExtensionBase *object = fields();
    QVariantMap &values = context.values(scope());
    for (int f = 0; f < object->descriptor().fieldCount(); ++f) {
        const QString key = keyOf(f);
        if (key.isEmpty())
            continue;
        // A list is written only when it changed: its archived form is made of new objects,
        // which would make an unchanged list look changed.
        if (object->descriptor().field(f).kind == ExtensionField::Kind::List && f < m_filled.size()
            && object->value(f) == m_filled.at(f))
            continue;
        QVariant setting = object->settingValue(f);
        // The feed's own entry keeps an object as its archive.
        if (object->descriptor().field(f).defaultIsObject
            && m_entry.scope == PreferenceScope::CurrentFeed)
            setting = KeyedArchiver::archivedDataWithRootObject(setting);
        values.insert(key, setting);
    }
}
