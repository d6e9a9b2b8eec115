#include "extensions/FieldExtension.h"
#include "model/extensionNSChannel.h"
#include "panes/ExtensionFieldPane.h"
#include "panes/ListFieldEditor.h"
#include "ui/VLXButton.h"
#include "ui/VLXTableView.h"

#include <QAbstractItemModel>
#include <QFont>
#include <QHeaderView>
#include <gtest/gtest.h>

// The list table of an extension pane as a class's row states it: named columns with titles,
// cells the class answers per column, a look the list editor adds, and a list whose entries are
// only added and removed (no Edit button, a double click does nothing).

namespace {

using F = ExtensionField;

const char *const kColumns[] = {"type", "value", nullptr};
const char *const kTitles[] = {"Type", "Value"};
const char *const kElements[] = {"pair", "tag"};
const ExtensionField kFields[] = {
    {.name = "pairs",
     .outlet = "PairTable",
     .element = "pair",
     .kind = F::Kind::List,
     .read = F::Read::Custom,
     .write = F::Write::Custom,
     .widget = F::Widget::Table,
     .columns = kColumns,
     .columnTitles = kTitles},
    {.name = "tags",
     .outlet = "TagTable",
     .element = "tag",
     .kind = F::Kind::List,
     .read = F::Read::Custom,
     .write = F::Write::Custom,
     .widget = F::Widget::Table,
     .editsEntries = false},
};
const ExtensionDescriptor kDescriptor = {.ns = KnownNamespace::trackBack,
                                         .place = ExtensionPlace::Channel,
                                         .className = "pairChannel",
                                         .elements = kElements,
                                         .fields = kFields};

class PairChannel : public FieldExtension<extensionNSChannel>
{
public:
    PairChannel() : FieldExtension(kDescriptor) { }
    bool allowsUndo() const override { return false; }
    QStringList pairs {QStringLiteral("a=1"), QStringLiteral("b=2")};
    QStringList tags {QStringLiteral("x")};

protected:
    PairChannel(const PairChannel &) = default;
    extensionNSRaw *newCopy() const override { return new PairChannel(*this); }
    QVariant customValue(int field) const override { return field == 0 ? pairs : tags; }
    void setCustomValue(int field, const QVariant &value) override
    {
        (field == 0 ? pairs : tags) = value.toStringList();
        fieldChanged(field);
    }
    QStringList listDisplayValues(int field) const override { return field == 0 ? pairs : tags; }
    QString listCellText(int field, int row, const QString &column) const override
    {
        if (field != 0)
            return FieldExtensionBase::listCellText(field, row, column);
        const QStringList parts = pairs.value(row).split(QLatin1Char('='));
        return column == QLatin1String("type") ? parts.value(0) : parts.value(1);
    }
};

// Edits count; the second pair is drawn bold.
class PairEditor : public ListFieldEditor
{
public:
    QString actionName(Action) const override { return QStringLiteral("Pair"); }
    std::optional<QVariant> added(QWidget *, const QVariant &list) override
    {
        return list.toStringList() + QStringList {QStringLiteral("c=3")};
    }
    std::optional<QVariant> edited(QWidget *, const QVariant &, int) override
    {
        ++edits;
        return std::nullopt;
    }
    std::optional<QVariant> removed(const QVariant &list, int row) const override
    {
        QStringList entries = list.toStringList();
        entries.removeAt(row);
        return entries;
    }
    std::optional<QVariant> moved(const QVariant &, int, int) const override
    {
        return std::nullopt;
    }
    QVariant cellData(const FieldExtensionBase &, int, int row, const QString &,
                      int role) const override
    {
        if (role != Qt::FontRole || row != 1)
            return QVariant();
        QFont font;
        font.setBold(true);
        return font;
    }
    int edits = 0;
};

} // namespace

TEST(ExtensionListPane, ColumnsAreNamedAndAListMayLeaveOutItsEditButton)
{
    auto channel = std::make_shared<PairChannel>();
    ExtensionFieldPane pane(channel);
    auto pairEditor = std::make_shared<PairEditor>();
    auto tagEditor = std::make_shared<PairEditor>();
    pane.setListEditor(0, pairEditor);
    pane.setListEditor(1, tagEditor);

    auto *pairs = pane.findChild<VLXTableView *>(QStringLiteral("PairTable"));
    ASSERT_NE(pairs, nullptr);
    QAbstractItemModel *model = pairs->model();
    ASSERT_EQ(model->columnCount(), 2);
    EXPECT_FALSE(pairs->horizontalHeader()->isHidden());
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Type"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Value"));
    EXPECT_EQ(model->data(model->index(1, 0)).toString(), QStringLiteral("b"));
    EXPECT_EQ(model->data(model->index(1, 1)).toString(), QStringLiteral("2"));
    EXPECT_TRUE(model->data(model->index(1, 1), Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(model->data(model->index(0, 1), Qt::FontRole).isValid());
    EXPECT_NE(pane.findChild<VLXButton *>(QStringLiteral("Pair_Edit")), nullptr);

    // The list without entries to edit: one untitled column, + and - only.
    auto *tags = pane.findChild<VLXTableView *>(QStringLiteral("TagTable"));
    ASSERT_NE(tags, nullptr);
    EXPECT_EQ(tags->model()->columnCount(), 1);
    EXPECT_TRUE(tags->horizontalHeader()->isHidden());
    EXPECT_EQ(pane.findChild<VLXButton *>(QStringLiteral("Tag_Edit")), nullptr);
    EXPECT_NE(pane.findChild<VLXButton *>(QStringLiteral("Tag_Add")), nullptr);
    tags->selectRow(0);
    emit tags->doubleAction(0);
    EXPECT_EQ(tagEditor->edits, 0);
    pane.findChild<VLXButton *>(QStringLiteral("Tag_Add"))->click();
    EXPECT_EQ(channel->tags, (QStringList {QStringLiteral("x"), QStringLiteral("c=3")}));
    EXPECT_TRUE(pane.findChild<VLXButton *>(QStringLiteral("Tag_Delete"))->isEnabled());

    // The other list still edits on a double click.
    pairs->selectRow(0);
    emit pairs->doubleAction(0);
    EXPECT_EQ(pairEditor->edits, 1);
}
