// The browser's audio output: a ScriptProcessor on the page's main thread pulls the game's own
// mixer (which pulls the effects and the music stream) straight out of the heap. An AudioWorklet
// would run on another thread and could not call into the game.
mergeInto(LibraryManager.library, {
  $SkypopAudio: {
    rate: 0,
    frames: 0,
    buffer: 0,        // the heap address of the mixer's interleaved stereo output
    context: null,
    node: null,
    // The player's first press of a button or key starts the sound: browsers refuse to make
    // sound before one.
    gestures: ['mousedown', 'pointerdown', 'keydown', 'touchend'],

    listen: function(on) {
      SkypopAudio.gestures.forEach(function(name) {
        if (on) {
          window.addEventListener(name, SkypopAudio.start, true);
        } else {
          window.removeEventListener(name, SkypopAudio.start, true);
        }
      });
    },

    // Builds the graph on the first gesture and resumes it on any later one until it runs: a key
    // that does not count as a gesture (Escape, say) leaves the context suspended, and the next
    // click must still be able to start it.
    start: function() {
      if (!SkypopAudio.frames) return;
      if (!SkypopAudio.context && !SkypopAudio.build()) {
        SkypopAudio.listen(false);
        return;
      }
      if (SkypopAudio.context.state === 'running') {
        SkypopAudio.listen(false);
      } else {
        SkypopAudio.context.resume().catch(function() {});
      }
    },

    // The context and its graph; false when the browser will not give us one we can use.
    build: function() {
      var Context = window.AudioContext || window.webkitAudioContext;
      var context;
      try {
        context = new Context({sampleRate: SkypopAudio.rate, latencyHint: 'interactive'});
      } catch (e) {
        console.warn('SKYPOP FRENZY: no sound: ' + e);
        return false;
      }
      if (context.sampleRate !== SkypopAudio.rate) {
        // An older browser ignores the rate we ask for: the mixer's sounds would play at the
        // wrong pitch, so the game stays silent instead.
        console.warn('SKYPOP FRENZY: no sound: the browser plays at ' + context.sampleRate + ' Hz');
        context.close();
        return false;
      }
      var node = context.createScriptProcessor(SkypopAudio.frames, 0, 2);
      node.onaudioprocess = SkypopAudio.fill;
      node.connect(context.destination);
      // The test build listens here (an analyser beside the speakers); the shipped page does not.
      if (Module['onSkypopAudioOpened']) Module['onSkypopAudioOpened'](context, node, SkypopAudio.frames);
      context.onstatechange = function() {
        if (context.state === 'running') SkypopAudio.listen(false);
      };
      SkypopAudio.context = context;
      SkypopAudio.node = node;
      return true;
    },

    fill: function(event) {
      var out = event.outputBuffer;
      var frames = out.length;
      var left = out.getChannelData(0);
      var right = out.getChannelData(1);
      if (frames !== SkypopAudio.frames) {
        left.fill(0);
        right.fill(0);
        return;
      }
      _skypop_audio_render(frames);
      // Read after the render: the heap may have grown (and been replaced) meanwhile.
      var heap = HEAPF32;
      var at = SkypopAudio.buffer >> 2;
      for (var i = 0; i < frames; i++) {
        left[i] = heap[at + 2 * i];
        right[i] = heap[at + 2 * i + 1];
      }
    },
  },

  skypop_audio_open__deps: ['$SkypopAudio'],
  skypop_audio_open: function(rate, frames, buffer) {
    if (typeof window === 'undefined' || !(window.AudioContext || window.webkitAudioContext)) {
      return 0;
    }
    SkypopAudio.rate = rate;
    SkypopAudio.frames = frames;
    SkypopAudio.buffer = buffer;
    SkypopAudio.listen(true);
    return 1;
  },

  skypop_audio_close__deps: ['$SkypopAudio'],
  skypop_audio_close: function() {
    SkypopAudio.listen(false);
    if (SkypopAudio.node) {
      SkypopAudio.node.onaudioprocess = null;
      SkypopAudio.node.disconnect();
    }
    if (SkypopAudio.context) SkypopAudio.context.close();
    SkypopAudio.node = null;
    SkypopAudio.context = null;
    SkypopAudio.frames = 0;
  },
});
