#include "panes/mrss/mrssEditContent.h"

#include "model/LocalEnclosureFile.h"
#include "model/TitledElement.h"
#include "model/VLXFeedLanguage.h"
#include "panes/PaneKit.h"
#include "panes/mrss/mrssEditOptional.h"
#include "ui/EnclosureFileQuestions.h"
#include "ui/VLXButton.h"
#include "ui/VLXImageView.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

using K = mrssOptionalElements;

// The text fields of the dialog and the attribute each one holds.
struct FieldRow
{
    const char *outlet;
    const char *label;
    const char *key;
};
const FieldRow kFields[] = {
    {"editURL", "URL:", "attributeURL"},
    {"editFilesize", "File Size:", "attributeFileSize"},
    {"editType", "Type:", "attributeType"},
    {"editBitRate", "Bit Rate:", "attributeBitRate"},
    {"editFrameRate", "Frame Rate:", "attributeFrameRate"},
    {"editSamplingRate", "Sampling Rate:", "attributeSamplingRate"},
    {"editDuration", "Duration:", "attributeDuration"},
    {"editChannels", "Channels:", "attributeChannels"},
    {"editHeight", "Height:", "attributeHeight"},
    {"editWidth", "Width:", "attributeWidth"},
};

// The pop-ups: item 0 is the blank choice; the others stand for their words.
struct PopUpRow
{
    const char *outlet;
    const char *label;
    const char *key;
    QStringList titles;
    QStringList words;
};
const PopUpRow &popUp(int index)
{
    static const PopUpRow rows[] = {
        {"editMedium",
         "Medium:",
         "attributeMedium",
         {QString(), QStringLiteral("Image"), QStringLiteral("Audio"), QStringLiteral("Video"),
          QStringLiteral("Document"), QStringLiteral("Executable")},
         {QString(), QStringLiteral("image"), QStringLiteral("audio"), QStringLiteral("video"),
          QStringLiteral("document"), QStringLiteral("executable")}},
        {"editIsDefault",
         "Is Default:",
         "attributeIsDefault",
         {QString(), QStringLiteral("True"), QStringLiteral("False")},
         {QString(), QStringLiteral("true"), QStringLiteral("false")}},
        {"editExpression",
         "Expression:",
         "attributeExpression",
         {QString(), QStringLiteral("Sample"), QStringLiteral("Full"), QStringLiteral("Nonstop")},
         {QString(), QStringLiteral("sample"), QStringLiteral("full"), QStringLiteral("nonstop")}},
    };
    return rows[index];
}

} // namespace

mrssEditContent::mrssEditContent(QObject *parent) : QObject(parent) { }

mrssEditContent::~mrssEditContent()
{
    delete m_window;
}

