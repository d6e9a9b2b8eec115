// The HTML editor's toolbar and the commands that need no sheet: styles and alignment, the
// no-break space, colours, fonts and the symbols panel.
#include "editors/WYSIWYG.h"

#include "editors/editImageLink.h"
#include "editors/editLink.h"
#include "platform/DefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "ui/ClosingKeys.h"
#include "ui/ToolbarLayout.h"
#include "ui/VLXWebView.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QHeaderView>
#include <QIcon>
#include <QMainWindow>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
struct ToolbarItem
{
    const char *identifier;
    const char *label;
    const char *paletteLabel;
    const char *toolTip;
    const char *themeIcon;
    void (WYSIWYG::*action)();
};

// The editor's own toolbar items: identifier, label, palette label, tool tip, desktop icon name
// and the action.
const ToolbarItem kToolbarItems[] = {
    {"Align Left WYSIWYG Identifier", "Left", "Align Left", "Align Left", "format-justify-left",
     &WYSIWYG::buttonAlignLeft},
    {"Align Center WYSIWYG Identifier", "Center", "Align Center", "Align Center",
     "format-justify-center", &WYSIWYG::buttonAlignCenter},
    {"Align Right WYSIWYG Identifier", "Right", "Align Right", "Align Right",
     "format-justify-right", &WYSIWYG::buttonAlignRight},
    {"Align Fill WYSIWYG Identifier", "Fill", "Align Fill", "Align Fill", "format-justify-fill",
     &WYSIWYG::buttonAlignFill},
    {"Save And Close WYSIWYG Identifier", "Save and Close", "Save and Close", "Save and Close",
     "dialog-ok", &WYSIWYG::save},
    {"Reload WYSIWYG Identifier", "Reload", "Reload", "Reload WYSIWYG", "view-refresh",
     &WYSIWYG::reload},
    {"Close WYSIWYG Identifier", "Close", "Close", "Close WYSIWYG", "window-close",
     &WYSIWYG::close},
    {"Style B WYSIWYG Identifier", "Bold", "Bold", "Bold", "format-text-bold",
     &WYSIWYG::buttonBoldText},
    {"Style I WYSIWYG Identifier", "Italic", "Italic", "Italic", "format-text-italic",
     &WYSIWYG::buttonItalicText},
    {"Style N WYSIWYG Identifier", "Normal", "Normal", "Normal", "format-text-direction-ltr",
     &WYSIWYG::buttonNormalText},
    {"Style U WYSIWYG Identifier", "Underline", "Underline", "Underline", "format-text-underline",
     &WYSIWYG::buttonUnderlineText},
    {"NBSP WYSIWYG Identifier", "No Break", "No Break Space", "No Break Space", "",
     &WYSIWYG::buttonNBSP},
    {"Link WYSIWYG Identifier", "Link", "Link", "Link", "insert-link", &WYSIWYG::buttonLink},
    {"Image WYSIWYG Identifier", "Image", "Image", "Image", "insert-image", &WYSIWYG::buttonImage},
    {"Symbol WYSIWYG Identifier", "Symbol", "Insert Symbol", "Insert Symbol",
     "accessories-character-map", &WYSIWYG::showSymbols},
    // The standard items the toolbar may carry.
    {"Print", "Print", "Print", "Print Your Document", "document-print", &WYSIWYG::printDocument},
    {"Colors", "Colors", "Colors", "Show Color Panel", "preferences-color", &WYSIWYG::buttonColors},
    {"Fonts", "Fonts", "Fonts", "Show Font Panel", "preferences-desktop-font",
     &WYSIWYG::buttonFonts},
};

using ToolbarLayout::kFlexibleSpace;
using ToolbarLayout::kSeparator;
using ToolbarLayout::kSpace;
const QString kCustomize = QStringLiteral("Customize");

const ToolbarItem *toolbarItem(const QString &identifier)
{
    return ToolbarLayout::find(kToolbarItems, identifier);
}

} // namespace

// --- Toolbar ------------------------------------------------------------------------------------

