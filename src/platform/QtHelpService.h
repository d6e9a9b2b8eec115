#pragma once

#include "platform/HelpService.h"

#include <QHash>
#include <QPointer>
#include <QUrl>

#include "platform/HelpWindow.h"

// The help book: HTML pages under a resource folder, each topic marked with <a name="anchor">.
// The book is indexed once; opening an anchor shows its page in the help window.
class QtHelpService : public HelpService
{
public:
    explicit QtHelpService(const QString &bookFolder = QStringLiteral(":/help"));
    ~QtHelpService() override;

    void openAnchor(const QString &anchor) override;
    // Opens the anchor and answers whether the book has it.
    bool lookupAnchor(const QString &anchor);
    bool hasAnchor(const QString &anchor) const { return m_anchors.contains(anchor); }
    QUrl urlForAnchor(const QString &anchor) const;
    QStringList anchors() const { return m_anchors.keys(); }
    HelpWindow *window() const { return m_window; }

private:
    void index(const QString &folder);

    QHash<QString, QUrl> m_anchors;
    QList<QPair<QString, QUrl>> m_pages;
    QPointer<HelpWindow> m_window;
};
