// The licence creator against the stand-in service on the loopback.
#include "CreativeCommonsTestSupport.h"
#include "common/StallWatch.h"

#include "extensions/cc/CreativeCommonsLibrary.h"
#include "io/CURLHandle.h"
#include "panes/cc/creativeCommonsCreate.h"
#include "panes/cc/creativeCommonsSelect.h"
#include "platform/DefaultsStore.h"
#include "platform/PlistDefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXTableView.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

const QString kStandardAnswers
    = QStringLiteral("<answers>\n  <locale>de_AT</locale>\n  <license-standard>\n"
                     "    <F1>E1</F1>\n    <F2>N</F2>\n    <F3>by&amp;sa</F3>\n"
                     "  </license-standard>\n</answers>\n");

template<typename T = QWidget> T *child(QDialog *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

QString status(QDialog *creator)
{
    return child<QLabel>(creator, "transferStatus")->text();
}

} // namespace

class CreativeCommonsCreateTest : public CreativeCommonsFixture
{
protected:
    // Waits until the request just made has been answered.
    bool answered(QDialog *creator)
    {
        return waitFor([creator] { return status(creator) != QLatin1String("In Progress"); });
    }
    QComboBox *popUp(QDialog *creator, const char *name) { return child<QComboBox>(creator, name); }
    // Waits for the locales and the classes the dialog asks for as it opens.
    void waitForClasses(QDialog *creator)
    {
        ASSERT_TRUE(waitFor([&] { return popUp(creator, "licenseTypeButton")->count() > 1; }))
            << status(creator).toStdString();
    }
};

TEST_F(CreativeCommonsCreateTest, AFullRunSavesTheIssuedLicenceInTheSettingsFile)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Vellumcast.plist"));
    VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));
    startService();
    CreativeCommonsLibrary::saveLicense(QStringLiteral("https://old.example/"),
                                        QStringLiteral("Old"), QStringLiteral("<b>old</b>"));

    creativeCommonsSelect picker; // takes its copy of the library now
    // Saved elsewhere while the picker is open: the new licence must not push it out.
    CreativeCommonsLibrary::saveLicense(QStringLiteral("https://meanwhile.example/"),
                                        QStringLiteral("Meanwhile"), QString());

    QString issuedURL;
    int rowsShown = -1;
    QStringList thirdRow;
    whenShown(QStringLiteral("creativeCommonsSelect"), [&](QDialog *dialog) {
        whenShown(QStringLiteral("creativeCommonsCreate"), [&](QDialog *creator) {
            waitForClasses(creator);
            QComboBox *locales = popUp(creator, "licenseLocaleButton");
            EXPECT_EQ(locales->itemText(0), QStringLiteral("Select License Locale"));
            EXPECT_EQ(locales->itemText(1), QStringLiteral("(de_AT) German (Austria)"));
            choose(locales, QStringLiteral("(de_AT) German (Austria)"));
            EXPECT_TRUE(answered(creator));
            choose(popUp(creator, "licenseTypeButton"), QStringLiteral("Creative Commons (de_AT)"));
            EXPECT_TRUE(answered(creator));
            auto *dialogCreator = static_cast<creativeCommonsCreate *>(creator);
            rowsShown = dialogCreator->questionRowsShown();
            EXPECT_TRUE(child(creator, "field3_options")->isVisible());
            for (int i = 0; i < popUp(creator, "field3_options")->count(); ++i)
                thirdRow << popUp(creator, "field3_options")->itemText(i);
            // The second question has a two-titled answer and one without a title: "No" is
            // still the answer "N".
            choose(popUp(creator, "field2_options"), QStringLiteral("No"));
            child<QPushButton>(creator, "generate")->click();
            EXPECT_TRUE(answered(creator));
            issuedURL = child<QLineEdit>(creator, "licenseURL")->text();
            child<QPushButton>(creator, "acceptButton")->click();
        });
        child<QPushButton>(dialog, "createNew")->click();
        auto *table = child<VLXTableView>(dialog, "licenseTable");
        table->selectRow(int(picker.licenseArray().indexOf(issuedURL)));
        child<QPushButton>(dialog, "accept")->click();
    });
    ASSERT_EQ(picker.selectLicense(nullptr), 1);

    EXPECT_EQ(rowsShown, 3);
    EXPECT_EQ(thirdRow, (QStringList {"Yes, share alike", "No"}));
    ASSERT_EQ(postedAnswers(), QStringList {kStandardAnswers});
    EXPECT_EQ(issuedURL,
              QStringLiteral("https://licenses.example.org/standard-de_AT-E1-N-byandsa/"));
    EXPECT_EQ(picker.licenseURLString(), issuedURL);
    EXPECT_EQ(picker.licenseNameString(), QStringLiteral("Stand-in standard licence (E1 N by&sa)"));
    EXPECT_TRUE(picker.licenseHTMLString().isEmpty()) << "the picker never fills the HTML";
    EXPECT_TRUE(
        requests().join(u'\n').contains(QStringLiteral("/rest/1.5/license/standard?locale=de_AT")));

    // What the settings file now holds, read afresh.
    const PlistDefaultsStore reread(path);
    const QVariantMap library
        = reread.dictionary(CreativeCommonsLibrary::kLicensesKey).value_or(QVariantMap());
    EXPECT_EQ(library.keys(),
              (QStringList {"https://licenses.example.org/standard-de_AT-E1-N-byandsa/",
                            "https://meanwhile.example/", "https://old.example/"}));
    const QVariantMap entry = library.value(issuedURL).toMap();
    EXPECT_EQ(entry.value("LicenseName").toString(), picker.licenseNameString());
    EXPECT_EQ(entry.value("LicenseHTML").toString(),
              QStringLiteral("<a rel=\"license\" href=\"%1\">Stand-in standard licence (E1 N "
                             "by&amp;sa)</a>")
                  .arg(issuedURL));
    EXPECT_EQ(entry.size(), 2);
}

