// Drives the box's browser display with the system's chromium, as a user would:
//   node web_display.mjs BOX ROOT
// starts BOX --root ROOT --display web --listen 127.0.0.1:0, then checks that the
// remote changes the screen, that typed text reaches a text field, and that two
// browsers share the box, one of them leaving in the middle.
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, existsSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';

const [boxBinary, root] = process.argv.slice(2);
if (!boxBinary || !root) {
  console.error('usage: node web_display.mjs BOX ROOT');
  process.exit(2);
}

const CHROMIUM = '/usr/bin/chromium';
const FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const STEP_TIMEOUT = 20000;

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
let step = 'starting the box';
function fail(message) {
  throw new Error(`${step}: ${message}`);
}

// --- the box ----------------------------------------------------------------

let boxOutput = '';
let boxExit = null;
const box = spawn(boxBinary, ['--root', root, '--display', 'web', '--listen', '127.0.0.1:0'],
  { stdio: ['ignore', 'pipe', 'pipe'] });
box.stdout.on('data', (d) => { boxOutput += d; });
box.stderr.on('data', (d) => { boxOutput += d; });
const boxEnded = new Promise((resolve) => box.on('exit', (code, signal) => {
  boxExit = { code, signal };
  resolve(boxExit);
}));

async function boxUrl() {
  const deadline = Date.now() + 30000;
  while (Date.now() < deadline) {
    const m = boxOutput.match(/Open (http:\/\/127\.0\.0\.1:\d+\/) in a browser/);
    if (m) return m[1];
    if (boxExit) fail(`the box ended (${JSON.stringify(boxExit)}) before serving:\n${boxOutput}`);
    await sleep(50);
  }
  fail(`the box never said where to open it:\n${boxOutput}`);
}

// --- browsers ---------------------------------------------------------------

const profiles = [];
async function openBrowser(url) {
  const profile = mkdtempSync(join(tmpdir(), 'orvalis-chromium-'));
  profiles.push(profile);
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM, headless: true, args: FLAGS, viewport: { width: 1100, height: 700 },
  });
  const page = context.pages()[0] ?? await context.newPage();
  page.setDefaultTimeout(STEP_TIMEOUT);
  page.on('pageerror', (e) => console.error(`page error: ${e.message}`));
  await page.goto(url);
  await page.waitForFunction(() => Number(document.getElementById('screen').dataset.generation) >= 0);
  return { context, page };
}

// What the page shows: the generation drawn and the canvas as PNG.
function shown(page) {
  return page.evaluate(() => {
    const c = document.getElementById('screen');
    return { generation: Number(c.dataset.generation), png: c.toDataURL('image/png') };
  });
}

// Waits for the picture to differ from `before`, then for it to stay put a moment
// (a window may paint in several steps).
async function changedScreen(page, before, what) {
  const deadline = Date.now() + STEP_TIMEOUT;
  let now = await shown(page);
  while (now.png === before.png) {
    if (Date.now() > deadline) fail(`the screen did not change after ${what}`);
    await sleep(100);
    now = await shown(page);
  }
  for (let calm = 0; calm < 6 && Date.now() < deadline;) {
    await sleep(100);
    const next = await shown(page);
    calm = next.generation === now.generation ? calm + 1 : 0;
    now = next;
  }
  return now;
}

async function press(page, name, how = 'click') {
  const before = await shown(page);
  if (how === 'click') await page.click(`.remote [data-key="${name}"], .bar [data-key="${name}"]`);
  else await page.keyboard.press(name);
  return changedScreen(page, before, `${how} ${name}`);
}

// The page must draw what the box shows now, not an older picture.
async function showsLatest(page, url) {
  const reply = await fetch(new URL('screen.png', url));
  const latest = Number(reply.headers.get('x-screen-generation'));
  await reply.arrayBuffer();
  await page.waitForFunction((g) => Number(document.getElementById('screen').dataset.generation) >= g, latest)
    .catch(() => fail(`the page still shows an older screen than generation ${latest}`));
}

