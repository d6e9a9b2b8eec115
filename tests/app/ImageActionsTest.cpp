#include "AppFixture.h"

#include "app/Controller.h"
#include "app/FeedSaving.h"
#include "app/ImageActions.h"
#include "app/ImagePane.h"
#include "app/Vellumcast.h"
#include "common/LocalServer.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "editors/CroppingImageView.h"
#include "editors/EditorTestSupport.h"
#include "io/CURLHandle.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedFileChooser.h"
#include "ui/VLXComboBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXSpinBox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gif_lib.h>
#include <optional>
#include <unistd.h>

namespace {
const QString kTooLarge = QStringLiteral("The image image is larger then recommended");
const QString kReminder = QStringLiteral("Don't forget to save and/or upload the new image");

// Four coloured quarters, so a crop or a scale shows which part was kept: red top left, green
// top right, blue bottom left, yellow bottom right.
QImage quarters(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           y < h ? (x < w ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                 : (x < w ? qRgb(0, 0, 255) : qRgb(255, 255, 0)));
    }
    return image;
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 40 && qAbs(qGreen(a) - qGreen(b)) < 40
        && qAbs(qBlue(a) - qBlue(b)) < 40;
}

// A GIF file read back with giflib: its size and the colours of two corners.
struct DecodedGIF
{
    QSize size;
    QRgb topLeft = 0;
    QRgb bottomRight = 0;
};

int readFromBuffer(GifFileType *gif, GifByteType *into, int length)
{
    auto *bytes = static_cast<QByteArray *>(gif->UserData);
    const int n = qMin<int>(length, int(bytes->size()));
    memcpy(into, bytes->constData(), size_t(n));
    bytes->remove(0, n);
    return n;
}

std::optional<DecodedGIF> decodeGIF(QByteArray bytes)
{
    int error = 0;
    GifFileType *gif = DGifOpen(&bytes, readFromBuffer, &error);
    if (!gif)
        return std::nullopt;
    std::optional<DecodedGIF> result;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1) {
        const SavedImage &image = gif->SavedImages[0];
        const ColorMapObject *map
            = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const int w = image.ImageDesc.Width;
        const int h = image.ImageDesc.Height;
        auto colour = [&](int index) {
            const GifColorType c = map->Colors[image.RasterBits[index]];
            return qRgb(c.Red, c.Green, c.Blue);
        };
        if (map)
            result = DecodedGIF {QSize(w, h), colour(0), colour(w * h - 1)};
    }
    DGifCloseFile(gif, &error);
    return result;
}

class ImageActionsTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        chooser = std::make_shared<ScriptedFileChooser>();
        FileChooser::setInstance(chooser);
    }
    void TearDown() override
    {
        FileChooser::setInstance(nullptr);
        CURLHandle::setDefaultTimeouts(CURLHandle::kDefaultConnectTimeout,
                                       CURLHandle::kDefaultTransferTimeout);
        AppFixture::TearDown();
    }

    Vellumcast &open() { return openInWindow(smallFeed("T")); }
    template<typename T = QWidget> T *outlet(const char *name)
    {
        return controller->feedController()->outlet<T>(QLatin1String(name));
    }
    CroppingImageView *view() { return outlet<CroppingImageView>("Image_Required_Image"); }
    VLXUndoManager &undo() { return *controller->feedController()->undoManager(); }
    VLXImage &image() { return *controller->feedController()->currentFeed()->image(); }
    QString text(const char *name) { return outlet<QLineEdit>(name)->text(); }
    QSize fields()
    {
        return QSize(text("Image_Required_Width").toInt(), text("Image_Required_Height").toInt());
    }
    int edge(const char *name) { return outlet<VLXSpinBox>(name)->value(); }
    QRect edges()
    {
        // Corner form: left, bottom, right, top.
        return QRect(edge("Image_Edit_NewLeft"), edge("Image_Edit_NewBottom"),
                     edge("Image_Edit_NewRight"), edge("Image_Edit_NewTop"));
    }
    QStringList alertTitles()
    {
        QStringList titles;
        for (const Alert &alert : alerts->alerts())
            titles << alert.title;
        return titles;
    }
    QString writePicture(const QString &name, const QSize &size)
    {
        const QString path = QDir(home()).filePath("pictures/" + name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(quarters(size).save(path));
        return path;
    }
    // Opens the file through Open Image, the sheets answered in turn (then the default), and
    // lets the picture be read in the background and the step end as a user's action does.
    void openPicture(const QString &path, const QList<int> &answers = {})
    {
        alerts->clear();
        for (int answer : answers)
            alerts->queueAnswer(answer);
        chooser->enqueue({path});
        controller->feedController()->command("openImage")->trigger();
        EXPECT_TRUE(QTest::qWaitFor(
            [this] { return !controller->feedController()->document()->isFetchingPicture(); },
            10000));
        QApplication::processEvents();
    }
    // Downloads through the URL panel.
    void download(const QString &url)
    {
        QTimer::singleShot(0, [url] {
            QWidget *panel = QApplication::activeModalWidget();
            ASSERT_TRUE(panel);
            panel->findChild<VLXComboBox *>("fileComboBox")->setEditText(url);
            panel->findChild<QPushButton *>("acceptButton")->click();
        });
        controller->feedController()->command("downloadImage")->trigger();
    }
    void forgetSteps()
    {
        QApplication::processEvents();
        controller->feedController()->setDocumentEdited(false, true);
        controller->feedController()->setImageEdited(false);
    }

    std::shared_ptr<ScriptedFileChooser> chooser;
};
} // namespace

TEST(ImagePaneSizes, FittingKeepsTheAspectAndTruncates)
{
    EXPECT_EQ(ImagePane::fittedSize({145, 10}, 144, 400), QSize(144, 9));
    EXPECT_EQ(ImagePane::fittedSize({300, 1000}, 144, 400), QSize(120, 400));
    EXPECT_EQ(ImagePane::fittedSize({300, 100}, 144, 400), QSize(144, 48));
    EXPECT_EQ(ImagePane::fittedSize({100, 500}, 144, 400), QSize(80, 400));
    EXPECT_EQ(ImagePane::fittedSize({120, 60}, 88, 31), QSize(62, 31));
    EXPECT_EQ(ImagePane::fittedSize({144, 100}, 144, 400), QSize(144, 100));
    EXPECT_EQ(ImagePane::fittedSize({5000, 1}, 144, 400), QSize(144, 1));
}

