// The browser version's figures: the size of the game's .js + .wasm (without the synthesizer and
// the soundfont), the time from the page load to the first frame on the canvas, served from
// 127.0.0.1 to headless Chromium, and the main-thread time of the frame passes through a wave.
//   node bench/web/web_bench.js [SECONDS_OF_WAVE]      (after make web; prints the figures)
'use strict';
const fs = require('fs');
const path = require('path');
const {launch, pointAt, shippedSite} = require('../../tests/hosts/web/browser.js');

const kLoads = 7;
const waveSeconds = Number(process.argv[2] || 20);

function quantile(sorted, q) {
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

async function firstFrame(env) {
  const page = await env.browser.newPage();
  await page.setViewport({width: 640, height: 508});
  await page.goto(env.url, {waitUntil: 'load'});
  await page.waitForFunction(() => performance.getEntriesByName('skypop-first-frame').length > 0,
                             {timeout: 10000});
  const ms = await page.evaluate(() => performance.getEntriesByName('skypop-first-frame')[0].startTime);
  await page.close();
  return ms;
}

async function passTimes(env) {
  const page = await env.browser.newPage();
  await page.setViewport({width: 640, height: 508});
  await page.goto(env.url + '?bench', {waitUntil: 'load'});
  await page.waitForFunction(() => window.Module && Module.skypopPassCount > 60, {timeout: 10000});
  // The click on the title starts the game; the wave begins about two seconds later.
  await pointAt(page, 240, 240);
  await page.mouse.down();
  await new Promise((r) => setTimeout(r, 100));
  await page.mouse.up();
  await new Promise((r) => setTimeout(r, 2500));
  const from = await page.evaluate(() => Module.skypopPassCount);
  // Sweep the cross-hair and click now and then, as a player would.
  const end = Date.now() + waveSeconds * 1000;
  for (let i = 0; Date.now() < end; i++) {
    await pointAt(page, 40 + (i * 37) % 400, 60 + (i * 53) % 380);
    if (i % 10 === 0) {
      await page.mouse.down();
      await page.mouse.up();
    }
    await new Promise((r) => setTimeout(r, 50));
  }
  const result = await page.evaluate((start) => ({
    times: Array.from(Module.skypopPassTimes.slice(start, Module.skypopPassCount)),
    mode: Module._SkypopGameMode(),
  }), from);
  await page.close();
  return result;
}

(async () => {
  const size = ['skypop.js', 'skypop.wasm']
                   .map((f) => fs.statSync(path.join(shippedSite, f)).size)
                   .reduce((a, b) => a + b, 0);
  console.log(`size: skypop.js + skypop.wasm = ${size} bytes (${(size / 1048576).toFixed(2)} MiB;` +
              ` target 1.5 MB)`);
  const env = await launch();
  try {
    const loads = [];
    for (let i = 0; i < kLoads; i++) loads.push(await firstFrame(env));
    loads.sort((a, b) => a - b);
    console.log(`first frame after the page load: median ${quantile(loads, 0.5).toFixed(1)} ms,` +
                ` worst ${loads[loads.length - 1].toFixed(1)} ms of ${kLoads} loads (target 1000 ms)`);
    const {times, mode} = await passTimes(env);
    times.sort((a, b) => a - b);
    console.log(`passes of one animation frame (main thread), ${times.length} frames over` +
                ` ${waveSeconds} s of a wave` +
                ` (game mode ${mode}): median ${quantile(times, 0.5).toFixed(3)} ms,` +
                ` p99 ${quantile(times, 0.99).toFixed(3)} ms, max ${times[times.length - 1].toFixed(3)} ms`);
  } finally {
    await env.close();
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
