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

test('the browser sounds the music and the pop through the game mixer', async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'skypop-web-sound-'));
  const env = await launch();
  try {
    const steps = openingSteps(dir, kFirstPopTick);
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
