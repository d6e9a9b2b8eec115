// The HTML editor on a real web engine page. Each test opens its own editors; the engine starts
// once per test process, so related cases share a test.
#include "EditorTestSupport.h"
#include "SheetTestSupport.h"
#include "common/HTMLEditorDriver.h"

#include "editors/EditorWebPage.h"
#include "editors/WYSIWYG.h"
#include "editors/editImageLink.h"
#include "editors/editLink.h"
#include "platform/AlertService.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextViewHTML.h"
#include "ui/VLXWebView.h"
#include "ui/printInfoManager.h"

#include <QAction>
#include <QBuffer>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <memory>

using namespace HTMLEditorDriver;

namespace {
// A 2 by 3 PNG as a data URL, so a preview needs no server.
QString smallPNG()
{
    QImage image(2, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
}

class WYSIWYGTest : public SheetTest
{
protected:
    // An editor open on the HTML, its body in place.
    std::unique_ptr<WYSIWYG> open(const QString &html, WYSIWYG::DidEnd didEnd = {})
    {
        auto editor = std::make_unique<WYSIWYG>();
        const QVariantMap context {{"initialValue", html},
                                   {"fieldName", "Item Description HTML Editor"},
                                   {"object", "Items_Required_Description"},
                                   {"index", 3}};
        EXPECT_TRUE(editor->showEditWindow(std::move(didEnd), context));
        EXPECT_TRUE(waitReady(*editor));
        return editor;
    }
    static bool waitFor(const std::function<bool()> &condition)
    {
        return QTest::qWaitFor(condition, kWaitMs);
    }
    // Waits for the link sheet and fills it in.
    static editLink *linkSheet(WYSIWYG &editor)
    {
        EXPECT_TRUE(waitFor([&] { return editor.link() != nullptr; }));
        return editor.link();
    }
    static editImageLink *imageSheet(WYSIWYG &editor)
    {
        EXPECT_TRUE(waitFor([&] { return editor.image() != nullptr; }));
        return editor.image();
    }
    // The titles of the context menu a right click on the element brings up ("" a separator).
    static QStringList contextMenuAt(WYSIWYG &editor, const QString &selector)
    {
        const QVariantList point
            = eval(editor, QStringLiteral("vlx.pointOf(%1)").arg(WYSIWYG::scriptString(selector)))
                  .toList();
        const QPoint at(point.value(0).toInt(), point.value(1).toInt());
        QTest::mouseClick(editor.web()->focusProxy(), Qt::RightButton, {}, at);
        QMenu *menu = nullptr;
        (void)QTest::qWaitFor(
            [&] {
                for (QWidget *widget : QApplication::topLevelWidgets()) {
                    auto *shown = qobject_cast<QMenu *>(widget);
                    if (shown && shown->isVisible())
                        menu = shown;
                }
                return menu != nullptr;
            },
            kWaitMs);
        QStringList titles;
        if (!menu)
            return titles;
        for (QAction *action : menu->actions())
            titles << action->text().remove(QLatin1Char('&'));
        menu->close();
        return titles;
    }
    // The node the context menu was asked for, as the page records it.
    static void rightClick(WYSIWYG &editor, const QString &selector)
    {
        eval(editor,
             QStringLiteral("(function(){var e=document.querySelector(%1);"
                            "var r=e.getBoundingClientRect();"
                            "e.dispatchEvent(new MouseEvent('contextmenu',{bubbles:true,"
                            "clientX:r.left+2,clientY:r.top+r.height/2})); return true;})()")
                 .arg(WYSIWYG::scriptString(selector)));
    }
};
} // namespace

TEST(WYSIWYGMarkup, PreparedForEditingAndFinishedForTheCaller)
{
    // No-break spaces in any case become the placeholder, U becomes the underline span.
    EXPECT_EQ(WYSIWYG::prepareForEditing("a&NBSP;b&nbsp;<U>u</u>"),
              QStringLiteral("a\u02FDb\u02FD<span class=\"Apple-style-span\" style=\"text-"
                             "decoration: underline;\">u</span>"));
    // The placeholder comes back as "&nbsp;"; nested empty blocks collapse to one line break.
    EXPECT_EQ(WYSIWYG::finishEditedHTML(QStringLiteral("a\u02FDb<div><div><br></div></div>c")),
              "a&nbsp;b<br>c");
    EXPECT_EQ(WYSIWYG::finishEditedHTML("<DIV><BR></DIV>"), "<DIV><BR></DIV>");
    EXPECT_EQ(WYSIWYG::scriptString("a\"b\\c\nd\u2028"), "\"a\\\"b\\\\c\\nd\\u2028\"");

    // The symbols panel's characters.
    const QList<QPair<int, char16_t>> symbols {{0, u'\u2020'},  {3, u'\u2023'},  {7, u'\u204B'},
                                               {8, u'\u03B1'},  {25, u'\u03C2'}, {26, u'\u03A3'},
                                               {32, u'\u03A9'}, {33, u'\u00A1'}, {127, u'\u00FF'}};
    for (const auto &[n, symbol] : symbols)
        EXPECT_EQ(WYSIWYG::symbolForCell(n), QChar(symbol)) << n;
    EXPECT_TRUE(WYSIWYG::symbolForCell(128).isNull());

    // Save, Reload and Close are offered but not shown by default.
    const QStringList defaults = WYSIWYG::defaultToolbarItemIdentifiers();
    EXPECT_EQ(defaults.size(), 16);
    EXPECT_FALSE(defaults.contains("Save And Close WYSIWYG Identifier"));
    EXPECT_EQ(WYSIWYG::allowedToolbarItemIdentifiers().first(),
              "Save And Close WYSIWYG Identifier");
}

TEST_F(SheetTest, LinkSheetChecksWhatWasTyped)
{
    int reported = -1;
    editLink sheet(nullptr, 0, "", "http://", 0, [&](int code) { reported = code; });
    auto *text = sheet.window()->findChild<VLXTextField *>("editLinkText");
    auto *url = sheet.window()->findChild<VLXTextField *>("editLinkURL");
    EXPECT_EQ(text->helpAnchor(), "WYSIWYGLinkText");
    EXPECT_EQ(url->helpAnchor(), "WYSIWYGLinkURL");

    // Text is checked first, and only an empty one is refused.
    sheet.editLinkButtonOK();
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().last().title, "Missing Field");
    EXPECT_EQ(alerts->alerts().last().message, "Link Text can not be left blank.");
    text->setText("   ");
    for (const char *blank : {"http://", "   ", "http://   ", "\u4e2d"}) {
        url->setText(QString::fromUtf8(blank));
        sheet.editLinkButtonOK();
        EXPECT_EQ(alerts->alerts().last().message, "Link URL can not be left blank.") << blank;
    }
    EXPECT_TRUE(sheet.window()->isVisible());
    url->setText("https://example.org/a b");
    sheet.editLinkButtonOK();
    EXPECT_FALSE(sheet.window()->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return reported == 1; }));
    EXPECT_EQ(sheet.linkText(), "   ");
    EXPECT_EQ(alerts->alerts().size(), 5);
}

