#include "wizard/FeedWizard.h"

#include "document/FeedFields.h"
#include "extensions/ListReorder.h"
#include "extensions/itunes/iTunesItem.h"
#include "model/LocalEnclosureFile.h"
#include "model/VLXFeedLanguage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerItem.h"
#include "panes/itunes/iTunesCategoryEdit.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"
#include "ui/EnclosureFileQuestions.h"
#include "ui/VLXBox.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXImageView.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"
#include "ui/VLXTextViewHTML.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QStackedWidget>
#include <QUrl>

namespace {
// A row of the category table on its way from one place to another.
const QString kCategoryRowType = QStringLiteral("application/x-vellumcast-wizard-category-row");
} // namespace

FeedWizard::FeedWizard(QObject *parent) : QObject(parent)
{
    m_engine.setPageSelector([this](const QString &page) {
        if (!m_tabView)
            return;
        if (QWidget *shown = m_tabView->findChild<QWidget *>(page, Qt::FindDirectChildrenOnly)) {
            m_tabView->setCurrentWidget(shown);
            pageSelected(page);
        }
    });
    m_engine.setEndHandler([this](int code) {
        if (m_window)
            m_window->done(code);
    });
}

FeedWizard::~FeedWizard()
{
    delete m_window;
}

// --- Runs -----------------------------------------------------------------------------------

std::shared_ptr<VLXFeed> FeedWizard::feedWizard(QWidget *window, const QString &uniqueKey)
{
    if (!m_window)
        loadInterface(window);
    m_window->setWindowTitle(tr("Feed Creation Wizard"));
    m_engine.setCancelQuestion(QStringLiteral(
        "Are you sure you want to exit the Feed Creation Wizard and abandon any work?"));
    m_wizardTypeImage->setCurrentIndex(0);
    setupHelpAnchors();
    m_engine.startFeed(uniqueKey);
    const bool returnIsNL
        = VLXPreferences::objectForKey(QStringLiteral("M_ReturnIsNL")).toInt() != 0;
    m_feedDescription->setReturnIsNL(returnIsNL);
    m_itemDescription->setReturnIsNL(returnIsNL);

    const VLXFeed &feed = *m_engine.feed();
    m_feedTitle->setText(feed.title());
    m_feedDescription->setStringValue(feed.descriptionElement());
    m_feedLink->setText(feed.link());
    m_feedCopyright->setText(feed.copyright());
    const int language
        = m_feedLanguage->findText(VLXFeedLanguage::sharedTitleForCode(feed.language()));
    m_feedLanguage->setCurrentIndex(std::max(language, 0));
    m_chooseFeedType->setStateOfTag(0, 1);
    m_categories.clear();
    m_feediTunesCategoryTable->reloadData();
    clearItemControls();
    m_engine.selectPage(QStringLiteral("Intro_1"));
    if (run(window) != 1)
        return nullptr;
    return m_engine.feed();
}

bool FeedWizard::feedItemWizard(QWidget *window, const QStringList &itemExtensions,
                                bool useEnclosure, bool useiTunes)
{
    if (!m_window)
        loadInterface(window);
    m_window->setWindowTitle(tr("Item Creation Wizard"));
    const auto kind = useiTunes ? WizardEngine::kPodcast
        : useEnclosure          ? WizardEngine::kEnclosures
                                : WizardEngine::kBasic;
    m_engine.startItems(itemExtensions, kind);
    m_itemDescription->setReturnIsNL(
        VLXPreferences::objectForKey(QStringLiteral("M_ReturnIsNL")).toInt() != 0);
    m_engine.setCancelQuestion(QStringLiteral(
        "Are you sure you want to exit the Item Creation Wizard and abandon any work?"));
    m_wizardTypeImage->setCurrentIndex(1);
    setupHelpAnchors();
    m_chooseFeedType->setStateOfTag(int(kind), 1);
    clearItemControls();
    m_engine.selectPage(QStringLiteral("Item_only_intro"));
    return run(window) == 1;
}

VLXFeed::ItemList FeedWizard::newItems() const
{
    return m_engine.items();
}

int FeedWizard::run(QWidget *parent)
{
    if (parent && m_window->parentWidget() != parent->window())
        m_window->setParent(parent->window(), m_window->windowFlags());
    m_window->setWindowModality(Qt::WindowModal);
    return m_window->exec();
}

