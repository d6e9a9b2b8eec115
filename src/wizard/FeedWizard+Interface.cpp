// The wizard's sheet: a picture telling which wizard runs, and the pages, each a stack entry
// named after its page, with its controls and its row of buttons.
#include "wizard/FeedWizard.h"

#include "extensions/itunes/iTunesItem.h"
#include "model/VLXFeedLanguage.h"
#include "ui/VLXBox.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXImageView.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"
#include "ui/VLXTextViewHTML.h"

#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
// The buttons' texts by tag.
QString buttonTitle(int tag)
{
    switch (tag) {
    case WizardEngine::kCancel:
        return QObject::tr("Cancel");
    case WizardEngine::kBack:
        return QObject::tr("&Back");
    case WizardEngine::kFinish:
        return QObject::tr("&Finish");
    case WizardEngine::kNext:
        return QObject::tr("&Next");
    case WizardEngine::kHelp:
        return QObject::tr("&Help");
    }
    return QString();
}

QString buttonName(int tag)
{
    switch (tag) {
    case WizardEngine::kCancel:
        return QStringLiteral("cancel");
    case WizardEngine::kBack:
        return QStringLiteral("back");
    case WizardEngine::kFinish:
        return QStringLiteral("finish");
    case WizardEngine::kNext:
        return QStringLiteral("next");
    case WizardEngine::kCopy:
        return QStringLiteral("copy");
    case WizardEngine::kHelp:
        return QStringLiteral("help");
    }
    return QString();
}

template<typename T> T *named(const char *name, QWidget *parent = nullptr)
{
    auto *control = new T(parent);
    control->setObjectName(QLatin1String(name));
    return control;
}

// The picture of one wizard: the application's icon over the wizard's name.
QWidget *wizardPicture(const QString &name, const QString &title)
{
    auto *picture = new QWidget;
    picture->setObjectName(name);
    auto *layout = new QVBoxLayout(picture);
    auto *icon = new QLabel;
    icon->setPixmap(QIcon(QStringLiteral(":/icons/vellumcast.svg")).pixmap(96, 96));
    icon->setAlignment(Qt::AlignHCenter);
    auto *label = new QLabel(title);
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    layout->addStretch();
    layout->addWidget(icon);
    layout->addWidget(label);
    layout->addStretch();
    return picture;
}
} // namespace

QWidget *FeedWizard::addPage(const QString &identifier, const QString &heading, const QString &text,
                             QList<int> tags)
{
    auto *page = new QWidget;
    page->setObjectName(identifier);
    auto *layout = new QVBoxLayout(page);
    auto *title = new QLabel(heading);
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    title->setFont(font);
    layout->addWidget(title);
    auto *explanation = new QLabel(text);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    layout->addStretch();

    auto *buttons = new QHBoxLayout;
    for (int tag : tags) {
        if (tag == WizardEngine::kCopy)
            continue; // placed beside its field
        auto *button = new VLXButton;
        button->setObjectName(identifier + u'_' + buttonName(tag));
        button->setText(buttonTitle(tag));
        button->setProperty("tag", tag);
        button->setAutoDefault(false);
        // The finish pages' Next adds one more item.
        if (tag == WizardEngine::kNext && identifier.endsWith(QLatin1String("_finalize")))
            button->setText(tr("&Add Another Item"));
        connect(button, &QPushButton::clicked, this, [this, tag] { buttonPress(tag); });
        buttons->addWidget(button);
        if (tag == WizardEngine::kHelp)
            buttons->addStretch();
    }
    if (!tags.contains(WizardEngine::kHelp))
        buttons->insertStretch(0);
    layout->addLayout(buttons);
    m_tabView->addWidget(page);
    return page;
}

