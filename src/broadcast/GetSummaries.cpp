#include "broadcast/GetSummaries.h"
#include "broadcast/CarouselPass.h"
#include "broadcast/DemuxAccess.h"
#include "broadcast/SummaryFiler.h"
#include "broadcast/SummarySection.h"
#include "frame/ProgressWindow.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"

namespace {

// The bar runs up to 100 % about once per pass of TotSu summaries, then starts again.
class PassProgress {
public:
    explicit PassProgress(eProgress& bar) : m_bar(bar) {}
    void start(int count) { m_k = count; }
    void set(int count) { m_bar.setPerc(TotSu > 0 ? count * 100 / TotSu : 0); }
    void advance()
    {
        if (TotSu > 0 && m_k * 100 / TotSu == 100)
            m_k = 0;
        set(m_k);
        ++m_k;
    }

private:
    eProgress& m_bar;
    int m_k = 0;
};

} // namespace

int readSummaryCarousel(uint32_t id, const eString& title, eString& result)
{
    result.clear();
    const int fd = openSectionFilter(kPidChannelsThemesSummaries, kTableTitlesSummaries);
    if (fd < 0)
        return -1;

    ProgressWindow window(" Searching: " + title);
    window.progress.setForegroundColor(eSkin::getActive()->queryColor("std_dred"));
    window.show();
    PassProgress progress(window.progress);

    // Seek the first summary section, for at most one pass of the carousel.
    int count = 0;
    int len = 0;
    CarouselPass seek;
    for (;;) {
        len = readSection(fd);
        if (len <= 0 || count >= kMaxSummarySectionsPerPass) {
            closeSectionFilter(fd);
            window.hide();
            return -2;
        }
        progress.set(count);
        ++count;
        if (isSummarySection(buffer, len))
            break;
        seek.add(buffer, len);
        if (seek.complete()) {
            closeSectionFilter(fd);
            window.hide();
            return -2;
        }
    }
    // The pass starts at that first section. It is filed at once: a live carousel
    // may have dropped it by the time the pass comes round.
    CarouselPass pass;
    pass.add(buffer, len);
    window.progress.setForegroundColor(eSkin::getActive()->queryColor("std_dgreen"));
    progress.start(count);
    SummaryFiler filer(id);
    filer.file(*decodeSummarySection(buffer, len));

    for (int reads = 0; reads < kMaxSummarySectionsPerPass && !filer.complete(); ++reads) {
        len = readSection(fd);
        if (len <= 0)
            break; // a stream that stops ends the pass as its coming round would
        const bool fresh = pass.add(buffer, len);
        const auto section = decodeSummarySection(buffer, len);
        if (section) {
            if (fresh)
                filer.file(*section);
            progress.advance();
        }
        if (pass.complete())
            break;
    }
    closeSectionFilter(fd);
    window.hide();
    result = filer.result();
    return 0;
}
