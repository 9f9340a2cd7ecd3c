// The browser half of the GL demo's web window (glwindow_web.cpp): the page's
// fixed run. The wait for an animation frame, the frame statistics, the
// cursor and full screen are the page programs' shared ones (web/webframe.js).
mergeInto(LibraryManager.library, {
  glWindowFixedFrames: function() {
    var run = Module['fixedRun'];
    return run && run.frames > 0 ? run.frames : 0;
  },
});
