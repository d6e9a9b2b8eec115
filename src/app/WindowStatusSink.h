#pragma once

#include "platform/StatusSink.h"

// Status texts of long work go to the feed window's status line, which repaints at once.
class WindowStatusSink : public StatusSink
{
public:
    void setStatus(const QString &text) override;

    // The text as the status line shows it: one longer than a status line can show (a name of a
    // megabyte, handed over by a later start, took seconds to lay out) keeps its start and its
    // end, with an ellipsis between.
    static QString fitted(const QString &text);
    static constexpr int kLongestStatus = 1000;
};
