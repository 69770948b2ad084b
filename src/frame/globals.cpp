#include "frame/globals.h"

#include <algorithm>
#include <clocale>
#include <cstring>
#include <libintl.h>

namespace {
eString translated(const char* text) { return eString(dcgettext(nullptr, text, LC_MESSAGES)); }
} // namespace

// Declaration order is initialisation order: listaP/listaG follow their sizes.
unsigned char buffer[kSectionBufferSize];
int channel_ids[kMaxChannels];
eString channel_paths[kMaxChannels];
eString channFilter[kMaxChannels];
TemaEntry temalist[kThemeRecords];
BufferData bufferdatas[kMaxRows];
eString weekD[8] = {translated("Sun"), translated("Mon"), translated("Tue"), translated("Wed"),
                    translated("Thu"), translated("Fri"), translated("Sat"), "Nex"};
eString lastSearch[kMaxSearches];
int sizeposition[8];
char datattuale[20];
struct tm currDay;
char dirplugin[100];

int nb_channels = 300;
int nb_themes = 100;
int nb_titles = 25000;
int nb_summaries = 25000;
int TotCh = 0, TotTh = 0, TotTi = 0, TotSu = 0;
int listaPv = 20, listaGv = 17;
gFont listaP("Nimbus", listaPv);
gFont listaG("Nimbus", listaGv);
int pluginType = 2;
eServiceReference EPGService;
eServiceReference LastService = EPGService;
eString nsp_curr;
eString nullService = "1:0:1:0:0:0:0:0:0:0:";
eString selService;
eString offlinePath = "/hdd/orvalis/";
eString searchString;
int nb_search = 0;
int offlinelog = 0;
int logDate = 0;
int startOffs = 0, endOffs = 0;
int localOffs = 0;
int oggi = 0, ieri = 0;
int FilterSearch = 0;
int ItemSelect = 0;
int startTh = 0, endTh = 0;
int pos_buffer = 0;
int nb_buffer = 0;
bool readThCh = false;
bool editcfg = false;
bool isFilter = false;
bool evprogrsel = false;
FILE* filecfg = nullptr;

namespace {
time_t systemTime() { return time(nullptr); }
} // namespace

time_t (*timeSource)() = systemTime;

void CurrentTime()
{
    time_t now = timeSource();
    struct tm t;
    localtime_r(&now, &t);
    oggi = t.tm_wday;
    t.tm_mday -= 1;
    t.tm_isdst = -1;
    mktime(&t);
    ieri = t.tm_wday;
    localtime_r(&now, &currDay);
    // The buffer holds 19 characters: a long translated weekday name is cut, never overflows.
    // Day and month are 1-31 and 1-12, the year four digits until 9999: the figures
    // always fit, and only a long weekday name is cut.
    const int day = std::clamp(currDay.tm_mday, 1, 31), month = std::clamp(currDay.tm_mon + 1, 1, 12),
              year = std::clamp(currDay.tm_year + 1900, 0, 9999);
    snprintf(datattuale, sizeof datattuale, "%s  %02d-%02d-%02d", weekD[currDay.tm_wday].c_str(), day, month, year);
}

void tolower(char* s)
{
    if (!s || !*s)
        return;
    for (char* p = s + 1; *p; ++p)
        if (*p >= 'A' && *p <= 'Z')
            *p = static_cast<char>(*p + 0x20);
}

eString serviceRefText(int sid, int tsid, int onid)
{
    eString s;
    s.sprintf("1:0:1:%02X:%02X:%02X:%s:0:0:0:", static_cast<unsigned>(sid), static_cast<unsigned>(tsid),
              static_cast<unsigned>(onid), nsp_curr.c_str());
    return s;
}
