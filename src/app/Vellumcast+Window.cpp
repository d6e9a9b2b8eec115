// Window set-up: every outlet of the feed window, laid out in its tabs.
#include "app/Vellumcast.h"

#include "model/VLXFeedLanguage.h"
#include "platform/DefaultsStore.h"
#include "ui/VLXBox.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXImageView.h"
#include "ui/VLXListBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXSpinBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextViewHTML.h"
#include "ui/ViewEmbedding.h"
#include "ui/vlxDisclosureButton.h"
#include "ui/vlxDisclosureTextField.h"

#include <QApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
const QString kFrameKey = QStringLiteral("NSWindow Frame Vellumcast");

template<typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

VLXTextField *textField(const QString &name, const QString &placeholder = {})
{
    auto *field = named(new VLXTextField, name);
    field->setPlaceholderText(placeholder);
    field->setClearButtonEnabled(false);
    return field;
}

QFormLayout *newForm()
{
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    return form;
}

QTabWidget *subTabs(const QString &name)
{
    auto *tabs = named(new QTabWidget, name);
    tabs->setDocumentMode(true);
    tabs->setUsesScrollButtons(true);
    return tabs;
}

// A tab page whose identifier (the Part's tab identifier) is its object name.
QWidget *page(const QString &identifier)
{
    return named(new QWidget, identifier);
}

// Puts a laid-out pane into a tab page through a vertically scrolling area.
QWidget *scrollingPage(const QString &identifier, QLayout *paneLayout)
{
    QWidget pane;
    pane.setLayout(paneLayout);
    QWidget *tab = page(identifier);
    ViewEmbedding::moveObjectsFrom(&pane, tab);
    return tab;
}

VLXButton *smallButton(const QString &name, const QString &title, const QString &tip = {})
{
    auto *button = named(new VLXButton, name);
    button->setText(title);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

// A table with +, - and Edit buttons under it.
QWidget *tableWithButtons(Vellumcast *owner, const QString &tableName, const QString &addName,
                          const QString &deleteName, const QString &editName,
                          const QStringList &columns, int minimumHeight = 90)
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto *table = named(new VLXTableView, tableName);
    table->setMinimumHeight(minimumHeight);
    table->setDataSource(owner, columns);
    layout->addWidget(table);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    auto *add = smallButton(addName, QStringLiteral("+"), Vellumcast::tr("Add"));
    auto *remove = smallButton(deleteName, QStringLiteral("\u2212"), Vellumcast::tr("Delete"));
    auto *edit = smallButton(editName, Vellumcast::tr("Edit\u2026"));
    for (VLXButton *button : {add, remove})
        button->setFixedWidth(32);
    remove->setEnabled(false);
    edit->setEnabled(false);
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addWidget(edit);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return box;
}

// A disclosure line (triangle, label, one-line summary) and the box it opens beneath it.
VLXBox *disclosure(QVBoxLayout *into, const QString &base, const QString &title)
{
    auto *line = new QHBoxLayout;
    line->setSpacing(6);
    auto *button = named(new vlxDisclosureButton, base + QStringLiteral("_Disclosure"));
    auto *label = new QLabel(title);
    label->setMinimumWidth(90);
    auto *summary = named(new vlxDisclosureTextField, base);
    auto *box = named(new VLXBox, base + QStringLiteral("_Box"));
    box->setTitle(QString());
    button->setLabelField(label);
    button->setResultField(summary);
    button->setBoxField(box);
    summary->setButton(button);
    line->addWidget(button);
    line->addWidget(label);
    line->addWidget(summary, 1);
    into->addLayout(line);
    into->addWidget(box);
    return box;
}

QHBoxLayout *dateRow(const QString &prefix, QWidget *field, QWidget *extra = nullptr)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(field, 1);
    if (extra)
        row->addWidget(extra);
    row->addWidget(smallButton(prefix + QStringLiteral("_DatePickerButton"),
                               Vellumcast::tr("Pick\u2026"),
                               Vellumcast::tr("Choose the date and time on a calendar")));
    row->addWidget(smallButton(prefix + QStringLiteral("_SmartDateButton"),
                               Vellumcast::tr("Smart Date"),
                               Vellumcast::tr("Set the date from the smart-date rule")));
    return row;
}

