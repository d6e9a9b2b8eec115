#include "extensions/cc/creativeCommonsChannel.h"
#include "extensions/itunes/iTunesChannel.h"
#include "extensions/mrss/mrssChannel.h"
#include "extensions/mrss/mrssItem.h"
#include "extensions/trackback/trackBackItem.h"
#include "panes/ExtensionFieldPane.h"
#include "panes/ExtensionTabs.h"
#include "panes/cc/CreativeCommonsListEditor.h"
#include "panes/itunes/iTunesCategoryListEditor.h"
#include "panes/mrss/mrssListEditors.h"
#include "panes/mscf/microsoftCFChannelPane.h"
#include "panes/trackback/trackBackAboutListEditor.h"

#include <QHeaderView>
#include <QTableView>

// The panes whose field table does not say everything: a list field needs its editor. Every
// other namespace class gets the pane its table makes.
void registerExtensionPanes()
{
    ExtensionTabs::registerPane(
        QStringLiteral("itunes"),
        [](std::shared_ptr<extensionNSRaw> extension, const ExtensionTabs::Context &context) {
            auto *pane = new ExtensionFieldPane(std::move(extension), context);
            if (context.scope == FieldScope::Channel)
                pane->setListEditor(iTunesChannel::kCategory,
                                    std::make_shared<iTunesCategoryListEditor>());
            return pane;
        });
    ExtensionTabs::registerPane(
        QStringLiteral("media"),
        [](std::shared_ptr<extensionNSRaw> extension, const ExtensionTabs::Context &context) {
            auto *pane = new ExtensionFieldPane(std::move(extension), context);
            if (context.scope == FieldScope::Channel) {
                pane->setListEditor(mrssChannel::kOptionalElements,
                                    std::make_shared<mrssOptionalListEditor>());
            } else {
                // A default content (a pane outside the feed window) has no local file.
                pane->setListEditor(
                    mrssItem::kContents,
                    std::make_shared<mrssContentListEditor>(context.document == nullptr));
                // A content's row has two lines: its address, then its details.
                if (auto *table = qobject_cast<QTableView *>(pane->control(mrssItem::kContents)))
                    table->verticalHeader()->setDefaultSectionSize(
                        2 * table->fontMetrics().lineSpacing() + 6);
                pane->setListEditor(mrssItem::kGroupElements,
                                    std::make_shared<mrssOptionalListEditor>());
            }
            return pane;
        });
    ExtensionTabs::registerPane(
        QStringLiteral("cf"),
        [](std::shared_ptr<extensionNSRaw> extension,
           const ExtensionTabs::Context &context) -> ExtensionPane * {
            return new microsoftCFChannelPane(std::move(extension), context);
        });
    ExtensionTabs::registerPane(
        QStringLiteral("trackback"),
        [](std::shared_ptr<extensionNSRaw> extension, const ExtensionTabs::Context &context) {
            auto *pane = new ExtensionFieldPane(std::move(extension), context);
            if (context.scope == FieldScope::Item)
                pane->setListEditor(trackBackItem::kAbout,
                                    std::make_shared<trackBackAboutListEditor>());
            return pane;
        });
    // The licence table, at the channel and at every item.
    ExtensionTabs::registerPane(
        QStringLiteral("creativeCommons"),
        [](std::shared_ptr<extensionNSRaw> extension, const ExtensionTabs::Context &context) {
            auto *pane = new ExtensionFieldPane(std::move(extension), context);
            pane->setListEditor(creativeCommonsChannel::kLicense,
                                std::make_shared<CreativeCommonsListEditor>());
            return pane;
        });
}
