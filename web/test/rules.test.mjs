// The page's logic without a browser: reading UCI lines, the game record
// (rules, endings, PGN and FEN in and out), and the search queue in front
// of the engine's worker, here a scripted stand-in.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { isReady, search, startEngine, stop } from '../src/engine.js';
import { gameResult, lineToSan, loadText, newGame, playMove, toPgn, truncate, uciPosition } from '../src/game.js';
import { formatScore, parseBestmove, parseInfo, parseOption, whiteScore, winningChances } from '../src/uci.js';

test('UCI lines are read into scores, lines, options and moves', () => {
  const info = parseInfo('info depth 12 seldepth 20 multipv 2 score cp -31 lowerbound time 50 nodes 1200 nps 24000 hashfull 3 pv e2e4 e7e5');
  assert.deepEqual(info, {
    multipv: 2, depth: 12, seldepth: 20, score: { cp: -31 }, bound: 'lowerbound', time: 50, nodes: 1200, nps: 24000,
    hashfull: 3, pv: ['e2e4', 'e7e5'],
  });
  assert.deepEqual(parseInfo('info depth 30 score mate -3 pv h7h8q').score, { mate: -3 });
  assert.equal(parseInfo('info depth 30 score mate -3 pv h7h8q').multipv, 1, 'a line without multipv is the first');
  for (const line of ['info string Mate in 3 half-moves !', 'info depth 9 currmove e2e4 currmovenumber 1', 'info depth 5 score cp 3', 'bestmove e2e4'])
    assert.equal(parseInfo(line), null, line);

  assert.deepEqual(parseOption('option name UCI_Elo type spin default 1500 min 800 max 2800'),
    { name: 'UCI_Elo', type: 'spin', default: 1500, min: 800, max: 2800 });
  assert.deepEqual(parseOption('option name Move Overhead type spin default 0 min 0 max 5000').name, 'Move Overhead');
  assert.equal(parseOption('option name Ponder type check default false').default, false);
  assert.equal(parseOption('option name SyzygyPath type string default <empty>').default, '<empty>');
  assert.deepEqual(parseOption('option name Clear Hash type button'), { name: 'Clear Hash', type: 'button', default: '' });

  assert.deepEqual(parseBestmove('bestmove e7e8q ponder a2a1'), { move: 'e7e8q', ponder: 'a2a1' });
  assert.deepEqual(parseBestmove('bestmove 0000'), { move: null, ponder: null });

  // Scores turn to White's side; chances are bounded and grow with the score.
  assert.deepEqual(whiteScore({ cp: 50 }, false), { cp: -50 });
  assert.deepEqual(whiteScore({ mate: -2 }, false), { mate: 2 });
  assert.equal(winningChances({ mate: 2 }), 1);
  assert.equal(winningChances({ mate: -1 }), -1);
  assert.ok(winningChances({ cp: 100 }) > winningChances({ cp: 30 }) && winningChances({ cp: 100000 }) < 1);
  assert.equal(winningChances({ cp: 0 }), 0);
  assert.deepEqual([{ cp: 31 }, { cp: -120 }, { cp: 0 }, { mate: 3 }, { mate: -2 }].map(formatScore), ['+0.31', '\u22121.20', '0.00', '#3', '#-2']);
});

test('the game record: moves, endings, positions for the engine', () => {
  const game = newGame();
  for (const m of ['g1f3', 'g8f6', 'f3g1', 'f6g8', 'g1f3', 'g8f6', 'f3g1']) assert.ok(playMove(game, m), m);
  assert.equal(gameResult(game), null);
  assert.equal(playMove(game, 'e2e5'), null, 'an illegal move is refused');
  playMove(game, 'f6g8');
  assert.equal(gameResult(game).reason, 'threefold repetition');
  assert.equal(uciPosition(game, 2), 'position startpos moves g1f3 g8f6');

  // A move at an earlier point replaces what followed; evaluations before it stay.
  game.evals[1] = { score: { cp: 20 }, depth: 8 };
  game.evals[5] = { score: { cp: 30 }, depth: 8 };
  playMove(game, { from: 'e7', to: 'e5' }, 1);
  assert.deepEqual(game.moves.map((m) => m.uci), ['g1f3', 'e7e5']);
  assert.deepEqual(game.evals, [null, { score: { cp: 20 }, depth: 8 }, null]);
  truncate(game, 0);
  assert.equal(game.fens.length, 1);

  const ends = {
    'checkmate': ['rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 2', 'd8h4'],
    'stalemate': ['7k/8/5Q2/6K1/8/8/8/8 w - - 0 1', 'f6f7'],
    'insufficient material': ['7k/8/8/8/8/8/6q1/6BK w - - 0 1', 'h1g2'],
    'fifty-move rule': ['7k/8/8/8/8/8/R7/7K w - - 99 80', 'a2b2'],
  };
  for (const [reason, [fen, move]] of Object.entries(ends)) {
    const g = newGame(fen);
    assert.equal(gameResult(g), null, reason);
    playMove(g, move);
    assert.equal(gameResult(g).reason, reason);
  }
  assert.deepEqual(gameResult(loadText('1. f3 e5 2. g4 Qh4#').game), { result: '0-1', reason: 'checkmate', winner: 'b' });
});

