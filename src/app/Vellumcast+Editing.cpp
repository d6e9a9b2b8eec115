// Edit tracking, undo records and the commit of field values into the loaded feed.
#include "app/Vellumcast.h"

#include "app/EditTracker.h"
#include "app/VLXUndoManager.h"
#include "model/SmartDate.h"
#include "model/VLXFeed.h"
#include "model/VLXFeedLanguage.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/mimeTypes.h"
#include "platform/AlertService.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXImageView.h"
#include "ui/VLXListBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextView.h"

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QMetaObject>
#include <QMimeData>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QUndoStack>

namespace {
// Fields whose edits are tracked, in the order of their undo action names.
struct TrackedField
{
    const char *outlet;
    const char *actionName;
};

const TrackedField kTrackedFields[] = {
    {"Feeds_Required_Title", "Feed Title"},
    {"Feeds_Required_Link", "Feed Link"},
    {"Feeds_Required_PubDate", "Feed Pub Date"},
    {"Feeds_Optional_Cloud_Domain", "Feed Cloud Domain"},
    {"Feeds_Optional_Cloud_Port", "Feed Cloud Port"},
    {"Feeds_Optional_Cloud_Path", "Feed Cloud Path"},
    {"Feeds_Optional_Cloud_RegProc", "Feed Cloud RegProc"},
    {"Feeds_Optional_Cloud_Protocol", "Feed Cloud Protocol"},
    {"Feeds_Optional_TextInput_Description", "Feed TextInput Description"},
    {"Feeds_Optional_TextInput_Link", "Feed TextInput Link"},
    {"Feeds_Optional_TextInput_Name", "Feed TextInput Name"},
    {"Feeds_Optional_TextInput_Title", "Feed TextInput Title"},
    {"Feeds_Optional_Webmaster", "Feed Webmaster"},
    {"Feeds_Optional_Editor", "Feed Editor"},
    {"Feeds_Optional_Copyright", "Feed Copyright"},
    {"Feeds_Optional_Rating", "Feed Rating"},
    {"Feeds_Optional_Docs", "Feed Docs"},
    {"Feeds_Optional_TTL", "Feed TTL"},
    {"Feeds_Advanced_StyleSheet", "XML Style Sheet"},
    {"Feeds_Advanced_StyleSheetCSS", "XML Style Sheet"},
    {"Items_Required_Title", "Item Title"},
    {"Items_Required_Link", "Item Link"},
    {"Items_Required_PubDate", "Item Pub Date"},
    {"Items_Optional_Source_Source", "Item Source"},
    {"Items_Optional_Source_URL", "Item Source URL"},
    {"Items_Optional_Enclosure_URL", "Item Enclosure URL"},
    {"Items_Optional_Enclosure_Length", "Item Enclosure Length"},
    {"Items_Optional_Enclosure_Type", "Item Enclosure Type"},
    {"Items_Optional_Author", "Item Author"},
    {"Items_Optional_Comments", "Item Comments"},
    {"Image_Required_Title", "Feed Image Title"},
    {"Image_Required_Description", "Feed Image Description"},
    {"Image_Required_Link", "Feed Image Link"},
    {"Image_Required_URL", "Feed Image URL"},
    {"Image_Required_Width", "Feed Image Width"},
    {"Image_Required_Height", "Feed Image Height"},
};

// Fields tracked with their own end-of-edit handling.
const char *const kGUIDField = "Items_Optional_GUID_GUID";
const char *const kEnclosureFileField = "Items_Optional_Enclosure_Advanced_Filename";
const char *const kTextViews[] = {"Feeds_Required_Description", "Items_Required_Description"};

bool is(const QWidget *widget, const char *name)
{
    return widget && widget->objectName() == QLatin1String(name);
}

Alert alertOf(Alert::Style style, const QString &title, const QString &message)
{
    Alert alert;
    alert.style = style;
    alert.title = title;
    alert.message = message;
    return alert;
}

QString expandTilde(const QString &path)
{
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}
} // namespace

// --- The undo stack and the edited mark ---------------------------------------------------------

VLXUndoManager *Vellumcast::undoManager()
{
    if (!m_undoManager)
        setUpEditing();
    return m_undoManager;
}

VLXUndoManager *Vellumcast::sharedUndoManager()
{
    return sharedInstance()->undoManager();
}

EditTracker *Vellumcast::editTracker()
{
    if (!m_editTracker)
        setUpEditing();
    return m_editTracker;
}

