#include "panes/mrss/mrssEditOptional.h"

#include "extensions/mrss/mrssOptionalElements.h"
#include "model/VLXFeedLanguage.h"
#include "model/VLXLogic.h"
#include "platform/AlertService.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using K = mrssOptionalElements;

namespace {

// One control of a kind's page: its outlet, its label, the key it holds and, for pop-ups, the
// words its items stand for.
struct Control
{
    const char *outlet;
    const char *label;
    const char *key;
    enum Type { Field, PopUp, Language, Text } type = Field;
    QStringList titles = {};
    QStringList words = {};
};

struct Page
{
    const char *helpAnchor;
    std::initializer_list<Control> controls;
};

const QStringList kTypeTitles {QStringLiteral("Plain Text"), QStringLiteral("HTML")};
const QStringList kTypeWords {QStringLiteral("plain"), QStringLiteral("html")};

const Page &pageOf(int kind)
{
    static const Page pages[] = {
        {"YahooRating",
         {{"ratingRating", "Rating:", "elementDescription"},
          {"ratingScheme", "Scheme:", "attributeScheme"}}},
        {"YahooTitle",
         {{"titleTitle", "Title:", "elementDescription"},
          {"titleType", "Type:", "attributeType", Control::PopUp, kTypeTitles, kTypeWords}}},
        {"YahooDescription",
         {{"descriptionDescription", "Description:", "elementDescription"},
          {"descriptionType", "Type:", "attributeType", Control::PopUp, kTypeTitles, kTypeWords}}},
        {"YahooKeywords", {{"keywordsKeywords", "Keywords:", "elementDescription"}}},
        {"YahooThumbnail",
         {{"thumbnailURL", "URL:", "attributeURL"},
          {"thumbnailHeight", "Height:", "attributeHeight"},
          {"thumbnailWidth", "Width:", "attributeWidth"},
          {"thumbnailTime", "Time:", "attributeTime"}}},
        {"YahooCategory",
         {{"categoryCategory", "Category:", "elementDescription"},
          {"categoryScheme", "Scheme:", "attributeScheme"},
          {"categoryLabel", "Label:", "attributeLabel"}}},
        {"YahooHash",
         {{"hashHash", "Hash:", "elementDescription"},
          {"hashType",
           "Algorithm:",
           "attributeAlgo",
           Control::PopUp,
           {QStringLiteral("MD5"), QStringLiteral("SHA-1")},
           {QStringLiteral("md5"), QStringLiteral("sha1")}}}},
        {"YahooPlayer",
         {{"playerURL", "URL:", "attributeURL"},
          {"playerHeight", "Height:", "attributeHeight"},
          {"playerWidth", "Width:", "attributeWidth"}}},
        {"YahooCredit",
         {{"creditCredit", "Credit:", "elementDescription"},
          {"creditRole", "Role:", "attributeRole"},
          {"creditScheme", "Scheme:", "attributeScheme"}}},
        {"YahooCopyright",
         {{"copyrightCopyright", "Copyright:", "elementDescription"},
          {"copyrightURL", "URL:", "attributeURL"}}},
        {"YahooText",
         {{"textText", "Text:", "elementDescription", Control::Text},
          {"textLang", "Language:", "attributeLang", Control::Language},
          {"textType", "Type:", "attributeType", Control::PopUp, kTypeTitles, kTypeWords},
          {"textStartTime", "Start:", "attributeStart"},
          {"textEndTime", "End:", "attributeEnd"}}},
        {"YahooRestrictions",
         {{"restrictionRestriction", "Restriction:", "elementDescription"},
          {"restrictionRelationship",
           "Relationship:",
           "attributeRelationship",
           Control::PopUp,
           {QStringLiteral("Allow"), QStringLiteral("Deny")},
           {QStringLiteral("allow"), QStringLiteral("deny")}},
          {"restrictionType",
           "Type:",
           "attributeType",
           Control::PopUp,
           {QStringLiteral("Country"), QStringLiteral("URI")},
           {QStringLiteral("country"), QStringLiteral("uri")}}}},
    };
    return pages[kind];
}

const QString kURLText
    = QStringLiteral("The URL does not seem to be a valid.  URL should be in a format similar to "
                     "\"http://www.example.com/media/file.mov\"");
const QString kSchemeText = QStringLiteral(
    "The Scheme does not seem to be a valid URL.  Scheme should be in a format similar to "
    "\"http://www.example.com/media/scheme.html\"");

void inform(const QString &title, const QString &message)
{
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = title;
    alert.message = message;
    AlertService::show(alert);
}

} // namespace

mrssEditOptional::mrssEditOptional(QObject *parent) : QObject(parent) { }

