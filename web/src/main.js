// The page: a game against the engine or an analysis, on one board. The
// engine runs in a Web Worker and is spoken to in UCI text (engine.js); the
// rules are chess.js's (game.js). Everything shown is drawn from `state` by
// render(), which the engine's thinking calls at most once a frame.
import { Chessboard, COLOR, FEN, INPUT_EVENT_TYPE, BORDER_TYPE } from 'cm-chessboard/src/Chessboard.js';
import { Markers, MARKER_TYPE } from 'cm-chessboard/src/extensions/markers/Markers.js';
import {
  PromotionDialog,
  PROMOTION_DIALOG_RESULT_TYPE,
} from 'cm-chessboard/src/extensions/promotion-dialog/PromotionDialog.js';
import 'cm-chessboard/assets/chessboard.css';
import 'cm-chessboard/assets/extensions/markers/markers.css';
import 'cm-chessboard/assets/extensions/promotion-dialog/promotion-dialog.css';
import './style.css';

import { isReady, search, setOption, startEngine, stop } from './engine.js';
import {
  chessAt,
  gameResult,
  lineToSan,
  loadText,
  newGame,
  playMove,
  sideToMove,
  toPgn,
  truncate,
  uciPosition,
} from './game.js';
import { createGraph, drawGraph } from './graph.js';
import { formatScore, formatShortScore, formatSpeed, whiteScore, winningChances } from './uci.js';

// Engine builds: the threaded one where the page is cross-origin isolated
// (shared memory), the single-threaded one everywhere else. Set by build.mjs.
const ENGINES = globalThis.VELTA_ENGINES ?? { single: 'engine/velta.js', threaded: null };
const MOVE_TIMES = [100, 300, 1000, 2000, 5000, 10000];
const STORAGE_KEY = 'velta-page';

const MARK = {
  lastMove: { class: 'marker-last-move', slice: 'markerSquare' },
  check: { class: 'marker-check', slice: 'markerCircleFilled' },
};

const $ = (id) => document.getElementById(id);

const state = {
  mode: 'play',          // 'play' or 'analyse'
  game: newGame(),
  view: 0,               // the position shown: after this many moves
  human: 'w',            // the side the person plays
  sideChoice: 'w',       // 'w', 'b' or 'random', for the next game
  movetime: 1000,        // the engine's time per move (ms)
  elo: null,             // the engine's level when it has levels; null: full strength
  multipv: 1,            // analysis lines
  analysing: false,
  lines: [],             // analysis lines by rank: {info, fen}
  stats: null,           // the engine's last report: depth, speed, nodes
  thinking: false,       // the engine looks for its move
  newGameSent: false,    // "ucinewgame" has gone before the first search of this game
  engineReady: false,
  engineName: '',
  threads: 1,
  message: '',           // a passing note (copied, a bad FEN...)
};

let engine = null;
let board = null;
let graph = null;
let moveToken = 0;       // the engine's move search being waited for; older answers are dropped
let analysisToken = 0;
const applied = {};      // option values the engine has been given
let shownFen = '';
let renderQueued = false;
let messageTimer = 0;

// ---- Engine ---------------------------------------------------------------

function engineUrl() {
  return globalThis.crossOriginIsolated && ENGINES.threaded ? ENGINES.threaded : ENGINES.single;
}

async function initEngine() {
  const url = engineUrl();
  engine = startEngine(url, {
    onError: (message) => {
      state.message = `The engine could not start: ${message}`;
      render();
    },
  });
  await engine.ready;
  const threaded = url === ENGINES.threaded;
  if (threaded && engine.options.Threads) {
    const wanted = Math.max(1, Math.min((navigator.hardwareConcurrency || 2) - 1, 8, engine.options.Threads.max));
    setOption(engine, 'Threads', wanted);
    state.threads = wanted;
  }
  // The table keeps the engine's default size: it is made at start-up, and
  // memory a WebAssembly module has grown to is never given back.
  await isReady(engine);
  state.engineName = engine.name;
  state.engineReady = true;
  buildLevelChoice();
  render();
  resume();
}