test('FEN and PGN in, PGN and SAN lines out', () => {
  const fen = '8/P6k/8/8/8/8/6p1/K7 w - - 0 1';
  const fromFen = loadText(`  ${fen}\n`).game;
  assert.equal(fromFen.startFen, fen);
  assert.equal(uciPosition(fromFen), `position fen ${fen}`);
  playMove(fromFen, 'a7a8n');
  const pgn = toPgn(fromFen, { White: 'You', Result: '*' });
  assert.match(pgn, /\[SetUp "1"\]/);
  assert.match(pgn, /\[FEN "8\/P6k\/8\/8\/8\/8\/6p1\/K7 w - - 0 1"\]/);
  assert.match(pgn, /1\. a8=N \*/);
  // A game that starts from its FEN tag comes back the same.
  const back = loadText(pgn).game;
  assert.equal(back.startFen, fen);
  assert.deepEqual(back.moves.map((m) => m.uci), ['a7a8n']);

  assert.match(loadText('8/8/8/8/8/8/8/8 w - - 0 1').error, /FEN/);
  assert.match(loadText('1. e4 e5 2. Ke3 Ke6').error, /PGN/);
  assert.match(loadText('').error, /Paste/);

  const start = newGame().fens[0];
  assert.equal(lineToSan(start, ['e2e4', 'e7e5', 'g1f3']), '1. e4 e5 2. Nf3');
  assert.equal(lineToSan(loadText('1. e4').game.fens[1], ['e7e5', 'g1f3', 'b8c6', 'e1e8']), '1... e5 2. Nf3 Nc6', 'stops at an illegal move');
});

// A worker that answers like the engine: "uciok", "readyok", and for each
// "go" one info line, then "bestmove" when the go ends (at once for a
// depth search, on "stop" for an infinite one).
class ScriptedWorker {
  constructor() {
    this.received = [];
    this.infinite = false;
    ScriptedWorker.last = this;
  }
  postMessage(line) {
    this.received.push(line);
    const answer = (text) => setTimeout(() => this.onmessage({ data: text }), 1);
    if (line === 'uci') ['id name Scripted', 'option name MultiPV type spin default 1 min 1 max 500', 'uciok'].forEach(answer);
    else if (line === 'isready') answer('readyok');
    else if (line.startsWith('go')) {
      answer(`info depth 1 score cp ${this.received.length} pv e2e4`);
      this.infinite = line.includes('infinite');
      if (!this.infinite) answer('bestmove e2e4');
    } else if (line === 'stop' && this.infinite) {
      this.infinite = false;
      answer('bestmove d2d4');
    }
  }
}

test('one search at a time: a new one stops the running one and starts after its answer', async () => {
  globalThis.Worker = ScriptedWorker;
  const engine = startEngine('scripted.js');
  await engine.ready;
  const worker = ScriptedWorker.last;
  assert.equal(engine.name, 'Scripted');
  assert.equal(engine.options.MultiPV.max, 500);

  const seen = [];
  const first = search(engine, { setup: ['position startpos'], go: 'go infinite', onInfo: (i) => seen.push(['first', i.score.cp]) });
  await new Promise((r) => setTimeout(r, 20));
  const replaced = search(engine, { setup: () => ['position fen x'], go: 'go depth 3' });
  const last = search(engine, { setup: () => ['position fen y'], go: 'go depth 4', onInfo: (i) => seen.push(['last', i.score.cp]) });
  assert.equal(await replaced, null, 'a request replaced before it began answers null');
  assert.equal(await first, null, 'a stopped search that another replaced answers null');
  assert.deepEqual(await last, { move: 'e2e4', ponder: null });
  const sent = worker.received.slice(worker.received.indexOf('position startpos'));
  assert.deepEqual(sent, ['position startpos', 'go infinite', 'stop', 'position fen y', 'go depth 4']);
  assert.deepEqual(seen.map((s) => s[0]), ['first', 'last']);

  // stop() on an infinite search gives its move; on an idle engine it does nothing.
  const analysis = search(engine, { go: 'go infinite' });
  await new Promise((r) => setTimeout(r, 10));
  await stop(engine);
  assert.deepEqual(await analysis, { move: 'd2d4', ponder: null });
  await stop(engine);
  await isReady(engine);
  assert.equal(worker.received.filter((l) => l === 'stop').length, 2);
  delete globalThis.Worker;
});