QStringList WYSIWYG::defaultToolbarItemIdentifiers()
{
    return {"Align Left WYSIWYG Identifier",
            "Align Center WYSIWYG Identifier",
            "Align Right WYSIWYG Identifier",
            "Align Fill WYSIWYG Identifier",
            kSeparator,
            "Style N WYSIWYG Identifier",
            "Style B WYSIWYG Identifier",
            "Style I WYSIWYG Identifier",
            "Style U WYSIWYG Identifier",
            kSeparator,
            "Colors",
            kSeparator,
            "NBSP WYSIWYG Identifier",
            "Symbol WYSIWYG Identifier",
            "Link WYSIWYG Identifier",
            "Image WYSIWYG Identifier"};
}

QStringList WYSIWYG::allowedToolbarItemIdentifiers()
{
    return {"Save And Close WYSIWYG Identifier",
            "Reload WYSIWYG Identifier",
            "Close WYSIWYG Identifier",
            "Print",
            "Colors",
            "Fonts",
            "Align Left WYSIWYG Identifier",
            "Align Center WYSIWYG Identifier",
            "Align Right WYSIWYG Identifier",
            "Align Fill WYSIWYG Identifier",
            "Style B WYSIWYG Identifier",
            "Style I WYSIWYG Identifier",
            "Style N WYSIWYG Identifier",
            "Style U WYSIWYG Identifier",
            "NBSP WYSIWYG Identifier",
            "Link WYSIWYG Identifier",
            "Image WYSIWYG Identifier",
            "Symbol WYSIWYG Identifier",
            kCustomize,
            kFlexibleSpace,
            kSpace,
            kSeparator};
}

QString WYSIWYG::toolbarKey()
{
    return QStringLiteral("WYSIWYGToolbar Identifier");
}

QAction *WYSIWYG::makeToolbarAction(const QString &identifier)
{
    if (QAction *existing = m_toolbarItems.value(identifier))
        return existing;
    const ToolbarItem *item = toolbarItem(identifier);
    if (!item)
        return nullptr;
    const QIcon icon
        = *item->themeIcon ? QIcon::fromTheme(QLatin1String(item->themeIcon)) : QIcon();
    auto *action = new QAction(icon, tr(item->label), m_window);
    action->setObjectName(identifier);
    action->setToolTip(tr(item->toolTip));
    action->setProperty("paletteLabel", tr(item->paletteLabel));
    connect(action, &QAction::triggered, this,
            [this, method = item->action] { (this->*method)(); });
    m_toolbarItems.insert(identifier, action);
    return action;
}