TEST_F(WYSIWYGTest, HistoryAndTheEditedFlag)
{
    auto editor = open("Hello world");
    QUndoStack *history = editor->undoManager();
    EXPECT_FALSE(editor->isDocumentEdited());
    EXPECT_EQ(editor->window()->windowTitle(), "Item Description HTML Editor[*]");
    EXPECT_EQ(editor->web()->helpAnchor(), "WYSIWYGEditor");

    // Typing is one step, however many characters; undoing it clears the flag and the mark.
    selectText(*editor, "document.body.firstChild", 5, 5);
    for (const char *typed : {"a", "b", "c"})
        ASSERT_TRUE(changeBy(*editor, [&] {
            eval(*editor, QStringLiteral("vlx.exec('insertText', '%1')").arg(typed));
        }));
    EXPECT_EQ(body(*editor), "Helloabc world");
    EXPECT_EQ(editor->text()->toPlainText(), "Helloabc world");
    EXPECT_TRUE(editor->isDocumentEdited());
    EXPECT_TRUE(editor->window()->isWindowModified());
    EXPECT_EQ(history->count(), 1);
    ASSERT_TRUE(changeBy(*editor, [&] { editor->undo(); }));
    EXPECT_FALSE(editor->isDocumentEdited());
    EXPECT_FALSE(editor->window()->isWindowModified());
    EXPECT_EQ(body(*editor), "Hello world");
    EXPECT_EQ(editor->text()->toPlainText(), "Hello world");
    ASSERT_TRUE(changeBy(*editor, [&] { editor->redo(); }));
    EXPECT_TRUE(editor->isDocumentEdited());
    EXPECT_EQ(body(*editor), "Helloabc world");

    // The page's own undo key goes to the editor's history.
    ASSERT_TRUE(changeBy(*editor, [&] {
        selectWord(*editor, "world");
        editor->buttonBoldText();
    }));
    EXPECT_EQ(body(*editor), "Helloabc <b>world</b>");
    EXPECT_EQ(history->undoText(), "Bold");
    editor->web()->setFocus();
    ASSERT_TRUE(changeBy(*editor, [&] {
        QTest::keyClick(editor->web()->focusProxy(), Qt::Key_Z, Qt::ControlModifier);
    }));
    EXPECT_EQ(body(*editor), "Helloabc world");
    EXPECT_TRUE(editor->isDocumentEdited());

    // Symbols and the no-break space are typed at the caret.
    selectText(*editor, "document.body.firstChild", 0, 0);
    ASSERT_TRUE(changeBy(*editor, [&] { editor->matrixAction(1 * WYSIWYG::kSymbolColumns); }));
    ASSERT_TRUE(changeBy(*editor, [&] { editor->buttonNBSP(); }));
    EXPECT_EQ(body(*editor), QStringLiteral("\u03B1\u02FDHelloabc world"));
    EXPECT_EQ(editor->characterMatrix()->item(15, 7)->text(), QStringLiteral("\u00FF"));

    // Reload goes back to the opening HTML and forgets the history.
    QSignalSpy ready(editor.get(), &WYSIWYG::documentReady);
    editor->reload();
    ASSERT_TRUE(ready.wait(kWaitMs));
    EXPECT_EQ(body(*editor), "Hello world");
    EXPECT_FALSE(editor->isDocumentEdited());
    EXPECT_EQ(history->count(), 0);
}

