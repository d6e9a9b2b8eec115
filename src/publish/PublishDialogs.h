#pragma once

#include "publish/AdditionalFileEditor.h"
#include "publish/FolderBrowser.h"

#include <functional>
#include <memory>

// Where the folder browsers and the additional-file dialog plug into publishing. Until they are
// installed the buttons that would open them stay disabled; tests install scripted ones.
class PublishDialogs
{
public:
    using BrowserFactory
        = std::function<std::unique_ptr<FolderBrowser>(const FolderBrowserRequest &request)>;
    using EditorFactory = std::function<std::unique_ptr<AdditionalFileEditor>()>;

    // An empty function removes what was installed.
    static void setFolderBrowserFactory(BrowserFactory factory);
    static void setAdditionalFileEditorFactory(EditorFactory factory);

    static bool hasFolderBrowsers();
    static bool hasAdditionalFileEditor();
    // A new browser for the request, or null (none installed, or none for that kind of site).
    static std::unique_ptr<FolderBrowser> folderBrowser(const FolderBrowserRequest &request);
    static std::unique_ptr<AdditionalFileEditor> additionalFileEditor();
};
