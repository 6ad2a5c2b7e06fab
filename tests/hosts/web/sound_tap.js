// What the browser's sound test and benchmark share: the golden script's opening with its aims
// resolved by the desktop code, played tick by tick, and the loudest sample the page's audio tap
// has passed.
'use strict';
const {execFileSync} = require('child_process');
const fs = require('fs');
const path = require('path');
const {pointAt, root} = require('./browser.js');

// The golden script's steps up to `lastTick`, each aim made the move the desktop code chose.
function openingSteps(dir, lastTick) {
  const text = fs.readFileSync(path.join(root, 'tests/sim/golden/whole_game.script'), 'utf8');
  const steps = text.split('\n').map((line) => line.replace(/#.*/, '').trim()).filter(Boolean)
      .map((line) => line.split(/\s+/))
      .map(([tick, op, a, b]) => ({tick: +tick, op, a: Number(a || 0), b: Number(b || 0)}))
      .filter((s) => s.tick <= lastTick && s.op !== 'songend');
  const script = path.join(dir, 'opening.script');
  fs.writeFileSync(script, steps.map((s) => `${s.tick} ${s.op} ${s.a} ${s.b}`).join('\n'));
  const tool = process.env.SKYPOP_REFERENCE_TOOL ||
               path.join(root, 'build/tests/hosts/web/web_reference_frames');
  execFileSync(tool, [script, dir, String(lastTick + 1)]);
  const aims = new Map(fs.readFileSync(path.join(dir, 'aims.txt'), 'utf8').trim().split('\n')
                           .map((line) => line.split(' ').map(Number))
                           .map(([tick, x, y]) => [tick, {tick, op: 'move', a: x, b: y}]));
  return steps.map((s) => (s.op === 'aim' ? aims.get(s.tick) : s));
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
  // The audio worklet's module loads after the first click: its tap comes a moment later.
  await page.waitForFunction(() => window.skypop.audio, {polling: 50, timeout: 10000});
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