// Option lines for the next search: only values that changed.
function optionLines(wanted) {
  const lines = [];
  if (!state.newGameSent) {
    lines.push('ucinewgame');
    state.newGameSent = true;
  }
  for (const [name, value] of Object.entries(wanted)) {
    if (!engine.options[name] || applied[name] === value) continue;
    applied[name] = value;
    lines.push(`setoption name ${name} value ${value}`);
  }
  return lines;
}

function hasLevels() {
  return Boolean(engine?.options.UCI_Elo && engine.options.UCI_LimitStrength);
}

function playOptions() {
  const limited = hasLevels() && state.elo !== null;
  const wanted = { MultiPV: 1 };
  if (hasLevels()) wanted.UCI_LimitStrength = limited;
  if (limited) wanted.UCI_Elo = state.elo;
  return wanted;
}

// Whatever the engine should be doing now: its move, an analysis, or nothing.
function resume() {
  if (!state.engineReady) return;
  if (state.mode === 'play') maybeEngineMove();
  else if (state.analysing) startAnalysis();
}

function engineToMove() {
  return state.mode === 'play' && !gameResult(state.game) && sideToMove(state.game.chess.fen()) !== state.human;
}

function maybeEngineMove() {
  if (!state.engineReady || !engineToMove() || state.thinking) return;
  const game = state.game;
  const ply = game.moves.length;
  const fen = game.fens[ply];
  const token = ++moveToken;
  state.thinking = true;
  state.stats = null;
  render();
  search(engine, {
    setup: () => [...optionLines(playOptions()), uciPosition(game, ply)],
    go: `go movetime ${state.movetime}`,
    onInfo: (info) => {
      if (token !== moveToken || info.multipv !== 1) return;
      state.stats = info;
      noteEval(ply, fen, info);
      scheduleRender();
    },
  }).then((best) => {
    if (token !== moveToken) return;
    state.thinking = false;
    if (!best || !best.move) return render();
    const followed = state.view === ply;
    const line = state.stats?.pv;
    const record = playMove(game, best.move);
    if (!record) {
      state.message = `The engine answered ${best.move}, which is not legal here.`;
      console.error(state.message);
      return render();
    }
    // The engine's score holds for the position after its expected move.
    if (line && line[0] === best.move && game.evals[ply]) game.evals[ply + 1] = { ...game.evals[ply], depth: 0 };
    if (followed) state.view = game.moves.length;
    afterMove(true);
  });
}

// Keeps the deepest evaluation of the position after `ply` moves.
function noteEval(ply, fen, info) {
  if (info.bound || state.game.fens[ply] !== fen) return;
  const known = state.game.evals[ply];
  if (known && known.depth > info.depth) return;
  state.game.evals[ply] = { score: whiteScore(info.score, sideToMove(fen) === 'w'), depth: info.depth };
}

function startAnalysis() {
  const game = state.game;
  const ply = state.view;
  const fen = game.fens[ply];
  const token = ++analysisToken;
  state.analysing = true;
  state.lines = [];
  state.stats = null;
  if (chessAt(game, ply).moves().length === 0) {
    stop(engine);
    return render();
  }
  search(engine, {
    setup: () => [...optionLines({ MultiPV: state.multipv, UCI_LimitStrength: false }), uciPosition(game, ply)],
    go: 'go infinite',
    onInfo: (info) => {
      if (token !== analysisToken || info.multipv > state.multipv) return;
      if (info.multipv === 1) state.stats = info;
      state.lines[info.multipv - 1] = { info, fen };
      if (info.multipv === 1) noteEval(ply, fen, info);
      scheduleRender();
    },
  });
  render();
}

function stopAnalysis() {
  ++analysisToken;
  state.analysing = false;
  stop(engine);
  render();
}

