#include "config/OutOfDateWarning.h"

#include "host/gui/eMessageBox.h"

void showOutOfDateWarning()
{
    eMessageBox box("Warning, EPG data is out-of-date.\nUpdate required for offline mode.", "Update EPG:",
                    eMessageBox::btOK | eMessageBox::iconWarning, eMessageBox::btOK);
    box.show();
    box.exec();
    box.hide();
}