void Vellumcast::setUpEditing()
{
    if (!m_undoManager) {
        m_undoManager = new VLXUndoManager(this);
        connect(m_undoManager, &VLXUndoManager::documentEditedChanged, this, [this](bool edited) {
            if (m_documentWindow)
                m_documentWindow->setWindowModified(edited);
            validateCommands();
        });
        // An undo or redo first commits the edit in progress, as every action does.
        connect(m_undoManager, &VLXUndoManager::aboutToApply, this, [this] { finalizeChanges(); });
        // The Edit menu names the step that Undo and Redo would take back or do again.
        auto name = [this] {
            if (QAction *undoCommand = command(QStringLiteral("undo"))) {
                const QString text = m_undoManager->undoActionName();
                undoCommand->setText(text.isEmpty() ? tr("&Undo") : tr("&Undo %1").arg(text));
            }
            if (QAction *redoCommand = command(QStringLiteral("redo"))) {
                const QString text = m_undoManager->redoActionName();
                redoCommand->setText(text.isEmpty() ? tr("&Redo") : tr("&Redo %1").arg(text));
            }
        };
        connect(m_undoManager->stack(), &QUndoStack::indexChanged, this, name);
        connect(m_undoManager->stack(), &QUndoStack::cleanChanged, this, name);
        connect(m_undoManager, &VLXUndoManager::flushed, this, [this] {
            if (m_editTracker)
                m_editTracker->clear();
        });
    }
    if (!m_editTracker) {
        m_editTracker = new EditTracker(this);
        m_editTracker->setCheck([this](QWidget *control, const QString &text) {
            return controlIsValidObject(control, text);
        });
        m_editTracker->setCommit(
            [this](QWidget *control, const QString &start, const QString &text) {
                endEditingOf(control, start, text);
            });
    }
    // The window's controls are wired once, when the window exists.
    if (!m_documentWindow || m_documentWindow->property("vlxEditingWired").toBool())
        return;
    m_documentWindow->setProperty("vlxEditingWired", true);
    for (const TrackedField &field : kTrackedFields)
        m_editTracker->track(outlet(QLatin1String(field.outlet)));
    m_editTracker->track(outlet(QLatin1String(kGUIDField)));
    m_editTracker->track(outlet(QLatin1String(kEnclosureFileField)));
    for (const char *view : kTextViews)
        m_editTracker->track(outlet(QLatin1String(view)));

    if (auto *hours = outlet<VLXMatrix>(QStringLiteral("Feeds_Optional_SkipHours_Matrix")))
        connect(hours, &VLXMatrix::cellClicked, this, &Vellumcast::feedSkipHoursChanged);
    if (auto *days = outlet<VLXMatrix>(QStringLiteral("Feeds_Optional_SkipDays_Matrix")))
        connect(days, &VLXMatrix::cellClicked, this, &Vellumcast::feedSkipDaysChanged);
    if (auto *language = outlet<VLXPopUpButton>(QStringLiteral("Feeds_Optional_Language")))
        connect(language, QOverload<int>::of(&QComboBox::activated), this,
                [this] { feedLanguageChanged(); });
    if (auto *perma = outlet<VLXCheckBox>(QStringLiteral("Items_Optional_GUID_Perma")))
        connect(perma, &QAbstractButton::clicked, this, [this] { itemGUIDIsPermaChanged(); });
    if (auto *autoDate = outlet<VLXCheckBox>(QStringLiteral("Feeds_Required_AutoPubDate")))
        connect(autoDate, &QAbstractButton::clicked, this, [this](bool on) {
            if (m_feed)
                m_feed->setAutoPubDate(on ? 1 : 0);
        });
    // Leaving a tab or moving a divider commits the edit in progress first.
    for (const char *tabs :
         {"tabsFeeds", "tabsFeeds_FeedsSub", "tabsFeeds_ItemsSub", "tabsFeeds_ImagesSub"}) {
        if (auto *tabView = outlet<QTabWidget>(QLatin1String(tabs)))
            connect(tabView, &QTabWidget::tabBarClicked, this, [this] { finalizeChanges(); });
    }
    // The split views keep room for both panes: the list at least this wide on the left, the
    // editor at least this wide on the right.
    const struct
    {
        const char *name;
        int left;
        int right;
    } splits[] = {
        {"Feeds_SplitView", 125, 420}, {"Items_SplitView", 125, 380}, {"Image_SplitView", 75, 395}};
    for (const auto &split : splits) {
        auto *splitter = outlet<QSplitter>(QLatin1String(split.name));
        if (!splitter || splitter->count() < 2)
            continue;
        splitter->widget(0)->setMinimumWidth(split.left);
        splitter->widget(splitter->count() - 1)->setMinimumWidth(split.right);
        splitter->setChildrenCollapsible(false);
        connect(splitter, &QSplitter::splitterMoved, this, [this] { finalizeChanges(); });
    }
    if (auto *items = outlet<VLXTableView>(QStringLiteral("Items_Required_Items"))) {
        items->setDragEnabled(true);
        items->setAcceptDrops(true);
        items->viewport()->setAcceptDrops(true);
        items->setDropIndicatorShown(true);
        items->setDragDropOverwriteMode(false);
        items->setDragDropMode(QAbstractItemView::DragDrop);
        items->setDefaultDropAction(Qt::MoveAction);
    }
    setCommandHandler(QStringLiteral("undo"), [this] { undo(); });
    setCommandHandler(QStringLiteral("redo"), [this] { redo(); });
    setUpDocumentCommands();
}

void Vellumcast::finalizeChanges()
{
    if (m_editTracker)
        m_editTracker->finalizeChanges();
}

void Vellumcast::sharedFinalizeChanges()
{
    if (Vellumcast *instance = existingInstance())
        instance->finalizeChanges();
}

void Vellumcast::undo()
{
    undoManager()->undo();
}

void Vellumcast::redo()
{
    undoManager()->redo();
}

bool Vellumcast::isDocumentEdited() const
{
    return m_undoManager && m_undoManager->isDocumentEdited();
}

void Vellumcast::setDocumentEdited(bool edited)
{
    undoManager()->setDocumentEdited(edited);
    if (m_documentWindow)
        m_documentWindow->setWindowModified(isDocumentEdited());
}

void Vellumcast::setDocumentEdited(bool edited, bool flushUndos)
{
    undoManager()->setDocumentEdited(edited, flushUndos);
    if (m_documentWindow)
        m_documentWindow->setWindowModified(isDocumentEdited());
}

void Vellumcast::registerUndo(UndoRecord record, const QString &actionName)
{
    undoManager()->registerUndo(std::move(record));
    undoManager()->setActionName(actionName);
}

QString Vellumcast::undoActionNameForControl(const QString &outletName)
{
    for (const TrackedField &field : kTrackedFields) {
        if (outletName == QLatin1String(field.outlet))
            return QLatin1String(field.actionName);
    }
    return QStringLiteral("not sure");
}

QString Vellumcast::undoActionNameForText(const QString &outletName)
{
    if (outletName == QLatin1String("Feeds_Required_Description"))
        return QStringLiteral("Feed Description");
    if (outletName == QLatin1String("Items_Required_Description"))
        return QStringLiteral("Item Description");
    return QStringLiteral("not sure");
}

// --- Automatic publication dates ----------------------------------------------------------------

int Vellumcast::autoPubDateState() const
{
    auto *box = outlet<VLXCheckBox>(QStringLiteral("Feeds_Required_AutoPubDate"));
    return box && box->isChecked() ? 1 : 0;
}

void Vellumcast::setAutoPubDateState(int state)
{
    if (auto *box = outlet<VLXCheckBox>(QStringLiteral("Feeds_Required_AutoPubDate")))
        box->setChecked(state != 0);
    if (m_feed)
        m_feed->setAutoPubDate(state != 0 ? 1 : 0);
}

void Vellumcast::updateFeedAutoPubDate()
{
    if (!m_feed || autoPubDateState() == 0 || m_pubDatesFrozen)
        return;
    m_feed->setPubDate(SmartDate::feedAutoPubDate());
    updateFeedPubDateDisplay(m_feed->pubDate());
}

void Vellumcast::updateAutoPubDateForItem(VLXItems *item)
{
    if (!m_feed || !item || autoPubDateState() == 0 || m_pubDatesFrozen)
        return;
    item->setPubDate(SmartDate::feedAutoPubDate());
    updateItemPubDateDisplay(item->pubDate(), m_feed->indexOfItem(item));
}

void Vellumcast::updateAutoPubDateForItemAtIndex(int index)
{
    if (m_feed && index >= 0 && index < m_feed->countOfItems())
        updateAutoPubDateForItem(m_feed->itemAtIndex(index).get());
}

