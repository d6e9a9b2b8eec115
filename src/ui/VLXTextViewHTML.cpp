#include "ui/VLXTextViewHTML.h"

#include <QAction>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>
#include <cstdio>

namespace {
// Replaces every occurrence; when `repeated`, passes run again until one changes nothing.
void replaceSteps(QString &text, const QString &find, const QString &with, bool repeated,
                  Qt::CaseSensitivity cs)
{
    do {
        const QString before = text;
        text.replace(find, with, cs);
        if (text == before)
            return;
    } while (repeated);
}
} // namespace

VLXTextViewHTML::VLXTextViewHTML(QWidget *parent) : VLXTextView(parent) { }

QString VLXTextViewHTML::pasteWithBRConversions(const QString &source)
{
    QString text = source;
    const auto literal = Qt::CaseSensitive;
    const auto folded = Qt::CaseInsensitive;
    replaceSteps(text, QStringLiteral("\n\r"), QStringLiteral("\n"), true, literal);
    replaceSteps(text, QStringLiteral("\r"), QStringLiteral("\n"), true, literal);
    replaceSteps(text, QStringLiteral("<br>\n"), QStringLiteral("<br>"), true, folded);
    replaceSteps(text, QStringLiteral("<br/>\n"), QStringLiteral("<br/>"), true, folded);
    replaceSteps(text, QStringLiteral("<br />\n"), QStringLiteral("<br />"), true, folded);
    replaceSteps(text, QStringLiteral("<br>"), QStringLiteral("<br />\r"), false, folded);
    replaceSteps(text, QStringLiteral("<br/>"), QStringLiteral("<br />\r"), false, folded);
    replaceSteps(text, QStringLiteral("<br />"), QStringLiteral("<br />\r"), false, folded);
    replaceSteps(text, QStringLiteral("\n"), QStringLiteral("<br />\r"), true, folded);
    replaceSteps(text, QStringLiteral("\r"), QStringLiteral("\n"), true, literal);
    return text;
}

void VLXTextViewHTML::insertPasted(QString text)
{
    // Nothing to paste must not become an edit (nor empty the selection).
    if (text.isEmpty())
        return;
    if (text.endsWith(QChar(0))) {
        std::fputs("VELLUMCAST: NULL found at end of insert\n", stderr);
        const QByteArray utf8 = text.toUtf8();
        text = QString::fromUtf8(utf8.constData());
        while (text.endsWith(QChar(0))) {
            std::fputs("VELLUMCAST: NULL still exists\n", stderr);
            text.chop(1);
        }
        if (text.isEmpty())
            return;
    }
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    runAsEdit([&] {
        QTextCursor edit(document());
        edit.setPosition(start);
        edit.setPosition(end, QTextCursor::KeepAnchor);
        edit.insertText(text);
    });
    QTextCursor selected(document());
    selected.setPosition(start);
    selected.setPosition(start + int(text.size()), QTextCursor::KeepAnchor);
    setTextCursor(selected);
}

void VLXTextViewHTML::pasteConverted()
{
    const QString text = QGuiApplication::clipboard()->text();
    insertPasted(m_returnIsNL ? text : pasteWithBRConversions(text));
}

void VLXTextViewHTML::pasteHTML()
{
    insertPasted(QGuiApplication::clipboard()->text());
}

void VLXTextViewHTML::editHTML()
{
    if (m_editHTML)
        m_editHTML(this);
}

bool VLXTextViewHTML::canInsertFromMimeData(const QMimeData *source) const
{
    return source && source->hasText();
}

void VLXTextViewHTML::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText())
        return;
    const QString text = source->text();
    if (m_dropping) {
        // Dropped text is always converted, whatever Return types.
        insertPasted(pasteWithBRConversions(text));
        return;
    }
    insertPasted(m_returnIsNL ? text : pasteWithBRConversions(text));
}

void VLXTextViewHTML::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasText() && (event->possibleActions() & Qt::CopyAction)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        VLXTextView::dragEnterEvent(event);
        return;
    }
    event->ignore();
}

void VLXTextViewHTML::dropEvent(QDropEvent *event)
{
    m_dropping = true;
    // A drop copies: the dragged text stays where it came from.
    event->setDropAction(Qt::CopyAction);
    VLXTextView::dropEvent(event);
    m_dropping = false;
}

void VLXTextViewHTML::keyPressEvent(QKeyEvent *event)
{
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (isReturn && (mods == Qt::NoModifier || mods == Qt::AltModifier)) {
        const bool plain = (mods == Qt::NoModifier) == m_returnIsNL;
        // Part of ordinary typing, not an edit of its own.
        textCursor().insertText(plain ? QStringLiteral("\n") : QStringLiteral("<br />\n"));
        ensureCursorVisible();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        pasteConverted();
        return;
    }
    VLXTextView::keyPressEvent(event);
}

QMenu *VLXTextViewHTML::buildContextMenu(const QPoint &position)
{
    QMenu *menu = VLXTextView::buildContextMenu(position);
    const QList<QAction *> items = menu->actions();
    for (int i = 0; i < items.size(); ++i) {
        if (items[i]->objectName() != QLatin1String("edit-paste"))
            continue;
        // The standard Paste goes through our conversion.
        disconnect(items[i], nullptr, nullptr, nullptr);
        connect(items[i], &QAction::triggered, this, &VLXTextViewHTML::pasteConverted);
        QAction *before = i + 1 < items.size() ? items[i + 1] : nullptr;
        auto *pasteRaw = new QAction(tr("Paste HTML"), menu);
        pasteRaw->setObjectName(QStringLiteral("pasteHTML"));
        pasteRaw->setEnabled(items[i]->isEnabled());
        connect(pasteRaw, &QAction::triggered, this, &VLXTextViewHTML::pasteHTML);
        menu->insertAction(before, pasteRaw);
        if (m_editHTML) {
            auto *edit = new QAction(tr("Edit HTML"), menu);
            edit->setObjectName(QStringLiteral("editHTML"));
            connect(edit, &QAction::triggered, this, &VLXTextViewHTML::editHTML);
            menu->insertAction(before, edit);
        }
        break;
    }
    return menu;
}
