'use strict';
// The box's page: shows each screen generation the box announces on /events and
// sends the remote's keys and typed text back in the order they were given.
(() => {
  const canvas = document.getElementById('screen');
  const painter = canvas.getContext('2d');
  const status = document.getElementById('status');
  const textBox = document.getElementById('text');

  function setStatus(state, words) {
    status.dataset.state = state;
    status.querySelector('b').textContent = words;
  }

  // One picture in flight at a time; when it lands, fetch the newest one announced
  // meanwhile, so a fast-changing screen skips frames rather than queueing them.
  let shown = -1;
  let wanted = -1;
  let loading = false;

  function loadScreen() {
    if (loading || wanted === shown) return;
    loading = true;
    const generation = wanted;
    const picture = new Image();
    picture.onload = () => {
      painter.drawImage(picture, 0, 0, canvas.width, canvas.height);
      shown = generation;
      canvas.dataset.generation = String(generation);
      loading = false;
      loadScreen();
    };
    picture.onerror = () => {
      loading = false;
      setTimeout(loadScreen, 500);
    };
    picture.src = '/screen.png?g=' + generation;
  }

  function follow() {
    const events = new EventSource('/events');
    events.onopen = () => setStatus('live', 'live');
    events.addEventListener('frame', (e) => {
      wanted = parseInt(e.data, 10);
      loadScreen();
    });
    events.onerror = () => {
      setStatus('lost', 'reconnecting…');
      // The browser retries by itself unless the server refused the stream.
      if (events.readyState === EventSource.CLOSED) setTimeout(follow, 3000);
    };
  }

  // Requests go one after another so the box gets the keys in the order pressed.
  let queue = Promise.resolve();
  function send(path, body) {
    queue = queue
      .then(() => fetch(path, { method: 'POST', body, headers: { 'Content-Type': 'text/plain;charset=UTF-8' } }))
      .then((reply) => { if (!reply.ok) console.warn(path, body, reply.status); })
      .catch(() => setStatus('lost', 'box not reachable'));
    return queue;
  }

  function flash(name) {
    for (const b of document.querySelectorAll('[data-key="' + name + '"]')) {
      b.classList.add('pressed');
      setTimeout(() => b.classList.remove('pressed'), 140);
    }
  }

  function pressKey(name) {
    flash(name);
    send('/key', name);
  }

  const shortcut = {};
  for (const [keyboard, remote] of Object.entries(KEYMAP)) shortcut[remote] = keyboard;

  for (const button of document.querySelectorAll('[data-key]')) {
    const name = button.dataset.key;
    if (shortcut[name]) button.title = name + ' (' + shortcut[name] + ')';
    // Keep the focus where it was, so the keyboard keeps driving the box.
    button.addEventListener('mousedown', (e) => e.preventDefault());
    button.addEventListener('click', () => pressKey(name));
  }

  document.addEventListener('keydown', (e) => {
    if (e.target === textBox) {
      if (e.key === 'Escape') textBox.blur();
      return;
    }
    if (e.ctrlKey || e.metaKey || e.altKey) return;
    const remote = KEYMAP[e.key];
    if (remote) {
      e.preventDefault();
      pressKey(remote);
    } else if ([...e.key].length === 1) {
      e.preventDefault();
      send('/text', e.key);
    }
  });

  document.getElementById('text-form').addEventListener('submit', (e) => {
    e.preventDefault();
    if (textBox.value !== '') send('/text', textBox.value);
    textBox.value = '';
    // Back to driving the box: the next Enter is most likely OK for the field.
    textBox.blur();
  });

  follow();
})();