TEST_F(WYSIWYGTest, HTMLComesBackCleaned)
{
    // Ampersands come back bare, as the field holds them, unless they would begin a reference.
    const QString opening = "a&NBSP;b <u>under</u> <span class=\"Apple-style-span\" "
                            "style=\"color: red;\">red</span> <font class=\"Apple-style-span\" "
                            "color=\"blue\">blue</font> R&D &amp;lt;b&amp;gt; 1 &lt; 2 "
                            "<a href=\"x?a=1&b=2\">q</a> plain";
    QVariantMap reported;
    auto editor = open(opening, [&](const QVariantMap &result) { reported = result; });
    // The engine shows the no-break space and the underline as they were written.
    EXPECT_EQ(eval(*editor, "document.body.textContent").toString(),
              QStringLiteral("a\u02FDb under red blue R&D &lt;b&gt; 1 < 2 q plain"));
    EXPECT_EQ(eval(*editor,
                   "getComputedStyle(document.querySelector('span'))"
                   ".textDecorationLine")
                  .toString(),
              "underline");

    ASSERT_TRUE(changeBy(*editor, [&] {
        selectWord(*editor, "plain");
        editor->buttonItalicText();
    }));
    QString first;
    editor->computeHTML([&](const QString &html) { first = html; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !first.isEmpty(); }, kWaitMs));
    EXPECT_EQ(first,
              "a&nbsp;b <u>under</u> <span class=\"Apple-style-span\" style=\"color: "
              "red;\">red</span> <font color=\"blue\">blue</font> R&D &amp;lt;b&amp;gt; 1 "
              "&lt; 2 <a href=\"x?a=1&b=2\">q</a> <i>plain</i>");

    // Kept changes: the text is ready when the caller hears of the end, and stays the same.
    EXPECT_EQ(closeBy(*editor, [&] { editor->save(); }), 1);
    EXPECT_EQ(reported.value("result").toInt(), 1);
    EXPECT_EQ(reported.value("object").toString(), "Items_Required_Description");
    EXPECT_EQ(editor->index(), 3);
    EXPECT_EQ(editor->initial(), opening);
    EXPECT_EQ(editor->html(), first);
    EXPECT_EQ(editor->html(), first);
    EXPECT_FALSE(editor->window()->isVisible());
    EXPECT_TRUE(alerts->alerts().isEmpty());
}

