// The engine's input and output as messages. In a Web Worker the page posts
// command lines and receives every line the engine prints; under node the
// lines come from standard input and go to standard output, as with the
// console engine. Without threads the queue lives here and the engine takes
// its bytes (main.cpp); with threads each message is handed at once to the
// engine's own queue, which its command loop waits on.
var veltaInput = (function () {
  var chunks = [];        // lines not yet taken (or not yet handed over)
  var closed = false;     // end of input: the engine ends once it has read everything
  var wake = null;        // resumes an engine waiting for input
  var lastYield = 0;
  var ready = false;      // the runtime is up: messages may be handed over
  var started = false;    // node: standard input is opened on the first read only
  var encoder = new TextEncoder();
  // Time between two returns to the event loop during a search. Each costs
  // a save and a restore of the search's stack and a trip through the event
  // loop; a command waits at most this long (plus one poll) to be read.
  var YIELD_MS = 20;
  var now = typeof performance !== 'undefined' ? function () { return performance.now(); } : Date.now;

  // The threaded build exports the engine's own queue.
  function threaded() { return typeof Module['_velta_message'] === 'function'; }
  function handOver() {
    if (!ready || !threaded()) return;
    while (chunks.length) Module['ccall']('velta_message', null, ['string'], [chunks.shift()]);
    if (closed) Module['ccall']('velta_close', null, [], []);
  }
  function push(text) {
    chunks.push(text);
    handOver();
    if (wake) { var w = wake; wake = null; w(); }
  }
  function close() {
    closed = true;
    handOver();
    if (wake) { var w = wake; wake = null; w(); }
  }
  function startNode() {
    if (started || !ENVIRONMENT_IS_NODE) return;
    started = true;
    process.stdin.on('data', function (data) { push(data.toString()); });
    process.stdin.on('end', close);
  }
  // A zero-delay return to the event loop: a message on a channel of our own
  // is delivered after the messages already waiting (a timer of zero would
  // be stretched to 4 ms by the browser).
  var channel = null;
  var pending = [];
  function yieldOnce() {
    lastYield = now();
    if (ENVIRONMENT_IS_NODE) return new Promise(function (resolve) { setImmediate(resolve); });
    if (!channel) {
      channel = new MessageChannel();
      channel.port1.onmessage = function () { pending.shift()(); };
    }
    return new Promise(function (resolve) { pending.push(resolve); channel.port2.postMessage(0); });
  }
  return {
    push: push,
    close: close,
    started: function () { ready = true; startNode(); handOver(); },
    // Copies up to `size` waiting bytes to `buffer`; -1 at the end of input.
    take: function (buffer, size) {
      startNode();
      var n = 0;
      while (chunks.length && n < size) {
        if (typeof chunks[0] === 'string') chunks[0] = encoder.encode(chunks[0]);
        var c = chunks[0], k = Math.min(c.length, size - n);
        HEAPU8.set(c.subarray(0, k), buffer + n);
        n += k;
        if (k === c.length) chunks.shift(); else chunks[0] = c.subarray(k);
      }
      return n === 0 && closed ? -1 : n;
    },
    shouldYield: function () { return now() - lastYield >= YIELD_MS ? 1 : 0; },
    yieldOnce: yieldOnce,
    waitForInput: function () {
      startNode();
      lastYield = now();
      if (chunks.length || closed) return Promise.resolve();
      return new Promise(function (resolve) { wake = resolve; });
    },
  };
})();
Module['veltaInput'] = veltaInput;
// The threaded build hands each message to the engine once the runtime is up
// (its program runs on a thread of its own by then, or soon after).
Module['onRuntimeInitialized'] = function () { veltaInput.started(); };

// (The glue's own environment flags are set after this file runs.) A
// thread of the threaded build runs this file too, in a worker of its own:
// only the worker that hosts the engine speaks for it.
if (typeof importScripts === 'function' && !Module['ENVIRONMENT_IS_PTHREAD']) {
  // Every line of the engine, standard output and standard error alike, is
  // one message; the page reads UCI from them and ignores the rest.
  Module['print'] = function (line) { postMessage(line); };
  Module['printErr'] = function (line) { postMessage(line); };
  // After "quit" the worker has nothing left to do.
  Module['onExit'] = function () { self.close(); };
  self.onmessage = function (e) {
    String(e.data).split('\n').forEach(function (line) { veltaInput.push(line + '\n'); });
  };
}
