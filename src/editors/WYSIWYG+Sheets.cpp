// The HTML editor's links and images: the commands that open the link and image sheets, where
// the node a sheet made goes, the context menu, and what happens when the page tries to follow
// a link (the editor never leaves its document: the link's sheet opens instead).
#include "editors/WYSIWYG.h"

#include "editors/EditorWebPage.h"
#include "editors/editImageLink.h"
#include "editors/editLink.h"
#include "platform/AlertService.h"
#include "ui/VLXWebView.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMainWindow>
#include <QMenu>
#include <QUndoStack>
#include <QWebEngineContextMenuRequest>

namespace {
QString toJson(const QVariantMap &map)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonObject::fromVariantMap(map)).toJson(QJsonDocument::Compact));
}

// Items of the engine's menu that would leave the document, open another window or save the
// page: an editor offers none of them.
bool leavesTheDocument(QWebEnginePage *page, QAction *action)
{
    const QWebEnginePage::WebAction actions[] = {
        QWebEnginePage::Back,
        QWebEnginePage::Forward,
        QWebEnginePage::Reload,
        QWebEnginePage::ReloadAndBypassCache,
        QWebEnginePage::Stop,
        QWebEnginePage::OpenLinkInThisWindow,
        QWebEnginePage::OpenLinkInNewWindow,
        QWebEnginePage::OpenLinkInNewTab,
        QWebEnginePage::OpenLinkInNewBackgroundTab,
        QWebEnginePage::DownloadLinkToDisk,
        QWebEnginePage::DownloadImageToDisk,
        QWebEnginePage::DownloadMediaToDisk,
        QWebEnginePage::InspectElement,
        QWebEnginePage::SavePage,
        QWebEnginePage::ViewSource,
    };
    for (auto webAction : actions) {
        if (page->action(webAction) == action)
            return true;
    }
    return false;
}
} // namespace

// --- Commands -----------------------------------------------------------------------------------

void WYSIWYG::buttonLink()
{
    if (m_link || m_image)
        return;
    evaluate(QStringLiteral("vlx.selectionInfo()"), [this](const QVariant &value) {
        const QVariantMap info = value.toMap();
        if (info.isEmpty())
            return;
        if (!info.value(QStringLiteral("collapsed")).toBool()
            && !info.value(QStringLiteral("sameNode")).toBool()) {
            unableToComplete();
            return;
        }
        openLinkSheet({{QStringLiteral("text"),
                        info.value(QStringLiteral("collapsed")).toBool()
                            ? QString()
                            : info.value(QStringLiteral("text"))},
                       {QStringLiteral("link"), QStringLiteral("http://")}});
    });
}

void WYSIWYG::buttonImage()
{
    if (m_link || m_image)
        return;
    evaluate(QStringLiteral("vlx.saveSelection()"), [this](const QVariant &value) {
        if (value.toBool())
            openImageSheet({});
    });
}

void WYSIWYG::editLinkContextMenuNode()
{
    evaluate(QStringLiteral("vlx.menuLink()"),
             [this](const QVariant &value) { openSheetFor(value.toMap()); });
}

void WYSIWYG::editImageContextMenuNode()
{
    evaluate(QStringLiteral("vlx.menuImage()"),
             [this](const QVariant &value) { openSheetFor(value.toMap()); });
}

void WYSIWYG::openSheetFor(const QVariantMap &info)
{
    const QString kind = info.value(QStringLiteral("kind")).toString();
    if (kind == QLatin1String("link"))
        openLinkSheet(info);
    else if (kind == QLatin1String("image"))
        openImageSheet(info);
    else
        QApplication::beep();
}

void WYSIWYG::openLinkSheet(const QVariantMap &info)
{
    if (m_link || m_image)
        return;
    m_link = new editLink(
        m_window, info.value(QStringLiteral("node")).toInt(),
        info.value(QStringLiteral("text")).toString(),
        info.value(QStringLiteral("link")).toString(),
        info.value(QStringLiteral("newWindow")).toBool() ? 1 : 0,
        [this](int code) { editLinkDone(code); }, this);
}

void WYSIWYG::openImageSheet(const QVariantMap &info)
{
    if (m_link || m_image)
        return;
    m_image = new editImageLink(
        m_window, info.value(QStringLiteral("node")).toInt(),
        info.value(QStringLiteral("imageNode")).toInt(),
        info.value(QStringLiteral("url")).toString(), info.value(QStringLiteral("width")).toInt(),
        info.value(QStringLiteral("height")).toInt(), info.value(QStringLiteral("link")).toString(),
        info.value(QStringLiteral("newWindow")).toBool() ? 1 : 0,
        [this](int code) { editImageLinkDone(code); }, this);
}

// --- The sheets' results ------------------------------------------------------------------------

void WYSIWYG::editLinkDone(int code)
{
    editLink *sheet = m_link;
    m_link = nullptr;
    if (!sheet)
        return;
    const QVariantMap request {{QStringLiteral("node"), sheet->elementNode()},
                            {QStringLiteral("text"), sheet->linkText()},
                            {QStringLiteral("link"), sheet->linkURL()},
                            {QStringLiteral("newWindow"), sheet->linkNewBrowser() != 0}};
    placeFromSheet(code == 1 ? QStringLiteral("placeLink") : QString(), request,
                   {sheet->elementNode()});
    sheet->deleteLater();
}

