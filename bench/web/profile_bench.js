// Where the page's main thread goes through a wave, and what it was doing before each underrun:
// a CDP trace (devtools.timeline, v8, blink and V8's sampling profiler) over SECONDS of a wave at
// 1280 x 800 on the test site (?bench, SwiftShader standing in for a phone's graphics chip, as in
// busy_bench.js), at each CPU slow-down asked for. It prints:
//  - the renderer's main thread busy (the union of its tasks, % of the window's wall time) and
//    its own CPU time, split by what the trace says ran: animation frames (the game's passes, the
//    sound rendered ahead, the picture), the worklet's messages, input events, style / layout /
//    paint / compositing, garbage collection, the profiler's own cost, the rest;
//  - the JavaScript and WebAssembly inside, split by V8's samples (% of the window): the game's
//    passes, the music synthesizer (FluidSynth), the mixer's effects and the hand-over to the
//    worklet, presenting (WebGL or 2D), the gamepads, the input handlers, the rest;
//  - the audio worklet's thread and the GPU process's main thread busy, the other two things
//    that share this machine's cores;
//  - each underrun (the worklet's audio clock, read back by the page) with the main thread's
//    longest task and busy share in the 100 ms before it.
//   node bench/web/profile_bench.js [SECONDS] [THROTTLE...]     (defaults: 20 s; 4)
// SKYPOP_BENCH_PAGE and SKYPOP_CHROMIUM_GPU choose the page as for busy_bench.js. The sampling
// profiler itself slows the page down a great deal on a small machine: SKYPOP_BENCH_SAMPLES=0 leaves
// it (and the JavaScript split) out, for underruns seen under a lighter trace. SKYPOP_BENCH_TRACE=FILE
// keeps the (last) trace, for Perfetto or the DevTools.
'use strict';
const os = require('os');
const {openWave, wander} = require('./balloons.js');
const {launch} = require('../../tests/hosts/web/browser.js');

const seconds = Number(process.argv[2] || 20);
const throttles = process.argv.slice(3).map(Number);
const kWarmUpMs = 2000;
const kBeforeUnderrunUs = 100e3;

const kSamples = process.env.SKYPOP_BENCH_SAMPLES !== '0';
const kCategories = ['toplevel', 'devtools.timeline', 'v8', 'blink.user_timing'].concat(
    kSamples ? ['disabled-by-default-devtools.timeline', 'v8.execute', 'blink',
                'disabled-by-default-v8.cpu_profiler'] : []);

// What a main-thread trace event belongs to; the innermost event that matches a rule takes the
// time (a collection inside an animation frame is a collection).
const kTaskKinds = [
  ['garbage collection', /^(MinorGC|MajorGC|V8\.GC|BlinkGC|ThreadState::|CppGC)/],
  ['profiler (the measurement itself)', /^(CpuProfiler|V8\.StackGuard|V8\.HandleInterrupts|V8\.InvokeApiInterruptCallbacks)/],
  ['style, layout, paint, compositing commit', /^(UpdateLayoutTree|Layout|PrePaint|Paint|Layerize|Commit|UpdateLayer|WebFrameWidgetImpl::UpdateLifecycle|LocalFrameView::|HitTest|ScrollableArea|Blink\.(PrePaint|Paint|Layout|Style|Compositing))/],
  ['animation frames (passes, sound ahead, picture)', /^FireAnimationFrame$/],
  ['worklet messages', /^MessagePort::Accept$/],
  ['input events', /^(EventDispatch|EventHandler::|WidgetBaseInputHandler|InputHandlerProxy|WebViewImpl::HandleInputEvent|HandleInputEvent)/],
  ['timers', /^TimerFire$/],
];

