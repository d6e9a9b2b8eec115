#include "import/ImportWindowTool.h"

#include "import/VLXImport.h"

#include <QWidget>

bool ImportWindowTool::showImportWindow(QWidget *window, const QString &destinationFeed,
                                        const QString &startingFeed, std::function<void()> ended)
{
    // Owned by the feed window while it shows, so that it goes with it at the latest.
    auto *import = new VLXImport(window, window);
    import->setDestinationFeed(destinationFeed);
    import->setStartingFeed(startingFeed);
    QPointer<VLXImport> shown(import);
    const bool ok = import->showImportWindow([shown, ended = std::move(ended)] {
        if (shown)
            shown->deleteLater();
        if (ended)
            ended();
    });
    if (!ok) {
        delete import;
        return false;
    }
    m_current = import;
    return true;
}
