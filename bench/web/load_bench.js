// The first visit: what it costs to download and how soon it plays.
//   node bench/web/load_bench.js [VISITS]      (after make web-test; 5 visits unless told)
//
// Weight: one first visit to the shipped site (build-web/site), counting every file the server
// sends for it, whoever asks (the page, or a service worker filling its cache), raw and
// gzip-compressed (zlib's default level, as a web server would send it).
// Time: VISITS first visits to the test site (build-web/site-test), each in a fresh browser
// context (empty cache, no service worker), on an emulated 10 Mbit/s link with 40 ms latency, the
// files sent uncompressed as tools/serve_site.js sends them: the median and worst time from the
// navigation to the first frame on the canvas and to the music being ready (the page's
// 'skypop-music-ready' mark: the synthesizer has loaded the soundfont on the page, or, where the
// audio worklet will play it, all its files are in and wait for the player's first click).
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const {launch, shippedSite} = require('../../tests/hosts/web/browser.js');
const {serve} = require('../../tools/serve_site.js');

const visits = Number(process.argv[2] || 5);
const kLink = {offline: false, latency: 40, downloadThroughput: 10e6 / 8, uploadThroughput: 10e6 / 8};
// Targets, in bytes (1 KB = 1,000 bytes) and milliseconds.
const kSoundfontTarget = 400e3;
const kRawTarget = 1.6e6;
const kGzipTarget = 800e3;
const kFirstFrameTarget = 800;
const kMusicTarget = 1500;

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const kb = (bytes) => `${(bytes / 1000).toFixed(1)} KB`;

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

// Both marks, in milliseconds from the start of the navigation; waits up to `timeout` for them.
async function marks(page, timeout) {
  const names = ['skypop-first-frame', 'skypop-music-ready'];
  await page.waitForFunction(
      (n) => n.every((name) => performance.getEntriesByName(name).length > 0), {timeout}, names);
  return page.evaluate(
      (n) => n.map((name) => performance.getEntriesByName(name)[0].startTime), names);
}

// One first visit to the shipped site; returns the files the server sent in full, by name.
async function weigh(browser) {
  const sent = new Map();
  sent.revalidated = 0;  // answered 304: the browser's own copy was still good, no body sent
  let last = Date.now();
  const server = await new Promise((resolve) => serve(shippedSite, 0, (s) => resolve(s)));
  server.on('request', (request, response) => {
    last = Date.now();
    response.on('finish', () => {
      const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).slice(1) ||
                   'index.html';
      if (response.statusCode === 200) sent.set(name, (sent.get(name) || 0) + 1);
      if (response.statusCode === 304) sent.revalidated++;
    });
  });
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    await marks(page, 30000);
    // Whatever follows the music (a service worker's cache, say) belongs to the first visit too:
    // wait until the server has been asked nothing for two seconds.
    for (const until = Date.now() + 20000; Date.now() - last < 2000 && Date.now() < until;) {
      await sleep(200);
    }
  } finally {
    await context.close();
    server.close();
  }
  return sent;
}

async function time(env) {
  const context = await env.browser.createBrowserContext();
  try {
    const page = await context.newPage();
    await page.setViewport({width: 640, height: 508});
    const cdp = await page.createCDPSession();
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions', kLink);
    await page.goto(env.url);
    return await marks(page, 60000);
  } finally {
    await context.close();
  }
}

(async () => {
  const env = await launch();
  try {
    const sent = await weigh(env.browser);
    let raw = 0;
    let gzip = 0;
    console.log(`first visit to the shipped site (${shippedSite}):`);
    console.log('  file                                   raw bytes   gzip bytes  times sent');
    for (const name of [...sent.keys()].sort()) {
      const data = fs.readFileSync(path.join(shippedSite, name));
      const packed = zlib.gzipSync(data).length;
      const times = sent.get(name);
      raw += times * data.length;
      gzip += times * packed;
      console.log(`  ${name.padEnd(36)} ${String(data.length).padStart(11)} ${String(packed).padStart(12)}` +
                  ` ${String(times).padStart(11)}`);
    }
    const soundfont = [...sent.keys()].filter((n) => n.endsWith('.sf2'));
    for (const name of soundfont) {
      const size = fs.statSync(path.join(shippedSite, name)).size;
      console.log(`soundfont ${name}: ${kb(size)} (target ${kb(kSoundfontTarget)})`);
    }
    console.log(`whole first visit: ${kb(raw)} raw (target ${kb(kRawTarget)}),` +
                ` ${kb(gzip)} gzip-compressed (target ${kb(kGzipTarget)});` +
                ` ${sent.revalidated} more answered 304 (unchanged, no body)`);

    const frames = [];
    const music = [];
    for (let i = 0; i < visits; i++) {
      const [frame, ready] = await time(env);
      frames.push(frame);
      music.push(ready);
    }
    const line = (what, values, target) =>
      console.log(`${what}: median ${median(values).toFixed(0)} ms, worst` +
                  ` ${Math.max(...values).toFixed(0)} ms of ${visits} first visits (target ${target} ms)`);
    console.log(`on a ${kLink.downloadThroughput * 8 / 1e6} Mbit/s, ${kLink.latency} ms link, served` +
                ' uncompressed (test site):');
    line('  first frame', frames, kFirstFrameTarget);
    line('  music ready', music, kMusicTarget);
  } finally {
    await env.close();
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
