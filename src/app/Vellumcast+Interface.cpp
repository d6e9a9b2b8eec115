// Model to window: the loaded feed shown in the controls, and the rows of the tables.
#include "app/Vellumcast.h"

#include "app/RawXMLPane.h"

#include "app/Controller.h"
#include "io/CURLHandle.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/VLXFeedLanguage.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "model/extensionNSChannel.h"
#include "model/extensionNSImage.h"
#include "model/extensionNSItem.h"
#include "model/extensionNSName.h"
#include "model/extensionNSStandIn.h"
#include "model/extensionNSRaw.h"
#include "platform/AlertService.h"
#include "platform/StatusSink.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXImageView.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextViewHTML.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <array>
#include <typeinfo>

namespace {
QString categoryText(const categoryElement &category)
{
    QString text = category.categoryString();
    if (!category.categoryDomainString().isEmpty())
        text += QStringLiteral("\ndomain=%1").arg(category.categoryDomainString());
    return text;
}

QString itemRowText(const VLXItems &item, int row)
{
    if (!item.title().isEmpty())
        return VLXLogic::convertCRLFtoSymbols(item.title());
    if (!item.descriptionElement().isEmpty())
        return VLXLogic::convertCRLFtoSymbols(item.descriptionElement());
    return QStringLiteral("Item #%1").arg(row);
}
} // namespace

namespace {
const char *const kExtensionXML = "extensionXML";

// One tab per extension: its elements as they will be written. Field-by-field panes replace
// these as the extensions gain their editors.
QWidget *extensionPane(const QString &name)
{
    auto *pane = new QWidget;
    pane->setObjectName(name);
    auto *layout = new QVBoxLayout(pane);
    auto *note = new QLabel(Vellumcast::tr("The elements of this namespace are kept and written "
                                           "back as they are."));
    note->setWordWrap(true);
    layout->addWidget(note);
    auto *xml = new VLXTextView;
    xml->setObjectName(QLatin1String(kExtensionXML));
    xml->setReadOnly(true);
    xml->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    xml->setFont(fixed);
    layout->addWidget(xml, 1);
    return pane;
}

// An extension without an editor of its own (a namespace without a class, or a known one whose
// class is not there yet) is kept and edited as raw XML.
bool isRawExtension(const extensionNSRaw &extension)
{
    const std::type_info &kind = typeid(extension);
    return kind == typeid(extensionNSChannel) || kind == typeid(extensionNSItem)
        || kind == typeid(extensionNSImage) || kind == typeid(extensionNSRaw)
        || kind == typeid(extensionNSStandIn<extensionNSChannel>)
        || kind == typeid(extensionNSStandIn<extensionNSItem>)
        || kind == typeid(extensionNSStandIn<extensionNSImage>);
}

// Rebuilds the tabs after the first `keep` ones, one per extension of the manager.
void rebuildExtensionTabs(QTabWidget *tabs, const baseExtensionManager *manager, int keep)
{
    while (tabs->count() > keep) {
        QWidget *old = tabs->widget(keep);
        tabs->removeTab(keep);
        old->deleteLater();
    }
    for (int i = 0; manager && i < manager->countOfExtensions(); ++i) {
        const auto extension = manager->extensionAtIndex(i);
        QWidget *pane = extension && isRawExtension(*extension)
            ? new RawXMLPane(extension)
            : extensionPane(manager->extensionNameAtIndex(i));
        pane->setObjectName(manager->extensionNameAtIndex(i));
        tabs->addTab(pane, manager->extensionDisplayNameAtIndex(i));
    }
}

// Shows each extension's elements in the tab of the same position.
void showExtensions(QTabWidget *tabs, const baseExtensionManager *manager, int first)
{
    for (int i = first; i < tabs->count(); ++i) {
        const auto extension = manager && i - first < manager->countOfExtensions()
            ? manager->extensionAtIndex(i - first)
            : nullptr;
        if (auto *raw = qobject_cast<RawXMLPane *>(tabs->widget(i))) {
            // The item tabs show whichever item is shown: the pane follows its extension.
            raw->setExtension(extension);
            continue;
        }
        auto *xml = tabs->widget(i)->findChild<VLXTextView *>(QLatin1String(kExtensionXML));
        if (xml)
            xml->setStringValue(extension ? extension->buildXML(QString()) : QString());
    }
}

// Takes the "Extensions" tab out of a sub-tab view (keeping it), or puts it back at index 2.
void showExtensionsTab(QTabWidget *sub, QPointer<QWidget> &held, bool show)
{
    if (!sub)
        return;
    if (show) {
        if (held) {
            sub->insertTab(qMin(2, sub->count()), held, Vellumcast::tr("Extensions"));
            held = nullptr;
        }
        return;
    }
    if (held)
        return;
    for (int i = 0; i < sub->count(); ++i) {
        if (sub->widget(i)->objectName() == QLatin1String("Extensions")) {
            held = sub->widget(i);
            sub->removeTab(i);
            return;
        }
    }
}
} // namespace

