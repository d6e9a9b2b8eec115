#include "ui/printInfoManager.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// Puts the shared settings back after each case: they live for the whole test run.
class PrintInfoManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { m_saved = printInfoManager::printInfo(); }
    void TearDown() override { printInfoManager::setPrintInfo(m_saved); }

    // Answers the page-setup dialog once it is up: moves its top margin by `step` (in the
    // dialog's units) and accepts or cancels.
    static void answerPageSetup(double step, bool accept)
    {
        QTimer::singleShot(0, [=] {
            auto *dialog = qobject_cast<QPageSetupDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto *top = dialog->findChild<QDoubleSpinBox *>(QStringLiteral("topMargin"));
            ASSERT_NE(top, nullptr);
            top->setValue(top->value() + step);
            accept ? dialog->accept() : dialog->reject();
        });
    }

    QPageLayout m_saved;
};
} // namespace

TEST_F(PrintInfoManagerTest, StartsWith54PointMarginsOnEverySideAndIsOneInstance)
{
    EXPECT_EQ(&printInfoManager::sharedInstance(), &printInfoManager::sharedInstance());
    const QPageLayout layout = printInfoManager::printInfo();
    EXPECT_TRUE(layout.isValid());
    EXPECT_EQ(layout.margins(QPageLayout::Point), QMarginsF(54, 54, 54, 54));
    EXPECT_EQ(layout.orientation(), QPageLayout::Portrait);
    const qreal paper = layout.fullRect(QPageLayout::Point).width();
    EXPECT_DOUBLE_EQ(printInfoManager::printableWidth(), paper - 108);

    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printInfoManager::applyTo(printer);
    EXPECT_EQ(printer.pageLayout().margins(QPageLayout::Point), QMarginsF(54, 54, 54, 54));
    EXPECT_EQ(printer.pageLayout().pageSize().id(), layout.pageSize().id());
}

TEST_F(PrintInfoManagerTest, SetPrintInfoKeepsItsOwnCopy)
{
    QPageLayout landscape(QPageSize(QPageSize::A5), QPageLayout::Landscape,
                          QMarginsF(10, 20, 30, 40), QPageLayout::Point);
    printInfoManager::setPrintInfo(landscape);
    landscape.setMargins(QMarginsF(1, 1, 1, 1));
    const QPageLayout stored = printInfoManager::printInfo();
    EXPECT_EQ(stored.margins(), QMarginsF(10, 20, 30, 40));
    EXPECT_EQ(stored.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(stored.pageSize().id(), QPageSize::A5);
}

TEST_F(PrintInfoManagerTest, PageSetupChangesTheSettingsOnlyOnOK)
{
    answerPageSetup(5, false);
    EXPECT_EQ(printInfoManager::runPageLayout(nullptr), 0);
    EXPECT_EQ(printInfoManager::printInfo().margins(QPageLayout::Point), QMarginsF(54, 54, 54, 54));

    answerPageSetup(5, true);
    EXPECT_EQ(printInfoManager::runPageLayout(nullptr), 1);
    const QMarginsF margins = printInfoManager::printInfo().margins(QPageLayout::Point);
    EXPECT_GT(margins.top(), 54.5);
    EXPECT_NEAR(margins.left(), 54, 0.5);
    EXPECT_NEAR(margins.bottom(), 54, 0.5);
}
