// The page handlers. Each acts on the tag of the button pressed: Cancel, Back and Help as every
// page has them; Next checks the page's value with the model's own check (which explains a
// refusal), stores it only when it passed and moves on; nothing is stored on Back.
#include "wizard/FeedWizard.h"

#include "extensions/itunes/iTunesChannel.h"
#include "extensions/itunes/iTunesItem.h"
#include "model/VLXFeedLanguage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "model/knownNamespaces.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"
#include "ui/VLXTextViewHTML.h"

namespace {
const QString kPrevPage = QStringLiteral("prevPage");
const QString kNextPage = QStringLiteral("nextPage");

QString textOf(QWidget *control)
{
    if (auto *field = qobject_cast<VLXTextField *>(control))
        return field->text();
    if (auto *view = qobject_cast<VLXTextView *>(control))
        return view->stringValue();
    return QString();
}

void setTextOf(QWidget *control, const QString &text)
{
    if (auto *field = qobject_cast<VLXTextField *>(control))
        field->setText(text);
    else if (auto *view = qobject_cast<VLXTextView *>(control))
        view->setStringValue(text);
}

std::shared_ptr<iTunesChannel> channelITunes(const VLXFeed &feed)
{
    return std::dynamic_pointer_cast<iTunesChannel>(feed.XMLExtensions()->iTunesExtension());
}

std::shared_ptr<iTunesItem> itemITunes(const VLXItems &item)
{
    return std::dynamic_pointer_cast<iTunesItem>(item.XMLExtensions()->iTunesExtension());
}

// The item's iTunes extension, given from the all-feeds defaults when it has none, so that an
// iTunes page never stores into nothing.
std::shared_ptr<iTunesItem> itemITunesMade(VLXItems &item)
{
    if (!item.XMLExtensions()->iTunesExtensionUsed()) {
        item.XMLExtensions()->createExtensionWithNamespace(
            QStringLiteral("itunes"), knownNamespaces::uri(KnownNamespace::iTunes));
        item.XMLExtensions()->populateExtension(QStringLiteral("itunes"), QString());
    }
    return itemITunes(item);
}
} // namespace

bool FeedWizard::feedTitleEmpty() const
{
    return m_feedTitle->text().isEmpty();
}

bool FeedWizard::standardButton(int tag, QWidget *helpControl)
{
    switch (tag) {
    case WizardEngine::kCancel:
        m_engine.cancel(feedTitleEmpty());
        return true;
    case WizardEngine::kBack:
        m_engine.go(kPrevPage);
        return true;
    case WizardEngine::kHelp:
        if (const auto *anchored = dynamic_cast<const VLXHelpAnchored *>(helpControl))
            VLXHelpAnchored::helpForField(anchored->helpAnchor());
        return true;
    }
    return false;
}

// --- The feed's pages -----------------------------------------------------------------------

void FeedWizard::Intro_1(int tag)
{
    if (tag == WizardEngine::kCancel)
        m_engine.cancel(feedTitleEmpty());
    else if (tag == WizardEngine::kNext)
        m_engine.go(kNextPage);
}

void FeedWizard::Feed_type(int tag)
{
    if (standardButton(tag, m_chooseFeedType) || tag != WizardEngine::kNext)
        return;
    const int row = m_chooseFeedType->selectedTag();
    if (row >= WizardEngine::kBasic && row <= WizardEngine::kPodcast) {
        m_engine.chooseFeedKind(WizardEngine::FeedKind(row));
        if (row == WizardEngine::kPodcast)
            showFeedITunesValues();
    }
    // The table just chosen says where its feed pages start.
    m_engine.selectPage(m_engine.target(QStringLiteral("Feed_type"), kNextPage));
}

