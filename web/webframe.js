// What the page programs share in the browser: the wait in which a program's
// one loop yields to the page until an animation frame (Asyncify unwinds and
// rewinds the stack around it), the cursor over the canvas, and leaving full
// screen. Module.frameStats counts the frames shown and how long our code ran
// between two waits, for checks and the frame-time figures.
mergeInto(LibraryManager.library, {
  $webFrame: {
    resumedAt: 0,
    stats: function() {
      if (!Module['frameStats']) {
        Module['frameStats'] = {presents: 0, waits: 0, busyMs: 0, busyMaxMs: 0, firstWaitAt: 0,
                                lastWaitAt: 0};
      }
      return Module['frameStats'];
    },
  },

  webFramePresented__deps: ['$webFrame'],
  webFramePresented: function() {
    webFrame.stats().presents += 1;
  },

  // Resumes on the first animation frame at least `milliseconds` after the
  // call; a hidden page gets no animation frames, so the program rests there.
  webFrameWait__deps: ['$webFrame'],
  webFrameWait: function(milliseconds) {
    Asyncify.handleSleep(function(wakeUp) {
      var start = performance.now();
      var stats = webFrame.stats();
      if (webFrame.resumedAt) {
        var busy = start - webFrame.resumedAt;
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
        webFrame.resumedAt = now;
        wakeUp();
      }
      requestAnimationFrame(tick);
    });
  },

  webShowCursor: function(shown) {
    Module['canvas'].style.cursor = shown ? '' : 'none';
  },

  webLeaveFullscreen: function() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(function() {});
    }
  },
});
