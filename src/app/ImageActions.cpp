#include "app/ImageActions.h"

#include "app/WindowServices.h"
#include "document/FeedDocument.h"
#include "settings/VLXPreferences.h"

#include "app/ImagePane.h"
#include "app/PictureFile.h"
#include "editors/openURLPanel.h"
#include "model/VLXImage.h"
#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "platform/FileChooser.h"

#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <QToolButton>

namespace {
const QString kOpenPathKey = QStringLiteral("LastImageOpenPath");
const QString kSavePathKey = QStringLiteral("LastImageSavePath");
const QString kHistoryKey = QStringLiteral("feedImageDownloadHistory");
const QStringList kImageExtensions {QStringLiteral("gif"), QStringLiteral("jpg"),
                                    QStringLiteral("png")};

void inform(const QString &title, const QString &message)
{
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = title;
    alert.message = message;
    AlertService::show(alert);
}

QString expandTilde(const QString &path)
{
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}
} // namespace

ImageActions::ImageActions(WindowServices &window, QObject *parent)
    : QObject(parent), m_window(window), m_document(window.document())
{
}

void ImageActions::setUpImageCommands()
{
    const struct
    {
        const char *command;
        void (ImageActions::*action)();
    } commands[] = {{"openImage", &ImageActions::openImage},
                    {"downloadImage", &ImageActions::downloadImage},
                    {"redownloadImage", &ImageActions::redownloadImage}};
    for (const auto &entry : commands) {
        if (!m_window.hasCommandHandler(QLatin1String(entry.command)))
            m_window.setCommandHandler(QLatin1String(entry.command),
                                       [this, entry] { (this->*entry.action)(); });
    }
    if (!m_window.hasCommandHandler(QStringLiteral("saveImage")))
        m_window.setCommandHandler(QStringLiteral("saveImage"), [this] { saveImage(); });

    // Each time the image tab comes up with a picture too large for a feed, the user is asked.
    if (auto *tabs = m_window.outlet<QTabWidget>(QStringLiteral("tabsFeeds")))
        connect(tabs, &QTabWidget::currentChanged, this, [this](int index) {
            if (index == WindowServices::ImageTab)
                m_window.imagePane()->warnIfImageTooLarge();
        });

    // While the picture is on its way the status line offers to stop it.
    auto *stop = new QToolButton(m_window.window());
    stop->setObjectName(QStringLiteral("imageTransferStop"));
    stop->setText(tr("Stop Image Download"));
    stop->setIcon(QIcon::fromTheme(QStringLiteral("process-stop")));
    stop->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    stop->hide();
    connect(stop, &QToolButton::clicked, m_document, &FeedDocument::cancelPictureFetch);
    QPointer<QToolButton> guard(stop);
    connect(m_document, &FeedDocument::pictureTransferChanged, this, [this, guard] {
        if (!guard)
            return;
        const QString url = m_document->pictureTransferURL();
        const char *const kShown = "inStatusLine";
        guard->setToolTip(tr("Stop loading the image %1").arg(url));
        if (url.isEmpty() == !guard->property(kShown).toBool())
            return;
        guard->setProperty(kShown, !url.isEmpty());
        if (url.isEmpty()) {
            m_window.removeButtonToStatusLine(guard);
            guard->hide();
        } else {
            m_window.addButtonToStatusLine(guard);
        }
    });
}

void ImageActions::openImage()
{
    m_window.finalizeChanges();
    m_window.showSelectedTab(WindowServices::ImageTab);
    FileRequest request;
    request.kind = FileRequest::Kind::OpenFile;
    request.title = tr("Load");
    request.allowedExtensions = kImageExtensions;
    request.directory
        = VLXPreferences::sharedInstance().store().string(kOpenPathKey).value_or(QDir::homePath());
    const QStringList chosen = FileChooser::run(request);
    if (chosen.isEmpty())
        return;
    const QString path = expandTilde(chosen.first());
    VLXPreferences::sharedInstance().store().setObject(QFileInfo(path).absolutePath(),
                                                       kOpenPathKey);
    // Read in the background; the step "New Image" is taken, and the size checked, when the
    // picture has been read.
    m_document->openPictureFile(path, QStringLiteral("New Image"));
}

void ImageActions::downloadImage()
{
    m_window.finalizeChanges();
    const std::optional<QUrl> url = openURLPanel::askForURL(m_window.window(), kHistoryKey);
    if (!url)
        return;
    // The step "New Image" is taken when the picture arrives, not before.
    m_document->downloadPicture(url->toString(QUrl::FullyEncoded), QStringLiteral("New Image"));
}

void ImageActions::redownloadImage()
{
    m_window.finalizeChanges();
    const QString address = m_document->image()->URL().trimmed();
    if (address.isEmpty()) {
        inform(tr("No Image URL"),
               tr("The image has no address to download it from.  Type it in the Image URL "
                  "field first."));
        return;
    }
    m_document->downloadPicture(address, QStringLiteral("Reload Image"));
}

bool ImageActions::saveImage()
{
    m_window.finalizeChanges();
    const QImage picture = m_document->picture();
    if (picture.isNull())
        return false;
    FileRequest request;
    request.kind = FileRequest::Kind::SaveFile;
    request.title = tr("Save Image");
    request.allowedExtensions = kImageExtensions;
    request.directory
        = VLXPreferences::sharedInstance().store().string(kSavePathKey).value_or(QDir::homePath());
    request.proposedName = m_document->image()->imageFilename();
    const QStringList chosen = FileChooser::run(request);
    if (chosen.isEmpty())
        return false;
    const QString folder = QFileInfo(expandTilde(chosen.first())).absolutePath();
    VLXPreferences::sharedInstance().store().setObject(folder, kSavePathKey);
    const QString name = QFileInfo(chosen.first()).fileName().trimmed();
    const QString path = QStringLiteral("%1/%2").arg(folder, name);
    QString problem;
    if (name.isEmpty() || !PictureFile::write(picture, path, &problem)) {
        // The image keeps its unsaved mark: nothing of it reached a file.
        Alert failure;
        failure.style = Alert::Style::Critical;
        failure.title = QStringLiteral("Save Failed");
        failure.message = tr("The image could not be saved to \"%1\". %2")
                              .arg(QDir::toNativeSeparators(path),
                                   name.isEmpty() ? tr("The file name is empty.") : problem);
        AlertService::show(failure);
        return false;
    }
    m_document->setImageEdited(false);
    m_document->setPictureFile(path);
    return true;
}
