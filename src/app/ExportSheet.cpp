#include "app/ExportSheet.h"

#include "app/Vellumcast.h"
#include "model/VLXFeed.h"
#include "platform/DefaultsStore.h"
#include "platform/FileChooser.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXSpinBox.h"
#include "ui/VLXTextField.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {
const QString kLastExportPath = QStringLiteral("LastFeedExportPath");
const QString kNoFuture = QStringLiteral("Export_CF_NoFuture");
const QString kLimitItems = QStringLiteral("Export_CF_LimitItems");
const QString kLimitNumber = QStringLiteral("Export_CF_LimitNumber");

QString lastFolder(const QString &key)
{
    return Vellumcast::userDefaults().string(key).value_or(QDir::homePath());
}
} // namespace

const QString ExportSheet::kPlaceholder = QStringLiteral("Select Export Type");

const QList<ExportSheet::Type> &ExportSheet::types()
{
    return ExportType::all();
}

QString ExportSheet::defaultTemplatePath(const Type &type)
{
    return ExportType::defaultTemplatePath(type);
}

QString ExportSheet::defaultDestination(const Type &type, const QString &feedFileName)
{
    // The feed's file name without its extension; a name that is an address keeps its last
    // part only, so the proposal never points into folders of its own.
    QString name = feedFileName.section(QLatin1Char('/'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    if (name.isEmpty())
        name = QStringLiteral("untitled");
    return QDir(lastFolder(kLastExportPath))
        .filePath(QStringLiteral("%1.%2").arg(name, QLatin1String(type.extension)));
}

ExportSheet::ExportSheet(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("exportWindow"));
    setWindowTitle(tr("Export"));
    setWindowModality(Qt::WindowModal);
    buildInterface();
}

void ExportSheet::buildInterface()
{
    auto named = [](auto *control, const char *name, const char *anchor) {
        control->setObjectName(QLatin1String(name));
        control->setHelpAnchor(QLatin1String(anchor));
        return control;
    };
    // One entry until the first opening fills the list.
    m_type = named(new VLXPopUpButton(this), "exportType", "ExportMP");
    m_type->addItem(kPlaceholder);
    m_templateButton = named(new VLXButton(this), "exportTemplateButton", "ExportTemplate");
    m_templateButton->setText(tr("Choose\u2026"));
    m_template = named(new VLXTextField(this), "exportTemplate", "ExportTemplate");
    m_destinationButton
        = named(new VLXButton(this), "exportDestinationButton", "ExportDestination");
    m_destinationButton->setText(tr("Choose\u2026"));
    m_destination = named(new VLXTextField(this), "exportDestination", "ExportDestination");
    m_noFuture = named(new VLXCheckBox(this), "exportNoFuture", "ExportOptions");
    m_noFuture->setText(tr("Leave out items dated in the future"));
    m_limitItems = named(new VLXCheckBox(this), "exportLimitItems", "ExportOptions");
    m_limitItems->setText(tr("Limit the number of items to"));
    m_limitNumber = named(new VLXSpinBox(this), "exportLimitNumber", "ExportOptions");
    // Negative numbers take the last items, newest first.
    m_limitNumber->setRange(-999999, 999999);
    m_limitNumber->setToolTip(tr("A negative number takes the last items, the last one first"));
    m_exportButton = named(new VLXButton(this), "exportExportButton", "ExportMP");
    m_exportButton->setText(tr("Export"));
    m_exportButton->setDefault(true);
    auto *done = named(new VLXButton(this), "exportDoneButton", "ExportMP");
    done->setText(tr("Done"));
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("exportMessage"));
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_message->hide();

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Export:"), this), 0, 0);
    grid->addWidget(m_type, 0, 1, 1, 2);
    grid->addWidget(new QLabel(tr("Template:"), this), 1, 0);
    grid->addWidget(m_template, 1, 1);
    grid->addWidget(m_templateButton, 1, 2);
    grid->addWidget(new QLabel(tr("Destination:"), this), 2, 0);
    grid->addWidget(m_destination, 2, 1);
    grid->addWidget(m_destinationButton, 2, 2);
    grid->setColumnStretch(1, 1);
    auto *limit = new QHBoxLayout;
    limit->addWidget(m_limitItems);
    limit->addWidget(m_limitNumber);
    limit->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_message, 1);
    buttons->addStretch(); // keeps the buttons at the right while the result line is hidden
    buttons->addWidget(done);
    buttons->addWidget(m_exportButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_noFuture);
    layout->addLayout(limit);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    resize(560, sizeHint().height());

    connect(m_type, &QComboBox::activated, this, &ExportSheet::exportTypeChanged);
    connect(m_templateButton, &QPushButton::clicked, this, &ExportSheet::exportTemplateChanged);
    connect(m_destinationButton, &QPushButton::clicked, this,
            &ExportSheet::exportDestinationChanged);
    connect(m_limitItems, &QCheckBox::toggled, this, &ExportSheet::exportLimitedChanged);
    connect(m_exportButton, &QPushButton::clicked, this, &ExportSheet::exportDoExport);
    connect(done, &QPushButton::clicked, this, &ExportSheet::exportDone);
}

