#pragma once

#include "platform/StatusSink.h"

#include <QStringList>
#include <memory>

// A status sink for tests: records every status text in order.
class ScriptedStatusSink : public StatusSink
{
public:
    void setStatus(const QString &text) override { m_texts.append(text); }
    const QStringList &texts() const { return m_texts; }

    // Makes a new scripted sink and installs it as the process status sink.
    static std::shared_ptr<ScriptedStatusSink> install();

private:
    QStringList m_texts;
};
