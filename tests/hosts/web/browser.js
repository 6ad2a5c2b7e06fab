// What every browser test shares: the site served on 127.0.0.1, Debian's Chromium driven headless
// by puppeteer-core (which never downloads a browser), and a page opened on the game with the
// test clock, its console watched for errors.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const {serve} = require('../../../tools/serve_site.js');

const root = path.resolve(__dirname, '../../..');
// The test build of the site (with the test hooks), and the site `make web` ships.
const site = process.env.SKYPOP_SITE || path.join(root, 'build-web/site-test');
const shippedSite = process.env.SKYPOP_SHIPPED_SITE || path.join(root, 'build-web/site');
const chromium = process.env.SKYPOP_CHROMIUM || '/usr/bin/chromium';
// SKYPOP_CHROMIUM_GPU=1 stands in for a device with a graphics chip (a phone): SwiftShader serves
// as one, so the page is composited as on a GPU and WebGL is not read back on the main thread, as
// it is with no GPU at all (the default here).
const graphics = process.env.SKYPOP_CHROMIUM_GPU === '1'
  ? ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist']
  : ['--disable-gpu'];

// Starts the server on folder (the test site unless told) and the browser; returns {url,
// server, browser, close}.
async function launch(folder = site) {
  if (!fs.existsSync(path.join(folder, 'skypop.wasm'))) {
    throw new Error(`no test build of the site in ${folder} (make web-test)`);
  }
  const server = await new Promise((resolve) => serve(folder, 0, (s) => resolve(s)));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'skypop-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    args: [
      '--headless=new', '--no-sandbox', ...graphics, '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--autoplay-policy=no-user-gesture-required',
    ],
  });
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    server,
    browser,
    async close() {
      await browser.close();
      server.close();
      fs.rmSync(profile, {recursive: true, force: true});
    },
  };
}

// Opens the game page (query appended to the address) at a 1:1 picture and waits until main has
// run. The returned page collects console errors and page errors in page.errors, and the warning
// of two syncs of the persistent folder overlapping (they would work on each other's half-done
// folder).
async function openGame(env, query = '?test') {
  const page = await env.browser.newPage();
  page.errors = [];
  page.on('console', (m) => {
    if (m.type() === 'error' || /FS\.syncfs operations in flight/.test(m.text())) {
      page.errors.push(m.text());
    }
  });
  page.on('pageerror', (e) => page.errors.push(String(e)));
  // 640 x 480 for the canvas and 2em for the help line: the picture is drawn at scale 1.
  await page.setViewport({width: 640, height: 508});
  await page.goto(env.url + query);
  await page.waitForFunction(() => window.skypop && window.skypop.ready, {timeout: 10000});
  return page;
}

// Moves the pointer to picture pixel (x, y) of the canvas.
async function pointAt(page, x, y) {
  const box = await page.$eval('#canvas', (c) => {
    const r = c.getBoundingClientRect();
    return {left: r.left, top: r.top, scale: r.width / c.width};
  });
  await page.mouse.move(box.left + (x + 0.5) * box.scale, box.top + (y + 0.5) * box.scale);
}

module.exports = {launch, openGame, pointAt, root, site, shippedSite};
