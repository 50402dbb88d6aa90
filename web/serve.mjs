// Serves the built page on this machine only, with the headers a threaded
// engine build needs: a cross-origin isolated page (COOP and COEP) may share
// memory between its workers. Every answer says "check again" (no-cache), so
// a new build shows on the next reload.
//
//   node serve.mjs [folder] [port]   (defaults: build/web, 8080 or the next free one)
import { createReadStream, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { dirname, extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
};

export const ISOLATION_HEADERS = {
  'Cross-Origin-Opener-Policy': 'same-origin',
  'Cross-Origin-Embedder-Policy': 'require-corp',
  'Cross-Origin-Resource-Policy': 'same-origin',
};

function answer(root, headers, request, response) {
  const url = new URL(request.url, 'http://localhost');
  let path = normalize(join(root, decodeURIComponent(url.pathname)));
  if (path !== root && !path.startsWith(root + sep)) return fail(response, headers, 403);
  let stat;
  try {
    stat = statSync(path);
    if (stat.isDirectory()) {
      path = join(path, 'index.html');
      stat = statSync(path);
    }
  } catch {
    return fail(response, headers, 404);
  }
  response.writeHead(200, {
    'Content-Type': TYPES[extname(path)] || 'application/octet-stream',
    'Content-Length': stat.size,
    'Cache-Control': 'no-cache',
    ...headers,
  });
  if (request.method === 'HEAD') return response.end();
  createReadStream(path).pipe(response);
}

function fail(response, headers, status) {
  response.writeHead(status, { 'Content-Type': 'text/plain', ...headers });
  response.end(`${status}\n`);
}

// Listens on 127.0.0.1 at `port` (0: any free port), or on the next free
// port when it is taken; resolves with the server and its address. Without
// `isolated` it answers as a plain web host would, and the page falls back to
// the single-threaded engine.
export function serve(root, port = 0, { isolated = true } = {}) {
  root = resolve(root);
  const headers = isolated ? ISOLATION_HEADERS : {};
  return new Promise((done, failed) => {
    const server = createServer((request, response) => answer(root, headers, request, response));
    server.on('error', (error) => {
      if (error.code === 'EADDRINUSE' && port && port < 65535) serve(root, port + 1, { isolated }).then(done, failed);
      else failed(error);
    });
    server.listen(port, '127.0.0.1', () => {
      done({ server, url: `http://127.0.0.1:${server.address().port}/` });
    });
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const here = dirname(fileURLToPath(import.meta.url));
  const root = process.argv[2] || join(here, '..', 'build', 'web');
  const { url } = await serve(root, Number(process.argv[3] || 8080));
  console.log(`Velta is served at ${url} (Ctrl-C to stop)`);
}