function timersFile() {
  const file = join(root, 'var/tuxbox/config/timers');
  return existsSync(file) ? readFileSync(file, 'utf8') : '';
}

// --- the checks -------------------------------------------------------------

async function main() {
  const url = await boxUrl();
  console.log(`box serves ${url}`);

  step = 'opening the page';
  const a = await openBrowser(url);
  const mainWindow = await changedScreen(a.page, { png: '' }, 'loading');
  await showsLatest(a.page, url);

  step = 'green on the remote';
  const afterGreen = await press(a.page, 'green');
  if (afterGreen.png === mainWindow.png) fail('green left the screen as it was');
  // Back to the main window with exit, pressed on the computer keyboard.
  step = 'back to the main window with Escape';
  for (let i = 0; ; ++i) {
    const now = await press(a.page, 'Escape', 'keyboard');
    if (now.png === mainWindow.png) break;
    if (i === 3) fail('exit never led back to the main window');
  }

  // Typing into a text field: 0 opens the timer list, green a new timer in the
  // timer editor, whose description field is four fields above the "Add timer"
  // button that has the focus. Text typed there lands in the field; green stores
  // the timer, and the timer file then holds the description.
  // (If the box's timer editor changes its layout, adjust the navigation here.)
  step = 'typing a timer description';
  const word = 'WebTyped' + Date.now() % 1000;
  await press(a.page, '0', 'keyboard');
  await press(a.page, 'green');
  for (let i = 0; i < 4; ++i) await press(a.page, 'ArrowUp', 'keyboard');
  const beforeText = await shown(a.page);
  await a.page.fill('#text', word);
  await a.page.click('#text-send');
  await changedScreen(a.page, beforeText, 'sending text');
  if (await a.page.inputValue('#text') !== '') fail('the text box was not emptied after sending');
  // Sending gives the keyboard back to the box: Enter is OK again.
  await press(a.page, 'Enter', 'keyboard');
  await press(a.page, 'green');
  {
    const deadline = Date.now() + 5000;
    while (!timersFile().includes(word) && Date.now() < deadline) await sleep(100);
    if (!timersFile().includes(word)) fail(`the stored timer lacks the typed "${word}":\n${timersFile()}`);
  }
  await press(a.page, 'exit');

  step = 'a second browser';
  const b = await openBrowser(url);
  await showsLatest(b.page, url);
  const sharedA = await shown(a.page);
  const sharedB = await shown(b.page);
  if (sharedA.generation !== sharedB.generation) fail('the two browsers show different screens');

  step = 'the second browser follows keys from the first';
  const beforeA = await shown(b.page);
  await a.page.keyboard.press('0');
  const timerList = await changedScreen(b.page, beforeA, '0 in the first browser');

  step = 'keys from the second browser after the first one left';
  await a.context.close();
  const back = await press(b.page, 'exit');
  if (back.png === timerList.png) fail('exit from the second browser changed nothing');
  await showsLatest(b.page, url);

  step = 'leaving the plug-in from the second browser';
  for (let i = 0; i < 6 && !boxExit; ++i) {
    await b.page.click('.remote [data-key="exit"]');
    await Promise.race([boxEnded, sleep(1500)]);
  }
  const ended = await Promise.race([boxEnded, sleep(10000).then(() => null)]);
  if (!ended) fail('the box did not end after exit in the main window');
  if (ended.code !== 0) fail(`the box ended with ${JSON.stringify(ended)}:\n${boxOutput}`);
  await b.context.close();
}

let status = 0;
try {
  await main();
  console.log('web display: all checks passed');
} catch (e) {
  console.error(`FAIL: ${e.message}`);
  if (boxOutput) console.error(`--- box output ---\n${boxOutput.slice(-4000)}`);
  status = 1;
} finally {
  if (!boxExit) box.kill('SIGTERM');
  await Promise.race([boxEnded, sleep(3000)]);
  if (!boxExit) box.kill('SIGKILL');
  for (const p of profiles) rmSync(p, { recursive: true, force: true });
}
process.exit(status);
