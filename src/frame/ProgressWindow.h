#pragma once
#include "host/gui/eProgress.h"
#include "host/gui/eWindow.h"

// A non-modal window with one progress bar under a title, shown while tables are read.
class ProgressWindow : public eWindow {
public:
    explicit ProgressWindow(eString title);
    ~ProgressWindow() override;

    eProgress progress;
};