TEST_F(ImageActionsTest, AnOpenedPictureIsCheckedForItsSizeAndTheReminderFollows)
{
    Vellumcast &window = open();
    const QString startFolder = store().string("LastImageOpenPath").value_or(QString());
    EXPECT_FALSE(window.command("saveImage")->isEnabled());
    const struct
    {
        QSize size;
        int answer;
        QSize shown;
        bool asked;
    } cases[] = {
        {{144, 400}, AlertService::kDefault, {144, 400}, false},
        {{145, 10}, AlertService::kDefault, {144, 9}, true},
        {{300, 1000}, AlertService::kAlternate, {300, 1000}, true},
        {{300, 1000}, AlertService::kDefault, {120, 400}, true},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(n);
        const QString name = QStringLiteral("p%1.png").arg(n++);
        openPicture(writePicture(name, c.size), {c.answer});
        const QStringList sheets
            = c.asked ? QStringList {kTooLarge, kReminder} : QStringList {kReminder};
        EXPECT_EQ(alertTitles(), sheets);
        EXPECT_EQ(view()->image().size(), c.shown);
        EXPECT_EQ(fields(), c.shown);
        EXPECT_EQ(image().width(), QString::number(c.shown.width()));
        EXPECT_EQ(image().height(), QString::number(c.shown.height()));
        EXPECT_EQ(image().imageFilename(), name);
        EXPECT_TRUE(window.isImageEdited());
        EXPECT_EQ(undo().undoActionName(),
                  c.shown != c.size ? QStringLiteral("Resize Image") : QStringLiteral("New Image"));
        // The steppers reach to the borders of each new picture, which the edges frame.
        EXPECT_EQ(outlet<VLXSpinBox>("Image_Edit_NewRight")->maximum(), c.shown.width());
        EXPECT_EQ(outlet<VLXSpinBox>("Image_Edit_NewTop")->maximum(), c.shown.height());
        EXPECT_EQ(edges(), QRect(0, 0, c.shown.width(), c.shown.height()));
        EXPECT_EQ(text("Image_Edit_NewWidth"), QString::number(c.shown.width()));
    }
    const FileRequest &asked = chooser->requests().first();
    EXPECT_EQ(asked.title, "Load");
    EXPECT_EQ(asked.allowedExtensions, QStringList({"gif", "jpg", "png"}));
    EXPECT_EQ(asked.directory, startFolder);
    EXPECT_EQ(store().string("LastImageOpenPath"), QDir(home()).filePath("pictures"));
    EXPECT_EQ(alerts->alerts().first().message,
              "The image is larger then the maximum recommended size.  Would you like it to be "
              "automatically scaled down to them maximum recommended size?");
    EXPECT_EQ(alerts->alerts().first().defaultButton, "Yes");
    EXPECT_EQ(alerts->alerts().first().alternateButton, "No");
    EXPECT_EQ(alerts->alerts().last().message,
              "Unless the image is saved and/or uploaded to your web server it will not be part "
              "of the feed.");
    EXPECT_TRUE(window.command("saveImage")->isEnabled());

    // The scaling and the opening are two steps.
    window.undo();
    EXPECT_EQ(view()->image().size(), QSize(300, 1000));
    EXPECT_EQ(fields(), QSize(300, 1000));
    EXPECT_EQ(image().width(), "300");
    EXPECT_EQ(undo().undoActionName(), "New Image");
    window.undo();
    window.undo();
    EXPECT_EQ(view()->image().size(), QSize(144, 9));
    EXPECT_EQ(fields(), QSize(144, 9));

    // A cancelled panel changes nothing.
    const int steps = undo().count();
    chooser->enqueue({});
    window.command("openImage")->trigger();
    EXPECT_EQ(undo().count(), steps);
}

TEST_F(ImageActionsTest, TheImageTabAsksEachTimeItIsShownWithATooLargePicture)
{
    Vellumcast &window = open();
    openPicture(writePicture("big.png", {300, 1000}), {AlertService::kAlternate});
    auto *tabs = outlet<QTabWidget>("tabsFeeds");
    auto show = [&](int answer) {
        tabs->setCurrentIndex(Vellumcast::FeedsTab);
        alerts->clear();
        alerts->queueAnswer(answer);
        tabs->setCurrentIndex(Vellumcast::ImageTab);
        QApplication::processEvents();
    };
    show(AlertService::kAlternate);
    ASSERT_EQ(alertTitles(), QStringList {kTooLarge});
    EXPECT_EQ(alerts->alerts().first().message,
              "The image is physically larger then the maximum recommended size.  Would you like "
              "it to be automatically scaled down to them maximum recommended size?");
    EXPECT_EQ(view()->image().size(), QSize(300, 1000));

    // "Yes" scales it down, and no reminder follows.
    show(AlertService::kDefault);
    EXPECT_EQ(alertTitles(), QStringList {kTooLarge});
    EXPECT_EQ(view()->image().size(), QSize(120, 400));
    EXPECT_EQ(undo().undoActionName(), "Resize Image");
    show(AlertService::kDefault);
    EXPECT_TRUE(alerts->alerts().isEmpty());
    EXPECT_EQ(window.tabsFeedsIndex(), int(Vellumcast::ImageTab));
}