void Vellumcast::updateFeedPubDateDisplay(const QString &date)
{
    if (QWidget *field = outlet(QStringLiteral("Feeds_Required_PubDate")))
        editTracker()->setDisplayedText(field, date);
}

void Vellumcast::updateItemPubDateDisplay(const QString &date, int itemIndex)
{
    if (itemIndex < 0 || itemIndex != selectedItemRow())
        return;
    if (QWidget *field = outlet(QStringLiteral("Items_Required_PubDate")))
        editTracker()->setDisplayedText(field, date);
}

// --- End of a field edit: check, undo record, commit ---------------------------------------------

QString Vellumcast::controlIsValidObject(QWidget *control, const QString &proposed)
{
    const QString name = control ? control->objectName() : QString();
    if (qobject_cast<VLXTextView *>(control))
        return proposed; // description views are taken as written
    const QString text = proposed.trimmed();
    const bool iTunes
        = m_feed && m_feed->XMLExtensions() && m_feed->XMLExtensions()->iTunesExtensionUsed();
    auto field = [&](const char *outletName) { return name == QLatin1String(outletName); };
    if (field("Feeds_Required_Title"))
        VLXFeed::validateAndInformTitle(text, control);
    else if (field("Feeds_Required_Link"))
        VLXFeed::validateAndInformLink(text, control);
    else if (field("Feeds_Required_PubDate") || field("Items_Required_PubDate")) {
        if (text.isEmpty()) {
            Alert required = alertOf(Alert::Style::Informational, QStringLiteral("REQUIRED FIELD"),
                                     QStringLiteral("The \"PubDate\" is required and should not be "
                                                    "left blank."));
            required.otherButton = QStringLiteral("More Info.");
            if (AlertService::show(required) == AlertService::kOther)
                QMetaObject::invokeMethod(control, "showContextHelp");
            return text;
        }
        return VLXLogic::FixInternetDateTimeAndInform(text, false, QStringLiteral("pubDate"));
    } else if (field("Feeds_Optional_TextInput_Link"))
        VLXFeed::validateAndInformTextInputAttrLink(text, control);
    else if (field("Feeds_Optional_Cloud_Domain"))
        VLXFeed::validateAndInformCloudAttrDomain(text, control);
    else if (field("Feeds_Optional_Cloud_Port"))
        VLXFeed::validateAndInformCloudAttrPort(text, control);
    else if (field("Feeds_Optional_Cloud_Path"))
        VLXFeed::validateAndInformCloudAttrPath(text, control);
    else if (field("Feeds_Optional_Cloud_RegProc"))
        VLXFeed::validateAndInformCloudAttrRegProc(text, control);
    else if (field("Feeds_Optional_Cloud_Protocol"))
        VLXFeed::validateAndInformCloudAttrProtocol(text, control);
    else if (field("Feeds_Optional_Webmaster"))
        VLXFeed::validateAndInformWebMaster(text, control);
    else if (field("Feeds_Optional_Editor"))
        VLXFeed::validateAndInformEditor(text, control);
    else if (field("Feeds_Optional_Copyright"))
        VLXFeed::validateAndInformCopyright(text, control, iTunes);
    else if (field("Feeds_Optional_Docs"))
        VLXFeed::validateAndInformDocs(text, control);
    else if (field("Feeds_Optional_TTL"))
        VLXFeed::validateAndInformTTL(text, control);
    else if (field("Feeds_Advanced_StyleSheet"))
        VLXFeed::validateAndInformStyleSheet(text, control);
    else if (field("Feeds_Advanced_StyleSheetCSS"))
        VLXFeed::validateAndInformStyleSheetCSS(text, control);
    else if (field("Items_Required_Title"))
        VLXItems::validateAndInformTitle(text, control);
    else if (field("Items_Required_Link"))
        VLXItems::validateAndInformLink(text, control);
    else if (field("Items_Optional_GUID_GUID")) {
        auto *perma = outlet<VLXCheckBox>(QStringLiteral("Items_Optional_GUID_Perma"));
        VLXItems::validateAndInformGUID(text, perma && perma->isChecked() ? 1 : 0, control);
    } else if (field("Items_Optional_Source_URL"))
        VLXItems::validateAndInformSourceAttr(text, control);
    else if (field("Items_Optional_Enclosure_URL"))
        VLXItems::validateAndInformEnclosureAttrURL(text, control, iTunes);
    else if (field("Items_Optional_Enclosure_Type")) {
        if (!mimeTypes::sharedIsValidMIMEType(text, iTunes)) {
            Alert warning = alertOf(Alert::Style::Critical, QStringLiteral("Warning"),
                                    QStringLiteral("The Enclosure Type, \"%1\", does not appear to "
                                                   "be a valid MIME type.")
                                        .arg(text));
            warning.alternateButton = QStringLiteral("More Info.");
            if (AlertService::show(warning) == AlertService::kAlternate)
                QMetaObject::invokeMethod(control, "showContextHelp");
        }
    } else if (field("Items_Optional_Enclosure_Length")) {
        if (!text.isEmpty())
            VLXItems::validateAndInformEnclosureAttrLength(text, control);
    } else if (field("Items_Optional_Enclosure_Advanced_Filename"))
        return expandTilde(text);
    else if (field("Items_Optional_Author"))
        VLXItems::validateAndInformAuthor(text, control);
    else if (field("Items_Optional_Comments"))
        VLXItems::validateAndInformComments(text, control);
    else if (field("Image_Required_Title"))
        VLXImage::validateAndInformTitle(text, m_feed ? m_feed->title() : QString(), control);
    else if (field("Image_Required_Link"))
        VLXImage::validateAndInformLink(text, m_feed ? m_feed->link() : QString(), control);
    else if (field("Image_Required_URL"))
        VLXImage::validateAndInformURL(text, control);
    else if (field("Image_Required_Width"))
        VLXImage::validateAndInformWidth(text, control);
    else if (field("Image_Required_Height"))
        VLXImage::validateAndInformHeight(text, control);
    return text;
}