function stopEngineMove() {
  ++moveToken;
  state.thinking = false;
  if (engine) stop(engine);
}

// ---- Moves from the board ---------------------------------------------------

function canMoveOnBoard() {
  if (state.mode === 'analyse') return true;
  const game = state.game;
  return (
    state.view === game.moves.length &&
    !gameResult(game) &&
    sideToMove(game.fens[state.view]) === state.human &&
    !state.thinking
  );
}

// The board reports a move being entered; the page decides. A legal move is
// refused to the board and played by the page instead: the board's own way
// leaves it deaf to clicks until its redraw, which under load can last past
// the engine's answer.
function onBoardInput(event) {
  const here = chessAt(state.game, state.view);
  switch (event.type) {
    case INPUT_EVENT_TYPE.moveInputStarted: {
      if (!canMoveOnBoard()) return false;
      const moves = here.moves({ square: event.squareFrom, verbose: true });
      board.addLegalMovesMarkers(moves);
      return moves.length > 0;
    }
    case INPUT_EVENT_TYPE.validateMoveInput: {
      board.removeLegalMovesMarkers();
      const moves = here.moves({ square: event.squareFrom, verbose: true }).filter((m) => m.to === event.squareTo);
      if (!moves.length) return false;
      const move = { from: event.squareFrom, to: event.squareTo };
      if (moves[0].promotion) {
        board.showPromotionDialog(event.squareTo, moves[0].color, (result) => {
          if (result.type === PROMOTION_DIALOG_RESULT_TYPE.pieceSelected) humanMove({ ...move, promotion: result.piece.charAt(1) });
        });
      } else {
        queueMicrotask(() => humanMove(move));
      }
      return false;
    }
    case INPUT_EVENT_TYPE.moveInputCanceled:
      board.removeLegalMovesMarkers();
      return undefined;
    default:
      return undefined;
  }
}

function humanMove(move) {
  const game = state.game;
  if (state.mode === 'analyse' && state.view < game.moves.length) {
    // The game's own next move: just step forward.
    const next = game.moves[state.view];
    if (next.from === move.from && next.to === move.to && (next.uci[4] || undefined) === move.promotion) {
      return setView(state.view + 1);
    }
  }
  if (!playMove(game, move, state.view)) return;
  state.view = game.moves.length;
  afterMove(false);
}

// After a move by either side: show it, keep the game, let the engine go on.
function afterMove(animated) {
  state.message = '';
  save();
  render(animated);
  resume();
}

// ---- Navigation, games, import and export -----------------------------------

function setView(ply) {
  const last = state.game.moves.length;
  ply = Math.max(0, Math.min(last, ply));
  if (ply === state.view) return;
  state.view = ply;
  if (state.mode === 'analyse' && state.analysing) startAnalysis();
  else render();
  save();
}

function newGameClicked() {
  stopEngineMove();
  if (state.analysing) stopAnalysis();
  state.game = newGame();
  state.view = 0;
  state.newGameSent = false;
  state.human = state.sideChoice === 'random' ? (Math.random() < 0.5 ? 'w' : 'b') : state.sideChoice;
  if (state.mode === 'play') board.setOrientation(state.human === 'w' ? COLOR.white : COLOR.black);
  state.message = '';
  save();
  render();
  resume();
}

function takeback() {
  const game = state.game;
  if (!game.moves.length) return;
  if (state.mode === 'analyse') {
    truncate(game, game.moves.length - 1);
  } else {
    if (!game.moves.some((m) => m.color === state.human)) return;
    stopEngineMove();
    let ply = game.moves.length - 1;
    while (ply > 0 && sideToMove(game.fens[ply]) !== state.human) --ply;
    truncate(game, ply);
  }
  state.view = game.moves.length;
  state.message = '';
  save();
  render();
  resume();
}