void FeedWizard::showFeedITunesValues()
{
    const auto channel = channelITunes(*m_engine.feed());
    if (!channel)
        return;
    m_feediTunesSubtitle->setText(channel->subtitle());
    m_feediTunesSummary->setStringValue(channel->summary());
    m_categories = channel->category();
    m_feediTunesCategoryTable->reloadData();
    m_feediTunesKeywords->setText(channel->keywords());
    m_feediTunesAuthor->setText(channel->author());
    m_feediTunesOwnerName->setText(channel->ownerName());
    m_feediTunesOwnerEmail->setText(channel->ownerEmail());
    m_feediTunesImage->setText(channel->image());
}

void FeedWizard::Feed_title(int tag)
{
    if (standardButton(tag, m_feedTitle) || tag != WizardEngine::kNext)
        return;
    const QString value = m_feedTitle->text();
    if (!VLXFeed::validateAndInformTitle(value, m_feedTitle))
        return;
    m_engine.feed()->setTitle(value);
    m_engine.go(kNextPage);
}

void FeedWizard::Feed_description(int tag)
{
    if (standardButton(tag, m_feedDescription) || tag != WizardEngine::kNext)
        return;
    const QString value = m_feedDescription->stringValue();
    if (!VLXFeed::validateAndInformDescriptionElement(value, m_feedDescription))
        return;
    m_engine.feed()->setDescriptionElement(value);
    m_engine.go(kNextPage);
}

void FeedWizard::Feed_link(int tag)
{
    if (standardButton(tag, m_feedLink) || tag != WizardEngine::kNext)
        return;
    const QString value = m_feedLink->text();
    if (!VLXFeed::validateAndInformLink(value, m_feedLink))
        return;
    m_engine.feed()->setLink(value);
    m_engine.go(kNextPage);
}

void FeedWizard::Feed_copyright(int tag)
{
    if (standardButton(tag, m_feedCopyright) || tag != WizardEngine::kNext)
        return;
    const QString value = m_feedCopyright->text();
    if (!VLXFeed::validateAndInformCopyright(value, m_feedCopyright, m_engine.feedUsesITunes()))
        return;
    m_engine.feed()->setCopyright(value);
    m_engine.go(kNextPage);
}

void FeedWizard::Feed_language(int tag)
{
    if (standardButton(tag, m_feedLanguage) || tag != WizardEngine::kNext)
        return;
    const QString title = m_feedLanguage->currentText();
    if (!VLXFeed::validateAndInformLanguage(title, m_feedLanguage, m_engine.feedUsesITunes()))
        return;
    m_engine.feed()->setLanguage(VLXFeedLanguage::sharedCodeForTitle(title));
    m_engine.go(kNextPage);
}

// The podcast's text pages: the check sees the text without markup, and the field then shows
// what is stored.
namespace {
template<typename Check, typename Store>
bool checkStripped(QWidget *control, Check &&check, Store &&store)
{
    const QString stripped = VLXLogic::stripHTML(textOf(control));
    if (!check(stripped, control))
        return false;
    setTextOf(control, stripped);
    store(textOf(control));
    return true;
}
} // namespace

void FeedWizard::Feed_iTunes_subtitle(int tag)
{
    if (tag == WizardEngine::kCopy) {
        m_feediTunesSubtitle->setText(VLXLogic::stripHTML(m_engine.feed()->title()));
        return;
    }
    if (standardButton(tag, m_feediTunesSubtitle) || tag != WizardEngine::kNext)
        return;
    const auto channel = channelITunes(*m_engine.feed());
    if (channel
        && checkStripped(m_feediTunesSubtitle, &iTunesChannel::validateAndInformSubtitle,
                         [&](const QString &v) { channel->setSubtitle(v); }))
        m_engine.go(kNextPage);
}

void FeedWizard::Feed_iTunes_summary(int tag)
{
    if (tag == WizardEngine::kCopy) {
        m_feediTunesSummary->setStringValue(
            VLXLogic::stripHTML(m_engine.feed()->descriptionElement()));
        return;
    }
    if (standardButton(tag, m_feediTunesSummary) || tag != WizardEngine::kNext)
        return;
    const auto channel = channelITunes(*m_engine.feed());
    if (channel
        && checkStripped(m_feediTunesSummary, &iTunesChannel::validateAndInformSummary,
                         [&](const QString &v) { channel->setSummary(v); }))
        m_engine.go(kNextPage);
}

