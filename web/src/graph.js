// The evaluation over the game: one point per position whose evaluation is
// known, White's winning chances from the bottom (lost) to the top (won),
// White's share of the height light and Black's dark. A click goes to the
// position nearest to it.
import { winningChances } from './uci.js';

const SVG = 'http://www.w3.org/2000/svg';
const WIDTH = 600, HEIGHT = 100;

export function createGraph(container, onPick) {
  const svg = document.createElementNS(SVG, 'svg');
  svg.setAttribute('viewBox', `0 0 ${WIDTH} ${HEIGHT}`);
  svg.setAttribute('preserveAspectRatio', 'none');
  svg.setAttribute('class', 'graph-svg');
  svg.setAttribute('role', 'img');
  svg.setAttribute('aria-label', 'Evaluation over the game');
  container.appendChild(svg);
  const graph = { svg, plies: 0 };
  svg.addEventListener('click', (event) => {
    const box = svg.getBoundingClientRect();
    const x = ((event.clientX - box.left) / box.width) * WIDTH;
    onPick(Math.max(0, Math.min(graph.plies, Math.round(x / step(graph.plies)))));
  });
  return graph;
}

function step(plies) {
  return WIDTH / Math.max(plies, 20);
}

// Redraws for `evals` (one per position, null where unknown) with the
// position `current` marked.
export function drawGraph(graph, evals, current) {
  const plies = evals.length - 1;
  graph.plies = plies;
  const dx = step(plies);
  const y = (score) => HEIGHT / 2 - (winningChances(score) * (HEIGHT - 8)) / 2;
  const points = [];
  evals.forEach((e, i) => {
    if (e) points.push([i * dx, y(e.score)]);
  });
  const parts = [`<rect class="graph-bg" x="0" y="0" width="${WIDTH}" height="${HEIGHT}"/>`];
  if (points.length) {
    const line = points.map(([px, py]) => `${px.toFixed(1)},${py.toFixed(1)}`).join(' ');
    const first = points[0][0].toFixed(1), last = points[points.length - 1][0].toFixed(1);
    parts.push(`<polygon class="graph-white" points="${first},${HEIGHT} ${line} ${last},${HEIGHT}"/>`);
    parts.push(`<polyline class="graph-line" points="${line}"/>`);
  }
  parts.push(`<line class="graph-mid" x1="0" y1="${HEIGHT / 2}" x2="${WIDTH}" y2="${HEIGHT / 2}"/>`);
  const cx = (current * dx).toFixed(1);
  parts.push(`<line class="graph-cursor" x1="${cx}" y1="0" x2="${cx}" y2="${HEIGHT}"/>`);
  graph.svg.innerHTML = parts.join('');
}