TEST_F(WYSIWYGTest, AnEditLeavesWhatItDidNotTouchRenderingAsBefore)
{
    // Ampersands escaped in the field, bare ones, and bare ones a reader takes as references.
    const QStringList openings {
        "R&amp;D &amp;copy notes",
        "R&D &copy notes",
        "&amp;amp; &amp;lt &amp;#38 &amp;#x26 &amp;notit &amp;copy; 5 &amp; 6 Tom & Jerry notes",
        "<a href=\"x?a=1&amp;copy=2&b=3\">link</a> notes",
    };
    for (const QString &opening : openings) {
        auto editor = open(opening);
        // What a reader shows of a text: its characters and the addresses of its links.
        const auto rendered = [&](const QString &html) {
            return eval(*editor,
                        QStringLiteral("(function(){var d=document.createElement('div');"
                                       "d.innerHTML=%1; return d.textContent + "
                                       "Array.prototype.map.call(d.querySelectorAll("
                                       "'[href]'),function(a){return '|' + "
                                       "a.getAttribute('href');}).join('');})()")
                            .arg(WYSIWYG::scriptString(html)))
                .toString();
        };
        ASSERT_TRUE(changeBy(*editor, [&] {
            selectWord(*editor, "notes");
            eval(*editor, "vlx.exec('insertText', 'memo')");
        }));
        QString edited;
        editor->computeHTML([&](const QString &html) { edited = html; });
        ASSERT_TRUE(waitFor([&] { return !edited.isEmpty(); }));
        EXPECT_EQ(rendered(edited), rendered(opening).replace("notes", "memo"))
            << opening.toStdString() << " came back as " << edited.toStdString();
    }
}

