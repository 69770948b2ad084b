#include "frame/eOrvalis.h"

// The entry point the receiver calls when the user starts the plug-in.
extern "C" __attribute__((visibility("default"))) int plugin_exec(void*)
{
    eOrvalis window;
    window.show();
    window.exec();
    window.hide();
    return 0;
}
