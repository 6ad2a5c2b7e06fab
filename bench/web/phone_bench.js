// The browser version's figures on an emulated phone (a Pixel 7's screen, 915 x 412 CSS pixels
// in landscape, touch), in headless Chromium on real time:
//  - tap to pop: taps aimed at balloons found in the canvas's pixels, from each tap's pointerdown
//    to the tick that scores it, in ticks (1: the first tick after the pointerdown) and ms;
//  - the main-thread time of each animation frame's passes through a wave (the test page's ?bench
//    ring, as web_bench.js reads it), at full speed and with the CPU slowed 4x as a mid-range
//    phone's is (CDP Emulation.setCPUThrottlingRate), with SwiftShader standing in for the
//    phone's graphics chip (balloons.js);
//  - the first frame and the music ready (performance marks) on a reload served by the service
//    worker with the network off, shipped site, median of 5.
//   node bench/web/phone_bench.js [SECONDS_OF_WAVE]      (after make web-test; prints the figures)
'use strict';
const {benchQuery, findBalloon} = require('./balloons.js');
const {launch, shippedSite} = require('../../tests/hosts/web/browser.js');

const kLoads = 5;
const waveSeconds = Number(process.argv[2] || 20);
const kPixel7Landscape = {width: 915, height: 412, deviceScaleFactor: 2.625, isMobile: true,
                          hasTouch: true, isLandscape: true};
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function quantile(sorted, q) {
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

function summary(values, unit, digits) {
  const v = [...values].sort((a, b) => a - b);
  const f = (x) => `${x.toFixed(digits)}${unit}`;
  return `median ${f(quantile(v, 0.5))}, p99 ${f(quantile(v, 0.99))}, worst ${f(v[v.length - 1])}` +
         ` (${v.length})`;
}

async function phonePage(env, query, throttle) {
  const page = await env.browser.newPage();
  await page.setViewport(kPixel7Landscape);
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setCPUThrottlingRate', {rate: throttle});
  await page.goto(env.url + query, {waitUntil: 'load'});
  return {page, cdp};
}

// One wave on the test page with ?bench: taps at balloons, one every 400 ms; returns the
// tap-to-pop delays and the frame pass times.
async function wave(env, throttle) {
  const {page} = await phonePage(env, `?${benchQuery}`, throttle);
  await page.waitForFunction(() => window.Module && Module.skypopPassCount > 30, {timeout: 60000});
  await page.evaluate(() => {
    // Each tap remembers when it came and which tick was next; the first pass after it that
    // changed the score names the tick that scored.
    const pops = window.benchPops = [];
    let tap = null;
    window.addEventListener('pointerdown', () => {
      tap = {at: performance.now(), next: Module._SkypopNextTick(), score: Module._SkypopScore()};
    }, true);
    const frame = Module._skypop_page_frame;
    Module._skypop_page_frame = () => {
      const more = frame();
      if (tap && Module._SkypopScore() !== tap.score) {
        pops.push({ticks: Math.round((Module._SkypopNextTick() - tap.next) / 16.6),
                   ms: performance.now() - tap.at});
        tap = null;
      }
      return more;
    };
  });
  await page.touchscreen.tap(457, 200);  // the title: a tap starts the game
  await page.waitForFunction(() => Module._SkypopPlayPhase() === 3, {timeout: 30000, polling: 100});
  const from = await page.evaluate(() => Module.skypopPassCount);
  const end = Date.now() + waveSeconds * 1000;
  while (Date.now() < end) {
    const balloon = await findBalloon(page);
    if (balloon) await page.touchscreen.tap(balloon.x, balloon.y);
    await sleep(400);
  }
  const result = await page.evaluate((start) => ({
    pops: window.benchPops,
    times: Array.from(Module.skypopPassTimes.slice(start, Module.skypopPassCount)),
    phase: Module._SkypopPlayPhase(),
  }), from);
  await page.close();
  return result;
}

// Reloads of the shipped site with the network off, once its worker holds it.
async function offlineLoads(env, throttle) {
  const {page, cdp} = await phonePage(env, '', 1);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await cdp.send('Network.emulateNetworkConditions',
                 {offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1});
  await cdp.send('Emulation.setCPUThrottlingRate', {rate: throttle});
  const marks = [];
  for (let i = 0; i < kLoads; i++) {
    await page.reload({waitUntil: 'load'});
    await page.waitForFunction(() => performance.getEntriesByName('skypop-music-ready').length > 0,
                               {timeout: 60000});
    marks.push(await page.evaluate(() => ['skypop-first-frame', 'skypop-music-ready'].map(
        (name) => performance.getEntriesByName(name)[0].startTime)));
  }
  await page.close();
  return marks;
}

(async () => {
  const env = await launch();
  const shipped = await launch(shippedSite);
  try {
    for (const throttle of [1, 4]) {
      const {pops, times, phase} = await wave(env, throttle);
      console.log(`CPU ${throttle}x, ${waveSeconds} s of a wave (phase ${phase} at the end):`);
      console.log(`  tap to pop, ticks: ${summary(pops.map((p) => p.ticks), '', 0)}`);
      console.log(`  tap to pop, ms: ${summary(pops.map((p) => p.ms), ' ms', 1)}`);
      console.log(`  main thread per animation frame: ${summary(times, ' ms', 3)}`);
      const marks = await offlineLoads(shipped, throttle);
      console.log(`  offline from the cache, ${kLoads} reloads: first frame ` +
                  `${summary(marks.map((m) => m[0]), ' ms', 0)}; music ready ` +
                  `${summary(marks.map((m) => m[1]), ' ms', 0)}`);
    }
  } finally {
    await env.close();
    await shipped.close();
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