TEST_F(WYSIWYGTest, CloseAsksOnlyAboutEdits)
{
    // Unedited: result 1 without a question, whatever form the markup is in that the page
    // writes its own way (an entity, the case of a tag, quotes), closed by the close box or by
    // a key.
    QVariantMap reported;
    const QString ownForm = "Tom & <B>Jerry</B><p class=x>a<br/>b</p>";
    const struct
    {
        QString html;
        bool byKey;
    } unedited[] = {{"x", false}, {ownForm, false}, {ownForm, true}};
    for (const auto &[html, byKey] : unedited) {
        SCOPED_TRACE(html.toStdString() + (byKey ? " (Escape)" : ""));
        auto plain = open(html, [&](const QVariantMap &result) { reported = result; });
        QWidget *window = plain->window();
        EXPECT_EQ(closeBy(*plain,
                          [&] {
                              if (byKey)
                                  QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
                              else
                                  window->close();
                          }),
                  1);
        EXPECT_TRUE(alerts->alerts().isEmpty());
        EXPECT_FALSE(plain->isDocumentEdited());
    }

    auto edited = open("x", [&](const QVariantMap &result) { reported = result; });
    ASSERT_TRUE(changeBy(*edited, [&] {
        selectText(*edited, "document.body.firstChild", 1, 1);
        eval(*edited, "vlx.exec('insertText', 'y')");
    }));
    // Cancel keeps the window and its edits.
    alerts->queueAnswer(AlertService::kOther);
    reported.clear();
    edited->close();
    ASSERT_TRUE(waitFor([&] { return !alerts->alerts().isEmpty(); }));
    ASSERT_EQ(alerts->alerts().size(), 1);
    const Alert question = alerts->alerts().first();
    EXPECT_EQ(question.title, "Warning");
    EXPECT_EQ(question.message, "Changes have been made to this HTML, do you wish to save them?");
    EXPECT_EQ(question.defaultButton, "Save...");
    EXPECT_EQ(question.alternateButton, "Don't Save");
    EXPECT_EQ(question.otherButton, "Cancel");
    EXPECT_TRUE(edited->window()->isVisible());
    EXPECT_TRUE(reported.isEmpty());
    EXPECT_EQ(body(*edited), "xy");
    // Don't Save reports 0.
    alerts->queueAnswer(AlertService::kAlternate);
    EXPECT_EQ(closeBy(*edited, [&] { edited->window()->close(); }), 0);
    EXPECT_EQ(reported.value("result").toInt(), 0);
    EXPECT_FALSE(edited->window()->isVisible());

    // "Save..." keeps them; without a callback the editor's own loop ends with the result.
    auto modal = std::make_unique<WYSIWYG>();
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(waitReady(*modal));
        ASSERT_TRUE(changeBy(*modal, [&] { eval(*modal, "vlx.exec('insertText', 'z')"); }));
        alerts->queueAnswer(AlertService::kDefault);
        modal->close();
    });
    EXPECT_EQ(
        modal->runModal({{"initialValue", "m"}, {"fieldName", "content:encoded HTML Editor"}}), 1);
    EXPECT_TRUE(modal->isDocumentEdited());
    EXPECT_TRUE(modal->html().contains("z")) << modal->html().toStdString();

    // Keys typed just before the window closes may not have been reported yet: whether the
    // window is closed (and asks) or saved, what the page holds is the edit, never dropped.
    const struct
    {
        const char *how;
        bool asks;
    } endings[] = {{"close", true}, {"save", false}};
    for (const auto &ending : endings) {
        SCOPED_TRACE(ending.how);
        alerts->clear();
        auto late = open("x");
        // A change made by script raises no input event, so the editor hears nothing of it.
        eval(*late, "document.body.append('late'), true");
        ASSERT_FALSE(late->isDocumentEdited());
        alerts->queueAnswer(AlertService::kDefault);
        EXPECT_EQ(closeBy(*late, [&] { ending.asks ? late->close() : late->save(); }), 1);
        EXPECT_EQ(alerts->alerts().size(), ending.asks ? 1 : 0);
        EXPECT_TRUE(late->isDocumentEdited());
        EXPECT_EQ(late->html(), "xlate");
    }
}

