#pragma once

#include "editors/XMLSourceRequest.h"

#include <QObject>

class FeedDocument;
class FeedOpening;
class FeedSaving;
class WindowServices;

// Whole-feed validation and the raw XML source of the loaded feed.
class ValidationActions : public QObject
{
    Q_OBJECT
public:
    ValidationActions(WindowServices &window, FeedOpening &opening, FeedSaving &saving,
                      QObject *parent);

    void setUpValidationCommands();
    // Validates the whole feed and reports: the message panel and "Feed Doesn't Validate", or
    // "Feed Validated".
    void validateAction();
    // Edits the feed's RSS text in the XML source window and reads the feed again from it, as
    // one step "View XML Edit".
    void viewXML();
    // What View XML asks of the window: the loaded feed's text as read beside its text now.
    XMLSourceRequest viewXMLRequest() const;

private:
    WindowServices &m_window;
    FeedOpening &m_opening;
    FeedSaving &m_saving;
    FeedDocument *m_document;
};
