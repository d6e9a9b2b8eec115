#pragma once

#include <QObject>

class FeedDocument;
class FeedSaving;
class WindowServices;

// The feed window's side of publishing: handing the loaded feed to the publish sheet
// ("uploadFile", and "uploadImage" with the image converted and shown), storing what the run
// changed in the feed's list entry (the publish dates, the local enclosure files and the
// additional files), and the publishing log command.
class PublishHandOff : public QObject
{
    Q_OBJECT
public:
    PublishHandOff(WindowServices &window, FeedSaving &saving, QObject *parent);

    void setUpPublishing();
    void publish(bool expandImage);

private:
    void setUpPublishingLog();

    WindowServices &m_window;
    FeedSaving &m_saving;
    FeedDocument *m_document;
};
