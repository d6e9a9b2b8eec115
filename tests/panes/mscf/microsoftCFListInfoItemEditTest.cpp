#include "panes/mscf/microsoftCFListInfoItemEdit.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/PlistDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTextField.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// The entry dialog: its menus from the feed's sortable-tag table, the entry it makes, the checks
// of Done, and the default-sort notice the user can switch off for good.

namespace {

const QString kITunes = QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd");

QVariantMap tag(const char *type)
{
    return {{QStringLiteral("type"), QLatin1String(type)}, {QStringLiteral("children"), false}};
}

QVariantMap record(const QString &name, const QString &uri, const QVariantMap &tags)
{
    return {{QStringLiteral("displayName"), name},
            {QStringLiteral("DTDURL"), uri},
            {QStringLiteral("wellSupported"), true},
            {QStringLiteral("sortTags"), tags}};
}

QVariantMap table(bool withCore = true)
{
    QVariantMap tags;
    if (withCore)
        tags.insert(QString(),
                    record(QStringLiteral("RSS 2.0"), QString(),
                           {{QStringLiteral("title"), tag("text")},
                            {QStringLiteral("pubDate"), tag("date")},
                            {QStringLiteral("author"), tag("")}}));
    tags.insert(QStringLiteral("itunes"),
                record(QStringLiteral("iTunes"), kITunes,
                       {{QStringLiteral("duration"), tag("number")}}));
    return tags;
}

// Runs the dialog with a script that works its controls once it is up.
int run(microsoftCFListInfoItemEdit &dialog, const std::optional<ListInfoItem> &item, int row,
        const std::function<void(QDialog *)> &script)
{
    QTimer::singleShot(0, [script] {
        auto *window = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(window);
        script(window);
    });
    return dialog.editListInfoItem(nullptr, item, row);
}

VLXPopUpButton *menu(QDialog *window, const char *name)
{
    return window->findChild<VLXPopUpButton *>(QLatin1String(name));
}

// Chooses the menu item as the user does (the menu's action follows).
void choose(QDialog *window, const char *name, const QString &title)
{
    VLXPopUpButton *popUp = menu(window, name);
    const int index = popUp->findText(title);
    ASSERT_GE(index, 0) << name << " " << title.toStdString();
    popUp->setCurrentIndex(index);
    emit popUp->activated(index);
}

void press(QDialog *window, const char *button)
{
    window->findChild<QPushButton *>(QLatin1String(button))->click();
}

class ListInfoItemEdit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        alerts = ScriptedAlertService::install();
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
    }
    void TearDown() override
    {
        AlertService::setInstance(nullptr);
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
    }
    std::shared_ptr<ScriptedAlertService> alerts;
};

} // namespace

