// A static file server for the browser version's site folder, on 127.0.0.1 only.
//   node tools/serve_site.js DIR [PORT]     (port 0 picks a free one; the address is printed)
// The browser tests start it the same way.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.sf2': 'application/octet-stream',
  '.txt': 'text/plain; charset=utf-8',
  '.json': 'application/json',
  '.png': 'image/png',
  '.ico': 'image/x-icon',
};

function serve(root, port, onListening) {
  const base = path.resolve(root);
  const server = http.createServer((request, response) => {
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
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404, {'Content-Type': 'text/plain'}).end('not found');
        return;
      }
      const type = types[path.extname(file)] || 'application/octet-stream';
      response.writeHead(200, {'Content-Type': type, 'Cache-Control': 'no-cache'});
      response.end(data);
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
