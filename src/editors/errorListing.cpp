#include "editors/errorListing.h"

#include "editors/MessageOutlineModel.h"
#include "model/VLXFeed.h"
#include "ui/VLXButton.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXOutlineView.h"
#include "ui/printInfoManager.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <functional>

const QString errorListing::kHelpAnchor = QStringLiteral("FeedParsingError");

namespace {
const QString kItemGroupStart = QStringLiteral("Item - ");
const QString kItemGroupQuote = QStringLiteral("Item - \"");

// The room a line keeps beside its text and indentation.
constexpr int kLineMargin = 25;

// Widens the one column when a row's text would not fit: 25 points plus the indentation of the
// row's level plus the text. Only rows that are painted are measured, so a long list costs
// nothing until it is scrolled.
class WideningDelegate : public QStyledItemDelegate
{
public:
    explicit WideningDelegate(QTreeView *view) : QStyledItemDelegate(view), m_view(view) { }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        int level = 0;
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
            ++level;
        const int needed = kLineMargin + (level + 1) * m_view->indentation()
            + option.fontMetrics.horizontalAdvance(index.data().toString());
        QHeaderView *header = m_view->header();
        if (needed > header->minimumSectionSize() && needed > m_view->columnWidth(0)) {
            // Not while painting: the header lays out again.
            QMetaObject::invokeMethod(
                header,
                [header, needed] {
                    if (needed > header->minimumSectionSize())
                        header->setMinimumSectionSize(needed);
                },
                Qt::QueuedConnection);
        }
    }

private:
    QTreeView *m_view;
};

// The frame a window manager has put around a window; none before it has.
QMargins frameMarginsOf(const QWidget *window)
{
    const QRect client = window->geometry();
    const QRect frame = window->frameGeometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

struct Toggle
{
    VLXButton *button;
    int count;
    const char *format;
};

// The panel is a dialog of its window that blocks nothing: Return presses Done, its default
// button, and Escape and the close box close the panel as Done does.
class PanelWindow : public QDialog
{
public:
    PanelWindow(QWidget *owner, std::function<void()> close)
        : QDialog(owner), m_close(std::move(close))
    {
    }
    void reject() override { m_close(); }

private:
    std::function<void()> m_close;
};
} // namespace

errorListing::errorListing() : QObject(QCoreApplication::instance()) { }

errorListing::~errorListing()
{
    // Widgets may not outlive the application's own teardown: once it has begun, the panel is
    // left to its window (the feed window it was shown beside).
    if (!QCoreApplication::closingDown())
        delete m_panel.data();
}

errorListing *errorListing::sharedInstance()
{
    static QPointer<errorListing> instance;
    if (!instance)
        instance = new errorListing();
    return instance;
}

void errorListing::showPanel(QWidget *sender, const QVariantList &errorList, int numErrors,
                             int numWarn, int numRepair, const Placement &place)
{
    sharedInstance()->show(sender, errorList, numErrors, numWarn, numRepair, place);
}

void errorListing::showPanel(QWidget *sender, const QList<MessageGroup> &messages, int numErrors,
                             int numWarn, int numRepair)
{
    sharedInstance()->show(sender, messages, numErrors, numWarn, numRepair);
}

void errorListing::closePanel()
{
    sharedInstance()->close();
}