QWidget *descriptionEditor(const QString &prefix)
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto *view = named(new VLXTextViewHTML, prefix + QStringLiteral("_Description"));
    view->setTabChangesFocus(true);
    view->setMinimumHeight(120);
    layout->addWidget(view, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(smallButton(prefix + QStringLiteral("_EditHTML"),
                                   Vellumcast::tr("Edit HTML\u2026"),
                                   Vellumcast::tr("Edit the description as formatted text")));
    layout->addLayout(buttons);
    return box;
}

QWidget *listPanel(const QString &title, QWidget *list)
{
    auto *panel = new QWidget;
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto *label = new QLabel(title);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    layout->addWidget(label);
    layout->addWidget(list, 1);
    return panel;
}
} // namespace

void Vellumcast::buildWindow()
{
    auto *window = new QMainWindow;
    m_documentWindow = window;
    window->setObjectName(QStringLiteral("documentWindow"));
    window->setWindowTitle(QStringLiteral("Vellumcast"));
    window->setWindowIcon(QIcon(QStringLiteral(":/icons/vellumcast.svg")));
    window->setUnifiedTitleAndToolBarOnMac(true);
    window->installEventFilter(this);

    auto *tabs = named(new QTabWidget, QStringLiteral("tabsFeeds"));
    tabs->setDocumentMode(false);
    tabs->addTab(buildFeedsTab(), tr("Feeds"));
    tabs->addTab(buildItemsTab(), tr("Items"));
    tabs->addTab(buildImageTab(), tr("Image"));
    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 6, 8, 2);
    layout->addWidget(tabs);
    window->setCentralWidget(central);

    m_statusText = named(new QLabel, QStringLiteral("statusText"));
    m_statusText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_statusText->setMinimumWidth(100);
    window->statusBar()->addWidget(m_statusText, 1);
    window->statusBar()->setSizeGripEnabled(true);

    connect(tabs, &QTabWidget::currentChanged, this, &Vellumcast::tabChanged);
    setHelpAnchors();

    for (const char *name : {"Feeds_Required_Description", "Items_Required_Description"})
        outlet<VLXTextViewHTML>(QString::fromLatin1(name))->setAcceptDrops(true);
    outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"))->setDelegate(this);
    auto *items = outlet<VLXTableView>(QStringLiteral("Items_Required_Items"));
    connect(items->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    populateItem(current.row());
                validateCommands();
            });
    outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"))->setFocus();
}