TEST_F(WYSIWYGTest, LinksAtTheCaretOverASelectionAndEdited)
{
    auto editor = open("Hello world <b>bold</b>");
    QUndoStack *history = editor->undoManager();

    // A caret: empty text and "http://"; the link splits the text node there.
    selectText(*editor, "document.body.firstChild", 6, 6);
    editor->buttonLink();
    editLink *sheet = linkSheet(*editor);
    EXPECT_EQ(sheet->linkText(), "");
    EXPECT_EQ(sheet->linkURL(), "http://");
    sheet->window()->findChild<VLXTextField *>("editLinkText")->setText("Go");
    sheet->window()->findChild<VLXTextField *>("editLinkURL")->setText("https://example.org/");
    ASSERT_TRUE(changeBy(*editor, [&] { sheet->editLinkButtonOK(); }));
    EXPECT_EQ(body(*editor), "Hello <a href=\"https://example.org/\">Go</a>world <b>bold</b>");
    EXPECT_EQ(history->undoText(), "Insert/Edit Link");
    EXPECT_EQ(history->count(), 1);

    // A selection inside one text node: replaced by the link with the sheet's text.
    selectWord(*editor, "world");
    editor->buttonLink();
    sheet = linkSheet(*editor);
    EXPECT_EQ(sheet->linkText(), "world");
    sheet->window()->findChild<VLXTextField *>("editLinkURL")->setText("w.html");
    sheet->window()->findChild<VLXCheckBox *>("editLinkNewBrowser")->setChecked(true);
    ASSERT_TRUE(changeBy(*editor, [&] { sheet->editLinkButtonOK(); }));
    EXPECT_EQ(body(*editor),
              "Hello <a href=\"https://example.org/\">Go</a>"
              "<a href=\"w.html\" target=\"blank\">world</a> <b>bold</b>");
    ASSERT_TRUE(changeBy(*editor, [&] { editor->undo(); }));
    EXPECT_EQ(body(*editor), "Hello <a href=\"https://example.org/\">Go</a>world <b>bold</b>");

    // A selection across a tag: the alert, and no sheet.
    eval(*editor,
         "(function(){var r=document.createRange(); r.setStart(document.body."
         "lastChild.previousSibling,2); r.setEnd(document.querySelector('b')."
         "firstChild,2); var s=getSelection(); s.removeAllRanges(); s.addRange(r);"
         "return true;})()");
    editor->buttonLink();
    ASSERT_TRUE(waitFor([&] { return !alerts->alerts().isEmpty(); }));
    EXPECT_EQ(alerts->alerts().last().title, "Unable to complete");
    EXPECT_EQ(alerts->alerts().last().message,
              "For some reason the contents of the selected range is unable to be determined "
              "by this version of the editor.  Try saving the HTML and trying agin.");
    EXPECT_EQ(editor->link(), nullptr);

    // A placement that finds no place changes nothing and leaves no step.
    alerts->clear();
    eval(*editor,
         "(function(){var r=document.createRange(); var b=document.querySelector('b');"
         "r.setStart(b,0); r.setEnd(b,1); var s=getSelection(); s.removeAllRanges();"
         "s.addRange(r); return true;})()");
    const QString before = body(*editor);
    const int steps = history->count();
    editor->buttonLink();
    sheet = linkSheet(*editor);
    sheet->window()->findChild<VLXTextField *>("editLinkText")->setText("t");
    sheet->window()->findChild<VLXTextField *>("editLinkURL")->setText("u.html");
    sheet->editLinkButtonOK();
    ASSERT_TRUE(waitFor([&] { return !alerts->alerts().isEmpty(); }));
    EXPECT_EQ(alerts->alerts().last().title, "Unable to complete");
    EXPECT_EQ(body(*editor), before);
    EXPECT_EQ(history->count(), steps);

    // Editing a link keeps its other attributes and drops a target no longer wanted.
    auto other = open("<a class=\"c\" href=\"old.html\" target=\"_blank\">text</a> after");
    rightClick(*other, "a");
    other->editLinkContextMenuNode();
    sheet = linkSheet(*other);
    EXPECT_EQ(sheet->linkText(), "text");
    EXPECT_EQ(sheet->linkURL(), "old.html");
    EXPECT_EQ(sheet->linkNewBrowser(), 1);
    sheet->window()->findChild<VLXCheckBox *>("editLinkNewBrowser")->setChecked(false);
    sheet->window()->findChild<VLXTextField *>("editLinkURL")->setText("new.html");
    ASSERT_TRUE(changeBy(*other, [&] { sheet->editLinkButtonOK(); }));
    EXPECT_EQ(body(*other), "<a href=\"new.html\" class=\"c\">text</a> after");

    // The context menu: the editor's own items, "Edit Link" on a link, never "Font".
    const QStringList onLink = contextMenuAt(*other, "a");
    EXPECT_TRUE(onLink.contains("Alignment")) << onLink.join('|').toStdString();
    EXPECT_TRUE(onLink.contains("Apply Style"));
    EXPECT_TRUE(onLink.contains("Edit Link"));
    EXPECT_FALSE(onLink.contains("Edit Image"));
    EXPECT_FALSE(onLink.contains("Font"));
    EXPECT_TRUE(onLink.contains("Help"));
}

