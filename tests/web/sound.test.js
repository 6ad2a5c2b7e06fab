// The browser version's sound, heard through the tap the page offers tests: nothing before the
// player's first click, the music from the real soundfont once the wave is on, and the pop on top.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const {execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {launch, openGame, pointAt, root} = require('./browser.js');

// The music peaks near 0.2 in the mix; the pop is an effect recorded near full scale.
const kHeard = 0.01;
const kLouderThanMusic = 0.5;
const kFirstPopTick = 242;  // the golden script's first pop is released here

// The golden script's opening up to its first pop, with the aim resolved by the desktop code.
function openingSteps(dir) {
  const tool = process.env.SKYPOP_REFERENCE_TOOL ||
               path.join(root, 'build/tests/web/web_reference_frames');
  execFileSync(tool, [path.join(root, 'tests/sim/golden/whole_game.script'), dir,
                      String(kFirstPopTick + 1)]);
  return fs.readFileSync(path.join(dir, 'resolved.script'), 'utf8').trim().split('\n')
      .map((line) => line.split(' '))
      .map(([tick, op, a, b]) => ({tick: +tick, op, a: +a, b: +b}))
      .filter((s) => s.tick <= kFirstPopTick);
}

// Plays the steps due from `from` up to `to` (ticks), one tick at a time where input is due.
async function play(page, steps, from, to) {
  let tick = from;
  for (const step of steps.filter((s) => s.tick >= from && s.tick <= to)) {
    if (step.tick > tick) await page.evaluate((n) => window.skypop.step(n), step.tick - tick);
    tick = step.tick;
    if (step.op === 'move') await pointAt(page, step.a, step.b);
    if (step.op === 'down') await page.mouse.down();
    if (step.op === 'up') await page.mouse.up();
  }
  if (to + 1 > tick) await page.evaluate((n) => window.skypop.step(n), to + 1 - tick);
}

// The loudest sample the tap has passed since the last call, watched every 20 ms (the tap's
// window is 2,048 frames, about 43 ms, so nothing slips between two looks).
async function peakSince(page, waitMs) {
  return page.evaluate((ms) => new Promise((resolve) => {
    const audio = window.skypop.audio;
    if (!audio.watch) {
      const samples = new Float32Array(audio.tap.fftSize);
      audio.peak = 0;
      audio.watch = setInterval(() => {
        audio.tap.getFloatTimeDomainData(samples);
        for (const v of samples) audio.peak = Math.max(audio.peak, Math.abs(v));
      }, 20);
    }
    setTimeout(() => {
      const peak = audio.peak;
      audio.peak = 0;
      resolve(peak);
    }, ms);
  }), waitMs);
}

test('the browser sounds the music and the pop through the game mixer', async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'skypop-web-sound-'));
  const env = await launch();
  try {
    const steps = openingSteps(dir);
    const click = steps.find((s) => s.op === 'down').tick;
    const page = await openGame(env);
    await play(page, steps, 0, click - 1);
    assert.strictEqual(await page.evaluate(() => window.skypop.audio), undefined,
                       'no audio before the first click');

    // The title's click starts the audio; the wave begins a couple of seconds of ticks later.
    await play(page, steps, click, kFirstPopTick - 10);
    const graph = await page.evaluate(() => {
      const {context, frames} = window.skypop.audio;
      return {state: context.state, rate: context.sampleRate, frames,
              base: context.baseLatency, output: context.outputLatency};
    });
    assert.strictEqual(graph.state, 'running');
    assert.strictEqual(graph.rate, 48000);
    assert.ok(graph.frames / graph.rate <= 0.025, `buffer of ${graph.frames} frames`);

    // The music needs the soundfont, which arrives in the background: give it a few seconds.
    let music = await peakSince(page, 500);
    for (let i = 0; i < 10 && music < kHeard; i++) music = await peakSince(page, 500);
    assert.ok(music >= kHeard && music < kLouderThanMusic, `music peaked at ${music}`);

    await play(page, steps, kFirstPopTick - 9, kFirstPopTick);
    const pop = await peakSince(page, 300);
    assert.ok(pop >= kLouderThanMusic, `the pop peaked at ${pop}`);
    assert.deepStrictEqual(page.errors, [], 'console errors');
  } finally {
    await env.close();
    fs.rmSync(dir, {recursive: true, force: true});
  }
});
