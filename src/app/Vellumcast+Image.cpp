// The Image menu and toolbar commands: open, download and re-download the feed image, and save it.
#include "app/Vellumcast.h"

#include "app/ImagePane.h"
#include "app/PictureFile.h"
#include "editors/CroppingImageView.h"
#include "editors/openURLPanel.h"
#include "model/VLXImage.h"
#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "platform/FileChooser.h"

#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
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

void Vellumcast::setUpImageCommands()
{
    const struct
    {
        const char *command;
        void (Vellumcast::*action)();
    } commands[] = {{"openImage", &Vellumcast::openImage},
                    {"downloadImage", &Vellumcast::downloadImage},
                    {"redownloadImage", &Vellumcast::redownloadImage}};
    for (const auto &entry : commands) {
        if (!hasCommandHandler(QLatin1String(entry.command)))
            setCommandHandler(QLatin1String(entry.command),
                              [this, entry] { (this->*entry.action)(); });
    }
    if (!hasCommandHandler(QStringLiteral("saveImage")))
        setCommandHandler(QStringLiteral("saveImage"), [this] { saveImage(); });

    // Each time the image tab comes up with a picture too large for a feed, the user is asked.
    if (auto *tabs = outlet<QTabWidget>(QStringLiteral("tabsFeeds")))
        connect(tabs, &QTabWidget::currentChanged, this, [this](int index) {
            if (index == ImageTab)
                m_imagePane->warnIfImageTooLarge();
        });

    // While the picture is on its way the status line offers to stop it.
    auto *stop = new QToolButton(m_documentWindow);
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
            removeButtonToStatusLine(guard);
            guard->hide();
        } else {
            addButtonToStatusLine(guard);
        }
    });
}

void Vellumcast::openImage()
{
    finalizeChanges();
    showSelectedTab(ImageTab);
    FileRequest request;
    request.kind = FileRequest::Kind::OpenFile;
    request.title = tr("Load");
    request.allowedExtensions = kImageExtensions;
    request.directory = userDefaults().string(kOpenPathKey).value_or(QDir::homePath());
    const QStringList chosen = FileChooser::run(request);
    if (chosen.isEmpty())
        return;
    const QString path = expandTilde(chosen.first());
    userDefaults().setObject(QFileInfo(path).absolutePath(), kOpenPathKey);
    // Read in the background; the step "New Image" is taken, and the size checked, when the
    // picture has been read.
    m_document->openPictureFile(path, QStringLiteral("New Image"));
}

void Vellumcast::downloadImage()
{
    finalizeChanges();
    const std::optional<QUrl> url = openURLPanel::askForURL(m_documentWindow, kHistoryKey);
    if (!url)
        return;
    // The step "New Image" is taken when the picture arrives, not before.
    m_document->downloadPicture(url->toString(QUrl::FullyEncoded), QStringLiteral("New Image"));
}

void Vellumcast::redownloadImage()
{
    finalizeChanges();
    const QString address = m_document->image()->URL().trimmed();
    if (address.isEmpty()) {
        inform(tr("No Image URL"),
               tr("The image has no address to download it from.  Type it in the Image URL "
                  "field first."));
        return;
    }
    m_document->downloadPicture(address, QStringLiteral("Reload Image"));
}

bool Vellumcast::saveImage()
{
    finalizeChanges();
    const QImage picture = m_document->picture();
    if (picture.isNull())
        return false;
    FileRequest request;
    request.kind = FileRequest::Kind::SaveFile;
    request.title = tr("Save Image");
    request.allowedExtensions = kImageExtensions;
    request.directory = userDefaults().string(kSavePathKey).value_or(QDir::homePath());
    request.proposedName = m_document->image()->imageFilename();
    const QStringList chosen = FileChooser::run(request);
    if (chosen.isEmpty())
        return false;
    const QString folder = QFileInfo(expandTilde(chosen.first())).absolutePath();
    userDefaults().setObject(folder, kSavePathKey);
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
    setImageEdited(false);
    m_document->setPictureFile(path);
    return true;
}