void mrssEditContent::loadInterface(QWidget *parent)
{
    m_window = new QDialog(parent ? parent->window() : nullptr);
    m_window->setObjectName(QStringLiteral("mrssEditContent"));
    m_window->setWindowTitle(tr("Media Content"));
    m_window->setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(m_window);
    auto *columns = new QHBoxLayout;
    auto *left = new QFormLayout;
    auto *right = new QFormLayout;
    const QString anchor = QStringLiteral("YahooContent");
    for (const FieldRow &row : kFields) {
        auto *field = PaneKit::textField(QLatin1String(row.outlet));
        field->setHelpAnchor(anchor);
        QFormLayout *form
            = qstrcmp(row.outlet, "editBitRate") == 0 || right->rowCount() > 0 ? right : left;
        if (qstrcmp(row.outlet, "editType") == 0) {
            auto *suggest = PaneKit::smallButton(QStringLiteral("suggestType"), tr("Suggest"));
            connect(suggest, &QPushButton::clicked, this, &mrssEditContent::suggestTypeAction);
            auto *line = new QHBoxLayout;
            line->addWidget(field, 1);
            line->addWidget(suggest);
            form->addRow(tr(row.label), line);
            continue;
        }
        form->addRow(tr(row.label), field);
    }
    for (int i = 0; i < 3; ++i) {
        const PopUpRow &row = popUp(i);
        auto *choice = new VLXPopUpButton;
        choice->setObjectName(QLatin1String(row.outlet));
        choice->addItems(row.titles);
        choice->setHelpAnchor(anchor);
        left->addRow(tr(row.label), choice);
    }
    auto *language = new VLXPopUpButton;
    language->setObjectName(QStringLiteral("editLanguage"));
    // The blank first item leaves the attribute out.
    language->addItem(QString());
    language->addItems(VLXFeedLanguage::sharedLanguageTitles());
    language->setHelpAnchor(anchor);
    left->addRow(tr("Language:"), language);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    layout->addLayout(columns);

    // The local file: its path, a picture that takes dropped files, and a chooser.
    auto *label = new QLabel(tr("Local file published for this content:"));
    label->setObjectName(QStringLiteral("editLocalFileLabel"));
    m_localFileLabel = label;
    auto *box = new QGroupBox;
    box->setObjectName(QStringLiteral("editLocalFileBox"));
    m_localFileBox = box;
    auto *boxLine = new QHBoxLayout(box);
    m_dropTarget = new VLXImageView;
    m_dropTarget->setObjectName(QStringLiteral("editLocalFileDropTarget"));
    m_dropTarget->setFixedSize(48, 48);
    m_dropTarget->setPlaceholderText(tr("Drop"));
    m_localFilename = PaneKit::textField(QStringLiteral("editLocalFilename"));
    m_localFilename->setReadOnly(true);
    auto *choose = PaneKit::smallButton(QStringLiteral("localFile"), tr("Select…"));
    connect(choose, &QPushButton::clicked, this, &mrssEditContent::localFileAction);
    boxLine->addWidget(m_dropTarget);
    boxLine->addWidget(m_localFilename, 1);
    boxLine->addWidget(choose);
    layout->addWidget(label);
    layout->addWidget(box);

    // The nested optional elements.
    QWidget *table = PaneKit::tableWithButtons(this, QStringLiteral("editOptionalElementsTable"),
                                               QStringLiteral("editOptionalElements_Add"),
                                               QStringLiteral("editOptionalElements_Del"),
                                               QStringLiteral("editOptionalElements_Edit"),
                                               {QStringLiteral("type"), QStringLiteral("value")});
    m_optionalTable = table->findChild<VLXTableView *>(QStringLiteral("editOptionalElementsTable"));
    m_optionalTable->setHelpAnchor(QStringLiteral("YahooRSSMain"));
    const char *const buttons[]
        = {"editOptionalElements_Add", "editOptionalElements_Del", "editOptionalElements_Edit"};
    for (int tag = 1; tag <= 3; ++tag) {
        auto *button = table->findChild<QPushButton *>(QLatin1String(buttons[tag - 1]));
        connect(button, &QPushButton::clicked, this, [this, tag] { editOptionalTableAction(tag); });
    }
    connect(m_optionalTable, &VLXTableView::doubleAction, this,
            [this] { editOptionalTableAction(3); });
    layout->addWidget(table, 1);

    auto *buttonBox = new QDialogButtonBox;
    QPushButton *ok = buttonBox->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("accept"));
    ok->setDefault(true);
    QPushButton *cancelButton = buttonBox->addButton(QDialogButtonBox::Cancel);
    cancelButton->setObjectName(QStringLiteral("cancel"));
    layout->addWidget(buttonBox);
    connect(ok, &QPushButton::clicked, this, &mrssEditContent::accept);
    connect(cancelButton, &QPushButton::clicked, this, &mrssEditContent::cancel);

    if (m_removeLocalFile) {
        // Defaults have no file of their own: the area goes and the window is that much lower.
        delete m_localFileLabel;
        delete m_localFileBox;
        m_localFileLabel = m_localFileBox = nullptr;
        m_localFilename = nullptr;
        m_dropTarget = nullptr;
        m_window->adjustSize();
    } else {
        m_dropTarget->setDropHandlers(
            [](VLXImageView *, const QMimeData *data) {
                return data && data->hasUrls() ? Qt::LinkAction : Qt::IgnoreAction;
            },
            [this](VLXImageView *, const QMimeData *data) {
                const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
                if (!urls.isEmpty() && urls.first().scheme() == QLatin1String("file")) {
                    m_window->activateWindow();
                    newLocalEnclosureFile(urls.first().toLocalFile());
                }
                return false;
            });
    }
}

void mrssEditContent::showElement()
{
    for (const FieldRow &row : kFields)
        m_window->findChild<VLXTextField *>(QLatin1String(row.outlet))
            ->setText(m_content.attribute(row.key));
    for (int i = 0; i < 3; ++i) {
        const PopUpRow &row = popUp(i);
        const int index = int(row.words.indexOf(m_content.attribute(row.key)));
        if (index > 0)
            m_window->findChild<VLXPopUpButton *>(QLatin1String(row.outlet))
                ->setCurrentIndex(index);
    }
    auto *language = m_window->findChild<VLXPopUpButton *>(QStringLiteral("editLanguage"));
    const int index = language->findText(
        VLXFeedLanguage::sharedTitleForCode(m_content.attribute("attributeLang")));
    if (index >= 0)
        language->setCurrentIndex(index);
    if (m_localFilename) {
        m_localFilename->setText(m_content.localEnclosureFilePath());
        showFileIcon(m_content.localEnclosureFilePath());
    }
}

void mrssEditContent::showFileIcon(const QString &path)
{
    if (!m_dropTarget)
        return;
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        m_dropTarget->setImage(QImage());
        return;
    }
    m_dropTarget->setImage(
        QFileIconProvider().icon(QFileInfo(path)).pixmap(QSize(48, 48)).toImage());
}