void FeedWizard::loadInterface(QWidget *parent)
{
    m_window = new QDialog(parent ? parent->window() : nullptr);
    m_window->setObjectName(QStringLiteral("FeedWizard"));
    m_window->setWindowModality(Qt::WindowModal);
    m_window->resize(680, 460);
    // Escape and the close button are a Cancel, with its question.
    m_window->installEventFilter(this);

    auto *outer = new QHBoxLayout(m_window);
    m_wizardTypeImage = named<QStackedWidget>("wizardTypeImage");
    m_wizardTypeImage->addWidget(wizardPicture(QStringLiteral("Feed"), tr("Feed Creation Wizard")));
    m_wizardTypeImage->addWidget(wizardPicture(QStringLiteral("Item"), tr("Item Creation Wizard")));
    m_wizardTypeImage->setFixedWidth(170);
    outer->addWidget(m_wizardTypeImage);
    m_tabView = named<QStackedWidget>("tabView");
    outer->addWidget(m_tabView, 1);

    const QList<int> feedTags {WizardEngine::kHelp, WizardEngine::kCancel, WizardEngine::kBack,
                               WizardEngine::kNext};
    const QList<int> copyTags {WizardEngine::kHelp, WizardEngine::kCancel, WizardEngine::kBack,
                               WizardEngine::kCopy, WizardEngine::kNext};
    // A page's controls go below its texts, above the stretch and the row of buttons.
    auto place = [](QWidget *page, QWidget *control) {
        auto *layout = static_cast<QVBoxLayout *>(page->layout());
        layout->insertWidget(layout->count() - 2, control);
    };
    auto placeLayout = [](QWidget *page, QLayout *controls) {
        auto *layout = static_cast<QVBoxLayout *>(page->layout());
        layout->insertLayout(layout->count() - 2, controls);
    };
    // A field with its copy button beside it.
    auto withCopy = [this](QWidget *page, QWidget *field, const QString &title) {
        auto *row = new QHBoxLayout;
        row->addWidget(field, 1);
        auto *copy = new VLXButton;
        copy->setObjectName(page->objectName() + QStringLiteral("_copy"));
        copy->setText(title);
        copy->setProperty("tag", int(WizardEngine::kCopy));
        copy->setAutoDefault(false);
        connect(copy, &QPushButton::clicked, this, [this] { buttonPress(WizardEngine::kCopy); });
        row->addWidget(copy, 0, Qt::AlignTop);
        return row;
    };

    // --- The feed's pages ---
    addPage(QStringLiteral("Intro_1"), tr("Welcome to the Feed Creation Wizard"),
            tr("This wizard walks you through making a new RSS feed: first the feed itself, then "
               "its first items. Press Next to begin."),
            {WizardEngine::kCancel, WizardEngine::kNext});
    QWidget *page = addPage(QStringLiteral("Feed_type"), tr("What kind of feed?"),
                            tr("Choose what the feed's items will carry."), feedTags);
    m_chooseFeedType = new VLXMatrix(nullptr, VLXMatrix::Radio);
    m_chooseFeedType->setObjectName(QStringLiteral("chooseFeedType"));
    m_chooseFeedType->addCell(0, tr("Items &without enclosures"), 0, 0);
    m_chooseFeedType->addCell(1, tr("Items with &enclosures (audio, video or other files)"), 1, 0);
    m_chooseFeedType->addCell(2, tr("An iTunes &podcast (enclosures and the iTunes elements)"), 2,
                              0);
    place(page, m_chooseFeedType);

    page = addPage(QStringLiteral("Feed_title"), tr("The feed's title"),
                   tr("The name of the feed, as feed readers list it."), feedTags);
    place(page, m_feedTitle = named<VLXTextField>("feedTitle"));
    page = addPage(QStringLiteral("Feed_description"), tr("The feed's description"),
                   tr("A sentence or two about the feed. HTML is allowed."), feedTags);
    place(page, m_feedDescription = named<VLXTextViewHTML>("feedDescription"));
    page = addPage(QStringLiteral("Feed_link"), tr("The feed's link"),
                   tr("The address of the web site the feed belongs to, such as "
                      "https://www.example.com/."),
                   feedTags);
    place(page, m_feedLink = named<VLXTextField>("feedLink"));
    page = addPage(QStringLiteral("Feed_copyright"), tr("Copyright"),
                   tr("The copyright notice of the feed's content."), feedTags);
    place(page, m_feedCopyright = named<VLXTextField>("feedCopyright"));
    page = addPage(QStringLiteral("Feed_language"), tr("Language"),
                   tr("The language the feed is written in."), feedTags);
    place(page, m_feedLanguage = named<VLXPopUpButton>("feedLanguage"));

    page = addPage(QStringLiteral("Feed_iTunes_subtitle"), tr("The podcast's subtitle"),
                   tr("A few words shown under the podcast's name. HTML is removed."), copyTags);
    m_feediTunesSubtitle = named<VLXTextField>("feediTunesSubtitle");
    placeLayout(page, withCopy(page, m_feediTunesSubtitle, tr("Copy &Title")));
    page = addPage(QStringLiteral("Feed_iTunes_summary"), tr("The podcast's summary"),
                   tr("What the podcast is about, in up to 4000 characters. HTML is removed."),
                   copyTags);
    m_feediTunesSummary = named<VLXTextView>("feediTunesSummary");
    placeLayout(page, withCopy(page, m_feediTunesSummary, tr("Copy &Description")));

    page = addPage(QStringLiteral("Feed_iTunes_category"), tr("The podcast's categories"),
                   tr("Up to three iTunes categories. Drag a row to change the order."), feedTags);
    m_feediTunesCategoryTable = named<VLXTableView>("feediTunesCategoryTable");
    m_feediTunesCategoryTable->setDataSource(this, {QStringLiteral("category")}, {tr("Category")});
    m_feediTunesCategoryTable->horizontalHeader()->setStretchLastSection(true);
    auto *categoryRow = new QHBoxLayout;
    categoryRow->addWidget(m_feediTunesCategoryTable, 1);
    auto *categoryButtons = new QVBoxLayout;
    const struct
    {
        VLXButton **button;
        const char *name;
        QString title;
        int tag;
    } categoryActions[] = {
        {&m_feediTunesCategoryAdd, "feediTunesCategory_Add", tr("A&dd\u2026"), 1},
        {&m_feediTunesCategoryDelete, "feediTunesCategory_Delete", tr("De&lete"), 2},
        {&m_feediTunesCategoryEdit, "feediTunesCategory_Edit", tr("&Edit\u2026"), 3},
    };
    for (const auto &action : categoryActions) {
        *action.button = named<VLXButton>(action.name);
        (*action.button)->setText(action.title);
        (*action.button)->setAutoDefault(false);
        const int tag = action.tag;
        connect(*action.button, &QPushButton::clicked, this,
                [this, tag] { feedCategoryAction(tag); });
        categoryButtons->addWidget(*action.button);
    }
    categoryButtons->addStretch();
    categoryRow->addLayout(categoryButtons);
    m_feediTunesCategoryTable->reloadData();
    connect(m_feediTunesCategoryTable, &VLXTableView::doubleAction, this,
            [this] { feedCategoryAction(3); });
    placeLayout(page, categoryRow);

    page = addPage(QStringLiteral("Feed_iTunes_keywords"), tr("Keywords"),
                   tr("Up to twelve words people search for, separated by commas."), feedTags);
    place(page, m_feediTunesKeywords = named<VLXTextField>("feediTunesKeywords"));
    page = addPage(QStringLiteral("Feed_iTunes_author"), tr("Author"), tr("Who makes the podcast."),
                   feedTags);
    place(page, m_feediTunesAuthor = named<VLXTextField>("feediTunesAuthor"));
    page = addPage(QStringLiteral("Feed_iTunes_owner"), tr("Owner"),
                   tr("Who the podcast directory writes to about the podcast. Not shown to "
                      "listeners."),
                   feedTags);
    auto *owner = new QFormLayout;
    owner->addRow(tr("Name:"), m_feediTunesOwnerName = named<VLXTextField>("feediTunesOwnerName"));
    owner->addRow(tr("E-mail:"),
                  m_feediTunesOwnerEmail = named<VLXTextField>("feediTunesOwnerEmail"));
    placeLayout(page, owner);
    page = addPage(QStringLiteral("Feed_iTunes_image"), tr("Artwork"),
                   tr("The address of the podcast's picture, a JPEG or PNG file."), feedTags);
    place(page, m_feediTunesImage = named<VLXTextField>("feediTunesImage"));

    // --- The items' pages ---
    addPage(
        QStringLiteral("Item_intro"), tr("The feed's items"),
        tr("Now enter the feed's first item. Press Finish to make the feed as it is."),
        {WizardEngine::kCancel, WizardEngine::kBack, WizardEngine::kFinish, WizardEngine::kNext});
    addPage(QStringLiteral("Item_only_intro"), tr("Welcome to the Item Creation Wizard"),
            tr("This wizard walks you through adding new items at the top of the feed. Press "
               "Next to begin."),
            {WizardEngine::kCancel, WizardEngine::kNext});
    const char *countNames[] = {"countOn6",  "countOn7",  "countOn8",  "countOn9", "countOn21",
                                "countOn22", "countOn23", "countOn25", "countOn26"};
    int counted = 0;
    auto itemPage = [&](const QString &identifier, const QString &heading, const QString &text,
                        const QList<int> &tags) {
        QWidget *made = addPage(identifier, heading, text, tags);
        auto *count = new QLabel;
        count->setObjectName(QLatin1String(countNames[counted++]));
        count->setAlignment(Qt::AlignRight);
        static_cast<QVBoxLayout *>(made->layout())->insertWidget(0, count);
        m_countLabels << count;
        return made;
    };
    page = itemPage(QStringLiteral("Item_title"), tr("The item's title"),
                    tr("The headline of the item."), feedTags);
    place(page, m_itemTitle = named<VLXTextField>("itemTitle"));
    page = itemPage(QStringLiteral("Item_description"), tr("The item's description"),
                    tr("The story or a summary of it. HTML is allowed."), feedTags);
    place(page, m_itemDescription = named<VLXTextViewHTML>("itemDescription"));
    page = itemPage(QStringLiteral("Item_link"), tr("The item's link"),
                    tr("The address of the web page of the item."), feedTags);
    place(page, m_itemLink = named<VLXTextField>("itemLink"));

    page = itemPage(QStringLiteral("Item_enclosure"), tr("The item's enclosure"),
                    tr("A file that goes with the item, such as an episode's sound file: its "
                       "address, its size in bytes and its type. Choose or drop the file on this "
                       "computer to have them filled in."),
                    feedTags);
    auto *enclosure = new QGridLayout;
    m_itemIncludeEnclosure = named<VLXCheckBox>("itemIncludeEnclosure");
    m_itemIncludeEnclosure->setText(tr("&Include an enclosure"));
    connect(m_itemIncludeEnclosure, &QCheckBox::toggled, this,
            [this] { includeEnclosureChanged(); });
    enclosure->addWidget(m_itemIncludeEnclosure, 0, 0, 1, 3);
    auto *urlLabel = named<QLabel>("itemEnclosureURLLabel");
    urlLabel->setText(tr("URL:"));
    auto *lengthLabel = named<QLabel>("itemEnclosureLengthLabel");
    lengthLabel->setText(tr("Length:"));
    auto *typeLabel = named<QLabel>("itemEnclosureTypeLabel");
    typeLabel->setText(tr("Type:"));
    m_itemEnclosureURL = named<VLXTextField>("itemEnclosureURL");
    m_itemEnclosureLength = named<VLXTextField>("itemEnclosureLength");
    m_itemEnclosureType = named<VLXTextField>("itemEnclosureType");
    m_itemEnclosureSuggestType = named<VLXButton>("itemEnclosureSuggestType");
    m_itemEnclosureSuggestType->setText(tr("&Suggest"));
    m_itemEnclosureSuggestType->setAutoDefault(false);
    connect(m_itemEnclosureSuggestType, &QPushButton::clicked, this,
            [this] { suggestTypeAction(); });
    enclosure->addWidget(urlLabel, 1, 0);
    enclosure->addWidget(m_itemEnclosureURL, 1, 1, 1, 2);
    enclosure->addWidget(lengthLabel, 2, 0);
    enclosure->addWidget(m_itemEnclosureLength, 2, 1, 1, 2);
    enclosure->addWidget(typeLabel, 3, 0);
    enclosure->addWidget(m_itemEnclosureType, 3, 1);
    enclosure->addWidget(m_itemEnclosureSuggestType, 3, 2);
    m_itemEnclosureLocalFileBox = named<VLXBox>("itemEnclosureLocalFileBox");
    m_itemEnclosureLocalFileBox->setTitle(tr("The file on this computer"));
    auto *local = new QGridLayout(m_itemEnclosureLocalFileBox);
    auto *fileLabel = named<QLabel>("itemEnclosureLocalFilenameLabel");
    fileLabel->setText(tr("File:"));
    m_itemEnclosureLocalFilename = named<VLXTextField>("itemEnclosureLocalFilename");
    connect(m_itemEnclosureLocalFilename, &VLXTextField::textDidEndEditing, this,
            [this] { localFileEdited(); });
    m_itemEnclosureLocalFileDropTarget = named<VLXImageView>("itemEnclosureLocalFileDropTarget");
    m_itemEnclosureLocalFileDropTarget->setFixedSize(48, 48);
    m_itemEnclosureLocalFileDropTarget->setPlaceholderText(tr("Drop"));
    m_itemEnclosureLocalFileDropTarget->setDropHandlers(
        [this](VLXImageView *, const QMimeData *data) { return validateFileDrop(data); },
        [this](VLXImageView *, const QMimeData *data) { return acceptFileDrop(data); });
    m_itemEnclosureSelectLocalFile = named<VLXButton>("itemEnclosureSelectLocalFile");
    m_itemEnclosureSelectLocalFile->setText(tr("Ch&oose\u2026"));
    m_itemEnclosureSelectLocalFile->setAutoDefault(false);
    connect(m_itemEnclosureSelectLocalFile, &QPushButton::clicked, this,
            [this] { selectLocalFileAction(); });
    local->addWidget(fileLabel, 0, 0);
    local->addWidget(m_itemEnclosureLocalFilename, 0, 1);
    local->addWidget(m_itemEnclosureSelectLocalFile, 0, 2);
    local->addWidget(m_itemEnclosureLocalFileDropTarget, 0, 3);
    enclosure->addWidget(m_itemEnclosureLocalFileBox, 4, 0, 1, 3);
    m_enclosureGroup = {urlLabel,
                        m_itemEnclosureURL,
                        lengthLabel,
                        m_itemEnclosureLength,
                        typeLabel,
                        m_itemEnclosureType,
                        m_itemEnclosureSuggestType,
                        m_itemEnclosureLocalFileBox,
                        m_itemEnclosureLocalFilename,
                        fileLabel,
                        m_itemEnclosureLocalFileDropTarget,
                        m_itemEnclosureSelectLocalFile};
    placeLayout(page, enclosure);

    page = itemPage(QStringLiteral("Item_iTunes_subtitle"), tr("The episode's subtitle"),
                    tr("A few words shown under the episode's title. HTML is removed."), copyTags);
    m_itemiTunesSubtitle = named<VLXTextField>("itemiTunesSubtitle");
    placeLayout(page, withCopy(page, m_itemiTunesSubtitle, tr("Copy &Title")));
    page = itemPage(QStringLiteral("Item_iTunes_summary"), tr("The episode's summary"),
                    tr("What the episode is about, in up to 4000 characters. HTML is removed."),
                    copyTags);
    m_itemiTunesSummary = named<VLXTextView>("itemiTunesSummary");
    placeLayout(page, withCopy(page, m_itemiTunesSummary, tr("Copy &Description")));
    page = itemPage(QStringLiteral("Item_iTunes_duration"), tr("The episode's duration"),
                    tr("How long the episode plays: seconds, minutes:seconds or "
                       "hours:minutes:seconds, such as 1:05:00."),
                    feedTags);
    place(page, m_itemiTunesDuration = named<VLXTextField>("itemiTunesDuration"));
    page = itemPage(QStringLiteral("Item_iTunes_keywords"), tr("The episode's keywords"),
                    tr("Up to twelve words people search for, separated by commas."), feedTags);
    place(page, m_itemiTunesKeywords = named<VLXTextField>("itemiTunesKeywords"));
    page = itemPage(QStringLiteral("Item_iTunes_author"), tr("The episode's author"),
                    tr("Who made the episode."), feedTags);
    place(page, m_itemiTunesAuthor = named<VLXTextField>("itemiTunesAuthor"));

    // --- The finish pages ---
    const QList<int> finishTags {WizardEngine::kCancel, WizardEngine::kBack, WizardEngine::kNext,
                                 WizardEngine::kFinish};
    const QString feedDone = tr("Press Finish to make the feed with its items, Add Another Item "
                                "to enter one more, or Back to see the last item again.");
    const QString itemsDone = tr("Press Finish to put the new items at the top of the feed, Add "
                                 "Another Item to enter one more, or Back to see the last item "
                                 "again.");
    addPage(QStringLiteral("Feed_finalize"), tr("The feed is ready"), feedDone, finishTags);
    addPage(QStringLiteral("Feed_iTunes_finalize"), tr("The podcast is ready"), feedDone,
            finishTags);
    addPage(QStringLiteral("Item_finalize"), tr("The items are ready"), itemsDone, finishTags);
    addPage(QStringLiteral("Item_iTunes_finalize"), tr("The episodes are ready"), itemsDone,
            finishTags);

    // A blank first entry: a feed may leave its language unsaid (a podcast may not).
    m_feedLanguage->addItem(QString());
    m_feedLanguage->addItems(VLXFeedLanguage::sharedLanguageTitles());
    registerHandlers();
}

