// The page in headless Chromium, used as a person would: squares clicked,
// buttons pressed, text pasted. Each engine move is checked against chess.js,
// no error may reach the console, and the main states are saved as
// screenshots (VELTA_SHOTS, default build/web-screenshots).
import assert from 'node:assert/strict';
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { brotliCompressSync, gzipSync, constants } from 'node:zlib';
import { Chess } from 'chess.js';
import puppeteer from 'puppeteer-core';
import { serve } from '../serve.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const WEB = resolve(process.env.VELTA_WEB || join(here, '..', '..', 'build', 'web'));
const SHOTS = resolve(process.env.VELTA_SHOTS || join(here, '..', '..', 'build', 'web-screenshots'));
const missing = !existsSync(CHROMIUM)
  ? `${CHROMIUM} not found`
  : !existsSync(join(WEB, 'engine', 'velta.js'))
    ? `no page in ${WEB} (make web)`
    : null;

let browser, server, url, profile;

before(async () => {
  if (missing) return;
  mkdirSync(SHOTS, { recursive: true });
  ({ server, url } = await serve(WEB, 0));
  profile = mkdtempSync(join(tmpdir(), 'velta-chromium-'));
  // The network is closed here: without these flags Chromium keeps trying it.
  browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: [
      '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`,
    ],
  });
});

after(async () => {
  await browser?.close();
  server?.close();
  if (profile) rmSync(profile, { recursive: true, force: true });
});

// A page of its own (fresh storage, no service worker yet), its console
// errors collected in page.errors; `cores`: the processors the page is told
// the machine has (the engine's threads follow them).
async function openPage({ width = 1280, height = 800, mobile = false, at = url, cores = 0 } = {}) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  if (cores) await page.evaluateOnNewDocument((n) => Object.defineProperty(navigator, 'hardwareConcurrency', { get: () => n }), cores);
  page.errors = [];
  page.on('console', (m) => m.type() === 'error' && page.errors.push(m.text()));
  page.on('pageerror', (e) => page.errors.push(e.message));
  await page.setViewport({ width, height, isMobile: mobile, hasTouch: mobile, deviceScaleFactor: mobile ? 2 : 1 });
  await page.goto(at, { waitUntil: 'load' });
  await page.waitForFunction(() => document.body.dataset.engine === 'ready', { timeout: 30000 });
  return page;
}

async function closePage(page) {
  assert.deepEqual(page.errors, [], 'errors reached the console');
  await page.browserContext().close();
}

const body = (page, key) => page.evaluate((k) => document.body.dataset[k], key);
const moves = async (page) => ((await body(page, 'moves')) || '').split(' ').filter(Boolean);
const text = (page, selector) => page.$eval(selector, (e) => e.textContent);
const shot = (page, name) => page.screenshot({ path: join(SHOTS, `${name}.png`) });

// Waits until the pieces drawn on the board are those of the page's
// position (a move's animation over).
async function boardShowsPosition(page) {
  await page.waitForFunction(() => {
    const drawn = [...document.querySelectorAll('.cm-chessboard .pieces g[data-piece]')]
      .filter((g) => g.getAttribute('visibility') !== 'hidden')
      .map((g) => `${g.dataset.square}${g.dataset.piece}`)
      .sort();
    const expected = [];
    document.body.dataset.fen.split(' ')[0].split('/').forEach((row, r) => {
      let file = 0;
      for (const c of row) {
        if (c >= '1' && c <= '8') file += Number(c);
        else expected.push(`${'abcdefgh'[file++]}${8 - r}${c === c.toUpperCase() ? 'w' : 'b'}${c.toLowerCase()}`);
      }
    });
    return drawn.join() === expected.sort().join();
  }, { timeout: 5000 });
}

async function clickSquare(page, square) {
  const rect = await page.$(`.cm-chessboard rect[data-square="${square}"]`);
  const box = await rect.boundingBox();
  await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
}

