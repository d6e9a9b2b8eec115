#include "model/TemplateValues.h"

TemplateValues::TemplateValues(const Names *asked, const TemplateValues *before)
    : m_asked(asked), m_before(before)
{
}

bool TemplateValues::asks(QStringView placeholder) const
{
    return !m_asked || m_asked->find(placeholder) != m_asked->end();
}

void TemplateValues::put(QStringView placeholder, const QString &value, Holds holds)
{
    if (!asks(placeholder) || m_values.find(placeholder) != m_values.end())
        return;
    m_values.emplace(placeholder.toString(), Value {value, holds});
}

const TemplateValues::Value *TemplateValues::find(QStringView placeholder) const
{
    if (m_before) {
        if (const Value *value = m_before->find(placeholder))
            return value;
    }
    const auto it = m_values.find(placeholder);
    return it == m_values.end() ? nullptr : &it->second;
}
