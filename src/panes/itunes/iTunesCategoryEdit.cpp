#include "panes/itunes/iTunesCategoryEdit.h"

#include "extensions/itunes/iTunesCategoryTree.h"
#include "ui/VLXBrowser.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

iTunesCategoryEdit::iTunesCategoryEdit(QObject *parent)
    : QObject(parent), m_treeData(new QStandardItemModel(this))
{
    // Every category a row, its sub-categories its children: the browser's two columns.
    for (const QString &category : iTunesCategoryTree::categories()) {
        auto *row = new QStandardItem(category);
        row->setEditable(false);
        for (const QString &sub : iTunesCategoryTree::subCategories(category)) {
            auto *child = new QStandardItem(sub);
            child->setEditable(false);
            row->appendRow(child);
        }
        m_treeData->appendRow(row);
    }
}

iTunesCategoryEdit::~iTunesCategoryEdit()
{
    delete m_window;
}

void iTunesCategoryEdit::loadInterface(QWidget *parent)
{
    m_window = new QDialog(parent ? parent->window() : nullptr);
    m_window->setObjectName(QStringLiteral("iTunesCategoryEdit"));
    m_window->setWindowTitle(tr("iTunes Category"));
    m_window->setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(m_window);
    layout->addWidget(new QLabel(tr("Choose the category, and a sub-category or All:")));
    m_browser = new VLXBrowser;
    m_browser->setObjectName(QStringLiteral("catBrowser"));
    m_browser->setHelpAnchor(QStringLiteral("ItemiTunesCategorySelection"));
    m_browser->setModel(m_treeData);
    m_browser->setResizeGripsVisible(false);
    // Two columns, both in sight: a sub-category has no preview, so the column the browser
    // keeps for one takes no room at all (not even the least width a column has), and the
    // browser never scrolls the two away to show it. The browser itself keeps scrolling to the
    // current row: that is also what brings up the sub-categories of a category clicked.
    auto *noPreview = new QWidget;
    noPreview->setFixedWidth(0);
    m_browser->setPreviewWidget(noPreview);
    for (QWidget *up = noPreview->parentWidget(); up && up != m_browser; up = up->parentWidget()) {
        if (qobject_cast<QAbstractItemView *>(up)) {
            up->setFixedWidth(0);
            break;
        }
    }
    m_browser->setColumnWidths({240, 240, 0});
    m_browser->setFixedSize(486, 280);
    m_browser->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_browser, 1);
    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = buttons->addButton(tr("Select"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("accept"));
    ok->setDefault(true);
    QPushButton *cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    cancelButton->setObjectName(QStringLiteral("cancel"));
    layout->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &iTunesCategoryEdit::accept);
    connect(cancelButton, &QPushButton::clicked, this, &iTunesCategoryEdit::cancel);
    connect(m_browser, &QAbstractItemView::doubleClicked, this, &iTunesCategoryEdit::accept);
}

int iTunesCategoryEdit::selectCategory(QWidget *view, const QString &category,
                                       const QString &subCategory)
{
    if (!m_window)
        loadInterface(view);
    m_category = category;
    m_subCategory = subCategory.isEmpty() ? iTunesCategoryTree::kAll : subCategory;
    preselect();
    const int result = m_window->exec() == QDialog::Accepted ? 1 : 0;
    m_window->hide();
    return result;
}

void iTunesCategoryEdit::preselect()
{
    m_browser->clearSelection();
    if (m_category.isEmpty())
        return;
    const QList<QStandardItem *> found = m_treeData->findItems(m_category);
    if (found.isEmpty())
        return;
    QStandardItem *row = found.first();
    m_browser->setCurrentIndex(row->index());
    for (int i = 0; i < row->rowCount(); ++i) {
        if (row->child(i)->text() == m_subCategory) {
            m_browser->setCurrentIndex(row->child(i)->index());
            break;
        }
    }
}

QString iTunesCategoryEdit::subCategory() const
{
    return m_subCategory == iTunesCategoryTree::kAll ? QString(QLatin1String("")) : m_subCategory;
}

void iTunesCategoryEdit::accept()
{
    const QModelIndex current = m_browser ? m_browser->currentIndex() : QModelIndex();
    if (current.isValid() && m_browser->selectionModel()->isSelected(current)) {
        if (current.parent().isValid()) {
            m_category = current.parent().data().toString();
            m_subCategory = current.data().toString();
        } else {
            m_category = current.data().toString();
            m_subCategory = QString(QLatin1String(""));
        }
    }
    if (m_window)
        m_window->done(QDialog::Accepted);
}

void iTunesCategoryEdit::cancel()
{
    if (m_window)
        m_window->done(QDialog::Rejected);
}
