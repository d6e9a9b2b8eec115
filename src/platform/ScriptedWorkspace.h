#pragma once

#include "platform/Workspace.h"

#include <QList>

// Records the addresses handed to the browser instead of opening them.
class ScriptedWorkspace : public Workspace
{
public:
    bool openURL(const QUrl &url) override
    {
        m_opened.append(url);
        return true;
    }
    const QList<QUrl> &opened() const { return m_opened; }

private:
    QList<QUrl> m_opened;
};