void Vellumcast::endEditingOf(QWidget *control, const QString &startText, const QString &newText)
{
    if (!m_documentWindow || !m_feed || !control)
        return;
    const int row = selectedItemRow();
    const bool itemScoped = isDescendantOfItemTabs(control);
    const VLXItems *item
        = row >= 0 && row < m_feed->countOfItems() ? m_feed->itemAtIndex(row).get() : nullptr;
    const QString feedDate = m_feed->pubDate();
    const QString itemDate = itemScoped && item ? item->pubDate() : QString();
    const int autoState = autoPubDateState();

    if (qobject_cast<VLXTextView *>(control)) {
        registerUndo(textUndoRecord(control->objectName(), startText, newText, row, feedDate,
                                    itemDate, autoState),
                     undoActionNameForText(control->objectName()));
        updateTextMemoryStructure(control, newText, row);
        return;
    }
    if (is(control, kEnclosureFileField)) {
        const QStringList refusal = newLocalEnclosureFile(expandTilde(newText), row);
        if (!refusal.isEmpty()) {
            QApplication::beep();
            AlertService::show(alertOf(Alert::Style::Critical, refusal.value(0), refusal.value(1)));
            editTracker()->setDisplayedText(control, startText);
            if (auto *drop = outlet<VLXImageView>(
                    QStringLiteral("Items_Optional_Enclosure_Advanced_DropTarget"))) {
                const QString shown = expandTilde(startText);
                drop->setImage(!shown.isEmpty() && QFileInfo::exists(shown)
                                   ? QFileIconProvider().icon(QFileInfo(shown)).pixmap(32).toImage()
                                   : QImage());
            }
        }
        return;
    }
    if (!item && itemScoped)
        return; // no item to write into
    if (is(control, kGUIDField)) {
        registerUndo(guidUndoRecord(startText, item ? item->GUIDAttr() : 0, row, feedDate, itemDate,
                                    autoState),
                     QStringLiteral("Item GUID"));
        auto *perma = outlet<VLXCheckBox>(QStringLiteral("Items_Optional_GUID_Perma"));
        updateGUIDStructure(newText, perma && perma->isChecked() ? 1 : 0, row);
        return;
    }
    registerUndo(controlUndoRecord(control->objectName(), startText, newText, row, feedDate,
                                   itemDate, autoState),
                 undoActionNameForControl(control->objectName()));
    updateControlMemoryStructure(control, newText, row);
    if (is(control, "Image_Required_URL"))
        imageURLChanged(newText);
}

void Vellumcast::imageURLChanged(const QString &url)
{
    auto *picture = outlet<VLXImageView>(QStringLiteral("Image_Required_Image"));
    if (!picture || !m_feed || !m_feed->image())
        return;
    if (picture->hasImage()) {
        Alert ask
            = alertOf(Alert::Style::Informational, QStringLiteral("Image URL Changed"),
                      QStringLiteral("Do you wish to try and download an image at %1").arg(url));
        ask.defaultButton = QStringLiteral("Yes");
        ask.alternateButton = QStringLiteral("No");
        if (AlertService::show(ask) != AlertService::kDefault)
            return;
    }
    QWidget *width = outlet(QStringLiteral("Image_Required_Width"));
    QWidget *height = outlet(QStringLiteral("Image_Required_Height"));
    registerUndo(imageUndoRecord(picture->image(), EditTracker::textOf(width),
                                 EditTracker::textOf(height), isImageEdited()),
                 QStringLiteral("New Image"));
    // A new address: the picture is fetched again and its size taken unless one was given.
    updateImage(true);
}

UndoRecord Vellumcast::imageUndoRecord(const QImage &image, const QString &width,
                                       const QString &height, bool imageEdited)
{
    return UndoRecord {[=, this]() -> UndoRecord {
        auto *picture = outlet<VLXImageView>(QStringLiteral("Image_Required_Image"));
        QWidget *widthField = outlet(QStringLiteral("Image_Required_Width"));
        QWidget *heightField = outlet(QStringLiteral("Image_Required_Height"));
        if (!picture || !m_feed || !m_feed->image())
            return {};
        UndoRecord reverse = imageUndoRecord(picture->image(), EditTracker::textOf(widthField),
                                             EditTracker::textOf(heightField), isImageEdited());
        picture->setImage(image);
        editTracker()->setDisplayedText(widthField, width);
        m_feed->image()->setWidth(width);
        editTracker()->setDisplayedText(heightField, height);
        m_feed->image()->setHeight(height);
        setImageEdited(imageEdited);
        return reverse;
    }};
}

