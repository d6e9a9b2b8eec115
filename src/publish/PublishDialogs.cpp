#include "publish/PublishDialogs.h"

namespace {

PublishDialogs::BrowserFactory &browserFactory()
{
    static PublishDialogs::BrowserFactory factory;
    return factory;
}

PublishDialogs::EditorFactory &editorFactory()
{
    static PublishDialogs::EditorFactory factory;
    return factory;
}

} // namespace

void PublishDialogs::setFolderBrowserFactory(BrowserFactory factory)
{
    browserFactory() = std::move(factory);
}

void PublishDialogs::setAdditionalFileEditorFactory(EditorFactory factory)
{
    editorFactory() = std::move(factory);
}

bool PublishDialogs::hasFolderBrowsers()
{
    return bool(browserFactory());
}

bool PublishDialogs::hasAdditionalFileEditor()
{
    return bool(editorFactory());
}

std::unique_ptr<FolderBrowser> PublishDialogs::folderBrowser(const FolderBrowserRequest &request)
{
    return browserFactory() ? browserFactory()(request) : nullptr;
}

std::unique_ptr<AdditionalFileEditor> PublishDialogs::additionalFileEditor()
{
    return editorFactory() ? editorFactory()() : nullptr;
}
