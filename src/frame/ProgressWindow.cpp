#include "frame/ProgressWindow.h"

ProgressWindow::ProgressWindow(eString title) : eWindow(0), progress(this, 0)
{
    move(ePoint(120, 450));
    cresize(eSize(480, 30));
    setText(title);
    progress.move(ePoint(10, 10));
    progress.resize(eSize(460, 10));
}

ProgressWindow::~ProgressWindow() = default;
