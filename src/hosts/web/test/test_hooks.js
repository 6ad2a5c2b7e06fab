// The test build's hooks (site-test/ only; the shipped site never loads this file). With ?test
// in the address the game runs on a test clock that stands still until a test moves it, and
// window.skypop lets the browser tests step it and read it; with ?bench every animation frame's
// main-thread time goes into a ring that bench/web reads.
'use strict';
(function() {
  var params = new URLSearchParams(location.search);
  var Module = window.Module;
  var canvas = document.getElementById('canvas');

  if (params.has('bench')) {
    Module.skypopPassTimes = new Float64Array(1 << 16);
    Module.skypopPassCount = 0;
    Module.onRuntimeInitialized = function() {
      var frame = Module._skypop_page_frame;
      var first = true;
      var timed = function() {
        var start = performance.now();
        var more = frame();
        Module.skypopPassTimes[Module.skypopPassCount++ % Module.skypopPassTimes.length] =
            performance.now() - start;
        // The first call of an export puts the compiled function itself in its place on Module,
        // which would end the timing: take that function and put the timing back.
        if (first) {
          first = false;
          frame = Module._skypop_page_frame;
          Module._skypop_page_frame = timed;
        }
        return more;
      };
      Module._skypop_page_frame = timed;
    };
  }
  if (!params.has('test')) return;
  Module.skypopManualClock = 0;
  // The sound test listens to what leaves the mixer through an analyser beside the speakers.
  Module.onSkypopAudioOpened = function(context, node, frames) {
    var tap = context.createAnalyser();
    tap.fftSize = 2048;
    node.connect(tap);
    window.skypop.audio = {context: context, tap: tap, node: node, frames: frames};
  };
  var tickLength = 16.6;
  var ticks = 0;
  window.skypop = {
    ready: false,
    stored: 0,  // how many times the persistent folder has been written out to IndexedDB
    // Runs n ticks of the game: the clock moves just past each tick's time, and animation frames
    // run (each takes the waiting messages first) until one has ticked. Returns the ticks so far.
    step: function(n) {
      for (var i = 0; i < (n || 1); i++) {
        ticks += 1;
        Module.skypopManualClock = Math.floor(tickLength * ticks) + 1;
        var before = Module._SkypopNextTick();
        for (var pass = 0; pass < 1000; pass++) {
          if (!Module._skypop_page_frame()) return ticks;
          if (Module._SkypopNextTick() !== before) break;
        }
      }
      return ticks;
    },
    state: function() {
      return {
        tick: ticks,
        mode: Module._SkypopGameMode(),
        phase: Module._SkypopPlayPhase(),
        score: Module._SkypopScore(),
        paused: Module._SkypopGamePaused(),
      };
    },
    // A file of the game's file system as text, or null.
    readFile: function(path) {
      try {
        return Module.FS.readFile(path, {encoding: 'utf8'});
      } catch (e) {
        return null;
      }
    },
    // The canvas's pixels, RGBA, as a base64 string (cheap to hand to the test).
    pixels: function() {
      var data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      var text = '';
      for (var i = 0; i < data.length; i += 0x8000) {
        text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
      }
      return btoa(text);
    },
  };
  Module.onSkypopStored = function() { window.skypop.stored += 1; };
  // After main: the game has started up and waits for its first tick.
  Module.postRun = [function() { window.skypop.ready = true; }];
})();
