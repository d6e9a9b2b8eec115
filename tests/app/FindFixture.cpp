#include "FindFixture.h"

#include "document/FeedDocument.h"
#include "document/FeedFields.h"
#include "document/VLXUndoManager.h"
#include "model/VLXItems.h"
#include "ui/TextHighlighting.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QTest>

void FindFixture::SetUp()
{
    ActionsFixture::SetUp();
    // The panel lives for the run: each test starts from a panel as the user first meets it.
    FeedFindPanel &panel = find();
    panel.finderPanel()->hide();
    panel.setFindField(QString());
    panel.setReplaceField(QString());
    panel.setPreviousSearchString(QString());
    panel.setIgnoreCase(0);
    panel.setFreezeDates(0);
    panel.setStatusField(QString());
    QObject::connect(&panel, &FeedFindPanel::beeped, &m_sheetTimer, [this] { ++beeps; });
    m_sheetTimer.setInterval(5);
    QObject::connect(&m_sheetTimer, &QTimer::timeout, [this] {
        QPointer<QWidget> sheet = QApplication::activeModalWidget();
        if (!sheet || sheet->property("vlxAnswered").toBool() || !m_sheetScript)
            return;
        sheet->setProperty("vlxAnswered", true);
        m_sheetScript(sheet);
    });
}

void FindFixture::TearDown()
{
    m_sheetTimer.stop();
    find().finderPanel()->hide();
    ActionsFixture::TearDown();
}

Vellumcast &FindFixture::openForFind(const QStringList &itemTitles)
{
    Vellumcast &w = openFeed(itemTitles);
    w.window()->show();
    w.window()->resize(1000, 520);
    QApplication::setActiveWindow(w.window());
    setScope({"channel"});
    return w;
}

void FindFixture::setScope(const QStringList &boxes)
{
    find().setSearchFeed(boxes.contains("channel"));
    find().setSearchCurrentItem(boxes.contains("items"));
    find().setSearchAllItems(boxes.contains("all"));
    find().setSearchImage(boxes.contains("image"));
}

void FindFixture::press(const char *button)
{
    const QString name = QStringLiteral("findPanel%1Button").arg(QLatin1String(button));
    find().finderPanel()->findChild<QAbstractButton *>(name)->click();
    endAction();
}

QString FindFixture::focusName() const
{
    QWidget *focus = window().window()->focusWidget();
    return focus ? focus->objectName() : QString();
}

QString FindFixture::highlighted() const
{
    return TextHighlighting::highlightedString(window().window()->focusWidget());
}

void FindFixture::setModelValue(const QString &outlet, int item, const QString &value)
{
    FeedDocument &document = *window().document();
    // Dates and the guid are stored as given, without the repairs of their editors.
    if (outlet == "Feeds_Required_PubDate")
        document.setFeedPubDate(value);
    else if (outlet == "Items_Required_PubDate")
        document.setItemPubDate(item, value);
    else if (outlet == "Items_Optional_GUID_GUID")
        document.item(item)->setGUID(value);
    else
        FeedFields::byOutlet(outlet)->write(document, item, value);
}

void FindFixture::showModel()
{
    window().updateInterface(false);
    endAction();
}

void FindFixture::answerSheets(std::function<void(QWidget *sheet)> script)
{
    m_sheetScript = std::move(script);
    m_sheetTimer.start();
}
