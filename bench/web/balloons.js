// What the real-time benchmarks share: where on the page a balloon is, the page a phone stands
// in for, and a wave started on it at a CPU slow-down and played by a wandering pointer.
'use strict';
const {pointAt} = require('../../tests/hosts/web/browser.js');

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// A stand-in for a phone's graphics chip unless told otherwise (browser.js reads this), and the
// page told its WebGL runs on one (test_hooks.js); SKYPOP_BENCH_PAGE adds more (canvas2d,
// scriptprocessor) or replaces it.
if (process.env.SKYPOP_CHROMIUM_GPU === undefined) process.env.SKYPOP_CHROMIUM_GPU = '1';
const benchQuery = ['bench', ...(process.env.SKYPOP_BENCH_PAGE ?? 'webgl').split(',')
                                  .filter(Boolean)].join('&');

// The page position where a click pops a balloon (the test build tells where the balloons are),
// or null while none floats.
async function findBalloon(page) {
  return page.evaluate(() => {
    for (let slot = 0; slot < 32; slot++) {
      const spot = Module._SkypopBalloonSpot(slot);
      if (spot < 0) continue;
      const r = document.getElementById('canvas').getBoundingClientRect();
      return {x: r.left + ((spot & 0xFFFF) + 0.5) * r.width / 640,
              y: r.top + ((spot >> 16) + 0.5) * r.width / 640};
    }
    return null;
  });
}

// A page of the test site at 1280 x 800 (?bench) with the CPU slowed `throttle` times (CDP
// Emulation.setCPUThrottlingRate), its title clicked and its wave begun `warmUpMs` ago; returns
// {page, cdp}.
async function openWave(env, throttle, warmUpMs) {
  const page = await env.browser.newPage();
  await page.setViewport({width: 1280, height: 800});
  const cdp = await page.createCDPSession();
  await page.goto(`${env.url}?${benchQuery}`, {waitUntil: 'load'});
  await page.waitForFunction(() => window.Module && Module.skypopPassCount > 30, {timeout: 60000});
  await cdp.send('Emulation.setCPUThrottlingRate', {rate: throttle});
  await pointAt(page, 240, 240);
  await page.mouse.down();
  await sleep(100);
  await page.mouse.up();
  await page.waitForFunction(() => Module._SkypopPlayPhase() === 3, {timeout: 60000, polling: 100});
  await sleep(warmUpMs);
  return {page, cdp};
}

// Sweeps the cross-hair over the picture for `seconds`, clicking now and then, as a player would.
async function wander(page, seconds) {
  const end = Date.now() + seconds * 1000;
  for (let i = 0; Date.now() < end; i++) {
    await pointAt(page, 40 + (i * 37) % 400, 60 + (i * 53) % 380);
    if (i % 10 === 0) {
      await page.mouse.down();
      await page.mouse.up();
    }
    await sleep(50);
  }
}

module.exports = {benchQuery, findBalloon, openWave, wander};
