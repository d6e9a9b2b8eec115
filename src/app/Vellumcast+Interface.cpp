// Model to window: the loaded feed shown in the controls, and the tables' rows.
#include "app/Vellumcast.h"

#include "model/extensionNSName.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXImageView.h"
#include "ui/VLXTableView.h"

#include <QFile>
#include <QFont>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QUrl>

namespace {
QString readText(const QString &feedURL)
{
    const QUrl url
        = feedURL.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(feedURL) : QUrl(feedURL);
    if (!url.isLocalFile())
        return {};
    QFile file(url.toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}
} // namespace

void Vellumcast::populateFeedFromURL(const QString &url)
{
    m_dataFromFile = readText(url);
    // Reading the text into a feed is the reader's; until it is there the editor stays empty.
    setCurrentFeed(nullptr);
}

void Vellumcast::setCurrentFeed(std::shared_ptr<VLXFeed> feed)
{
    m_feed = std::move(feed);
    updateInterface(true);
}

void Vellumcast::applyEntryToFeed(const QVariantMap &) { }

void Vellumcast::updateInterface(bool)
{
    if (!m_documentWindow)
        return;
    // No feed loaded: every field is empty.
    for (QLineEdit *field : m_documentWindow->findChildren<QLineEdit *>()) {
        const QString name = field->objectName();
        if (name.startsWith(QLatin1String("Feeds_")) || name.startsWith(QLatin1String("Items_"))
            || name.startsWith(QLatin1String("Image_Required_")))
            field->clear();
    }
    for (QPlainTextEdit *view : m_documentWindow->findChildren<QPlainTextEdit *>())
        view->clear();
    if (auto *picture = outlet<VLXImageView>(QStringLiteral("Image_Required_Image")))
        picture->setImage({});
    updateExtensionTabs();
    for (VLXTableView *table : m_documentWindow->findChildren<VLXTableView *>())
        table->reloadData();
    populateItem(0);
}

void Vellumcast::populateItem(int) { }

void Vellumcast::updateExtensionTabs()
{
    // Items and image show their "Extensions" tab only while they have an extension.
    auto hold = [](QTabWidget *sub, QPointer<QWidget> &held) {
        if (!sub || held)
            return;
        for (int i = 0; i < sub->count(); ++i) {
            if (sub->widget(i)->objectName() == QLatin1String("Extensions")) {
                held = sub->widget(i);
                sub->removeTab(i);
                return;
            }
        }
    };
    hold(outlet<QTabWidget>(QStringLiteral("tabsFeeds_ItemsSub")), m_itemsExtensionsTab);
    hold(outlet<QTabWidget>(QStringLiteral("tabsFeeds_ImagesSub")), m_imageExtensionsTab);
    if (auto *namespaces = outlet<VLXTableView>(QStringLiteral("Feeds_Extensions_List")))
        namespaces->reloadData();
}

int Vellumcast::numberOfRowsInTableView(VLXTableView *table)
{
    if (table->objectName() == QLatin1String("Feeds_Extensions_List"))
        return int(
            VLXPreferences::objectForKey(QStringLiteral("General_XMLNamespaces")).toList().size());
    return 0;
}

QVariant Vellumcast::tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                          int role)
{
    if (table->objectName() == QLatin1String("Feeds_Extensions_List")) {
        const QString description
            = VLXPreferences::objectForKey(QStringLiteral("General_XMLNamespaces"))
                  .toList()
                  .value(row)
                  .toString();
        if (column == QLatin1String("extensionUsed"))
            return role == Qt::CheckStateRole ? QVariant(Qt::Unchecked) : QVariant();
        if (role == Qt::FontRole) {
            QFont font;
            font.setBold(extensionNSName::wellSupportedFromDescription(description));
            return font;
        }
        return role == Qt::DisplayRole
            ? QVariant(extensionNSName::displayDescriptionFromDescription(description))
            : QVariant();
    }
    return {};
}