void FeedWizard::setupHelpAnchors()
{
    const struct
    {
        VLXHelpAnchored *control;
        const char *anchor;
    } anchors[] = {
        {m_chooseFeedType, "TypeOfFeed"},
        {m_feedTitle, "FeedTitle"},
        {m_feedDescription, "FeedDescription"},
        {m_feedLink, "FeedLink"},
        {m_feedCopyright, "FeedCopyright"},
        {m_feedLanguage, "FeedLanguage"},
        {m_feediTunesSubtitle, "FeediTunesSubtitle"},
        {m_feediTunesSummary, "FeediTunesSummary"},
        {m_feediTunesCategoryTable, "FeediTunesCategory"},
        {m_feediTunesKeywords, "FeediTunesKeywords"},
        {m_feediTunesAuthor, "FeediTunesAuthor"},
        {m_feediTunesOwnerName, "FeediTunesOwnerName"},
        {m_feediTunesOwnerEmail, "FeediTunesOwnerEmail"},
        {m_feediTunesImage, "FeediTunesImage"},
        {m_itemTitle, "ItemTitle"},
        {m_itemDescription, "ItemDescription"},
        {m_itemLink, "ItemLink"},
        {m_itemIncludeEnclosure, "RSSEnclosure"},
        {m_itemEnclosureURL, "RSSEnclosure"},
        {m_itemEnclosureLength, "RSSEnclosure"},
        {m_itemEnclosureType, "RSSEnclosure"},
        {m_itemEnclosureSuggestType, "SuggestType"},
        {m_itemiTunesSubtitle, "ItemiTunesSubtitle"},
        {m_itemiTunesSummary, "ItemiTunesSummary"},
        {m_itemiTunesDuration, "ItemiTunesDuration"},
        {m_itemiTunesKeywords, "ItemiTunesKeywords"},
        {m_itemiTunesAuthor, "ItemiTunesAuthor"},
    };
    for (const auto &entry : anchors)
        entry.control->setHelpAnchor(QLatin1String(entry.anchor));
}