mrssEditOptional::~mrssEditOptional()
{
    delete m_window;
}

template<class T> T *mrssEditOptional::control(const char *name) const
{
    return m_window->findChild<T *>(QLatin1String(name));
}

void mrssEditOptional::loadInterface(QWidget *parent)
{
    m_window = new QDialog(parent ? parent->window() : nullptr);
    m_window->setObjectName(QStringLiteral("mrssEditOptional"));
    m_window->setWindowTitle(tr("Media RSS Element"));
    m_window->setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(m_window);
    auto *typeRow = new QFormLayout;
    m_elementType = new VLXPopUpButton;
    m_elementType->setObjectName(QStringLiteral("elementType"));
    for (int kind = 0; kind < K::kKindCount; ++kind)
        m_elementType->addItem(K::label(kind));
    typeRow->addRow(tr("Element:"), m_elementType);
    layout->addLayout(typeRow);
    m_elementTabs = new QStackedWidget;
    m_elementTabs->setObjectName(QStringLiteral("elementTabs"));
    const QStringList languages = VLXFeedLanguage::sharedLanguageTitles();
    for (int kind = 0; kind < K::kKindCount; ++kind) {
        const Page &page = pageOf(kind);
        auto *tab = new QWidget;
        auto *form = new QFormLayout(tab);
        for (const Control &entry : page.controls) {
            QWidget *widget = nullptr;
            if (entry.type == Control::Text) {
                auto *view = new VLXTextView;
                view->setHelpAnchor(QLatin1String(page.helpAnchor));
                widget = view;
            } else if (entry.type == Control::Field) {
                auto *field = new VLXTextField;
                field->setHelpAnchor(QLatin1String(page.helpAnchor));
                widget = field;
            } else {
                auto *popUp = new VLXPopUpButton;
                // A language may be left out: its list starts with a blank item.
                if (entry.type == Control::Language)
                    popUp->addItem(QString());
                popUp->addItems(entry.type == Control::Language ? languages : entry.titles);
                popUp->setHelpAnchor(QLatin1String(page.helpAnchor));
                widget = popUp;
            }
            widget->setObjectName(QLatin1String(entry.outlet));
            form->addRow(tr(entry.label), widget);
        }
        m_elementTabs->addWidget(tab);
    }
    layout->addWidget(m_elementTabs, 1);
    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("accept"));
    ok->setDefault(true);
    QPushButton *cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    cancelButton->setObjectName(QStringLiteral("cancel"));
    QPushButton *helpButton = buttons->addButton(QDialogButtonBox::Help);
    helpButton->setObjectName(QStringLiteral("help"));
    layout->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &mrssEditOptional::accept);
    connect(cancelButton, &QPushButton::clicked, this, &mrssEditOptional::cancel);
    connect(helpButton, &QPushButton::clicked, this, &mrssEditOptional::help);
    connect(m_elementType, &QComboBox::currentIndexChanged, this, &mrssEditOptional::typeChanged);
}

int mrssEditOptional::editElement(QWidget *sender)
{
    if (!m_window)
        loadInterface(sender);
    const int kind = K::kindOf(m_values);
    if (kind >= 0 && kind < K::kKindCount) {
        m_elementType->setCurrentIndex(kind);
        m_elementTabs->setCurrentIndex(kind);
        updateFields(kind);
    }
    const int result = m_window->exec() == QDialog::Accepted ? 1 : 0;
    m_window->hide();
    return result;
}

void mrssEditOptional::typeChanged()
{
    m_elementTabs->setCurrentIndex(m_elementType->currentIndex());
}

void mrssEditOptional::updateFields(int kind)
{
    if (kind < 0 || kind >= K::kKindCount)
        return;
    for (const Control &entry : pageOf(kind).controls) {
        const QString value = m_values.value(QLatin1String(entry.key)).toString();
        switch (entry.type) {
        case Control::Field:
            control<VLXTextField>(entry.outlet)->setText(value);
            break;
        case Control::Text:
            control<VLXTextView>(entry.outlet)->setStringValue(value);
            break;
        case Control::PopUp:
            // The second item stands for its word; any other word shows the first.
            control<VLXPopUpButton>(entry.outlet)
                ->setCurrentIndex(value == entry.words.at(1) ? 1 : 0);
            break;
        case Control::Language: {
            auto *popUp = control<VLXPopUpButton>(entry.outlet);
            const int index = popUp->findText(VLXFeedLanguage::sharedTitleForCode(value));
            if (index >= 0)
                popUp->setCurrentIndex(index);
            break;
        }
        }
    }
}