TEST_F(ImageActionsTest, ScalePresetsActOnlyAtOrOverTheirLimitsAndTheTypedSizeIsTaken)
{
    Vellumcast &window = open();
    const struct
    {
        QSize size;
        int preset;
        const char *typedWidth;
        const char *typedHeight;
        QSize result;
        bool recorded;
        bool refused;
    } cases[] = {
        {{120, 60}, 0, nullptr, nullptr, {120, 60}, false, false},
        {{120, 60}, 1, nullptr, nullptr, {62, 31}, true, false},
        {{300, 100}, 0, nullptr, nullptr, {144, 48}, true, false},
        {{100, 500}, 0, nullptr, nullptr, {80, 400}, true, false},
        // Already fitting: the size stays, but the step is taken.
        {{144, 100}, 0, nullptr, nullptr, {144, 100}, true, false},
        {{120, 60}, 2, "120", "60", {120, 60}, false, false},
        {{120, 60}, 2, "50.9", " 20 ", {50, 20}, true, false},
        // Nothing a picture can be made of.
        {{120, 60}, 2, "", "20", {120, 60}, false, true},
        {{120, 60}, 2, "0", "20", {120, 60}, false, true},
    };
    auto *presets = outlet<VLXMatrix>("Image_Edit_ScaleMatrix");
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(n++);
        window.document()->showPictureWithSize(quarters(c.size));
        forgetSteps();
        alerts->clear();
        presets->setStateOfTag(c.preset, 1);
        if (c.typedWidth) {
            outlet<QLineEdit>("Image_Edit_NewWidth")->setText(c.typedWidth);
            outlet<QLineEdit>("Image_Edit_NewHeight")->setText(c.typedHeight);
        }
        outlet<QPushButton>("Image_Edit_ScaleButton")->click();
        QApplication::processEvents();
        EXPECT_EQ(view()->image().size(), c.result);
        EXPECT_EQ(fields(), c.result);
        EXPECT_EQ(undo().count(), c.recorded ? 1 : 0);
        EXPECT_EQ(window.isImageEdited(), c.recorded);
        if (c.recorded) {
            EXPECT_EQ(undo().undoActionName(), "Resize Image");
        }
        EXPECT_EQ(alertTitles(), c.refused ? QStringList {"Image Not Scaled"} : QStringList {});
    }
    // The scaled picture is the whole picture drawn smaller.
    window.document()->showPictureWithSize(quarters({300, 100}));
    presets->setStateOfTag(0, 1);
    outlet<QPushButton>("Image_Edit_ScaleButton")->click();
    EXPECT_TRUE(near(view()->image().pixel(0, 0), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(view()->image().pixel(143, 47), qRgb(255, 255, 0)));
}

