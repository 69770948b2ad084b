#include "broadcast/GetSummaries.h"
#include "broadcast/DemuxAccess.h"
#include "broadcast/SummaryFiler.h"
#include "broadcast/SummarySection.h"
#include "frame/ProgressWindow.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"

#include <functional>
#include <string_view>
#include <vector>

namespace {

// Identifies a section by its bytes.
uint64_t keyOf(const unsigned char* section, int length)
{
    return std::hash<std::string_view>()(std::string_view(reinterpret_cast<const char*>(section), size_t(length)));
}

// The end of a pass: the first few sections of the pass, met again in the same order.
// One section alone is not enough, since a summary may be sent twice per pass.
class PassEnd {
public:
    // Called with every section of the pass, the first one included; true when it is over.
    bool seen(uint64_t key)
    {
        if (m_marker.size() < kLength) {
            m_marker.push_back(key);
            return false;
        }
        if (key == m_marker[m_matched])
            ++m_matched;
        else
            m_matched = key == m_marker[0] ? 1 : 0;
        return m_matched == m_marker.size();
    }

private:
    static constexpr size_t kLength = 4;
    std::vector<uint64_t> m_marker;
    size_t m_matched = 0;
};

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
    PassEnd seekEnd;
    for (;;) {
        len = readSection(fd);
        if (len <= 0 || count >= kMaxSummarySectionsPerPass || seekEnd.seen(keyOf(buffer, len))) {
            closeSectionFilter(fd);
            window.hide();
            return -2;
        }
        progress.set(count);
        ++count;
        if (isSummarySection(buffer, len))
            break;
    }
    // That first section is filed when the carousel brings it round again.
    PassEnd end;
    end.seen(keyOf(buffer, len));
    window.progress.setForegroundColor(eSkin::getActive()->queryColor("std_dgreen"));
    progress.start(count);
    SummaryFiler filer(id);

    for (int reads = 0; reads < kMaxSummarySectionsPerPass; ++reads) {
        len = readSection(fd);
        if (len <= 0)
            break; // a stream that stops ends the pass as its marker would
        const auto section = decodeSummarySection(buffer, len);
        if (!section)
            continue;
        const bool over = end.seen(keyOf(buffer, len));
        filer.file(*section);
        progress.advance();
        if (over || filer.complete())
            break;
    }
    closeSectionFilter(fd);
    window.hide();
    result = filer.result();
    return 0;
}