void WYSIWYG::setupToolbar()
{
    QStringList identifiers = defaultToolbarItemIdentifiers();
    const QStringList allowed = allowedToolbarItemIdentifiers();
    if (const auto stored = VLXPreferences::sharedInstance().store().array(toolbarKey())) {
        QStringList kept;
        for (const QVariant &value : *stored) {
            if (allowed.contains(value.toString()))
                kept << value.toString();
        }
        // A damaged or foreign layout is ignored.
        if (!kept.isEmpty())
            identifiers = kept;
    }
    m_toolbar = new QToolBar(tr("Toolbar"), m_window);
    m_toolbar->setObjectName(QStringLiteral("WYSIWYGToolbar Identifier"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->toggleViewAction()->setEnabled(false);
    ToolbarLayout::fill(m_toolbar, identifiers,
                        [this](const QString &identifier) { return makeToolbarAction(identifier); });
    // Every item has its action in the window, shown or not, so a stored layout may name any.
    for (const QString &identifier : allowed)
        makeToolbarAction(identifier);
    m_window->addToolBar(Qt::TopToolBarArea, m_toolbar);
}

// --- Styles, alignment, no-break space, colours and fonts ---------------------------------------

void WYSIWYG::exec(const QString &command, const QString &value)
{
    evaluate(value.isNull()
                 ? QStringLiteral("vlx.exec('%1')").arg(command)
                 : QStringLiteral("vlx.exec('%1', %2)").arg(command, scriptString(value)));
}

void WYSIWYG::buttonAlignLeft()
{
    exec(QStringLiteral("justifyLeft"));
}

void WYSIWYG::buttonAlignCenter()
{
    exec(QStringLiteral("justifyCenter"));
}

void WYSIWYG::buttonAlignRight()
{
    exec(QStringLiteral("justifyRight"));
}

void WYSIWYG::buttonAlignFill()
{
    exec(QStringLiteral("justifyFull"));
}

void WYSIWYG::buttonNormalText()
{
    exec(QStringLiteral("removeFormat"));
}

void WYSIWYG::buttonBoldText()
{
    exec(QStringLiteral("bold"));
}

void WYSIWYG::buttonItalicText()
{
    exec(QStringLiteral("italic"));
}

void WYSIWYG::buttonUnderlineText()
{
    exec(QStringLiteral("underline"));
}

void WYSIWYG::buttonNBSP()
{
    exec(QStringLiteral("insertText"), QString(QChar(kNoBreakPlaceholder)));
}

void WYSIWYG::buttonColors()
{
    // The web-safe colours first, as the colour choices of web pages.
    const QColor color = QColorDialog::getColor(Qt::black, m_window, tr("Colors"));
    if (color.isValid())
        exec(QStringLiteral("foreColor"), color.name());
}

void WYSIWYG::buttonFonts()
{
    bool accepted = false;
    const QFont font = QFontDialog::getFont(&accepted, m_web->font(), m_window, tr("Fonts"));
    if (accepted)
        exec(QStringLiteral("fontName"), font.family());
}

// --- Symbols ------------------------------------------------------------------------------------

QChar WYSIWYG::symbolForCell(int n)
{
    if (n < 0 || n >= kSymbolRows * kSymbolColumns)
        return {};
    static const char16_t firstEight[]
        = {u'\u2020', u'\u2021', u'\u2022', u'\u2023', u'\u2026', u'\u2030', u'\u2122', u'\u204B'};
    if (n < 8)
        return QChar(firstEight[n]);
    if (n <= 25)
        return QChar(char16_t(0x03A9 + n)); // Greek small alpha to final sigma
    if (n <= 32)
        return QChar(char16_t(0x0389 + n)); // Greek capital sigma to omega
    return QChar(char16_t(0x0080 + n)); // the Latin-1 signs and letters
}

void WYSIWYG::buildSymbolsPanel()
{
    auto *panel = new QWidget(m_window, Qt::Tool);
    panel->setObjectName(QStringLiteral("specialCharactersPanel"));
    panel->setWindowTitle(tr("Symbols"));
    m_matrix = new QTableWidget(kSymbolRows, kSymbolColumns, panel);
    m_matrix->setObjectName(QStringLiteral("characterMatrix"));
    m_matrix->horizontalHeader()->hide();
    m_matrix->verticalHeader()->hide();
    m_matrix->horizontalHeader()->setDefaultSectionSize(28);
    m_matrix->verticalHeader()->setDefaultSectionSize(26);
    m_matrix->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_matrix->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_matrix, &QTableWidget::cellClicked, this,
            [this](int row, int column) { matrixAction(row * kSymbolColumns + column); });
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_matrix);
    panel->resize(8 * 28 + 30, 320);
    ClosingKeys::install(panel);
    m_symbols = panel;
}

void WYSIWYG::fillMatrix()
{
    if (!m_matrix)
        return;
    for (int n = 0; n < kSymbolRows * kSymbolColumns; ++n) {
        const QChar symbol = symbolForCell(n);
        // A combining mark shows on a space of its own.
        const bool combining = symbol.category() == QChar::Mark_NonSpacing
            || symbol.category() == QChar::Mark_SpacingCombining
            || symbol.category() == QChar::Mark_Enclosing;
        auto *cell
            = new QTableWidgetItem(combining ? QStringLiteral(" ") + symbol : QString(symbol));
        cell->setData(Qt::UserRole, QString(symbol));
        cell->setTextAlignment(Qt::AlignCenter);
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_matrix->setItem(n / kSymbolColumns, n % kSymbolColumns, cell);
    }
    m_matrix->scrollToTop();
}

void WYSIWYG::showSymbols()
{
    if (!m_symbols)
        return;
    if (m_symbols->isVisible())
        m_symbols->hide();
    else
        m_symbols->show();
}

void WYSIWYG::matrixAction(int n)
{
    const QTableWidgetItem *cell
        = m_matrix ? m_matrix->item(n / kSymbolColumns, n % kSymbolColumns) : nullptr;
    const QString symbol = cell ? cell->data(Qt::UserRole).toString() : QString();
    if (!symbol.isEmpty())
        exec(QStringLiteral("insertText"), symbol);
}
