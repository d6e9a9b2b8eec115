#include "prefs/PreferencesWindow.h"

#include "panes/PaneKit.h"
#include "platform/AlertService.h"
#include "prefs/PreferenceFieldChecks.h"
#include "prefs/PreferenceHelpAnchors.h"
#include "prefs/PreferencesNavModel.h"
#include "prefs/PreferencesNavigation.h"
#include "prefs/PreferencesPage.h"
#include "prefs/PreferencesPageList.h"
#include "prefs/SmartDateStepper.h"
#include "settings/SettingTextLimits.h"
#include "settings/VLXPreferencesWorkingCopy.h"
#include "ui/VLXButton.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXOutlineView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"
#include "ui/VLXTextViewHTML.h"
#include "ui/vlxDisclosureButton.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStackedWidget>
#include <QVBoxLayout>

const QString PreferencesWindow::kFirstPage = QStringLiteral("Current Feed Help");

PreferencesWindow::PreferencesWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("preferencesWindow"));
    setWindowTitle(tr("Preferences"));
    setWindowModality(Qt::ApplicationModal);
    setSizeGripEnabled(true);
    m_context.setMiscChanged([this] { miscChanged(); });

    auto *layout = new QVBoxLayout(this);
    auto *body = new QHBoxLayout;
    m_outline = PaneKit::named(new VLXOutlineView, QStringLiteral("preferencesOutline"));
    m_navModel = new PreferencesNavModel(this);
    m_outline->setModel(m_navModel);
    m_outline->header()->hide();
    m_outline->setFixedWidth(230);
    m_outline->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_outline->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { navigationSelected(current); });
    body->addWidget(m_outline);
    m_prefTabs = PaneKit::named(new QStackedWidget, QStringLiteral("prefTabs"));
    body->addWidget(m_prefTabs, 1);
    layout->addLayout(body, 1);

    auto *buttons = new QHBoxLayout;
    auto *defaults
        = PaneKit::smallButton(QStringLiteral("revertToDefault"), tr("Revert to Default"),
                               tr("Show the built-in defaults; OK keeps them"));
    auto *cancel = PaneKit::smallButton(QStringLiteral("revert"), tr("Cancel"));
    auto *okButton = PaneKit::smallButton(QStringLiteral("ok"), tr("OK"));
    okButton->setDefault(true);
    buttons->addWidget(defaults);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(okButton);
    layout->addLayout(buttons);
    connect(defaults, &QAbstractButton::clicked, this, [this] { revertToDefault(); });
    connect(cancel, &QAbstractButton::clicked, this, [this] { revert(); });
    connect(okButton, &QAbstractButton::clicked, this, [this] { ok(); });
    resize(900, 640);
}

PreferencesWindow::~PreferencesWindow()
{
    // The pages' controls go first, while the lists they show and the context their edits
    // report to still exist; an edit ending on the way reaches nothing.
    m_context.setStore(nullptr);
    m_context.setMiscChanged({});
    delete m_prefTabs;
}

// Built once: every page of the list, in order, into the page stack.
void PreferencesWindow::createUI()
{
    if (m_built)
        return;
    m_built = true;
    m_pages = PreferencesPageList::standardPages();
    for (const auto &page : m_pages) {
        QWidget *widget = page->widget(m_context);
        if (!widget)
            continue;
        m_prefTabs->addWidget(widget);
        m_pageWidgets.insert(page->identifier(), widget);
        if (page->wantsEditWiring())
            wireEdits(widget);
    }
    PreferenceHelpAnchors::apply(this);
}

// Every edit ends in miscChanged(): text at the end of its editing, buttons, menus and grids
// when used. Disclosure buttons and steppers are their pages' own business.
void PreferencesWindow::wireEdits(QWidget *page)
{
    for (auto *field : page->findChildren<VLXTextField *>()) {
        if (field->isReadOnly())
            continue;
        connect(field, &QLineEdit::editingFinished, this,
                [this, field] { fieldEditingEnded(field); });
    }
    for (auto *view : page->findChildren<VLXTextView *>())
        connect(view, &VLXTextView::textDidEndEditing, this, [this] { miscChanged(); });
    for (auto *menu : page->findChildren<QComboBox *>())
        connect(menu, &QComboBox::activated, this, [this] { miscChanged(); });
    for (auto *matrix : page->findChildren<VLXMatrix *>())
        connect(matrix, &VLXMatrix::cellClicked, this, [this] { miscChanged(); });
    for (auto *button : page->findChildren<QAbstractButton *>()) {
        if (!button->isCheckable() || qobject_cast<vlxDisclosureButton *>(button)
            || qobject_cast<VLXMatrix *>(button->parentWidget()))
            continue;
        connect(button, &QAbstractButton::clicked, this, [this] { miscChanged(); });
    }
}

void PreferencesWindow::fieldEditingEnded(QWidget *field)
{
    // An alert shown by a check takes the focus and ends the editing once more; that second
    // end is the same edit.
    if (m_checking)
        return;
    m_checking = true;
    PreferenceFieldChecks::endEditing(static_cast<QLineEdit *>(field));
    m_checking = false;
    miscChanged();
}