void mrssEditOptional::accept()
{
    const int kind = m_elementType->currentIndex();
    QVariantMap result;
    result.insert(K::kTypeKey, kind);
    for (const Control &entry : pageOf(kind).controls) {
        QString value;
        switch (entry.type) {
        case Control::Field:
            value = control<VLXTextField>(entry.outlet)->text();
            break;
        case Control::Text:
            value = control<VLXTextView>(entry.outlet)->stringValue();
            break;
        case Control::PopUp:
            value = entry.words.value(control<VLXPopUpButton>(entry.outlet)->currentIndex(),
                                      entry.words.first());
            break;
        case Control::Language:
            value = VLXFeedLanguage::sharedCodeForTitle(
                control<VLXPopUpButton>(entry.outlet)->currentText());
            break;
        }
        result.insert(QLatin1String(entry.key), value);
    }
    const QString text = result.value(K::kTextKey).toString();
    const auto missing = [](const char *name) {
        inform(QStringLiteral("Missing Information"),
               QStringLiteral("The %1 field can not be left blank").arg(QLatin1String(name)));
    };
    const auto typeMismatch = [&](const char *name) {
        if (result.value(QStringLiteral("attributeType")) != QLatin1String("plain")
            || !VLXLogic::containsHTML(text))
            return false;
        inform(QStringLiteral("Type Mismatch"),
               QStringLiteral("The type is set to \"Plain Text\", but there is HTML in the %1.  "
                              "Please correct.")
                   .arg(QLatin1String(name)));
        return true;
    };
    const auto badURL = [&](const char *key, const QString &message, bool blankPasses) {
        const QString value = result.value(QLatin1String(key)).toString();
        if ((blankPasses && value.isEmpty()) || VLXLogic::checkURL(value))
            return false;
        inform(QStringLiteral("Invalid Information"), message);
        return true;
    };
    const QString url = result.value(QStringLiteral("attributeURL")).toString();
    switch (kind) {
    case K::kRating: {
        if (text.isEmpty())
            return missing("rating");
        // The field shows the scheme the rating is stored with, taken or refused.
        if (result.value(QStringLiteral("attributeScheme")).toString().isEmpty()) {
            result.insert(QStringLiteral("attributeScheme"), QStringLiteral("urn:simple"));
            control<VLXTextField>("ratingScheme")->setText(QStringLiteral("urn:simple"));
        }
        if (result.value(QStringLiteral("attributeScheme")) == QLatin1String("urn:simple")
            && text != QLatin1String("adult") && text != QLatin1String("nonadult"))
            return inform(QStringLiteral("Invalid Value"),
                          QStringLiteral("When the scheme is either blank or \"urn:simple\" only "
                                         "\"adult\" and \"nonadult\" are valid values"));
        break;
    }
    case K::kTitle:
        if (text.isEmpty())
            return missing("Title");
        if (typeMismatch("Title"))
            return;
        break;
    case K::kDescription:
        if (text.isEmpty())
            return missing("Description");
        if (typeMismatch("Description"))
            return;
        break;
    case K::kKeywords:
        if (text.isEmpty())
            return missing("Keywords");
        break;
    case K::kThumbnail:
        if (url.isEmpty())
            return missing("URL");
        if (badURL("attributeURL", kURLText, false))
            return;
        break;
    case K::kCategory:
        if (text.isEmpty())
            return missing("Category");
        if (badURL("attributeScheme", kSchemeText, true))
            return;
        break;
    case K::kHash:
        if (text.isEmpty())
            return missing("Hash");
        break;
    case K::kPlayer:
        if (url.isEmpty())
            return missing("Player");
        if (badURL("attributeURL", kURLText, false))
            return;
        break;
    case K::kCredit:
        if (text.isEmpty())
            return missing("Credit");
        if (badURL("attributeScheme", kSchemeText, true))
            return;
        break;
    case K::kCopyright:
        if (text.isEmpty())
            return missing("Copyright");
        if (badURL("attributeURL", kURLText, true))
            return;
        break;
    case K::kText:
        if (text.isEmpty())
            return missing("Text");
        if (typeMismatch("Text"))
            return;
        break;
    case K::kRestriction:
        if (text.isEmpty())
            return missing("Restriction");
        break;
    default:
        return;
    }
    // A player keeps no text of its own.
    if (kind == K::kPlayer)
        result.remove(K::kTextKey);
    m_values = result;
    m_window->done(QDialog::Accepted);
}

void mrssEditOptional::cancel()
{
    if (m_window)
        m_window->done(QDialog::Rejected);
}

void mrssEditOptional::help()
{
    VLXHelpAnchored::helpForField(QStringLiteral("YahooRSSMain"));
}
