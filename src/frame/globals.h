#pragma once
// The plug-in's process-wide state: every window, table reader and the
// configuration code share these. Capacities are fixed; nothing grows at run time.
#include "host/eString.h"
#include "host/gfx/gFont.h"
#include "host/service/eServiceReference.h"

#include <cstdio>
#include <ctime>

constexpr int kMaxChannels = 300;
constexpr int kThemeRecords = 255;
constexpr int kThemeGroups = 16;
constexpr int kGroupSlots = 16;
constexpr int kMaxRows = 2000;
constexpr int kMaxSearches = 10;
constexpr int kSectionBufferSize = 4097;
constexpr int kMaxSectionRead = 4096;

struct TemaEntry {
    char name[16];
    int count;
};

struct BufferData {
    eString title;
    eString channel;
    eString when;
    int id = 0;
    eString summary;
};

extern unsigned char buffer[kSectionBufferSize];
extern int channel_ids[kMaxChannels];
extern eString channel_paths[kMaxChannels];
extern eString channFilter[kMaxChannels];
extern TemaEntry temalist[kThemeRecords];
extern BufferData bufferdatas[kMaxRows];
extern eString weekD[8];
extern eString lastSearch[kMaxSearches];
extern int sizeposition[8];
extern char datattuale[20];
extern struct tm currDay;
extern char dirplugin[100];

extern int nb_channels;
extern int nb_themes;
extern int nb_titles;
extern int nb_summaries;
extern int TotCh, TotTh, TotTi, TotSu;
extern int listaPv, listaGv;
extern gFont listaP, listaG;
extern int pluginType;
extern eServiceReference EPGService;
extern eServiceReference LastService;
extern eString nsp_curr;
extern eString nullService;
extern eString selService;
extern eString offlinePath;
extern eString searchString;
extern int nb_search;
extern int offlinelog;
extern int logDate;
extern int startOffs, endOffs;
extern int localOffs;
extern int oggi, ieri;
extern int FilterSearch;
extern int ItemSelect;
extern int startTh, endTh;
extern int pos_buffer;
extern int nb_buffer;
extern bool readThCh;
extern bool editcfg;
extern bool isFilter;
extern bool evprogrsel;
extern FILE* filecfg;

// "Now" for every date the plug-in computes: the system time unless a test sets another.
extern time_t (*timeSource)();
// Refreshes oggi, ieri, currDay and datattuale from the local time.
void CurrentTime();
// Lower-cases A-Z in place, except the first byte (broadcast names arrive in capitals).
void tolower(char* s);
// "1:0:1:SID:TSID:ONID:nsp:0:0:0:" of a broadcast channel, with nsp_curr as namespace.
eString serviceRefText(int sid, int tsid, int onid);
