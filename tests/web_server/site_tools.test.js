// The site's node tools: the development server's answers and the service worker's precache list.
'use strict';
const assert = require('node:assert');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const test = require('node:test');
const vm = require('node:vm');
const {serve} = require('../../tools/serve_site.js');
const {makePrecache} = require('../../tools/site/make_precache.js');

// A fresh site folder holding the named files (each its own name as contents) and a writer.
function site(t, names) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'skypop-site-'));
  t.after(() => fs.rmSync(dir, {recursive: true}));
  const write = (name, text) => {
    fs.mkdirSync(path.dirname(path.join(dir, name)), {recursive: true});
    fs.writeFileSync(path.join(dir, name), text);
  };
  names.forEach((name) => write(name, name));
  return {dir, write};
}

test('the server answers 304 for what did not change, 200 once it did', async (t) => {
  const {dir, write} = site(t, ['index.html', 'skypop.webmanifest']);
  const server = await new Promise((resolve) => serve(dir, 0, resolve));
  t.after(() => server.closeAllConnections() || server.close());
  const get = (name, headers) => fetch(new URL(name, `http://127.0.0.1:${server.address().port}`),
                                       {headers});
  const first = await get('', {});
  assert.deepStrictEqual([first.status, first.headers.get('cache-control')], [200, 'no-cache']);
  const tag = {'If-None-Match': first.headers.get('etag')};
  const date = {'If-Modified-Since': first.headers.get('last-modified')};
  for (const headers of [tag, date]) assert.strictEqual((await get('', headers)).status, 304);
  write('index.html', 'rebuilt');  // within the same second: only the tag can tell
  const changed = await get('', {...tag, ...date});
  assert.deepStrictEqual([changed.status, await changed.text()], [200, 'rebuilt']);
  assert.strictEqual((await get('skypop.webmanifest', {})).headers.get('content-type'),
                     'application/manifest+json');
});

test('the precache lists every site file but the worker and test files, by content', (t) => {
  const {dir, write} = site(t, ['index.html', 'skypop.wasm', 'icons/a.png', 'test/hooks.js']);
  const inWorker = () => JSON.parse(vm.runInNewContext(  // run as a browser would run it
      `${fs.readFileSync(path.join(dir, 'service_worker.js'))};JSON.stringify(PRECACHE)`,
      {self: {addEventListener() {}}}));
  const first = makePrecache(dir, '1.0.0');
  assert.deepStrictEqual(first.files, ['icons/a.png', 'index.html', 'skypop.wasm']);
  assert.match(first.cache, /^skypop-1\.0\.0-[0-9a-f]{12}$/);
  assert.deepStrictEqual(inWorker(), first);
  write('test/hooks.js', 'changed');  // and the worker is in the site now too
  assert.strictEqual(makePrecache(dir, '1.0.0').cache, first.cache);
  write('icons/a.png', 'changed');
  assert.notStrictEqual(makePrecache(dir, '1.0.0').cache, first.cache);
});
