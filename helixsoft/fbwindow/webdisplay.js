// The browser half of the web display (fbplatform_web.cpp): the canvas and its
// 2D context, the cursor over it, the wake lock that stands in for switching
// the screen saver off, and the wait through which the program's one loop
// yields to the page until the next animation frame. Module.frameStats counts
// the frames shown and how long our code ran between two waits, for checks.
mergeInto(LibraryManager.library, {
  $webDisplay: {context: null, image: null, wakeLock: null, resumedAt: 0},

  webDisplayProbe__deps: ['$webDisplay'],
  webDisplayProbe: function() {
    var canvas = Module['canvas'];
    // alpha: false lets the browser skip blending; the pixels are opaque anyway.
    webDisplay.context = canvas && canvas.getContext ? canvas.getContext('2d', {alpha: false}) : null;
    return webDisplay.context ? 1 : 0;
  },

  webDisplayAttach__deps: ['$webDisplay', '$specialHTMLTargets'],
  webDisplayAttach: function() {
    if (!webDisplay.context) return 0;
    specialHTMLTargets['!canvas'] = Module['canvas'];
    Module['frameStats'] = {presents: 0, waits: 0, busyMs: 0, busyMaxMs: 0, firstWaitAt: 0, lastWaitAt: 0};
    return 1;
  },

  webDisplaySetSize__deps: ['$webDisplay'],
  webDisplaySetSize: function(width, height) {
    var canvas = Module['canvas'];
    canvas.width = width;
    canvas.height = height;
    webDisplay.image = null;
  },

  webDisplaySetTitle: function(title) {
    document.title = UTF8ToString(title);
  },

  webDisplayPresent__deps: ['$webDisplay'],
  webDisplayPresent: function(rgba, width, height) {
    var image = webDisplay.image;
    // The image views our memory directly; a grown memory is a new buffer.
    if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== rgba) {
      var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
      image = webDisplay.image = new ImageData(bytes, width, height);
    }
    webDisplay.context.putImageData(image, 0, 0);
    Module['frameStats'].presents += 1;
  },

  webDisplayShowCursor: function(shown) {
    Module['canvas'].style.cursor = shown ? '' : 'none';
  },

  // Refusals (a hidden page, no permission, no API) only cost the lock.
  webDisplayKeepAwake__deps: ['$webDisplay'],
  webDisplayKeepAwake: function(awake) {
    if (awake && !webDisplay.wakeLock && navigator.wakeLock) {
      webDisplay.wakeLock = navigator.wakeLock.request('screen').catch(function() { return null; });
    } else if (!awake && webDisplay.wakeLock) {
      webDisplay.wakeLock.then(function(lock) { return lock && lock.release(); }).catch(function() {});
      webDisplay.wakeLock = null;
    }
  },

  webDisplayLeaveFullscreen: function() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(function() {});
    }
  },

  // Resumes on the first animation frame at least `milliseconds` after the
  // call; a hidden page gets no animation frames, so the program rests there.
  webDisplayWait__deps: ['$webDisplay'],
  webDisplayWait: function(milliseconds) {
    Asyncify.handleSleep(function(wakeUp) {
      var start = performance.now();
      var stats = Module['frameStats'];
      if (stats && webDisplay.resumedAt) {
        var busy = start - webDisplay.resumedAt;
        stats.waits += 1;
        stats.busyMs += busy;
        stats.busyMaxMs = Math.max(stats.busyMaxMs, busy);
        stats.firstWaitAt = stats.firstWaitAt || start;
        stats.lastWaitAt = start;
      }
      function tick() {
        var now = performance.now();
        if (now - start < milliseconds) {
          requestAnimationFrame(tick);
          return;
        }
        webDisplay.resumedAt = now;
        wakeUp();
      }
      requestAnimationFrame(tick);
    });
  },
});