void WYSIWYG::editImageLinkDone(int code)
{
    editImageLink *sheet = m_image;
    m_image = nullptr;
    if (!sheet)
        return;
    const QVariantMap request {{QStringLiteral("node"), sheet->elementNode()},
                            {QStringLiteral("imageNode"), sheet->imageElementNode()},
                            {QStringLiteral("url"), sheet->imageURL()},
                            {QStringLiteral("width"), sheet->imageWidth()},
                            {QStringLiteral("height"), sheet->imageHeight()},
                            {QStringLiteral("hasLink"), sheet->imageHasLink() != 0},
                            {QStringLiteral("link"), sheet->imageLink()},
                            {QStringLiteral("newWindow"), sheet->imageLinkNewBrowser() != 0}};
    placeFromSheet(code == 1 ? QStringLiteral("placeImage") : QString(), request,
                   {sheet->elementNode(), sheet->imageElementNode()});
    sheet->deleteLater();
}

void WYSIWYG::placeFromSheet(const QString &placement, const QVariantMap &request,
                             const QList<int> &keptNodes)
{
    auto release = [this, keptNodes] {
        for (int key : keptNodes) {
            if (key)
                evaluate(QStringLiteral("vlx.release(%1)").arg(key));
        }
    };
    if (placement.isEmpty()) {
        release();
        return;
    }
    // A placed node reports itself as the step "Insert/Edit Link" or "Insert/Edit Image";
    // nothing placed, no step.
    evaluate(QStringLiteral("vlx.%1(%2)").arg(placement, toJson(request)),
             [this, release](const QVariant &placed) {
                 if (!placed.toBool())
                     unableToComplete();
                 release();
             });
}

void WYSIWYG::unableToComplete()
{
    QApplication::beep();
    Alert alert;
    alert.title = tr("Unable to complete");
    alert.message = tr("For some reason the contents of the selected range is unable to be "
                       "determined by this version of the editor.  Try saving the HTML and "
                       "trying agin.");
    alert.defaultButton = tr("OK");
    AlertService::show(alert);
}

// --- The context menu ---------------------------------------------------------------------------

void WYSIWYG::buildContextMenu(QMenu *menu)
{
    QList<QAction *> head;
    QList<QAction *> tail;
    bool separatorSeen = false;
    for (QAction *action : menu->actions()) {
        menu->removeAction(action);
        if (action->isSeparator() && !separatorSeen) {
            separatorSeen = true;
            continue;
        }
        if (action->isSeparator() || leavesTheDocument(m_page, action)
            || action->text().remove(QLatin1Char('&')) == QLatin1String("Font"))
            continue;
        // The history is the editor's, not the engine's.
        if (action == m_page->action(QWebEnginePage::Undo)
            || action == m_page->action(QWebEnginePage::Redo)) {
            const bool redo = action == m_page->action(QWebEnginePage::Redo);
            auto *own = new QAction(redo ? tr("Redo") : tr("Undo"), menu);
            own->setEnabled(redo ? m_undo->canRedo() : m_undo->canUndo());
            connect(own, &QAction::triggered, this, redo ? &WYSIWYG::redo : &WYSIWYG::undo);
            action = own;
        }
        (separatorSeen ? tail : head) << action;
    }
    menu->addActions(head);
    if (separatorSeen)
        menu->addSeparator();

    const struct
    {
        const char *title;
        void (WYSIWYG::*action)();
    } alignments[] = {{"Align Left", &WYSIWYG::buttonAlignLeft},
                      {"Align Center", &WYSIWYG::buttonAlignCenter},
                      {"Align Right", &WYSIWYG::buttonAlignRight},
                      {"Fill Justify", &WYSIWYG::buttonAlignFill}},
      styles[] = {{"Normal", &WYSIWYG::buttonNormalText},
                  {"Bold", &WYSIWYG::buttonBoldText},
                  {"Italic", &WYSIWYG::buttonItalicText},
                  {"Underline", &WYSIWYG::buttonUnderlineText}};
    QMenu *alignment = menu->addMenu(tr("Alignment"));
    alignment->setObjectName(QStringLiteral("Alignment"));
    for (const auto &item : alignments)
        connect(alignment->addAction(tr(item.title)), &QAction::triggered, this, item.action);
    QMenu *style = menu->addMenu(tr("Apply Style"));
    style->setObjectName(QStringLiteral("Apply Style"));
    for (const auto &item : styles)
        connect(style->addAction(tr(item.title)), &QAction::triggered, this, item.action);

    // The page names the node under the pointer; the engine's description of the click stands in
    // should that word not have arrived.
    QString target = std::exchange(m_menuTarget, QString());
    const QWebEngineContextMenuRequest *request = m_web->lastContextMenuRequest();
    if (target.isEmpty() && request) {
        if (request->mediaType() == QWebEngineContextMenuRequest::MediaTypeImage)
            target = QStringLiteral("image");
        else if (!request->linkText().isEmpty() || !request->linkUrl().isEmpty())
            target = QStringLiteral("link");
    }
    if (target == QLatin1String("image"))
        connect(menu->addAction(QStringLiteral("Edit Image")), &QAction::triggered, this,
                &WYSIWYG::editImageContextMenuNode);
    else if (target == QLatin1String("link"))
        connect(menu->addAction(QStringLiteral("Edit Link")), &QAction::triggered, this,
                &WYSIWYG::editLinkContextMenuNode);
    menu->addSeparator();
    menu->addActions(tail);
}

// --- Navigation ---------------------------------------------------------------------------------

void WYSIWYG::navigationRefused(const QUrl &, int type)
{
    // Only a followed link points at something the user may want to edit; a refresh or a form
    // the text carries is simply refused.
    if (type != QWebEnginePage::NavigationTypeLinkClicked || m_closing)
        return;
    const QPointF point = QPointF(m_web->mapFromGlobal(QCursor::pos())) / m_web->zoomFactor();
    evaluate(QStringLiteral("vlx.linkAt(%1, %2)").arg(point.x()).arg(point.y()),
             [this](const QVariant &value) { openSheetFor(value.toMap()); });
}
