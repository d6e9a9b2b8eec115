#include "model/TitledElement.h"
#include "mrssTestSupport.h"
#include "panes/mrss/mrssEditContent.h"
#include "panes/mrss/mrssEditOptional.h"
#include "platform/AlertService.h"
#include "platform/FileChooser.h"
#include "platform/ScriptedAlertService.h"
#include "platform/ScriptedFileChooser.h"
#include "ui/VLXImageView.h"
#include "ui/VLXTableView.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using K = mrssOptionalElements;

class mrssDialogs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        alerts = ScriptedAlertService::install();
        chooser = std::make_shared<ScriptedFileChooser>();
        FileChooser::setInstance(chooser);
    }
    void TearDown() override
    {
        AlertService::setInstance(nullptr);
        FileChooser::setInstance(nullptr);
    }

    // Runs the dialog; the script acts on its window once it is up, then whatever is still
    // open is cancelled.
    template<class Dialog> int run(Dialog &dialog, const std::function<void(QDialog *)> &script)
    {
        QTimer::singleShot(0, [&] {
            QDialog *window = dialog.documentWindow();
            ASSERT_TRUE(window);
            script(window);
            if (window->isVisible())
                dialog.cancel();
        });
        return dialog.editElement(nullptr);
    }

    QString lastAlert() const
    {
        return alerts->alerts().isEmpty()
            ? QString()
            : alerts->alerts().last().title + u'|' + alerts->alerts().last().message;
    }

    std::shared_ptr<ScriptedAlertService> alerts;
    std::shared_ptr<ScriptedFileChooser> chooser;
};

void setText(QDialog *window, const char *name, const QString &text)
{
    if (auto *line = window->findChild<QLineEdit *>(QLatin1String(name)))
        line->setText(text);
    else if (auto *view = window->findChild<QPlainTextEdit *>(QLatin1String(name)))
        view->setPlainText(text);
    else
        ADD_FAILURE() << name;
}

void choose(QDialog *window, const char *name, int item)
{
    auto *popUp = window->findChild<QComboBox *>(QLatin1String(name));
    ASSERT_TRUE(popUp) << name;
    popUp->setCurrentIndex(item);
}

} // namespace

