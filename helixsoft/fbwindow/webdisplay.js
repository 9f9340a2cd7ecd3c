// The browser half of the web display (fbplatform_web.cpp): the canvas and its
// 2D context, and the wake lock that stands in for switching the screen saver
// off. The wait, the cursor and full screen are the page programs' shared
// ones (web/webframe.js).
mergeInto(LibraryManager.library, {
  $webDisplay: {context: null, image: null, wakeLock: null},

  webDisplayProbe__deps: ['$webDisplay'],
  webDisplayProbe: function() {
    var canvas = Module['canvas'];
    // alpha: false lets the browser skip blending; the pixels are opaque anyway.
    webDisplay.context = canvas && canvas.getContext ? canvas.getContext('2d', {alpha: false}) : null;
    return webDisplay.context ? 1 : 0;
  },

  webDisplayAttach__deps: ['$webDisplay', '$specialHTMLTargets', '$webFrame'],
  webDisplayAttach: function() {
    if (!webDisplay.context) return 0;
    specialHTMLTargets['!canvas'] = Module['canvas'];
    webFrame.stats();  // counted from here on
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

  webDisplayPresent__deps: ['$webDisplay', 'webFramePresented'],
  webDisplayPresent: function(rgba, width, height) {
    var image = webDisplay.image;
    // The image views our memory directly; a grown memory is a new buffer.
    if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== rgba) {
      var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
      image = webDisplay.image = new ImageData(bytes, width, height);
    }
    webDisplay.context.putImageData(image, 0, 0);
    _webFramePresented();
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
});