void Vellumcast::setCurrentFeed(std::shared_ptr<VLXFeed> feed)
{
    if (m_feed && m_feed != feed)
        m_feed->deactivate();
    m_feed = std::move(feed);
    updateInterface(true);
}

void Vellumcast::applyEntryToFeed(const QVariantMap &entry)
{
    if (!m_feed)
        return;
    m_feed->setEnclosureLocalFileInfo(
        entry.value(QStringLiteral("LocalEnclosureFileInfo")).toMap());
    if (m_feed->countOfItems() > 0)
        populateItem(0);
    const QVariant published = entry.value(QStringLiteral("LastPublished"));
    if (published.canConvert<QDateTime>() && published.toDateTime().isValid())
        m_feed->setLastUploaded(published.toDateTime());
    const QVariant imagePublished = entry.value(QStringLiteral("ImageLastPublished"));
    if (imagePublished.canConvert<QDateTime>() && imagePublished.toDateTime().isValid())
        m_feed->image()->setLastUploaded(imagePublished.toDateTime());
}

void Vellumcast::setFieldText(const QString &name, const QString &text)
{
    if (auto *field = outlet<QLineEdit>(name))
        field->setText(text);
    else if (auto *view = outlet<VLXTextView>(name))
        view->setStringValue(text);
}