void PreferencesWindow::openPanel(VLXPreferencesWorkingCopy &store, const QString &uniqueKey,
                                  const QStringList &extensions, const QString &openTab)
{
    m_context.setStore(&store);
    const bool first = !m_built;
    createUI();
    store.beginEditing(uniqueKey);
    m_context.used() = CurrentFeedExtensions::fromDescriptions(extensions);
    m_treeData = PreferencesNavigation::readTree();
    updateUI();
    PreferencesNavigation::prune(m_treeData, m_context.used());
    m_navModel->setTree(m_treeData);
    // The page asked for is shown even when the navigation has no row for it.
    showPage(openTab);
    {
        const QSignalBlocker quiet(m_outline->selectionModel());
        const QModelIndex row
            = m_navModel->indexOf(PreferencesNavigation::nodeForPage(m_treeData, openTab));
        m_outline->setCurrentIndex(row);
    }
    for (int row = 0; row < m_navModel->rowCount(); ++row) {
        const QModelIndex top = m_navModel->index(row, 0);
        if (m_navModel->hasChildren(top))
            m_outline->expand(top);
    }
    if (first && parentWidget())
        move(parentWidget()->window()->frameGeometry().center() - rect().center());
}

int PreferencesWindow::runPanel(VLXPreferencesWorkingCopy &store, const QString &uniqueKey,
                                const QStringList &extensions, const QString &openTab)
{
    openPanel(store, uniqueKey, extensions, openTab);
    // A loop of its own rather than exec(): an editor opened from a page takes the window's
    // place for a while (the window is hidden), and hiding a dialog ends its exec().
    QEventLoop loop;
    const QMetaObject::Connection ended
        = connect(this, &QDialog::finished, &loop, [&loop](int result) { loop.exit(result); });
    setResult(QDialog::Rejected);
    show();
    const int result = loop.exec(QEventLoop::DialogExec);
    disconnect(ended);
    m_context.setStore(nullptr);
    return result;
}

void PreferencesWindow::updateUI()
{
    if (!m_context.hasStore())
        return;
    VLXPreferencesWorkingCopy &store = m_context.store();
    store.editedFeedEntry();
    applyReturnIsNL();
    store.checkVersion();
    for (const auto &page : m_pages)
        page->fill(m_context);
}

void PreferencesWindow::miscChanged()
{
    if (!m_context.hasStore() || m_reading)
        return;
    m_reading = true;
    for (const auto &page : m_pages)
        page->read(m_context);
    applyReturnIsNL();
    m_reading = false;
}

void PreferencesWindow::applyReturnIsNL()
{
    const bool returnIsNL
        = m_context.store().displayedValues().value(QStringLiteral("M_ReturnIsNL")).toInt() != 0;
    for (const char *name :
         {"FD_CF_IF_Description", "FD_AF_FF_Description", "FD_AF_IF_Description"}) {
        if (auto *view = findChild<VLXTextViewHTML *>(QLatin1String(name)))
            view->setReturnIsNL(returnIsNL);
    }
}

bool PreferencesWindow::refusedOverlongText()
{
    // Other feeds' entries are not edited here: only the global values and this feed's entry.
    VLXPreferencesWorkingCopy &store = m_context.store();
    QString key;
    for (const QVariantMap *values : {&store.displayedValues(), &store.editedFeedEntry()}) {
        for (auto it = values->cbegin(); key.isEmpty() && it != values->cend(); ++it) {
            if (it.key() != QLatin1String("FD_CF_Array")
                && SettingTextLimits::holdsOverlongText(it.value()))
                key = it.key();
        }
    }
    if (key.isEmpty())
        return false;
    QWidget *field = findChild<QWidget *>(key);
    for (QWidget *page : std::as_const(m_pageWidgets)) {
        if (field && page->isAncestorOf(field))
            m_prefTabs->setCurrentWidget(page);
    }
    if (field)
        field->setFocus();
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = tr("Preferences");
    alert.message
        = tr("A text of the preferences (%1) is longer than the %2 characters a setting "
             "may hold. Shorten it, then press OK again.")
              .arg(field ? tr("the field now selected") : QStringLiteral("\"%1\"").arg(key))
              .arg(SettingTextLimits::limit(SettingTextLimits::Kind::Passage));
    alert.defaultButton = tr("OK");
    AlertService::show(alert);
    return true;
}

void PreferencesWindow::ok()
{
    if (!m_context.hasStore())
        return;
    miscChanged();
    if (refusedOverlongText())
        return;
    m_context.store().commitDisplayedValues();
    for (const auto &page : m_pages)
        page->accepted(m_context);
    done(QDialog::Accepted);
}

void PreferencesWindow::revert()
{
    if (m_context.hasStore())
        m_context.store().discardDisplayedValues();
    done(QDialog::Rejected);
}

// Escape and the window's close control cancel, exactly as the Cancel button does.
void PreferencesWindow::reject()
{
    revert();
}

void PreferencesWindow::revertToDefault()
{
    if (!m_context.hasStore())
        return;
    m_context.store().revertToDefault();
    updateUI();
}

bool PreferencesWindow::showPage(const QString &identifier)
{
    QWidget *page = m_pageWidgets.value(identifier);
    if (!page)
        return false;
    m_prefTabs->setCurrentWidget(page);
    return true;
}

QString PreferencesWindow::shownPage() const
{
    return m_pageWidgets.key(m_prefTabs->currentWidget());
}

QWidget *PreferencesWindow::pageWidget(const QString &identifier) const
{
    return m_pageWidgets.value(identifier);
}

void PreferencesWindow::navigationSelected(const QModelIndex &index)
{
    const QString name = PreferencesNavigation::nameOf(m_navModel->nodeAt(index));
    if (index.isValid() && name.contains(QStringLiteral("::")))
        showPage(PreferencesNavigation::pageIdentifier(name));
}
