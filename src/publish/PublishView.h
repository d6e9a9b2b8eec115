#pragma once

#include "platform/AlertService.h"

#include <QString>

// What the publisher needs of the publish window: the check boxes and fields it reads when the
// user presses Publish, and the places it reports to while the run goes on. The window
// implements it (the publisher holds no widget); tests drive the publisher through their own.
// Every call is made on the main thread.
class PublishView
{
public:
    // The window's check boxes.
    enum class Toggle {
        UploadImage,
        UploadEnclosure,
        UploadOtherFiles,
        UploadXML,
        NoFutureItems,
        LimitItems
    };
    // The window's text fields (LimitNumber holds the item count as text).
    enum class Field {
        RemoteFilename,
        RemoteImageFilename,
        RemotePath,
        RemoteImagePath,
        RemoteEnclosurePath,
        Password,
        LimitNumber
    };
    // The two file tables and their disclosure sections.
    enum class Table { Enclosures, OtherFiles };
    // The "Last Published: …" lines of the feed and of its image.
    enum class Stamp { Feed, Image };

    // The progress bar. Indeterminate and not animating means idle (hidden when stopped).
    struct Progress
    {
        bool determinate = false;
        bool animating = false;
        double maximum = 0;
        double value = 0;
    };

    virtual ~PublishView() = default;

    virtual bool isOn(Toggle toggle) const = 0;
    virtual void setOn(Toggle toggle, bool on) = 0;
    virtual QString text(Field field) const = 0;
    virtual void setText(Field field, const QString &text) = 0;

    virtual bool isSectionOpen(Table table) const = 0;
    virtual void setSectionOpen(Table table, bool open) = 0;
    // The rows or their check boxes changed: show them anew.
    virtual void reloadTable(Table table) = 0;

    virtual void setStatus(const QString &text) = 0;
    virtual void setProgress(const Progress &progress) = 0;
    virtual void setLastPublished(Stamp stamp, const QString &text) = 0;
    // While a run goes on the Cancel button reads "Abort" and aborts; otherwise "Close".
    virtual void setRunning(bool running) = 0;

    // The transfer log was emptied, or text was added at its end (scroll to it).
    virtual void transferLogCleared() = 0;
    virtual void transferLogAppended(const QString &text) = 0;

    // An alert sheet on the publish window; the run goes on without waiting for it.
    virtual void showAlertSheet(const Alert &alert) = 0;
    // The image conversion ended: stop its spinner; the image controls become usable when
    // there is an image to publish.
    virtual void imageConversionEnded(bool anyImage) = 0;
    // Close: end the window's modal run with code 1.
    virtual void closeWindow() = 0;
};