TEST_F(ListInfoItemEdit, MenusComeFromTheTableAndTheEntryFromTheChoices)
{
    EXPECT_EQ(microsoftCFListInfoItemEdit::sortArray({"b", "B", "a", "", "b"}),
              (QStringList {"", "B", "a", "b", "b"}));

    microsoftCFListInfoItemEdit dialog;
    dialog.setSortFields(table());
    QStringList namespaces;
    QString typeChosen;
    bool elementsOff = false;
    const int result = run(dialog, std::nullopt, -1, [&](QDialog *window) {
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Create New Item"));
        for (int i = 0; i < menu(window, "ns")->count(); ++i)
            namespaces << menu(window, "ns")->itemText(i);
        elementsOff = !menu(window, "elementPU")->isEnabled();
        choose(window, "ns", "RSS 2.0");
        EXPECT_EQ(menu(window, "elementPU")->count(), 3);
        EXPECT_EQ(menu(window, "elementPU")->currentIndex(), -1);
        // An element without a data type of its own is compared as text.
        choose(window, "elementPU", "author");
        EXPECT_EQ(menu(window, "dataType")->currentText(), QStringLiteral("text"));
        choose(window, "elementPU", "pubDate");
        typeChosen = menu(window, "dataType")->currentText();
        window->findChild<VLXTextField *>("label")->setText(QStringLiteral(" Newest "));
        press(window, "Done");
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(namespaces, (QStringList {"RSS 2.0", QStringLiteral("iTunes - ") + kITunes}));
    EXPECT_TRUE(elementsOff);
    EXPECT_EQ(typeChosen, QStringLiteral("date"));
    EXPECT_EQ(dialog.item().description(),
              QStringLiteral(
                  "type=sort, ns=, element=pubDate, dataType=date, label= Newest , default=no"));

    // A group: the data type and default menus go, and the entry has neither.
    ListInfoItem group;
    group.setType(QStringLiteral("group"));
    group.setNS(kITunes);
    group.setElement(QStringLiteral("duration"));
    group.setLabel(QStringLiteral("Length"));
    bool hidden = false;
    EXPECT_EQ(run(dialog, group, 1,
                  [&](QDialog *window) {
                      EXPECT_EQ(window->windowTitle(), QStringLiteral("Modify Existing Item"));
                      EXPECT_EQ(menu(window, "ns")->currentIndex(), 1);
                      EXPECT_EQ(menu(window, "elementPU")->currentText(), "duration");
                      hidden = menu(window, "dataType")->isHidden()
                          && window->findChild<QLabel *>("defaultLabel")->isHidden();
                      press(window, "Done");
                  }),
              1);
    EXPECT_TRUE(hidden);
    EXPECT_EQ(dialog.item().description(),
              QStringLiteral("type=group, ns=%1, element=duration, dataType=, label=Length, "
                             "default=no")
                  .arg(kITunes));
}

TEST_F(ListInfoItemEdit, TheChosenKeysNamespaceIsWrittenEvenWithoutTheCoreKey)
{
    // Only a namespace of an extension: its first menu item is not the core namespace.
    microsoftCFListInfoItemEdit dialog;
    dialog.setSortFields(table(false));
    EXPECT_EQ(run(dialog, std::nullopt, -1,
                  [](QDialog *window) {
                      choose(window, "ns", QStringLiteral("iTunes - ") + kITunes);
                      choose(window, "elementPU", "duration");
                      window->findChild<VLXTextField *>("label")->setText("Length");
                      press(window, "Done");
                  }),
              1);
    EXPECT_EQ(dialog.item().ns(), kITunes);
    EXPECT_EQ(dialog.item().dataType(), QStringLiteral("number"));
    EXPECT_EQ(dialog.findPrefixForDTDURL(QStringLiteral("urn:unknown")), QString());
}

TEST_F(ListInfoItemEdit, DoneNamesWhatIsMissingAndStaysOpen)
{
    microsoftCFListInfoItemEdit dialog;
    dialog.setSortFields(table());
    const int result = run(dialog, std::nullopt, -1, [this](QDialog *window) {
        press(window, "Done"); // no element, no label
        choose(window, "type", "group");
        press(window, "Done");
        choose(window, "type", "sort");
        choose(window, "isDefault", "yes");
        press(window, "Done"); // a default needs its label only
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(alerts->alerts().size(), 4);
        press(window, "Cancel");
    });
    EXPECT_EQ(result, 0);
    ASSERT_EQ(alerts->alerts().size(), 4);
    EXPECT_EQ(alerts->alerts().at(0).title, QStringLiteral("Missing Values"));
    EXPECT_EQ(alerts->alerts().at(0).message,
              QStringLiteral("\"sort\" requires values for the Namespace, Element, Label and Data "
                             "Type before it can be added."));
    EXPECT_EQ(alerts->alerts().at(1).message,
              QStringLiteral("\"group\" requires values for the Namespace, Element and a Label "
                             "before it can be added."));
    EXPECT_EQ(alerts->alerts().at(2).title, QStringLiteral("Notice"));
    EXPECT_EQ(alerts->alerts().at(3).title, QStringLiteral("Missing Value"));
    EXPECT_EQ(alerts->alerts().at(3).message,
              QStringLiteral("A default \"sort\" requires a value for Label before it can be "
                             "added."));
    EXPECT_EQ(alerts->alerts().at(0).style, Alert::Style::Critical);
}

TEST_F(ListInfoItemEdit, TheNoticeComesOnceAndNeverAgainOnceTicked)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Vellumcast.plist"));
    VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));

    ListInfoItem stored;
    stored.setType(QStringLiteral("sort"));
    stored.setLabel(QStringLiteral("Default"));
    stored.setSortDefault(QStringLiteral("yes"));
    // The default in row 0 without a stored sort: nothing chosen, the menus off, the notice.
    microsoftCFListInfoItemEdit first;
    first.setSortFields(table());
    bool off = false;
    EXPECT_EQ(run(first, stored, 0,
                  [&](QDialog *window) {
                      off = menu(window, "ns")->currentIndex() == -1
                          && !menu(window, "elementPU")->isEnabled()
                          && !menu(window, "dataType")->isEnabled();
                      choose(window, "isDefault", "no");
                      choose(window, "isDefault", "yes");
                      press(window, "Done");
                  }),
              1);
    EXPECT_TRUE(off);
    ASSERT_EQ(alerts->alerts().size(), 1) << "once per dialog";
    const Alert &notice = alerts->alerts().first();
    EXPECT_EQ(notice.message,
              QStringLiteral(
                  "Default sorts are not allowed to specify the \"Namespace\", \"Element\" \"Data "
                  "Type\" according to the specifications.  However, Vellumcast will store these "
                  "values outside of the feed allowing Vellumcast to assist you in sorting your "
                  "feed into the correct order for you default sort.  This is optional and you "
                  "are always able to manually arrange them yourself."));
    EXPECT_EQ(notice.checkBoxTitle, QStringLiteral("Don't show this message again"));
    EXPECT_EQ(first.item().description(),
              QStringLiteral("type=sort, ns=, element=, dataType=, label=Default, default=yes"));

    // A new dialog shows it again; this time the box is ticked.
    alerts->clear();
    alerts->queueCheckBox(true);
    microsoftCFListInfoItemEdit second;
    second.setSortFields(table());
    run(second, stored, 0, [](QDialog *window) { press(window, "Cancel"); });
    EXPECT_EQ(alerts->alerts().size(), 1);

    // The setting is in the file: a later run says nothing.
    VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));
    EXPECT_TRUE(VLXPreferences::sharedInstance().store().contains(
        microsoftCFListInfoItemEdit::kNoticeKey));
    alerts->clear();
    microsoftCFListInfoItemEdit third;
    third.setSortFields(table());
    run(third, std::nullopt, -1, [](QDialog *window) {
        choose(window, "isDefault", "yes");
        press(window, "Cancel");
    });
    EXPECT_TRUE(alerts->alerts().isEmpty());
}
