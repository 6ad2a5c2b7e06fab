// A phone, in one emulated run on a copy of the test site (iPhone 13 in landscape, touch, the
// test clock): the golden wave played with taps, Resume after a pause, a name typed on the grid,
// the help line at 320 px; then offline from the worker's cache; then a new build deployed.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {KnownDevices} = require('puppeteer-core');
const {launch, site} = require('./browser.js');
const {openingSteps, peakSince} = require('./sound_tap.js');
const {makePrecache} = require('../../../tools/site/make_precache.js');

const kWaveEnd = 3099;  // the name entry begins at tick 3090
// S, K, Y, the blank cell, P, O, P on the name grid, then OK (picture pixels).
const kName = [[216, 376], [376, 344], [408, 376], [440, 408], [120, 376], [88, 376], [120, 376],
               [207, 440]];
const kOnline = {latency: 0, downloadThroughput: -1, uploadThroughput: -1};
const step = (page, n) => page.evaluate((k) => window.skypop.step(k), n);
const state = (page) => page.evaluate(() => window.skypop.state());
const ready = (page) => page.waitForFunction(() => window.skypop && window.skypop.ready);

async function tapAt(page, x, y) {
  const box = await page.$eval('#canvas', (c) => c.getBoundingClientRect().toJSON());
  await page.touchscreen.tap(box.left + (x + 0.5) * box.width / 640,
                             box.top + (y + 0.5) * box.width / 640);
}

test('a phone plays by touch, installs the site, plays offline and updates', async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'skypop-phone-'));
  const copy = path.join(dir, 'site');
  fs.cpSync(site, copy, {recursive: true});
  const env = await launch(copy);
  const errors = [];
  const open = async () => {
    const page = await env.browser.newPage();
    page.on('console', (m) => m.type() === 'error' && errors.push(m.text()));
    page.on('pageerror', (e) => errors.push(String(e)));
    await page.emulate(KnownDevices['iPhone 13 landscape']);
    await page.goto(env.url + '?test');
    return ready(page).then(() => page);
  };
  try {
    let page = await open();
    assert.deepStrictEqual(await page.evaluate(() => [getComputedStyle(canvas).touchAction,
      getComputedStyle(document.body).overscrollBehaviorY, getComputedStyle(stage).userSelect,
      /Tap to start/.test(help.innerText), !end.hidden]), ['none', 'none', 'none', true, true]);
    // The golden wave: a tap for each click, Resume for Space, hidden for blurred. After these
    // ticks, [mode, paused, Resume offered]: a tap starts the game; a hidden page pauses the
    // wave; a tap on the picture does not resume it, Resume does.
    const want = {40: [2, 0, false], 800: [2, 1, true], 840: [2, 1, true], 850: [2, 0, false]};
    const steps = openingSteps(dir, kWaveEnd);
    let tick = 0;
    let aim = steps[0];
    for (const due of new Set(steps.map((s) => s.tick))) {
      if (due > tick) await step(page, due - tick);
      for (const s of steps.filter((t) => t.tick === due)) {
        if (s.op === 'move') aim = s;
        if (s.op === 'down') await tapAt(page, aim.a, aim.b);
        if (s.op === 'keydown') await page.tap('#resume');
        if (s.op === 'blur' || s.op === 'focus') await page.evaluate((h) => {
          Object.defineProperty(document, 'hidden', {configurable: true, get: () => h});
          document.dispatchEvent(new Event('visibilitychange'));
        }, s.op === 'blur');
      }
      await step(page, 1);
      tick = due + 1;
      const now = await state(page);
      if (due === 241) assert.ok([100, 90, 80].includes(now.score), `first pop: ${now.score}`);
      const offered = await page.$eval('#resume', (b) => !b.hidden);
      if (want[due]) assert.deepStrictEqual([now.mode, now.paused, offered], want[due], `${due}`);
    }
    await step(page, kWaveEnd + 1 - tick);
    for (const [x, y] of kName) await tapAt(page, x, y).then(() => step(page, 2));
    await page.waitForFunction(() => window.skypop.stored > 0, {timeout: 5000});
    const table = await page.evaluate(() => window.skypop.readFile('/skypop/KIPO.INI'));
    assert.match(table, /SKY@POP/);

    // Portrait at 320 px: the picture fills the width; the help line wraps inside the screen.
    await page.setViewport({width: 320, height: 568, isMobile: true, hasTouch: true});
    assert.deepStrictEqual(await page.evaluate(() => [canvas.getBoundingClientRect().width,
      [help, ...help.children].map((e) => e.getBoundingClientRect()).every((r) =>
        r.left >= 0 && r.right <= innerWidth && r.bottom <= innerHeight)]), [320, true]);

    // Offline once the worker holds the site: nothing reaches the server, the game plays.
    await page.waitForFunction(() => navigator.serviceWorker.ready, {timeout: 30000});
    const cdp = await page.createCDPSession();
    const network = (offline) =>
      cdp.send('Network.emulateNetworkConditions', {offline, ...kOnline});
    let requests = 0;
    env.server.on('request', () => requests++);
    await network(true);
    await page.reload().then(() => ready(page)).then(() => step(page, 60));
    assert.deepStrictEqual(await page.evaluate(() => [!!navigator.serviceWorker.controller,
      window.skypop.readFile('/skypop/KIPO.INI'), new Set(atob(window.skypop.pixels())).size > 8]),
    [true, table, true], 'offline: from the cache, the same table, the title drawn');
    await tapAt(page, 320, 240).then(() => step(page, 130));
    assert.strictEqual((await state(page)).phase, 3, 'offline: a tap starts the wave');
    let music = 0;
    for (let i = 0; i < 10 && music < 0.01; i++) music = await peakSince(page, 500);
    assert.ok(music >= 0.01 && requests === 0, `offline: music ${music}, requests ${requests}`);

    // A new build: the next visit keeps the open one while the new worker waits; the visit
    // after that runs the new build, and the old cache is gone.
    await network(false);
    fs.appendFileSync(path.join(copy, 'skypop.css'), '\n/* the next build */\n');
    const next = makePrecache(copy, 'next').cache;
    const css = (p) => p.evaluate(() => fetch('skypop.css').then((r) => r.text()));
    await page.reload();
    await page.waitForFunction(() => navigator.serviceWorker.getRegistration()
        .then((r) => r && r.waiting !== null), {timeout: 30000});
    assert.doesNotMatch(await css(page), /next build/, 'the open build keeps its files');
    await page.close();
    page = await open();
    assert.match(await css(page), /next build/, 'the second visit runs the new build');
    assert.deepStrictEqual(await page.evaluate(() => caches.keys()), [next]);
    assert.deepStrictEqual(errors, [], 'console errors');
  } finally {
    await env.close();
    fs.rmSync(dir, {recursive: true, force: true});
  }
});
