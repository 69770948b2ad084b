"""What the end-to-end tests read: the box's screen dump (docs/screen-dump.md) and the
week that orvalis-mux --list writes."""
import json
import sys

failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


def finish(passed):
    """Prints the failures and exits 1, or prints passed."""
    if failures:
        print("FAILED:\n  " + "\n  ".join(failures))
        sys.exit(1)
    print(passed)


def steps(path):
    return [json.loads(line) for line in open(path, encoding="utf-8")]


def by_token(path):
    """The steps of a dump by key token, in order."""
    by = {}
    for st in steps(path):
        by.setdefault(st["token"], []).append(st)
    return by


def top(step):
    w = step["screen"]["windows"]
    return w[-1] if w else None


def widget(win, name):
    return next((w for w in win.get("widgets", []) if w.get("name") == name), None)


def lowered(s):
    """A name as the guide shows it: the first letter kept, the other capitals lowered."""
    return s[:1] + "".join(c.lower() if "A" <= c <= "Z" else c for c in s[1:])


def carousel_order(hhmm):
    """Sort key of a time within its broadcast day (06:00 to 05:59)."""
    h = int(hhmm[:2])
    return (h + 24 if h < 6 else h, int(hhmm[3:]))


def week(path):
    """channels {number: name} and titles [{day, time, ch, slot, dur, title}] of a listing."""
    channels, titles = {}, []
    for line in open(path, encoding="utf-8"):
        f = line.rstrip("\n").split(" ")
        if f[0] == "channel":
            channels[int(f[1])] = " ".join(f[4:])
        elif f[0] == "title":
            titles.append(dict(day=int(f[2]), time=f[4], ch=int(f[6]), slot=int(f[8]), dur=int(f[10]),
                               title=" ".join(f[13:])))
    return channels, titles