void Vellumcast::updateInterface(bool reloadImage)
{
    if (!m_documentWindow)
        return;
    const VLXFeed empty;
    const VLXFeed &feed = m_feed ? *m_feed : empty;

    setFieldText(QStringLiteral("Feeds_Required_Title"), feed.title());
    setFieldText(QStringLiteral("Feeds_Required_Description"), feed.descriptionElement());
    setFieldText(QStringLiteral("Feeds_Required_Link"), feed.link());
    setFieldText(QStringLiteral("Feeds_Required_PubDate"), feed.pubDate());
    if (auto *autoDate = outlet<VLXCheckBox>(QStringLiteral("Feeds_Required_AutoPubDate")))
        autoDate->setChecked(feed.autoPubDate() != 0);

    auto *days = outlet<VLXMatrix>(QStringLiteral("Feeds_Optional_SkipDays_Matrix"));
    std::array<int, 7> dayFlags {};
    for (int day = 0; day < 7; ++day) {
        days->setStateOfTag(day, feed.skipDays(day));
        dayFlags[day] = days->stateOfTag(day);
    }
    setFieldText(QStringLiteral("Feeds_Optional_SkipDays"),
                 VLXLogic::buildSkipDaysString(dayFlags));
    auto *hours = outlet<VLXMatrix>(QStringLiteral("Feeds_Optional_SkipHours_Matrix"));
    std::array<int, 24> hourFlags {};
    for (int hour = 0; hour < 24; ++hour) {
        hours->setStateOfTag(hour, feed.skipHours(hour));
        hourFlags[hour] = hours->stateOfTag(hour);
    }
    setFieldText(QStringLiteral("Feeds_Optional_SkipHours"),
                 VLXLogic::buildSkipHoursString(hourFlags));

    if (auto *language = outlet<VLXPopUpButton>(QStringLiteral("Feeds_Optional_Language"))) {
        const QString title = VLXFeedLanguage::sharedTitleForCode(feed.language());
        language->setCurrentIndex(title.isEmpty() ? -1 : language->findText(title));
    }
    setFieldText(QStringLiteral("Feeds_Optional_Cloud_Domain"), feed.cloudAttrDomain());
    setFieldText(QStringLiteral("Feeds_Optional_Cloud_Port"), feed.cloudAttrPort());
    setFieldText(QStringLiteral("Feeds_Optional_Cloud_Path"), feed.cloudAttrPath());
    setFieldText(QStringLiteral("Feeds_Optional_Cloud_RegProc"), feed.cloudAttrRegProc());
    setFieldText(QStringLiteral("Feeds_Optional_Cloud_Protocol"), feed.cloudAttrProtocol());
    setFieldText(QStringLiteral("Feeds_Optional_Cloud"),
                 VLXLogic::buildCloudString(feed.cloudAttrDomain(), feed.cloudAttrPort(),
                                            feed.cloudAttrPath(), feed.cloudAttrRegProc(),
                                            feed.cloudAttrProtocol()));
    setFieldText(QStringLiteral("Feeds_Optional_TextInput_Title"), feed.textInputAttrTitle());
    setFieldText(QStringLiteral("Feeds_Optional_TextInput_Description"),
                 feed.textInputAttrDescription());
    setFieldText(QStringLiteral("Feeds_Optional_TextInput_Name"), feed.textInputAttrName());
    setFieldText(QStringLiteral("Feeds_Optional_TextInput_Link"), feed.textInputAttrLink());
    setFieldText(
        QStringLiteral("Feeds_Optional_TextInput"),
        VLXLogic::buildTextInputString(feed.textInputAttrTitle(), feed.textInputAttrDescription(),
                                       feed.textInputAttrName(), feed.textInputAttrLink()));
    setFieldText(QStringLiteral("Feeds_Optional_Webmaster"), feed.webMaster());
    setFieldText(QStringLiteral("Feeds_Optional_Editor"), feed.editor());
    setFieldText(QStringLiteral("Feeds_Optional_Copyright"), feed.copyright());
    setFieldText(QStringLiteral("Feeds_Optional_Rating"), feed.rating());
    setFieldText(QStringLiteral("Feeds_Optional_Docs"), feed.docs());
    setFieldText(QStringLiteral("Feeds_Optional_TTL"), feed.TTL());
    setFieldText(QStringLiteral("Feeds_Advanced_StyleSheet"), feed.styleSheet());
    setFieldText(QStringLiteral("Feeds_Advanced_StyleSheetCSS"), feed.styleSheetCSS());
    outlet<VLXTableView>(QStringLiteral("Feeds_Optional_Category"))->reloadData();

    const VLXImage *image = feed.image();
    setFieldText(QStringLiteral("Image_Required_Title"), image ? image->title() : QString());
    setFieldText(QStringLiteral("Image_Required_Description"),
                 image ? image->descriptionElement() : QString());
    setFieldText(QStringLiteral("Image_Required_Link"), image ? image->link() : QString());
    setFieldText(QStringLiteral("Image_Required_URL"), image ? image->URL() : QString());
    updateImage(reloadImage);

    updateExtensionTabs();
    outlet<VLXTableView>(QStringLiteral("Feeds_Advanced_Comments"))->reloadData();
    outlet<VLXTableView>(QStringLiteral("Image_Advanced_Comments"))->reloadData();
    auto *items = outlet<VLXTableView>(QStringLiteral("Items_Required_Items"));
    items->reloadData();
    items->selectRow(0);
    populateItem(0);
    validateCommands();
}

