#include "app/ExtensionTabs.h"

#include "app/RawXMLPane.h"
#include "model/baseExtensionManager.h"
#include "model/extensionNSChannel.h"
#include "model/extensionNSImage.h"
#include "model/extensionNSItem.h"
#include "model/extensionNSRaw.h"
#include "model/extensionNSStandIn.h"
#include "ui/VLXTextView.h"

#include <QFontDatabase>
#include <QHash>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>
#include <typeinfo>

namespace {
const char *const kExtensionXML = "extensionXML";

QHash<QString, ExtensionTabs::PaneFactory> &factories()
{
    static QHash<QString, ExtensionTabs::PaneFactory> registered;
    return registered;
}

// The elements of an extension without an editor yet, as they will be written.
class ElementsPane : public ExtensionPane
{
public:
    explicit ElementsPane(std::shared_ptr<extensionNSRaw> extension)
        : m_extension(std::move(extension))
    {
        auto *layout = new QVBoxLayout(this);
        auto *note = new QLabel(tr("The elements of this namespace are kept and written back "
                                   "as they are."));
        note->setWordWrap(true);
        layout->addWidget(note);
        m_xml = new VLXTextView;
        m_xml->setObjectName(QLatin1String(kExtensionXML));
        m_xml->setReadOnly(true);
        m_xml->setLineWrapMode(QPlainTextEdit::NoWrap);
        m_xml->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        layout->addWidget(m_xml, 1);
        loadData();
    }
    void setExtension(std::shared_ptr<extensionNSRaw> extension) override
    {
        m_extension = std::move(extension);
        loadData();
    }
    void loadData() override
    {
        m_xml->setStringValue(m_extension ? m_extension->buildXML(QString()) : QString());
    }

private:
    std::shared_ptr<extensionNSRaw> m_extension;
    VLXTextView *m_xml = nullptr;
};

// An extension without an editor of its own (a namespace without a class, or a known one whose
// class is not there yet) is kept and edited as raw XML.
bool isRawExtension(const extensionNSRaw &extension)
{
    const std::type_info &kind = typeid(extension);
    return kind == typeid(extensionNSChannel) || kind == typeid(extensionNSItem)
        || kind == typeid(extensionNSImage) || kind == typeid(extensionNSRaw)
        || kind == typeid(extensionNSStandIn<extensionNSChannel>)
        || kind == typeid(extensionNSStandIn<extensionNSItem>)
        || kind == typeid(extensionNSStandIn<extensionNSImage>);
}
} // namespace

void ExtensionTabs::registerPane(const QString &extensionName, PaneFactory factory)
{
    factories().insert(extensionName, std::move(factory));
}

void ExtensionTabs::rebuild(QTabWidget *tabs, const baseExtensionManager *manager, int keep,
                            const Context &context)
{
    if (!tabs)
        return;
    while (tabs->count() > keep) {
        QWidget *old = tabs->widget(keep);
        tabs->removeTab(keep);
        old->deleteLater();
    }
    for (int i = 0; manager && i < manager->countOfExtensions(); ++i) {
        const auto extension = manager->extensionAtIndex(i);
        const QString name = manager->extensionNameAtIndex(i);
        ExtensionPane *pane = nullptr;
        if (const auto factory = factories().value(name); factory && extension)
            pane = factory(extension, context);
        if (!pane && extension && isRawExtension(*extension))
            pane = new RawXMLPane(extension);
        if (!pane)
            pane = new ElementsPane(extension);
        pane->setObjectName(name);
        tabs->addTab(pane, manager->extensionDisplayNameAtIndex(i));
    }
}

void ExtensionTabs::show(QTabWidget *tabs, const baseExtensionManager *manager, int first)
{
    if (!tabs)
        return;
    for (int i = first; i < tabs->count(); ++i) {
        auto *pane = qobject_cast<ExtensionPane *>(tabs->widget(i));
        if (!pane)
            continue;
        pane->setExtension(manager && i - first < manager->countOfExtensions()
                               ? manager->extensionAtIndex(i - first)
                               : nullptr);
    }
}

void ExtensionTabs::showExtensionsTab(QTabWidget *sub, QPointer<QWidget> &held, bool show)
{
    if (!sub)
        return;
    if (show) {
        if (held) {
            sub->insertTab(qMin(2, sub->count()), held, QObject::tr("Extensions"));
            held = nullptr;
        }
        return;
    }
    if (held)
        return;
    for (int i = 0; i < sub->count(); ++i) {
        if (sub->widget(i)->objectName() == QLatin1String("Extensions")) {
            held = sub->widget(i);
            sub->removeTab(i);
            return;
        }
    }
}