QWidget *Vellumcast::buildFeedsTab()
{
    auto *split = named(new QSplitter(Qt::Horizontal), QStringLiteral("Feeds_SplitView"));
    split->setChildrenCollapsible(false);
    auto *list = named(new VLXListBox, QStringLiteral("Feeds_Required_Files"));
    QWidget *left = listPanel(tr("Your Feeds"), list);
    left->setMinimumWidth(125);
    split->addWidget(left);

    auto *sub = subTabs(QStringLiteral("tabsFeeds_FeedsSub"));
    sub->setMinimumWidth(420);

    // Required
    auto *required = page(QStringLiteral("Required"));
    auto *requiredLayout = new QVBoxLayout(required);
    auto *form = newForm();
    form->addRow(tr("Title:"),
                 textField(QStringLiteral("Feeds_Required_Title"), tr("Name of the feed")));
    form->addRow(tr("Link:"), textField(QStringLiteral("Feeds_Required_Link"), tr("https://")));
    auto *autoDate = named(new VLXCheckBox, QStringLiteral("Feeds_Required_AutoPubDate"));
    autoDate->setText(tr("Automatic"));
    autoDate->setToolTip(tr("Set the publication date to now on every change"));
    form->addRow(tr("Pub Date:"),
                 dateRow(QStringLiteral("Feeds_Required"),
                         textField(QStringLiteral("Feeds_Required_PubDate")), autoDate));
    requiredLayout->addLayout(form);
    requiredLayout->addWidget(new QLabel(tr("Description:")));
    requiredLayout->addWidget(descriptionEditor(QStringLiteral("Feeds_Required")), 1);
    sub->addTab(required, tr("Required"));

    // Optional: a long pane that scrolls.
    auto *optional = new QVBoxLayout;
    auto *optionalForm = newForm();
    auto *language = named(new VLXPopUpButton, QStringLiteral("Feeds_Optional_Language"));
    language->addItems(VLXFeedLanguage::sharedLanguageTitles());
    // A feed without a language shows no choice.
    language->setCurrentIndex(-1);
    language->setMaxVisibleItems(20);
    optionalForm->addRow(tr("Language:"), language);
    optionalForm->addRow(
        tr("Webmaster:"),
        textField(QStringLiteral("Feeds_Optional_Webmaster"), tr("e-mail (name)")));
    optionalForm->addRow(tr("Editor:"),
                         textField(QStringLiteral("Feeds_Optional_Editor"), tr("e-mail (name)")));
    optionalForm->addRow(tr("Copyright:"), textField(QStringLiteral("Feeds_Optional_Copyright")));
    optionalForm->addRow(tr("Rating:"), textField(QStringLiteral("Feeds_Optional_Rating")));
    optionalForm->addRow(tr("Docs:"), textField(QStringLiteral("Feeds_Optional_Docs")));
    optionalForm->addRow(tr("TTL:"),
                         textField(QStringLiteral("Feeds_Optional_TTL"), tr("minutes")));
    optional->addLayout(optionalForm);
    optional->addWidget(new QLabel(tr("Categories:")));
    optional->addWidget(tableWithButtons(
        this, QStringLiteral("Feeds_Optional_Category"),
        QStringLiteral("Feeds_Optional_AddCategory"), QStringLiteral("Feeds_Optional_DelCategory"),
        QStringLiteral("Feeds_Optional_EditCategory"), {QStringLiteral("category")}));
    {
        VLXBox *box
            = disclosure(optional, QStringLiteral("Feeds_Optional_SkipHours"), tr("Skip Hours"));
        auto *matrix = named(new VLXMatrix, QStringLiteral("Feeds_Optional_SkipHours_Matrix"));
        for (int hour = 0; hour < 24; ++hour)
            matrix->addCell(hour, QStringLiteral("%1").arg(hour, 2, 10, QLatin1Char('0')), hour / 8,
                            hour % 8);
        (new QVBoxLayout(box))->addWidget(matrix);
    }
    {
        VLXBox *box
            = disclosure(optional, QStringLiteral("Feeds_Optional_SkipDays"), tr("Skip Days"));
        auto *matrix = named(new VLXMatrix, QStringLiteral("Feeds_Optional_SkipDays_Matrix"));
        const QStringList days {tr("Sunday"),   tr("Monday"), tr("Tuesday"), tr("Wednesday"),
                                tr("Thursday"), tr("Friday"), tr("Saturday")};
        for (int day = 0; day < 7; ++day)
            matrix->addCell(day, days[day], day / 4, day % 4);
        (new QVBoxLayout(box))->addWidget(matrix);
    }
    {
        VLXBox *box = disclosure(optional, QStringLiteral("Feeds_Optional_Cloud"), tr("Cloud"));
        auto *cloud = newForm();
        cloud->addRow(tr("Domain:"), textField(QStringLiteral("Feeds_Optional_Cloud_Domain")));
        cloud->addRow(tr("Port:"), textField(QStringLiteral("Feeds_Optional_Cloud_Port")));
        cloud->addRow(tr("Path:"), textField(QStringLiteral("Feeds_Optional_Cloud_Path")));
        cloud->addRow(tr("Procedure:"), textField(QStringLiteral("Feeds_Optional_Cloud_RegProc")));
        cloud->addRow(tr("Protocol:"), textField(QStringLiteral("Feeds_Optional_Cloud_Protocol")));
        box->setLayout(cloud);
    }
    {
        VLXBox *box
            = disclosure(optional, QStringLiteral("Feeds_Optional_TextInput"), tr("Text Input"));
        auto *input = newForm();
        input->addRow(tr("Title:"), textField(QStringLiteral("Feeds_Optional_TextInput_Title")));
        input->addRow(tr("Description:"),
                      textField(QStringLiteral("Feeds_Optional_TextInput_Description")));
        input->addRow(tr("Name:"), textField(QStringLiteral("Feeds_Optional_TextInput_Name")));
        input->addRow(tr("Link:"), textField(QStringLiteral("Feeds_Optional_TextInput_Link")));
        box->setLayout(input);
    }
    optional->addStretch(1);
    sub->addTab(scrollingPage(QStringLiteral("Optional"), optional), tr("Optional"));

    // Extensions: the "General" tab lists the namespaces; one tab per extension follows.
    auto *extensions = page(QStringLiteral("Extensions"));
    auto *extensionsLayout = new QVBoxLayout(extensions);
    extensionsLayout->setContentsMargins(0, 4, 0, 0);
    auto *extensionTabs = subTabs(QStringLiteral("tabsFeeds_FeedsExtensions"));
    auto *general = page(QStringLiteral("General"));
    auto *generalLayout = new QVBoxLayout(general);
    generalLayout->addWidget(new QLabel(tr("Namespaces used by this feed:")));
    auto *namespaces = named(new VLXTableView, QStringLiteral("Feeds_Extensions_List"));
    namespaces->setDataSource(this, {QStringLiteral("extensionUsed"), QStringLiteral("namespace")},
                              {tr("Use"), tr("Namespace")});
    namespaces->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    generalLayout->addWidget(namespaces, 1);
    auto *namespaceButtons = new QHBoxLayout;
    namespaceButtons->addWidget(
        smallButton(QStringLiteral("Feeds_Extensions_Add"), tr("Add Namespace\u2026")));
    namespaceButtons->addStretch(1);
    generalLayout->addLayout(namespaceButtons);
    extensionTabs->addTab(general, tr("General"));
    extensionsLayout->addWidget(extensionTabs);
    sub->addTab(extensions, tr("Extensions"));

    // Advanced
    auto *advanced = page(QStringLiteral("Advanced"));
    auto *advancedLayout = new QVBoxLayout(advanced);
    auto *advancedForm = newForm();
    advancedForm->addRow(tr("XSL Style Sheet:"),
                         textField(QStringLiteral("Feeds_Advanced_StyleSheet"), tr("https://")));
    advancedForm->addRow(tr("CSS Style Sheet:"),
                         textField(QStringLiteral("Feeds_Advanced_StyleSheetCSS"), tr("https://")));
    advancedLayout->addLayout(advancedForm);
    advancedLayout->addWidget(new QLabel(tr("XML Comments:")));
    advancedLayout->addWidget(tableWithButtons(this, QStringLiteral("Feeds_Advanced_Comments"),
                                               QStringLiteral("Feeds_Advanced_AddComments"),
                                               QStringLiteral("Feeds_Advanced_DelComments"),
                                               QStringLiteral("Feeds_Advanced_EditComments"),
                                               {QStringLiteral("comment")}),
                              1);
    sub->addTab(advanced, tr("Advanced"));

    split->addWidget(sub);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({230, 700});
    return named(split, QStringLiteral("Feeds_SplitView"));
}

