// Reading the engine's UCI answers: option declarations, "info" lines and
// "bestmove". Pure functions of one line each; the engine's scores are from
// the side to move's point of view, as UCI has them.

const INFO_NUMBERS = ['depth', 'seldepth', 'multipv', 'nodes', 'nps', 'time', 'hashfull', 'tbhits'];

// "info depth 12 seldepth 20 multipv 2 score cp -31 lowerbound nodes ... pv e2e4 e7e5"
// gives {depth, seldepth, multipv, score: {cp} or {mate}, bound, nodes, nps,
// time, hashfull, pv: [...]}; a line without a score and a line (null for
// anything else, such as "info string" or "info currmove").
export function parseInfo(line) {
  const words = line.trim().split(/\s+/);
  if (words[0] !== 'info' || words[1] === 'string') return null;
  const info = { multipv: 1, pv: [] };
  for (let i = 1; i < words.length; i++) {
    const w = words[i];
    if (INFO_NUMBERS.includes(w)) {
      info[w] = Number(words[++i]);
    } else if (w === 'score') {
      const kind = words[++i];
      const value = Number(words[++i]);
      if (kind === 'cp') info.score = { cp: value };
      else if (kind === 'mate') info.score = { mate: value };
    } else if (w === 'lowerbound' || w === 'upperbound') {
      info.bound = w;
    } else if (w === 'pv') {
      info.pv = words.slice(i + 1);
      break;
    } else if (w === 'currmove' || w === 'currmovenumber') {
      return null;
    }
  }
  return info.score && info.pv.length ? info : null;
}

// "option name UCI_Elo type spin default 1500 min 800 max 2800"
export function parseOption(line) {
  const m = /^option name (.+?) type (\w+)(.*)$/.exec(line.trim());
  if (!m) return null;
  const option = { name: m[1], type: m[2] };
  const rest = m[3];
  const field = (key) => {
    const f = new RegExp(`\\b${key} (\\S+)`).exec(rest);
    return f ? f[1] : undefined;
  };
  if (option.type === 'spin') {
    option.default = Number(field('default'));
    option.min = Number(field('min'));
    option.max = Number(field('max'));
  } else if (option.type === 'check') {
    option.default = field('default') === 'true';
  } else {
    const d = /\bdefault (.*?)( var |$)/.exec(rest);
    option.default = d ? d[1] : '';
  }
  return option;
}

// "bestmove e2e4 ponder e7e5" gives {move, ponder}; "bestmove 0000" a null move.
export function parseBestmove(line) {
  const words = line.trim().split(/\s+/);
  if (words[0] !== 'bestmove') return null;
  const move = words[1] && words[1] !== '0000' && words[1] !== '(none)' ? words[1] : null;
  return { move, ponder: words[2] === 'ponder' ? words[3] || null : null };
}

// A score for White: positive when White stands better.
export function whiteScore(score, whiteToMove) {
  if (!score) return null;
  const sign = whiteToMove ? 1 : -1;
  return 'mate' in score ? { mate: sign * score.mate } : { cp: sign * score.cp };
}

// White's expected share of the game from -1 (lost) to +1 (won): pawns count
// for less the further ahead one already is, and a mate is decided.
export function winningChances(score) {
  if (!score) return 0;
  if ('mate' in score) return score.mate > 0 ? 1 : -1;
  const cp = Math.max(-1500, Math.min(1500, score.cp));
  return 2 / (1 + Math.exp(-0.00368208 * cp)) - 1;
}

// "+0.31", "-1.20", "#3", "#-2" (White's point of view).
export function formatScore(score) {
  if (!score) return '';
  if ('mate' in score) return score.mate > 0 ? `#${score.mate}` : `#-${-score.mate}`;
  const pawns = score.cp / 100;
  return (pawns > 0 ? '+' : pawns < 0 ? '\u2212' : '') + Math.abs(pawns).toFixed(2);
}

// The same, short enough for the evaluation bar: "+0.3", "−4", "M3".
export function formatShortScore(score) {
  if (!score) return '';
  if ('mate' in score) return `M${Math.abs(score.mate)}`;
  const pawns = Math.abs(score.cp / 100);
  return (score.cp < 0 ? '\u2212' : '') + (pawns >= 10 ? pawns.toFixed(0) : pawns.toFixed(1));
}

// "1.2 M", "850 k" nodes per second.
export function formatSpeed(nps) {
  if (!nps) return '';
  if (nps >= 1e6) return `${(nps / 1e6).toFixed(1)} Mn/s`;
  return `${Math.round(nps / 1e3)} kn/s`;
}
