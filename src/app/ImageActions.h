#pragma once

#include <QObject>

class FeedDocument;
class WindowServices;

// The Image menu and toolbar commands: Open Image ("New Image"), Download Image ("New Image",
// through the URL panel) and Re-download Image ("Reload Image", from the image URL); a download
// runs in the background and becomes a step only when a picture arrives. Save Image writes the
// picture in the format its name asks for and answers whether it did: only then does the image
// count as saved.
class ImageActions : public QObject
{
    Q_OBJECT
public:
    ImageActions(WindowServices &window, QObject *parent);

    // Offers the image commands, the size warning of the image tab and the status line's stop
    // button of a download.
    void setUpImageCommands();
    void openImage();
    void downloadImage();
    void redownloadImage();
    bool saveImage();

private:
    WindowServices &m_window;
    FeedDocument *m_document;
};
