#include "ui/ViewEmbedding.h"
#include "ui/flippedView.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>
#include <gtest/gtest.h>

TEST(ViewEmbedding, APaneOfPlacedWidgetsScrollsToItsLowestEdgePlusMargin)
{
    QWidget source;
    auto *field = new QLineEdit(&source);
    field->setObjectName("Feeds_Optional_Webmaster");
    field->setGeometry(10, 260, 200, 40);
    field->setText("kept");
    auto *label = new QLabel("Webmaster", &source);
    label->setGeometry(10, 20, 80, 20);
    QWidget destination;
    destination.setObjectName("Optional");

    QWidget *holder = ViewEmbedding::moveObjectsFrom(&source, &destination);
    ASSERT_NE(holder, nullptr);
    EXPECT_NE(qobject_cast<flippedView *>(holder), nullptr);
    EXPECT_EQ(field->parentWidget(), holder);
    EXPECT_EQ(field->geometry(), QRect(10, 260, 200, 40));
    EXPECT_EQ(field->text(), "kept");
    EXPECT_EQ(holder->minimumHeight(), 318);
    EXPECT_TRUE(source.findChildren<QWidget *>().isEmpty());
    EXPECT_EQ(destination.findChild<QLineEdit *>("Feeds_Optional_Webmaster"), field);
    EXPECT_NE(destination.findChild<QScrollArea *>(), nullptr);
}

TEST(ViewEmbedding, AnEmptyPaneAndAPaneWithALayout)
{
    QWidget empty;
    QWidget host;
    QWidget *holder = ViewEmbedding::moveObjectsFrom(&empty, &host);
    EXPECT_EQ(holder->minimumHeight(), 0);

    QWidget laidOut;
    auto *layout = new QVBoxLayout(&laidOut);
    auto *title = new QLineEdit;
    title->setObjectName("title");
    layout->addWidget(title);
    QGroupBox box("Text Input");
    QWidget *content = ViewEmbedding::moveObjectsFromToBox(&laidOut, &box);
    EXPECT_EQ(content->layout(), layout);
    EXPECT_EQ(title->parentWidget(), content);
    EXPECT_EQ(box.findChild<QLineEdit *>("title"), title);
    EXPECT_EQ(box.findChild<QScrollArea *>(), nullptr);
}