function setMode(mode) {
  if (mode === state.mode) return;
  if (state.mode === 'play') stopEngineMove();
  if (state.mode === 'analyse' && state.analysing) stopAnalysis();
  state.mode = mode;
  state.lines = [];
  state.stats = null;
  if (mode === 'analyse') state.analysing = true;
  else state.view = state.game.moves.length;
  save();
  render();
  resume();
}

function loadClicked() {
  const loaded = loadText($('io-text').value);
  if (loaded.error) {
    state.message = loaded.error;
    return render();
  }
  stopEngineMove();
  state.game = loaded.game;
  state.view = loaded.game.moves.length;
  state.newGameSent = false;
  state.message = loaded.game.moves.length ? `Loaded a game of ${loaded.game.moves.length} moves.` : 'Position loaded.';
  save();
  render();
  resume();
}

function pgnText() {
  const game = state.game;
  const over = gameResult(game);
  const engineSide = state.human === 'w' ? 'Black' : 'White';
  const engineName = state.elo !== null && hasLevels() ? `Velta (${state.elo})` : 'Velta';
  const now = new Date();
  const tags = {
    Event: state.mode === 'play' ? 'Game against Velta' : 'Analysis',
    Site: 'Velta in the browser',
    Date: `${now.getFullYear()}.${String(now.getMonth() + 1).padStart(2, '0')}.${String(now.getDate()).padStart(2, '0')}`,
    Result: over ? over.result : '*',
  };
  if (state.mode === 'play') {
    tags[engineSide] = engineName;
    tags[engineSide === 'White' ? 'Black' : 'White'] = 'You';
  }
  return toPgn(game, tags);
}

async function copyPgn() {
  const pgn = pgnText();
  $('io-text').value = pgn;
  try {
    await navigator.clipboard.writeText(pgn);
    state.message = 'PGN copied to the clipboard.';
  } catch {
    state.message = 'The PGN is in the box below: select it and copy.';
  }
  render();
}

// ---- Drawing -----------------------------------------------------------------

function scheduleRender() {
  if (renderQueued) return;
  renderQueued = true;
  requestAnimationFrame(() => {
    renderQueued = false;
    render();
  });
}

function statusText() {
  const game = state.game;
  const atEnd = state.view === game.moves.length;
  const over = atEnd ? gameResult(game) : null;
  if (over) {
    if (over.reason === 'checkmate') {
      const who = state.mode === 'play' ? (over.winner === state.human ? 'you win' : 'Velta wins') : `${over.winner === 'w' ? 'White' : 'Black'} wins`;
      return `Checkmate: ${who}.`;
    }
    return over.reason === 'stalemate' ? 'Stalemate: draw.' : `Draw by ${over.reason}.`;
  }
  const here = chessAt(game, state.view);
  const check = here.inCheck() ? ' Check!' : '';
  const side = sideToMove(game.fens[state.view]) === 'w' ? 'White' : 'Black';
  if (!state.engineReady && !state.message) return 'Loading the engine…';
  if (state.mode === 'analyse') {
    return `${side} to move.${check}`;
  }
  if (!atEnd) return `Viewing move ${state.view} of ${game.moves.length}.`;
  if (state.thinking) return `Velta is thinking…${check}`;
  return sideToMove(game.fens[state.view]) === state.human ? `Your move.${check}` : `${side} to move.${check}`;
}

function statsText() {
  const s = state.stats;
  if (!s) return state.mode === 'analyse' && state.analysing ? 'starting…' : '';
  const nodes = s.nodes >= 1e6 ? `${(s.nodes / 1e6).toFixed(1)} M nodes` : `${Math.round((s.nodes || 0) / 1e3)} k nodes`;
  return `depth ${s.depth}${s.seldepth ? `/${s.seldepth}` : ''} · ${formatSpeed(s.nps)} · ${nodes}`;
}

function currentEval() {
  const evals = state.game.evals;
  for (let i = state.view; i >= 0; --i) if (evals[i]) return evals[i].score;
  return null;
}