void Vellumcast::updateImage(bool reloadImage)
{
    auto *picture = outlet<VLXImageView>(QStringLiteral("Image_Required_Image"));
    VLXImage *image = m_feed ? m_feed->image() : nullptr;
    if (!image || image->URL().isEmpty()) {
        picture->setImage({});
    } else if (!reloadImage && m_imageEdited && image->URL() == image->oldURL()) {
        // An edited picture would be lost: keep it.
    } else {
        auto handle = CURLHandle::create(QUrl(image->URL()), false);
        handle->setUserAgent(Controller::signature());
        handle->setFollowsRedirects(true);
        handle->setFailsOnError(true);
        const std::optional<QByteArray> data = handle->loadInForeground();
        QImage fetched;
        if (data)
            fetched.loadFromData(*data);
        if (!fetched.isNull()) {
            picture->setImage(fetched);
        } else {
            Alert failure;
            failure.style = Alert::Style::Informational;
            failure.title = QStringLiteral("Connection Failure");
            const QString reason = handle->curlError().isEmpty() ? tr("the data is not a picture")
                                                                 : handle->curlError();
            failure.message
                = QStringLiteral("When trying to fetch the image %1 the following error "
                                 "\"%2\" was encountered")
                      .arg(image->URL(), reason);
            AlertService::show(failure);
        }
    }
    setFieldText(QStringLiteral("Image_Required_Width"), image ? image->width() : QString());
    setFieldText(QStringLiteral("Image_Required_Height"), image ? image->height() : QString());
    if (!image || !picture->hasImage())
        return;
    const QSize size = picture->image().size();
    const QString width = image->width();
    const QString height = image->height();
    if (width.isEmpty() && height.isEmpty()) {
        image->setWidth(QString::number(size.width()));
        image->setHeight(QString::number(size.height()));
    } else if (width.isEmpty()) {
        const double given = height.toDouble();
        image->setWidth(QString::number(height.toInt() == size.height()
                                            ? size.width()
                                            : int(size.width() * (given / size.height()))));
    } else if (height.isEmpty()) {
        const double given = width.toDouble();
        image->setHeight(QString::number(width.toInt() == size.width()
                                             ? size.height()
                                             : int(size.height() * (given / size.width()))));
    }
    setFieldText(QStringLiteral("Image_Required_Width"), image->width());
    setFieldText(QStringLiteral("Image_Required_Height"), image->height());
}

void Vellumcast::populateItem(int index)
{
    if (!m_documentWindow)
        return;
    const bool present = m_feed && index >= 0 && index < m_feed->countOfItems();
    m_shownItem = present ? index : -1;
    const VLXItems blank;
    const VLXItems &item = present ? *m_feed->itemAtIndex(index) : blank;
    setFieldText(QStringLiteral("Items_Required_Title"), item.title());
    setFieldText(QStringLiteral("Items_Required_Link"), item.link());
    setFieldText(QStringLiteral("Items_Required_PubDate"), item.pubDate());
    setFieldText(QStringLiteral("Items_Required_Description"), item.descriptionElement());
    setFieldText(QStringLiteral("Items_Optional_GUID_GUID"), item.GUID());
    if (auto *guid = outlet<VLXTextField>(QStringLiteral("Items_Optional_GUID_GUID"))) {
        std::weak_ptr<VLXItems> source = present ? m_feed->itemAtIndex(index) : nullptr;
        guid->setCopySource(
            [source] {
                const auto shown = source.lock();
                return shown ? shown->link() : QString();
            },
            QStringLiteral("Link"));
    }
    outlet<VLXCheckBox>(QStringLiteral("Items_Optional_GUID_Perma"))
        ->setChecked(item.GUIDAttr() != 0);
    setFieldText(QStringLiteral("Items_Optional_GUID"),
                 VLXLogic::buildGUIDString(item.GUID(), item.GUIDAttr()));
    setFieldText(QStringLiteral("Items_Optional_Source_Source"), item.source());
    setFieldText(QStringLiteral("Items_Optional_Source_URL"), item.sourceAttr());
    setFieldText(QStringLiteral("Items_Optional_Source"),
                 VLXLogic::buildSourceString(item.source(), item.sourceAttr()));
    setFieldText(QStringLiteral("Items_Optional_Enclosure_URL"), item.enclosureAttrURL());
    setFieldText(QStringLiteral("Items_Optional_Enclosure_Length"), item.enclosureAttrLength());
    setFieldText(QStringLiteral("Items_Optional_Enclosure_Type"), item.enclosureAttrType());
    setFieldText(QStringLiteral("Items_Optional_Enclosure"),
                 VLXLogic::buildEnclosureString(item.enclosureAttrURL(), item.enclosureAttrLength(),
                                                item.enclosureAttrType()));
    setFieldText(QStringLiteral("Items_Optional_Enclosure_Advanced_Filename"),
                 item.localEnclosureFilePath());
    if (auto *drop
        = outlet<VLXImageView>(QStringLiteral("Items_Optional_Enclosure_Advanced_DropTarget"))) {
        const QString path = item.localEnclosureFilePath();
        drop->setImage(path.isEmpty()
                           ? QImage()
                           : QFileIconProvider().icon(QFileInfo(path)).pixmap(32).toImage());
    }
    setFieldText(QStringLiteral("Items_Optional_Author"), item.author());
    setFieldText(QStringLiteral("Items_Optional_Comments"), item.comments());
    outlet<VLXTableView>(QStringLiteral("Items_Optional_Category"))->reloadData();
    outlet<VLXTableView>(QStringLiteral("Items_Advanced_Comments"))->reloadData();
    if (!m_itemsExtensionsTab)
        showExtensions(outlet<QTabWidget>(QStringLiteral("tabsFeeds_ItemsExtensions")),
                       present ? item.XMLExtensions() : nullptr, 0);
}

