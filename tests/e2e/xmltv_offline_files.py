"""Writes the offline files a logging run makes of a sample week, from orvalis-mux's
--list file, and the configuration file that records the run:

    python3 xmltv_offline_files.py LISTING DIR LOGDATE

Lines as the logger writes them: in carousel order, titles with later capitals
lowered, the weekday of a programme before 06:00 moved to its broadcast day, 7 for
the days after the seventh day change, ISO 8859-15 text, carriage returns as '#'.
"""
import sys

DAYS = {'Sun': 0, 'Mon': 1, 'Tue': 2, 'Wed': 3, 'Thu': 4, 'Fri': 5, 'Sat': 6}


def logged(title):
    return title[:1] + ''.join(c.lower() if 'A' <= c <= 'Z' else c for c in title[1:])


def main():
    listing, out, log_date = sys.argv[1], sys.argv[2], int(sys.argv[3])
    channels, themes, titles, summaries = [], [], [], []
    with open(listing, encoding='utf-8') as f:
        for line in f:
            line = line.rstrip('\n')
            if line.startswith('channel '):
                _, number, _, sid, name = line.split(' ', 4)
                channels.append((name, int(sid, 16)))
            elif line.startswith('theme '):
                themes.append(('THM', line.split(' ', 2)[2]))
            elif line.startswith('  sub '):
                themes.append(('SUB', line[6:]))
            elif line.startswith('title '):
                parts = line.split(' ', 13)
                titles.append(parts)
            elif line.startswith('summary '):
                _, sid, text = line.split(' ', 2)
                summaries.append((int(sid, 16), text.replace('|', '#')))

    def write(name, lines):
        with open(f'{out}/{name}', 'w', encoding='iso8859_15', newline='\n') as f:
            f.write('LogDate=0\n')
            f.writelines(lines)

    # The sample's transponder ids: 0x13E/0xBB9 (orvalis-mux defaults).
    write('channels.gep', [f'{n}<>{sid:02x}:bb9:13e\n' for n, sid in channels])
    slot, group, lines = 0, -1, []
    for kind, name in themes:
        if kind == 'THM':
            group += 1
            slot = group * 16
        else:
            slot += 1
        lines.append(f'{kind}<>{slot:02x}<>{name}\n')
    write('themes.gep', lines)
    lines, previous, changes = [], None, 0
    for p in titles:
        # title day D WDAY HH:MM ch C slot S dur M id ID TITLE
        if int(p[6]) > len(channels):
            continue  # the logger passes over records without a channel (0xFF)
        day, hh, mm = DAYS[p[3]], int(p[4][:2]), int(p[4][3:])
        if day != previous:
            changes += 1
        shown = 7 if changes > 7 else day
        previous = day
        lines.append(f'{int(p[12], 16):X}<>{int(p[6]) - 1}<>{shown}<>{hh:02d}:{mm:02d}<>'
                     f'{logged(p[13].rstrip())}<>{int(p[10])}<>{int(p[8]):02X}\n')
    write('titles.gep', lines)
    write('summaries.gep', [f'{sid:X}<>{text}\n' for sid, text in summaries])
    with open(f'{out}/orvalis.cfg', 'w') as f:
        f.write('name=Orvalis\nenigmaplugin=1\nEPGService=1:0:1:64:BB9:13E:820000:0:0:0:\n'
                f'OfflinePath={out}/\nOfflineLog=1\nLogDate={log_date}\n')


main()
