#include "app/ValidationActions.h"

#include "app/FeedOpening.h"
#include "app/FeedSaving.h"
#include "app/WindowServices.h"
#include "app/XMLSourceEditing.h"
#include "document/FieldChange.h"
#include "document/FreeAside.h"
#include "document/LoadControl.h"
#include "editors/errorListing.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/extensionManagerChannel.h"
#include "platform/AlertService.h"

#include <QTabWidget>

ValidationActions::ValidationActions(WindowServices &window, FeedOpening &opening,
                                     FeedSaving &saving, QObject *parent)
    : QObject(parent), m_window(window), m_opening(opening), m_saving(saving),
      m_document(window.document())
{
}

void ValidationActions::setUpValidationCommands()
{
    m_window.setCommandHandler(QStringLiteral("validateAction"), [this] { validateAction(); });
    m_window.setCommandHandler(QStringLiteral("viewXML"), [this] { viewXML(); });
}

XMLSourceRequest ValidationActions::viewXMLRequest() const
{
    const VLXFeed &feed = *m_document->feed();
    return {m_document->text(),
            feed.buildXML(),
            false,
            feed.XMLExtensions()->arrayOfExtensionNames(),
            {},
            0};
}

// --- Validation and the raw source --------------------------------------------------------------

void ValidationActions::validateAction()
{
    m_window.finalizeChanges();
    errorListing::closePanel();
    // Validating walks every item: on the worker, as a save does.
    const std::optional<FeedDocument::ParseLog> found
        = m_saving.validateOnWorker(tr("Validate"), QStringLiteral("Validating..."));
    if (!found) {
        m_window.validateCommands();
        return;
    }
    Alert alert;
    if (!found->messages.isEmpty()) {
        // Warnings and repairs count as problems too.
        errorListing::showPanel(m_window.window(), found->messages, found->errors, found->warnings,
                                found->repairs);
        alert.style = Alert::Style::Critical;
        alert.title = QStringLiteral("Feed Doesn't Validate");
        alert.message = QStringLiteral("Vellumcast has detected problems with the feed that "
                                       "prevents it from validating.");
    } else {
        alert.style = Alert::Style::Informational;
        alert.title = QStringLiteral("Feed Validated");
        alert.message = QStringLiteral("Vellumcast did not detecte any problems with this feed.");
    }
    AlertService::show(alert);
    m_window.validateCommands();
}

void ValidationActions::viewXML()
{
    m_window.finalizeChanges();
    // The text as read and the text now are made on the loader's worker: for a big feed each
    // takes longer than the window may wait.
    auto request = std::make_shared<XMLSourceRequest>();
    const std::shared_ptr<VLXFeed> feed = m_document->feed();
    const QByteArray bytes = m_document->bytes();
    const QString text = bytes.isNull() ? m_document->text() : QString();
    const QStringList used = feed->XMLExtensions()->arrayOfExtensionNames();
    if (!m_saving.runOnWorker(
            [request, feed, bytes, text, used](LoadControl &) {
                *request = {bytes.isNull() ? text : VLXParseFeed::stringFromXMLData(bytes),
                            feed->buildXML(),
                            false,
                            used,
                            {},
                            0};
            },
            tr("View XML Source"), QStringLiteral("Preparing...")))
        return;
    std::optional<QString> edited = XMLSourceEditing::edit(*request, m_window.window());
    const bool unchanged = !edited || *edited == request->current;
    if (request->original)
        freeAside(std::move(*request->original));
    freeAside(std::move(request->current));
    if (unchanged)
        return;
    for (const char *name : {"tabsFeeds_FeedsSub", "tabsFeeds_ItemsSub", "tabsFeeds_ImagesSub"}) {
        if (auto *sub = m_window.outlet<QTabWidget>(QLatin1String(name)))
            sub->setCurrentIndex(0);
    }
    // Read again, the feed keeps the local enclosure files and upload dates the text does not
    // hold; undo shows the feed object as it was.
    UndoRecord before = FieldChange::wholeFeed(*m_document);
    const bool read = m_opening.reparseLoadedFeed(*edited);
    freeAside(std::move(*edited));
    if (!read)
        return;
    m_document->registerUndo(std::move(before), QStringLiteral("View XML Edit"));
    if (m_document->itemCount() > 0)
        m_window.populateItem(0);
}
