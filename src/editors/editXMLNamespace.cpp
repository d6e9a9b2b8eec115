#include "editors/editXMLNamespace.h"

#include "model/VLXLogic.h"
#include "model/baseExtensionManager.h"
#include "model/extensionNSName.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kRegistryKey = QStringLiteral("General_XMLNamespaces");
const QString kRowColumn = QStringLiteral("Namespace");

QStringList registry()
{
    return VLXPreferences::objectForKey(kRegistryKey).toStringList();
}

QString prefixOf(const QString &description)
{
    return extensionNSName::extensionNameFromDescription(description);
}

QString uriOf(const QString &description)
{
    return extensionNSName::DTDURLFromDescription(description);
}

// Same prefix, or same URI, without regard to case. Two empty URIs are no clash: only the
// "User Defined" namespace goes without one.
bool clashes(const QString &description, const QString &prefix, const QString &uri)
{
    return prefixOf(description).compare(prefix, Qt::CaseInsensitive) == 0
        || (!uri.isEmpty() && uriOf(description).compare(uri, Qt::CaseInsensitive) == 0);
}
} // namespace

editXMLNamespace::editXMLNamespace(QObject *parent)
    : QObject(parent), m_extensionsInPrefs(registry())
{
}

editXMLNamespace::~editXMLNamespace()
{
    delete m_documentWindow.data();
}

QString editXMLNamespace::getNamespace(const QString &declaration)
{
    return baseExtensionManager::namespaceOfDeclaration(declaration);
}

QString editXMLNamespace::getDTDURLString(const QString &declaration)
{
    return baseExtensionManager::DTDURLOfDeclaration(declaration);
}

void editXMLNamespace::excludeNamespaces(const QStringList &descriptions)
{
    m_alreadyInUse = descriptions;
    m_userDefinedUsed = false;
    for (const QString &used : descriptions) {
        if (prefixOf(used) == extensionNSName::kUserDefined)
            m_userDefinedUsed = true;
    }
    m_availableExtensions.clear();
    for (const QString &entry : std::as_const(m_extensionsInPrefs)) {
        bool inUse = false;
        for (const QString &used : descriptions) {
            if (prefixOf(used) == prefixOf(entry) || uriOf(used) == uriOf(entry)) {
                inUse = true;
                break;
            }
        }
        if (!inUse)
            m_availableExtensions.append(entry);
    }
}

void editXMLNamespace::loadInterface()
{
    m_documentWindow = new QDialog(m_parentWindow);
    m_documentWindow->setObjectName(QStringLiteral("editXMLNamespaces"));
    m_documentWindow->setWindowTitle(tr("XML Namespace"));
    m_documentWindow->setWindowModality(m_parentWindow ? Qt::WindowModal : Qt::ApplicationModal);

    m_existing = new VLXTableView(m_documentWindow);
    m_existing->setObjectName(QStringLiteral("existing"));
    m_existing->setMinimumHeight(140);
    m_existing->setDataSource(this, {kRowColumn});
    m_existing->setHelpAnchor(QStringLiteral("FeedXMLNamespace"));
    connect(m_existing, &VLXTableView::doubleAction, this, &editXMLNamespace::existingDoubleAction);
    connect(m_existing->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { takeRow(m_existing->selectedRow()); });

    m_nameSpace = new VLXTextField(m_documentWindow);
    m_nameSpace->setObjectName(QStringLiteral("nameSpace"));
    m_nameSpace->setHelpAnchor(QStringLiteral("FeedXMLNamespace"));
    m_DTDURL = new VLXTextField(m_documentWindow);
    m_DTDURL->setObjectName(QStringLiteral("DTDURL"));
    m_DTDURL->setHelpAnchor(QStringLiteral("FeedDTDURL"));
    m_message = new QLabel(m_documentWindow);
    m_message->setObjectName(QStringLiteral("message"));
    QPalette warning = m_message->palette();
    warning.setColor(QPalette::WindowText, Qt::red);
    m_message->setPalette(warning);

    m_cancel = new QPushButton(tr("Cancel"), m_documentWindow);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_accept = new QPushButton(tr("Accept"), m_documentWindow);
    m_accept->setObjectName(QStringLiteral("accept"));
    m_accept->setDefault(true);
    connect(m_cancel, &QPushButton::clicked, this, &editXMLNamespace::cancel);
    connect(m_accept, &QPushButton::clicked, this, &editXMLNamespace::accept);

    auto *form = new QFormLayout;
    form->addRow(tr("Name space:"), m_nameSpace);
    form->addRow(tr("DTD URL:"), m_DTDURL);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_message, 1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_accept);
    auto *layout = new QVBoxLayout(m_documentWindow);
    layout->addWidget(m_existing, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);
    m_documentWindow->resize(460, 330);
}

