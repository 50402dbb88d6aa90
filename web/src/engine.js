// The engine in its Web Worker, spoken to in UCI text only: each message to
// the worker is a command line, each message back one line of output.
//
// One search at a time. A new search asked for while one runs sends "stop"
// and starts once the old search's "bestmove" has come (only the newest of
// the waiting requests is kept); "isready" serves as a barrier after
// commands that answer nothing. Everything else the page knows of the engine
// (its options, its levels) comes from its answer to "uci".
import { parseBestmove, parseInfo, parseOption } from './uci.js';

export function startEngine(url, { onLine = () => {}, onError = () => {} } = {}) {
  const worker = new Worker(url);
  const engine = {
    worker,
    name: '',
    options: {},       // by name, from "option name ..." lines
    running: null,     // the search whose "go" was sent and whose "bestmove" has not come
    waiting: null,     // the search to start after it
    readyWaiters: [],  // resolves for each "isready" sent, in order
    failed: false,
  };
  let uciDone;
  const uciAnswered = new Promise((resolve) => { uciDone = resolve; });

  worker.onmessage = (event) => {
    const line = String(event.data);
    onLine(line);
    if (line.startsWith('id name ')) engine.name = line.slice(8);
    else if (line.startsWith('option name ')) {
      const option = parseOption(line);
      if (option) engine.options[option.name] = option;
    } else if (line === 'uciok') uciDone();
    else if (line === 'readyok') engine.readyWaiters.shift()?.();
    else if (line.startsWith('info ')) {
      const info = parseInfo(line);
      if (info && engine.running && !engine.running.stopSent) engine.running.onInfo(info);
    } else if (line.startsWith('bestmove')) finishSearch(engine, parseBestmove(line));
  };
  worker.onerror = (event) => {
    engine.failed = true;
    event.preventDefault();
    onError(event.message || 'the engine could not be loaded');
  };
  send(engine, 'uci');
  engine.ready = uciAnswered.then(() => isReady(engine));
  return engine;
}

export function send(engine, line) {
  engine.worker.postMessage(line);
}

// Resolves once the engine has carried out everything sent before.
export function isReady(engine) {
  return new Promise((resolve) => {
    engine.readyWaiters.push(resolve);
    send(engine, 'isready');
  });
}

// Sets an option (only between searches: the caller stops first).
export function setOption(engine, name, value) {
  if (!(name in engine.options)) return false;
  send(engine, value === undefined ? `setoption name ${name}` : `setoption name ${name} value ${value}`);
  return true;
}

// Starts a search: `setup` lines (options, "position ...", or a function
// that gives them when the search starts) then `go`.
// Resolves with the engine's {move, ponder} or null when the search was
// replaced or stopped before it began. `onInfo` receives each parsed info
// line with a score and a line of moves, until "stop" is sent.
export function search(engine, { setup = [], go, onInfo = () => {} }) {
  return new Promise((resolve) => {
    const request = { setup, go, onInfo, resolve, stopSent: false };
    if (engine.waiting) engine.waiting.resolve(null);
    engine.waiting = request;
    if (engine.running) stopRunning(engine);
    else startWaiting(engine);
  });
}

// Ends the search (the running one answers, with the move it has) and drops
// one that waits; resolves once the engine is idle.
export function stop(engine) {
  if (engine.waiting) {
    engine.waiting.resolve(null);
    engine.waiting = null;
  }
  if (!engine.running) return Promise.resolve();
  const running = engine.running;
  stopRunning(engine);
  return running.done;
}

export function isSearching(engine) {
  return engine.running !== null;
}

function stopRunning(engine) {
  if (engine.running.stopSent) return;
  engine.running.stopSent = true;
  send(engine, 'stop');
}

function startWaiting(engine) {
  const request = engine.waiting;
  if (!request) return;
  engine.waiting = null;
  engine.running = request;
  request.done = new Promise((resolve) => { request.settle = resolve; });
  const setup = typeof request.setup === 'function' ? request.setup() : request.setup;
  for (const line of setup) send(engine, line);
  send(engine, request.go);
}

function finishSearch(engine, best) {
  const request = engine.running;
  engine.running = null;
  if (request) {
    request.resolve(request.stopSent && engine.waiting ? null : best);
    request.settle();
  }
  startWaiting(engine);
}
