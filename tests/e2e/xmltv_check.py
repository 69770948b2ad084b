"""Compares an XMLTV export of a sample week with the week orvalis-mux describes in
its --list file, programme by programme.

    python3 xmltv_check.py LISTING EXPORT FIRST_DAY [--titles-as-logged] [--no-desc]

FIRST_DAY is the mux's --start (YYYY-MM-DD). With --titles-as-logged the titles are
compared as the offline logger stores them (first letter kept, later capitals lowered).
"""
import datetime
import re
import sys
import xml.etree.ElementTree as ET

TITLE = re.compile(r'^title day (\d+) \w+ (\d\d):(\d\d) ch (\d+) slot (\d+) dur (\d+) id ([0-9A-F]{8}) (.*)$')


def logged(title):
    return title[:1] + ''.join(c.lower() if 'A' <= c <= 'Z' else c for c in title[1:])


def read_listing(path):
    channels, themes, titles, summaries = {}, [], [], {}
    with open(path, encoding='utf-8') as f:
        for line in f:
            line = line.rstrip('\n')
            if line.startswith('channel '):
                _, number, _, sid, name = line.split(' ', 4)
                channels[int(number)] = name
            elif line.startswith('theme '):
                themes.append([line.split(' ', 2)[2]])
            elif line.startswith('  sub '):
                themes[-1].append(line[6:])
            elif line.startswith('title '):
                m = TITLE.match(line)
                if not m:
                    raise SystemExit(f'cannot read listing line: {line}')
                titles.append(m.groups())
            elif line.startswith('summary '):
                _, sid, text = line.split(' ', 2)
                summaries[sid] = text.replace('|', '\n')
    return channels, themes, titles, summaries


def main():
    listing, export, first = sys.argv[1:4]
    as_logged = '--titles-as-logged' in sys.argv
    with_desc = '--no-desc' not in sys.argv
    first_day = datetime.date.fromisoformat(first)
    channels, themes, titles, summaries = read_listing(listing)

    tree = ET.parse(export)
    names = {c.get('id'): c.findtext('display-name') for c in tree.getroot().iter('channel')}
    if sorted(names.values()) != sorted(channels.values()):
        raise SystemExit(f'channels differ: {sorted(names.values())} vs {sorted(channels.values())}')

    exported = {}
    for p in tree.getroot().iter('programme'):
        start = datetime.datetime.strptime(p.get('start'), '%Y%m%d%H%M%S %z')
        stop = datetime.datetime.strptime(p.get('stop'), '%Y%m%d%H%M%S %z')
        key = (names[p.get('channel')], start.strftime('%Y-%m-%d %H:%M'), p.findtext('title'))
        value = (int((stop - start).total_seconds() // 60), p.findtext('desc'),
                 tuple(c.text for c in p.findall('category')))
        exported.setdefault(key, []).append(value)

    # Records of a channel number the channel list lacks (0xFF) are not exported.
    titles = [t for t in titles if int(t[3]) in channels]
    expected = {}
    for day, hh, mm, ch, slot, dur, sid, title in titles:
        date = first_day + datetime.timedelta(days=int(day) + (1 if int(hh) < 6 else 0))
        title = title.rstrip(' ')  # padding of the 23-byte field is not part of the title
        key = (channels[int(ch)], f'{date} {hh}:{mm}', logged(title) if as_logged else title)
        group, position = divmod(int(slot), 16)
        cats = () if group >= len(themes) else (themes[group][0],) + ((themes[group][position],) if position else ())
        desc = summaries.get(sid) if with_desc else None
        expected.setdefault(key, []).append((int(dur), desc or None, cats))

    count = sum(len(v) for v in exported.values())
    if count != len(titles):
        print(f'FAIL: {count} programmes exported, the listing has {len(titles)}')
    bad = 0
    for key, want in expected.items():
        got = exported.get(key, [])
        if not with_desc:
            got = [(d, None, c) for d, _, c in got]
        if sorted(got, key=repr) != sorted(want, key=repr):
            bad += 1
            if bad <= 5:
                print(f'FAIL: {key}: exported {got}, listing says {want}')
    missing = [k for k in exported if k not in expected]
    for k in missing[:5]:
        print(f'FAIL: exported programme not in the listing: {k}')
    if bad or missing or count != len(titles):
        raise SystemExit(1)
    uses = {}
    for t in titles:
        uses[t[6]] = uses.get(t[6], 0) + 1
    shared = sum(1 for t in titles if t[6] in summaries and uses[t[6]] > 1)
    print(f'ok: {count} programmes match the listing ({shared} share a description with another)')


main()