TEST_F(ImageActionsTest, CropKeepsTheSelectedPartAndUndoAndRedoSwapThePictures)
{
    Vellumcast &window = open();
    openPicture(writePicture("q.png", {100, 80}));
    forgetSteps();
    // Typed edges: left 10, right 40, bottom 50, top 70 (origin at the lower left), all red.
    for (const auto &[name, value] : {std::pair {"Image_Edit_NewLeft", 10},
                                      {"Image_Edit_NewRight", 40},
                                      {"Image_Edit_NewBottom", 50},
                                      {"Image_Edit_NewTop", 70}})
        outlet<VLXSpinBox>(name)->setValue(value);
    EXPECT_EQ(view()->selectionRect(), QRectF(10, 50, 40, 70));

    outlet<QPushButton>("Image_Edit_CropButton")->click();
    QApplication::processEvents();
    const QImage cropped = view()->image();
    EXPECT_EQ(cropped.size(), QSize(30, 20));
    EXPECT_TRUE(near(cropped.pixel(0, 0), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(cropped.pixel(29, 19), qRgb(255, 0, 0)));
    EXPECT_EQ(fields(), QSize(30, 20));
    EXPECT_EQ(image().width(), "30");
    EXPECT_EQ(edges(), QRect(0, 0, 30, 20));
    EXPECT_EQ(undo().undoActionName(), "Crop Image");
    EXPECT_TRUE(window.isImageEdited());

    window.undo();
    EXPECT_EQ(view()->image().size(), QSize(100, 80));
    EXPECT_EQ(fields(), QSize(100, 80));
    EXPECT_EQ(image().height(), "80");
    EXPECT_EQ(edges(), QRect(0, 0, 100, 80));
    EXPECT_EQ(outlet<VLXSpinBox>("Image_Edit_NewRight")->maximum(), 100);
    EXPECT_FALSE(window.isImageEdited());
    window.redo();
    EXPECT_EQ(view()->image().cacheKey(), cropped.cacheKey());
    EXPECT_EQ(fields(), QSize(30, 20));
    EXPECT_TRUE(window.isImageEdited());
}

TEST_F(ImageActionsTest, EdgesAndSelectionFollowEachOther)
{
    open();
    openPicture(writePicture("e.png", {140, 100}));
    outlet<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ImageTab);
    QApplication::processEvents();

    // A drag over the picture shows its rectangle in the edges.
    const QPointF corner = view()->widgetRect(view()->imageRect()).topLeft();
    MouseDriver::drag(view(), corner + QPointF(20, 10), corner + QPointF(70, 60));
    EXPECT_EQ(view()->selectionRect(), QRectF(20, 40, 70, 90));
    EXPECT_EQ(edges(), QRect(20, 40, 70, 90));

    // Edges typed in reverse order still select the rectangle between them.
    outlet<VLXSpinBox>("Image_Edit_NewRight")->setValue(5);
    EXPECT_EQ(view()->selectionRect(), QRectF(5, 40, 20, 90));
    // Every edge at a border of its stepper: nothing is selected.
    for (const auto &[name, value] : {std::pair {"Image_Edit_NewLeft", 0},
                                      {"Image_Edit_NewRight", 140},
                                      {"Image_Edit_NewBottom", 100},
                                      {"Image_Edit_NewTop", 0}})
        outlet<VLXSpinBox>(name)->setValue(value);
    EXPECT_FALSE(view()->selectionMarker()->hasSelection());
    EXPECT_EQ(view()->croppedImage().size(), QSize(140, 100));

    // A new picture frames itself again.
    outlet<VLXSpinBox>("Image_Edit_NewLeft")->setValue(30);
    openPicture(writePicture("f.png", {60, 40}));
    EXPECT_EQ(edges(), QRect(0, 0, 60, 40));
    EXPECT_EQ(outlet<VLXSpinBox>("Image_Edit_NewLeft")->maximum(), 60);
    EXPECT_EQ(outlet<VLXSpinBox>("Image_Edit_NewBottom")->maximum(), 40);
    EXPECT_FALSE(view()->selectionMarker()->hasSelection());
}