void errorListing::loadInterface(QWidget *owner)
{
    m_owner = owner;
    m_panel = new PanelWindow(owner, [this] { done(); });
    m_panel->setObjectName(QStringLiteral("errorListings"));
    m_panel->setWindowTitle(tr("Feed Repairs, Errors and Warnings"));

    const auto makeButton = [this](const char *name, const QString &text, bool toggle) {
        auto *button = new VLXButton(m_panel);
        button->setObjectName(QLatin1String(name));
        button->setText(text);
        button->setCheckable(toggle);
        button->setAutoDefault(false);
        return button;
    };
    m_repairButton = makeButton("repairButton", tr("0 Repairs"), true);
    m_errorButton = makeButton("errorButton", tr("0 Errors"), true);
    m_warnButton = makeButton("warnButton", tr("0 Warnings"), true);
    for (VLXButton *toggle : {m_repairButton.data(), m_errorButton.data(), m_warnButton.data()})
        connect(toggle, &QPushButton::clicked, this, &errorListing::REWButtonAction);
    auto *help = makeButton("help", tr("Help"), false);
    auto *print = makeButton("print", tr("Print..."), false);
    auto *doneButton = makeButton("done", tr("Done"), false);
    doneButton->setDefault(true);
    m_doneButton = doneButton;
    connect(help, &QPushButton::clicked, this, &errorListing::helpButton);
    connect(print, &QPushButton::clicked, this, &errorListing::printDocument);
    connect(doneButton, &QPushButton::clicked, this, &errorListing::done);

    m_errors = new VLXOutlineView(m_panel);
    m_errors->setObjectName(QStringLiteral("errors"));
    m_errors->setHelpAnchor(kHelpAnchor);
    m_errors->setHeaderHidden(true);
    m_errors->setUniformRowHeights(true);
    m_errors->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_errors->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_errors->header()->setStretchLastSection(true);
    m_errors->setItemDelegate(new WideningDelegate(m_errors));
    m_model = new MessageOutlineModel(m_errors);
    m_errors->setModel(m_model);
    connect(m_errors->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { selectionChanged(current); });

    auto *toggles = new QHBoxLayout;
    toggles->addWidget(m_repairButton);
    toggles->addWidget(m_errorButton);
    toggles->addWidget(m_warnButton);
    toggles->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(print);
    buttons->addWidget(doneButton);
    auto *layout = new QVBoxLayout(m_panel);
    layout->addLayout(toggles);
    layout->addWidget(m_errors, 1);
    layout->addLayout(buttons);
    m_panel->resize(kNarrowest, 380);
    if (owner) {
        // Over the right part of the window, below its toolbar, where the fields stay readable.
        const QRect frame = owner->frameGeometry();
        m_panel->move(qMax(frame.left(), frame.right() - m_panel->width() - 40), frame.top() + 140);
    }
}

void errorListing::fitToText()
{
    // As wide as the longest line shown needs (the outline measures the rows it would show
    // first), within the screen; a wider line scrolls. The rows are laid out first: a panel just
    // made has no room for any yet, and would measure none. A hidden list's viewport has not
    // followed its size yet: the room beside the lines is the panel's less the list's inside.
    m_panel->ensurePolished();
    m_panel->layout()->activate();
    const QAbstractItemView *view = m_errors;
    const int frame = m_panel->width() - (m_errors->width() - 2 * m_errors->frameWidth());
    const int wanted = qMax(kNarrowest,
                            view->sizeHintForColumn(0) + kLineMargin + frame
                                + m_errors->verticalScrollBar()->sizeHint().width());
    QScreen *screen = m_panel->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    // The frame the window manager adds counts on the screen too.
    const QMargins margins = panelFrame();
    const int decoration = margins.left() + margins.right();
    const int width = room.isValid() ? qMin(wanted, room.width() - decoration) : wanted;
    if (width <= m_panel->width())
        return;
    // It grows to the left, its right edge staying, and stays on the screen.
    QRect place = m_panel->frameGeometry();
    const int grow = width - m_panel->width();
    place.setLeft(place.left() - grow);
    if (room.isValid()) {
        if (place.right() > room.right())
            place.moveRight(room.right());
        if (place.left() < room.left())
            place.moveLeft(room.left());
    }
    m_panel->move(place.topLeft());
    m_panel->resize(width, m_panel->height());
}

QMargins errorListing::panelFrame() const
{
    const QMargins known = frameMarginsOf(m_panel);
    return known.isNull() && m_owner ? frameMarginsOf(m_owner) : known;
}