void ExportSheet::exportFeed(std::shared_ptr<VLXFeed> feed, const QString &uniqueKey,
                             const QString &feedFileName)
{
    m_feed = std::move(feed);
    m_uniqueKey = uniqueKey;
    m_feedFileName = feedFileName;
    if (m_type->count() == 1) {
        m_type->clear();
        m_type->addItem(kPlaceholder);
        for (const Type &type : types())
            m_type->addItem(QLatin1String(type.title));
        m_type->setCurrentIndex(0);
        setPathControlsEnabled(false, false);
    }
    m_noFuture->setChecked(VLXPreferences::objectForKey(kNoFuture, m_uniqueKey).toInt() != 0);
    m_limitItems->setChecked(VLXPreferences::objectForKey(kLimitItems, m_uniqueKey).toInt() != 0);
    m_limitNumber->setValue(VLXPreferences::objectForKey(kLimitNumber, m_uniqueKey).toInt());
    exportLimitedChanged();
    // The paths are the feed's own: a sheet reopened for another feed must never offer the
    // previous feed's destination (the export would overwrite that feed's file and store its
    // path for this one).
    if (chosenType() >= 0)
        fillForType(types().at(chosenType()));
    showResult(QString());
    open();
}

int ExportSheet::chosenType() const
{
    const int index = m_type->currentIndex();
    if (m_type->count() != types().size())
        return index >= 1 ? index - 1 : -1;
    return index;
}

void ExportSheet::exportTypeChanged()
{
    if (m_type->count() == types().size() + 1) {
        // The placeholder goes for good once a type is chosen.
        const int chosen = m_type->currentIndex();
        if (chosen == 0)
            return;
        const QSignalBlocker block(m_type);
        m_type->removeItem(0);
        m_type->setCurrentIndex(chosen - 1);
    }
    showResult(QString());
    if (chosenType() >= 0)
        fillForType(types().at(chosenType()));
}

void ExportSheet::fillForType(const Type &type)
{
    setPathControlsEnabled(!type.isXML(), true);
    if (!type.isXML()) {
        const QString saved
            = VLXPreferences::objectForKey(QLatin1String(type.templateKey), m_uniqueKey).toString();
        m_template->setText(
            !saved.isEmpty() && QFileInfo(saved).isFile() ? saved : defaultTemplatePath(type));
    }
    // A saved destination is shown even when its folder is gone: the write will say so.
    const QString file
        = VLXPreferences::objectForKey(QLatin1String(type.fileKey), m_uniqueKey).toString();
    m_destination->setText(file.isEmpty() ? defaultDestination(type, m_feedFileName) : file);
}

