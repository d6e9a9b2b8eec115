// The preview runs on the web engine, which takes seconds to start: the whole preview is tried
// in one test, so the engine starts once.
#include "AppFixture.h"

#include "app/Controller.h"
#include "app/ExportSheet.h"
#include "app/OutputActions.h"
#include "app/PreviewPage.h"
#include "app/PreviewWindow.h"
#include "app/Vellumcast.h"
#include "common/LocalServer.h"
#include "common/PdfText.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedFileChooser.h"
#include "platform/ScriptedPrintPanel.h"
#include "platform/ScriptedWorkspace.h"
#include "ui/LockedWebProfile.h"
#include "ui/VLXWebView.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>

namespace {
// A PNG of one pixel.
const QByteArray kPixel = QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAAD"
                                                 "UlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==");

QByteArray escaped(const QString &html)
{
    return html.toHtmlEscaped().toUtf8();
}

class PreviewTest : public AppFixture
{
protected:
    void TearDown() override
    {
        Workspace::setInstance(nullptr);
        PrintPanel::setInstance(nullptr);
        FileChooser::setInstance(nullptr);
        AppFixture::TearDown();
    }

    // Waits for the page's next load to end; answers whether it succeeded.
    static bool nextLoad(PreviewWindow *preview, std::function<void()> start)
    {
        QSignalSpy finished(preview->view(), &VLXWebView::loadFinished);
        start();
        if (!finished.wait(60000))
            return false;
        return finished.first().first().toBool();
    }
    static QString plainText(PreviewWindow *preview)
    {
        QString text;
        bool done = false;
        preview->page()->toPlainText([&](const QString &result) {
            text = result;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 20000));
        return text;
    }
};
} // namespace

TEST_F(PreviewTest, ThePageShowsTheFeedRunsNoScriptLoadsOnlyImagesAndHandsUserClicksToTheBrowser)
{
    LocalServer server;
    const QString served = QDir(home()).filePath("served");
    for (const char *name : {"pic.png", "style.css", "frame.html", "refresh.html"})
        writeFile(QDir(served).filePath(QLatin1String(name)), kPixel);
    ASSERT_TRUE(server.startScript("http_server.py", {"--files", served}))
        << server.errorString().toStdString();
    const QString description
        = QStringLiteral(
              "<p>Hallo aus der Vorschau</p>"
              "<script>document.title = 'script ran';</script>"
              "<img src=\"%1\"><img src=\"missing.png\" onerror=\"document.title = 'handler ran'\">"
              "<link rel=\"stylesheet\" href=\"%2\"><iframe src=\"%3\"></iframe>"
              "<meta http-equiv=\"refresh\" content=\"0; url=%4\">")
              .arg(server.url("http", "/d/pic.png"), server.url("http", "/d/style.css"),
                   server.url("http", "/d/frame.html"), server.url("http", "/d/refresh.html"));
    Vellumcast &window
        = openInWindow("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
                       "<title>Vorschau-Test</title><link>http://example.org/show/</link>"
                       "<description>d</description><item><title>Eins</title><description>"
                       + escaped(description) + "</description></item></channel></rss>\n");
    auto workspace = std::make_shared<ScriptedWorkspace>();
    Workspace::setInstance(workspace);
    auto chooser = std::make_shared<ScriptedFileChooser>();
    FileChooser::setInstance(chooser);
    auto panel = std::make_shared<ScriptedPrintPanel>();
    PrintPanel::setInstance(panel);

    // A template setting that names a deleted file falls back to the default template.
    store().setObject(QDir(home()).filePath("deleted.html"), "feedPreviewTemplate");
    PreviewWindow *preview = window.output().previewWindow();
    ASSERT_TRUE(nextLoad(preview, [&] { window.command("printPreview")->trigger(); }));
    EXPECT_TRUE(preview->inPreviewMode());
    EXPECT_TRUE(preview->isModal());
    EXPECT_EQ(preview->findChild<QLineEdit *>("previewTemplate")->text(),
              ExportSheet::defaultTemplatePath(ExportSheet::types().first()));
    EXPECT_TRUE(plainText(preview).contains("Hallo aus der Vorschau"));
    EXPECT_EQ(preview->view()->url(), preview->page()->pageURL());
    EXPECT_EQ(preview->view()->url().scheme(), QString::fromLatin1(LockedWebProfile::kScheme));

    // Another template, chosen in the window: kept for the next preview. Its link covers the
    // top of the page, where the click goes.
    const QString own = QDir(home()).filePath("templates/preview.html");
    writeFile(own,
              "<title>Vorschau ~~~FeedTitle~~~</title>"
              "<a href=\"~~~FeedLink~~~\" style=\"display:block; position:absolute; left:0; "
              "top:0; width:400px; height:160px\">~~~FeedTitle~~~</a>"
              "<div style=\"margin-top:180px\">~~~BeginItemsRecord~~~<div>"
              "~~~ItemDescription~~~</div>~~~EndItemsRecord~~~</div>");
    chooser->enqueue({own});
    ASSERT_TRUE(nextLoad(
        preview, [&] { preview->findChild<QAbstractButton *>("previewTemplateButton")->click(); }));
    EXPECT_EQ(chooser->requests().last().title, "Load");
    EXPECT_EQ(store().string("feedPreviewTemplate"), own);
    EXPECT_EQ(store().string("LastFeedTemplatePath"), QFileInfo(own).absolutePath());

    // No script ran: neither the inline one nor the handler of the broken image.
    EXPECT_EQ(preview->view()->title(), "Vorschau Vorschau-Test");
    // The image came from the server; the style sheet, the frame and the refresh did not.
    const QString log = server.log();
    EXPECT_TRUE(log.contains("GET /d/pic.png")) << log.toStdString();
    for (const char *name : {"style.css", "frame.html", "refresh.html"})
        EXPECT_FALSE(log.contains(QLatin1String(name))) << name << "\n" << log.toStdString();

    // A click by the user on the link goes to the browser; the page stays.
    const QUrl page = preview->page()->pageURL();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
    QWidget *surface = preview->view()->focusProxy();
    ASSERT_NE(surface, nullptr);
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(60, 40));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !workspace->opened().isEmpty(); }, 20000));
    EXPECT_EQ(workspace->opened(), QList<QUrl>({QUrl("http://example.org/show/")}));
    EXPECT_EQ(preview->view()->url(), page);
    EXPECT_TRUE(preview->inPreviewMode());

    // Print while the preview is open prints the preview.
    const QString pdf = QDir(home()).filePath("preview.pdf");
    panel->enqueue(pdf);
    QSignalSpy printed(preview, &PreviewWindow::printFinished);
    window.command("printDocument")->trigger();
    ASSERT_TRUE(printed.wait(60000));
    EXPECT_TRUE(printed.first().first().toBool());
    const PdfText text = PdfText::read(pdf);
    ASSERT_TRUE(text.error.isEmpty()) << text.error.toStdString();
    EXPECT_TRUE(text.joined().contains("HalloausderVorschau"));
    const QRectF ink = text.inkOf(0);
    EXPECT_GE(ink.left(), 53.5);
    EXPECT_GE(ink.top(), 53.5);

    preview->findChild<QAbstractButton *>("previewCancelButton")->click();
    EXPECT_FALSE(preview->inPreviewMode());
    EXPECT_EQ(workspace->opened().size(), 1);
}