function render(animated = false) {
  const game = state.game;
  const fen = game.fens[state.view];
  if (fen !== shownFen) {
    board.setPosition(fen, animated);
    shownFen = fen;
  }
  drawMarkers();
  document.body.dataset.fen = fen;
  document.body.dataset.moves = game.moves.map((m) => m.uci).join(' ');
  document.body.dataset.engine = state.engineReady ? 'ready' : 'loading';
  const over = gameResult(game);
  document.body.dataset.state = over ? 'over' : state.thinking ? 'thinking' : state.analysing ? 'analysing' : 'idle';
  document.body.classList.toggle('mode-play', state.mode === 'play');
  document.body.classList.toggle('mode-analyse', state.mode === 'analyse');

  $('status').textContent = statusText();
  $('status').classList.toggle('over', Boolean(over) && state.view === game.moves.length);
  if ($('message').textContent !== state.message) {
    $('message').textContent = state.message;
    clearTimeout(messageTimer);
    if (state.message) messageTimer = setTimeout(() => { state.message = ''; render(); }, 6000);
  }
  $('engine-name').textContent = state.engineReady
    ? `${state.engineName.replace(/ (x64|wasm).*$/, '')} · WebAssembly · ${state.threads} thread${state.threads > 1 ? 's' : ''}`
    : 'loading…';
  $('stats').textContent = state.thinking || state.mode === 'analyse' ? statsText() : '';
  for (const b of document.querySelectorAll('[data-mode]')) b.setAttribute('aria-pressed', String(b.dataset.mode === state.mode));
  for (const b of document.querySelectorAll('[data-side]')) b.setAttribute('aria-pressed', String(b.dataset.side === state.sideChoice));
  for (const b of document.querySelectorAll('[data-multipv]')) b.setAttribute('aria-pressed', String(Number(b.dataset.multipv) === state.multipv));
  $('analyse-toggle').textContent = state.analysing ? 'Stop' : 'Analyse';
  $('analyse-toggle').classList.toggle('active', state.analysing);
  $('takeback').disabled = !game.moves.length || (state.mode === 'play' && !game.moves.some((m) => m.color === state.human));
  $('fen').value = fen;
  drawEvalBar();
  drawLines();
  drawMoves();
  drawGraph(graph, game.evals, state.view);
}

function drawMarkers() {
  board.removeMarkers(MARK.lastMove);
  board.removeMarkers(MARK.check);
  const last = state.game.moves[state.view - 1];
  if (last) {
    board.addMarker(MARK.lastMove, last.from);
    board.addMarker(MARK.lastMove, last.to);
  }
  const here = chessAt(state.game, state.view);
  if (here.inCheck()) {
    const [king] = here.findPiece({ type: 'k', color: here.turn() });
    if (king) board.addMarker(MARK.check, king);
  }
}

function drawEvalBar() {
  const score = currentEval();
  const white = 50 + 50 * winningChances(score);
  $('evalbar-white').style.height = `${white}%`;
  $('evalbar-label').textContent = formatShortScore(score);
  $('evalbar').title = score ? `Evaluation ${formatScore(score)}` : 'Evaluation';
  $('evalbar').classList.toggle('flipped', board.getOrientation() === COLOR.black);
  $('evalbar').classList.toggle('black-ahead', white < 50);
}

const sanCache = new Map();
function sanLine(fen, pv) {
  const key = `${fen}|${pv.join(' ')}`;
  let text = sanCache.get(key);
  if (text === undefined) {
    if (sanCache.size > 500) sanCache.clear();
    text = lineToSan(fen, pv);
    sanCache.set(key, text);
  }
  return text;
}