QWidget *Vellumcast::buildItemsTab()
{
    auto *split = named(new QSplitter(Qt::Horizontal), QStringLiteral("Items_SplitView"));
    split->setChildrenCollapsible(false);
    auto *items = named(new VLXTableView, QStringLiteral("Items_Required_Items"));
    items->setDataSource(this, {QStringLiteral("title")});
    items->horizontalHeader()->hide();
    QWidget *left = listPanel(tr("Items"), items);
    left->setMinimumWidth(125);
    split->addWidget(left);

    auto *sub = subTabs(QStringLiteral("tabsFeeds_ItemsSub"));
    sub->setMinimumWidth(380);

    auto *required = page(QStringLiteral("Required"));
    auto *requiredLayout = new QVBoxLayout(required);
    auto *form = newForm();
    form->addRow(tr("Title:"), textField(QStringLiteral("Items_Required_Title")));
    form->addRow(tr("Link:"), textField(QStringLiteral("Items_Required_Link"), tr("https://")));
    form->addRow(tr("Pub Date:"),
                 dateRow(QStringLiteral("Items_Required"),
                         textField(QStringLiteral("Items_Required_PubDate"))));
    requiredLayout->addLayout(form);
    requiredLayout->addWidget(new QLabel(tr("Description:")));
    requiredLayout->addWidget(descriptionEditor(QStringLiteral("Items_Required")), 1);
    sub->addTab(required, tr("Required"));

    auto *optional = new QVBoxLayout;
    auto *optionalForm = newForm();
    optionalForm->addRow(tr("Author:"),
                         textField(QStringLiteral("Items_Optional_Author"), tr("e-mail (name)")));
    optionalForm->addRow(tr("Comments:"),
                         textField(QStringLiteral("Items_Optional_Comments"), tr("https://")));
    optional->addLayout(optionalForm);
    optional->addWidget(new QLabel(tr("Categories:")));
    optional->addWidget(tableWithButtons(
        this, QStringLiteral("Items_Optional_Category"),
        QStringLiteral("Items_Optional_AddCategory"), QStringLiteral("Items_Optional_DelCategory"),
        QStringLiteral("Items_Optional_EditCategory"), {QStringLiteral("category")}));
    {
        VLXBox *box
            = disclosure(optional, QStringLiteral("Items_Optional_Enclosure"), tr("Enclosure"));
        auto *enclosure = newForm();
        enclosure->addRow(
            tr("URL:"), textField(QStringLiteral("Items_Optional_Enclosure_URL"), tr("https://")));
        enclosure->addRow(
            tr("Length:"),
            textField(QStringLiteral("Items_Optional_Enclosure_Length"), tr("bytes")));
        auto *typeRow = new QHBoxLayout;
        typeRow->addWidget(
            textField(QStringLiteral("Items_Optional_Enclosure_Type"), tr("audio/mpeg")), 1);
        typeRow->addWidget(smallButton(QStringLiteral("Items_Optional_Enclosure_sugestMIMEType"),
                                       tr("Suggest"), tr("Propose the MIME type from the URL")));
        enclosure->addRow(tr("Type:"), typeRow);
        auto *fileRow = new QHBoxLayout;
        auto *drop = named(new VLXImageView,
                           QStringLiteral("Items_Optional_Enclosure_Advanced_DropTarget"));
        drop->setFixedSize(40, 40);
        drop->setFrameShape(QFrame::StyledPanel);
        drop->setToolTip(tr("Drop the local file of the enclosure here"));
        auto *file = textField(QStringLiteral("Items_Optional_Enclosure_Advanced_Filename"),
                               tr("No local file"));
        file->setReadOnly(true);
        fileRow->addWidget(drop);
        fileRow->addWidget(file, 1);
        fileRow->addWidget(smallButton(QStringLiteral("Items_Optional_Enclosure_Advanced_Select"),
                                       tr("Choose\u2026")));
        enclosure->addRow(tr("Local File:"), fileRow);
        box->setLayout(enclosure);
    }
    {
        VLXBox *box = disclosure(optional, QStringLiteral("Items_Optional_GUID"), tr("GUID"));
        auto *guid = newForm();
        auto *guidRow = new QHBoxLayout;
        guidRow->addWidget(textField(QStringLiteral("Items_Optional_GUID_GUID")), 1);
        guidRow->addWidget(
            smallButton(QStringLiteral("Items_Optional_GUID_Generate"), tr("Generate")));
        guid->addRow(tr("GUID:"), guidRow);
        auto *perma = named(new VLXCheckBox, QStringLiteral("Items_Optional_GUID_Perma"));
        perma->setText(tr("Is a permanent link"));
        guid->addRow(QString(), perma);
        box->setLayout(guid);
    }
    {
        VLXBox *box = disclosure(optional, QStringLiteral("Items_Optional_Source"), tr("Source"));
        auto *source = newForm();
        source->addRow(tr("Title:"), textField(QStringLiteral("Items_Optional_Source_Source")));
        source->addRow(tr("URL:"),
                       textField(QStringLiteral("Items_Optional_Source_URL"), tr("https://")));
        box->setLayout(source);
    }
    optional->addStretch(1);
    sub->addTab(scrollingPage(QStringLiteral("Optional"), optional), tr("Optional"));

    auto *extensions = page(QStringLiteral("Extensions"));
    auto *extensionsLayout = new QVBoxLayout(extensions);
    extensionsLayout->setContentsMargins(0, 4, 0, 0);
    extensionsLayout->addWidget(subTabs(QStringLiteral("tabsFeeds_ItemsExtensions")));
    sub->addTab(extensions, tr("Extensions"));

    auto *advanced = page(QStringLiteral("Advanced"));
    auto *advancedLayout = new QVBoxLayout(advanced);
    advancedLayout->addWidget(new QLabel(tr("XML Comments:")));
    advancedLayout->addWidget(tableWithButtons(this, QStringLiteral("Items_Advanced_Comments"),
                                               QStringLiteral("Items_Advanced_AddComments"),
                                               QStringLiteral("Items_Advanced_DelComments"),
                                               QStringLiteral("Items_Advanced_EditComments"),
                                               {QStringLiteral("comment")}),
                              1);
    sub->addTab(advanced, tr("Advanced"));

    split->addWidget(sub);
    split->setStretchFactor(1, 1);
    split->setSizes({260, 670});
    return split;
}