TEST_F(ImageActionsTest, ADroppedPictureIsOneStepThatUndoTakesBack)
{
    Vellumcast &window = open();
    openPicture(writePicture("before.png", {40, 30}));
    forgetSteps();
    QMimeData words;
    words.setText("not a picture");
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &words, Qt::LeftButton, {});
    QApplication::sendEvent(view(), &refused);
    EXPECT_FALSE(refused.isAccepted());

    QMimeData data;
    data.setImageData(quarters({20, 10}));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(view(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(view(), &drop);
    EXPECT_EQ(view()->image().size(), QSize(20, 10));
    EXPECT_EQ(fields(), QSize(20, 10));
    EXPECT_EQ(image().width(), "20");
    EXPECT_EQ(edges(), QRect(0, 0, 20, 10));
    EXPECT_EQ(undo().undoActionName(), "Dropped New Image");
    EXPECT_TRUE(window.isImageEdited());
    window.undo();
    EXPECT_EQ(view()->image().size(), QSize(40, 30));
    EXPECT_EQ(fields(), QSize(40, 30));
    EXPECT_EQ(image().height(), "30");
    EXPECT_FALSE(window.isImageEdited());
}

TEST_F(ImageActionsTest, SaveWritesTheFormatTheNameAsksFor)
{
    Vellumcast &window = open();
    openPicture(writePicture("photo.png", {40, 30}));
    const QString startFolder = store().string("LastImageSavePath").value_or(QString());
    const QString out = QDir(home()).filePath("out");
    QDir().mkpath(out);
    const struct
    {
        const char *chosen;
        const char *written;
        const char *format;
    } cases[] = {
        {"a.gif", "a.gif", "gif"},     {"b.jpg", "b.jpg", "jpeg"},
        {"c.png", "c.png", "png"},     {"d", "d", "gif"},
        {"e.GIF", "e.GIF", "gif"},     {"f.jpeg", "f.jpeg", "gif"},
        {" g.png \n", "g.png", "png"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.chosen);
        window.setImageEdited(true);
        chooser->enqueue({out + "/" + c.chosen});
        EXPECT_TRUE(window.imageActions().saveImage());
        EXPECT_FALSE(window.isImageEdited());
        const QString path = out + "/" + c.written;
        const QByteArray bytes = readFile(path);
        if (QByteArray(c.format) == "gif") {
            const auto gif = decodeGIF(bytes);
            ASSERT_TRUE(gif);
            EXPECT_EQ(gif->size, QSize(40, 30));
            EXPECT_TRUE(near(gif->topLeft, qRgb(255, 0, 0)));
            EXPECT_TRUE(near(gif->bottomRight, qRgb(255, 255, 0)));
        } else {
            QImageReader reader(path);
            EXPECT_EQ(reader.format(), c.format);
            const QImage back = reader.read();
            EXPECT_EQ(back.size(), QSize(40, 30));
            EXPECT_TRUE(near(back.pixel(2, 2), qRgb(255, 0, 0)));
            EXPECT_TRUE(near(back.pixel(37, 27), qRgb(255, 255, 0)));
        }
    }
    const FileRequest &asked = chooser->requests().at(1);
    EXPECT_EQ(asked.title, "Save Image");
    EXPECT_EQ(asked.kind, FileRequest::Kind::SaveFile);
    EXPECT_EQ(asked.allowedExtensions, QStringList({"gif", "jpg", "png"}));
    EXPECT_EQ(asked.proposedName, "photo.png");
    EXPECT_EQ(asked.directory, startFolder);
    EXPECT_EQ(store().string("LastImageSavePath"), out);

    // A cancelled panel writes nothing and the image stays unsaved.
    window.setImageEdited(true);
    chooser->enqueue({});
    EXPECT_FALSE(window.imageActions().saveImage());
    EXPECT_TRUE(window.isImageEdited());
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 7);
}

