#include "broadcast/TitlePass.h"
#include "broadcast/DemuxAccess.h"
#include "frame/globals.h"

#include <algorithm>

namespace {

// A guard beside the pass detection: a stream whose sections never repeat still ends.
// A week of a busy transponder is some 10000 sections.
constexpr int kMaxReads = 400000;
// The pass is over once this many sections in a row repeat the first ones read; a run
// of several makes one section sent twice within a pass no reason to stop.
constexpr size_t kRun = 4;
// A drop of this many hours inside today's block after the week's last day is taken
// for the eighth day coming before today.
constexpr int kEighthDayDrop = 3;

using Section = std::vector<uint8_t>;

// Length of the shortest period of s (prefix function): s is a pass followed by the
// start of the next one, so the period is the pass.
size_t shortestPeriod(const std::vector<Section>& s)
{
    const size_t n = s.size();
    if (n == 0)
        return 0;
    std::vector<size_t> pi(n, 0);
    for (size_t i = 1; i < n; ++i) {
        size_t k = pi[i - 1];
        while (k > 0 && s[i] != s[k])
            k = pi[k - 1];
        if (s[i] == s[k])
            ++k;
        pi[i] = k;
    }
    return n - pi[n - 1];
}

} // namespace

int titleHourOrder(int hour, bool earlyMorning) { return earlyMorning && hour <= 5 ? hour + 24 : hour; }

void TitlePass::addSection(const uint8_t* section, int length)
{
    m_sections.emplace_back(section, section + length);
}

bool TitlePass::read(int fd, const std::function<void(int)>& progress)
{
    m_sections.clear();
    size_t matched = 0;
    for (int reads = 0; reads < kMaxReads; ++reads) {
        const int len = readSection(fd);
        if (len <= 0)
            break;
        progress(len);
        addSection(buffer, len);
        const size_t n = m_sections.size();
        if (n <= kRun)
            continue;
        // Compare with the opening run: a match restarts the count at its first section.
        const Section& s = m_sections.back();
        matched = s == m_sections[matched] ? matched + 1 : (s == m_sections[0] ? 1 : 0);
        if (matched == kRun)
            break;
    }
    // A PID without a single title record has nothing to list.
    if (std::none_of(m_sections.begin(), m_sections.end(),
                     [](const Section& s) { return s.size() == size_t(kTitleSectionLength); }))
        return false;
    // Keep one pass: what came after it repeats its start.
    const size_t period = shortestPeriod(m_sections);
    if (period + kRun <= m_sections.size())
        m_sections.resize(period);
    return true;
}

void TitlePass::order(int today, bool earlyMorning)
{
    std::vector<Entry> records;
    for (const Section& s : m_sections) {
        Entry e;
        if (decodeTitleRecord(s.data(), static_cast<int>(s.size()), earlyMorning, e.record))
            records.push_back(e);
    }
    m_week.clear();
    const size_t n = records.size();
    if (n == 0)
        return;
    auto rel = [&](size_t i) { return (records[i].record.day - today + 7) % 7; };
    auto order = [&](size_t i) { return titleHourOrder(records[i].record.hour, earlyMorning); };
    auto prev = [n](size_t i) { return (i + n - 1) % n; };

    // The week begins where the day, counted from today, steps back the most.
    size_t start = n;
    int bestStep = 0;
    for (size_t i = 0; i < n; ++i) {
        const int step = rel(prev(i)) - rel(i);
        if (step > bestStep) {
            bestStep = step;
            start = i;
        }
    }
    if (start < n) {
        // The block reached by that step may be the eighth day: today's weekday again,
        // later hours first. Today's own block then begins at a drop in the hour.
        for (size_t k = 1; rel(start) == 0 && k < n && rel((start + k) % n) == 0; ++k) {
            const size_t i = (start + k) % n;
            if (order(prev(i)) - order(i) >= kEighthDayDrop) {
                start = i;
                break;
            }
        }
    } else {
        // One day only: it begins after the largest drop of the hour, if any.
        start = 0;
        int bestDrop = 0;
        for (size_t i = 0; i < n; ++i) {
            const int drop = order(prev(i)) - order(i);
            if (drop > bestDrop) {
                bestDrop = drop;
                start = i;
            }
        }
    }

    DayChangeCounter days;
    m_week.reserve(n);
    for (size_t k = 0; k < n; ++k) {
        Entry e = records[(start + k) % n];
        e.day = days.file(e.record.day);
        m_week.push_back(e);
    }
}

size_t TitlePass::dayStart(int day, int hour, bool earlyMorning) const
{
    const int from = titleHourOrder(hour, earlyMorning);
    size_t i = 0;
    while (i < m_week.size() && m_week[i].day != day)
        ++i;
    for (; i < m_week.size() && m_week[i].day == day; ++i)
        if (titleHourOrder(m_week[i].record.hour, earlyMorning) >= from)
            break;
    return i;
}

bool TitlePass::hasDay(int day) const
{
    return std::any_of(m_week.begin(), m_week.end(), [day](const Entry& e) { return e.day == day; });
}
