// The test build's hooks (site-test/ only; the shipped site never loads this file). With ?test
// in the address the game runs on a test clock that stands still until a test moves it, and
// window.skypop lets the browser tests step it and read it; with ?bench every animation frame's
// main-thread time goes into a ring that bench/web reads. With either, window.skypopAudio is the
// sound's graph with an analyser beside the speakers.
// ?canvas2d and ?scriptprocessor make the page a browser without WebGL or without an audio
// worklet, and ?workletnowasm one whose audio worklet has no WebAssembly (the music cannot play
// there), so that the fallbacks are tested too; ?webgl makes it one whose WebGL runs on a
// graphics chip (as on a phone), where this machine's runs in software.
'use strict';
(function() {
  var params = new URLSearchParams(location.search);
  var Module = window.Module;
  var canvas = document.getElementById('canvas');
  if (!params.has('test') && !params.has('bench')) return;

  if (params.has('scriptprocessor')) {
    delete BaseAudioContext.prototype.audioWorklet;
    delete AudioContext.prototype.audioWorklet;
  }
  if (params.has('workletnowasm') && window.AudioWorklet) {
    var addModule = AudioWorklet.prototype.addModule;
    var first = URL.createObjectURL(new Blob(['delete globalThis.WebAssembly;'],
                                             {type: 'text/javascript'}));
    AudioWorklet.prototype.addModule = function(url, options) {
      var worklet = this;
      return addModule.call(worklet, first).then(function() {
        return addModule.call(worklet, url, options);
      });
    };
  }
  if (params.has('webgl')) {
    [window.WebGLRenderingContext, window.WebGL2RenderingContext].forEach(function(type) {
      if (!type) return;
      var getParameter = type.prototype.getParameter;
      type.prototype.getParameter = function(name) {
        var renderer = 0x9246;  // UNMASKED_RENDERER_WEBGL
        return name === renderer ? 'a graphics chip' : getParameter.call(this, name);
      };
    });
  }
  // The context the page draws with. A WebGL picture is kept after it is shown, so that a test can
  // read it back between two frames.
  var picture = null;
  var getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function(type, options) {
    var webgl = type === 'webgl' || type === 'webgl2';
    if (webgl && params.has('canvas2d')) return null;
    if (webgl) options = Object.assign({}, options, {preserveDrawingBuffer: params.has('test')});
    var context = getContext.call(this, type, options);
    if (this === canvas && context) picture = context;
    return context;
  };
  // The canvas's pixels, RGBA, top row first.
  function readPicture() {
    var width = canvas.width;
    var height = canvas.height;
    if (!picture || !picture.readPixels) {
      return picture ? picture.getImageData(0, 0, width, height).data : new Uint8Array(0);
    }
    var gl = picture;
    var flipped = new Uint8Array(width * height * 4);
    gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, flipped);
    var data = new Uint8Array(flipped.length);
    for (var y = 0; y < height; y++) {
      data.set(flipped.subarray((height - 1 - y) * width * 4, (height - y) * width * 4),
               y * width * 4);
    }
    return data;
  }
  // The sound test and the benchmarks listen to what leaves the mixer through an analyser beside
  // the speakers.
  window.skypopAudio = null;
  Module.onSkypopAudioOpened = function(context, node, frames, stats) {
    var tap = context.createAnalyser();
    tap.fftSize = 2048;
    node.connect(tap);
    window.skypopAudio = {context: context, tap: tap, node: node, frames: frames, stats: stats};
    if (window.skypop) window.skypop.audio = window.skypopAudio;
  };

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
    // What the picture is drawn with: 'webgl2', 'webgl' or '2d'.
    pictureKind: function() {
      if (!picture) return null;
      if (!picture.readPixels) return '2d';
      return typeof WebGL2RenderingContext !== 'undefined' &&
          picture instanceof WebGL2RenderingContext ? 'webgl2' : 'webgl';
    },
    // The canvas's pixels, RGBA, as a base64 string (cheap to hand to the test).
    pixels: function() {
      var data = readPicture();
      var text = '';
      for (var i = 0; i < data.length; i += 0x8000) {
        text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
      }
      return btoa(text);
    },
  };
  if (window.skypopAudio) window.skypop.audio = window.skypopAudio;
  Module.onSkypopStored = function() { window.skypop.stored += 1; };
  // After main: the game has started up and waits for its first tick.
  Module.postRun = [function() { window.skypop.ready = true; }];
})();
