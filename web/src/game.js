// The game on the page: where it started, the moves played (the main line
// only: a move played at an earlier point replaces what followed), the
// position after each, and the engine's evaluation of each position when
// known. Rules, SAN and PGN come from chess.js.
import { Chess, DEFAULT_POSITION, validateFen } from 'chess.js';

export const START_FEN = DEFAULT_POSITION;

// game.fens[i] and game.evals[i] belong to the position after i moves
// (i = 0: the start); game.chess holds the last one with its history, which
// the repetition and fifty-move rules need.
export function newGame(startFen = START_FEN) {
  const chess = new Chess(startFen);
  return { startFen: chess.fen(), moves: [], fens: [chess.fen()], evals: [null], chess };
}

// Plays a move given as "e7e8q" or {from, to, promotion} at `ply` (the end
// of the game by default); returns its record, or null when it is not legal.
export function playMove(game, move, ply = game.moves.length) {
  if (ply < game.moves.length) truncate(game, ply);
  const wanted = typeof move === 'string' ? fromUci(move) : move;
  let played;
  try {
    played = game.chess.move(wanted);
  } catch {
    return null;
  }
  const record = { uci: played.lan, san: played.san, color: played.color, from: played.from, to: played.to };
  game.moves.push(record);
  game.fens.push(game.chess.fen());
  game.evals.push(null);
  return record;
}

// Keeps the first `ply` moves.
export function truncate(game, ply) {
  const kept = game.moves.slice(0, ply);
  const evals = game.evals.slice(0, ply + 1);
  const fresh = newGame(game.startFen);
  for (const m of kept) playMove(fresh, m.uci);
  Object.assign(game, fresh, { evals });
}

export function fromUci(uci) {
  return { from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci.length > 4 ? uci[4] : undefined };
}

// A board of the position after `ply` moves (without the history before it).
export function chessAt(game, ply) {
  return ply === game.moves.length ? game.chess : new Chess(game.fens[ply]);
}

export function sideToMove(fen) {
  return fen.split(' ')[1];
}

// How the game has ended, or null: {result, reason, winner} with the winner
// 'w', 'b' or null for a draw.
export function gameResult(game) {
  const chess = game.chess;
  if (chess.isCheckmate()) {
    const winner = chess.turn() === 'w' ? 'b' : 'w';
    return { result: winner === 'w' ? '1-0' : '0-1', reason: 'checkmate', winner };
  }
  const draw = (reason) => ({ result: '1/2-1/2', reason, winner: null });
  if (chess.isStalemate()) return draw('stalemate');
  if (chess.isInsufficientMaterial()) return draw('insufficient material');
  if (chess.isThreefoldRepetition()) return draw('threefold repetition');
  if (chess.isDrawByFiftyMoves()) return draw('fifty-move rule');
  return null;
}

// The "position" command for the position after `ply` moves: the moves that
// led there go with it, so that the engine sees repetitions.
export function uciPosition(game, ply = game.moves.length) {
  const start = game.startFen === START_FEN ? 'startpos' : `fen ${game.startFen}`;
  const moves = game.moves.slice(0, ply).map((m) => m.uci);
  return moves.length ? `position ${start} moves ${moves.join(' ')}` : `position ${start}`;
}

// An engine line from `fen` in SAN with move numbers: "12. Nf3 Nc6 13. Bb5"
// or "12... Nc6 13. Bb5"; stops at the first move that is not legal.
export function lineToSan(fen, uciMoves, limit = 12) {
  const chess = new Chess(fen);
  const parts = [];
  for (const uci of uciMoves.slice(0, limit)) {
    const number = chess.moveNumber();
    const white = chess.turn() === 'w';
    let move;
    try {
      move = chess.move(fromUci(uci));
    } catch {
      break;
    }
    if (white) parts.push(`${number}. ${move.san}`);
    else parts.push(parts.length ? move.san : `${number}... ${move.san}`);
  }
  return parts.join(' ');
}

// The game in PGN with the given tags (the start position is recorded when
// it is not the usual one).
export function toPgn(game, tags = {}) {
  const chess = new Chess(game.startFen);
  if (game.startFen !== START_FEN) {
    chess.setHeader('SetUp', '1');
    chess.setHeader('FEN', game.startFen);
  }
  for (const [key, value] of Object.entries(tags)) chess.setHeader(key, value);
  for (const m of game.moves) chess.move(fromUci(m.uci));
  return chess.pgn({ maxWidth: 80 });
}

// A pasted FEN or PGN as a new game (a PGN's moves all played); {game} or
// {error}.
export function loadText(text) {
  const trimmed = text.trim();
  if (!trimmed) return { error: 'Paste a FEN or a PGN first.' };
  if (!trimmed.includes('[') && !/\d\.\s*\S/.test(trimmed) && trimmed.split('/').length === 8) {
    const check = validateFen(trimmed);
    if (!check.ok) return { error: `Not a valid FEN: ${check.error}` };
    return { game: newGame(trimmed) };
  }
  const chess = new Chess();
  try {
    chess.loadPgn(trimmed);
  } catch (e) {
    return { error: `Not a valid PGN: ${e.message}` };
  }
  const headers = chess.getHeaders();
  const game = newGame(headers.FEN || START_FEN);
  for (const m of chess.history({ verbose: true })) playMove(game, m.lan);
  return { game, headers };
}