void Vellumcast::updateControlMemoryStructure(QWidget *control, const QString &value, int itemIndex)
{
    if (!m_feed || !control)
        return;
    const QString name = control->objectName();
    auto field = [&](const char *outletName) { return name == QLatin1String(outletName); };
    VLXFeed &feed = *m_feed;
    VLXItems *item = itemIndex >= 0 && itemIndex < feed.countOfItems()
        ? feed.itemAtIndex(itemIndex).get()
        : nullptr;
    VLXImage *image = feed.image();
    const bool selected = itemIndex == selectedItemRow();
    auto show = [this](const char *outletName, const QString &text) {
        if (QWidget *widget = outlet(QLatin1String(outletName)))
            editTracker()->setDisplayedText(widget, text);
    };
    auto cloud = [&] {
        show("Feeds_Optional_Cloud",
             VLXLogic::buildCloudString(feed.cloudAttrDomain(), feed.cloudAttrPort(),
                                        feed.cloudAttrPath(), feed.cloudAttrRegProc(),
                                        feed.cloudAttrProtocol()));
        updateFeedAutoPubDate();
    };
    auto textInput = [&] {
        show("Feeds_Optional_TextInput",
             VLXLogic::buildTextInputString(feed.textInputAttrTitle(),
                                            feed.textInputAttrDescription(),
                                            feed.textInputAttrName(), feed.textInputAttrLink()));
        updateFeedAutoPubDate();
    };
    auto enclosure = [&] {
        if (selected)
            show("Items_Optional_Enclosure",
                 VLXLogic::buildEnclosureString(item->enclosureAttrURL(),
                                                item->enclosureAttrLength(),
                                                item->enclosureAttrType()));
        updateAutoPubDateForItem(item);
    };
    auto source = [&] {
        if (selected)
            show("Items_Optional_Source",
                 VLXLogic::buildSourceString(item->source(), item->sourceAttr()));
        updateAutoPubDateForItem(item);
    };

    if (field("Feeds_Required_Title")) {
        feed.setTitle(value);
        updateFeedAutoPubDate();
    } else if (field("Feeds_Required_Link")) {
        feed.setLink(value);
        updateFeedAutoPubDate();
    } else if (field("Feeds_Required_PubDate")) {
        feed.setPubDate(VLXLogic::FixInternetDateTime(value, false, &feed));
        updateFeedPubDateDisplay(feed.pubDate());
        // A date typed by hand ends automatic dating of the feed.
        setAutoPubDateState(0);
    } else if (field("Feeds_Optional_Cloud_Domain")) {
        feed.setCloudAttrDomain(value);
        cloud();
    } else if (field("Feeds_Optional_Cloud_Port")) {
        feed.setCloudAttrPort(value);
        cloud();
    } else if (field("Feeds_Optional_Cloud_Path")) {
        feed.setCloudAttrPath(value);
        cloud();
    } else if (field("Feeds_Optional_Cloud_RegProc")) {
        feed.setCloudAttrRegProc(value);
        cloud();
    } else if (field("Feeds_Optional_Cloud_Protocol")) {
        feed.setCloudAttrProtocol(value);
        cloud();
    } else if (field("Feeds_Optional_TextInput_Title")) {
        feed.setTextInputAttrTitle(value);
        textInput();
    } else if (field("Feeds_Optional_TextInput_Description")) {
        feed.setTextInputAttrDescription(value);
        textInput();
    } else if (field("Feeds_Optional_TextInput_Name")) {
        feed.setTextInputAttrName(value);
        textInput();
    } else if (field("Feeds_Optional_TextInput_Link")) {
        feed.setTextInputAttrLink(value);
        textInput();
    } else if (field("Feeds_Optional_Webmaster")) {
        feed.setWebMaster(value);
        updateFeedAutoPubDate();
    } else if (field("Feeds_Optional_Editor")) {
        feed.setEditor(value);
        updateFeedAutoPubDate();
    } else if (field("Feeds_Optional_Copyright")) {
        feed.setCopyright(value);
        updateFeedAutoPubDate();
    } else if (field("Feeds_Optional_Rating")) {
        feed.setRating(value);
        updateFeedAutoPubDate();
    } else if (field("Feeds_Optional_Docs")) {
        feed.setDocs(value);
        updateFeedAutoPubDate();
    } else if (field("Feeds_Optional_TTL")) {
        feed.setTTL(value);
        updateFeedAutoPubDate();
    } else if (field("Feeds_Advanced_StyleSheet")) {
        feed.setStyleSheet(value);
        updateFeedAutoPubDate();
    } else if (field("Feeds_Advanced_StyleSheetCSS")) {
        feed.setStyleSheetCSS(value);
        updateFeedAutoPubDate();
    } else if (item && field("Items_Required_Title")) {
        item->setTitle(value);
        updateAutoPubDateForItem(item);
        updateFeedAutoPubDate();
        if (auto *items = outlet<VLXTableView>(QStringLiteral("Items_Required_Items")))
            items->reloadRow(itemIndex);
    } else if (item && field("Items_Required_Link")) {
        item->setLink(value);
        updateAutoPubDateForItem(item);
    } else if (item && field("Items_Required_PubDate")) {
        item->setPubDate(VLXLogic::FixInternetDateTime(value, false, item));
        updateItemPubDateDisplay(item->pubDate(), itemIndex);
    } else if (item && field("Items_Optional_Source_Source")) {
        item->setSource(value);
        source();
    } else if (item && field("Items_Optional_Source_URL")) {
        item->setSourceAttr(value);
        source();
    } else if (item && field("Items_Optional_Enclosure_URL")) {
        item->setEnclosureAttrURL(value);
        enclosure();
        updateFeedAutoPubDate();
    } else if (item && field("Items_Optional_Enclosure_Length")) {
        item->setEnclosureAttrLength(value);
        enclosure();
    } else if (item && field("Items_Optional_Enclosure_Type")) {
        item->setEnclosureAttrType(value);
        enclosure();
    } else if (item && field("Items_Optional_Author")) {
        item->setAuthor(value);
        updateAutoPubDateForItem(item);
    } else if (item && field("Items_Optional_Comments")) {
        item->setComments(value);
        updateAutoPubDateForItem(item);
    } else if (image && field("Image_Required_Title")) {
        image->setTitle(value);
        updateFeedAutoPubDate();
    } else if (image && field("Image_Required_Description")) {
        image->setDescriptionElement(value);
        updateFeedAutoPubDate();
    } else if (image && field("Image_Required_Link")) {
        image->setLink(value);
        updateFeedAutoPubDate();
    } else if (image && field("Image_Required_URL")) {
        image->setURL(value);
        updateFeedAutoPubDate();
    } else if (image && field("Image_Required_Width")) {
        image->setWidth(value);
        updateFeedAutoPubDate();
    } else if (image && field("Image_Required_Height")) {
        image->setHeight(value);
        updateFeedAutoPubDate();
    } else {
        qDebug().noquote() << "Editing ended on an unknown text";
    }
}

void Vellumcast::updateTextMemoryStructure(QWidget *view, const QString &value, int itemIndex)
{
    if (!m_feed)
        return;
    if (is(view, "Feeds_Required_Description")) {
        m_feed->setDescriptionElement(value);
        updateFeedAutoPubDate();
    } else if (is(view, "Items_Required_Description") && itemIndex >= 0
               && itemIndex < m_feed->countOfItems()) {
        VLXItems *item = m_feed->itemAtIndex(itemIndex).get();
        item->setDescriptionElement(value);
        updateAutoPubDateForItem(item);
        if (item->title().isEmpty())
            updateFeedAutoPubDate();
    } else {
        qDebug().noquote() << "Editing ended on an unknown text";
    }
}

void Vellumcast::updateGUIDStructure(const QString &guid, int isPerma, int itemIndex)
{
    if (!m_feed || itemIndex < 0 || itemIndex >= m_feed->countOfItems())
        return;
    VLXItems *item = m_feed->itemAtIndex(itemIndex).get();
    updateFeedAutoPubDate();
    updateAutoPubDateForItem(item);
    item->setGUID(guid);
    item->setGUIDAttr(isPerma);
    if (itemIndex == selectedItemRow()) {
        if (QWidget *summary = outlet(QStringLiteral("Items_Optional_GUID")))
            editTracker()->setDisplayedText(
                summary, VLXLogic::buildGUIDString(item->GUID(), item->GUIDAttr()));
    }
    const QString message = item->isGUIDUnique(m_feed.get());
    if (!message.isEmpty())
        AlertService::show(
            alertOf(Alert::Style::Informational, QStringLiteral("GUID Not Unique"), message));
}

