#include "SheetTestSupport.h"

#include "editors/editXMLNamespace.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QDialog>
#include <QFont>
#include <QLabel>

namespace {
const QString kITunes = QStringLiteral("itunes||http://www.itunes.com/dtds/podcast-1.0.dtd||1||");
const QString kDC = QStringLiteral("dc||http://purl.org/dc/elements/1.1/||1||");
const QString kFoo = QStringLiteral("foo||http://foo.example/ns||0||");
const QString kBar = QStringLiteral("bar||http://bar.example/ns||0||");

class Namespace : public SheetTest
{
protected:
    void SetUp() override
    {
        SheetTest::SetUp();
        VLXPreferences::setObjectForKey(QVariantList {kITunes, kDC, kFoo, kBar},
                                        QStringLiteral("General_XMLNamespaces"));
    }

    // Types the fields, presses Accept and answers the message shown ("" once accepted).
    static QString tryAccept(editXMLNamespace &dialog, const QString &prefix, const QString &uri)
    {
        dialog.nameSpaceField()->setText(prefix);
        dialog.DTDURLField()->setText(uri);
        dialog.accept();
        return dialog.window()->isVisible() ? dialog.message()->text() : QString();
    }
};

TEST(NamespaceDeclaration, PrefixAndURIOfADeclaration)
{
    EXPECT_EQ(editXMLNamespace::getNamespace(QStringLiteral("xmlns:itunes=\"http://x\"")),
              QStringLiteral("itunes"));
    EXPECT_EQ(editXMLNamespace::getNamespace(QStringLiteral("xmlns=\"http://x\"")), QString());
    EXPECT_EQ(editXMLNamespace::getNamespace(QStringLiteral("xmlns:a:b=\"http://x\"")), QString());
    EXPECT_EQ(editXMLNamespace::getNamespace(QString()), QString());
    EXPECT_EQ(editXMLNamespace::getDTDURLString(QStringLiteral("xmlns:itunes=\"http://x\"")),
              QStringLiteral("http://x"));
    // A URI holding "=" is kept whole.
    EXPECT_EQ(editXMLNamespace::getDTDURLString(QStringLiteral("xmlns:q=\"http://x/?a=b\"")),
              QStringLiteral("http://x/?a=b"));
    EXPECT_EQ(editXMLNamespace::getDTDURLString(QString()), QString());
}

TEST_F(Namespace, ChecksRunInOrderAndKeepTheDialogOpen)
{
    editXMLNamespace dialog;
    dialog.excludeNamespaces({kITunes, QStringLiteral("abc||urn:abc||0||")});
    QStringList messages;
    whileModal([&] {
        messages << tryAccept(dialog, QStringLiteral("new"), QStringLiteral("  "))
                 << tryAccept(dialog, QStringLiteral("new"), QStringLiteral("example.com/ns"))
                 << tryAccept(dialog, QStringLiteral(" "), QStringLiteral("http://new/"))
                 << tryAccept(dialog, QStringLiteral("ITunes"), QStringLiteral("http://new/"))
                 << tryAccept(dialog, QStringLiteral("new"), QStringLiteral("URN:ABC"))
                 << tryAccept(dialog, QStringLiteral("User Defined"), QString());
    });
    EXPECT_EQ(dialog.editNamespace(nullptr, false), 1);
    EXPECT_EQ(
        messages,
        QStringList({QStringLiteral("DTD can't be left blank"),
                     QStringLiteral("The DTD URL is not valid"),
                     QStringLiteral("Namespace can't be left blank"),
                     QStringLiteral("That name space is already used in this feed"),
                     QStringLiteral("That name space is already used in this feed"), QString()}));
    // "User Defined" needs no URI.
    EXPECT_EQ(dialog.descriptionOfNamespace(), QStringLiteral("User Defined||||0||"));
}

TEST_F(Namespace, InThePreferencesOnlyBoldEntriesCannotBeMadeAgain)
{
    editXMLNamespace dialog;
    QStringList messages;
    whileModal([&] {
        messages << tryAccept(dialog, QStringLiteral("itunes"), QStringLiteral("http://other/"))
                 << tryAccept(dialog, QStringLiteral("other"),
                              QStringLiteral("HTTP://PURL.ORG/dc/elements/1.1/"))
                 << tryAccept(dialog, QStringLiteral("foo2"),
                              QStringLiteral("http://foo.example/ns"));
    });
    EXPECT_EQ(dialog.editNamespaceWithDescription(kFoo, false), 1);
    EXPECT_EQ(messages,
              QStringList({QStringLiteral("You can't recreate a \"bold\" entry"),
                           QStringLiteral("You can't recreate a \"bold\" entry"), QString()}));
    EXPECT_EQ(dialog.descriptionOfNamespace(), QStringLiteral("foo2||http://foo.example/ns||0||"));
}

TEST_F(Namespace, TheListOffersUnusedEntriesAndAFreshUserDefinedRow)
{
    editXMLNamespace dialog;
    dialog.excludeNamespaces({kDC, QStringLiteral("bar||http://elsewhere/||0||")});
    EXPECT_EQ(dialog.availableExtensions(), QStringList({kITunes, kFoo}));
    QStringList rows;
    bool firstBold = false;
    bool secondBold = true;
    whileModal([&] {
        VLXTableView *list = dialog.existing();
        for (int row = 0; row < dialog.numberOfRowsInTableView(list); ++row)
            rows << dialog.tableViewObjectValue(list, {}, row, Qt::DisplayRole).toString();
        firstBold = dialog.tableViewObjectValue(list, {}, 0, Qt::FontRole).value<QFont>().bold();
        secondBold = dialog.tableViewObjectValue(list, {}, 1, Qt::FontRole).value<QFont>().bold();
        list->selectRow(1);
        EXPECT_EQ(dialog.extensionName(), QStringLiteral("foo"));
        EXPECT_EQ(dialog.DTDURL(), QStringLiteral("http://foo.example/ns"));
        dialog.existingDoubleAction(2); // the fresh "User Defined" row, accepted
    });
    EXPECT_EQ(dialog.editNamespace(nullptr, true), 1);
    EXPECT_EQ(rows,
              QStringList({QStringLiteral("itunes - http://www.itunes.com/dtds/podcast-1.0.dtd"),
                           QStringLiteral("foo - http://foo.example/ns"),
                           QStringLiteral("User Defined - ")}));
    EXPECT_TRUE(firstBold);
    EXPECT_FALSE(secondBold);
    EXPECT_EQ(dialog.extensionName(), QStringLiteral("User Defined"));

    // A feed that has its "User Defined" namespace gets no second one offered.
    editXMLNamespace used;
    used.excludeNamespaces({QStringLiteral("User Defined||||0||")});
    EXPECT_TRUE(used.userDefinedUsed());
    whileModal([&] {
        EXPECT_EQ(used.numberOfRowsInTableView(used.existing()), 4);
        used.cancel();
    });
    EXPECT_EQ(used.editNamespace(nullptr, true), 0);
}

TEST_F(Namespace, WithoutTheListTheWindowIsShorterAndRegainsItsHeight)
{
    editXMLNamespace dialog;
    dialog.excludeNamespaces({});
    int full = 0;
    int listHeight = 0;
    whileModal([&] {
        full = dialog.window()->height();
        listHeight = dialog.existing()->height();
        dialog.cancel();
    });
    dialog.editNamespace(nullptr, true);
    int shorter = 0;
    int rows = -1;
    whileModal([&] {
        shorter = dialog.window()->height();
        rows = dialog.numberOfRowsInTableView(dialog.existing());
        EXPECT_FALSE(dialog.existing()->isVisible());
        dialog.cancel();
    });
    EXPECT_EQ(dialog.editNamespace(nullptr, false), 0);
    EXPECT_EQ(rows, 0);
    EXPECT_GT(listHeight, 0);
    EXPECT_EQ(shorter, full - listHeight);
    EXPECT_EQ(dialog.window()->height(), full);
}
} // namespace