int mrssEditContent::editElement(QWidget *sender)
{
    if (!m_window) {
        loadInterface(sender);
        showElement();
    }
    m_optionalTable->reloadData();
    const int result = m_window->exec() == QDialog::Accepted ? 1 : 0;
    m_window->hide();
    return result;
}

void mrssEditContent::accept()
{
    QVariantMap attributes;
    for (const FieldRow &row : kFields)
        attributes.insert(QLatin1String(row.key),
                          m_window->findChild<VLXTextField *>(QLatin1String(row.outlet))->text());
    for (int i = 0; i < 3; ++i) {
        const PopUpRow &row = popUp(i);
        const int index
            = m_window->findChild<VLXPopUpButton *>(QLatin1String(row.outlet))->currentIndex();
        attributes.insert(QLatin1String(row.key),
                          index > 0 ? row.words.value(index) : QString(QLatin1String("")));
    }
    attributes.insert(
        QStringLiteral("attributeLang"),
        VLXFeedLanguage::sharedCodeForTitle(
            m_window->findChild<VLXPopUpButton *>(QStringLiteral("editLanguage"))->currentText()));
    if (m_localFilename)
        m_content.setLocalEnclosureFilePath(m_localFilename->text());
    m_content.setMediaContentElement(attributes);
    m_window->done(QDialog::Accepted);
}

void mrssEditContent::cancel()
{
    if (m_window)
        m_window->done(QDialog::Rejected);
}

void mrssEditContent::suggestTypeAction()
{
    const QString url = m_window->findChild<VLXTextField *>(QStringLiteral("editURL"))->text();
    const QString type = EnclosureFileQuestions::suggestMIMEType(url);
    if (!type.isEmpty())
        m_window->findChild<VLXTextField *>(QStringLiteral("editType"))->setText(type);
}

void mrssEditContent::localFileAction()
{
    const QString chosen
        = EnclosureFileQuestions::chooseEnclosureFile(m_content.localEnclosureFilePath());
    if (!chosen.isEmpty())
        newLocalEnclosureFile(chosen);
}

QStringList mrssEditContent::newLocalEnclosureFile(const QString &path)
{
    if (!m_localFilename)
        return {};
    auto *url = m_window->findChild<VLXTextField *>(QStringLiteral("editURL"));
    LocalEnclosureFile::Facts facts;
    const QStringList refused = LocalEnclosureFile::check(path, url->text(), &facts);
    if (!refused.isEmpty())
        return refused;
    // Another file has never been uploaded; the same one keeps its date.
    if (path != m_localFilename->text())
        m_content.setLastUploaded(TitledElement::neverUploaded());
    m_window->findChild<VLXTextField *>(QStringLiteral("editFilesize"))->setText(facts.length);
    m_window->findChild<VLXTextField *>(QStringLiteral("editType"))->setText(facts.type);
    m_localFilename->setText(path);
    showFileIcon(path);
    return {};
}

void mrssEditContent::editOptionalTableAction(int tag)
{
    K set = m_content.mediaOptionalElements();
    const int row = m_optionalTable->selectedRow();
    if (tag == 1) {
        mrssEditOptional dialog;
        if (dialog.editElement(m_window) == 1)
            set.addDictionary(dialog.elementValues());
    } else if (tag == 2 && row >= 0) {
        set.deleteObjectAtIndex(row);
    } else if (tag == 3 && row >= 0) {
        mrssEditOptional dialog;
        const QVariantMap before = set.dictionaryAtIndex(row);
        dialog.setElementValues(before);
        if (dialog.editElement(m_window) == 1) {
            if (K::kindOf(dialog.elementValues()) == K::kindOf(before)) {
                set.replaceDictionaryAtIndex(dialog.elementValues(), row);
            } else {
                // Another kind: the element moves among the rows of its new kind.
                set.deleteObjectAtIndex(row);
                set.addDictionary(dialog.elementValues());
            }
        }
    }
    m_content.setMediaOptionalElements(set);
    m_optionalTable->reloadData();
}

int mrssEditContent::numberOfRowsInTableView(VLXTableView *table)
{
    if (table != m_optionalTable)
        return 0;
    const int rows = m_content.mediaOptionalElements().objectCount();
    for (const char *name : {"editOptionalElements_Del", "editOptionalElements_Edit"}) {
        if (auto *button = m_window->findChild<QPushButton *>(QLatin1String(name)))
            button->setEnabled(rows > 0);
    }
    return rows;
}

QVariant mrssEditContent::tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                               int role)
{
    if (table != m_optionalTable || role != Qt::DisplayRole)
        return QVariant();
    return m_content.mediaOptionalElements().cellText(row, column);
}
