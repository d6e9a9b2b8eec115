#include "panes/RawXMLPane.h"

#include "extensions/FieldExtensionBase.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionNSRaw.h"
#include "panes/EditTracker.h"
#include "panes/WindowHost.h"
#include "ui/VLXTextView.h"
#include "xml/vlxXMLDOM.h"

#include <QFontDatabase>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {
// Texts up to this length are made ready and shown at once: that takes the window's thread a
// few milliseconds.
constexpr qsizetype kReadyAtOnce = EditTracker::kLongestShownLine;
} // namespace

RawXMLPane::RawXMLPane(std::shared_ptr<extensionNSRaw> extension, QWidget *parent)
    : ExtensionPane(parent), m_extension(std::move(extension))
{
}

void RawXMLPane::makeControls()
{
    if (m_view)
        return;
    auto *layout = new QVBoxLayout(this);
    m_view = new VLXTextView(this);
    m_view->setObjectName(QStringLiteral("Extension_RawXML_View"));
    m_view->setReadOnly(true);
    m_view->setAcceptDrops(false);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(m_view, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_edit = new QPushButton(tr("Edit"), this);
    m_edit->setObjectName(QStringLiteral("Extension_RawXML_Edit"));
    m_edit->setEnabled(m_extension != nullptr);
    buttons->addWidget(m_edit);
    layout->addLayout(buttons);
    connect(m_edit, &QPushButton::clicked, this, &RawXMLPane::editRawXML);
    if (m_extension && !m_extension->rawXMLHelpAnchor().isEmpty())
        m_view->setHelpAnchor(m_extension->rawXMLHelpAnchor());
    // Made while the pane is being shown, they show with it, laid out before it is painted.
    if (isVisible()) {
        m_view->show();
        m_edit->show();
        layout->activate();
    }
    updateInterface();
}

void RawXMLPane::setExtension(std::shared_ptr<extensionNSRaw> extension)
{
    m_extension = std::move(extension);
    if (!m_view)
        return;
    m_edit->setEnabled(m_extension != nullptr);
    updateInterface();
}

bool RawXMLPane::fits(const std::shared_ptr<extensionNSRaw> &extension) const
{
    return !FieldExtensionBase::from(extension.get());
}

QString RawXMLPane::reformat(const QString &text)
{
    vlxXMLDOM dom;
    if (!dom.initWithString(QStringLiteral("<?xml version=\"1.0\"?><rss>%1</rss>").arg(text)))
        return text;
    return VLXLogic::formatXML(text);
}

QString RawXMLPane::textToShow(const QString &text)
{
    if (text.isEmpty())
        return QString();
    const QString formatted = reformat(text);
    return EditTracker::tooLongToShow(formatted) ? EditTracker::partShown(formatted, false)
                                                 : formatted;
}

void RawXMLPane::updateInterface()
{
    // A pane not shown yet shows the extension as it is when its controls are made.
    if (!m_view)
        return;
    const QString text = m_extension ? m_extension->rawXML() : QString();
    // The very text shown or on its way needs nothing more. It cannot have changed meanwhile:
    // held here too, it is copied before anyone writes to it.
    if (!m_source.isNull() && text.constData() == m_source.constData()
        && text.size() == m_source.size())
        return;
    ++m_generation;
    m_source = text;
    m_waiting = false;
    if (text.size() <= kReadyAtOnce) {
        m_view->setStringValue(textToShow(text));
        return;
    }
    m_view->setStringValue(QString());
    m_waiting = true;
    if (isVisible())
        prepare();
}

void RawXMLPane::showEvent(QShowEvent *event)
{
    makeControls();
    ExtensionPane::showEvent(event);
    if (m_waiting)
        prepare();
}

void RawXMLPane::prepare()
{
    m_waiting = false;
    const quint64 generation = m_generation;
    auto *watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        if (generation == m_generation)
            m_view->setStringValue(watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(&RawXMLPane::textToShow, m_source));
}

void RawXMLPane::showEdited(const QString &text)
{
    // Shown as the editor gave it, not pretty-printed; what was being made ready is dropped.
    makeControls();
    ++m_generation;
    m_source = QString();
    m_waiting = false;
    m_view->setStringValue(EditTracker::tooLongToShow(text) ? EditTracker::partShown(text, false)
                                                            : text);
}

bool RawXMLPane::inItemTabs() const
{
    WindowHost *window = WindowHost::current();
    return window && window->isDescendantOfItemTabs(this);
}

void RawXMLPane::editRawXML()
{
    if (!m_extension)
        return;
    // An object that allows no undo is a default value of the preferences: its edit belongs to
    // no feed, so it neither ends the window's edit nor records a step or refreshes a date.
    const bool ofFeed = m_extension->allowsUndo();
    WindowHost *window = WindowHost::current();
    if (ofFeed && !window)
        return;
    const int row = ofFeed && inItemTabs() ? window->selectedItemRow() : m_itemRow;
    if (ofFeed)
        window->finalizeChanges();
    const QString old = m_extension->rawXML();
    // The tags of the pane's own namespace are coloured; user-defined elements share none.
    QStringList prefixes;
    if (m_extension->extensionName() != extensionNSName::kUserDefined)
        prefixes << m_extension->extensionName();
    const std::optional<QString> edited
        = WindowHost::editXMLText(XMLSourceRequest::fragmentOf(old, prefixes));
    if (!edited || *edited == old)
        return;
    if (!ofFeed) {
        m_extension->setRawXML(*edited);
        showEdited(*edited);
        emit rawXMLEdited();
        return;
    }
    const auto feed = window->currentFeed();
    if (feed) {
        const bool item = inItemTabs() && row >= 0 && row < feed->countOfItems();
        const QString date = item ? feed->itemAtIndex(row)->pubDate() : feed->pubDate();
        window->registerUndo(editRawXMLUndoRecord(old, row, date), QStringLiteral("Edit Raw XML"));
    }
    m_extension->setRawXML(*edited);
    showEdited(*edited);
    if (inItemTabs())
        window->updateAutoPubDateForItemAtIndex(row);
    else
        window->updateFeedAutoPubDate();
    emit rawXMLEdited();
}

namespace {
// The record of a raw edit: the text to put back, the item row, the extension and the
// publication date to put back (the item's for an item pane, else the feed's). It holds the
// extension itself, so it works after the pane was rebuilt.
UndoRecord rawXMLUndoRecord(const std::shared_ptr<extensionNSRaw> &extension, bool item,
                            const QString &restore, int row, const QString &pubDate)
{
    return UndoRecord {[=]() -> UndoRecord {
        WindowHost *window = WindowHost::current();
        const auto feed = window ? window->currentFeed() : nullptr;
        if (!feed)
            return {};
        const bool hasItem = item && row >= 0 && row < feed->countOfItems();
        const QString current = hasItem ? feed->itemAtIndex(row)->pubDate() : feed->pubDate();
        UndoRecord reverse = rawXMLUndoRecord(extension, item, extension->rawXML(), row, current);
        extension->setRawXML(restore);
        if (hasItem) {
            feed->itemAtIndex(row)->setPubDate(pubDate);
            window->updateItemPubDateDisplay(pubDate, row);
        } else if (!item) {
            feed->setPubDate(pubDate);
            window->updateFeedPubDateDisplay(pubDate);
        }
        // The pane shows the text unless it shows another item now.
        if (window->window() && (!item || window->selectedItemRow() == row)) {
            for (RawXMLPane *pane : window->window()->findChildren<RawXMLPane *>()) {
                if (pane->extension() == extension.get())
                    pane->updateInterface();
            }
        }
        return reverse;
    }};
}
} // namespace

UndoRecord RawXMLPane::editRawXMLUndoRecord(const QString &restore, int row, const QString &pubDate)
{
    return rawXMLUndoRecord(m_extension, inItemTabs(), restore, row, pubDate);
}