void FeedWizard::Feed_iTunes_category(int tag)
{
    if (standardButton(tag, m_feediTunesCategoryTable) || tag != WizardEngine::kNext)
        return;
    const auto channel = channelITunes(*m_engine.feed());
    if (!channel
        || !iTunesChannel::validateAndInformCategory(m_categories, m_feediTunesCategoryTable))
        return;
    channel->setCategory(m_categories);
    m_engine.go(kNextPage);
}

void FeedWizard::Feed_iTunes_keywords(int tag)
{
    if (standardButton(tag, m_feediTunesKeywords) || tag != WizardEngine::kNext)
        return;
    const auto channel = channelITunes(*m_engine.feed());
    if (channel
        && checkStripped(m_feediTunesKeywords, &iTunesChannel::validateAndInformKeywords,
                         [&](const QString &v) { channel->setKeywords(v); }))
        m_engine.go(kNextPage);
}

void FeedWizard::Feed_iTunes_author(int tag)
{
    if (standardButton(tag, m_feediTunesAuthor) || tag != WizardEngine::kNext)
        return;
    const auto channel = channelITunes(*m_engine.feed());
    if (channel
        && checkStripped(m_feediTunesAuthor, &iTunesChannel::validateAndInformAuthor,
                         [&](const QString &v) { channel->setAuthor(v); }))
        m_engine.go(kNextPage);
}

void FeedWizard::Feed_iTunes_owner(int tag)
{
    if (standardButton(tag, m_feediTunesOwnerEmail) || tag != WizardEngine::kNext)
        return;
    const auto channel = channelITunes(*m_engine.feed());
    if (!channel)
        return;
    const QString name = VLXLogic::stripHTML(m_feediTunesOwnerName->text());
    // The address is looked at only once the name passed: one alert at a time.
    if (!iTunesChannel::validateAndInformOwnerName(name, m_feediTunesOwnerName))
        return;
    const QString email = VLXLogic::stripHTML(m_feediTunesOwnerEmail->text());
    if (!iTunesChannel::validateAndInformOwnerEmail(email, m_feediTunesOwnerEmail))
        return;
    m_feediTunesOwnerName->setText(name);
    channel->setOwnerName(m_feediTunesOwnerName->text());
    m_feediTunesOwnerEmail->setText(email);
    channel->setOwnerEmail(m_feediTunesOwnerEmail->text());
    m_engine.go(kNextPage);
}

void FeedWizard::Feed_iTunes_image(int tag)
{
    if (standardButton(tag, m_feediTunesImage) || tag != WizardEngine::kNext)
        return;
    const auto channel = channelITunes(*m_engine.feed());
    if (channel
        && checkStripped(m_feediTunesImage, &iTunesChannel::validateAndInformImage,
                         [&](const QString &v) { channel->setImage(v); }))
        m_engine.go(kNextPage);
}

// --- The items' pages -----------------------------------------------------------------------

void FeedWizard::showItem(bool iTunes)
{
    const VLXItems *item = m_engine.currentItem();
    if (!item)
        return;
    m_itemTitle->setText(item->title());
    m_itemDescription->setStringValue(item->descriptionElement());
    m_itemLink->setText(item->link());
    m_itemEnclosureURL->setText(item->enclosureAttrURL());
    m_itemEnclosureLength->setText(item->enclosureAttrLength());
    m_itemEnclosureType->setText(item->enclosureAttrType());
    m_itemEnclosureLocalFilename->setText(item->localEnclosureFilePath());
    m_localFileShown = item->localEnclosureFilePath();
    updateLocalFileIconImage(item->localEnclosureFilePath());
    m_itemIncludeEnclosure->setChecked(item->includeEnclosure() != 0);
    showEnclosureGroup(item->includeEnclosure() != 0);
    if (iTunes) {
        const auto extension = itemITunes(*item);
        m_itemiTunesSubtitle->setText(extension ? extension->subtitle() : QString());
        m_itemiTunesSummary->setStringValue(extension ? extension->summary() : QString());
        m_itemiTunesDuration->setText(extension ? extension->duration() : QString());
        m_itemiTunesKeywords->setText(extension ? extension->keywords() : QString());
        m_itemiTunesAuthor->setText(extension ? extension->author() : QString());
    }
    updateCountOn(m_engine.itemCounter() + 1);
}

