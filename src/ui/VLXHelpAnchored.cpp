#include "ui/VLXHelpAnchored.h"

#include "platform/HelpService.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QWidget>

namespace {
std::function<bool(const QString &)> &handler()
{
    static std::function<bool(const QString &)> installed;
    return installed;
}
} // namespace

bool VLXHelpAnchored::helpForField(const QString &anchor)
{
    if (anchor.isEmpty())
        return false;
    const auto &open = handler();
    if (open)
        return open(anchor);
    // Without a help viewer that can answer, the request still goes to the help service.
    HelpService::open(anchor);
    return false;
}

void VLXHelpAnchored::showContextHelp() const
{
    if (!m_helpAnchor.isEmpty())
        helpForField(m_helpAnchor);
}

bool VLXHelpAnchored::helpRequested() const
{
    return !m_helpAnchor.isEmpty() && helpForField(m_helpAnchor);
}

void VLXHelpAnchored::addHelpItem(QMenu *menu) const
{
    if (!menu)
        return;
    if (!menu->isEmpty())
        menu->addSeparator();
    QAction *help = menu->addAction(QCoreApplication::translate("VLXHelpAnchored", "Help"));
    help->setObjectName(QStringLiteral("contextHelp"));
    help->setEnabled(!m_helpAnchor.isEmpty());
    const QString anchor = m_helpAnchor;
    QObject::connect(help, &QAction::triggered, help, [anchor] { helpForField(anchor); });
}

void VLXHelpAnchored::setHelpHandler(std::function<bool(const QString &)> open)
{
    handler() = std::move(open);
}

const VLXHelpAnchored *VLXHelpAnchored::anchoredAt(const QWidget *widget)
{
    for (; widget; widget = widget->parentWidget()) {
        const auto *anchored = dynamic_cast<const VLXHelpAnchored *>(widget);
        if (anchored && !anchored->helpAnchor().isEmpty())
            return anchored;
    }
    return nullptr;
}
