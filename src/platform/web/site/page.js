// The page around the game: the module's settings, the full-screen button, the message box, the
// offer to play again, and (with ?test in the address) the hooks the browser tests drive.
'use strict';
(function() {
  var params = new URLSearchParams(location.search);
  var testing = params.has('test');
  var canvas = document.getElementById('canvas');
  var stage = document.getElementById('stage');

  var Module = window.Module = {
    canvas: canvas,
    print: function(text) { console.log(text); },
    printErr: function(text) { console.warn(text); },
    showMessage: function(caption, text) {
      document.getElementById('message-caption').textContent = caption;
      document.getElementById('message-text').textContent = text;
      document.getElementById('message').hidden = false;
      document.getElementById('message-ok').focus();
    },
    onGameEnded: function() {
      // Escape has ended the game and saved the table; a fresh page is a fresh game.
      document.getElementById('ended').hidden = false;
      document.getElementById('again').focus();
    },
  };
  // The test clock: time stands still until a test moves it.
  if (testing) Module.skypopManualClock = 0;
  // The benchmark's record of every pass's main-thread time (a ring, read by bench/web).
  if (params.has('bench')) {
    Module.skypopPassTimes = new Float64Array(1 << 16);
    Module.skypopPassCount = 0;
  }

  canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
  document.getElementById('message-ok').addEventListener('click', function() {
    document.getElementById('message').hidden = true;
  });
  document.getElementById('again').addEventListener('click', function() { location.reload(); });

  function toggleFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (stage.requestFullscreen) {
      stage.requestFullscreen().catch(function() {});
    }
  }
  document.getElementById('fullscreen').addEventListener('click', function(e) {
    toggleFullScreen();
    e.currentTarget.blur();
  });
  window.addEventListener('keydown', function(e) {
    if (e.key === 'F11') {
      e.preventDefault();
      toggleFullScreen();
    }
  });

  if (!testing) return;
  // ---- Test hooks ----
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
