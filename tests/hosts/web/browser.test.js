// The browser version against the desktop: one whole scripted game (the desktop golden run's
// script) played in headless Chromium with real pointer and key events, tick by tick on the test
// clock, compared with the frames and states the desktop code produces for the same ticks; then
// Escape, the saved table, and the table still there after a reload.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const {execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {launch, openGame, pointAt, root} = require('./browser.js');

const kModeTitle = 1;
const kModePlaying = 2;
const kPhaseStart = 1;
const kPhaseWave = 3;

// The golden run's script, one step per line: "<tick> <op> [a] [b]", '#' starts a comment.
function readScript() {
  const text = fs.readFileSync(path.join(root, 'tests/sim/golden/whole_game.script'), 'utf8');
  return text.split('\n').map((line) => line.replace(/#.*/, '').trim()).filter(Boolean)
      .map((line) => line.split(/\s+/))
      .map(([tick, op, a, b]) => ({tick: +tick, op, a: Number(a || 0), b: Number(b || 0)}));
}

// Ticks whose frames and states are compared, and what each shows.
const checks = {
  0: 'the title',
  100: 'START after the click',
  243: 'the first pop',
  820: 'paused while the page is hidden',
  860: 'playing again after Space',
  3140: 'the name entry',
  3300: 'the score board',
  3599: 'the title again',
};
const lastTick = 3599;

// The desktop's reference run of the script without its song-end steps (those stand in for the
// music reaching its end, which a test cannot make the real music player do on cue). Writes the
// frames, state lines and KIPO.INI into dir; returns the steps with every aim made a move.
function reference(dir) {
  const steps = readScript().filter((s) => s.op !== 'songend');
  const script = path.join(dir, 'web.script');
  fs.writeFileSync(script, steps.map((s) => `${s.tick} ${s.op} ${s.a} ${s.b}`).join('\n'));
  const tool = process.env.SKYPOP_REFERENCE_TOOL ||
               path.join(root, 'build/tests/hosts/web/web_reference_frames');
  execFileSync(tool, [script, dir, String(lastTick + 1), ...Object.keys(checks)]);
  const aims = new Map(fs.readFileSync(path.join(dir, 'aims.txt'), 'utf8').trim().split('\n')
                           .map((line) => line.split(' ').map(Number))
                           .map(([tick, x, y]) => [tick, {tick, op: 'move', a: x, b: y}]));
  return steps.map((s) => (s.op === 'aim' ? aims.get(s.tick) : s));
}

// One state line of the desktop dump: "<tick> m<mode> p<phase> t.. s<score> ... [PAUSED] ...".
function parseState(line) {
  const field = (name) => +line.match(new RegExp(` ${name}(-?\\d+)`))[1];
  return {mode: field('m'), phase: field('p'), score: field('s'),
          paused: line.includes(' PAUSED') ? 1 : 0};
}

const padKeys = {0x01: 'KeyX', 0x02: 'KeyZ', 0x08: 'Space', 0x10: 'ArrowRight',
                 0x20: 'ArrowLeft', 0x40: 'ArrowDown', 0x80: 'ArrowUp'};

// Hides or shows the page as switching tabs does, through the page's own visibility event.
async function setHidden(page, hidden) {
  await page.evaluate((h) => {
    Object.defineProperty(document, 'hidden', {configurable: true, get: () => h});
    Object.defineProperty(document, 'visibilityState',
                          {configurable: true, get: () => (h ? 'hidden' : 'visible')});
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
}

async function apply(page, step) {
  switch (step.op) {
    case 'move': return pointAt(page, step.a, step.b);
    case 'down': return page.mouse.down();
    case 'up': return page.mouse.up();
    case 'keydown': return page.keyboard.down(padKeys[step.a]);
    case 'keyup': return page.keyboard.up(padKeys[step.a]);
    case 'blur': return setHidden(page, true);
    case 'focus': return setHidden(page, false);
    default: throw new Error(`no browser input for ${step.op}`);
  }
}

// Differing pixels between the canvas and the desktop's frame, with the first one described.
async function compareFrame(page, file) {
  const actual = Buffer.from(await page.evaluate(() => window.skypop.pixels()), 'base64');
  const expected = fs.readFileSync(file);
  assert.strictEqual(actual.length, expected.length, 'canvas size');
  let count = 0;
  let first = '';
  for (let i = 0; i < expected.length; i += 4) {
    if (actual.readUInt32BE(i) !== expected.readUInt32BE(i)) {
      if (count++ === 0) {
        first = `first at (${(i / 4) % 640}, ${Math.floor(i / 4 / 640)}): ` +
                `${actual.readUInt32BE(i).toString(16)} != ${expected.readUInt32BE(i).toString(16)}`;
      }
    }
  }
  return {count, first};
}

// Plays the whole script on the page, comparing its state and canvas at every checked tick with
// the desktop's, and checks the picture was drawn the way asked for ('webgl2' or '2d').
async function playAgainstDesktop(page, dir, steps, pictureKind) {
  let tick = 0;
  for (const due of [...steps.map((s) => s.tick), ...Object.keys(checks).map(Number)]
                        .filter((t, i, all) => all.indexOf(t) === i).sort((a, b) => a - b)) {
    // Run the ticks before this one untouched, then its input, then the tick itself.
    if (due > tick) await page.evaluate((n) => window.skypop.step(n), due - tick);
    for (const step of steps.filter((s) => s.tick === due)) await apply(page, step);
    await page.evaluate(() => window.skypop.step(1));
    tick = due + 1;
    if (!(due in checks)) continue;
    const want = parseState(fs.readFileSync(path.join(dir, `tick_${due}.txt`), 'utf8'));
    const got = await page.evaluate(() => window.skypop.state());
    assert.deepStrictEqual({mode: got.mode, phase: got.phase, score: got.score,
                            paused: got.paused}, want, `state at tick ${due}: ${checks[due]}`);
    const diff = await compareFrame(page, path.join(dir, `tick_${due}.rgba`));
    assert.strictEqual(diff.count, 0, `tick ${due} (${checks[due]}): ${diff.first}`);
  }
  assert.strictEqual(await page.evaluate(() => window.skypop.pictureKind()), pictureKind);
  // What the run must have shown, said outright (the desktop agreeing is checked above).
  const at = (t) => parseState(fs.readFileSync(path.join(dir, `tick_${t}.txt`), 'utf8'));
  assert.deepStrictEqual([at(100).mode, at(100).phase], [kModePlaying, kPhaseStart]);
  assert.ok([100, 90, 80].includes(at(243).score), `first pop scored ${at(243).score}`);
  assert.deepStrictEqual([at(820).paused, at(860).paused], [1, 0]);
  assert.strictEqual(at(3599).mode, kModeTitle);
  assert.deepStrictEqual(page.errors, [], 'console errors');
}

test('the browser plays the desktop game pixel for pixel and keeps its table', async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'skypop-web-'));
  const env = await launch();
  try {
    const steps = reference(dir);
    const page = await openGame(env, '?test&webgl');
    // A second tab, open since before this game saved: its copy of the storage is out of date.
    const other = await openGame(env);
    await page.bringToFront();
    await playAgainstDesktop(page, dir, steps, 'webgl2');

    // The name entry saved the table; once it is in the browser's storage, a reload reads it.
    await page.waitForFunction(() => window.skypop.stored > 0, {timeout: 5000});
    const table = fs.readFileSync(path.join(dir, 'KIPO.INI'), 'utf8');
    assert.match(table, /SKY@POP/);
    await page.reload();
    await page.waitForFunction(() => window.skypop && window.skypop.ready, {timeout: 10000});
    assert.strictEqual(await page.evaluate(() => window.skypop.readFile('/skypop/KIPO.INI')),
                       table, 'the table after a reload');

    // The other tab ranks too; its row joins the stored table instead of replacing it.
    assert.strictEqual(await other.evaluate(() => Module._SkypopRankScore(9000, 66)), 1);
    await other.evaluate(() => window.skypop.step(1));  // its next pass stores it
    await other.waitForFunction(() => window.skypop.stored > 0, {timeout: 5000, polling: 100});

    // Escape ends the game, saving the table again, and the page offers a new game.
    await page.evaluate(() => window.skypop.step(60));
    await page.keyboard.down('Escape');
    await page.evaluate(() => window.skypop.step(3));
    await page.keyboard.up('Escape');
    await page.waitForFunction(() => window.skypop.stored > 0, {timeout: 5000});
    assert.strictEqual(await page.$eval('#ended', (e) => e.hidden), false, 'play-again offer');
    assert.deepStrictEqual(page.errors, [], 'console errors after the reload');
    const third = await openGame(env);
    assert.strictEqual(await third.evaluate(() => window.skypop.readFile('/skypop/KIPO.INI')),
                       `9000 BBBBBBBBBB\n${table.split('\n').slice(0, 4).join('\n')}\n`,
                       'both tabs\' rows in a third');
  } finally {
    await env.close();
    fs.rmSync(dir, {recursive: true, force: true});
  }
});

test('a browser without WebGL draws the same game on a 2D canvas', async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'skypop-web-2d-'));
  const env = await launch();
  try {
    await playAgainstDesktop(await openGame(env, '?test&canvas2d'), dir, reference(dir), '2d');
  } finally {
    await env.close();
    fs.rmSync(dir, {recursive: true, force: true});
  }
});

