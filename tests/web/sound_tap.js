// What the browser's sound test and benchmark share: the golden script's opening with its aims
// resolved by the desktop code, played tick by tick, and the loudest sample the page's audio tap
// has passed.
'use strict';
const {execFileSync} = require('child_process');
const fs = require('fs');
const path = require('path');
const {pointAt, root} = require('./browser.js');

// The golden script's steps up to `lastTick`, with the aims resolved by the desktop code.
function openingSteps(dir, lastTick) {
  const tool = process.env.SKYPOP_REFERENCE_TOOL ||
               path.join(root, 'build/tests/web/web_reference_frames');
  execFileSync(tool, [path.join(root, 'tests/sim/golden/whole_game.script'), dir,
                      String(lastTick + 1)]);
  return fs.readFileSync(path.join(dir, 'resolved.script'), 'utf8').trim().split('\n')
      .map((line) => line.split(' '))
      .map(([tick, op, a, b]) => ({tick: +tick, op, a: +a, b: +b}))
      .filter((s) => s.tick <= lastTick);
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

module.exports = {openingSteps, play, peakSince};
