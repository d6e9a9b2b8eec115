#include "prefs/PreferencesPage.h"

#include "prefs/PreferenceBinder.h"

#include <QWidget>

PreferencesPage::PreferencesPage(const QString &identifier, PreferenceScope scope,
                                 PreferenceBindings bindings)
    : m_identifier(identifier), m_scope(scope), m_bindings(std::move(bindings))
{
}

PreferencesPage::~PreferencesPage() = default;

bool PreferencesPage::isActive(const PreferencesContext &context) const
{
    return !m_required || context.used().uses(*m_required);
}

QWidget *PreferencesPage::widget(PreferencesContext &context)
{
    if (!m_built) {
        m_built = true;
        m_widget = build(context);
        if (m_widget && m_widget->objectName().isEmpty())
            m_widget->setObjectName(m_identifier);
    }
    return m_widget;
}

void PreferencesPage::fillBinding(PreferencesContext &context, const PreferenceBinding &binding)
{
    const QVariantMap &values = context.values(m_scope);
    const auto it = values.constFind(binding.key);
    if (it == values.cend())
        return;
    PreferenceBinder::fill(m_widget, binding, it.value(), context);
}

void PreferencesPage::readBinding(PreferencesContext &context, const PreferenceBinding &binding)
{
    const QVariant value = PreferenceBinder::read(m_widget, binding, context);
    if (value.isValid())
        context.values(m_scope).insert(binding.key, value);
}

void PreferencesPage::fill(PreferencesContext &context)
{
    if (!isActive(context))
        return;
    for (const PreferenceBinding &binding : std::as_const(m_bindings))
        fillBinding(context, binding);
    afterFill(context);
}

void PreferencesPage::read(PreferencesContext &context)
{
    if (!isActive(context))
        return;
    for (const PreferenceBinding &binding : std::as_const(m_bindings))
        readBinding(context, binding);
    afterRead(context);
}