void FeedWizard::itemIntro(int tag, bool itemWizard, bool iTunes)
{
    switch (tag) {
    case WizardEngine::kCancel:
        m_engine.cancel(feedTitleEmpty());
        return;
    case WizardEngine::kBack:
        if (!itemWizard)
            m_engine.go(kPrevPage);
        return;
    case WizardEngine::kFinish:
        if (!itemWizard)
            m_engine.end(1);
        return;
    case WizardEngine::kNext:
        break;
    default:
        return;
    }
    m_engine.setItemCounter(0);
    // Coming back to the start makes no second first item.
    if (m_engine.items().isEmpty())
        m_engine.appendNewItem(iTunes && !itemWizard);
    showItem(iTunes);
    m_engine.go(kNextPage);
}

void FeedWizard::itemTitlePage(int tag, bool iTunes)
{
    VLXFeed::ItemList &items = m_engine.items();
    const int counter = m_engine.itemCounter();
    if (tag == WizardEngine::kBack) {
        if (counter == items.size() - 1 && counter != 0 && m_itemLink->text().isEmpty()) {
            // A new last item the user turned back from before giving it a link is dropped.
            items.removeLast();
            m_engine.go(QStringLiteral("finalizePage"));
        } else if (counter == 0) {
            m_engine.go(kPrevPage);
        } else {
            m_engine.setItemCounter(counter - 1);
            showItem(iTunes);
        }
        return;
    }
    if (standardButton(tag, m_itemTitle) || tag != WizardEngine::kNext)
        return;
    VLXItems *item = m_engine.currentItem();
    const QString value = m_itemTitle->text();
    if (!item || !VLXItems::validateAndInformTitle(value, m_itemTitle))
        return;
    item->setTitle(value);
    m_engine.go(kNextPage);
}

void FeedWizard::Item_description(int tag)
{
    if (standardButton(tag, m_itemDescription) || tag != WizardEngine::kNext)
        return;
    VLXItems *item = m_engine.currentItem();
    const QString value = m_itemDescription->stringValue();
    if (!item || !VLXItems::validateAndInformDescriptionElement(value, m_itemDescription))
        return;
    item->setDescriptionElement(value);
    m_engine.go(kNextPage);
}

void FeedWizard::Item_link(int tag)
{
    if (standardButton(tag, m_itemLink) || tag != WizardEngine::kNext)
        return;
    VLXItems *item = m_engine.currentItem();
    const QString value = m_itemLink->text();
    if (!item || !VLXItems::validateAndInformLink(value, m_itemLink))
        return;
    item->setLink(value);
    m_engine.go(kNextPage);
}

void FeedWizard::itemEnclosurePage(int tag, bool iTunes)
{
    if (standardButton(tag, m_itemEnclosureLength) || tag != WizardEngine::kNext)
        return;
    VLXItems *item = m_engine.currentItem();
    if (!item)
        return;
    // Both checks run whether or not the enclosure is included: what is stored must be sound.
    const QString url = m_itemEnclosureURL->text();
    if (!VLXItems::validateAndInformEnclosureAttrURL(url, m_itemEnclosureURL,
                                                     m_engine.feedUsesITunes()))
        return;
    const QString length = m_itemEnclosureLength->text();
    if (!VLXItems::validateAndInformEnclosureAttrLength(length, m_itemEnclosureLength))
        return;
    item->setIncludeEnclosure(m_itemIncludeEnclosure->isChecked() ? 1 : 0);
    item->setEnclosureAttrLength(length);
    item->setEnclosureAttrType(m_itemEnclosureType->text());
    item->setEnclosureAttrURL(url);
    item->setLocalEnclosureFilePath(m_itemEnclosureLocalFilename->text());
    if (iTunes)
        m_engine.go(kNextPage);
    else
        advanceLoop(false);
}

