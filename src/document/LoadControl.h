#pragma once

#include "io/VLXParseFeed.h"

// What a feed's load tells the one who runs it, and where it asks whether to go on: the window's
// runner shows the stages in its progress dialog and stops the work when the user cancels. A
// load run without one goes through to the end.
class LoadControl
{
public:
    using Stage = VLXParseFeed::Stage;

    virtual ~LoadControl() = default;
    // How much of the stage is done, of how much. False stops the load.
    virtual bool report(Stage stage, qint64 done, qint64 total) = 0;
    // Whether the load was told to stop (asked between the steps of a load).
    virtual bool stopRequested() const = 0;
};