TEST_F(mrssDialogs, EachKindRefusesWhatItCannotTake)
{
    const QString urlText = QStringLiteral(
        "Invalid Information|The URL does not seem to be a valid.  URL should be in a format "
        "similar to \"http://www.example.com/media/file.mov\"");
    const QString schemeText = QStringLiteral(
        "Invalid Information|The Scheme does not seem to be a valid URL.  Scheme should be in a "
        "format similar to \"http://www.example.com/media/scheme.html\"");
    struct Case
    {
        int kind;
        std::vector<std::pair<const char *, const char *>> texts;
        std::vector<std::pair<const char *, int>> items;
        QString alert; // empty: taken
        // The fields as the dialog shows them afterwards.
        std::vector<std::pair<const char *, const char *>> shown = {};
    } cases[] = {
        {K::kRating, {}, {}, "Missing Information|The rating field can not be left blank"},
        {K::kRating,
         {{"ratingRating", "pg"}},
         {},
         "Invalid Value|When the scheme is either blank or \"urn:simple\" only \"adult\" and "
         "\"nonadult\" are valid values",
         {{"ratingScheme", "urn:simple"}}},
        {K::kRating, {{"ratingRating", "adult"}}, {}, {}, {{"ratingScheme", "urn:simple"}}},
        {K::kRating,
         {{"ratingRating", "pg"}, {"ratingScheme", "urn:mpaa"}},
         {},
         {},
         {{"ratingScheme", "urn:mpaa"}}},
        {K::kTitle, {}, {}, "Missing Information|The Title field can not be left blank"},
        {K::kTitle,
         {{"titleTitle", "a <b>b</b>"}},
         {},
         "Type Mismatch|The type is set to \"Plain Text\", but there is HTML in the Title.  "
         "Please correct."},
        {K::kTitle, {{"titleTitle", "a <b>b</b>"}}, {{"titleType", 1}}, {}},
        {K::kDescription,
         {},
         {},
         "Missing Information|The Description field can not be left blank"},
        {K::kDescription,
         {{"descriptionDescription", "<p>x</p>"}},
         {},
         "Type Mismatch|The type is set to \"Plain Text\", but there is HTML in the "
         "Description.  Please correct."},
        {K::kKeywords, {}, {}, "Missing Information|The Keywords field can not be left blank"},
        {K::kThumbnail, {}, {}, "Missing Information|The URL field can not be left blank"},
        {K::kThumbnail, {{"thumbnailURL", "not a url"}}, {}, urlText},
        {K::kCategory, {}, {}, "Missing Information|The Category field can not be left blank"},
        {K::kCategory,
         {{"categoryCategory", "c"}, {"categoryScheme", "no scheme"}},
         {},
         schemeText},
        {K::kHash, {}, {}, "Missing Information|The Hash field can not be left blank"},
        {K::kPlayer, {}, {}, "Missing Information|The Player field can not be left blank"},
        {K::kPlayer, {{"playerURL", "::"}}, {}, urlText},
        {K::kCredit, {}, {}, "Missing Information|The Credit field can not be left blank"},
        {K::kCredit, {{"creditCredit", "c"}, {"creditScheme", "a b"}}, {}, schemeText},
        {K::kCopyright, {}, {}, "Missing Information|The Copyright field can not be left blank"},
        {K::kCopyright, {{"copyrightCopyright", "c"}, {"copyrightURL", "x y"}}, {}, urlText},
        {K::kText, {}, {}, "Missing Information|The Text field can not be left blank"},
        {K::kText,
         {{"textText", "<i>x</i>"}},
         {},
         "Type Mismatch|The type is set to \"Plain Text\", but there is HTML in the Text.  "
         "Please correct."},
        {K::kRestriction,
         {},
         {},
         "Missing Information|The Restriction field can not be left blank"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.kind).arg(c.alert).toStdString());
        alerts->clear();
        mrssEditOptional dialog;
        dialog.setElementValues({{K::kTypeKey, c.kind}});
        const int result = run(dialog, [&](QDialog *window) {
            for (const auto &[name, text] : c.texts)
                setText(window, name, QString::fromUtf8(text));
            for (const auto &[name, item] : c.items)
                choose(window, name, item);
            dialog.accept();
            // A refusal leaves the dialog open with what was typed.
            EXPECT_EQ(window->isVisible(), !c.alert.isEmpty());
            for (const auto &[name, text] : c.shown)
                EXPECT_EQ(window->findChild<QLineEdit *>(QLatin1String(name))->text(),
                          QString::fromUtf8(text));
        });
        EXPECT_EQ(result, c.alert.isEmpty() ? 1 : 0);
        EXPECT_EQ(lastAlert(), c.alert);
    }
}

TEST_F(mrssDialogs, TheOptionalDialogStoresTheKindsWords)
{
    mrssEditOptional rating;
    ASSERT_EQ(run(rating,
                  [&](QDialog *window) {
                      setText(window, "ratingRating", QStringLiteral("adult"));
                      rating.accept();
                  }),
              1);
    EXPECT_EQ(
        rating.elementValues(),
        element(K::kRating, {{"elementDescription", "adult"}, {"attributeScheme", "urn:simple"}}));

    // An element given is shown on its kind's page; the words come back as chosen.
    mrssEditOptional restriction;
    restriction.setElementValues(element(K::kRestriction,
                                         {{"elementDescription", "us"},
                                          {"attributeRelationship", "deny"},
                                          {"attributeType", "uri"}}));
    ASSERT_EQ(run(restriction,
                  [&](QDialog *window) {
                      EXPECT_EQ(window->findChild<QComboBox *>("elementType")->currentIndex(),
                                int(K::kRestriction));
                      EXPECT_EQ(
                          window->findChild<QComboBox *>("restrictionRelationship")->currentIndex(),
                          1);
                      choose(window, "restrictionRelationship", 0);
                      choose(window, "restrictionType", 0);
                      restriction.accept();
                  }),
              1);
    EXPECT_EQ(restriction.elementValues(),
              element(K::kRestriction,
                      {{"elementDescription", "us"},
                       {"attributeRelationship", "allow"},
                       {"attributeType", "country"}}));

    // Another kind chosen: the dictionary is of that kind; a hash keeps its algorithm, and the
    // player its url, when written.
    mrssEditOptional hash;
    hash.setElementValues(element(K::kTitle, {{"elementDescription", "t"}}));
    ASSERT_EQ(run(hash,
                  [&](QDialog *window) {
                      choose(window, "elementType", K::kHash);
                      setText(window, "hashHash", QStringLiteral("abc"));
                      choose(window, "hashType", 1);
                      hash.accept();
                  }),
              1);
    K set;
    set.addDictionary(hash.elementValues());
    mrssEditOptional player;
    ASSERT_EQ(run(player,
                  [&](QDialog *window) {
                      choose(window, "elementType", K::kPlayer);
                      setText(window, "playerURL", QStringLiteral("http://p/x"));
                      player.accept();
                  }),
              1);
    set.addDictionary(player.elementValues());
    EXPECT_EQ(set.buildXML(QString()),
              QStringLiteral("<media:hash algo=\"sha1\">abc</media:hash>\n"
                             "<media:player url=\"http://p/x\" />\n"));
    mrssEditOptional cancelled;
    EXPECT_EQ(run(cancelled, [](QDialog *) {}), 0);
}

