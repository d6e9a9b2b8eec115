// The licence picker and the paste dialog over the stored library.
#include "CreativeCommonsTestSupport.h"

#include "extensions/cc/CreativeCommonsLibrary.h"
#include "panes/cc/creativeCommonsPaste.h"
#include "panes/cc/creativeCommonsSelect.h"
#include "ui/VLXTableView.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

namespace {

const QString kBy = QStringLiteral("https://licenses.example.org/by/");
const QString kSa = QStringLiteral("https://licenses.example.org/sa/");

template<typename T = QWidget> T *child(QDialog *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

} // namespace

class CreativeCommonsDialogsTest : public CreativeCommonsFixture
{
protected:
    void saveTwo()
    {
        CreativeCommonsLibrary::saveLicense(kBy, QStringLiteral("Attribution"),
                                            QStringLiteral("<a href=\"by\">By</a>"));
        CreativeCommonsLibrary::saveLicense(kSa, QStringLiteral("Share Alike"),
                                            QStringLiteral("<a href=\"sa\">SA</a>"));
    }
    // Runs the paste dialog; the action sees it open and ends it.
    int runPaste(creativeCommonsPaste &dialog, std::function<void(QDialog *)> action)
    {
        whenShown(QStringLiteral("creativeCommonsPaste"), std::move(action));
        return dialog.selectLicense(nullptr);
    }
};

TEST_F(CreativeCommonsDialogsTest, ThePickerListsNameAndURLAndHandsBackTheChosenOne)
{
    {
        creativeCommonsSelect empty;
        whenShown(QStringLiteral("creativeCommonsSelect"), [](QDialog *dialog) {
            EXPECT_EQ(child<VLXTableView>(dialog, "licenseTable")->model()->rowCount(), 0);
            child<QPushButton>(dialog, "accept")->click();
        });
        EXPECT_EQ(empty.selectLicense(nullptr), 0) << "Accept with nothing chosen is a cancel";
    }
    saveTwo();
    creativeCommonsSelect picker;
    QString firstRow;
    whenShown(QStringLiteral("creativeCommonsSelect"), [&](QDialog *dialog) {
        auto *table = child<VLXTableView>(dialog, "licenseTable");
        firstRow = table->model()->index(0, 0).data().toString();
        table->selectRow(1);
        emit table->doubleAction(1);
    });
    ASSERT_EQ(picker.selectLicense(nullptr), 1);
    EXPECT_EQ(firstRow, QStringLiteral("Attribution\n") + kBy);
    EXPECT_EQ(picker.licenseURLString(), kSa);
    EXPECT_EQ(picker.licenseNameString(), QStringLiteral("Share Alike"));
    EXPECT_EQ(picker.licenseHTMLString(), QString());
    EXPECT_EQ(creativeCommonsSelect::licenseHTMLForURL(kBy),
              QStringLiteral("<a href=\"by\">By</a>"));
    EXPECT_TRUE(creativeCommonsPaste::licenseNameForURL(QStringLiteral("http://none/")).isNull());

    // Saving a known URL again replaces its name and HTML.
    CreativeCommonsLibrary::saveLicense(kBy, QStringLiteral("Attribution 4"), QString());
    EXPECT_EQ(CreativeCommonsLibrary::licenses().size(), 2);
    EXPECT_EQ(CreativeCommonsLibrary::licenseNameForURL(kBy), QStringLiteral("Attribution 4"));
}

TEST_F(CreativeCommonsDialogsTest, PastingPutsPlainTextOnTheClipboardAndRemembersTheLicence)
{
    saveTwo();
    creativeCommonsPaste first;
    QString shownHTML;
    EXPECT_EQ(runPaste(first,
                       [&](QDialog *dialog) {
                           EXPECT_EQ(child<VLXTableView>(dialog, "licenseTable")->selectedRow(),
                                     -1);
                           // Nothing chosen: a beep, the dialog stays.
                           child<QPushButton>(dialog, "pasteHTML")->click();
                           EXPECT_TRUE(dialog->isVisible());
                           child<VLXTableView>(dialog, "licenseTable")->selectRow(1);
                           shownHTML = child<QLineEdit>(dialog, "licenseHTML")->text();
                           child<QPushButton>(dialog, "pasteHTML")->click();
                       }),
              1);
    EXPECT_EQ(shownHTML, QStringLiteral("<a href=\"sa\">SA</a>"));
    const QMimeData *clipboard = QApplication::clipboard()->mimeData();
    EXPECT_EQ(clipboard->formats(), QStringList {QStringLiteral("text/plain")});
    EXPECT_EQ(clipboard->text(), QStringLiteral("<a href=\"sa\">SA</a>"));
    EXPECT_EQ(CreativeCommonsLibrary::lastPaste(), kSa);

    // Next time the last one is preselected.
    creativeCommonsPaste second;
    int preselected = -1;
    runPaste(second, [&](QDialog *dialog) {
        preselected = child<VLXTableView>(dialog, "licenseTable")->selectedRow();
        child<QPushButton>(dialog, "pasteName")->click();
    });
    EXPECT_EQ(preselected, 1);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Share Alike"));

    // A feed licence is preselected instead, and pasting from it leaves the memory alone.
    creativeCommonsPaste withFeed;
    withFeed.setFeedLicenseURLString(kBy);
    runPaste(withFeed, [&](QDialog *dialog) {
        preselected = child<VLXTableView>(dialog, "licenseTable")->selectedRow();
        child<QPushButton>(dialog, "pasteURL")->click();
    });
    EXPECT_EQ(preselected, 0);
    EXPECT_EQ(QApplication::clipboard()->text(), kBy);
    EXPECT_EQ(CreativeCommonsLibrary::lastPaste(), kSa);

    // A feed licence the library lacks selects nothing, whatever was pasted last.
    creativeCommonsPaste unknown;
    unknown.setFeedLicenseURLString(QStringLiteral("https://elsewhere.example/"));
    EXPECT_EQ(runPaste(unknown,
                       [&](QDialog *dialog) {
                           preselected = child<VLXTableView>(dialog, "licenseTable")->selectedRow();
                           child<QPushButton>(dialog, "cancel")->click();
                       }),
              0);
    EXPECT_EQ(preselected, -1);
}