TEST_F(CreativeCommonsCreateTest, PublicDomainOffersGenerateAtOnceAndSendsNoRows)
{
    startService();
    creativeCommonsCreate creator;
    whenShown(QStringLiteral("creativeCommonsCreate"), [&](QDialog *dialog) {
        waitForClasses(dialog);
        EXPECT_FALSE(child(dialog, "generate")->isVisible());
        choose(popUp(dialog, "licenseTypeButton"), QStringLiteral("Public Domain"));
        EXPECT_TRUE(answered(dialog));
        EXPECT_TRUE(child(dialog, "generate")->isVisible());
        EXPECT_FALSE(child(dialog, "field1_options")->isVisible());
        child<QPushButton>(dialog, "generate")->click();
        EXPECT_TRUE(answered(dialog));
        EXPECT_FALSE(child<QLineEdit>(dialog, "licenseName")->text().isEmpty());
        // Another choice after Generate: the licence must be asked for again.
        choose(popUp(dialog, "licenseTypeButton"), QStringLiteral("Creative Commons"));
        EXPECT_TRUE(answered(dialog));
        EXPECT_TRUE(child<QLineEdit>(dialog, "licenseName")->text().isEmpty());
        child<QPushButton>(dialog, "acceptButton")->click();
    });
    EXPECT_EQ(creator.createNewLicense(nullptr), 0) << "Accept without a licence is a cancel";
    EXPECT_EQ(postedAnswers(),
              QStringList {QStringLiteral("<answers>\n  <license-publicdomain>\n"
                                          "  </license-publicdomain>\n</answers>\n")});
}

TEST_F(CreativeCommonsCreateTest, ALicenceLongerThanTheSettingsKeepIsRefusedWithTheReason)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Vellumcast.plist"));
    VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));
    startService({QStringLiteral("--name-length"), QStringLiteral("5000")});
    creativeCommonsSelect picker;
    whenShown(QStringLiteral("creativeCommonsSelect"), [&](QDialog *dialog) {
        whenShown(QStringLiteral("creativeCommonsCreate"), [&](QDialog *creator) {
            waitForClasses(creator);
            choose(popUp(creator, "licenseTypeButton"), QStringLiteral("Public Domain"));
            EXPECT_TRUE(answered(creator));
            child<QPushButton>(creator, "generate")->click();
            EXPECT_TRUE(answered(creator));
            child<QPushButton>(creator, "acceptButton")->click();
        });
        child<QPushButton>(dialog, "createNew")->click();
        dialog->reject();
    });
    EXPECT_EQ(picker.selectLicense(nullptr), 0);

    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().first().title, QStringLiteral("The licence could not be saved"));
    EXPECT_EQ(alerts->alerts().first().message,
              QStringLiteral("The licence's name is 5000 characters long, longer than the 4096 "
                             "characters it may have. The licence is not saved."));
    EXPECT_TRUE(picker.licenseArray().isEmpty());
    EXPECT_TRUE(CreativeCommonsLibrary::licenses().isEmpty());
}

