// A static file server for the browser version's site folder, on 127.0.0.1 only.
//   node tools/serve_site.js DIR [PORT]     (port 0 picks a free one; the address is printed)
// The browser tests start it the same way.
//
// Every answer carries an ETag and a Last-Modified date and says `no-cache`: the browser asks
// again each time (so a new build, its service worker and its index.html are seen at once) but a
// file that did not change comes back as an empty 304 instead of its megabytes again.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',  // a service worker's script needs a JavaScript type
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.sf2': 'application/octet-stream',
  '.txt': 'text/plain; charset=utf-8',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.ico': 'image/x-icon',
};

// A strong validator from the file's size and modification time in nanoseconds: a rebuild that
// rewrites a file gives it a new tag without the server reading it.
function entityTag(stat) {
  return `"${stat.size.toString(16)}-${stat.mtimeNs.toString(16)}"`;
}

// RFC 9110: If-None-Match wins over If-Modified-Since; tags compare weakly for GET and HEAD.
function notModified(request, tag, modified) {
  const match = request.headers['if-none-match'];
  if (match !== undefined) {
    return match.trim() === '*' ||
        match.split(',').some((t) => t.trim().replace(/^W\//, '') === tag);
  }
  const since = Date.parse(request.headers['if-modified-since'] || '');
  // HTTP dates have whole seconds (a change within the same second shows only in the ETag).
  return !Number.isNaN(since) && Math.floor(modified / 1000) * 1000 <= since;
}

function serve(root, port, onListening) {
  const base = path.resolve(root);
  const server = http.createServer((request, response) => {
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      response.writeHead(405, {'Allow': 'GET, HEAD'}).end();
      return;
    }
    let file;
    let url;
    try {
      url = new URL(request.url, 'http://127.0.0.1');
      file = path.normalize(path.join(base, decodeURIComponent(url.pathname)));
    } catch (e) {
      response.writeHead(400).end();  // a malformed address, such as a broken %-escape
      return;
    }
    // Nothing outside the site folder is ever served.
    if (file !== base && !file.startsWith(base + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    if (file === base || url.pathname.endsWith('/')) file = path.join(file, 'index.html');
    fs.stat(file, {bigint: true}, (statError, stat) => {
      if (statError || !stat.isFile()) {
        response.writeHead(404, {'Content-Type': 'text/plain'}).end('not found');
        return;
      }
      const modified = Number(stat.mtimeMs);
      const headers = {
        'ETag': entityTag(stat),
        'Last-Modified': new Date(modified).toUTCString(),
        'Cache-Control': 'no-cache',
      };
      if (notModified(request, headers.ETag, modified)) {
        response.writeHead(304, headers).end();
        return;
      }
      headers['Content-Type'] = types[path.extname(file)] || 'application/octet-stream';
      headers['Content-Length'] = String(stat.size);
      response.writeHead(200, headers);
      if (request.method === 'HEAD') {
        response.end();
        return;
      }
      fs.createReadStream(file).on('error', () => response.destroy()).pipe(response);
    });
  });
  server.listen(port, '127.0.0.1', () => onListening(server, server.address().port));
  return server;
}

module.exports = {serve};

if (require.main === module) {
  const root = process.argv[2] || 'build-web/site';
  const port = Number(process.argv[3] || 8170);
  if (!fs.existsSync(path.join(root, 'index.html'))) {
    console.error(`serve_site: no index.html in ${root} (run make web first)`);
    process.exit(1);
  }
  serve(root, port, (_, actual) => console.log(`SKYPOP FRENZY: http://127.0.0.1:${actual}/`));
}
