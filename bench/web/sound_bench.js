// The browser version's sound figures, in headless Chromium on the test clock: how long after the
// tick that pops a balloon the pop reaches the audio graph (measured at the page's test tap), the
// buffering the browser itself reports behind that, and the main-thread time of each audio
// callback (the game's mixer, the effects and the music synthesizer) through the first wave.
//   node bench/web/sound_bench.js      (after make web and the desktop build; prints the figures)
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {launch, openGame} = require('../../tests/hosts/web/browser.js');
const {openingSteps, play, peakSince} = require('../../tests/hosts/web/sound_tap.js');

const kLastPopTick = 702;  // the golden script's pops in the first wave end here
const kLouderThanMusic = 0.5;

function quantile(sorted, q) {
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

// Steps one tick and returns the milliseconds until the tap passes a pop, or null within 100 ms.
async function popDelay(page) {
  return page.evaluate((loud) => new Promise((resolve) => {
    const tap = window.skypop.audio.tap;
    const samples = new Float32Array(tap.fftSize);
    const start = performance.now();
    window.skypop.step(1);
    const look = () => {
      tap.getFloatTimeDomainData(samples);
      if (samples.some((v) => Math.abs(v) >= loud)) return resolve(performance.now() - start);
      if (performance.now() - start > 100) return resolve(null);
      setTimeout(look, 0);  // yields, so the audio callback on this thread can run
    };
    look();
  }), kLouderThanMusic);
}

(async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'skypop-sound-bench-'));
  const env = await launch();
  try {
    const steps = openingSteps(dir, kLastPopTick);
    const page = await openGame(env);
    const click = steps.find((s) => s.op === 'down').tick;
    await play(page, steps, 0, click + 20);
    const graph = await page.evaluate(() => {
      const audio = window.skypop.audio;
      const fill = audio.node.onaudioprocess;
      audio.costs = [];
      audio.node.onaudioprocess = (event) => {
        const start = performance.now();
        fill(event);
        audio.costs.push(performance.now() - start);
      };
      return {rate: audio.context.sampleRate, frames: audio.frames,
              base: audio.context.baseLatency, output: audio.context.outputLatency};
    });
    const delays = [];
    let tick = click + 21;  // the next tick to run
    // Each press is timed here and released once heard, whenever the script would release it.
    const aims = steps.filter((s) => s.op === 'move');
    for (const press of steps.filter((s) => s.op === 'down' && s.tick >= tick)) {
      await play(page, aims, tick, press.tick - 1);
      await peakSince(page, 250);  // any earlier pop has faded
      await page.mouse.down();
      tick = press.tick;
      for (let i = 0; i < 3; i++) {
        const ms = await popDelay(page);
        tick++;
        if (ms !== null) {
          delays.push(ms);
          break;
        }
      }
      await page.mouse.up();
    }
    const costs = (await page.evaluate(() => window.skypop.audio.costs)).sort((a, b) => a - b);
    delays.sort((a, b) => a - b);
    const ms = (v) => `${v.toFixed(1)} ms`;
    console.log(`audio graph: ${graph.rate} Hz, ${graph.frames}-frame buffers ` +
                `(${ms(1000 * graph.frames / graph.rate)}), browser's base latency ` +
                `${ms(1000 * graph.base)}, output latency ${ms(1000 * graph.output)}`);
    console.log(`tick to tap, ${delays.length} pops: median ${ms(quantile(delays, 0.5))}, ` +
                `max ${ms(delays[delays.length - 1])}`);
    console.log(`audio callback main-thread time, ${costs.length} callbacks: median ` +
                `${ms(quantile(costs, 0.5))}, 99th percentile ${ms(quantile(costs, 0.99))}, ` +
                `max ${ms(costs[costs.length - 1])}`);
  } finally {
    await env.close();
    fs.rmSync(dir, {recursive: true, force: true});
  }
})();
