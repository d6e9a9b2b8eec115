#pragma once

#include "platform/HelpService.h"

#include <QStringList>
#include <memory>

// A help service for tests: records the anchors asked for.
class ScriptedHelpService : public HelpService
{
public:
    void openAnchor(const QString &anchor) override { m_anchors.append(anchor); }
    const QStringList &anchors() const { return m_anchors; }

    // Makes a new scripted service and installs it as the process help service.
    static std::shared_ptr<ScriptedHelpService> install();

private:
    QStringList m_anchors;
};
