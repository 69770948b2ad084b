// The programme list's titles and summaries from titles.gep and summaries.gep (offline mode).
#include "broadcast/TitleRecord.h"
#include "frame/ProgressWindow.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"
#include "offline/SummariesFile.h"
#include "offline/TitlesFile.h"
#include "ui/RowText.h"
#include "ui/eChanProgramSel.h"

#include <cstring>

int eChanProgramSel::GetTitlesOff()
{
    offline::TitlesFileReader file;
    if (!file.open(offlinePath))
        return -3;

    ProgressWindow progress(progressCaption());
    eString title;
    if (FilterSearch == 0)
        setText(title.sprintf(" %.16s", ItemSelect >= 0 && ItemSelect < kThemeRecords ? temalist[ItemSelect].name : ""));
    else if (FilterSearch == 1)
        setText(ui::serviceName(selService));
    else if (FilterSearch == 3)
        setText(" Programs found: " + searchString);
    progress.progress.setForegroundColor(eSkin::getActive()->queryColor("std_dred"));
    progress.show();

    // The days in the file already carry the early-morning rule and the overflow day.
    const ListingStart from = listingStart();
    const bool found = file.seek(from.day, from.hour);
    progress.progress.setPerc(file.percent());

    beginListing();
    progress.progress.setForegroundColor(eSkin::getActive()->queryColor("std_dgreen"));
    offline::TitleLine line;
    while (found && file.next(line)) {
        TitleRecord r;
        r.channel = line.channel + 1;
        r.themeSlot = line.theme;
        r.day = line.day;
        r.hour = line.hour;
        r.minute = line.minute;
        r.duration = line.duration;
        r.summaryId = line.id;
        std::strncpy(r.title, line.title.c_str(), kTitleTextLength);
        progress.progress.setPerc(file.percent());
        // The file keeps the whole title: the listing shows all of it.
        const eString title(line.title);
        if (listRecord(r, line.day, &title) == Listed::stop)
            break;
    }
    progress.hide();
    finishListing();
    return 0;
}

int eChanProgramSel::GetSummariesOff(unsigned int id, eString title, eString when, eString channel, int index)
{
    if (offlinePath.empty())
        return -3;
    ProgressWindow progress(" Searching: " + title);
    progress.progress.setForegroundColor(eSkin::getActive()->queryColor("std_dgreen"));
    std::string summary;
    // The window shows only once the file is open: a missing file shows nothing.
    bool shown = false;
    const int result = offline::fileSummaries(offlinePath, id, summary, [&](int percent) {
        if (!shown) {
            progress.show();
            shown = true;
        }
        progress.progress.setPerc(percent);
    });
    progress.hide();
    if (result != 0)
        return result;
    showSummary(summary, title, when, channel, index);
    return 0;
}
