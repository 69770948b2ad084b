"""Checks an XMLTV export of a real capture against the present/following events an
independent section parser listed for it (present-following.md): each event is a
programme of its service's channel with its start, stop and title as broadcast.

    python3 xmltv_eit_check.py LISTING CAPTURE_NAME EXPORT
"""
import datetime
import re
import sys
import xml.etree.ElementTree as ET

ENTRY = re.compile(r'^  - sid (\d+) sec \d \(\w+\) v\d+: event \d+ (\S+ \S+) UTC dur (\d\d):(\d\d):(\d\d) "(.*)" \[')


def xmltv_time(text):
    return datetime.datetime.strptime(text, '%Y%m%d%H%M%S %z').astimezone(datetime.timezone.utc)


def main():
    listing, capture, export = sys.argv[1:4]
    wanted, current = [], None
    with open(listing, encoding='utf-8') as f:
        for line in f:
            if line.startswith('## '):
                current = line[3:].strip()
            m = ENTRY.match(line)
            if m and current == capture:
                start = datetime.datetime.strptime(m[2], '%Y-%m-%d %H:%M:%S').replace(tzinfo=datetime.timezone.utc)
                dur = datetime.timedelta(hours=int(m[3]), minutes=int(m[4]), seconds=int(m[5]))
                wanted.append((int(m[1]), start, start + dur, m[6]))
    if not wanted:
        raise SystemExit(f'{listing} lists no events of {capture}')
    programmes = set()
    root = ET.parse(export).getroot()
    names = {c.get('id'): c.findtext('display-name') for c in root.iter('channel')}
    for p in root.iter('programme'):
        if p.get('channel') not in names:
            raise SystemExit(f'programme on channel {p.get("channel")} that has no <channel>')
        sid = int(p.get('channel').split('.')[2], 16)
        for t in p.findall('title'):
            programmes.add((sid, xmltv_time(p.get('start')), xmltv_time(p.get('stop')), t.text))
    missing = [w for w in set(wanted) if w not in programmes]
    for w in missing[:10]:
        print(f'missing: sid {w[0]} {w[1]} - {w[2]} "{w[3]}"')
    if missing:
        raise SystemExit(f'{len(missing)} of {len(set(wanted))} present/following events of {capture} are not in {export}')
    print(f'ok: {len(set(wanted))} present/following events of {capture} in {export}')


main()
