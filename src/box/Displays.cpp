#include "box/Displays.h"
#include "box/display/WebFrontend.h"
#include "box/display/WindowFrontend.h"

namespace box {

Display makeDisplay(const BoxOptions& options, std::string* error)
{
    Display d;
    if (options.display == "window") {
        WindowOptions w;
        w.scale = options.scale;
        d.frontend = makeWindowFrontend(w, error);
    } else if (options.display == "web") {
        WebOptions w;
        w.listen = options.listen;
        d.frontend = makeWebFrontend(w, error);
    } else {
        auto steps = parseKeyScript(options.keys, error);
        if (!steps)
            return d;
        // A script's shot:NAME is never dropped: without a folder it lands where the user is.
        const std::string shots = options.screenshotDir.empty() ? "." : options.screenshotDir;
        auto headless = std::make_unique<HeadlessFrontend>(std::move(*steps), shots, options.dumpFile);
        if (!headless->ok(error))
            return d;
        d.headless = headless.get();
        d.frontend = std::move(headless);
    }
    return d;
}

} // namespace box
