// Lists every file of the built site and writes the service worker that precaches them.
//   node tools/site/make_precache.js SITE_DIR VERSION
// Reads service_worker.js beside this script, fills in this build's cache name and file list,
// and writes it as SITE_DIR/service_worker.js. Run it once the site folder is otherwise complete:
// any file added afterwards is neither cached nor part of the hash.
'use strict';
const crypto = require('crypto');
const fs = require('fs');
const path = require('path');

const WORKER = 'service_worker.js';
// Folders the test build adds to the site; players never load them.
const TEST_ONLY = new Set(['test']);
const PRECACHE_LINE = /^const PRECACHE = .*;$/m;

// The site's files as '/'-separated paths relative to dir, sorted, without the worker itself
// and without test-only folders.
function listSiteFiles(dir) {
  const files = [];
  const walk = (folder, prefix) => {
    for (const entry of fs.readdirSync(folder, {withFileTypes: true})) {
      const name = prefix + entry.name;
      if (entry.isDirectory()) {
        if (!TEST_ONLY.has(entry.name)) walk(path.join(folder, entry.name), name + '/');
      } else if (entry.isFile() && name !== WORKER) {
        files.push(name);
      }
    }
  };
  walk(dir, '');
  return files.sort();
}

// sha-256 over every name and its contents, each with its length so no two sites run together;
// the first 12 hex digits (48 bits) name the build.
function siteHash(dir, files) {
  const hash = crypto.createHash('sha256');
  for (const name of files) {
    const data = fs.readFileSync(path.join(dir, name));
    hash.update(`${name.length}:${name}\0${data.length}:`);
    hash.update(data);
  }
  return hash.digest('hex').slice(0, 12);
}

// Writes dir/service_worker.js for this build; returns its cache name and files.
function makePrecache(dir, version) {
  if (!/^[0-9A-Za-z._-]+$/.test(version)) throw new Error(`unusable version "${version}"`);
  if (!fs.existsSync(path.join(dir, 'index.html'))) throw new Error(`no index.html in ${dir}`);
  const files = listSiteFiles(dir);
  const precache = {cache: `skypop-${version}-${siteHash(dir, files)}`, files};
  const source = fs.readFileSync(path.join(__dirname, WORKER), 'utf8');
  if (!PRECACHE_LINE.test(source)) throw new Error(`${WORKER} has no PRECACHE line to fill in`);
  const line = `const PRECACHE = ${JSON.stringify(precache)};`;
  fs.writeFileSync(path.join(dir, WORKER), source.replace(PRECACHE_LINE, () => line));
  return precache;
}

module.exports = {listSiteFiles, siteHash, makePrecache};

if (require.main === module) {
  const [dir, version] = process.argv.slice(2);
  if (!dir || !version) {
    console.error('usage: make_precache.js SITE_DIR VERSION');
    process.exit(2);
  }
  try {
    const {cache, files} = makePrecache(dir, version);
    console.log(`${cache}: ${files.length} files`);
  } catch (error) {
    console.error(`make_precache: ${error.message}`);
    process.exit(1);
  }
}