TEST_F(WYSIWYGTest, ImagesInsertedEditedAndUnlinked)
{
    auto editor = open("Picture: <a href=\"l.html\" class=\"k\"><img src=\"p.png\" width=\"50%\" "
                       "height=\"tall\" alt=\"A\"></a> end");

    // A new image: no link fields until the box is ticked; the sheet grows and shrinks.
    selectText(*editor, "document.body.firstChild", 8, 8);
    editor->buttonImage();
    editImageLink *sheet = imageSheet(*editor);
    QDialog *window = sheet->window();
    auto *linkBox = window->findChild<QWidget *>("editImageLinkBox");
    auto *addLink = window->findChild<VLXCheckBox *>("editImageAddLink");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_FALSE(linkBox->isVisible());
    EXPECT_FALSE(addLink->isChecked());
    EXPECT_EQ(sheet->sizeNotice(), "");
    const int shortHeight = window->height();
    addLink->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(linkBox->isVisible());
    EXPECT_GT(window->height(), shortHeight);
    addLink->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->height(), shortHeight);

    // The preview tells the picture's real size; a width of its own, no height.
    QSignalSpy shown(sheet, &editImageLink::previewShown);
    auto *url = window->findChild<VLXTextField *>("editImageURL");
    url->setText(smallPNG());
    emit url->editingFinished();
    ASSERT_TRUE(shown.wait(kWaitMs));
    EXPECT_EQ(sheet->sizeNotice(), "Original size: 2 x 3");
    window->findChild<VLXTextField *>("editImageWidth")->setText("20");
    ASSERT_TRUE(changeBy(*editor, [&] { sheet->editImageButtonOK(); }));
    EXPECT_EQ(eval(*editor, "document.images[0].outerHTML").toString(),
              QStringLiteral("<img src=\"%1\" width=\"20\" border=\"0\">").arg(smallPNG()));
    EXPECT_EQ(editor->undoManager()->undoText(), "Insert/Edit Image");

    const QStringList onImage = contextMenuAt(*editor, "a img");
    EXPECT_TRUE(onImage.contains("Edit Image")) << onImage.join('|').toStdString();
    EXPECT_FALSE(onImage.contains("Edit Link"));

    // A linked image: sizes read as their leading numbers; unticking the link leaves the bare
    // image, with its other attributes, where the link was.
    rightClick(*editor, "a img");
    editor->editImageContextMenuNode();
    sheet = imageSheet(*editor);
    window = sheet->window();
    EXPECT_EQ(sheet->imageURL(), "p.png");
    EXPECT_EQ(sheet->imageWidth(), "50");
    EXPECT_EQ(sheet->imageHeight(), "");
    EXPECT_EQ(sheet->imageLink(), "l.html");
    EXPECT_EQ(sheet->imageHasLink(), 1);
    QSignalSpy notFound(sheet, &editImageLink::previewShown);
    if (sheet->isPreviewLoading() || sheet->sizeNotice() != "Image not found") {
        ASSERT_TRUE(notFound.wait(kWaitMs));
    }
    EXPECT_EQ(sheet->sizeNotice(), "Image not found");
    window->findChild<VLXCheckBox *>("editImageAddLink")->click();
    ASSERT_TRUE(changeBy(*editor, [&] { sheet->editImageButtonOK(); }));
    EXPECT_EQ(eval(*editor, "document.querySelectorAll('a').length").toInt(), 0);
    EXPECT_EQ(eval(*editor, "document.images[1].outerHTML").toString(),
              "<img src=\"p.png\" width=\"50\" border=\"0\" alt=\"A\">");

    // Missing fields keep the sheet open.
    editor->buttonImage();
    sheet = imageSheet(*editor);
    sheet->editImageButtonOK();
    EXPECT_EQ(alerts->alerts().last().message, "Image URL can not be left blank.");
    sheet->window()->findChild<VLXTextField *>("editImageURL")->setText("x.png");
    sheet->window()->findChild<VLXCheckBox *>("editImageAddLink")->click();
    sheet->editImageButtonOK();
    EXPECT_EQ(alerts->alerts().last().message, "Link URL can not be left blank.");
    EXPECT_TRUE(sheet->window()->isVisible());
    sheet->editImageButtonCancel();
    EXPECT_TRUE(waitFor([&] { return editor->image() == nullptr; }));
}