void FeedWizard::clearItemControls()
{
    for (VLXTextField *field : {m_itemTitle, m_itemLink, m_itemEnclosureURL, m_itemEnclosureLength,
                                m_itemEnclosureType, m_itemEnclosureLocalFilename})
        field->clear();
    m_itemDescription->setStringValue(QString());
    m_localFileShown.clear();
    m_itemEnclosureLocalFileDropTarget->setImage(QImage());
    m_itemIncludeEnclosure->setChecked(false);
    showEnclosureGroup(false);
}

void FeedWizard::showEnclosureGroup(bool shown)
{
    for (QWidget *control : std::as_const(m_enclosureGroup))
        control->setVisible(shown);
}

// --- Dispatch and shared services -----------------------------------------------------------

void FeedWizard::buttonPress(int tag)
{
    if (m_engine.hasEnded())
        return;
    m_engine.buttonPress(tag);
}

bool FeedWizard::eventFilter(QObject *watched, QEvent *event)
{
    // Escape and the window's close button are the page's Cancel, with its question, rather
    // than a silent end: the window closes only once the run has ended.
    if (watched != m_window || m_engine.hasEnded())
        return QObject::eventFilter(watched, event);
    const bool escape = event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
    if (escape || event->type() == QEvent::Close) {
        buttonPress(WizardEngine::kCancel);
        if (!m_engine.hasEnded())
            event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void FeedWizard::updateCountOn(int position)
{
    const QString text = QStringLiteral("%1 of %2").arg(position).arg(m_engine.items().size());
    for (QLabel *label : std::as_const(m_countLabels))
        label->setText(text);
}

void FeedWizard::updateLocalFileIconImage(const QString &path)
{
    if (!path.isEmpty() && QFileInfo::exists(path))
        m_itemEnclosureLocalFileDropTarget->setImage(
            QFileIconProvider().icon(QFileInfo(path)).pixmap(32).toImage());
    else
        m_itemEnclosureLocalFileDropTarget->setImage(QImage());
}

QStringList FeedWizard::newLocalEnclosureFile(const QString &path, int index)
{
    const VLXFeed::ItemList &items = m_engine.items();
    if (index < 0 || index >= items.size())
        return {QStringLiteral("File not found"),
                QStringLiteral("The file \"%1\" could not be found.").arg(path)};
    VLXItems &item = *items.at(index);
    // The address the page shows is the one the file must match: it is stored only by Next.
    const QStringList refused = LocalEnclosureFile::attach(item, path, m_localFileShown == path,
                                                           m_itemEnclosureURL->text());
    if (!refused.isEmpty())
        return refused;
    m_itemEnclosureLength->setText(item.enclosureAttrLength());
    m_itemEnclosureType->setText(item.enclosureAttrType());
    m_itemEnclosureLocalFilename->setText(item.localEnclosureFilePath());
    m_localFileShown = item.localEnclosureFilePath();
    updateLocalFileIconImage(item.localEnclosureFilePath());
    return {};
}

void FeedWizard::localFileEdited()
{
    const QString typed = m_itemEnclosureLocalFilename->text();
    if (typed == m_localFileShown)
        return;
    const QStringList refused
        = newLocalEnclosureFile(FeedFields::expandTilde(typed), m_engine.itemCounter());
    if (refused.isEmpty())
        return;
    QApplication::beep();
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.title = refused.value(0);
    alert.message = refused.value(1);
    AlertService::show(alert);
    // The field shows the file the item has again.
    m_itemEnclosureLocalFilename->setText(m_localFileShown);
    updateLocalFileIconImage(m_localFileShown);
}

Qt::DropAction FeedWizard::validateFileDrop(const QMimeData *data) const
{
    return data && data->hasUrls() ? Qt::CopyAction : Qt::IgnoreAction;
}

bool FeedWizard::acceptFileDrop(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return false;
    const QUrl url = data->urls().constFirst();
    if (url.scheme() != QLatin1String("file"))
        return false;
    m_window->activateWindow();
    EnclosureFileQuestions::tellRefusal(
        newLocalEnclosureFile(url.toLocalFile(), m_engine.itemCounter()));
    return true;
}

// --- The controls' actions ------------------------------------------------------------------

void FeedWizard::includeEnclosureChanged()
{
    showEnclosureGroup(m_itemIncludeEnclosure->isChecked());
}

void FeedWizard::feedCategoryAction(int tag)
{
    const int row = m_feediTunesCategoryTable->selectedRow();
    const bool selected = row >= 0 && row < m_categories.size();
    if (tag == 1) {
        iTunesCategoryEdit sheet;
        if (sheet.selectCategory(m_feediTunesCategoryTable, QString(), QString()) == 1
            && !sheet.category().isEmpty()) {
            m_categories.append(iTunesCategory(sheet.category(), sheet.subCategory()));
            m_feediTunesCategoryTable->reloadData();
        }
    } else if (tag == 2 && selected) {
        m_categories.removeAt(row);
        m_feediTunesCategoryTable->reloadData();
    } else if (tag == 3 && selected) {
        iTunesCategoryEdit sheet;
        const iTunesCategory &entry = m_categories.at(row);
        if (sheet.selectCategory(m_feediTunesCategoryTable, entry.category(), entry.subCategory())
            == 1) {
            const iTunesCategory chosen(sheet.category(), sheet.subCategory());
            if (!(chosen == m_categories.at(row))) {
                m_categories[row] = chosen;
                m_feediTunesCategoryTable->reloadData();
            }
        }
    }
}

void FeedWizard::suggestTypeAction()
{
    const QString type = EnclosureFileQuestions::suggestMIMEType(m_itemEnclosureURL->text());
    if (!type.isEmpty())
        m_itemEnclosureType->setText(type);
}

void FeedWizard::selectLocalFileAction()
{
    const VLXItems *item = m_engine.currentItem();
    if (!item)
        return;
    const QString chosen
        = EnclosureFileQuestions::chooseEnclosureFile(item->localEnclosureFilePath());
    // A folder, a device or a name that is not UTF-8 is refused with the reason.
    if (!chosen.isEmpty())
        EnclosureFileQuestions::tellRefusal(newLocalEnclosureFile(chosen, m_engine.itemCounter()));
}

// --- The category table ---------------------------------------------------------------------

int FeedWizard::numberOfRowsInTableView(VLXTableView *table)
{
    if (table != m_feediTunesCategoryTable)
        return 0;
    // Delete and Edit need a row to act on.
    const bool any = !m_categories.isEmpty();
    for (VLXButton *button : {m_feediTunesCategoryDelete, m_feediTunesCategoryEdit}) {
        if (button)
            button->setEnabled(any);
    }
    return int(m_categories.size());
}

QVariant FeedWizard::tableViewObjectValue(VLXTableView *table, const QString &, int row, int role)
{
    if (table != m_feediTunesCategoryTable) {
        qWarning("objectValueForTableColumn returning nil");
        return {};
    }
    if (role != Qt::DisplayRole || row < 0 || row >= m_categories.size())
        return {};
    return m_categories.at(row).displayValue();
}

QStringList FeedWizard::tableViewDragTypes(VLXTableView *table)
{
    return table == m_feediTunesCategoryTable ? QStringList {kCategoryRowType} : QStringList();
}

bool FeedWizard::tableViewWriteRows(VLXTableView *table, const QList<int> &rows, QMimeData *data)
{
    if (table != m_feediTunesCategoryTable || rows.isEmpty())
        return false;
    data->setData(kCategoryRowType, QByteArray::number(rows.last()));
    return true;
}

Qt::DropAction FeedWizard::tableViewValidateDrop(VLXTableView *table, const QMimeData *data,
                                                 int row)
{
    if (table != m_feediTunesCategoryTable || !data || !data->hasFormat(kCategoryRowType) || row < 0
        || row > m_categories.size())
        return Qt::IgnoreAction;
    return Qt::MoveAction;
}

bool FeedWizard::tableViewAcceptDrop(VLXTableView *table, const QMimeData *data, int row)
{
    if (tableViewValidateDrop(table, data, row) != Qt::MoveAction)
        return false;
    bool ok = false;
    const int from = data->data(kCategoryRowType).toInt(&ok);
    if (!ok || from < 0 || from >= m_categories.size())
        return false;
    const auto moved = ListReorder::moved(m_categories, from, row);
    if (!moved) {
        // Dropped on its own place: nothing moves, the row stays selected.
        m_feediTunesCategoryTable->selectRow(from);
        return true;
    }
    m_categories = moved->first;
    m_feediTunesCategoryTable->reloadData();
    m_feediTunesCategoryTable->selectRow(moved->second);
    return true;
}