void FeedWizard::registerHandlers()
{
    const struct
    {
        const char *name;
        void (FeedWizard::*handler)(int);
    } pages[] = {
        {"Intro_1", &FeedWizard::Intro_1},
        {"Feed_type", &FeedWizard::Feed_type},
        {"Feed_title", &FeedWizard::Feed_title},
        {"Feed_description", &FeedWizard::Feed_description},
        {"Feed_link", &FeedWizard::Feed_link},
        {"Feed_copyright", &FeedWizard::Feed_copyright},
        {"Feed_language", &FeedWizard::Feed_language},
        {"Feed_iTunes_subtitle", &FeedWizard::Feed_iTunes_subtitle},
        {"Feed_iTunes_summary", &FeedWizard::Feed_iTunes_summary},
        {"Feed_iTunes_category", &FeedWizard::Feed_iTunes_category},
        {"Feed_iTunes_keywords", &FeedWizard::Feed_iTunes_keywords},
        {"Feed_iTunes_author", &FeedWizard::Feed_iTunes_author},
        {"Feed_iTunes_owner", &FeedWizard::Feed_iTunes_owner},
        {"Feed_iTunes_image", &FeedWizard::Feed_iTunes_image},
        {"Item_description", &FeedWizard::Item_description},
        {"Item_link", &FeedWizard::Item_link},
        {"Item_iTunes_duration", &FeedWizard::Item_iTunes_duration},
    };
    for (const auto &page : pages) {
        auto handler = page.handler;
        m_engine.setHandler(QLatin1String(page.name),
                            [this, handler](int tag) { (this->*handler)(tag); });
    }
    auto set = [this](const char *name, WizardEngine::Handler handler) {
        m_engine.setHandler(QLatin1String(name), std::move(handler));
    };
    set("Item_intro", [this](int tag) { itemIntro(tag, false, false); });
    set("Item_iTunes_intro", [this](int tag) { itemIntro(tag, false, true); });
    set("Item_only_intro", [this](int tag) { itemIntro(tag, true, false); });
    set("Item_only_iTunes_intro", [this](int tag) { itemIntro(tag, true, true); });
    set("Item_title", [this](int tag) { itemTitlePage(tag, false); });
    set("Item_iTunes_title", [this](int tag) { itemTitlePage(tag, true); });
    set("Item_enclosure", [this](int tag) { itemEnclosurePage(tag, false); });
    set("Item_iTunes_enclosure", [this](int tag) { itemEnclosurePage(tag, true); });
    set("Item_iTunes_subtitle",
        [this](int tag) { itemITunesTextPage(tag, m_itemiTunesSubtitle, iTunesItem::kSubtitle); });
    set("Item_iTunes_summary",
        [this](int tag) { itemITunesTextPage(tag, m_itemiTunesSummary, iTunesItem::kSummary); });
    set("Item_iTunes_keywords",
        [this](int tag) { itemITunesTextPage(tag, m_itemiTunesKeywords, iTunesItem::kKeywords); });
    set("Item_iTunes_author",
        [this](int tag) { itemITunesTextPage(tag, m_itemiTunesAuthor, iTunesItem::kAuthor); });
    set("Feed_finalize", [this](int tag) { finishPage(tag, false); });
    set("Feed_iTunes_finalize", [this](int tag) { finishPage(tag, true); });
    set("Item_finalize", [this](int tag) { finishPage(tag, false); });
    set("Item_iTunes_finalize", [this](int tag) { finishPage(tag, true); });
}