// What a V8 sample belongs to, from the functions on its stack (innermost rule first).
const kSampleKinds = [
  ['the music synthesizer (FluidSynth)', (f) => f.url.includes('libfluidsynth') || f.name === '_skypop_synth_render'],
  ['presenting (WebGL or 2D canvas calls)', (f) => /^(_skypop_show_indexed|_skypop_show_picture|draw|upload)$/.test(f.name) && f.url.endsWith('skypop.js')],
  ['the mixer (effects) and the hand-over', (f) => /^(pump|_skypop_audio_pump|fill|mixed|ahead)$/.test(f.name) && f.url.endsWith('skypop.js')],
  ['the worklet\'s reports (heard)', (f) => f.name === 'heard' && f.url.endsWith('skypop.js')],
  ['gamepads', (f) => /gamepad/i.test(f.name)],
  ['input handlers', (f) => /^(jsEventHandler|mouseEventHandlerFunc|page\.onPointer|onPointer)$/.test(f.name)],
  ['the game\'s passes (the rest of each frame)', (f) => f.name === '_skypop_page_frame' || (f.name === 'frame' && f.url.endsWith('skypop.js'))],
  ['garbage collector', (f) => f.name === '(garbage collector)'],
  ['(program): the browser\'s own work', (f) => f.name === '(program)'],
];

function threadIds(events, name) {
  return new Set(events.filter((e) => e.name === 'thread_name' && e.args.name === name)
                     .map((e) => `${e.pid}:${e.tid}`));
}

// The whole-task slices of the thread among `ids` that ran the most tasks, clipped to the window.
function tasksOf(events, ids, from, to) {
  const byThread = new Map();
  for (const e of events) {
    const key = `${e.pid}:${e.tid}`;
    if (e.ph !== 'X' || e.name !== 'ThreadControllerImpl::RunTask' || !ids.has(key)) continue;
    if (e.ts + e.dur <= from || e.ts >= to) continue;
    if (!byThread.has(key)) byThread.set(key, []);
    byThread.get(key).push(e);
  }
  const [key, tasks] = [...byThread.entries()].sort((a, b) => b[1].length - a[1].length)[0] ||
                       [null, []];
  tasks.sort((a, b) => a.ts - b.ts);
  return {key, tasks};
}

// Busy (union of the slices) and CPU time within [from, to], microseconds.
function busy(tasks, from, to) {
  let wall = 0;
  let cpu = 0;
  let end = from;
  for (const e of tasks) {
    const start = Math.max(e.ts, end);
    const stop = Math.min(e.ts + e.dur, to);
    if (stop > start) wall += stop - start;
    if (e.ts >= end) cpu += (e.tdur || 0) * (stop - Math.max(e.ts, from)) / Math.max(e.dur, 1);
    end = Math.max(end, stop);
  }
  return {wall, cpu};
}

// Each main-thread event's own time (less its children's), wall and CPU, given to the innermost
// event on its stack that a rule of kTaskKinds names.
function taskKinds(events, key, from, to) {
  const list = events.filter((e) => e.ph === 'X' && `${e.pid}:${e.tid}` === key && e.dur >= 0 &&
                                    e.ts < to && e.ts + e.dur > from)
                   .sort((a, b) => a.ts - b.ts || b.dur - a.dur);
  const totals = new Map();
  const stack = [];
  const add = (frame) => {
    const kind = frame.kind || 'other';
    const t = totals.get(kind) || {wall: 0, cpu: 0};
    t.wall += Math.max(0, frame.wall);
    t.cpu += Math.max(0, frame.cpu);
    totals.set(kind, t);
  };
  const close = (until) => {
    while (stack.length && stack[stack.length - 1].end <= until) add(stack.pop());
  };
  for (const e of list) {
    close(e.ts);
    const parent = stack[stack.length - 1];
    const rule = kTaskKinds.find(([, re]) => re.test(e.name));
    const frame = {end: e.ts + e.dur, wall: e.dur, cpu: e.tdur || 0,
                   kind: rule ? rule[0] : parent ? parent.kind : null};
    if (parent) {
      parent.wall -= e.dur;
      parent.cpu -= e.tdur || 0;
    }
    stack.push(frame);
  }
  close(Infinity);
  return totals;
}