TEST_F(ImageActionsTest, AFailedSaveSaysWhyAndKeepsTheImageUnsaved)
{
    const QString folder = QDir(home()).filePath("ro");
    QDir().mkpath(folder);
    bool mounted = false;
    if (::geteuid() == 0) {
        mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", folder}) == 0
            && QProcess::execute("mount", {"-o", "remount,ro", folder}) == 0;
        if (!mounted)
            GTEST_SKIP() << "cannot mount a file system to make read-only";
    } else {
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    Vellumcast &window = open();
    openPicture(writePicture("photo.png", {40, 30}));
    alerts->clear();
    chooser->enqueue({folder + "/x.png"});
    const bool saved = window.imageActions().saveImage();
    // Leaving the feed with "Save..." and the same failure stays with the feed.
    alerts->queueAnswer(AlertService::kDefault);
    chooser->enqueue({folder + "/x.png"});
    const bool left = window.saving().askToSaveChanges(FeedSaving::Leaving::OpeningAnother);
    if (mounted)
        QProcess::execute("umount", {folder});
    else
        QFile::setPermissions(
            folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(saved);
    ASSERT_FALSE(alerts->alerts().isEmpty());
    EXPECT_EQ(alerts->alerts().first().title, "Save Failed");
    EXPECT_TRUE(alerts->alerts().first().message.contains("x.png"));
    EXPECT_TRUE(alerts->alerts().first().message.contains(mounted ? "Read-only" : "ermission"))
        << alerts->alerts().first().message.toStdString();
    EXPECT_TRUE(window.isImageEdited());
    EXPECT_FALSE(left);
    EXPECT_TRUE(window.isImageEdited());
    EXPECT_FALSE(QFile::exists(folder + "/x.png"));
}

TEST_F(ImageActionsTest, ADownloadedPictureArrivesInTheBackgroundAsOneStep)
{
    LocalServer server;
    const QString served = QDir(home()).filePath("served");
    QDir().mkpath(served);
    ASSERT_TRUE(quarters({60, 40}).save(served + "/a.png"));
    ASSERT_TRUE(quarters({30, 20}).save(served + "/b.png"));
    ASSERT_TRUE(server.startScript("http_server.py", {"--files", served}));
    Vellumcast &window = open();
    const QString a = server.url("http", "/d/a.png");

    download(a);
    EXPECT_FALSE(view()->hasImage()) << "the window does not wait";
    ASSERT_TRUE(QTest::qWaitFor([&] { return view()->hasImage(); }, 10000));
    QApplication::processEvents();
    EXPECT_EQ(view()->image().size(), QSize(60, 40));
    EXPECT_EQ(fields(), QSize(60, 40));
    EXPECT_EQ(image().width(), "60");
    EXPECT_EQ(image().imageFilename(), "a.png");
    EXPECT_EQ(alertTitles(), QStringList {kReminder});
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), "New Image");
    EXPECT_TRUE(window.isImageEdited());
    EXPECT_EQ(store().array("feedImageDownloadHistory").value_or(QVariantList()).value(0), a);

    // Re-download takes the image URL.
    image().setURL(server.url("http", "/d/b.png"));
    window.command("redownloadImage")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view()->image().size() == QSize(30, 20); }, 10000));
    QApplication::processEvents();
    EXPECT_EQ(undo().count(), 2);
    EXPECT_EQ(undo().undoActionName(), "Reload Image");
    window.undo();
    EXPECT_EQ(view()->image().size(), QSize(60, 40));
}

TEST_F(ImageActionsTest, AFailedDownloadIsToldAndChangesNothing)
{
    LocalServer server;
    ASSERT_TRUE(server.startScript("http_server.py"));
    CURLHandle::setDefaultTimeouts(5, 2);
    Vellumcast &window = open();
    openPicture(writePicture("kept.png", {40, 30}));
    forgetSteps();
    auto *stop = outlet<QToolButton>("imageTransferStop");
    for (const char *path : {"/status/404", "/ok", "/stall?seconds=20"}) {
        SCOPED_TRACE(path);
        alerts->clear();
        const QString url = server.url("http", path);
        image().setURL(url);
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        window.command("redownloadImage")->trigger();
        EXPECT_TRUE(stop->isVisible());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !alerts->alerts().isEmpty(); }, 15000));
        ASSERT_EQ(alertTitles(), QStringList {"Connection Failure"});
        EXPECT_TRUE(alerts->alerts().first().message.contains(url));
        if (QByteArray(path).startsWith("/stall")) {
            EXPECT_GT(ticks, 20) << "the window kept working while the server stalled";
        }
        EXPECT_FALSE(stop->isVisible());
        EXPECT_EQ(undo().count(), 0);
        EXPECT_EQ(view()->image().size(), QSize(40, 30));
        EXPECT_EQ(fields(), QSize(40, 30));
        EXPECT_FALSE(window.isImageEdited());
    }

    // The stop button ends a download without a word.
    alerts->clear();
    image().setURL(server.url("http", "/stall?seconds=20"));
    window.command("redownloadImage")->trigger();
    QApplication::processEvents();
    stop->click();
    QTest::qWait(300);
    EXPECT_TRUE(alerts->alerts().isEmpty());
    EXPECT_FALSE(window.document()->isFetchingPicture());
    EXPECT_EQ(undo().count(), 0);
}
