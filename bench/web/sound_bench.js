// The browser version's sound figures, in headless Chromium on real time through a wave at
// 1280 x 800 (the test page's ?bench, SwiftShader standing in for a phone's graphics chip): how
// long after the animation frame whose tick pops a balloon the pop reaches the audio graph
// (measured at the test page's tap), the path the sound takes and the lead it settled at, and
// the main-thread time the mixer's renders take (the effects and the music synthesizer), at each
// CPU slow-down asked for (CDP Emulation.setCPUThrottlingRate).
//   node bench/web/sound_bench.js [SECONDS] [THROTTLE...]    (after make web-test; default 20 s; 1 4)
// SKYPOP_BENCH_PAGE=scriptprocessor measures the ScriptProcessor that browsers without an audio
// worklet use.
'use strict';
const {findBalloon, openWave} = require('./balloons.js');
const {launch} = require('../../tests/hosts/web/browser.js');

const seconds = Number(process.argv[2] || 20);
const throttles = process.argv.slice(3).map(Number);
const kLouderThanMusic = 0.5;
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function quantile(sorted, q) {
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

async function run(env, throttle) {
  const {page} = await openWave(env, throttle, 0);
  await page.waitForFunction(() => performance.getEntriesByName('skypop-music-ready').length > 0,
                             {timeout: 60000, polling: 100});
  await sleep(2000);
  const start = await page.evaluate(() => {
    // After each frame whose tick scored, the tap is watched until it passes a sample louder than
    // the music; the pop's arrival is that sample's place in the tap's window, behind the time
    // of the look.
    const audio = window.skypopAudio;
    const delays = window.benchDelays = [];
    const samples = new Float32Array(audio.tap.fftSize);
    const rate = audio.context.sampleRate;
    let watching = false;
    const frame = Module._skypop_page_frame;
    Module._skypop_page_frame = () => {
      const at = performance.now();
      const score = Module._SkypopScore();
      const more = frame();
      if (Module._SkypopScore() === score || watching) return more;
      watching = true;
      const look = () => {
        audio.tap.getFloatTimeDomainData(samples);
        const now = performance.now();
        const first = samples.findIndex((v) => Math.abs(v) >= 0.5);
        if (first >= 0) {
          delays.push(now - 1000 * (samples.length - first) / rate - at);
          watching = false;
        } else if (now - at > 300) {
          watching = false;
        } else {
          setTimeout(look, 5);
        }
      };
      setTimeout(look, 5);
      return more;
    };
    return {renderMs: audio.stats.renderMs, at: performance.now()};
  });
  const end = Date.now() + seconds * 1000;
  while (Date.now() < end) {
    const balloon = await findBalloon(page);
    if (balloon) {
      await page.mouse.move(balloon.x, balloon.y);
      await page.mouse.down();
      await page.mouse.up();
    }
    await sleep(400);
  }
  const result = await page.evaluate((s) => {
    const audio = window.skypopAudio;
    return {delays: window.benchDelays, path: audio.stats.path,
            lead: 1000 * audio.stats.leadFrames / audio.context.sampleRate,
            underruns: audio.stats.underruns,
            render: (audio.stats.renderMs - s.renderMs) / (performance.now() - s.at)};
  }, start);
  await page.close();
  return result;
}

(async () => {
  const env = await launch();
  try {
    for (const throttle of throttles.length ? throttles : [1, 4]) {
      const r = await run(env, throttle);
      const d = r.delays.sort((a, b) => a - b);
      const ms = (v) => `${v.toFixed(1)} ms`;
      console.log(`CPU ${throttle}x, ${seconds} s of a wave, sound through the ${r.path}:`);
      console.log(d.length ? `  frame of the pop's tick to the tap, ${d.length} pops: median ` +
                             `${ms(quantile(d, 0.5))}, max ${ms(d[d.length - 1])}`
                           : '  no pop heard');
      if (r.path === 'worklet') {
        console.log(`  lead settled at ${ms(r.lead)}; ${r.underruns} underruns since the start; ` +
                    `the mixer's renders ${(100 * r.render).toFixed(1)} % of the main thread`);
      }
    }
  } finally {
    await env.close();
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