bool errorListing::keepClearOf(const QRect &area)
{
    if (!m_panel || area.isEmpty())
        return true;
    // At least a few rows stay, so that the panel still reads as a list.
    constexpr int kFewestRows = 3;
    const qint64 rows = m_model->countOfRows();
    const int rowHeight = m_errors->sizeHintForRow(0);
    if (rows <= kFewestRows * 2 && rowHeight > 0) {
        // As fitToText: a list not shown yet has a viewport of no size to measure by.
        const int listFrame = 2 * m_errors->frameWidth();
        const int wanted = int(qMax<qint64>(rows, kFewestRows)) * rowHeight + listFrame;
        if (wanted < m_errors->height())
            m_panel->resize(m_panel->width(), m_panel->height() - (m_errors->height() - wanted));
    }
    const QMargins known = frameMarginsOf(m_panel);
    const QMargins frame = panelFrame();
    const QRect place = m_panel->geometry().marginsAdded(frame);
    if (!place.intersects(area))
        return true;
    QScreen *screen = m_panel->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    constexpr int kGap = 8;
    for (const int top : {area.bottom() + 1 + kGap, area.top() - kGap - place.height()}) {
        const QRect moved = place.translated(0, top - place.top());
        if (room.isValid() && (moved.top() < room.top() || moved.bottom() > room.bottom()))
            continue;
        // A move places the frame the panel is known to have: one still to come goes around it.
        m_panel->move(moved.topLeft()
                      + QPoint(frame.left() - known.left(), frame.top() - known.top()));
        return true;
    }
    return false;
}

namespace {
const QString kRootTitle = QStringLiteral("OVRoot");

MessageGroup rootOf(const QList<MessageGroup> &messages)
{
    MessageGroup root(kRootTitle);
    for (const MessageGroup &group : messages)
        root.addGroup(group);
    return root;
}
} // namespace

void errorListing::showTree(MessageGroup root)
{
    m_errors->header()->setMinimumSectionSize(-1);
    m_model->setRoot(std::move(root));
    const bool whole = m_model->countOfRows() <= kRowsOpenedWhole;
    const int topLevel = m_model->rowCount();
    for (int row = 0; row < topLevel; ++row) {
        const QModelIndex index = m_model->index(row, 0);
        if (m_model->rowCount(index) == 0)
            continue;
        if (whole)
            m_errors->expandRecursively(index);
        else
            m_errors->expand(index);
    }
}

void errorListing::setToggles(int numErrors, int numWarn, int numRepair, bool setStates)
{
    const Toggle toggles[] = {{m_repairButton, numRepair, "%1 Repairs"},
                              {m_errorButton, numErrors, "%1 Errors"},
                              {m_warnButton, numWarn, "%1 Warnings"}};
    for (const Toggle &toggle : toggles) {
        const bool some = toggle.count > 0;
        toggle.button->setText(QString::fromLatin1(toggle.format).arg(some ? toggle.count : 0));
        toggle.button->setEnabled(some);
        if (setStates)
            toggle.button->setChecked(some);
    }
}

void errorListing::finishShowing(const Placement &place)
{
    fitToText();
    if (place)
        place(*this);
    m_panel->show();
    m_panel->raise();
    QCoreApplication::processEvents();
    m_panel->update();
    m_windowOpen = true;
}

void errorListing::show(QWidget *sender, const QVariantList &errorList, int numErrors, int numWarn,
                        int numRepair, const Placement &place)
{
    show(sender,
         MessageGroup::fromVariant(
             {{QStringLiteral("Group"), kRootTitle}, {QStringLiteral("Entries"), errorList}}),
         numErrors, numWarn, numRepair, place);
}

void errorListing::show(QWidget *sender, const QList<MessageGroup> &messages, int numErrors,
                        int numWarn, int numRepair)
{
    show(sender, rootOf(messages), numErrors, numWarn, numRepair, {});
}

void errorListing::show(QWidget *sender, MessageGroup root, int numErrors, int numWarn,
                        int numRepair, const Placement &place)
{
    QWidget *owner = sender ? sender->window() : nullptr;
    if (m_panel && owner != m_owner)
        delete m_panel.data();
    if (!m_panel)
        loadInterface(owner);
    showTree(std::move(root));
    setToggles(numErrors, numWarn, numRepair, true);
    finishShowing(place);
    // It takes the keyboard: Return and Escape close it at once.
    m_panel->activateWindow();
    if (m_doneButton)
        m_doneButton->setFocus(Qt::ActiveWindowFocusReason);
}