TEST_F(CreativeCommonsCreateTest, OnlyTheRowsShownAreAnsweredHoweverManyQuestionsCome)
{
    startService({QStringLiteral("--questions"), QStringLiteral("5")});
    creativeCommonsCreate creator;
    whenShown(QStringLiteral("creativeCommonsCreate"), [&](QDialog *dialog) {
        waitForClasses(dialog);
        choose(popUp(dialog, "licenseTypeButton"), QStringLiteral("Creative Commons"));
        EXPECT_TRUE(answered(dialog));
        EXPECT_EQ(creator.questionRowsShown(), 3);
        choose(popUp(dialog, "licenseTypeButton"), QStringLiteral("Sampling"));
        EXPECT_TRUE(answered(dialog));
        EXPECT_EQ(creator.questionRowsShown(), 2);
        EXPECT_FALSE(child(dialog, "field3_options")->isVisible());
        // The answer without any title gives no item and no answer to send.
        EXPECT_EQ(popUp(dialog, "field2_options")->count(), 3);
        child<QPushButton>(dialog, "generate")->click();
        EXPECT_TRUE(answered(dialog));
        child<QPushButton>(dialog, "acceptButton")->click();
    });
    EXPECT_EQ(creator.createNewLicense(nullptr), 1);
    EXPECT_EQ(postedAnswers(),
              QStringList {QStringLiteral("<answers>\n  <license-recombo>\n    <F1>E1</F1>\n"
                                          "    <F2>Y</F2>\n  </license-recombo>\n</answers>\n")});
    EXPECT_EQ(creator.licenseURLString(),
              QStringLiteral("https://licenses.example.org/recombo-none-E1-Y/"));
    EXPECT_EQ(creator.licenseHTMLString().left(3), QStringLiteral("<a "));
}

TEST_F(CreativeCommonsCreateTest, ANonTextReplyLeavesOnlyTheFirstClassItem)
{
    startService();
    creativeCommonsCreate creator;
    whenShown(QStringLiteral("creativeCommonsCreate"), [&](QDialog *dialog) {
        waitForClasses(dialog);
        choose(popUp(dialog, "licenseLocaleButton"), QStringLiteral("(ja) Japanese"));
        EXPECT_TRUE(answered(dialog));
        EXPECT_EQ(status(dialog), QStringLiteral("Failed"));
        EXPECT_TRUE(child<QLabel>(dialog, "transferReason")
                        ->text()
                        .contains(QStringLiteral("bytes of type application/xml")));
        QComboBox *classes = popUp(dialog, "licenseTypeButton");
        EXPECT_EQ(classes->count(), 1);
        EXPECT_EQ(classes->itemText(0), QStringLiteral("Select License Type"));
        dialog->reject();
    });
    EXPECT_EQ(creator.createNewLicense(nullptr), 0);
}

TEST_F(CreativeCommonsCreateTest, RepliesThatCannotBeUsedFailWithTheirReasonOffTheWindowsThread)
{
    // Well above the 50 ms the window allows itself, so that a loaded machine does not fail the
    // test; far below the seconds such replies took on the window's thread.
    constexpr qint64 kStallMs = 250;
    const struct
    {
        const char *kind;
        const char *reason;
    } cases[] = {
        {"huge", "larger than 512"},
        {"bomb", "entity"},
        {"garbage", "not XML"},
        {"badid", "question id \"F 1\""},
    };
    for (const auto &hostile : cases) {
        SCOPED_TRACE(hostile.kind);
        service.stop();
        startService({QStringLiteral("--hostile"), QLatin1String(hostile.kind)});
        creativeCommonsCreate creator;
        QString state;
        QString reason;
        qint64 stall = -1;
        whenShown(QStringLiteral("creativeCommonsCreate"), [&](QDialog *dialog) {
            waitForClasses(dialog);
            StallWatch watch;
            choose(popUp(dialog, "licenseTypeButton"), QStringLiteral("Creative Commons"));
            EXPECT_TRUE(answered(dialog));
            stall = watch.longestMs();
            state = status(dialog);
            reason = child<QLabel>(dialog, "transferReason")->text();
            EXPECT_EQ(creator.questionRowsShown(), 0);
            EXPECT_FALSE(child(dialog, "generate")->isVisible());
            dialog->reject();
        });
        creator.createNewLicense(nullptr);
        EXPECT_EQ(state, QStringLiteral("Failed"));
        EXPECT_TRUE(reason.contains(QLatin1String(hostile.reason))) << reason.toStdString();
        EXPECT_LT(stall, kStallMs);
    }
}

