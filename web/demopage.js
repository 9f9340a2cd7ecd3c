// The demo pages' shared behaviour. A page names its module's factory, the
// canvas context it needs and the parameters of its fixed run in data
// attributes of <body>; this script checks that the browser can run the demo,
// starts the program on the page's canvas, offers full screen on a click, says
// when the program has ended, with what it printed (a program prints only on
// failure), and offers to start it again. A fixed run (?spin=S&frames=N,
// ?frames=N) shows only the canvas and, when the program has shown frame N and
// ended without a word, sets the title to "frame N". window.demoPage is the
// page's state, for checks: state is "running", "ended", "fixed-done" or "failed".
'use strict';

(function () {
  var kRanges = {spin: [0, 359], frames: [1, 2147483647]};
  // A module of one function that uses a 128-bit SIMD instruction (i8x16.splat):
  // the programs are built with WebAssembly's SIMD.
  var kSimdProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0,
                                   10, 8, 1, 6, 0, 65, 0, 253, 15, 11]);

  function describe(name) {
    var range = kRanges[name];
    return name + ' a whole number from ' + range[0] + ' to ' + range[1];
  }

  // {run: null} without any of the names, {run: {...}} with each of them given
  // once and valid, {error: text} otherwise; other parameters are ignored.
  function parseFixedRun(names, search) {
    var params = new URLSearchParams(search);
    if (!names.some(function (name) { return params.has(name); })) {
      return {run: null};
    }
    var run = {};
    for (var i = 0; i < names.length; i++) {
      var values = params.getAll(names[i]);
      var text = values[0];
      var range = kRanges[names[i]];
      if (values.length !== 1 || !/^[0-9]{1,10}$/.test(text) || +text < range[0] || +text > range[1]) {
        return {error: 'A fixed run needs ' + names.map(describe).join(' and ') + '.'};
      }
      run[names[i]] = Number(text);
    }
    return {run: run};
  }

  function browserLacks(context) {
    if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
      return 'This demo needs WebAssembly, which this browser does not offer.';
    }
    if (!WebAssembly.validate(kSimdProbe)) {
      return 'This demo needs WebAssembly with SIMD, which this browser does not offer.';
    }
    var probe = document.createElement('canvas');
    if (!probe.getContext || !probe.getContext(context)) {
      var needed = context === 'webgl' ? 'WebGL' : 'an HTML5 canvas (' + context + ')';
      return 'This demo needs ' + needed + ', which this browser does not offer.';
    }
    return null;
  }

  function say(page, text, restartable) {
    page.message.hidden = false;
    page.message.querySelector('.message-text').textContent = text;
    page.message.querySelector('.restart').hidden = !restartable;
  }

  function ended(page, status) {
    if (status === 0 && page.fixedRun && page.output.length === 0) {
      page.state = 'fixed-done';
      document.title = 'frame ' + page.fixedRun.frames;
      return;
    }
    page.state = status === 0 ? 'ended' : 'failed';
    var outcome = status === 0 ? 'The demo has ended.'
                               : 'The demo could not open its display (exit status ' + status + ').';
    say(page, page.output.concat([outcome]).join('\n'), true);
  }

  function failed(page, text) {
    if (page.state === 'running') {
      page.state = 'failed';
      say(page, text, true);
    }
  }

  function start(page) {
    document.activeElement.blur();  // a focused button would take the keys meant for the demo
    page.message.hidden = true;
    page.state = 'running';
    page.output = [];
    // Emscripten makes this object the program's Module: the display finds the
    // canvas and the fixed run here, and leaves its frame statistics here.
    var module = {
      canvas: page.canvas,
      fixedRun: page.fixedRun,
      print: function (text) { page.output.push(text); console.log(text); },
      printErr: function (text) { console.error(text); },
      onExit: function (status) { ended(page, status); },
      onAbort: function () { failed(page, 'The demo stopped with an error.'); },
    };
    page.module = module;
    var factory = window[page.factoryName];
    if (typeof factory !== 'function') {
      failed(page, 'The demo\'s program could not be loaded.');
      return;
    }
    factory(module).catch(function () { failed(page, 'The demo\'s program could not be loaded.'); });
  }

  // page.escapeLocked tells checks that Escape now reaches the demo: only once
  // the browser has granted the lock, and only while still in full screen.
  function requestFullscreen(page) {
    if (page.state === 'running' && document.fullscreenEnabled && !document.fullscreenElement) {
      // Escape would only leave full screen: the keyboard lock hands it to the
      // demo, whose key it is (holding it still leaves full screen). A browser
      // without the lock (Firefox) keeps Escape for itself.
      page.canvas.requestFullscreen().then(function () {
        if (navigator.keyboard && typeof navigator.keyboard.lock === 'function') {
          return navigator.keyboard.lock(['Escape']).then(function () {
            page.escapeLocked = document.fullscreenElement !== null;
          });
        }
      }).catch(function () {});
    }
  }

  function setUp() {
    var body = document.body;
    var page = {
      canvas: document.getElementById('canvas'),
      message: document.querySelector('.message'),
      factoryName: body.dataset.factory,
      fixedRun: null,
      module: null,
      output: [],
      escapeLocked: false,
      state: 'failed',
    };
    window.demoPage = page;
    var fixed = parseFixedRun(body.dataset.fixedParams.split(' '), window.location.search);
    var problem = fixed.error || browserLacks(body.dataset.context);
    if (problem) {
      say(page, problem, false);
      return;
    }
    page.fixedRun = fixed.run;
    body.classList.toggle('fixed', page.fixedRun !== null);
    page.canvas.addEventListener('click', function () { requestFullscreen(page); });
    document.addEventListener('fullscreenchange', function () {
      page.escapeLocked = page.escapeLocked && document.fullscreenElement !== null;
    });
    page.message.querySelector('.restart').addEventListener('click', function () { start(page); });
    start(page);
  }

  document.addEventListener('DOMContentLoaded', setUp);
})();
