#include "ImportFixture.h"

#include "app/ToolHandOffs.h"
#include "app/Vellumcast.h"
#include "import/VLXImport.h"
#include "model/VLXItems.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QTest>

void ImportFixture::SetUp()
{
    ActionsFixture::SetUp();
    ASSERT_TRUE(served.isValid());
    ASSERT_TRUE(server.startScript(QStringLiteral("http_server.py"),
                                   {QStringLiteral("--files"), served.path()}))
        << server.errorString().toStdString();
}

void ImportFixture::TearDown()
{
    server.stop();
    ActionsFixture::TearDown();
}

QByteArray ImportFixture::sourceFeed(const QString &title,
                                     const QList<QPair<QString, QString>> &items,
                                     const QString &extraItemXML, const QString &namespaces)
{
    QString body;
    for (const auto &[itemTitle, date] : items) {
        body += QStringLiteral("<item><title>%1</title><link>https://other.example/%1</link>"
                               "<description>About %1</description>"
                               "<guid>https://other.example/%1</guid>")
                    .arg(itemTitle);
        if (!date.isEmpty())
            body += QStringLiteral("<pubDate>%1</pubDate>").arg(date);
        body += extraItemXML + QStringLiteral("</item>");
    }
    return QStringLiteral("<?xml version=\"1.0\"?>\n<rss version=\"2.0\"%1><channel>"
                          "<title>%2</title><link>https://other.example/</link>"
                          "<description>another feed</description>%3</channel></rss>\n")
        .arg(namespaces, title, body)
        .toUtf8();
}

QString ImportFixture::serve(const QString &name, const QByteArray &bytes)
{
    QFile file(QDir(served.path()).filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return server.url(QStringLiteral("http"), QStringLiteral("/d/") + name);
}

VLXImport *ImportFixture::openImport()
{
    window().command(QStringLiteral("importFeedItems"))->trigger();
    auto *import = window().window()->findChild<VLXImport *>();
    EXPECT_NE(import, nullptr);
    return import;
}

VLXImport *ImportFixture::openImportFromDrop(const QString &source)
{
    window().tools().importFeedItemsFromDrop(source);
    auto *import = window().window()->findChild<VLXImport *>();
    EXPECT_NE(import, nullptr);
    if (import) {
        EXPECT_TRUE(waitForOpening(import));
    }
    return import;
}

bool ImportFixture::open(VLXImport *import, const QString &source)
{
    if (!import->openFeedAtPath(source))
        return false;
    return waitForOpening(import);
}

bool ImportFixture::waitForOpening(VLXImport *import)
{
    return QTest::qWaitFor([import] { return !import->isOpening(); }, 30000);
}

QStringList ImportFixture::rowTitles(const VLXImport *import)
{
    QStringList titles;
    const ImportItemModel *model = import->itemModel();
    for (int row = 0; row < model->itemCount(); ++row)
        titles << model->itemAtRow(row)->title();
    return titles;
}

QStringList ImportFixture::markedTitles(const VLXImport *import)
{
    QStringList titles;
    const ImportItemModel *model = import->itemModel();
    for (int row = 0; row < model->itemCount(); ++row) {
        if (model->isMarked(row))
            titles << model->itemAtRow(row)->title();
    }
    return titles;
}