// Plays "e7e8q" by clicking its squares (and the promotion piece).
async function playOnBoard(page, uci) {
  await clickSquare(page, uci.slice(0, 2));
  await clickSquare(page, uci.slice(2, 4));
  if (uci.length > 4) {
    const piece = await page.waitForSelector(`.promotion-dialog-group rect[data-piece$="${uci[4]}"]`);
    await piece.click();
  }
}

async function waitForMoves(page, count) {
  try {
    await page.waitForFunction(
      (n) => (document.body.dataset.moves || '').split(' ').filter(Boolean).length >= n || document.body.dataset.state === 'over',
      { timeout: 30000 },
      count,
    );
  } catch (e) {
    await shot(page, 'failure');
    const seen = await page.evaluate(() => JSON.stringify(document.body.dataset));
    throw new Error(`waiting for ${count} moves: ${seen}`);
  }
}

// A reproducible choice among the legal moves.
function chooser(seed) {
  let x = seed;
  return (list) => {
    x = (x * 1103515245 + 12345) % 2147483648;
    return list[x % list.length];
  };
}

function expectedStatus(chess, human) {
  if (chess.isCheckmate()) return chess.turn() === human ? 'Checkmate: Velta wins.' : 'Checkmate: you win.';
  if (chess.isStalemate()) return 'Stalemate: draw.';
  if (chess.isInsufficientMaterial()) return 'Draw by insufficient material.';
  if (chess.isThreefoldRepetition()) return 'Draw by threefold repetition.';
  return 'Draw by fifty-move rule.';
}