void FeedWizard::pageSelected(const QString &page)
{
    // Return presses Next, on the finish pages Finish.
    const int main
        = page.endsWith(QLatin1String("_finalize")) ? WizardEngine::kFinish : WizardEngine::kNext;
    if (QWidget *shown = m_tabView->currentWidget()) {
        for (auto *button : shown->findChildren<VLXButton *>()) {
            if (button->property("tag").toInt() == main)
                button->setDefault(true);
        }
    }

    // The page's field takes the keys, so that a user can go through the wizard typing.
    const struct
    {
        const char *page;
        QWidget *control;
    } focus[] = {
        {"Feed_type", m_chooseFeedType},
        {"Feed_title", m_feedTitle},
        {"Feed_description", m_feedDescription},
        {"Feed_link", m_feedLink},
        {"Feed_copyright", m_feedCopyright},
        {"Feed_language", m_feedLanguage},
        {"Feed_iTunes_subtitle", m_feediTunesSubtitle},
        {"Feed_iTunes_summary", m_feediTunesSummary},
        {"Feed_iTunes_category", m_feediTunesCategoryTable},
        {"Feed_iTunes_keywords", m_feediTunesKeywords},
        {"Feed_iTunes_author", m_feediTunesAuthor},
        {"Feed_iTunes_owner", m_feediTunesOwnerName},
        {"Feed_iTunes_image", m_feediTunesImage},
        {"Item_title", m_itemTitle},
        {"Item_description", m_itemDescription},
        {"Item_link", m_itemLink},
        {"Item_enclosure", m_itemEnclosureURL},
        {"Item_iTunes_subtitle", m_itemiTunesSubtitle},
        {"Item_iTunes_summary", m_itemiTunesSummary},
        {"Item_iTunes_duration", m_itemiTunesDuration},
        {"Item_iTunes_keywords", m_itemiTunesKeywords},
        {"Item_iTunes_author", m_itemiTunesAuthor},
    };
    for (const auto &entry : focus) {
        if (page == QLatin1String(entry.page)) {
            QWidget *control = entry.control;
            if (control == m_chooseFeedType && m_chooseFeedType->selectedTag() >= 0)
                control = m_chooseFeedType->cellWithTag(m_chooseFeedType->selectedTag());
            // A field the include box hides cannot take the keys: the box does.
            if (control == m_itemEnclosureURL && !m_itemIncludeEnclosure->isChecked())
                control = m_itemIncludeEnclosure;
            control->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}