int editXMLNamespace::editNamespace(const extensionNSName *nameSpace, bool withExistingList)
{
    if (!m_documentWindow)
        loadInterface();
    m_message->clear();
    m_showList = withExistingList;
    const int fullHeight = m_documentWindow->height();
    if (!withExistingList) {
        // The window loses the list's height and keeps its top edge.
        const int listHeight = m_existing->height();
        m_existing->hide();
        m_documentWindow->layout()->activate();
        m_documentWindow->resize(m_documentWindow->width(), fullHeight - listHeight);
    }
    if (nameSpace) {
        m_nameSpace->setText(nameSpace->extensionName());
        m_DTDURL->setText(nameSpace->DTDURL());
    }
    m_existing->reloadData();
    const int code = m_documentWindow->exec();
    if (!withExistingList) {
        m_existing->show();
        m_documentWindow->layout()->activate();
        m_documentWindow->resize(m_documentWindow->width(), fullHeight);
    }
    m_documentWindow->hide();
    return code;
}

int editXMLNamespace::editNamespaceWithDescription(const QString &description,
                                                   bool withExistingList)
{
    extensionNSName nameSpace;
    nameSpace.setExtensionName(prefixOf(description));
    nameSpace.setDTDURL(uriOf(description));
    return editNamespace(&nameSpace, withExistingList);
}

QString editXMLNamespace::extensionName() const
{
    return m_nameSpace ? m_nameSpace->text() : QString();
}

QString editXMLNamespace::DTDURL() const
{
    return m_DTDURL ? m_DTDURL->text() : QString();
}

QString editXMLNamespace::descriptionOfNamespace() const
{
    return extensionNSName::makeDescription(extensionName(), DTDURL(), m_wellSupported);
}

QString editXMLNamespace::problem() const
{
    const QString prefix = extensionName();
    const QString uri = DTDURL();
    if (uri.trimmed().isEmpty() && prefix.trimmed() != extensionNSName::kUserDefined)
        return QStringLiteral("DTD can't be left blank");
    if (!uri.isEmpty() && !VLXLogic::checkURL(uri))
        return QStringLiteral("The DTD URL is not valid");
    if (prefix.trimmed().isEmpty())
        return QStringLiteral("Namespace can't be left blank");
    if (m_alreadyInUse) {
        for (const QString &used : *m_alreadyInUse) {
            if (clashes(used, prefix, uri))
                return QStringLiteral("That name space is already used in this feed");
        }
        return QString();
    }
    // Entries that are not well supported may be saved again under their own prefix.
    for (const QString &entry : registry()) {
        if (extensionNSName::wellSupportedFromDescription(entry) && clashes(entry, prefix, uri))
            return QStringLiteral("You can't recreate a \"bold\" entry");
    }
    return QString();
}

void editXMLNamespace::accept()
{
    const QString text = problem();
    if (!text.isEmpty()) {
        QApplication::beep();
        m_message->setText(text);
        return;
    }
    m_documentWindow->done(1);
}

void editXMLNamespace::cancel()
{
    if (m_documentWindow)
        m_documentWindow->done(0);
}

void editXMLNamespace::existingDoubleAction(int row)
{
    if (row < 0 || row >= numberOfRowsInTableView(m_existing))
        return;
    takeRow(row);
    accept();
}

QString editXMLNamespace::rowDescription(int row) const
{
    if (row < m_availableExtensions.size())
        return m_availableExtensions.at(row);
    return extensionNSName::makeDescription(extensionNSName::kUserDefined, QString(), false);
}

void editXMLNamespace::takeRow(int row)
{
    if (!m_showList || row < 0 || row >= numberOfRowsInTableView(m_existing))
        return;
    const QString description = rowDescription(row);
    m_nameSpace->setText(prefixOf(description));
    m_DTDURL->setText(uriOf(description));
}

int editXMLNamespace::numberOfRowsInTableView(VLXTableView *)
{
    if (!m_showList)
        return 0;
    return int(m_availableExtensions.size()) + (m_userDefinedUsed ? 0 : 1);
}

QVariant editXMLNamespace::tableViewObjectValue(VLXTableView *, const QString &, int row, int role)
{
    const QString description = rowDescription(row);
    if (role == Qt::DisplayRole)
        return QStringLiteral("%1 - %2").arg(prefixOf(description), uriOf(description));
    if (role == Qt::FontRole) {
        // The system font; the namespaces with an editor of their own in bold.
        QFont font = QApplication::font();
        font.setBold(extensionNSName::wellSupportedFromDescription(description));
        return font;
    }
    return {};
}
