#include "AppFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "model/VLXFeed.h"
#include "platform/MemoryDefaultsStore.h"

#include <QDir>
#include <QTest>
#include <QJsonDocument>
#include <iostream>

class OpenSaveTest : public AppFixture
{
};

TEST_F(OpenSaveTest, Diag)
{
    const QString kept = QDir(home()).filePath("kept.xml");
    writeFile(kept, smallFeed("Kept"));
    store().setObject(QVariantList{QVariantMap{{"feedFileName", "kept.xml"},
                                               {"feedURL", QUrl::fromLocalFile(kept).toString()},
                                               {"isTransient", 0},
                                               {"UniqueIdentifier", "K"}}},
                      "feedListKey");
    startApplication();
    for (const Alert &a : alerts->alerts())
        std::cerr << a.title.toStdString() << " | " << a.message.toStdString() << "\n";
    auto feed = controller->feedController()->currentFeed();
    ASSERT_TRUE(feed);
    for (const auto &g : feed->parseXMLErrorTree(true, true, true))
        std::cerr << QString::fromUtf8(QJsonDocument::fromVariant(g).toJson()).toStdString();
}