function drawLines() {
  const list = $('lines');
  if (state.mode !== 'analyse') return void (list.innerHTML = '');
  const here = chessAt(state.game, state.view);
  if (!here.moves().length) {
    list.innerHTML = '<li class="line empty">No legal moves.</li>';
    return;
  }
  const items = [];
  for (let i = 0; i < state.multipv; i++) {
    const line = state.lines[i];
    if (!line) {
      items.push(`<li class="line empty"><span class="score"></span><span class="pv">${state.analysing ? '…' : ''}</span></li>`);
      continue;
    }
    const score = whiteScore(line.info.score, sideToMove(line.fen) === 'w');
    const cls = winningChances(score) >= 0 ? 'white' : 'black';
    items.push(
      `<li class="line" data-rank="${i}" title="Play the first move"><span class="score ${cls}">${formatScore(score)}</span>` +
        `<span class="pv">${sanLine(line.fen, line.info.pv)}</span></li>`,
    );
  }
  list.innerHTML = items.join('');
}

function drawMoves() {
  const moves = state.game.moves;
  const container = $('moves');
  const start = state.game.fens[0].split(' ');
  let number = Number(start[5]) || 1;
  const parts = [];
  if (moves.length && moves[0].color === 'b') parts.push(`<span class="num">${number}.</span><span class="move none">…</span>`);
  moves.forEach((m, i) => {
    if (m.color === 'w') parts.push(`<span class="num">${number}.</span>`);
    const current = i + 1 === state.view ? ' current' : '';
    parts.push(`<button class="move${current}" data-ply="${i + 1}">${m.san}</button>`);
    if (m.color === 'b') ++number;
  });
  const over = gameResult(state.game);
  if (over) parts.push(`<span class="result">${over.result}</span>`);
  const html = parts.join('');
  if (container.dataset.html !== html) {
    container.innerHTML = html || '<span class="hint">Moves appear here.</span>';
    container.dataset.html = html;
    // Only the list scrolls (never the page, which on a phone would leave the board).
    const current = container.querySelector('.current');
    if (state.view === moves.length) container.scrollTop = container.scrollHeight;
    else if (current) container.scrollTop = current.offsetTop - container.clientHeight / 2;
  }
}

function buildLevelChoice() {
  const select = $('level');
  const row = $('level-row');
  if (!hasLevels()) {
    row.hidden = true;
    state.elo = null;
    return;
  }
  const { min, max } = engine.options.UCI_Elo;
  const levels = [];
  const steps = 8;
  for (let i = 0; i < steps; i++) levels.push(Math.round((min + ((max - min) * i) / (steps - 1)) / 50) * 50);
  select.innerHTML =
    levels.map((elo, i) => `<option value="${elo}">Level ${i + 1} (${elo} Elo)</option>`).join('') +
    '<option value="full">Full strength</option>';
  if (state.elo !== null && !levels.includes(state.elo)) state.elo = levels[3];
  select.value = state.elo === null ? 'full' : String(state.elo);
  row.hidden = false;
}

// ---- Saving ------------------------------------------------------------------

function save() {
  try {
    const { mode, view, human, sideChoice, movetime, elo, multipv, game } = state;
    localStorage.setItem(
      STORAGE_KEY,
      JSON.stringify({ mode, view, human, sideChoice, movetime, elo, multipv, startFen: game.startFen, moves: game.moves.map((m) => m.uci), evals: game.evals }),
    );
  } catch {
    // Private windows may refuse storage: the page works without it.
  }
}

function restore() {
  let saved;
  try {
    saved = JSON.parse(localStorage.getItem(STORAGE_KEY) || 'null');
  } catch {
    saved = null;
  }
  if (!saved) return;
  const game = newGame(saved.startFen);
  for (const uci of saved.moves || []) if (!playMove(game, uci)) break;
  if (Array.isArray(saved.evals) && saved.evals.length === game.fens.length) game.evals = saved.evals;
  state.game = game;
  state.view = Math.min(saved.view ?? game.moves.length, game.moves.length);
  state.mode = saved.mode === 'analyse' ? 'analyse' : 'play';
  state.analysing = false;
  state.human = saved.human === 'b' ? 'b' : 'w';
  state.sideChoice = ['w', 'b', 'random'].includes(saved.sideChoice) ? saved.sideChoice : 'w';
  if (MOVE_TIMES.includes(saved.movetime)) state.movetime = saved.movetime;
  state.elo = typeof saved.elo === 'number' ? saved.elo : null;
  state.multipv = [1, 2, 3].includes(saved.multipv) ? saved.multipv : 1;
  if (state.mode === 'play') state.view = game.moves.length;
}