QWidget *Vellumcast::buildImageTab()
{
    auto *split = named(new QSplitter(Qt::Horizontal), QStringLiteral("Image_SplitView"));
    split->setChildrenCollapsible(false);
    auto *picture = named(new VLXImageView, QStringLiteral("Image_Required_Image"));
    picture->setFrameShape(QFrame::StyledPanel);
    picture->setBackgroundRole(QPalette::Base);
    picture->setAutoFillBackground(true);
    picture->setPlaceholderText(tr("No image"));
    picture->setMinimumWidth(75);
    split->addWidget(picture);

    auto *sub = subTabs(QStringLiteral("tabsFeeds_ImagesSub"));
    sub->setMinimumWidth(395);

    auto *required = page(QStringLiteral("Required"));
    auto *requiredLayout = new QVBoxLayout(required);
    auto *form = newForm();
    form->addRow(tr("Title:"), textField(QStringLiteral("Image_Required_Title")));
    form->addRow(tr("Description:"), textField(QStringLiteral("Image_Required_Description")));
    form->addRow(tr("Link:"), textField(QStringLiteral("Image_Required_Link"), tr("https://")));
    form->addRow(tr("Image URL:"), textField(QStringLiteral("Image_Required_URL"), tr("https://")));
    auto *size = new QHBoxLayout;
    auto *width = textField(QStringLiteral("Image_Required_Width"), tr("at most 144"));
    auto *height = textField(QStringLiteral("Image_Required_Height"), tr("at most 400"));
    for (QLineEdit *field : {static_cast<QLineEdit *>(width), static_cast<QLineEdit *>(height)})
        field->setMaximumWidth(110);
    size->addWidget(width);
    size->addWidget(new QLabel(QStringLiteral("\u00d7")));
    size->addWidget(height);
    size->addStretch(1);
    form->addRow(tr("Size:"), size);
    requiredLayout->addLayout(form);
    requiredLayout->addStretch(1);
    sub->addTab(required, tr("Required"));

    auto *edit = page(QStringLiteral("Edit"));
    auto *editLayout = new QVBoxLayout(edit);
    auto *crop = named(new VLXBox, QStringLiteral("Image_Edit_CropBox"));
    crop->setTitle(tr("Crop"));
    auto *cropGrid = new QGridLayout(crop);
    const QList<QPair<QString, QString>> edges {{QStringLiteral("Left"), tr("Left:")},
                                                {QStringLiteral("Right"), tr("Right:")},
                                                {QStringLiteral("Top"), tr("Top:")},
                                                {QStringLiteral("Bottom"), tr("Bottom:")}};
    for (int i = 0; i < edges.size(); ++i) {
        auto *stepper = named(new VLXSpinBox, QStringLiteral("Image_Edit_New") + edges[i].first);
        stepper->setRange(0, 0);
        // The stepper's text is the edge's text field.
        stepper->findChild<QLineEdit *>()->setObjectName(QStringLiteral("Image_Edit_New")
                                                         + edges[i].first + QStringLiteral("TF"));
        cropGrid->addWidget(new QLabel(edges[i].second), i / 2, (i % 2) * 2, Qt::AlignRight);
        cropGrid->addWidget(stepper, i / 2, (i % 2) * 2 + 1);
    }
    cropGrid->addWidget(smallButton(QStringLiteral("Image_Edit_CropButton"), tr("Crop Image")), 2,
                        3, Qt::AlignRight);
    editLayout->addWidget(crop);
    auto *scale = named(new VLXBox, QStringLiteral("Image_Edit_ScaleBox"));
    scale->setTitle(tr("Scale"));
    auto *scaleLayout = new QVBoxLayout(scale);
    auto *presets = new VLXMatrix(nullptr, VLXMatrix::Radio);
    presets->setObjectName(QStringLiteral("Image_Edit_ScaleMatrix"));
    presets->addCell(0, tr("Fit within 144 \u00d7 400 (largest allowed)"), 0, 0);
    presets->addCell(1, tr("Fit within 88 \u00d7 31 (default size)"), 1, 0);
    presets->addCell(2, tr("Exactly:"), 2, 0);
    presets->setStateOfTag(0, 1);
    scaleLayout->addWidget(presets);
    auto *exact = new QHBoxLayout;
    exact->addSpacing(24);
    auto *newWidth = textField(QStringLiteral("Image_Edit_NewWidth"), tr("width"));
    auto *newHeight = textField(QStringLiteral("Image_Edit_NewHeight"), tr("height"));
    newWidth->setMaximumWidth(90);
    newHeight->setMaximumWidth(90);
    exact->addWidget(newWidth);
    exact->addWidget(new QLabel(QStringLiteral("\u00d7")));
    exact->addWidget(newHeight);
    exact->addStretch(1);
    exact->addWidget(smallButton(QStringLiteral("Image_Edit_ScaleButton"), tr("Scale Image")));
    scaleLayout->addLayout(exact);
    editLayout->addWidget(scale);
    editLayout->addStretch(1);
    sub->addTab(edit, tr("Edit"));

    auto *extensions = page(QStringLiteral("Extensions"));
    auto *extensionsLayout = new QVBoxLayout(extensions);
    extensionsLayout->setContentsMargins(0, 4, 0, 0);
    extensionsLayout->addWidget(subTabs(QStringLiteral("tabsFeeds_ImagesExtensions")));
    sub->addTab(extensions, tr("Extensions"));

    auto *advanced = page(QStringLiteral("Advanced"));
    auto *advancedLayout = new QVBoxLayout(advanced);
    advancedLayout->addWidget(new QLabel(tr("XML Comments:")));
    advancedLayout->addWidget(tableWithButtons(this, QStringLiteral("Image_Advanced_Comments"),
                                               QStringLiteral("Image_Advanced_AddComments"),
                                               QStringLiteral("Image_Advanced_DelComments"),
                                               QStringLiteral("Image_Advanced_EditComments"),
                                               {QStringLiteral("comment")}),
                              1);
    sub->addTab(advanced, tr("Advanced"));

    split->addWidget(sub);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    split->setSizes({360, 570});
    return split;
}

