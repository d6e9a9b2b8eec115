#pragma once

#include <QPageLayout>

class QPrinter;
class QWidget;

// The page settings every printout of the program uses (the feed's XML, the preview, the HTML
// and XML editors, the message list): one instance for the whole run, never destroyed. It starts
// from the default printer's paper (or the locale's) with 54-point margins on every side and
// changes only when the user accepts the page-setup dialog. Content is never centred on the page:
// Qt lays printed text out from the top left margin, which is what these settings promise.
class printInfoManager
{
public:
    static constexpr qreal kDefaultMargin = 54.0; // points, 0.75 inch

    static printInfoManager &sharedInstance();

    // The shared settings; a copy, so callers may change theirs freely.
    static QPageLayout printInfo() { return sharedInstance().m_printInfo; }
    // Stores a copy of the given settings as the shared ones.
    static void setPrintInfo(const QPageLayout &layout) { sharedInstance().m_printInfo = layout; }

    // Gives a printer the shared page size, orientation and margins before a job.
    static void applyTo(QPrinter &printer);
    // Width of the printable area (paper width less the left and right margins), in points.
    static qreal printableWidth();
    // Runs the page-setup dialog on a copy of the shared settings and stores the copy only when
    // the user accepts it. Answers 1 on OK, 0 on Cancel.
    static int runPageLayout(QWidget *parent);

    printInfoManager(const printInfoManager &) = delete;
    printInfoManager &operator=(const printInfoManager &) = delete;

private:
    printInfoManager();
    ~printInfoManager() = default;

    QPageLayout m_printInfo;
};