test('a whole game against the engine, clicked square by square', { skip: missing ?? false, timeout: 300000 }, async (t) => {
  const started = Date.now();
  const page = await openPage();
  const timing = await page.evaluate(() => {
    const nav = performance.getEntriesByType('navigation')[0];
    return { load: Math.round(nav.loadEventEnd), ready: Math.round(performance.now()) };
  });
  t.diagnostic(`first load: page loaded in ${timing.load} ms, engine ready at ${timing.ready} ms (test start to ready ${Date.now() - started} ms)`);
  await page.select('#movetime', '100');
  const game = new Chess();
  const pick = chooser(7);
  while (!game.isGameOver()) {
    const legal = game.moves({ verbose: true });
    const mine = pick(legal);
    await playOnBoard(page, mine.lan);
    game.move(mine);
    if (game.isGameOver()) break;
    await waitForMoves(page, game.history().length + 1);
    const played = await moves(page);
    assert.deepEqual(played.slice(0, -1), game.history({ verbose: true }).map((m) => m.lan));
    const reply = played[played.length - 1];
    assert.doesNotThrow(() => game.move({ from: reply.slice(0, 2), to: reply.slice(2, 4), promotion: reply[4] }), `engine move ${reply}`);
    if (game.history().length === 12) await boardShowsPosition(page).then(() => shot(page, 'play'));
  }
  await page.waitForFunction(() => document.body.dataset.state === 'over');
  assert.equal(await text(page, '#status'), expectedStatus(game, 'w'));
  assert.equal(await body(page, 'fen'), game.fen());
  assert.match(await text(page, '#moves'), /(1-0|0-1|1\/2-1\/2)$/);
  t.diagnostic(`game over after ${game.history().length} half-moves: ${await text(page, '#status')}`);
  await boardShowsPosition(page);
  await shot(page, 'finished');
  // What the page loads, raw and compressed, with either engine build.
  const pageFiles = ['index.html', 'app.js', 'app.css', 'assets/pieces/standard.svg',
    'assets/extensions/markers/markers.svg', 'sw.js', 'manifest.webmanifest', 'icon.svg'];
  const builds = { single: ['velta.js', 'velta.wasm'], threaded: ['velta-threads.js', 'velta-threads.wasm', 'velta-threads.worker.js'] };
  for (const [build, engineFiles] of Object.entries(builds)) {
    let raw = 0, gz = 0, br = 0;
    for (const f of [...pageFiles, ...engineFiles.map((e) => `engine/${e}`)]) {
      const data = readFileSync(join(WEB, f));
      const g = gzipSync(data, { level: 9 }).length;
      const b = brotliCompressSync(data, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length;
      raw += data.length, gz += g, br += b;
      t.diagnostic(`${f}: ${data.length} bytes, gzip ${g}, brotli ${b}`);
    }
    t.diagnostic(`all with the ${build} engine: ${raw} bytes, gzip ${gz}, brotli ${br}`);
    assert.ok(gz < 1024 * 1024, 'the page loads under 1 MB compressed');
  }
  await closePage(page);
});

test('analysis shows lines in SAN, stops, and starts again', { skip: missing ?? false, timeout: 120000 }, async (t) => {
  // The local server isolates the page: the threaded engine, one thread short of the cores.
  const page = await openPage({ cores: 4 });
  assert.equal(await page.evaluate(() => crossOriginIsolated), true);
  assert.match(await text(page, '#engine-name'), /^Velta [\d.]+ · WebAssembly · 3 threads$/);
  await page.click('[data-mode="analyse"]');
  await page.click('.io summary');
  await page.type('#io-text', '1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 6. Re1 b5 7. Bb3 d6');
  await page.click('#load');
  await page.click('[data-multipv="3"]');
  // Walk back through the game for the graph: each position is analysed a moment.
  for (let i = 0; i < 6; i++) {
    await page.waitForFunction(() => document.querySelectorAll('#lines .line:not(.empty)').length === 3, { timeout: 30000 });
    await page.keyboard.press('ArrowLeft');
  }
  await page.waitForFunction(() => document.querySelectorAll('#lines .line:not(.empty)').length === 3, { timeout: 30000 });
  await page.waitForFunction(() => /depth (1[0-9]|[2-9][0-9])/.test(document.getElementById('stats').textContent), { timeout: 60000 });
  const lines = await page.$$eval('#lines .line .pv', (l) => l.map((e) => e.textContent));
  assert.equal(lines.length, 3);
  for (const line of lines) assert.match(line, /^\d+\.(\.\.)? [NBRQKa-hO][\w+#=-]*( |$)/);
  assert.equal(new Set(lines.map((l) => l.split(' ')[1])).size, 3, 'three different first moves');
  assert.ok((await page.$$eval('.graph-line', (l) => l.length)) === 1);
  await boardShowsPosition(page);
  await shot(page, 'analysis');
  t.diagnostic(`analysis: ${await text(page, '#stats')}`);
  await page.click('#analyse-toggle');
  await page.waitForFunction(() => document.body.dataset.state === 'idle');
  // A new analysis starts only once the engine has answered "stop".
  await page.click('[data-multipv="1"]');
  await page.keyboard.press('End');
  await page.click('#analyse-toggle');
  await page.waitForFunction(() => document.querySelectorAll('#lines .line:not(.empty)').length === 1, { timeout: 30000 });
  await page.click('#analyse-toggle');
  await closePage(page);
});

test('a FEN and a PGN are loaded; a promotion is chosen; the PGN is copied', { skip: missing ?? false, timeout: 120000 }, async () => {
  const page = await openPage();
  await page.click('.io summary');
  const fen = '8/P6k/8/8/8/8/6p1/K7 w - - 0 1';
  await page.type('#io-text', fen);
  await page.click('#load');
  assert.equal(await body(page, 'fen'), fen);
  await boardShowsPosition(page);
  await playOnBoard(page, 'a7a8n');
  await waitForMoves(page, 2);
  const [promotion, reply] = await moves(page);
  assert.equal(promotion, 'a7a8n');
  const chess = new Chess(fen);
  chess.move({ from: 'a7', to: 'a8', promotion: 'n' });
  assert.doesNotThrow(() => chess.move({ from: reply.slice(0, 2), to: reply.slice(2, 4), promotion: reply[4] }));
  await page.$eval('#io-text', (e) => (e.value = ''));
  await page.type('#io-text', '[Event "Test"]\n\n1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0');
  await page.click('#load');
  assert.equal((await moves(page)).length, 7);
  assert.equal(await text(page, '#status'), 'Checkmate: you win.');
  await boardShowsPosition(page);
  assert.equal(await page.$eval('.cm-chessboard .markers use.marker-check', (e) => e.closest('[data-square]').dataset.square), 'e8');
  await page.click('#copy-pgn');
  const pgn = await page.$eval('#io-text', (e) => e.value);
  assert.match(pgn, /\[Result "1-0"\]/);
  assert.match(pgn, /4\. Qxf7# 1-0/);
  // Nonsense is refused with a message and changes nothing.
  await page.$eval('#io-text', (e) => (e.value = 'not chess at all'));
  await page.click('#load');
  assert.match(await text(page, '#message'), /Not a valid/);
  assert.equal((await moves(page)).length, 7);
  await closePage(page);
});

test('take back, play as Black, flip', { skip: missing ?? false, timeout: 120000 }, async () => {
  const page = await openPage();
  await page.select('#movetime', '100');
  assert.equal(await page.$eval('#takeback', (b) => b.disabled), true);
  await playOnBoard(page, 'e2e4');
  await waitForMoves(page, 2);
  await page.click('#takeback');
  assert.deepEqual(await moves(page), []);
  assert.equal(await text(page, '#status'), 'Your move.');
  await page.click('[data-side="b"]');
  await page.click('#new-game');
  await waitForMoves(page, 1);
  assert.equal(await page.$eval('#takeback', (b) => b.disabled), true, 'nothing of ours to take back');
  const [first] = await moves(page);
  assert.doesNotThrow(() => new Chess().move({ from: first.slice(0, 2), to: first.slice(2, 4) }));
  // Black at the bottom: a8's square lies below a1's.
  // The board turns (animated) with Black at the bottom, then back on a flip.
  const whiteAtBottom = (wanted) => {
    const y = (square) => document.querySelector(`rect[data-square="${square}"]`).getBoundingClientRect().y;
    return y('a1') > y('a8') === wanted;
  };
  await page.waitForFunction(whiteAtBottom, { timeout: 5000 }, false);
  await page.click('#flip');
  await page.waitForFunction(whiteAtBottom, { timeout: 5000 }, true);
  await closePage(page);
});

test('a phone-width screen, and the page offline once loaded', { skip: missing ?? false, timeout: 120000 }, async () => {
  // A server of its own, as a plain web host (not isolated: one thread), stopped halfway.
  const own = await serve(WEB, 0, { isolated: false });
  const page = await openPage({ width: 390, height: 844, mobile: true, at: own.url });
  assert.equal(await page.evaluate(() => crossOriginIsolated), false);
  assert.match(await text(page, '#engine-name'), /· WebAssembly · 1 thread$/);
  assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth), 'nothing wider than the screen');
  const board = await page.$eval('#board', (b) => b.getBoundingClientRect().width);
  assert.ok(board >= 330, `board ${board} px wide`);
  await page.select('#movetime', '100');
  await page.tap('.cm-chessboard rect[data-square="d2"]');
  await page.tap('.cm-chessboard rect[data-square="d4"]');
  await waitForMoves(page, 2);
  await boardShowsPosition(page);
  assert.equal(await page.evaluate(() => window.scrollY), 0, 'the board stays in view');
  await shot(page, 'phone');
  await page.evaluate(() => navigator.serviceWorker.ready);
  own.server.close();
  own.server.closeAllConnections();
  await page.reload({ waitUntil: 'load' });
  await page.waitForFunction(() => document.body.dataset.engine === 'ready', { timeout: 30000 });
  assert.equal((await moves(page)).length, 2, 'the game was kept');
  await closePage(page);
});
