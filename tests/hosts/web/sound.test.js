// The browser version's sound, heard through the tap the page offers tests: nothing before the
// player's first click, the music from the real soundfont once the wave is on, and the pop on top.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {launch, openGame} = require('./browser.js');
const {openingSteps, play, peakSince} = require('./sound_tap.js');

// The music peaks near 0.2 in the mix; the pop is an effect recorded near full scale.
const kHeard = 0.01;
const kLouderThanMusic = 0.5;
const kFirstPopTick = 242;  // the golden script's first pop is released here

// Plays the opening on the page (query: the test page, and how it is made to lack something),
// listening through the tap on the way `path` says the sound takes, with the synthesizer where
// `music` says; returns the page.
async function musicAndPop(env, dir, query, path, music = 'page') {
  const steps = openingSteps(dir, kFirstPopTick);
  const click = steps.find((s) => s.op === 'down').tick;
  const page = await openGame(env, query);
  await play(page, steps, 0, click - 1);
  assert.strictEqual(await page.evaluate(() => window.skypop.audio), undefined,
                     'no audio before the first click');

  // The title's click starts the audio; the wave begins a couple of seconds of ticks later.
  await play(page, steps, click, kFirstPopTick - 10);
  // The worklet's node comes once its module has loaded, a moment after the click.
  await page.waitForFunction(() => window.skypop.audio, {polling: 50, timeout: 10000});
  const graph = await page.evaluate(() => {
    const {context, frames, stats} = window.skypop.audio;
    return {state: context.state, rate: context.sampleRate, frames, path: stats.path};
  });
  assert.deepStrictEqual([graph.state, graph.rate, graph.path], ['running', 48000, path]);
  assert.ok(graph.frames / graph.rate <= 0.025, `buffer of ${graph.frames} frames`);

  // The music needs the soundfont, which arrives in the background: give it a few seconds.
  let peak = await peakSince(page, 500);
  for (let i = 0; i < 10 && peak < kHeard; i++) peak = await peakSince(page, 500);
  assert.ok(peak >= kHeard && peak < kLouderThanMusic, `music peaked at ${peak}`);
  assert.strictEqual(await page.evaluate(() => window.skypop.audio.stats.music), music);

  await play(page, steps, kFirstPopTick - 9, kFirstPopTick);
  const pop = await peakSince(page, 300);
  assert.ok(pop >= kLouderThanMusic, `the pop peaked at ${pop}`);
  assert.deepStrictEqual(page.errors, [], 'console errors');
  return page;
}

test('the browser sounds the music and the pop through the game mixer', async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'skypop-web-sound-'));
  const env = await launch();
  try {
    const page = await musicAndPop(env, dir, '?test', 'worklet', 'worklet');
    // A phone's main thread: four times slower, and once held up for longer than any lead. The
    // worklet counts the silence, the lead grows but stays within 100 ms, and the music goes on.
    const stats = () => page.evaluate(() => ({...window.skypop.audio.stats}));
    const cdp = await page.createCDPSession();
    await cdp.send('Emulation.setCPUThrottlingRate', {rate: 4});
    const before = await stats();
    await page.evaluate(() => {
      for (const end = performance.now() + 150; performance.now() < end;);
    });
    let music = 0;
    for (let i = 0; i < 10 && music < kHeard; i++) music = await peakSince(page, 500);
    const after = await stats();
    await cdp.send('Emulation.setCPUThrottlingRate', {rate: 1});
    assert.ok(after.underruns > before.underruns, `underruns ${before.underruns} then ` +
              `${after.underruns}`);
    assert.ok(after.leadFrames > before.leadFrames && after.leadFrames <= 4800,
              `lead ${before.leadFrames} then ${after.leadFrames} frames`);
    assert.ok(music >= kHeard, `music after the stall peaked at ${music}`);
  } finally {
    await env.close();
    fs.rmSync(dir, {recursive: true, force: true});
  }
});

// The fallbacks sound the same: the ScriptProcessor where there is no audio worklet, and the
// worklet that cannot run the synthesizer, leaving the music to the page.
for (const [name, query, sounding] of [
  ['without an audio worklet the ScriptProcessor plays the same sound', 'scriptprocessor',
   'script-processor'],
  ['a worklet that cannot run the synthesizer leaves the music to the page', 'workletnowasm',
   'worklet'],
]) {
  test(name, async () => {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), `skypop-web-sound-${query}-`));
    const env = await launch();
    try {
      await musicAndPop(env, dir, `?test&${query}`, sounding);
    } finally {
      await env.close();
      fs.rmSync(dir, {recursive: true, force: true});
    }
  });
}
