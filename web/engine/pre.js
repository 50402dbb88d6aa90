// The engine's input and output as messages. In a Web Worker the page posts
// command lines and receives every line the engine prints; under node the
// lines come from standard input and go to standard output, as with the
// console engine. The queue lives here; the engine takes its bytes when it
// polls (main.cpp), and sleeps on it when it waits for a command.
var veltaInput = (function () {
  var chunks = [];        // encoded lines not yet taken
  var closed = false;     // end of input: the engine ends once it has read everything
  var wake = null;        // resumes an engine waiting for input
  var lastYield = 0;
  var started = false;    // node: standard input is opened on the first read only
  var encoder = new TextEncoder();
  // Time between two returns to the event loop during a search. Each costs
  // a save and a restore of the search's stack and a trip through the event
  // loop; a command waits at most this long (plus one poll) to be read.
  var YIELD_MS = 20;
  var now = typeof performance !== 'undefined' ? function () { return performance.now(); } : Date.now;

  function push(text) {
    chunks.push(encoder.encode(text));
    if (wake) { var w = wake; wake = null; w(); }
  }
  function close() {
    closed = true;
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
    // Copies up to `size` waiting bytes to `buffer`; -1 at the end of input.
    take: function (buffer, size) {
      startNode();
      var n = 0;
      while (chunks.length && n < size) {
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

// (The glue's own environment flags are set after this file runs.)
if (typeof importScripts === 'function') {
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