void Vellumcast::updateExtensionTabs()
{
    if (m_feed)
        m_feed->deactivate();
    const extensionManagerChannel *channel = m_feed ? m_feed->XMLExtensions() : nullptr;
    auto *channelTabs = outlet<QTabWidget>(QStringLiteral("tabsFeeds_FeedsExtensions"));
    rebuildExtensionTabs(channelTabs, channel, 1);
    showExtensions(channelTabs, channel, 1);

    // Items and image show their "Extensions" tab only while they have an extension; the
    // items' tabs are those of item 0 and show whichever item is shown.
    const baseExtensionManager *items
        = m_feed && m_feed->countOfItems() > 0 ? m_feed->itemAtIndex(0)->XMLExtensions() : nullptr;
    const bool itemsHave = items && items->countOfExtensions() > 0;
    if (!m_feed || m_feed->countOfItems() > 0) {
        showExtensionsTab(outlet<QTabWidget>(QStringLiteral("tabsFeeds_ItemsSub")),
                          m_itemsExtensionsTab, itemsHave);
        rebuildExtensionTabs(outlet<QTabWidget>(QStringLiteral("tabsFeeds_ItemsExtensions")),
                             itemsHave ? items : nullptr, 0);
    }
    const baseExtensionManager *image
        = m_feed && m_feed->image() ? m_feed->image()->XMLExtensions() : nullptr;
    const bool imageHas = image && image->countOfExtensions() > 0;
    showExtensionsTab(outlet<QTabWidget>(QStringLiteral("tabsFeeds_ImagesSub")),
                      m_imageExtensionsTab, imageHas);
    auto *imageTabs = outlet<QTabWidget>(QStringLiteral("tabsFeeds_ImagesExtensions"));
    rebuildExtensionTabs(imageTabs, imageHas ? image : nullptr, 0);
    showExtensions(imageTabs, image, 0);

    if (auto *namespaces = outlet<VLXTableView>(QStringLiteral("Feeds_Extensions_List")))
        namespaces->reloadData();
}

const VLXItems *Vellumcast::selectedItem() const
{
    // The item in the item fields: the selected row, set before the selection settles.
    const int row = m_shownItem;
    if (!m_feed || row < 0 || row >= m_feed->countOfItems())
        return nullptr;
    return m_feed->itemAtIndex(row).get();
}

