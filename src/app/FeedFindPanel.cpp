#include "app/FeedFindPanel.h"

#include "app/FindReplace.h"
#include "app/Vellumcast.h"
#include "editors/SearchStepSheet.h"
#include "ui/ClosingKeys.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXTextField.h"

#include <QApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
int stateOf(const VLXCheckBox *box)
{
    return box && box->isChecked() ? 1 : 0;
}

void setState(VLXCheckBox *box, int state)
{
    if (box)
        box->setChecked(state != 0);
}
} // namespace

FeedFindPanel *FeedFindPanel::sharedInstance()
{
    static QPointer<FeedFindPanel> instance;
    if (!instance) {
        instance = new FeedFindPanel();
        // The panel answers the sheets of a search for the whole run.
        SearchStepHost::setInstance(
            std::shared_ptr<SearchStepHost>(instance.data(), [](SearchStepHost *) {}));
    }
    return instance;
}

FeedFindPanel::FeedFindPanel()
{
    buildPanel();
}

FeedFindPanel::~FeedFindPanel()
{
    delete m_panel.data();
}

void FeedFindPanel::buildPanel()
{
    // A tool window of its own: no parent window whose sheets would block it.
    m_panel = new QWidget(nullptr, Qt::Tool);
    m_panel->setObjectName(QStringLiteral("finderPanel"));
    m_panel->setWindowTitle(tr("Find and Replace"));
    m_panel->setAttribute(Qt::WA_QuitOnClose, false);
    ClosingKeys::install(m_panel);

    m_findField = new VLXTextField(m_panel);
    m_findField->setObjectName(QStringLiteral("findPanelFindField"));
    m_replaceField = new VLXTextField(m_panel);
    m_replaceField->setObjectName(QStringLiteral("findPanelReplaceField"));
    m_replaceField->setPlaceholderText(tr("Nothing (deletes the text found)"));
    auto *texts = new QFormLayout;
    texts->addRow(tr("Find:"), m_findField);
    texts->addRow(tr("Replace:"), m_replaceField);

    auto box = [this](const char *name, const QString &title) {
        auto *check = new VLXCheckBox(m_panel);
        check->setObjectName(QLatin1String(name));
        check->setText(title);
        return check;
    };
    m_searchFeeds = box("findPanelSearchFeeds", tr("Channel"));
    m_searchCurrentItem = box("findPanelSearchCurrentItem", tr("Items"));
    m_searchAllItems = box("findPanelSearchAllItems", tr("Every item"));
    m_searchImage = box("findPanelSearchImage", tr("Image"));
    m_ignoreCase = box("findPanelIgnoreCase", tr("Ignore case"));
    m_freezeDates = box("findPanelFreezeDates", tr("Freeze dates"));
    m_freezeDates->setToolTip(tr("Replacing leaves the automatic publication dates as they are"));
    m_searchAllItems->setToolTip(tr("Search every item instead of the selected one"));
    m_searchFeeds->setChecked(true);
    m_searchAllItems->setEnabled(false);
    auto *scopes = new QGridLayout;
    scopes->addWidget(new QLabel(tr("Search in:"), m_panel), 0, 0);
    scopes->addWidget(m_searchFeeds, 0, 1);
    scopes->addWidget(m_searchCurrentItem, 0, 2);
    scopes->addWidget(m_searchAllItems, 0, 3);
    scopes->addWidget(m_searchImage, 0, 4);
    scopes->addWidget(m_ignoreCase, 1, 1);
    scopes->addWidget(m_freezeDates, 1, 2, 1, 2);
    scopes->setColumnStretch(5, 1);

    m_status = new QLabel(m_panel);
    m_status->setObjectName(QStringLiteral("findPanelStatus"));

    using S = SearchStepSheet;
    using W = FindReplace;
    auto button = [this](const char *name, const QString &title, void (S::*sheetAction)(),
                         void (W::*action)()) {
        auto *b = new VLXButton(m_panel);
        b->setObjectName(QLatin1String(name));
        b->setText(title);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this,
                [this, sheetAction, action] { perform(sheetAction, action); });
        return b;
    };
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(button("findPanelReplaceAllButton", tr("Replace All"),
                              &S::findPanelReplaceAllAction, &W::findPanelReplaceAllAction));
    buttons->addWidget(button("findPanelReplaceButton", tr("Replace"), &S::findPanelReplaceAction,
                              &W::findPanelReplaceAction));
    buttons->addWidget(button("findPanelReplaceFindButton", tr("Replace && Find"),
                              &S::findPanelReplaceFindAction, &W::findPanelReplaceFindAction));
    buttons->addStretch(1);
    m_nextButton = button("findPanelNextButton", tr("Next"), &S::findPanelNextAction,
                          &W::findPanelNextAction);
    m_nextButton->setDefault(true);
    m_nextButton->setEnabled(false);
    buttons->addWidget(m_nextButton);

    auto *layout = new QVBoxLayout(m_panel);
    layout->addLayout(texts);
    layout->addLayout(scopes);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
    m_panel->resize(520, m_panel->sizeHint().height());

    connect(m_searchCurrentItem, &QAbstractButton::toggled, this,
            &FeedFindPanel::findPanelSearchCurrentItemChanged);
    connect(m_findField, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_nextButton->setEnabled(!text.isEmpty());
        emit findTextChanged(text);
    });
    // Return in either text is Next.
    for (VLXTextField *field : {m_findField.data(), m_replaceField.data()})
        connect(field, &QLineEdit::returnPressed, m_nextButton, &QAbstractButton::click);
}

