#include "extensions/dc/dcChannel.h"

#include "extensions/OwnElementNames.h"
#include "extensions/dc/dcChannelPrefs.h"
#include "model/VLXFeed.h"
#include "model/VLXLogic.h"
#include "xml/vlxXMLDOM.h"

#include <array>

namespace {

using F = ExtensionField;
using R = DublinCoreRows;

#define VLX_DC_CHANNEL_ROW(el, Name)                                                               \
    R::withRules(ExtensionField {.name = #el,                                                      \
                                 .outlet = "DC" #Name,                                             \
                                 .element = #el,                                                   \
                                 .read = F::Read::Plain,                                           \
                                 .archiveKey = "dc" #Name,                                         \
                                 .defaultKey = "FD_AF_FF_EX_DC" #Name,                             \
                                 .exportToken = "~~~FeedDC" #Name "~~~",                           \
                                 .searchable = true,                                               \
                                 .undoName = "Feed dc " #Name,                                     \
                                 .helpAnchor = "DC" #Name,                                         \
                                 .label = #Name ":"},                                              \
                 R::k##Name),
// The textInput set: read and written by the class itself, shown in a box of its own.
#define VLX_DC_TEXTINPUT_ROW(el, Name)                                                             \
    R::withRules(ExtensionField {.name = #el "TI",                                                 \
                                 .outlet = "TIDC" #Name,                                           \
                                 .element = #el,                                                   \
                                 .read = F::Read::Custom,                                          \
                                 .write = F::Write::Custom,                                        \
                                 .archiveKey = "dc" #Name "TI",                                    \
                                 .defaultKey = "FD_AF_FF_EX_TIDC" #Name,                           \
                                 .searchable = true,                                               \
                                 .undoName = "Text Input dc " #Name,                               \
                                 .helpAnchor = "DC" #Name,                                         \
                                 .label = #Name ":",                                               \
                                 .box = "Text Input"},                                             \
                 R::k##Name),

ExtensionField languageChoice(ExtensionField row)
{
    // A language chosen for the channel leaves the automatic publication date alone.
    row.undoName = "dc Language";
    row.refreshesDate = false;
    return row;
}

const auto kFields = [] {
    std::array<ExtensionField, 2 *R::kCount> rows
        = {{VLX_DC_ELEMENTS(VLX_DC_CHANNEL_ROW) VLX_DC_ELEMENTS(VLX_DC_TEXTINPUT_ROW)}};
    rows[R::kLanguage] = languageChoice(rows[R::kLanguage]);
    rows[dcChannel::kTextInput + R::kLanguage]
        = languageChoice(rows[dcChannel::kTextInput + R::kLanguage]);
    return rows;
}();

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::dublinCore,
    .place = ExtensionPlace::Channel,
    .className = "dcChannel",
    .elements = R::kElements,
    .fields = kFields,
};

[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("dcChannel"),
                                     [] { return std::make_shared<dcChannel>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("dcChannelPrefs"),
                                      [] { return std::make_shared<dcChannelPrefs>(); });

const QString kDateDiffers = QStringLiteral(
    "The feed's pubDate and dc:date represent the same thing, but they have different values.  "
    "There is a high probability this will cause confusion in feed readers and feed "
    "aggregators.");

} // namespace

dcChannel::dcChannel() : FieldExtension(kDescriptor) { }

const ExtensionDescriptor &dcChannel::classDescriptor()
{
    return kDescriptor;
}

QString dcChannel::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespace(KnownNamespace::dublinCore);
}

QString dcChannel::classDescriptionOfNamespaceShort()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::dublinCore);
}

void dcChannel::parseCustom(int, const vlxXMLNode *) { }

QString dcChannel::buildCustom(int, const QString &) const
{
    return QString();
}

int dcChannel::parseXMLNodeIfMineTI(const vlxXMLNode *node)
{
    if (vlxXMLDOM::kindOfNode(node) != vlxXMLDOM::Element)
        return 0;
    // The manager hands over the namespace's elements only, under whatever prefix.
    const qsizetype index
        = OwnElementNames::indexOfLocalName(vlxXMLDOM::nameOfNode(node), fieldNames());
    if (index < 0 || index >= R::kCount)
        return 0;
    QString value = vlxXMLDOM::descriptionOfNode(node);
    if (index != R::kDate)
        value = VLXLogic::decodeNumericEncodedCharacters(value);
    setText(kTextInput + int(index), value.trimmed());
    return 0;
}

QString dcChannel::buildXMLTI(const QString &prefix) const
{
    QString xml;
    for (int e = 0; e < R::kCount; ++e) {
        const QString &value = text(kTextInput + e);
        if (value.isEmpty())
            continue;
        const QLatin1StringView element(R::kElements[e]);
        xml += prefix + QLatin1String("<dc:") + element + u'>'
            + VLXLogic::encodeSpecialXMLChars(value) + QLatin1String("</dc:") + element
            + QLatin1String(">\n");
    }
    return xml;
}

void dcChannel::validate(VLXFeed *feed)
{
    if (isEmpty())
        return;
    if (!dateElement().isEmpty()) {
        setDateElement(VLXLogic::FixRDFInternetDateTime(dateElement(), true, this));
        const QString pubDate = feed ? feed->pubDate() : QString();
        if (!pubDate.isEmpty()
            && VLXLogic::InternetDateTime(pubDate) != VLXLogic::RDFInternetDateTime(dateElement()))
            recordWarning(kDateDiffers);
    }
    if (!dateElementTI().isEmpty())
        setDateElementTI(VLXLogic::FixRDFInternetDateTime(dateElementTI(), true, this));
}