TEST_F(mrssDialogs, TheContentDialogShowsAndStoresItsWords)
{
    mrssRequiredElement content;
    content.setAttribute("attributeURL", QStringLiteral("http://x/a.mp4"));
    content.setAttribute("attributeMedium", QStringLiteral("video"));
    content.setAttribute("attributeIsDefault", QStringLiteral("false"));
    content.setAttribute("attributeExpression", QStringLiteral("nonstop"));
    content.setAttribute("attributeLang", QStringLiteral("fr"));
    content.setAttribute("attributeBitRate", QStringLiteral("128"));
    mrssEditContent dialog;
    dialog.setContentValue(content);
    ASSERT_EQ(run(dialog,
                  [&](QDialog *window) {
                      EXPECT_EQ(window->findChild<QComboBox *>("editMedium")->currentIndex(), 3);
                      EXPECT_EQ(window->findChild<QComboBox *>("editIsDefault")->currentIndex(), 2);
                      EXPECT_EQ(window->findChild<QComboBox *>("editExpression")->currentIndex(),
                                3);
                      dialog.accept();
                  }),
              1);
    EXPECT_EQ(dialog.contentValue().mediaContentElement(), content.mediaContentElement());

    // The nested table adds, modifies across kinds and deletes.
    mrssEditContent nested;
    int rows = -1;
    ASSERT_EQ(run(nested,
                  [&](QDialog *window) {
                      auto *table = window->findChild<VLXTableView *>("editOptionalElementsTable");
                      QTimer::singleShot(0, [] {
                          auto *optional = QApplication::activeModalWidget();
                          setText(qobject_cast<QDialog *>(optional), "ratingRating",
                                  QStringLiteral("nonadult"));
                          optional->findChild<QPushButton *>("accept")->click();
                      });
                      window->findChild<QPushButton *>("editOptionalElements_Add")->click();
                      table->selectRow(0);
                      QTimer::singleShot(0, [] {
                          auto *optional = QApplication::activeModalWidget();
                          choose(qobject_cast<QDialog *>(optional), "elementType", K::kKeywords);
                          setText(qobject_cast<QDialog *>(optional), "keywordsKeywords",
                                  QStringLiteral("a, b"));
                          optional->findChild<QPushButton *>("accept")->click();
                      });
                      window->findChild<QPushButton *>("editOptionalElements_Edit")->click();
                      rows = table->model()->rowCount();
                      EXPECT_EQ(nested.tableViewObjectValue(table, "type", 0, Qt::DisplayRole),
                                QStringLiteral("Keywords"));
                      nested.accept();
                  }),
              1);
    EXPECT_EQ(rows, 1);
    // A new element's language stays unset unless one is chosen.
    EXPECT_EQ(nested.contentValue().attribute("attributeLang"), QString());
    EXPECT_EQ(nested.contentValue().mediaOptionalElements().elementsUsed(),
              QStringLiteral("Keywords"));
}

