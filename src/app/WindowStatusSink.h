#pragma once

#include "platform/StatusSink.h"

// Status texts of long work go to the feed window's status line, which repaints at once.
class WindowStatusSink : public StatusSink
{
public:
    void setStatus(const QString &text) override;
};
