"""Drives the box's browser display with the system's chromium, as a user would:

    python3 web_display.py BOX ROOT

starts BOX --root ROOT --display web --listen 127.0.0.1:0, then checks that the
remote changes the screen, that typed text reaches a text field, and that two
browsers share the box, one of them leaving in the middle. Uses Debian's
python3-selenium with chromium-driver.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

CHROMIUM = '/usr/bin/chromium'
CHROMEDRIVER = '/usr/bin/chromedriver'
FLAGS = ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--window-size=1100,700']
STEP_TIMEOUT = 20.0
KEYS = {'Escape': Keys.ESCAPE, 'Enter': Keys.ENTER, 'ArrowUp': Keys.ARROW_UP}


class Failure(Exception):
    pass


step = 'starting the box'


def fail(message):
    raise Failure(f'{step}: {message}')


class Box:
    def __init__(self, binary, root, extra):
        self.output = ''
        self.proc = subprocess.Popen([binary, '--root', root, '--display', 'web', '--listen', '127.0.0.1:0'] + extra,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        threading.Thread(target=self._collect, daemon=True).start()

    def _collect(self):
        for line in self.proc.stdout:
            self.output += line

    def url(self):
        deadline = time.time() + 30
        while time.time() < deadline:
            m = re.search(r'Open (http://127\.0\.0\.1:\d+/) in a browser', self.output)
            if m:
                return m.group(1)
            if self.proc.poll() is not None:
                fail(f'the box ended ({self.proc.returncode}) before serving:\n{self.output}')
            time.sleep(0.05)
        fail(f'the box never said where to open it:\n{self.output}')


profiles = []


def open_browser(url):
    profile = tempfile.mkdtemp(prefix='orvalis-chromium-')
    profiles.append(profile)
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in FLAGS + [f'--user-data-dir={profile}']:
        options.add_argument(flag)
    options.set_capability('goog:loggingPrefs', {'browser': 'SEVERE'})
    driver = webdriver.Chrome(service=Service(executable_path=CHROMEDRIVER), options=options)
    driver.set_script_timeout(STEP_TIMEOUT)
    driver.get(url)
    wait_for(driver, "return Number(document.getElementById('screen').dataset.generation) >= 0",
             'the page never drew a screen')
    return driver


def wait_for(driver, script, message, *args, timeout=STEP_TIMEOUT):
    deadline = time.time() + timeout
    while not driver.execute_script(script, *args):
        if time.time() > deadline:
            fail(message)
        time.sleep(0.05)


def shown(driver):
    """What the page shows: the generation drawn and the canvas as PNG."""
    return driver.execute_script(
        "const c = document.getElementById('screen');"
        "return {generation: Number(c.dataset.generation), png: c.toDataURL('image/png')};")


def changed_screen(driver, before, what):
    """Waits for the picture to differ from before, then for it to stay put a moment
    (a window may paint in several steps)."""
    deadline = time.time() + STEP_TIMEOUT
    now = shown(driver)
    while now['png'] == before['png']:
        if time.time() > deadline:
            fail(f'the screen did not change after {what}')
        time.sleep(0.1)
        now = shown(driver)
    calm = 0
    while calm < 6 and time.time() < deadline:
        time.sleep(0.1)
        following = shown(driver)
        calm = calm + 1 if following['generation'] == now['generation'] else 0
        now = following
    return now


def press(driver, name, how='click'):
    before = shown(driver)
    if how == 'click':
        driver.find_element(By.CSS_SELECTOR, f'.remote [data-key="{name}"], .bar [data-key="{name}"]').click()
    else:
        ActionChains(driver).send_keys(KEYS.get(name, name)).perform()
    return changed_screen(driver, before, f'{how} {name}')


def shows_latest(driver, url):
    """The page must draw what the box shows now, not an older picture."""
    with urllib.request.urlopen(url + 'screen.png', timeout=STEP_TIMEOUT) as reply:
        latest = int(reply.headers['x-screen-generation'])
        reply.read()
    wait_for(driver, "return Number(document.getElementById('screen').dataset.generation) >= arguments[0]",
             f'the page still shows an older screen than generation {latest}', latest)


def timers_file(root):
    path = os.path.join(root, 'var/tuxbox/config/timers')
    if not os.path.exists(path):
        return ''
    with open(path, encoding='utf-8', errors='replace') as f:
        return f.read()


def checks(box, root):
    global step
    url = box.url()
    print(f'box serves {url}')

    step = 'opening the page'
    a = open_browser(url)
    main_window = changed_screen(a, {'png': ''}, 'loading')
    shows_latest(a, url)

    step = 'green on the remote'
    after_green = press(a, 'green')
    if after_green['png'] == main_window['png']:
        fail('green left the screen as it was')
    # Back to the main window with exit, pressed on the computer keyboard.
    step = 'back to the main window with Escape'
    for i in range(4):
        if press(a, 'Escape', 'keyboard')['png'] == main_window['png']:
            break
    else:
        fail('exit never led back to the main window')

    # Typing into a text field: 0 opens the timer list, green a new timer in the
    # timer editor, whose description field is four fields above the "Add timer"
    # button that has the focus. Text typed there lands in the field; green stores
    # the timer, and the timer file then holds the description.
    # (If the box's timer editor changes its layout, adjust the navigation here.)
    step = 'typing a timer description'
    word = f'WebTyped{int(time.time() * 1000) % 1000}'
    press(a, '0', 'keyboard')
    press(a, 'green')
    for _ in range(4):
        press(a, 'ArrowUp', 'keyboard')
    before_text = shown(a)
    text = a.find_element(By.ID, 'text')
    text.click()
    text.send_keys(word)
    a.find_element(By.ID, 'text-send').click()
    changed_screen(a, before_text, 'sending text')
    if text.get_attribute('value') != '':
        fail('the text box was not emptied after sending')
    # Sending gives the keyboard back to the box: Enter is OK again.
    press(a, 'Enter', 'keyboard')
    press(a, 'green')
    deadline = time.time() + 5
    while word not in timers_file(root) and time.time() < deadline:
        time.sleep(0.1)
    if word not in timers_file(root):
        fail(f'the stored timer lacks the typed "{word}":\n{timers_file(root)}')
    press(a, 'exit')

    step = 'a second browser'
    b = open_browser(url)
    shows_latest(b, url)
    if shown(a)['generation'] != shown(b)['generation']:
        fail('the two browsers show different screens')

    step = 'the second browser follows keys from the first'
    before_a = shown(b)
    ActionChains(a).send_keys('0').perform()
    timer_list = changed_screen(b, before_a, '0 in the first browser')

    step = 'keys from the second browser after the first one left'
    a.quit()
    back = press(b, 'exit')
    if back['png'] == timer_list['png']:
        fail('exit from the second browser changed nothing')
    shows_latest(b, url)

    step = 'leaving the plug-in from the second browser'
    for _ in range(6):
        if box.proc.poll() is not None:
            break
        b.find_element(By.CSS_SELECTOR, '.remote [data-key="exit"]').click()
        try:
            box.proc.wait(1.5)
        except subprocess.TimeoutExpired:
            pass
    try:
        code = box.proc.wait(10)
    except subprocess.TimeoutExpired:
        fail('the box did not end after exit in the main window')
    if code != 0:
        fail(f'the box ended with {code}:\n{box.output}')
    # Script errors of the page (the event stream breaking off as the box ends is expected).
    for entry in b.get_log('browser'):
        if entry.get('source') == 'javascript':
            print(f'page error: {entry.get("message")}', file=sys.stderr)
    b.quit()


def main():
    if len(sys.argv) < 3:
        print('usage: python3 web_display.py BOX ROOT [BOX OPTION...]', file=sys.stderr)
        return 2
    box = Box(sys.argv[1], sys.argv[2], sys.argv[3:])
    status = 0
    try:
        checks(box, sys.argv[2])
        print('web display: all checks passed')
    except Exception as e:  # a failed check or a browser that could not be driven
        print(f'FAIL: {e}', file=sys.stderr)
        if box.output:
            print(f'--- box output ---\n{box.output[-4000:]}', file=sys.stderr)
        status = 1
    finally:
        if box.proc.poll() is None:
            box.proc.terminate()
            try:
                box.proc.wait(3)
            except subprocess.TimeoutExpired:
                box.proc.kill()
        for p in profiles:
            shutil.rmtree(p, ignore_errors=True)
    return status


sys.exit(main())
