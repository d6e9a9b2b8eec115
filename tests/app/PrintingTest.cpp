#include "AppFixture.h"

#include "app/Controller.h"
#include "app/OutputActions.h"
#include "app/Vellumcast.h"
#include "common/PdfText.h"
#include "model/VLXFeed.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedPrintPanel.h"
#include "ui/printInfoManager.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QPageSetupDialog>
#include <QRegularExpression>
#include <QTimer>

namespace {
class PrintingTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        panel = std::make_shared<ScriptedPrintPanel>();
        PrintPanel::setInstance(panel);
    }
    void TearDown() override
    {
        PrintPanel::setInstance(nullptr);
        AppFixture::TearDown();
    }
    QString pdf(const QString &name) const { return QDir(home()).filePath(name); }

    // Prints through the command with the panel answered by a PDF file, and reads it back.
    PdfText printed(Vellumcast &window, const char *command, const QString &name)
    {
        panel->enqueue(pdf(name));
        window.command(QLatin1String(command))->trigger();
        PdfText text = PdfText::read(pdf(name));
        EXPECT_TRUE(text.error.isEmpty()) << text.error.toStdString();
        return text;
    }
    // Every word of every page lies inside the margins, and the text starts at the top left
    // margin of the first page.
    static void expectInside(const PdfText &text, const QMarginsF &margins)
    {
        ASSERT_FALSE(text.pages.isEmpty());
        for (int page = 0; page < text.pages.size(); ++page) {
            const QRectF ink = text.inkOf(page);
            const QSizeF paper = text.pages.at(page);
            EXPECT_GE(ink.left(), margins.left() - 0.5) << page;
            EXPECT_GE(ink.top(), margins.top() - 0.5) << page;
            EXPECT_LE(ink.right(), paper.width() - margins.right() + 0.5) << page;
            EXPECT_LE(ink.bottom(), paper.height() - margins.bottom() + 0.5) << page;
        }
        const QRectF first = text.inkOf(0);
        EXPECT_LT(first.left(), margins.left() + 3);
        EXPECT_LT(first.top(), margins.top() + 6);
    }
    // Answers the page-setup dialog once it is up: moves the top margin down by about half
    // an inch (in the dialog's unit) and accepts or cancels.
    static void answerPageSetup(bool accept)
    {
        QTimer::singleShot(0, [=] {
            auto *dialog = qobject_cast<QPageSetupDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto *top = dialog->findChild<QDoubleSpinBox *>(QStringLiteral("topMargin"));
            ASSERT_NE(top, nullptr);
            top->setValue(top->value() + (top->suffix().contains("in") ? 0.5 : 12));
            accept ? dialog->accept() : dialog->reject();
        });
    }

    // Long enough for several pages, with lines far wider than the paper.
    static QByteArray longFeed()
    {
        QByteArray items;
        for (int i = 0; i < 60; ++i)
            items += QStringLiteral("<item><title>Folge %1: Grüße aus Köln</title>"
                                    "<link>https://example.org/episodes/%1?%2</link>"
                                    "<description>Teil %1 der Reihe.</description>"
                                    "<guid>https://example.org/episodes/%1</guid></item>")
                         .arg(i)
                         .arg(QString(180, QLatin1Char('q')))
                         .toUtf8();
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
               "<title>Lange Liste</title><link>https://example.org/</link>"
               "<description>Viele Folgen</description>"
            + items + "</channel></rss>\n";
    }
    static QString withoutSpace(QString text)
    {
        return text.remove(QRegularExpression(QStringLiteral("\\s")));
    }
    // The text without its build date, which is the time of writing and moves with the clock.
    static std::string withoutBuildDate(const QString &text)
    {
        return QString(text)
            .remove(QRegularExpression(QStringLiteral("<lastBuildDate>.*</lastBuildDate>")))
            .toStdString();
    }

    std::shared_ptr<ScriptedPrintPanel> panel;
};
} // namespace

TEST_F(PrintingTest, TheRenderedFeedAndTheWholeXMLPrintInsideTheSharedMargins)
{
    Vellumcast &window = openInWindow(longFeed());
    const QMarginsF standard(54, 54, 54, 54);

    // The first printout of the run: the feed as the preview template renders it.
    const PdfText rendered = printed(window, "printDocument", "rendered.pdf");
    EXPECT_EQ(panel->shown(), 1);
    expectInside(rendered, standard);
    EXPECT_TRUE(rendered.joined().contains(withoutSpace("Folge 59: Grüße aus Köln")));
    EXPECT_FALSE(rendered.joined().contains("~~~"));

    // The XML, wrapped to the printable width: every character of it is on the pages.
    const PdfText xml = printed(window, "printDocumentXML", "feed.pdf");
    EXPECT_GT(xml.pages.size(), 2);
    expectInside(xml, standard);
    EXPECT_EQ(withoutBuildDate(xml.joined()),
              withoutBuildDate(withoutSpace(window.currentFeed()->buildXML())));

    // A cancelled page setup leaves the margins alone; an accepted one is used from then on.
    answerPageSetup(false);
    window.command("runPageLayout")->trigger();
    expectInside(printed(window, "printDocumentXML", "after-cancel.pdf"), standard);
    answerPageSetup(true);
    window.command("runPageLayout")->trigger();
    const QMarginsF wider = printInfoManager::printInfo().margins(QPageLayout::Point);
    EXPECT_GT(wider.top(), 80);
    EXPECT_NEAR(wider.left(), 54, 0.5);
    expectInside(printed(window, "printDocumentXML", "after-ok.pdf"), wider);

    // A cancelled print panel prints nothing.
    panel->enqueue(QString());
    EXPECT_FALSE(window.output().printDocumentXML());
    EXPECT_EQ(panel->shown(), 5);
}

TEST_F(PrintingTest, ARenderedPrintoutUsesThePreviewTemplateEvenWhenItIsGone)
{
    Vellumcast &window = openInWindow(smallFeed("Gedruckt"));
    const QString own = QDir(home()).filePath("own.html");
    writeFile(own, "<h1>Nur ~~~FeedTitle~~~</h1>");
    store().setObject(own, "feedPreviewTemplate");
    EXPECT_EQ(printed(window, "printDocument", "own.pdf").joined(), "NurGedruckt");

    // The printout does not fall back to the default template: the missing one gives nothing.
    QFile::remove(own);
    panel->enqueue(pdf("gone.pdf"));
    EXPECT_TRUE(window.output().printDocumentUsingPrintPanel(true));
    const PdfText gone = PdfText::read(pdf("gone.pdf"));
    EXPECT_TRUE(gone.error.isEmpty()) << gone.error.toStdString();
    EXPECT_TRUE(gone.words.isEmpty());
}
