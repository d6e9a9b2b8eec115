#include "extensions/trackback/trackBackItem.h"

#include "extensions/ExtensionChecks.h"
#include "extensions/trackback/trackBackItemPrefs.h"
#include "model/VLXError.h"
#include "model/VLXLogic.h"
#include "xml/vlxXMLDOM.h"

namespace {

using F = ExtensionField;

const char *const kElements[] = {"ping", "about"};

const ExtensionField kFields[] = {
    {.name = "ping",
     .outlet = "pingURL",
     .element = "ping",
     .read = F::Read::Link,
     .write = F::Write::Custom,
     .archiveKey = "Ping",
     .exportToken = "~~~ItemTrackBackPing~~~",
     .searchable = true,
     .check = &trackBackItem::validatePingString,
     .undoName = "TrackBack Ping",
     .helpAnchor = "TrackBackPing",
     .label = "Ping URL:",
     .widget = F::Widget::LineEdit,
     .leave = F::Leave::TrimAndInform,
     // A ping address is stored as typed: a query may hold text that looks like a tag.
     .keepsMarkup = true},
    {.name = "about",
     .outlet = "aboutURLTable",
     .element = "about",
     .kind = F::Kind::List,
     .read = F::Read::Custom,
     .write = F::Write::Custom,
     .archiveKey = "About",
     .searchable = true,
     .undoName = "Edit About URL",
     .helpAnchor = "TrackBackAbout",
     .label = "About URLs:",
     .widget = F::Widget::Table,
     .findTitle = "Search & Replace URL"},
};

using T = trackBackItem;
const int kValidateOrder[] = {T::kPing, T::kAbout};

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::trackBack,
    .place = ExtensionPlace::Item,
    .className = "trackBackItem",
    .elements = kElements,
    .fields = kFields,
    .validateOrder = kValidateOrder,
};

[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("trackBackItem"),
                                     [] { return std::make_shared<trackBackItem>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("trackBackItemPrefs"),
                                      [] { return std::make_shared<trackBackItemPrefs>(); });

} // namespace

trackBackItem::trackBackItem() : FieldExtension(kDescriptor) { }

const ExtensionDescriptor &trackBackItem::classDescriptor()
{
    return kDescriptor;
}

QString trackBackItem::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::trackBack);
}

bool trackBackItem::validatePingString(const QString &value, VLXError *error)
{
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty() || VLXLogic::checkURL(trimmed))
        return true;
    return ExtensionChecks::fail(error, 1, QStringLiteral("Ping URL is invalid"),
                                 QStringLiteral("The TrackBack \"Ping URL\" does not appear to be "
                                                "valid"));
}

// --- the about list ------------------------------------------------------------------------------

void trackBackItem::setAboutString(const QStringList &list)
{
    if (list == m_about)
        return;
    m_about = list;
    fieldChanged(kAbout);
}

void trackBackItem::addAboutString(const QString &url)
{
    m_about.append(url);
    fieldChanged(kAbout);
}

void trackBackItem::replaceAboutString(const QString &url, int index)
{
    if (index < 0 || index >= m_about.size())
        return;
    m_about[index] = url;
    fieldChanged(kAbout);
}

void trackBackItem::removeAboutStringAtIndex(int index)
{
    if (index < 0 || index >= m_about.size())
        return;
    m_about.removeAt(index);
    fieldChanged(kAbout);
}

QStringList trackBackItem::listDisplayValues(int field) const
{
    return field == kAbout ? m_about : QStringList();
}

void trackBackItem::parseCustom(int field, const vlxXMLNode *node)
{
    if (field != kAbout)
        return;
    addAboutString(
        VLXLogic::unescapeURLString(VLXLogic::decodeNumericEncodedCharacters(textOrResource(node)))
            .trimmed());
}

QString trackBackItem::buildCustom(int field, const QString &prefix) const
{
    QString xml;
    if (field == kPing) {
        if (!pingString().isEmpty())
            xml = prefix + QLatin1String("<trackback:ping>") + VLXLogic::createSafeLink(pingString())
                + QLatin1String("</trackback:ping>\n");
        return xml;
    }
    if (field != kAbout)
        return xml;
    // Each URL is made safe for the XML as the ping is: a URL holding "&" or "<" would otherwise
    // break the feed.
    for (const QString &url : m_about) {
        if (url.isEmpty())
            continue;
        xml += prefix + QLatin1String("<trackback:about>") + VLXLogic::createSafeLink(url)
            + QLatin1String("</trackback:about>\n");
    }
    return xml;
}

QVariant trackBackItem::customValue(int field) const
{
    return field == kAbout ? QVariant(m_about) : QVariant();
}

void trackBackItem::setCustomValue(int field, const QVariant &value)
{
    if (field == kAbout)
        setAboutString(value.toStringList());
}

bool trackBackItem::customIsEmpty(int field) const
{
    return field != kAbout || m_about.isEmpty();
}

QList<FieldExtensionBase::ExportedValue> trackBackItem::exportCustom(int field) const
{
    if (field != kAbout)
        return {};
    return {{QStringLiteral("~~~ItemTrackBackAbout~~~"), m_about.value(0),
             TemplateValues::Holds::Address}};
}

void trackBackItem::validateCustom(int field)
{
    if (field != kAbout)
        return;
    for (const QString &url : m_about) {
        if (!url.trimmed().isEmpty() && !VLXLogic::checkURL(url))
            recordError(
                QStringLiteral("The TrackBack About URL \"%1\" does not appear to be valid"), url);
    }
}