// The main thread's V8 samples within the window, each weighed by its time, by kSampleKinds;
// also the heaviest functions of what no rule names.
function sampleKinds(events, key, from, to) {
  const [pid, tid] = key.split(':').map(Number);
  const profile = events.find((e) => e.name === 'Profile' && e.pid === pid && e.tid === tid);
  if (!profile) return null;
  const nodes = new Map();
  let time = profile.args.data.startTime;
  const totals = new Map();
  const others = new Map();
  for (const chunk of events.filter((e) => e.name === 'ProfileChunk' && e.id === profile.id)) {
    const data = chunk.args.data;
    for (const n of (data.cpuProfile && data.cpuProfile.nodes) || []) {
      nodes.set(n.id, {name: n.callFrame.functionName, url: n.callFrame.url || '', parent: n.parent});
    }
    const samples = (data.cpuProfile && data.cpuProfile.samples) || [];
    const deltas = data.timeDeltas || [];
    for (let i = 0; i < samples.length; i++) {
      time += deltas[i] || 0;
      const weight = deltas[i + 1] !== undefined ? deltas[i + 1] : 0;
      if (time < from || time >= to) continue;
      let kind = null;
      const leaf = nodes.get(samples[i]);
      for (let n = leaf; n && !kind; n = nodes.get(n.parent)) {
        const rule = kSampleKinds.find(([, test]) => test(n));
        if (rule) kind = rule[0];
      }
      if (!kind && leaf && leaf.name === '(idle)') continue;
      if (!kind) {
        kind = 'other JavaScript';
        const name = leaf ? `${leaf.name || '(anonymous)'} ${leaf.url.split('/').pop()}` : '?';
        others.set(name, (others.get(name) || 0) + weight);
      }
      totals.set(kind, (totals.get(kind) || 0) + weight);
    }
  }
  return {totals, others};
}

async function run(env, throttle) {
  const {page} = await openWave(env, throttle, kWarmUpMs);
  await page.tracing.start({categories: kCategories});
  // The page watches the worklet's count of underruns and notes when each came, on its own clock
  // (the audio clock's time of the latest, moved onto performance.now()).
  const start = await page.evaluate(() => {
    const audio = window.skypopAudio;
    const log = window.benchUnderruns = [];
    let seen = audio.stats.underruns;
    window.benchWatch = setInterval(() => {
      const stats = audio.stats;
      if (stats.underruns === seen) return;
      const offset = performance.now() - 1000 * audio.context.currentTime;
      log.push({count: stats.underruns - seen, at: 1000 * stats.underrunAt + offset,
                lead: stats.leadFrames});
      seen = stats.underruns;
    }, 20);
    performance.mark('skypop-bench-start');
    return {at: performance.now(), underruns: audio.stats.underruns};
  });
  await wander(page, seconds);
  const result = await page.evaluate((s) => {
    clearInterval(window.benchWatch);
    const audio = window.skypopAudio;
    return {startAt: s.at, wall: performance.now() - s.at, underruns: window.benchUnderruns, path: audio.stats.path,
            rate: audio.context.sampleRate,
            lead: 1000 * audio.stats.leadFrames / audio.context.sampleRate};
  }, start);
  const trace = Buffer.from(await page.tracing.stop());
  if (process.env.SKYPOP_BENCH_TRACE) require('fs').writeFileSync(process.env.SKYPOP_BENCH_TRACE, trace);
  const events = JSON.parse(trace.toString('utf8')).traceEvents;
  await page.close();
  // The window in trace time, from the page's mark.
  const mark = events.find((e) => e.name === 'skypop-bench-start');
  const from = mark ? mark.ts : events.filter((e) => e.ph === 'X').reduce((m, e) => Math.min(m, e.ts), Infinity);
  const to = from + result.wall * 1000;
  const main = tasksOf(events, threadIds(events, 'CrRendererMain'), from, to);
  const longestKind = (task) => {
    const kinds = taskKinds(events, main.key, task.ts, task.ts + task.dur);
    return [...kinds.entries()].sort((a, b) => b[1].wall - a[1].wall)[0][0];
  };
  // Each underrun in trace time, and the main thread's 100 ms before it.
  const underruns = result.underruns.map((u) => {
    const at = from + (u.at - result.startAt) * 1000;
    const before = main.tasks.filter((e) => e.ts + e.dur > at - kBeforeUnderrunUs && e.ts < at);
    const longest = before.reduce((m, e) => (e.dur > (m ? m.dur : 0) ? e : m), null);
    return {count: u.count, t: (at - from) / 1e6, lead: 1000 * u.lead / result.rate,
            share: busy(before, at - kBeforeUnderrunUs, at).wall / kBeforeUnderrunUs,
            longest: longest ? longest.dur / 1000 : 0, kind: longest ? longestKind(longest) : ''};
  });
  return {
    result, from, to, main, underruns,
    mainBusy: busy(main.tasks, from, to),
    kinds: taskKinds(events, main.key, from, to),
    samples: sampleKinds(events, main.key, from, to),
    worklet: busy(tasksOf(events, threadIds(events, 'Realtime AudioWorklet thread'), from, to).tasks, from, to),
    gpu: busy(tasksOf(events, threadIds(events, 'CrGpuMain'), from, to).tasks, from, to),
  };
}