TEST_F(CreativeCommonsCreateTest, AnUnreachableOrMissingServiceSaysWhy)
{
    const QString address = QStringLiteral("http://127.0.0.1:%1").arg(LocalServer::freePort());
    CreativeCommonsLibrary::store().setObject(address, CreativeCommonsLibrary::kServiceURLKey);
    creativeCommonsCreate closed;
    QString reason;
    whenShown(QStringLiteral("creativeCommonsCreate"), [&](QDialog *dialog) {
        EXPECT_TRUE(waitFor([dialog] { return status(dialog) == QLatin1String("Failed"); }));
        reason = child<QLabel>(dialog, "transferReason")->text();
        child<QPushButton>(dialog, "acceptButton")->click();
    });
    EXPECT_EQ(closed.createNewLicense(nullptr), 0);
    EXPECT_TRUE(reason.contains(address + QStringLiteral("/rest/1.5/locales")))
        << reason.toStdString();

    CreativeCommonsLibrary::store().remove(CreativeCommonsLibrary::kServiceURLKey);
    creativeCommonsCreate unset;
    whenShown(QStringLiteral("creativeCommonsCreate"), [&](QDialog *dialog) {
        EXPECT_EQ(status(dialog), QStringLiteral("Failed"));
        reason = child<QLabel>(dialog, "transferReason")->text();
        dialog->reject();
    });
    EXPECT_EQ(unset.createNewLicense(nullptr), 0);
    EXPECT_TRUE(reason.contains(QStringLiteral("CreativeCommonsServiceURL")))
        << reason.toStdString();
}

TEST_F(CreativeCommonsCreateTest, TheQuestionsExplainThemselves)
{
    startService();
    creativeCommonsCreate creator;
    whenShown(QStringLiteral("creativeCommonsCreate"), [&](QDialog *dialog) {
        waitForClasses(dialog);
        choose(popUp(dialog, "licenseTypeButton"), QStringLiteral("Creative Commons"));
        EXPECT_TRUE(answered(dialog));
        child<QPushButton>(dialog, "field3_moreInfo")->click();
        child<QPushButton>(dialog, "field2_moreInfo")->click();
        dialog->reject();
    });
    creator.createNewLicense(nullptr);
    ASSERT_EQ(alerts->alerts().size(), 2);
    EXPECT_EQ(alerts->alerts().at(0).title, QStringLiteral("Share alike?"));
    EXPECT_EQ(alerts->alerts().at(0).message,
              QStringLiteral("Derived works carry the same licence <always>."));
    EXPECT_EQ(alerts->alerts().at(0).defaultButton, QStringLiteral("Close"));
    EXPECT_EQ(alerts->alerts().at(1).message, QString()) << "a question without description";
}

TEST_F(CreativeCommonsCreateTest, OtherTransfersKeepTheirProxyAfterTheCreatorRan)
{
    for (const char *name :
         {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
        qunsetenv(name);
    LocalServer web;
    ASSERT_TRUE(web.startScript(QStringLiteral("http_server.py")));
    LocalServer proxy;
    for (int attempt = 0; attempt < 5 && !proxy.isRunning(); ++attempt) {
        const quint16 port = LocalServer::freePort();
        const QString config = proxy.workDir() + QStringLiteral("/tinyproxy.conf");
        QFile file(config);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 30\nLogFile \"%2\"\n"
                                  "LogLevel Info\nMaxClients 20\nAllow 127.0.0.1\n")
                       .arg(port)
                       .arg(proxy.logFilePath())
                       .toUtf8());
        file.close();
        proxy.startProgram(QStringLiteral("tinyproxy"),
                           {QStringLiteral("-d"), QStringLiteral("-c"), config}, port);
    }
    ASSERT_TRUE(proxy.isRunning()) << proxy.errorString().toStdString();
    qputenv("http_proxy", proxy.url(QStringLiteral("http"), QString()).toUtf8());
    startService();

    creativeCommonsCreate creator;
    whenShown(QStringLiteral("creativeCommonsCreate"), [&](QDialog *dialog) {
        waitForClasses(dialog);
        dialog->reject();
    });
    creator.createNewLicense(nullptr);
    EXPECT_FALSE(requests().isEmpty()) << "the creator reached its service directly";
    EXPECT_FALSE(proxy.log().contains(QStringLiteral("/rest/1.5/")));

    EXPECT_TRUE(CURLHandle::allowsProxy());
    const QString address = web.url(QStringLiteral("http"), QStringLiteral("/ok"));
    EXPECT_EQ(CURLHandle::create(QUrl(address))->loadInForeground(), QByteArray("hello world"));
    EXPECT_TRUE(proxy.log().contains(QStringLiteral("GET %1 ").arg(address)))
        << proxy.log().toStdString();
    qunsetenv("http_proxy");
}
