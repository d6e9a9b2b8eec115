#pragma once

#include <QDialog>

class QLabel;

// The About window: the application's name, icon and version. It also shows briefly as a splash
// while the application starts.
class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *parent = nullptr);

    // Centres the window over the frame (x y width height) or, without one, over its screen.
    void showCentredOver(const QRect &frame);
    QLabel *aboutVersion() const { return m_version; }

private:
    QLabel *m_version;
    QLabel *m_message;
};
