// What the HTML editor's page fetches from the network while a text is edited: the pictures it
// shows and nothing else, as the feed preview. A description is HTML from anywhere; a style
// sheet, a sound or a prefetch would tell its server that (and when) the user opened it.
#include "EditorTestSupport.h"
#include "SheetTestSupport.h"
#include "common/HTMLEditorDriver.h"
#include "common/LocalServer.h"

#include "editors/WYSIWYG.h"

#include <QMainWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <memory>

using namespace HTMLEditorDriver;

namespace {
// The beacons the server was asked for, one entry per request, in the order they came.
QStringList beaconVisits(const LocalServer &server)
{
    QStringList visits;
    static const QRegularExpression visit(QStringLiteral("\"[A-Z]+ /beacon/([^ ]+) HTTP"));
    for (auto it = visit.globalMatch(server.log()); it.hasNext();)
        visits << it.next().captured(1);
    return visits;
}

QVariantMap contextFor(const QString &html)
{
    return {{"initialValue", html},
            {"fieldName", "Item Description HTML Editor"},
            {"object", "Items_Required_Description"},
            {"index", 0}};
}

using WYSIWYGRequestsTest = SheetTest;
} // namespace

TEST_F(WYSIWYGRequestsTest, TheEditorFetchesThePicturesOfItsTextAndNothingElse)
{
    LocalServer server;
    ASSERT_TRUE(server.startScript("http_server.py")) << server.errorString().toStdString();
    const QString beacon = server.url("http", "/beacon/");

    // Every element below ends its fetch, allowed or refused, with a load or an error event:
    // counting those tells when the page is done asking, without waiting on the clock.
    auto editor = std::make_unique<WYSIWYG>();
    ASSERT_TRUE(editor->showEditWindow({}, contextFor("<p>Vorher</p>")));
    ASSERT_TRUE(waitReady(*editor));
    ASSERT_TRUE(
        eval(*editor,
             QStringLiteral("(function(){window.settled=[];['load','error'].forEach(function(k){"
                            "document.addEventListener(k,function(e){if(e.target.nodeType===1)"
                            "settled.push(e.target.localName+' '+k);},true);});return true;})()"))
            .toBool());

    const QString hostile
        = QStringLiteral("<p>Nachher</p>"
                         "<link rel=\"stylesheet\" href=\"%1sheet.css\">"
                         "<style>@import url(\"%1imported.css\");</style>"
                         "<audio src=\"%1sound.ogg\" preload=\"auto\"></audio>"
                         "<video preload=\"auto\"><source src=\"%1film.webm\"></video>"
                         "<link rel=\"prefetch\" href=\"%1next.html\">"
                         "<link rel=\"preload\" href=\"%1early.css\" as=\"style\">"
                         "<link rel=\"preload\" href=\"%1early.js\" as=\"script\">"
                         "<img src=\"%1pic.png\">")
              .arg(beacon);
    const int elements = 8;
    QSignalSpy ready(editor.get(), &WYSIWYG::documentReady);
    ASSERT_TRUE(editor->showEditWindow({}, contextFor(hostile)));
    ASSERT_TRUE(ready.wait(kWaitMs));
    QStringList settled;
    const bool allSettled = QTest::qWaitFor(
        [&] {
            settled = eval(*editor, QStringLiteral("settled")).toStringList();
            return settled.size() >= elements;
        },
        kWaitMs);
    EXPECT_TRUE(allSettled) << settled.join(", ").toStdString();

    // The picture came from the server and shows; nothing else was asked for.
    EXPECT_EQ(beaconVisits(server), QStringList {"pic.png"}) << server.log().toStdString();
    EXPECT_EQ(eval(*editor, QStringLiteral("document.querySelector('img').naturalWidth")).toInt(),
              1);
    EXPECT_TRUE(settled.contains("img load")) << settled.join(", ").toStdString();
    EXPECT_TRUE(body(*editor).startsWith("<p>Nachher</p>"));
}
