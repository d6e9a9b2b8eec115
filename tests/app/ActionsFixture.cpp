#include "ActionsFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "document/FeedListEntry.h"
#include "document/VLXUndoManager.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "ui/VLXListBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMainWindow>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QUrl>

void ActionsFixture::SetUp()
{
    AppFixture::SetUp();
    clock = std::make_shared<FixedClock>(QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC));
    Clock::setInstance(clock);
    chooser = std::make_shared<ScriptedFileChooser>();
    FileChooser::setInstance(chooser);
}

void ActionsFixture::TearDown()
{
    FileChooser::setInstance(nullptr);
    Clock::setInstance(nullptr);
    AppFixture::TearDown();
}

QByteArray ActionsFixture::feedText(const QString &title, const QStringList &itemTitles)
{
    QString items;
    for (const QString &item : itemTitles)
        items += QStringLiteral("<item><title>%1</title><link>https://example.org/%1</link>"
                                "<description>%1</description><guid>https://example.org/%1</guid>"
                                "<pubDate>Mon, 07 Dec 2026 09:00:00 +0000</pubDate></item>")
                     .arg(item);
    return QStringLiteral("<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>%1</title>"
                          "<link>https://example.org/</link><description>d</description>"
                          "<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>%2</channel></rss>\n")
        .arg(title, items)
        .toUtf8();
}

QString ActionsFixture::path(const QString &name) const
{
    return QDir(home()).filePath(name);
}

Vellumcast &ActionsFixture::openFeed(const QStringList &itemTitles, const QString &name)
{
    writeFile(path(name), feedText(QStringLiteral("Feed"), itemTitles));
    if (!controller) {
        // The list holds the feed alone: it is shown at the start, no sample, no wizard offer.
        const QVariantMap entry
            = FeedListEntry::make(name, QUrl::fromLocalFile(path(name)).toString(), false).toMap();
        store().setObject(QVariantList {entry}, QStringLiteral("feedListKey"));
        startApplication();
        QTest::qWait(300);
    }
    window().openFeedAtPath(path(name));
    alerts->clear();
    endAction();
    return window();
}

Vellumcast &ActionsFixture::window() const
{
    return *controller->feedController();
}

VLXUndoManager &ActionsFixture::undo() const
{
    return *window().undoManager();
}

VLXListBox *ActionsFixture::list() const
{
    return field<VLXListBox>("Feeds_Required_Files");
}

void ActionsFixture::endAction() const
{
    undo().closeGroup();
}

QStringList ActionsFixture::itemTitles() const
{
    QStringList titles;
    for (const auto &item : window().currentFeed()->arrayOfItems())
        titles << item->title();
    return titles;
}

QStringList ActionsFixture::fileNames() const
{
    QStringList names;
    for (const QVariantMap &entry : window().currentListOfFeeds())
        names << entry.value("feedFileName").toString();
    return names;
}

QStringList ActionsFixture::alertTitles() const
{
    QStringList titles;
    for (const Alert &alert : alerts->alerts())
        titles << alert.title;
    return titles;
}

void ActionsFixture::whileModal(std::function<void(QWidget *sheet)> script)
{
    QTimer::singleShot(0, [script = std::move(script)] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        script(modal);
        QTimer::singleShot(5000, [modal] {
            if (modal && modal->isVisible()) {
                ADD_FAILURE() << "a sheet was left open";
                modal->close();
            }
        });
    });
}

void ActionsFixture::settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}