void Vellumcast::setHelpAnchors()
{
    static const QList<QPair<const char *, const char *>> anchors {
        {"Feeds_Required_Title", "FeedTitle"},
        {"Feeds_Required_Description", "FeedDescription"},
        {"Feeds_Required_Link", "FeedLink"},
        {"Feeds_Required_PubDate", "FeedPubDate"},
        {"Feeds_Required_AutoPubDate", "AutoPubDate"},
        {"Feeds_Required_DatePickerButton", "DatePicker"},
        {"Items_Required_DatePickerButton", "DatePicker"},
        {"Feeds_Required_SmartDateButton", "SmartDate"},
        {"Items_Required_SmartDateButton", "SmartDate"},
        {"Feeds_Optional_SkipHours", "FeedSkipHours"},
        {"Feeds_Optional_SkipHours_Box", "FeedSkipHours"},
        {"Feeds_Optional_SkipDays", "FeedSkipDays"},
        {"Feeds_Optional_SkipDays_Box", "FeedSkipDays"},
        {"Feeds_Optional_Category", "FeedCategory"},
        {"Feeds_Optional_Cloud", "FeedCloud"},
        {"Feeds_Optional_Cloud_Box", "FeedCloud"},
        {"Feeds_Optional_TextInput", "FeedTextInput"},
        {"Feeds_Optional_TextInput_Box", "FeedTextInput"},
        {"Feeds_Optional_Webmaster", "FeedWebmaster"},
        {"Feeds_Optional_Editor", "FeedEditor"},
        {"Feeds_Optional_Copyright", "FeedCopyright"},
        {"Feeds_Optional_Rating", "FeedRating"},
        {"Feeds_Optional_Docs", "FeedDocs"},
        {"Feeds_Optional_TTL", "FeedTTL"},
        {"Feeds_Optional_Language", "FeedLanguage"},
        {"Feeds_Advanced_StyleSheet", "FeedStyleSheet"},
        {"Feeds_Advanced_StyleSheetCSS", "CSSStyleSheet"},
        {"Feeds_Advanced_Comments", "FeedXMLComments"},
        {"Items_Required_Title", "ItemTitle"},
        {"Items_Required_Description", "ItemDescription"},
        {"Items_Required_Link", "ItemLink"},
        {"Items_Required_PubDate", "ItemPubDate"},
        {"Items_Optional_Category", "ItemCategory"},
        {"Items_Optional_GUID", "ItemGUID"},
        {"Items_Optional_GUID_GUID", "ItemGUID"},
        {"Items_Optional_GUID_Box", "ItemGUID"},
        {"Items_Optional_Source", "ItemSource"},
        {"Items_Optional_Source_Box", "ItemSource"},
        {"Items_Optional_Enclosure", "RSSEnclosure"},
        {"Items_Optional_Enclosure_Box", "RSSEnclosure"},
        {"Items_Optional_Enclosure_URL", "RSSEnclosure"},
        {"Items_Optional_Enclosure_Length", "RSSEnclosure"},
        {"Items_Optional_Enclosure_Type", "RSSEnclosure"},
        {"Items_Optional_Enclosure_sugestMIMEType", "SuggestType"},
        {"Items_Optional_Author", "ItemAuthor"},
        {"Items_Optional_Comments", "ItemComments"},
        {"Items_Advanced_Comments", "ItemXMLComments"},
        {"Image_Required_Title", "ImageTitle"},
        {"Image_Required_Description", "ImageDescription"},
        {"Image_Required_Link", "ImageLink"},
        {"Image_Required_URL", "ImageURL"},
        {"Image_Required_Width", "ImageWidth"},
        {"Image_Required_Height", "ImageHeight"},
        {"Image_Advanced_Comments", "ImageRawXML"},
        {"Feeds_Extensions_List", "FeedXMLNamespace"},
        {"Image_Required_Image", "ImageDisplay"},
        {"Image_Edit_CropBox", "ModifyImage"},
        {"Image_Edit_ScaleBox", "ModifyImage"},
    };
    for (const auto &[name, anchor] : anchors) {
        auto *control = dynamic_cast<VLXHelpAnchored *>(outlet(QString::fromLatin1(name)));
        if (control)
            control->setHelpAnchor(QString::fromLatin1(anchor));
    }
}

void Vellumcast::restoreWindowFrame()
{
    const QStringList parts = userDefaults().string(kFrameKey).value_or(QString()).split(
        QLatin1Char(' '), Qt::SkipEmptyParts);
    QRect frame;
    if (parts.size() >= 4)
        frame = QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    if (frame.width() < 640 || frame.height() < 420 || !available.intersects(frame)) {
        // First run: a comfortable size, centred.
        const QSize size(qMin(1180, available.width() - 40), qMin(760, available.height() - 40));
        frame = QRect(QPoint(), size);
        frame.moveCenter(available.center());
    }
    m_documentWindow->resize(frame.size());
    m_documentWindow->move(frame.topLeft());
}

void Vellumcast::saveWindowFrame()
{
    if (!m_documentWindow)
        return;
    const QRect frame = m_documentWindow->normalGeometry();
    userDefaults().setObject(QStringLiteral("%1 %2 %3 %4")
                                 .arg(frame.x())
                                 .arg(frame.y())
                                 .arg(frame.width())
                                 .arg(frame.height()),
                             kFrameKey);
}
