// How much of a phone's main thread the browser version takes, through a wave at 1280 x 800 on the
// test site (?bench), on real time, at each CPU slow-down asked for (CDP
// Emulation.setCPUThrottlingRate; 4x stands in for a mid-range phone):
//  - main thread busy: a CDP trace (category "toplevel") over the window, the union of the
//    renderer main thread's ThreadControllerImpl::RunTask slices divided by the window's length;
//    beside it the same tasks' thread (CPU) time, which a machine loaded by other programs does
//    not stretch (and which the CPU slow-down does not either: it suspends the thread);
//  - per animation frame: the main-thread time of the game's passes (the ?bench ring, which
//    includes rendering the sound ahead), median and p99, and how many frames took over 25 ms;
//  - frames presented per second (animation frames that ran a tick and so drew a new picture),
//    and ticks per 16.6 ms of wall time (1.00: the game keeps up);
//  - the sound: blocks the audio worklet filled with silence after the warm-up, and the lead the
//    page settled at (the ScriptProcessor fallback reports neither).
//   node bench/web/busy_bench.js [SECONDS] [THROTTLE...]     (defaults: 60 s; 1 4 6)
// SwiftShader stands in for the phone's graphics chip, and the page draws through WebGL as it would
// there (balloons.js); SKYPOP_BENCH_PAGE=canvas2d (or scriptprocessor, or canvas2d,scriptprocessor)
// measures it as a browser without WebGL or without an audio worklet gets it, and
// SKYPOP_CHROMIUM_GPU=0 as a browser without any graphics chip.
'use strict';
const os = require('os');
const {openWave, wander} = require('./balloons.js');
const {launch} = require('../../tests/hosts/web/browser.js');

const seconds = Number(process.argv[2] || 60);
const throttles = process.argv.slice(3).map(Number);
const kWarmUpMs = 2000;

function quantile(sorted, q) {
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

// The renderer main thread's busy time within [from, to] (trace microseconds).
function busyShare(trace, from, to) {
  const events = JSON.parse(trace).traceEvents;
  const main = new Set(events.filter((e) => e.name === 'thread_name' &&
                                            e.args.name === 'CrRendererMain')
                           .map((e) => `${e.pid}:${e.tid}`));
  // The page's renderer is the one whose main thread ran the most tasks.
  const tasks = new Map();
  for (const e of events) {
    if (e.ph !== 'X' || e.name !== 'ThreadControllerImpl::RunTask' || !main.has(`${e.pid}:${e.tid}`)) continue;
    const key = `${e.pid}:${e.tid}`;
    if (!tasks.has(key)) tasks.set(key, []);
    tasks.get(key).push([Math.max(e.ts, from), Math.min(e.ts + e.dur, to), e.tdur || 0]);
  }
  const slices = [...tasks.values()].sort((a, b) => b.length - a.length)[0] || [];
  slices.sort((a, b) => a[0] - b[0]);
  let busy = 0;
  let cpu = 0;
  let end = from;
  for (const [start, stop, thread] of slices) {
    if (stop <= end) continue;
    busy += stop - Math.max(start, end);
    if (start >= end) cpu += thread;
    end = stop;
  }
  return {busy: busy / (to - from), cpu: cpu / (to - from)};
}

async function run(env, throttle) {
  const {page} = await openWave(env, throttle, kWarmUpMs);
  await page.tracing.start({categories: ['toplevel']});
  const start = await page.evaluate(() => {
    const audio = window.skypopAudio;
    // Each animation frame that ran a tick drew a new picture.
    const frame = Module._skypop_page_frame;
    window.benchFrames = {presented: 0};
    Module._skypop_page_frame = () => {
      const before = Module._SkypopNextTick();
      const more = frame();
      if (Module._SkypopNextTick() !== before) window.benchFrames.presented++;
      return more;
    };
    return {ring: Module.skypopPassCount, tick: Module._SkypopNextTick(), at: performance.now(),
            underruns: audio && audio.stats ? audio.stats.underruns : null};
  });
  await wander(page, seconds);
  const result = await page.evaluate((s) => {
    const audio = window.skypopAudio;
    const stats = audio && audio.stats;
    return {
      times: Array.from(Module.skypopPassTimes.slice(s.ring, Module.skypopPassCount)),
      ticks: (Module._SkypopNextTick() - s.tick) / 16.6,
      wall: performance.now() - s.at,
      presented: window.benchFrames.presented,
      underruns: stats && stats.underruns !== undefined ? stats.underruns - s.underruns : null,
      lead: stats && stats.leadFrames ? 1000 * stats.leadFrames / audio.context.sampleRate : null,
      path: stats ? stats.path : 'none',
      phase: Module._SkypopPlayPhase(),
    };
  }, start);
  const trace = Buffer.from(await page.tracing.stop()).toString('utf8');
  // The window in trace time: the trace's own clock, from its first task on.
  const from = JSON.parse(trace).traceEvents.filter((e) => e.ph === 'X')
                   .reduce((first, e) => Math.min(first, e.ts), Infinity);
  Object.assign(result, busyShare(trace, from, from + result.wall * 1000));
  await page.close();
  return result;
}

(async () => {
  const env = await launch();
  try {
    for (const throttle of throttles.length ? throttles : [1, 4, 6]) {
      const load = os.loadavg()[0];
      const r = await run(env, throttle);
      const t = [...r.times].sort((a, b) => a - b);
      const over = t.filter((v) => v > 25).length;
      const s = r.wall / 1000;
      console.log(`CPU ${throttle}x, ${s.toFixed(1)} s after a ${kWarmUpMs / 1000} s warm-up ` +
                  `(sound: ${r.path}; phase ${r.phase} at the end; load average ` +
                  `${load.toFixed(2)} before, ${os.loadavg()[0].toFixed(2)} after):`);
      console.log(`  main thread busy ${(100 * r.busy).toFixed(1)} % (its own CPU time ` +
                  `${(100 * r.cpu).toFixed(1)} %, which other programs' load leaves alone); ` +
                  `per frame median ` +
                  `${quantile(t, 0.5).toFixed(2)} ms, p99 ${quantile(t, 0.99).toFixed(2)} ms, ` +
                  `${(over * 10 / s).toFixed(1)} frames over 25 ms per 10 s`);
      console.log(`  ${(r.presented / s).toFixed(1)} frames presented per second; ` +
                  `ticks / wall time ${(r.ticks / (r.wall / 16.6)).toFixed(3)}`);
      if (r.underruns !== null) {
        console.log(`  underruns ${r.underruns}; lead settled at ${r.lead.toFixed(1)} ms`);
      }
    }
  } finally {
    await env.close();
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
