#pragma once

#include "panes/ItemImportTool.h"

#include "import/VLXImport.h"

#include <QPointer>

// Serves the feed window's import command and its drops with a new import window for each use;
// the window goes when it closes.
class ImportWindowTool : public ItemImportTool
{
public:
    bool showImportWindow(QWidget *window, const QString &destinationFeed,
                          const QString &startingFeed, std::function<void()> ended) override;
    // The open import window, null when none.
    VLXImport *current() const { return m_current; }

private:
    QPointer<VLXImport> m_current;
};
