#pragma once

#include <QString>
#include <functional>

class QMenu;
class QWidget;

// The help-anchor family shared by every control of the kit: a control carries the anchor of its
// topic in the help book and can open that topic on request (context menu "Help", F1, or the
// "More Information" button of a field alert).
class VLXHelpAnchored
{
public:
    virtual ~VLXHelpAnchored() = default;

    QString helpAnchor() const { return m_helpAnchor; }
    void setHelpAnchor(const QString &anchor) { m_helpAnchor = anchor; }

    // Opens the help book at the anchor; true when the help viewer took it.
    static bool helpForField(const QString &anchor);
    // Opens this control's topic when it has one; the answer is not used.
    void showContextHelp() const;
    // F1 on a control: its own topic when that opens, else false so the caller falls back.
    bool helpRequested() const;

    // Appends the "Help" item, enabled only while the anchor is set.
    void addHelpItem(QMenu *menu) const;

    // The application installs the help viewer here (it answers whether the anchor exists);
    // until then requests go to HelpService and count as failed.
    static void setHelpHandler(std::function<bool(const QString &)> handler);

    // The nearest control at or above the widget that carries a non-empty anchor, or null.
    static const VLXHelpAnchored *anchoredAt(const QWidget *widget);

private:
    QString m_helpAnchor;
};
