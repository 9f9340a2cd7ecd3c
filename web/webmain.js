// Starts the program's main for the web display. Once main has slept (the
// display yields to the page in every frame), this Emscripten drops the value
// that main finally returns, and the program would never end: so main is
// started here instead, and its last return goes to exit(), which reports the
// status to Module.onExit as a native exit would.
Module['noInitialRun'] = true;
Module['onRuntimeInitialized'] = (function (pageInitialized) {
  function end(status) {
    try {
      exit(status);
    } catch (e) {
      if (!(e instanceof ExitStatus)) throw e;  // exit() ends by throwing ExitStatus
    }
  }
  return function () {
    if (pageInitialized) pageInitialized();
    var status = Module['_main'](0, 0);
    if (Asyncify.currData) {
      Asyncify.whenDone().then(end);  // main sleeps: it returns on a later animation frame
    } else {
      end(status);
    }
  };
})(Module['onRuntimeInitialized']);
