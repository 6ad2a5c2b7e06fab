// The browser's General-MIDI synthesizer: FluidSynth compiled to WebAssembly (npm's
// js-synthesizer and its libfluidsynth) with the game's soundfont, all loaded in the background
// from the site. It is told its MIDI messages and renders on the page's main thread, inside the
// audio callback, into a buffer made once in its own heap and added into the game's.
mergeInto(LibraryManager.library, {
  $SkypopSynth: {
    files: {
      fluidsynth: 'libfluidsynth-2.4.6.js',
      fluidsynthCode: 'libfluidsynth-2.4.6.wasm',  // its WebAssembly (tools/split_fluidsynth.js)
      synthesizer: 'js-synthesizer.js',
      soundfont: 'skypop.sf2',
    },
    chunkFrames: 1024,
    ready: false,
    fluid: null,      // libfluidsynth's module, kept apart from the game's
    synth: null,      // js-synthesizer's Synthesizer
    raw: 0,           // the fluid_synth_t* inside it
    scratch: 0,       // chunkFrames interleaved stereo frames in libfluidsynth's heap

    // Runs a script's text as the body of a function, so that its top-level names stay its own:
    // libfluidsynth is itself an Emscripten program and would otherwise take over the game's
    // global `Module`.
    evaluate: function(text, names, values) {
      return Function.apply(null, names.concat([text])).apply(window, values);
    },

    // Resolves with `value` once the page is idle. Evaluating the synthesizer and parsing the
    // soundfont each hold the main thread for tens of milliseconds; done between frames, they
    // never stand in the way of the page's first picture.
    whenIdle: function(value) {
      return new Promise(function(resolve) {
        var go = function() { resolve(value); };
        if (window.requestIdleCallback) {
          window.requestIdleCallback(go, {timeout: 2000});
        } else {
          setTimeout(go, 50);
        }
      });
    },

    fetchOk: function(name) {
      return fetch(name).then(function(response) {
        if (!response.ok) throw new Error(name + ': HTTP ' + response.status);
        return response;
      });
    },

    // Compiles the WebAssembly at `name` while it downloads (or, where the browser cannot, once
    // it has: streaming also fails where a server sends it under a type other than
    // application/wasm).
    compile: function(name) {
      var whole = function() {
        return SkypopSynth.fetchOk(name).then(function(r) { return r.arrayBuffer(); })
            .then(function(bytes) { return WebAssembly.compile(bytes); });
      };
      if (!WebAssembly.compileStreaming) return whole();
      return WebAssembly.compileStreaming(SkypopSynth.fetchOk(name)).catch(whole);
    },

    load: function(rate, settings) {
      var files = SkypopSynth.files;
      var fluid = {
        // FluidSynth reports on its standard streams; none of it is a fault of the page.
        print: function(text) { console.log(text); },
        printErr: function(text) { console.warn(text); },
      };
      // libfluidsynth's code, compiled beside the download of its script, which takes it through
      // its instantiateWasm hook.
      var compiled = SkypopSynth.compile(files.fluidsynthCode);
      compiled.catch(function() {});  // reported once, below
      var instantiated = new Promise(function(resolve, reject) {
        fluid.instantiateWasm = function(imports, receive) {
          compiled.then(function(module) {
            return WebAssembly.instantiate(module, imports).then(function(instance) {
              receive(instance, module);
              resolve();
            });
          }).catch(reject);
          return {};
        };
      });
      instantiated.catch(function() {});
      var JSSynth;
      var soundfont;
      // The scripts come first, the soundfont once they are in: it is needed last, and it arrives
      // while the scripts are being evaluated instead of slowing their download.
      Promise.all([
        SkypopSynth.fetchOk(files.fluidsynth).then(function(r) { return r.text(); }),
        SkypopSynth.fetchOk(files.synthesizer).then(function(r) { return r.text(); }),
      ]).then(function(texts) {
        soundfont = SkypopSynth.fetchOk(files.soundfont).then(function(r) {
          return r.arrayBuffer();
        });
        soundfont.catch(function() {});  // reported once, below
        return texts;
      }).then(SkypopSynth.whenIdle).then(function(texts) {
        SkypopSynth.evaluate(texts[0] + '\nreturn Module;', ['Module'], [fluid]);
        var holder = {exports: {}};
        SkypopSynth.evaluate(texts[1], ['module', 'exports'], [holder, holder.exports]);
        JSSynth = holder.exports;
        JSSynth.Synthesizer.initializeWithFluidSynthModule(fluid);
        return Promise.all([instantiated, JSSynth.waitForReady()]);
      }).then(function() {
        var synth = new JSSynth.Synthesizer();
        synth.init(rate, settings);
        SkypopSynth.synth = synth;
        return soundfont.then(SkypopSynth.whenIdle).then(function(bytes) {
          return synth.loadSFont(bytes);
        });
      }).then(function() {
        SkypopSynth.fluid = fluid;
        SkypopSynth.raw = SkypopSynth.synth.getRawSynthesizer();
        SkypopSynth.scratch = fluid._malloc(8 * SkypopSynth.chunkFrames);
        if (!SkypopSynth.scratch) throw new Error('out of memory');
        SkypopSynth.ready = true;
        // The load benchmarks measure the page up to here: the music can sound from now on.
        if (performance.mark) performance.mark('skypop-music-ready');
      }).catch(function(error) {
        // The game plays on without music, as it does on a desktop without a soundfont.
        console.warn('SKYPOP FRENZY: no music: ' + error);
        if (Module['showNote']) Module['showNote']('Music unavailable.');
      });
    },
  },

  skypop_synth_start__deps: ['$SkypopSynth'],
  skypop_synth_start: function(rate, gain, polyphony, roomSize, damping, width, level, voices,
                               chorusLevel, speed, depth) {
    if (typeof fetch === 'undefined' || typeof WebAssembly === 'undefined') return;
    SkypopSynth.load(rate, {
      initialGain: gain,
      polyphony: polyphony,
      reverbRoomSize: roomSize,
      reverbDamp: damping,
      reverbWidth: width,
      reverbLevel: level,
      chorusNr: voices,
      chorusLevel: chorusLevel,
      chorusSpeed: speed,
      chorusDepth: depth,
    });
  },

  skypop_synth_ready__deps: ['$SkypopSynth'],
  skypop_synth_ready: function() {
    return SkypopSynth.ready ? 1 : 0;
  },

  // One channel message: the status byte (with its channel) and two data bytes.
  skypop_synth_message__deps: ['$SkypopSynth'],
  skypop_synth_message: function(status, data1, data2) {
    var synth = SkypopSynth.synth;
    var channel = status & 0x0F;
    switch (status & 0xF0) {
      case 0x80: synth.midiNoteOff(channel, data1); break;
      case 0x90: synth.midiNoteOn(channel, data1, data2); break;
      case 0xA0: synth.midiKeyPressure(channel, data1, data2); break;
      case 0xB0: synth.midiControl(channel, data1, data2); break;
      case 0xC0: synth.midiProgramChange(channel, data1); break;
      case 0xD0: synth.midiChannelPressure(channel, data1); break;
      case 0xE0: synth.midiPitchBend(channel, data1 | (data2 << 7)); break;
    }
  },

  skypop_synth_all_notes_off__deps: ['$SkypopSynth'],
  skypop_synth_all_notes_off: function() {
    for (var channel = 0; channel < 16; channel++) {
      SkypopSynth.synth.midiControl(channel, 64, 0);  // a held pedal would keep notes sounding
      SkypopSynth.synth.midiAllNotesOff(channel);
    }
  },

  // Adds `frames` stereo frames of the synthesizer's output into the game's heap at `out`.
  skypop_synth_render__deps: ['$SkypopSynth'],
  skypop_synth_render: function(out, frames) {
    var fluid = SkypopSynth.fluid;
    var at = out >> 2;
    while (frames > 0) {
      var n = Math.min(frames, SkypopSynth.chunkFrames);
      fluid._fluid_synth_write_float(SkypopSynth.raw, n, SkypopSynth.scratch, 0, 2,
                                     SkypopSynth.scratch, 1, 2);
      // Both heaps are looked up after the render: either may have grown meanwhile.
      var from = fluid.HEAPF32;
      var to = HEAPF32;
      var src = SkypopSynth.scratch >> 2;
      for (var i = 0; i < 2 * n; i++) to[at + i] += from[src + i];
      at += 2 * n;
      frames -= n;
    }
  },
});
