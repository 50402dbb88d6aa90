// Builds the page into one static folder (default build/web): the bundle
// (app.js, app.css) from src/ with esbuild, the board's piece and marker
// sprites, and a service worker that keeps every file for offline use. The
// engine (engine/velta.js and .wasm) is built into the same folder first by
// web/engine/engine.mk.
//
//   node build.mjs [output folder]
import { createHash } from 'node:crypto';
import { copyFileSync, existsSync, mkdirSync, readdirSync, readFileSync, statSync, writeFileSync } from 'node:fs';
import { dirname, join, relative, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import * as esbuild from 'esbuild';

const here = dirname(fileURLToPath(import.meta.url));
const out = resolve(process.argv[2] || join(here, '..', 'build', 'web'));
mkdirSync(out, { recursive: true });

// A threaded engine build, when there is one, is used by pages that are
// cross-origin isolated (they may share memory between workers).
const engines = {
  single: 'engine/velta.js',
  threaded: existsSync(join(out, 'engine', 'velta-threads.js')) ? 'engine/velta-threads.js' : null,
};

await esbuild.build({
  entryPoints: [join(here, 'src', 'main.js')],
  bundle: true,
  minify: true,
  format: 'esm',
  target: ['es2020'],
  outfile: join(out, 'app.js'),
  define: { 'globalThis.VELTA_ENGINES': JSON.stringify(engines) },
  legalComments: 'eof',
  logLevel: 'warning',
});

const copies = {
  'index.html': 'index.html',
  'icon.svg': 'icon.svg',
  'manifest.webmanifest': 'manifest.webmanifest',
  'node_modules/cm-chessboard/assets/pieces/standard.svg': 'assets/pieces/standard.svg',
  'node_modules/cm-chessboard/assets/extensions/markers/markers.svg': 'assets/extensions/markers/markers.svg',
};
for (const [from, to] of Object.entries(copies)) {
  mkdirSync(dirname(join(out, to)), { recursive: true });
  copyFileSync(join(here, from), join(out, to));
}

// The service worker lists every file the page may load, and its version is
// their hash: any change makes browsers fetch the new set once.
function files(dir) {
  return readdirSync(dir).flatMap((name) => {
    const path = join(dir, name);
    return statSync(path).isDirectory() ? files(path) : [path];
  });
}
const served = files(out)
  .map((path) => relative(out, path).split('\\').join('/'))
  .filter((path) => path !== 'sw.js' && !path.endsWith('.map'))
  .sort();
const hash = createHash('sha256');
for (const path of served) hash.update(path).update(readFileSync(join(out, path)));
const worker = readFileSync(join(here, 'sw.js'), 'utf8')
  .replace('__VERSION__', hash.digest('hex').slice(0, 16))
  .replace('__FILES__', JSON.stringify(['./', ...served.filter((p) => p !== 'index.html')]));
writeFileSync(join(out, 'sw.js'), worker);
console.log(`page built in ${relative(process.cwd(), out) || '.'}: ${served.length + 1} files`);