TEST_F(WYSIWYGTest, ThePageNeitherRunsScriptsNorLeaves)
{
    auto editor = open("<script>document.title='ran'</script>"
                       "<img src=\"data:,\" onerror=\"document.body.setAttribute('data-ran','1')\">"
                       "Read <a href=\"http://127.0.0.1:9/away\">the story</a> now.");
    ASSERT_TRUE(waitFor([&] { return eval(*editor, "document.images[0].complete").toBool(); }));
    EXPECT_EQ(eval(*editor, "document.title").toString(), "");
    EXPECT_FALSE(eval(*editor, "document.body.hasAttribute('data-ran')").toBool());

    // A followed link opens its sheet instead; the page stays.
    const QUrl address = editor->page()->url();
    QSignalSpy refused(editor->page(), &EditorWebPage::navigationRefused);
    selectWord(*editor, "story");
    // (Links in editable text are not followed at all: the click comes with editing off.)
    eval(*editor,
         "document.body.contentEditable='false'; document.body.offsetHeight;"
         "document.querySelector('a').click(); true");
    ASSERT_TRUE(refused.count() > 0 || refused.wait(kWaitMs));
    eval(*editor, "document.body.contentEditable='true'");
    editLink *sheet = linkSheet(*editor);
    EXPECT_EQ(sheet->linkText(), "the story");
    EXPECT_EQ(sheet->linkURL(), "http://127.0.0.1:9/away");
    sheet->editLinkButtonCancel();
    EXPECT_TRUE(waitFor([&] { return editor->link() == nullptr; }));
    EXPECT_EQ(editor->page()->url(), address);
    EXPECT_TRUE(body(*editor).contains("the story"));

    // A refresh the text carries goes nowhere either.
    eval(*editor,
         "var m=document.createElement('meta'); m.httpEquiv='refresh';"
         "m.content='0; url=http://127.0.0.1:9/refresh'; document.body.appendChild(m);"
         "true");
    ASSERT_TRUE(refused.wait(kWaitMs));
    EXPECT_EQ(editor->page()->url(), address);
    EXPECT_TRUE(body(*editor).contains("the story"));
    EXPECT_EQ(editor->undoManager()->count(), 0);

    // Printed on the shared page settings: 54-point margins.
    auto printable = open("Read this first.");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("description.pdf");
    QSignalSpy printed(printable.get(), &WYSIWYG::pdfPrinted);
    printable->printToPdf(pdf);
    ASSERT_TRUE(printed.wait(kWaitMs));
    EXPECT_TRUE(printed.first().at(1).toBool());
    QProcess info;
    info.start("pdfinfo", {pdf});
    ASSERT_TRUE(info.waitForFinished(kWaitMs));
    const QString pageSize = QString::fromUtf8(info.readAllStandardOutput());
    const QRectF paper = printInfoManager::printInfo().fullRect(QPageLayout::Point);
    const QRegularExpressionMatch size
        = QRegularExpression("Page size:\\s+([0-9.]+) x ([0-9.]+)").match(pageSize);
    ASSERT_TRUE(size.hasMatch()) << pageSize.toStdString();
    EXPECT_NEAR(size.captured(1).toDouble(), paper.width(), 1);
    EXPECT_NEAR(size.captured(2).toDouble(), paper.height(), 1);
    QProcess text;
    text.start("pdftotext", {"-bbox", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(kWaitMs));
    const QString boxes = QString::fromUtf8(text.readAllStandardOutput());
    const QRegularExpressionMatch word
        = QRegularExpression("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Read</word>")
              .match(boxes);
    ASSERT_TRUE(word.hasMatch()) << boxes.toStdString();
    // The page's own 8-pixel body margin (6 points) comes on top of the paper margin.
    EXPECT_NEAR(word.captured(1).toDouble(), 54 + 6, 3);
    EXPECT_GE(word.captured(2).toDouble(), 54);
}