TEST_F(mrssDialogs, ALocalFileIsCheckedChosenAndDropped)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString audio = dir.filePath(QStringLiteral("take.mp3"));
    const QString other = dir.filePath(QStringLiteral("other.mp3"));
    for (const QString &path : {audio, other}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1234, 'x'));
    }
    mrssRequiredElement content;
    content.setAttribute("attributeURL", QStringLiteral("http://x/take.mp4"));
    content.setLocalEnclosureFilePath(audio);
    const QDateTime uploaded = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    content.setLastUploaded(uploaded);

    mrssEditContent dialog;
    dialog.setContentValue(content);
    ASSERT_EQ(run(dialog,
                  [&](QDialog *window) {
                      // Missing, then another type refused, then taken on "Continue".
                      EXPECT_EQ(dialog.newLocalEnclosureFile(dir.filePath("gone.mp3")),
                                (QStringList {QStringLiteral("File not found"),
                                              QStringLiteral("The file \"%1\" could not be found.")
                                                  .arg(dir.filePath("gone.mp3"))}));
                      alerts->queueAnswer(AlertService::kDefault);
                      EXPECT_EQ(dialog.newLocalEnclosureFile(other),
                                (QStringList {QStringLiteral("Canceled"),
                                              QStringLiteral("Field change canceled by user")}));
                      EXPECT_EQ(alerts->alerts().last().title, QStringLiteral("MIME Mismatch"));
                      EXPECT_EQ(alerts->alerts().last().defaultButton, QStringLiteral("Cancel"));
                      EXPECT_EQ(alerts->alerts().last().alternateButton,
                                QStringLiteral("Continue"));
                      // The same file again keeps its upload date.
                      alerts->queueAnswer(AlertService::kAlternate);
                      EXPECT_TRUE(dialog.newLocalEnclosureFile(audio).isEmpty());
                      EXPECT_EQ(window->findChild<QLineEdit *>("editFilesize")->text(), "1234");
                      EXPECT_EQ(window->findChild<QLineEdit *>("editType")->text(), "audio/mpeg");
                      dialog.accept();
                  }),
              1);
    EXPECT_EQ(dialog.contentValue().lastUploaded(), uploaded);
    EXPECT_EQ(dialog.contentValue().localEnclosureFilePath(), audio);

    // Chosen in the open panel: another file, never uploaded.
    mrssEditContent chosen;
    chosen.setContentValue(dialog.contentValue());
    chooser->enqueue({other});
    ASSERT_EQ(run(chosen,
                  [&](QDialog *window) {
                      alerts->queueAnswer(AlertService::kAlternate);
                      window->findChild<QPushButton *>("localFile")->click();
                      chosen.accept();
                  }),
              1);
    ASSERT_EQ(chooser->requests().size(), 1);
    EXPECT_EQ(chooser->requests().first().title, QStringLiteral("Select Enclosure File"));
    EXPECT_EQ(chooser->requests().first().directory, dir.path());
    EXPECT_EQ(chosen.contentValue().localEnclosureFilePath(), other);
    EXPECT_EQ(chosen.contentValue().lastUploaded(), TitledElement::neverUploaded());

    // Dropped on the picture: only file URLs are taken.
    mrssEditContent dropped;
    dropped.setContentValue(content);
    ASSERT_EQ(run(dropped,
                  [&](QDialog *window) {
                      auto *target = window->findChild<VLXImageView *>("editLocalFileDropTarget");
                      ASSERT_TRUE(target);
                      QMimeData data;
                      data.setUrls({QUrl(QStringLiteral("http://x/elsewhere.mp3"))});
                      const auto drop = [&] {
                          QDragEnterEvent enter(QPoint(5, 5), Qt::LinkAction, &data, Qt::LeftButton,
                                                Qt::NoModifier);
                          QApplication::sendEvent(target, &enter);
                          QDropEvent event(QPointF(5, 5), Qt::LinkAction, &data, Qt::LeftButton,
                                           Qt::NoModifier);
                          QApplication::sendEvent(target, &event);
                      };
                      drop();
                      EXPECT_EQ(window->findChild<QLineEdit *>("editLocalFilename")->text(), audio);
                      data.setUrls({QUrl::fromLocalFile(other)});
                      alerts->queueAnswer(AlertService::kAlternate);
                      drop();
                      EXPECT_EQ(window->findChild<QLineEdit *>("editLocalFilename")->text(), other);
                      dropped.accept();
                  }),
              1);
    EXPECT_EQ(dropped.contentValue().localEnclosureFilePath(), other);

    // The preferences' dialog has no local-file area and is lower for it.
    mrssEditContent withArea;
    int fullHeight = 0;
    run(withArea, [&](QDialog *window) { fullHeight = window->height(); });
    mrssEditContent withoutArea;
    withoutArea.setRemoveLocalFileBox(true);
    run(withoutArea, [&](QDialog *window) {
        EXPECT_FALSE(window->findChild<QWidget *>("editLocalFileBox"));
        EXPECT_LT(window->height(), fullHeight);
        EXPECT_TRUE(withoutArea.newLocalEnclosureFile(audio).isEmpty());
    });
}