void errorListing::REWButtonAction()
{
    const std::shared_ptr<VLXFeed> feed = m_feedSource ? m_feedSource() : nullptr;
    if (!m_panel || !feed)
        return;
    showTree(rootOf(feed->parseXMLErrorList(m_errorButton->isChecked(), m_warnButton->isChecked(),
                                            m_repairButton->isChecked())));
    setToggles(feed->parseXMLErrorCount(), feed->parseXMLWarnCount(), feed->parseXMLRepairCount(),
               false);
    finishShowing();
}

void errorListing::close()
{
    if (m_windowOpen)
        done();
}

void errorListing::done()
{
    // The keyboard the panel took goes back to the window it was shown over, not to whichever
    // window the window manager picks.
    const bool hadKeyboard = m_panel && m_panel->isActiveWindow();
    if (m_panel)
        m_panel->hide();
    m_windowOpen = false;
    if (hadKeyboard && m_owner && m_owner->isVisible())
        m_owner->activateWindow();
}

void errorListing::helpButton()
{
    VLXHelpAnchored::helpForField(kHelpAnchor);
}

void errorListing::selectionChanged(const QModelIndex &current)
{
    if (current.isValid())
        jumpToNode(current);
}

void errorListing::jumpToNode(const QModelIndex &index)
{
    if (!index.isValid() || !index.parent().isValid()) {
        emit selectFeedRequested();
        return;
    }
    for (QModelIndex up = index; up.isValid(); up = up.parent()) {
        const QString name = m_model->nameOf(up);
        if (!name.startsWith(kItemGroupStart) || !name.contains(kItemGroupQuote))
            continue;
        // The title stands between the opening quote and the name's last character.
        const qsizetype start = name.indexOf(kItemGroupQuote) + kItemGroupQuote.size();
        const QString title = name.mid(start, qMax<qsizetype>(0, name.size() - 1 - start));
        if (title.isEmpty())
            break;
        emit selectFeedItemRequested(title);
        return;
    }
    emit selectFeedRequested();
}

void errorListing::printDocument()
{
    if (!m_panel)
        return;
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printInfoManager::applyTo(*printer);
    auto *dialog = new QPrintDialog(printer.get(), m_panel);
    dialog->setObjectName(QStringLiteral("printPanel"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    // The printer lives as long as this connection, that is as long as the sheet.
    connect(dialog, &QDialog::accepted, this, [this, printer] { printOutline(*printer); });
    dialog->open();
}

int errorListing::printOutline(QPrinter &printer) const
{
    if (!m_errors || !m_model)
        return 0;
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    painter.setFont(m_errors->font());
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const qreal indent = painter.fontMetrics().horizontalAdvance(QLatin1Char('M')) * 2;
    const qreal bottom = page.height();
    qreal y = 0;
    int pages = 1;
    // Depth-first over the rows the outline shows: a closed group's messages are not printed.
    const std::function<void(const QModelIndex &, int)> printRows
        = [&](const QModelIndex &parent, int level) {
              for (int row = 0; row < m_model->rowCount(parent); ++row) {
                  const QModelIndex index = m_model->index(row, 0, parent);
                  const QRectF room(level * indent, 0, qMax(indent, page.width() - level * indent),
                                    bottom);
                  const QString text = index.data().toString();
                  const QRectF needed
                      = painter.boundingRect(room, Qt::TextWordWrap | Qt::AlignLeft, text);
                  if (y > 0 && y + needed.height() > bottom) {
                      printer.newPage();
                      ++pages;
                      y = 0;
                  }
                  const QColor colour = index.data(Qt::ForegroundRole).value<QColor>();
                  painter.setPen(colour.isValid() ? colour : QColor(Qt::black));
                  painter.drawText(room.translated(0, y), Qt::TextWordWrap | Qt::AlignLeft, text);
                  y += needed.height();
                  if (m_errors->isExpanded(index))
                      printRows(index, level + 1);
              }
          };
    printRows(QModelIndex(), 0);
    painter.end();
    return pages;
}