function percent(us, span) {
  return `${(100 * us / span).toFixed(1).padStart(5)} %`;
}

(async () => {
  const env = await launch();
  try {
    for (const throttle of throttles.length ? throttles : [4]) {
      const load = os.loadavg()[0];
      const p = await run(env, throttle);
      const span = p.to - p.from;
      console.log(`CPU ${throttle}x, ${(span / 1e6).toFixed(1)} s of a wave after a ` +
                  `${kWarmUpMs / 1000} s warm-up (sound: ${p.result.path}; load average ` +
                  `${load.toFixed(2)} before, ${os.loadavg()[0].toFixed(2)} after):`);
      console.log(`  main thread busy ${percent(p.mainBusy.wall, span)} of the wall time, its own ` +
                  `CPU ${percent(p.mainBusy.cpu, span)}; by what the trace says ran (wall / CPU):`);
      for (const [kind, t] of [...p.kinds.entries()].sort((a, b) => b[1].wall - a[1].wall)) {
        console.log(`    ${percent(t.wall, span)} / ${percent(t.cpu, span)}  ${kind}`);
      }
      if (p.samples) {
        console.log('  its JavaScript and WebAssembly by V8\'s samples (wall):');
        for (const [kind, us] of [...p.samples.totals.entries()].sort((a, b) => b[1] - a[1])) {
          console.log(`    ${percent(us, span)}  ${kind}`);
        }
        const others = [...p.samples.others.entries()].sort((a, b) => b[1] - a[1]).slice(0, 6);
        console.log(`    (other JavaScript, heaviest: ${others.map(([n, us]) =>
          `${n} ${(100 * us / span).toFixed(2)} %`).join('; ')})`);
      }
      console.log(`  audio worklet thread busy ${percent(p.worklet.wall, span)} (CPU ` +
                  `${percent(p.worklet.cpu, span)}); GPU process main thread busy ` +
                  `${percent(p.gpu.wall, span)} (CPU ${percent(p.gpu.cpu, span)})`);
      const total = p.underruns.reduce((n, u) => n + u.count, 0);
      console.log(`  ${total} underruns; lead at the end ${p.result.lead.toFixed(1)} ms`);
      for (const u of p.underruns) {
        console.log(`    ${u.count} at ${u.t.toFixed(2)} s (lead ${u.lead.toFixed(1)} ms): main thread ` +
                    `busy ${(100 * u.share).toFixed(0)} % of the 100 ms before, its longest task ` +
                    `${u.longest.toFixed(1)} ms (mostly ${u.kind})`);
      }
    }
  } finally {
    await env.close();
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