void ExportSheet::setPathControlsEnabled(bool templates, bool destination)
{
    m_templateButton->setEnabled(templates);
    m_template->setEnabled(templates);
    m_destinationButton->setEnabled(destination);
    m_destination->setEnabled(destination);
    m_exportButton->setEnabled(destination);
}

QString ExportSheet::chooseTemplate(const QString &title, const QStringList &extensions,
                                    const QString &current)
{
    return ExportType::chooseTemplate(title, extensions, current);
}

void ExportSheet::exportTemplateChanged()
{
    showResult(QString());
    if (chosenType() < 0 || types().at(chosenType()).isXML())
        return;
    const QString chosen
        = chooseTemplate(QStringLiteral("Select Template"),
                         types().at(chosenType()).templateExtensions, m_template->text());
    if (!chosen.isEmpty())
        m_template->setText(chosen);
}

void ExportSheet::exportDestinationChanged()
{
    showResult(QString());
    if (chosenType() < 0 || m_uniqueKey.isEmpty())
        return;
    FileRequest request;
    request.kind = FileRequest::Kind::SaveFile;
    request.title = QStringLiteral("Select Destination");
    request.directory = lastFolder(kLastExportPath);
    request.proposedName = QFileInfo(m_destination->text()).fileName();
    request.allowedExtensions = {QLatin1String(types().at(chosenType()).extension)};
    const QStringList chosen = FileChooser::run(request);
    if (chosen.isEmpty())
        return;
    Vellumcast::userDefaults().setObject(QFileInfo(chosen.first()).absolutePath(), kLastExportPath);
    m_destination->setText(chosen.first());
}

void ExportSheet::exportLimitedChanged()
{
    m_limitNumber->setEnabled(m_limitItems->isChecked());
}

bool ExportSheet::exportDoExport()
{
    if (chosenType() < 0 || !m_feed)
        return false;
    const Type &type = types().at(chosenType());
    const bool noFuture = m_noFuture->isChecked();
    const bool limitItems = m_limitItems->isChecked();
    const int limitNumber = m_limitNumber->value();
    VLXPreferences::setObjectForKey(int(noFuture), kNoFuture, m_uniqueKey);
    VLXPreferences::setObjectForKey(int(limitItems), kLimitItems, m_uniqueKey);
    VLXPreferences::setObjectForKey(limitNumber, kLimitNumber, m_uniqueKey);

    const QString destination = m_destination->text().trimmed();
    QString text;
    if (type.isXML()) {
        VLXPreferences::setObjectForKey(destination, QLatin1String(type.fileKey), m_uniqueKey);
        text = m_feed->buildXML(noFuture, limitItems, limitNumber);
    } else {
        const QString templatePath = m_template->text().trimmed();
        if (!QFileInfo(templatePath).isFile()) {
            QApplication::beep();
            showResult(QStringLiteral("Template file not found"));
            return false;
        }
        VLXPreferences::setObjectForKey(templatePath, QLatin1String(type.templateKey), m_uniqueKey);
        VLXPreferences::setObjectForKey(destination, QLatin1String(type.fileKey), m_uniqueKey);
        text
            = m_feed->buildExport(type.engineType, templatePath, noFuture, limitItems, limitNumber);
    }
    const QByteArray bytes = text.toUtf8();
    const QString problem = writeAtomically(destination, bytes);
    if (!problem.isEmpty()) {
        QApplication::beep();
        showResult(tr("Export failed.  %1").arg(problem));
        return false;
    }
    showResult(QStringLiteral("Successful.  %1 bytes written").arg(bytes.size()));
    return true;
}

QString ExportSheet::writeAtomically(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return tr("No destination file is chosen.");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return tr("\"%1\" could not be written: %2")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    return {};
}

void ExportSheet::exportDone()
{
    done(1);
}

QString ExportSheet::resultText() const
{
    return m_message->isHidden() ? QString() : m_message->text();
}

void ExportSheet::showResult(const QString &text)
{
    m_message->setText(text);
    m_message->setVisible(!text.isEmpty());
}