test('the page as a player gets it: drawn on its own clock, crisp 4:3, no pointer, no errors',
     async () => {
       const env = await launch();
       try {
         const page = await env.browser.newPage();
         page.errors = [];
         page.on('console', (m) => m.type() === 'error' && !/Failed to load resource/.test(
             m.text()) && page.errors.push(m.text()));
         page.on('pageerror', (e) => page.errors.push(String(e)));
         await page.setViewport({width: 1000, height: 600});
         // A browser that keeps no site data and a site whose soundfont is missing: the game
         // plays, and the page says what it cannot do.
         await page.evaluateOnNewDocument(() => delete window.indexedDB);
         await page.setRequestInterception(true);
         page.on('request', (r) => (/\.sf[23]$/.test(r.url()) ? r.respond({status: 404})
                                                            : r.continue()));
         await page.goto(env.url);
         await page.waitForFunction(
             () => performance.getEntriesByName('skypop-first-frame').length > 0, {timeout: 10000});
         // The animation frames keep ticking the game: the title comes up from the boot screen.
         await page.waitForFunction(() => Module._SkypopGameMode() === 1, {timeout: 10000});
         // WebGL drawn in software (as here) would cost more than the 2D canvas.
         assert.ok(await page.evaluate(() => canvas.getContext('2d') !== null), '2D canvas');
         const look = await page.$eval('#canvas', (c) => {
           const r = c.getBoundingClientRect();
           const style = getComputedStyle(c);
           return {ratio: r.width / r.height, centred: Math.abs(r.left - (innerWidth - r.right)),
                   cursor: style.cursor, rendering: style.imageRendering,
                   fitsHeight: r.bottom <= innerHeight};
         });
         assert.ok(Math.abs(look.ratio - 4 / 3) < 0.01, `aspect ${look.ratio}`);
         assert.ok(look.centred < 1 && look.fitsHeight, 'letterboxed in the window');
         assert.deepStrictEqual([look.cursor, look.rendering], ['none', 'pixelated']);
         // A pointer moving faster than the frames come must not starve the ticks: each frame
         // handles every waiting message and still ticks, as the desktop loop does.
         const ticked = await page.evaluate(() => new Promise((resolve) => {
           const before = Module._SkypopNextTick();
           const flood = setInterval(() => {
             for (let i = 0; i < 8; i++) {
               window.dispatchEvent(new MouseEvent('mousemove', {clientX: 300 + i, clientY: 200}));
             }
           }, 1);
           setTimeout(() => {
             clearInterval(flood);
             resolve((Module._SkypopNextTick() - before) / 16.6);
           }, 1000);
         }));
         assert.ok(ticked >= 10, `only ${ticked} ticks while the pointer moved`);

         // Another tab in front hides the page: the running wave pauses, and Space resumes it.
         // (A hidden page has no animation frames to poll on: the waits there poll on a timer.)
         const hiddenWait = {timeout: 5000, polling: 100};
         await pointAt(page, 240, 240);
         await page.mouse.down();
         await new Promise((r) => setTimeout(r, 100));
         await page.mouse.up();
         await page.waitForFunction((wave) => Module._SkypopPlayPhase() === wave, {timeout: 10000},
                                     kPhaseWave);
         const other = await env.browser.newPage();
         await other.bringToFront();
         await page.waitForFunction(() => Module._SkypopGamePaused() === 1, hiddenWait);
         await page.bringToFront();
         await page.keyboard.down('Space');
         await new Promise((r) => setTimeout(r, 100));
         await page.keyboard.up('Space');
         await page.waitForFunction(() => Module._SkypopGamePaused() === 0, {timeout: 5000});

         // Once more, resumed with Start on the first gamepad this time (a stand-in gamepad in
         // the Gamepad API's standard mapping: Start is button 9).
         await other.bringToFront();
         await page.waitForFunction(() => Module._SkypopGamePaused() === 1, hiddenWait);
         await page.bringToFront();
         await page.evaluate(() => {
           const buttons = Array.from({length: 17}, (_, i) => ({pressed: i === 9, value: +(i === 9)}));
           const pad = {axes: [0, 0, 0, 0], buttons, connected: true, index: 0, id: 'stand-in',
                        mapping: 'standard', timestamp: performance.now()};
           Object.defineProperty(navigator, 'getGamepads', {configurable: true, value: () => [pad]});
         });
         await page.waitForFunction(() => Module._SkypopGamePaused() === 0, {timeout: 5000});
         assert.deepStrictEqual(page.errors, []);
         assert.deepStrictEqual(await page.$eval('#notes', (e) => [e.hidden, e.textContent]),
                                [false, 'The high scores are kept only until this page is ' +
                                        'closed. \u00b7 Music unavailable.']);
       } finally {
         await env.close();
       }
     });