// ---- Start -------------------------------------------------------------------

function bindControls() {
  for (const b of document.querySelectorAll('[data-mode]')) b.addEventListener('click', () => setMode(b.dataset.mode));
  for (const b of document.querySelectorAll('[data-side]'))
    b.addEventListener('click', () => {
      state.sideChoice = b.dataset.side;
      save();
      render();
    });
  for (const b of document.querySelectorAll('[data-multipv]'))
    b.addEventListener('click', () => {
      state.multipv = Number(b.dataset.multipv);
      save();
      if (state.analysing) startAnalysis();
      else render();
    });
  $('movetime').innerHTML = MOVE_TIMES.map((t) => `<option value="${t}">${t < 1000 ? `${t / 1000} s` : `${t / 1000} s`}</option>`).join('');
  $('movetime').value = String(state.movetime);
  $('movetime').addEventListener('change', (e) => {
    state.movetime = Number(e.target.value);
    save();
  });
  $('level').addEventListener('change', (e) => {
    state.elo = e.target.value === 'full' ? null : Number(e.target.value);
    save();
  });
  $('new-game').addEventListener('click', newGameClicked);
  $('takeback').addEventListener('click', takeback);
  $('flip').addEventListener('click', () => {
    board.setOrientation(board.getOrientation() === COLOR.white ? COLOR.black : COLOR.white);
    render();
  });
  $('analyse-toggle').addEventListener('click', () => {
    if (state.analysing) stopAnalysis();
    else if (state.engineReady) startAnalysis();
  });
  $('first').addEventListener('click', () => setView(0));
  $('prev').addEventListener('click', () => setView(state.view - 1));
  $('next').addEventListener('click', () => setView(state.view + 1));
  $('last').addEventListener('click', () => setView(state.game.moves.length));
  $('moves').addEventListener('click', (e) => {
    const ply = e.target.closest('[data-ply]')?.dataset.ply;
    if (ply !== undefined) setView(Number(ply));
  });
  $('lines').addEventListener('click', (e) => {
    const rank = e.target.closest('[data-rank]')?.dataset.rank;
    const line = rank !== undefined && state.lines[Number(rank)];
    if (line && line.fen === state.game.fens[state.view]) humanMove({ ...fromPv(line.info.pv[0]) });
  });
  $('load').addEventListener('click', loadClicked);
  $('copy-pgn').addEventListener('click', copyPgn);
  document.addEventListener('keydown', (e) => {
    if (e.target.closest('input, textarea, select')) return;
    const keys = { ArrowLeft: -1, ArrowRight: 1 };
    if (e.key in keys) setView(state.view + keys[e.key]);
    else if (e.key === 'Home') setView(0);
    else if (e.key === 'End') setView(state.game.moves.length);
    else return;
    e.preventDefault();
  });
}

function fromPv(uci) {
  return { from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] };
}

function main() {
  restore();
  board = new Chessboard($('board'), {
    position: FEN.start,
    orientation: state.human === 'w' ? COLOR.white : COLOR.black,
    assetsUrl: 'assets/',
    style: { cssClass: 'velta', borderType: BORDER_TYPE.none, animationDuration: 200 },
    extensions: [{ class: Markers, props: { autoMarkers: MARKER_TYPE.square } }, { class: PromotionDialog }],
  });
  board.enableMoveInput(onBoardInput);
  graph = createGraph($('graph'), setView);
  bindControls();
  render();
  initEngine();
  if ('serviceWorker' in navigator && location.protocol !== 'file:') {
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
}

main();