int Vellumcast::numberOfRowsInTableView(VLXTableView *table)
{
    const QString name = table->objectName();
    int rows = 0;
    if (name == QLatin1String("Feeds_Extensions_List"))
        return int(
            VLXPreferences::objectForKey(QStringLiteral("General_XMLNamespaces")).toList().size());
    if (name == QLatin1String("Items_Required_Items"))
        return m_feed ? m_feed->countOfItems() : 0;
    const VLXItems *item = selectedItem();
    QString buttons;
    if (name == QLatin1String("Feeds_Optional_Category")) {
        rows = m_feed ? int(m_feed->category().size()) : 0;
        buttons = QStringLiteral("Feeds_Optional_%1Category");
    } else if (name == QLatin1String("Feeds_Advanced_Comments")) {
        rows = m_feed ? int(m_feed->XMLComments().size()) : 0;
        buttons = QStringLiteral("Feeds_Advanced_%1Comments");
    } else if (name == QLatin1String("Image_Advanced_Comments")) {
        rows = m_feed && m_feed->image() ? int(m_feed->image()->XMLComments().size()) : 0;
        buttons = QStringLiteral("Image_Advanced_%1Comments");
    } else if (name == QLatin1String("Items_Optional_Category")) {
        rows = item ? int(item->category().size()) : 0;
        buttons = item ? QStringLiteral("Items_Optional_%1Category") : QString();
    } else if (name == QLatin1String("Items_Advanced_Comments")) {
        rows = item ? int(item->XMLComments().size()) : 0;
        buttons = item ? QStringLiteral("Items_Advanced_%1Comments") : QString();
    }
    // Delete and Edit need a row to act on.
    if (!buttons.isEmpty()) {
        for (const char *kind : {"Del", "Edit"}) {
            if (QWidget *button = outlet(buttons.arg(QLatin1String(kind))))
                button->setEnabled(rows > 0);
        }
    }
    return rows;
}

QVariant Vellumcast::tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                          int role)
{
    const QString name = table->objectName();
    if (name == QLatin1String("Feeds_Extensions_List")) {
        const QString description
            = VLXPreferences::objectForKey(QStringLiteral("General_XMLNamespaces"))
                  .toList()
                  .value(row)
                  .toString();
        if (column == QLatin1String("extensionUsed")) {
            if (role != Qt::CheckStateRole)
                return {};
            const QString prefix = extensionNSName::extensionNameFromDescription(description);
            const extensionManagerChannel *manager = m_feed ? m_feed->XMLExtensions() : nullptr;
            bool used = false;
            for (int i = 0; manager && i < manager->countOfExtensions() && !used; ++i)
                used = manager->extensionNameAtIndex(i) == prefix;
            return used ? Qt::Checked : Qt::Unchecked;
        }
        if (role == Qt::FontRole) {
            QFont font;
            font.setBold(extensionNSName::wellSupportedFromDescription(description));
            return font;
        }
        return role == Qt::DisplayRole
            ? QVariant(extensionNSName::displayDescriptionFromDescription(description))
            : QVariant();
    }
    if (role != Qt::DisplayRole || !m_feed)
        return {};
    const VLXItems *item = selectedItem();
    if (name == QLatin1String("Items_Required_Items"))
        return row < m_feed->countOfItems() ? itemRowText(*m_feed->itemAtIndex(row), row)
                                            : QString();
    if (name == QLatin1String("Feeds_Optional_Category"))
        return categoryText(m_feed->category().value(row));
    if (name == QLatin1String("Items_Optional_Category"))
        return item ? categoryText(item->category().value(row)) : QString();
    if (name == QLatin1String("Feeds_Advanced_Comments"))
        return VLXLogic::convertCRLFtoSymbols(m_feed->XMLComments().value(row));
    if (name == QLatin1String("Items_Advanced_Comments"))
        return item ? VLXLogic::convertCRLFtoSymbols(item->XMLComments().value(row)) : QString();
    if (name == QLatin1String("Image_Advanced_Comments"))
        return m_feed->image()
            ? VLXLogic::convertCRLFtoSymbols(m_feed->image()->XMLComments().value(row))
            : QString();
    return {};
}