void FeedWizard::itemITunesTextPage(int tag, QWidget *control, int field)
{
    VLXItems *item = m_engine.currentItem();
    if (tag == WizardEngine::kCopy) {
        if (item && field == iTunesItem::kSubtitle)
            setTextOf(control, VLXLogic::stripHTML(item->title()));
        else if (item && field == iTunesItem::kSummary)
            setTextOf(control, VLXLogic::stripHTML(item->descriptionElement()));
        return;
    }
    if (standardButton(tag, control) || tag != WizardEngine::kNext || !item)
        return;
    const auto extension = itemITunesMade(*item);
    if (!extension)
        return;
    bool stored = false;
    switch (field) {
    case iTunesItem::kSubtitle:
        stored = checkStripped(control, &iTunesItem::validateAndInformSubtitle,
                               [&](const QString &v) { extension->setSubtitle(v); });
        break;
    case iTunesItem::kSummary:
        stored = checkStripped(control, &iTunesItem::validateAndInformSummary,
                               [&](const QString &v) { extension->setSummary(v); });
        break;
    case iTunesItem::kKeywords:
        stored = checkStripped(control, &iTunesItem::validateAndInformKeywords,
                               [&](const QString &v) { extension->setKeywords(v); });
        break;
    case iTunesItem::kAuthor:
        stored = checkStripped(control, &iTunesItem::validateAndInformAuthor,
                               [&](const QString &v) { extension->setAuthor(v); });
        break;
    }
    if (!stored)
        return;
    if (field == iTunesItem::kAuthor)
        advanceLoop(true);
    else
        m_engine.go(kNextPage);
}

void FeedWizard::Item_iTunes_duration(int tag)
{
    if (standardButton(tag, m_itemiTunesDuration) || tag != WizardEngine::kNext)
        return;
    VLXItems *item = m_engine.currentItem();
    const QString typed = m_itemiTunesDuration->text();
    if (!item
        || !iTunesItem::validateAndInformDuration(VLXLogic::stripHTML(typed), m_itemiTunesDuration))
        return;
    // The field keeps what was typed; the item gets its normal form.
    QString duration = typed;
    iTunesItem::normaliseTypedDuration(duration, m_itemiTunesDuration);
    if (const auto extension = itemITunesMade(*item))
        extension->setDuration(duration);
    m_engine.go(kNextPage);
}

void FeedWizard::advanceLoop(bool iTunes)
{
    m_engine.setItemCounter(m_engine.itemCounter() + 1);
    if (m_engine.itemCounter() < m_engine.items().size()) {
        showItem(iTunes);
        m_engine.go(QStringLiteral("nextPageIfNotMax"));
    } else {
        m_engine.go(kNextPage);
    }
}

// --- The finish pages -----------------------------------------------------------------------

void FeedWizard::finishPage(int tag, bool iTunes)
{
    switch (tag) {
    case WizardEngine::kCancel:
        m_engine.cancel(feedTitleEmpty());
        break;
    case WizardEngine::kFinish:
        m_engine.end(1);
        break;
    case WizardEngine::kNext:
        m_engine.appendNewItem(iTunes);
        m_engine.setItemCounter(int(m_engine.items().size()) - 1);
        showItem(iTunes);
        m_engine.go(kNextPage);
        break;
    case WizardEngine::kBack:
        if (m_engine.itemCounter() > 0)
            m_engine.setItemCounter(m_engine.itemCounter() - 1);
        // Every field of the item gone back to, its title, description and link included: a
        // field left showing a dropped item would be stored into this one by its page's Next.
        showItem(iTunes);
        m_engine.go(kPrevPage);
        break;
    }
}