void FeedFindPanel::showPanel(QWidget *window)
{
    if (!m_shown) {
        m_shown = true;
        setStatusField(QString());
        if (window) {
            const QRect frame = window->frameGeometry();
            m_panel->move(frame.right() - m_panel->frameGeometry().width() - 24, frame.top() + 96);
        }
    }
    m_panel->show();
    m_panel->raise();
    m_panel->activateWindow();
    m_findField->setFocus(Qt::OtherFocusReason);
    m_findField->selectAll();
}

bool FeedFindPanel::isVisible() const
{
    return m_panel && m_panel->isVisible();
}

QString FeedFindPanel::findField() const
{
    return m_findField->text();
}

QString FeedFindPanel::replaceField() const
{
    return m_replaceField->text();
}

void FeedFindPanel::setFindField(const QString &text)
{
    m_findField->setText(text);
}

void FeedFindPanel::setReplaceField(const QString &text)
{
    m_replaceField->setText(text);
}

int FeedFindPanel::searchFeed() const
{
    return stateOf(m_searchFeeds);
}

int FeedFindPanel::searchCurrentItem() const
{
    return stateOf(m_searchCurrentItem);
}

int FeedFindPanel::searchAllItems() const
{
    return stateOf(m_searchAllItems);
}

int FeedFindPanel::searchImage() const
{
    return stateOf(m_searchImage);
}

int FeedFindPanel::ignoreCase() const
{
    return stateOf(m_ignoreCase);
}

int FeedFindPanel::freezeDates() const
{
    return stateOf(m_freezeDates);
}

void FeedFindPanel::setSearchFeed(int state)
{
    setState(m_searchFeeds, state);
}

void FeedFindPanel::setSearchCurrentItem(int state)
{
    setState(m_searchCurrentItem, state);
}

void FeedFindPanel::setSearchAllItems(int state)
{
    setState(m_searchAllItems, state);
}

void FeedFindPanel::setSearchImage(int state)
{
    setState(m_searchImage, state);
}

void FeedFindPanel::setIgnoreCase(int state)
{
    setState(m_ignoreCase, state);
}

void FeedFindPanel::setFreezeDates(int state)
{
    setState(m_freezeDates, state);
}

void FeedFindPanel::findPanelSearchCurrentItemChanged()
{
    // Every item is a choice of the items scope only.
    m_searchAllItems->setEnabled(m_searchCurrentItem->isChecked());
}

void FeedFindPanel::setStatusField(const QString &text)
{
    m_status->setText(text);
}

QString FeedFindPanel::statusField() const
{
    return m_status->text();
}

void FeedFindPanel::beep()
{
    QApplication::beep();
    emit beeped();
}

// --- Actions ------------------------------------------------------------------------------------

void FeedFindPanel::perform(void (SearchStepSheet::*sheetAction)(), void (FindReplace::*action)())
{
    if (SearchStepSheet *sheet = SearchStepSheet::runningSheet())
        (sheet->*sheetAction)();
    else if (Vellumcast *window = Vellumcast::existingInstance())
        (window->findReplace().*action)();
}

// --- What a sheet hands over to the window ------------------------------------------------------

void FeedFindPanel::findNext()
{
    if (Vellumcast *window = Vellumcast::existingInstance())
        window->findReplace().findNext();
}

void FeedFindPanel::findPanelReplaceAllAction()
{
    if (Vellumcast *window = Vellumcast::existingInstance())
        window->findReplace().findPanelReplaceAllAction();
}

void FeedFindPanel::orderFrontFindPanel()
{
    if (Vellumcast *window = Vellumcast::existingInstance())
        window->findReplace().orderFrontFindPanel();
    else
        showPanel();
}