QStringList Vellumcast::newLocalEnclosureFile(const QString &path, int itemIndex)
{
    if (!m_feed || itemIndex < 0 || itemIndex >= m_feed->countOfItems())
        return {QStringLiteral("File not found"),
                QStringLiteral("The file \"%1\" could not be found.").arg(path)};
    VLXItems *item = m_feed->itemAtIndex(itemIndex).get();
    UndoRecord record = localEnclosureUndoRecord(
        itemIndex, item->enclosureAttrLength(), item->enclosureAttrType(),
        item->localEnclosureFilePath(), item->lastUploaded());
    const QFileInfo info(
        QFileInfo(path).canonicalFilePath().isEmpty() ? path : QFileInfo(path).canonicalFilePath());
    if (path.isEmpty() || !info.exists())
        return {QStringLiteral("File not found"),
                QStringLiteral("The file \"%1\" could not be found.").arg(path)};
    const QString urlType = mimeTypes::sharedMimeTypeForPath(QUrl(item->enclosureAttrURL()).path());
    const QString fileType = mimeTypes::sharedMimeTypeForPath(path);
    if (!item->enclosureAttrURL().isEmpty() && urlType != fileType) {
        Alert mismatch
            = alertOf(Alert::Style::Informational, QStringLiteral("MIME Mismatch"),
                      QStringLiteral("The MIME type for the URL, \"%1\", does not match the "
                                     "MIME type of the file just selected, \"%2\".  This "
                                     "will cause problems with feed readers.")
                          .arg(urlType, fileType));
        mismatch.defaultButton = QStringLiteral("Cancel");
        mismatch.alternateButton = QStringLiteral("Continue");
        if (AlertService::show(mismatch) == AlertService::kDefault)
            return {QStringLiteral("Canceled"), QStringLiteral("Field change canceled by user")};
    }
    item->setLocalEnclosureFilePath(path);
    item->setEnclosureAttrLength(QString::number(info.size()));
    item->setEnclosureAttrType(fileType);
    QWidget *nameField = outlet(QLatin1String(kEnclosureFileField));
    if (!nameField || EditTracker::textOf(nameField) != path)
        item->setLastUploaded(QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    if (itemIndex == selectedItemRow()) {
        if (QWidget *length = outlet(QStringLiteral("Items_Optional_Enclosure_Length")))
            editTracker()->setDisplayedText(length, item->enclosureAttrLength());
        if (QWidget *type = outlet(QStringLiteral("Items_Optional_Enclosure_Type")))
            editTracker()->setDisplayedText(type, item->enclosureAttrType());
        if (nameField)
            editTracker()->setDisplayedText(nameField, path);
        if (auto *drop
            = outlet<VLXImageView>(QStringLiteral("Items_Optional_Enclosure_Advanced_DropTarget")))
            drop->setImage(QFileIconProvider().icon(info).pixmap(32).toImage());
    }
    registerUndo(std::move(record), QStringLiteral("Select Enclosure File"));
    return {};
}

// --- Matrices, language and the permalink box ---------------------------------------------------

void Vellumcast::feedSkipHoursChanged(int tag)
{
    finalizeChanges();
    auto *matrix = outlet<VLXMatrix>(QStringLiteral("Feeds_Optional_SkipHours_Matrix"));
    if (!m_feed || !matrix)
        return;
    registerUndo(
        buttonUndoRecord(true, tag, matrix->stateOfTag(tag) == 0 ? 1 : 0, m_feed->pubDate()),
        QStringLiteral("Skip Hours"));
    std::array<int, 24> hours {};
    for (int hour = 0; hour < 24; ++hour) {
        hours[hour] = matrix->stateOfTag(hour);
        m_feed->setSkipHours(hour, hours[hour]);
    }
    if (QWidget *summary = outlet(QStringLiteral("Feeds_Optional_SkipHours")))
        editTracker()->setDisplayedText(summary, VLXLogic::buildSkipHoursString(hours));
    updateFeedAutoPubDate();
}

void Vellumcast::feedSkipDaysChanged(int tag)
{
    finalizeChanges();
    auto *matrix = outlet<VLXMatrix>(QStringLiteral("Feeds_Optional_SkipDays_Matrix"));
    if (!m_feed || !matrix)
        return;
    registerUndo(
        buttonUndoRecord(false, tag, matrix->stateOfTag(tag) == 0 ? 1 : 0, m_feed->pubDate()),
        QStringLiteral("Skip Days"));
    std::array<int, 7> days {};
    for (int day = 0; day < 7; ++day) {
        days[day] = matrix->stateOfTag(day);
        m_feed->setSkipDays(day, days[day]);
    }
    if (QWidget *summary = outlet(QStringLiteral("Feeds_Optional_SkipDays")))
        editTracker()->setDisplayedText(summary, VLXLogic::buildSkipDaysString(days));
    updateFeedAutoPubDate();
}

void Vellumcast::feedLanguageChanged()
{
    auto *language = outlet<VLXPopUpButton>(QStringLiteral("Feeds_Optional_Language"));
    if (!m_feed || !language)
        return;
    const QString code = VLXFeedLanguage::sharedCodeForTitle(language->currentText());
    if (code == m_feed->language())
        return;
    registerUndo(languageUndoRecord(m_feed->language(), m_feed->pubDate()),
                 QStringLiteral("Feed Language"));
    m_feed->setLanguage(code);
    updateFeedAutoPubDate();
}

void Vellumcast::itemGUIDIsPermaChanged()
{
    auto *perma = outlet<VLXCheckBox>(QStringLiteral("Items_Optional_GUID_Perma"));
    QWidget *guidField = outlet(QLatin1String(kGUIDField));
    if (!perma || !guidField)
        return;
    finalizeChanges();
    const int row = selectedItemRow();
    if (!m_feed || row < 0 || row >= m_feed->countOfItems())
        return;
    const QString guid = EditTracker::textOf(guidField);
    if (perma->isChecked()
        && VLXLogic::checkURLAndInform(guid,
                                       QStringLiteral("The URL entered in \"GUID\" does not appear "
                                                      "to be valid."),
                                       true)
            == -1) {
        if (QWidget *box = outlet(QStringLiteral("Items_Optional_GUID_Box")))
            QMetaObject::invokeMethod(box, "showContextHelp");
    }
    const VLXItems *item = m_feed->itemAtIndex(row).get();
    registerUndo(guidUndoRecord(item->GUID(), item->GUIDAttr(), row, m_feed->pubDate(),
                                item->pubDate(), autoPubDateState()),
                 QStringLiteral("Item GUID"));
    updateGUIDStructure(guid, perma->isChecked() ? 1 : 0, row);
}

// --- Undo records
// ---------------------------------------------------------------------------------

void Vellumcast::showItemFieldIfSelected(const QString &control, const QString &text, int row)
{
    QWidget *widget = outlet(control);
    if (!widget)
        return;
    if (isDescendantOfItemTabs(widget) && row != selectedItemRow())
        return;
    editTracker()->setDisplayedText(widget, text);
}

UndoRecord Vellumcast::controlUndoRecord(const QString &control, const QString &restore,
                                         const QString &other, int row, const QString &feedDate,
                                         const QString &itemDate, int autoState)
{
    return UndoRecord {[=, this]() -> UndoRecord {
        QWidget *widget = outlet(control);
        if (!m_feed || !widget)
            return {};
        const bool itemScoped = isDescendantOfItemTabs(widget);
        VLXItems *item
            = row >= 0 && row < m_feed->countOfItems() ? m_feed->itemAtIndex(row).get() : nullptr;
        UndoRecord reverse = controlUndoRecord(control, other, restore, row, m_feed->pubDate(),
                                               itemScoped && item ? item->pubDate() : QString(),
                                               autoPubDateState());
        updateControlMemoryStructure(widget, restore, row);
        m_feed->setPubDate(feedDate);
        updateFeedPubDateDisplay(feedDate);
        if (itemScoped && item) {
            item->setPubDate(itemDate);
            updateItemPubDateDisplay(itemDate, row);
        }
        showItemFieldIfSelected(control, restore, row);
        if (control == QLatin1String("Items_Required_Title"))
            reloadItemTable();
        setAutoPubDateState(autoState);
        return reverse;
    }};
}

UndoRecord Vellumcast::textUndoRecord(const QString &view, const QString &restore,
                                      const QString &other, int row, const QString &feedDate,
                                      const QString &itemDate, int autoState)
{
    return UndoRecord {[=, this]() -> UndoRecord {
        QWidget *widget = outlet(view);
        if (!m_feed || !widget)
            return {};
        const bool itemScoped = isDescendantOfItemTabs(widget);
        VLXItems *item
            = row >= 0 && row < m_feed->countOfItems() ? m_feed->itemAtIndex(row).get() : nullptr;
        UndoRecord reverse
            = textUndoRecord(view, other, restore, row, m_feed->pubDate(),
                             itemScoped && item ? item->pubDate() : QString(), autoPubDateState());
        updateTextMemoryStructure(widget, restore, row);
        m_feed->setPubDate(feedDate);
        updateFeedPubDateDisplay(feedDate);
        if (itemScoped && item) {
            item->setPubDate(itemDate);
            updateItemPubDateDisplay(itemDate, row);
        }
        showItemFieldIfSelected(view, restore, row);
        if (view == QLatin1String("Items_Required_Description"))
            reloadItemTable();
        setAutoPubDateState(autoState);
        return reverse;
    }};
}

UndoRecord Vellumcast::guidUndoRecord(const QString &guid, int isPerma, int row,
                                      const QString &feedDate, const QString &itemDate,
                                      int autoState)
{
    return UndoRecord {[=, this]() -> UndoRecord {
        if (!m_feed || row < 0 || row >= m_feed->countOfItems())
            return {};
        VLXItems *item = m_feed->itemAtIndex(row).get();
        UndoRecord reverse = guidUndoRecord(item->GUID(), item->GUIDAttr(), row, m_feed->pubDate(),
                                            item->pubDate(), autoPubDateState());
        updateGUIDStructure(guid, isPerma, row);
        m_feed->setPubDate(feedDate);
        updateFeedPubDateDisplay(feedDate);
        item->setPubDate(itemDate);
        if (row == selectedItemRow()) {
            updateItemPubDateDisplay(itemDate, row);
            showItemFieldIfSelected(QLatin1String(kGUIDField), guid, row);
            if (auto *perma = outlet<VLXCheckBox>(QStringLiteral("Items_Optional_GUID_Perma")))
                perma->setChecked(isPerma != 0);
        }
        setAutoPubDateState(autoState);
        return reverse;
    }};
}

UndoRecord Vellumcast::buttonUndoRecord(bool hours, int tag, int state, const QString &feedDate)
{
    return UndoRecord {[=, this]() -> UndoRecord {
        auto *matrix = outlet<VLXMatrix>(hours ? QStringLiteral("Feeds_Optional_SkipHours_Matrix")
                                               : QStringLiteral("Feeds_Optional_SkipDays_Matrix"));
        if (!m_feed || !matrix)
            return {};
        UndoRecord reverse = buttonUndoRecord(hours, tag, state != 0 ? 0 : 1, m_feed->pubDate());
        matrix->setStateOfTag(tag, state);
        if (hours) {
            std::array<int, 24> flags {};
            for (int hour = 0; hour < 24; ++hour) {
                flags[hour] = matrix->stateOfTag(hour);
                m_feed->setSkipHours(hour, flags[hour]);
            }
            if (QWidget *summary = outlet(QStringLiteral("Feeds_Optional_SkipHours")))
                editTracker()->setDisplayedText(summary, VLXLogic::buildSkipHoursString(flags));
        } else {
            std::array<int, 7> flags {};
            for (int day = 0; day < 7; ++day) {
                flags[day] = matrix->stateOfTag(day);
                m_feed->setSkipDays(day, flags[day]);
            }
            if (QWidget *summary = outlet(QStringLiteral("Feeds_Optional_SkipDays")))
                editTracker()->setDisplayedText(summary, VLXLogic::buildSkipDaysString(flags));
        }
        m_feed->setPubDate(feedDate);
        updateFeedPubDateDisplay(feedDate);
        return reverse;
    }};
}

UndoRecord Vellumcast::languageUndoRecord(const QString &code, const QString &feedDate)
{
    return UndoRecord {[=, this]() -> UndoRecord {
        auto *language = outlet<VLXPopUpButton>(QStringLiteral("Feeds_Optional_Language"));
        if (!m_feed)
            return {};
        UndoRecord reverse = languageUndoRecord(m_feed->language(), m_feed->pubDate());
        m_feed->setLanguage(code);
        if (language) {
            const QString title = VLXFeedLanguage::sharedTitleForCode(code);
            language->setCurrentIndex(title.isEmpty() ? -1 : language->findText(title));
        }
        m_feed->setPubDate(feedDate);
        updateFeedPubDateDisplay(feedDate);
        return reverse;
    }};
}

UndoRecord Vellumcast::localEnclosureUndoRecord(int index, const QString &length,
                                                const QString &type, const QString &path,
                                                const QDateTime &lastUpload)
{
    return UndoRecord {[=, this]() -> UndoRecord {
        if (!m_feed || index < 0 || index >= m_feed->countOfItems())
            return {};
        VLXItems *item = m_feed->itemAtIndex(index).get();
        UndoRecord reverse = localEnclosureUndoRecord(
            index, item->enclosureAttrLength(), item->enclosureAttrType(),
            item->localEnclosureFilePath(), item->lastUploaded());
        if (QWidget *lengthField = outlet(QStringLiteral("Items_Optional_Enclosure_Length")))
            updateControlMemoryStructure(lengthField, length, index);
        if (QWidget *typeField = outlet(QStringLiteral("Items_Optional_Enclosure_Type")))
            updateControlMemoryStructure(typeField, type, index);
        item->setLocalEnclosureFilePath(path);
        item->setLastUploaded(lastUpload);
        if (index == selectedItemRow()) {
            showItemFieldIfSelected(QStringLiteral("Items_Optional_Enclosure_Length"), length,
                                    index);
            showItemFieldIfSelected(QStringLiteral("Items_Optional_Enclosure_Type"), type, index);
            showItemFieldIfSelected(QLatin1String(kEnclosureFileField), path, index);
            if (auto *drop = outlet<VLXImageView>(
                    QStringLiteral("Items_Optional_Enclosure_Advanced_DropTarget")))
                drop->setImage(!path.isEmpty() && QFileInfo::exists(path)
                                   ? QFileIconProvider().icon(QFileInfo(path)).pixmap(32).toImage()
                                   : QImage());
        }
        return reverse;
    }};
}

UndoRecord Vellumcast::itemChangeUndoRecord(int selectedRow)
{
    if (!m_feed)
        return {};
    VLXFeed::ItemList copies;
    for (const auto &item : m_feed->arrayOfItems())
        copies.append(item->copy());
    const QString feedDate = m_feed->pubDate();
    return UndoRecord {[=, this]() -> UndoRecord {
        if (!m_feed)
            return {};
        UndoRecord reverse = itemChangeUndoRecord(selectedItemRow());
        m_feed->removeAllItems();
        for (const auto &item : copies)
            m_feed->addItem(item->copy());
        updateExtensionTabs();
        reloadItemTable();
        if (auto *items = outlet<VLXTableView>(QStringLiteral("Items_Required_Items")))
            items->selectRow(selectedRow);
        populateItem(selectedRow);
        m_feed->setPubDate(feedDate);
        updateFeedPubDateDisplay(feedDate);
        return reverse;
    }};
}

UndoRecord Vellumcast::viewXMLUndoRecord(const QString &xml)
{
    return UndoRecord {[=, this]() -> UndoRecord {
        if (!m_feed)
            return {};
        UndoRecord reverse = viewXMLUndoRecord(m_dataFromFile);
        reparseLoadedFeed(xml);
        return reverse;
    }};
}

// --- Item rows moved by dragging
// ------------------------------------------------------------------

bool Vellumcast::moveItem(int sourceRow, int dropRow)
{
    if (!m_feed)
        return false;
    const int count = m_feed->countOfItems();
    if (sourceRow < 0 || sourceRow >= count || dropRow < 0 || dropRow > count)
        return false;
    // Dropped onto itself (just above or just below its own row): nothing moves, nothing to undo.
    if (dropRow == sourceRow || dropRow == sourceRow + 1)
        return false;
    finalizeChanges();
    registerUndo(itemChangeUndoRecord(sourceRow), QStringLiteral("Item Drag"));
    // The item leaves its row first, so the list never holds it twice.
    const std::shared_ptr<VLXItems> moving = m_feed->itemAtIndex(sourceRow);
    const int shown = dropRow > sourceRow ? dropRow - 1 : dropRow;
    m_feed->removeItemAtIndex(sourceRow);
    m_feed->insertItem(moving, shown);
    reloadItemTable();
    if (auto *items = outlet<VLXTableView>(QStringLiteral("Items_Required_Items")))
        items->selectRow(shown);
    populateItem(shown);
    updateFeedAutoPubDate();
    return true;
}

// --- The item table's drags
// ------------------------------------------------------------------------

namespace {
// A dragged item row: the row and this process, so rows of another running copy are refused.
const QString kItemRowType = QStringLiteral("application/x-vellumcast-item-row");

QByteArray itemRowPayload(int row)
{
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' + QByteArray::number(row);
}

int itemRowFrom(const QMimeData *data)
{
    if (!data || !data->hasFormat(kItemRowType))
        return -1;
    const QList<QByteArray> parts = data->data(kItemRowType).split(':');
    if (parts.size() != 2 || parts[0].toLongLong() != QCoreApplication::applicationPid())
        return -1;
    bool ok = false;
    const int row = parts[1].toInt(&ok);
    return ok ? row : -1;
}
} // namespace

QStringList Vellumcast::tableViewDragTypes(VLXTableView *table)
{
    if (is(table, "Items_Required_Items"))
        return {kItemRowType, QStringLiteral("text/uri-list")};
    return {};
}

bool Vellumcast::tableViewWriteRows(VLXTableView *table, const QList<int> &rows, QMimeData *data)
{
    if (!is(table, "Items_Required_Items") || rows.isEmpty())
        return false;
    // Only the last of the dragged rows is carried.
    data->setData(kItemRowType, itemRowPayload(rows.last()));
    return true;
}

Qt::DropAction Vellumcast::tableViewValidateDrop(VLXTableView *table, const QMimeData *data,
                                                 int row)
{
    if (!is(table, "Items_Required_Items") || !data)
        return Qt::IgnoreAction;
    if (data->hasUrls())
        return Qt::CopyAction;
    if (m_feed && row <= m_feed->countOfItems() && itemRowFrom(data) >= 0)
        return Qt::MoveAction;
    return Qt::IgnoreAction;
}

bool Vellumcast::tableViewAcceptDrop(VLXTableView *table, const QMimeData *data, int row)
{
    if (!is(table, "Items_Required_Items") || !data || !m_feed)
        return false;
    if (data->hasUrls() && !data->urls().isEmpty()) {
        const QUrl first = data->urls().first();
        const QString text = first.isLocalFile() ? first.toLocalFile() : first.toString();
        if (m_documentWindow) {
            m_documentWindow->raise();
            m_documentWindow->activateWindow();
        }
        Alert ask
            = alertOf(Alert::Style::Informational, QStringLiteral("Feed Drag"),
                      QStringLiteral("What do you want to do with the feed \"%1\"").arg(text));
        ask.defaultButton = QStringLiteral("Import into this feed");
        ask.alternateButton = QStringLiteral("Cancel");
        ask.otherButton = QStringLiteral("Open feed");
        const int answer = AlertService::show(ask);
        if (answer == AlertService::kAlternate)
            return false;
        if (answer == AlertService::kOther) {
            auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"));
            m_previousFeedViewed = (list ? list->selectedRow() : -1) + 1;
            QTimer::singleShot(10, this, [this, text] { openFeedAtPath(text); });
        } else if (const auto import
                   = m_handlers.value(QStringLiteral("importFeedItemsFromDrop"))) {
            QTimer::singleShot(10, this, import);
        }
        return true;
    }
    if (row > m_feed->countOfItems())
        return false;
    const int source = itemRowFrom(data);
    if (source < 0)
        return false;
    moveItem(source, row);
    return true;
}
