// The browser's General-MIDI synthesizer: FluidSynth compiled to WebAssembly (npm's
// js-synthesizer and its libfluidsynth) with the game's soundfont, all loaded in the background
// from the site. The C++ sequencer (web_synth.cpp) tells it each MIDI message at the sample the
// music has reached inside the mixer's render.
//
// Where the sound goes through the audio worklet (audio.js), FluidSynth runs there, on the audio
// thread, and costs the page's main thread nothing: each block the page hands over carries the
// music's gain, how many of its frames the music plays, and the messages told during its render,
// each with its frame in the block; the worklet renders the music as it plays the block, with
// FluidSynth's renders split at those frames, so every message sounds at the very sample it
// would have inside the mixer. Where a ScriptProcessor pulls the mixer on the main thread instead,
// FluidSynth renders there, inside the mixer, into a buffer in its own heap added into the game's.
mergeInto(LibraryManager.library, {
  $SkypopSynth: {
    files: {
      fluidsynth: 'libfluidsynth-2.4.6.js',
      fluidsynthCode: 'libfluidsynth-2.4.6.wasm',  // its WebAssembly (tools/split_fluidsynth.js)
      synthesizer: 'js-synthesizer.js',
      soundfont: 'skypop.sf2',
    },
    chunkFrames: 1024,
    ready: false,     // it can sound: the C++ side then tells it every message
    rate: 0,
    settings: null,
    pieces: null,     // what arrived: the two scripts' texts, the compiled code, the soundfont
    where: null,      // 'worklet' or 'page', once the sound has started (audio.js says)
    node: null,       // the worklet's node, on the way there
    placed: false,    // the pieces have gone where the music plays
    // Where it plays on the page's main thread:
    fluid: null,      // libfluidsynth's module, kept apart from the game's
    synth: null,      // js-synthesizer's Synthesizer
    raw: 0,           // the fluid_synth_t* inside it
    scratch: 0,       // chunkFrames interleaved stereo frames in libfluidsynth's heap
    // Where it plays in the worklet, what the render of the block under way told it: the frames
    // the music played, its gain, and the messages as (frame, message) pairs.
    frames: 0,
    gain: 1,
    events: new Uint32Array(2 * 64),
    count: 0,

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

    // The game plays on without music, as it does on a desktop without a soundfont.
    failed: function(error) {
      console.warn('SKYPOP FRENZY: no music: ' + error);
      if (Module['showNote']) Module['showNote']('Music unavailable.');
    },

    // The music can sound from now on (the load benchmarks measure the page up to here): where it
    // goes to the worklet, as soon as the sound starts.
    markReady: function() {
      if (performance.mark) performance.mark('skypop-music-ready');
    },

    // Fetches the scripts and the code (compiled on the way), then the soundfont: the scripts
    // come first, the soundfont once they are in, since it is needed last and arrives while the
    // scripts are being taken up instead of slowing their download.
    load: function() {
      var files = SkypopSynth.files;
      var code = SkypopSynth.compile(files.fluidsynthCode);
      code.catch(function() {});  // reported once, below
      var soundfont;
      Promise.all([
        SkypopSynth.fetchOk(files.fluidsynth).then(function(r) { return r.text(); }),
        SkypopSynth.fetchOk(files.synthesizer).then(function(r) { return r.text(); }),
      ]).then(function(texts) {
        soundfont = SkypopSynth.fetchOk(files.soundfont).then(function(r) {
          return r.arrayBuffer();
        });
        return Promise.all([texts, code, soundfont]);
      }).then(function(all) {
        SkypopSynth.pieces = {fluidsynth: all[0][0], synthesizer: all[0][1], code: all[1],
                              soundfont: all[2]};
        // Where the sound will go through the worklet, the pieces wait there for it.
        if (SkypopSynth.worklets()) SkypopSynth.markReady();
        SkypopSynth.place();
      }).catch(SkypopSynth.failed);
    },

    // Whether the sound will most likely go through the worklet (audio.js chooses the same way).
    worklets: function() {
      var Context = window.AudioContext || window.webkitAudioContext;
      return !!(window.isSecureContext && Context && 'audioWorklet' in Context.prototype);
    },

    // audio.js: the sound runs, through the worklet `node` or (without one) on the page.
    playIn: function(node) {
      SkypopSynth.where = node ? 'worklet' : 'page';
      SkypopSynth.node = node;
      SkypopSynth.place();
    },

    // Once the pieces are in: takes them up on the page, or hands them to the worklet once it
    // runs. Where the worklet is to be expected, nothing happens on the page before the sound
    // starts.
    place: function() {
      var pieces = SkypopSynth.pieces;
      if (!pieces || SkypopSynth.placed) return;
      var where = SkypopSynth.where || (SkypopSynth.worklets() ? null : 'page');
      if (!where) return;
      SkypopSynth.placed = true;
      SkypopSynth.pieces = null;
      if (where === 'page') {
        SkypopSynth.whenIdle(pieces).then(SkypopSynth.loadHere).catch(SkypopSynth.failed);
      } else {
        SkypopSynth.loadThere(pieces).catch(SkypopSynth.failed);
      }
    },

    // FluidSynth on the page's main thread, through js-synthesizer.
    loadHere: function(pieces) {
      var fluid = {
        // FluidSynth reports on its standard streams; none of it is a fault of the page.
        print: function(text) { console.log(text); },
        printErr: function(text) { console.warn(text); },
        // libfluidsynth's code was compiled beside the download of its script.
        instantiateWasm: function(imports, receive) {
          WebAssembly.instantiate(pieces.code, imports).then(function(instance) {
            receive(instance, pieces.code);
          }).catch(SkypopSynth.failed);
          return {};
        },
      };
      SkypopSynth.evaluate(pieces.fluidsynth + '\nreturn Module;', ['Module'], [fluid]);
      var holder = {exports: {}};
      SkypopSynth.evaluate(pieces.synthesizer, ['module', 'exports'], [holder, holder.exports]);
      var JSSynth = holder.exports;
      JSSynth.Synthesizer.initializeWithFluidSynthModule(fluid);
      return JSSynth.waitForReady().then(function() {
        var synth = new JSSynth.Synthesizer();
        synth.init(SkypopSynth.rate, SkypopSynth.settings);
        SkypopSynth.synth = synth;
        return SkypopSynth.whenIdle(pieces.soundfont).then(function(bytes) {
          return synth.loadSFont(bytes);
        });
      }).then(function() {
        SkypopSynth.fluid = fluid;
        SkypopSynth.raw = SkypopSynth.synth.getRawSynthesizer();
        SkypopSynth.scratch = fluid._malloc(8 * SkypopSynth.chunkFrames);
        if (!SkypopSynth.scratch) throw new Error('out of memory');
        SkypopSynth.ready = true;
        SkypopAudio.stats.music = 'page';
        SkypopSynth.markReady();
      });
    },

    // FluidSynth in the audio worklet: the two scripts become one more module of the worklet,
    // then the compiled code and the soundfont follow through the node's port. Evaluating the
    // scripts and taking the soundfont up each hold the audio thread for tens of milliseconds, so
    // the queue is filled to the longest lead first.
    // The pieces stay here until the worklet answers (heard): a worklet that cannot run them (no
    // WebAssembly on the audio thread, say) leaves the music to the page, as without a worklet.
    loadThere: function(pieces) {
      var text = '(' + SkypopSynth.worklet.toString() + ')(' +
                 SkypopSynth.dispatch.toString() + ',\nfunction(Module) {\n' + pieces.fluidsynth +
                 '\nreturn Module;\n},\nfunction(module, exports) {\n' + pieces.synthesizer +
                 '\n});';
      var url = URL.createObjectURL(new Blob([text], {type: 'text/javascript'}));
      var node = SkypopSynth.node;
      SkypopSynth.pieces = pieces;
      SkypopAudio.holdLead(true);
      return node.context.audioWorklet.addModule(url).then(function() {
        URL.revokeObjectURL(url);
        node.port.postMessage({music: {code: pieces.code, soundfont: pieces.soundfont,
                                       rate: SkypopSynth.rate, settings: SkypopSynth.settings}});
      }).catch(function(error) {
        URL.revokeObjectURL(url);
        SkypopSynth.heard(false, error);
      });
    },

    // The worklet's word on the music: it sounds there from now on, or the page takes it up.
    heard: function(ready, error) {
      SkypopAudio.holdLead(false);
      var pieces = SkypopSynth.pieces;
      SkypopSynth.pieces = null;
      if (ready) {
        SkypopAudio.stats.music = 'worklet';
        SkypopSynth.ready = true;
        return;
      }
      console.warn('SKYPOP FRENZY: the music plays on the page: ' + error);
      SkypopSynth.where = 'page';
      SkypopSynth.whenIdle(pieces).then(SkypopSynth.loadHere).catch(SkypopSynth.failed);
    },

    // One message to a js-synthesizer Synthesizer, on the page or in the worklet (this function
    // is copied there as text): a channel message's status byte, two data bytes; status 0xFF
    // (a system reset, never sent on) stands for every note off on every channel.
    dispatch: function(synth, status, data1, data2) {
      var channel = status & 0x0F;
      switch (status & 0xF0) {
        case 0x80: synth.midiNoteOff(channel, data1); break;
        case 0x90: synth.midiNoteOn(channel, data1, data2); break;
        case 0xA0: synth.midiKeyPressure(channel, data1, data2); break;
        case 0xB0: synth.midiControl(channel, data1, data2); break;
        case 0xC0: synth.midiProgramChange(channel, data1); break;
        case 0xD0: synth.midiChannelPressure(channel, data1); break;
        case 0xE0: synth.midiPitchBend(channel, data1 | (data2 << 7)); break;
        case 0xF0:
          for (channel = 0; channel < 16; channel++) {
            synth.midiControl(channel, 64, 0);  // a held pedal would keep notes sounding
            synth.midiAllNotesOff(channel);
          }
          break;
      }
    },

    // Notes a message of the render under way for the worklet.
    note: function(status, data1, data2) {
      var events = SkypopSynth.events;
      if (2 * SkypopSynth.count === events.length) {
        // Seldom: the channels' memory replayed all at once, say. The larger array stays.
        var more = new Uint32Array(2 * events.length);
        more.set(events);
        events = SkypopSynth.events = more;
      }
      events[2 * SkypopSynth.count] = SkypopSynth.frames;
      events[2 * SkypopSynth.count + 1] = status | (data1 << 8) | (data2 << 16);
      SkypopSynth.count++;
    },

    // The worklet's side, run on the audio thread from its own text (this function's) with the
    // message dispatch and the two scripts as functions: skypopMusic(data) resolves with the music
    // made of the compiled code, the soundfont and the settings in `data`, which renders into the
    // worklet's output and takes messages.
    worklet: function(dispatch, makeFluid, defineSynthesizer) {
      const kChunkFrames = 128;
      globalThis.skypopMusic = function(data) {
        if (typeof WebAssembly === 'undefined') throw new Error('no WebAssembly in the worklet');
        const fluid = {
          print: (text) => console.log(text),
          printErr: (text) => console.warn(text),
          // At once: the script then takes the exports from what this returns.
          instantiateWasm: (imports, receive) =>
            receive(new WebAssembly.Instance(data.code, imports), data.code),
        };
        makeFluid(fluid);
        const holder = {exports: {}};
        defineSynthesizer(holder, holder.exports);
        const JSSynth = holder.exports;
        JSSynth.Synthesizer.initializeWithFluidSynthModule(fluid);
        let synth;
        return JSSynth.waitForReady().then(() => {
          synth = new JSSynth.Synthesizer();
          synth.init(data.rate, data.settings);
          return synth.loadSFont(data.soundfont);
        }).then(() => {
          const raw = synth.getRawSynthesizer();
          const scratch = fluid._malloc(8 * kChunkFrames);
          if (!scratch) throw new Error('out of memory');
          return {
            play(word) {
              dispatch(synth, word & 0xFF, (word >> 8) & 0xFF, (word >> 16) & 0xFF);
            },
            // Adds n frames of the music, times gain, into left and right from frame `at`.
            render(left, right, at, n, gain) {
              while (n > 0) {
                const m = Math.min(n, kChunkFrames);
                fluid._fluid_synth_write_float(raw, m, scratch, 0, 2, scratch, 1, 2);
                const heap = fluid.HEAPF32;  // looked up after the render: it may have grown
                const from = scratch >> 2;
                for (let k = 0; k < m; k++) {
                  left[at + k] += gain * heap[from + 2 * k];
                  right[at + k] += gain * heap[from + 2 * k + 1];
                }
                at += m;
                n -= m;
              }
            },
          };
        });
      };
    },
  },

  skypop_synth_start__deps: ['$SkypopSynth'],
  skypop_synth_start: function(rate, gain, polyphony, roomSize, damping, width, level, voices,
                               chorusLevel, speed, depth) {
    if (typeof fetch === 'undefined' || typeof WebAssembly === 'undefined') return;
    SkypopSynth.rate = rate;
    SkypopSynth.settings = {
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
    };
    SkypopSynth.load();
  },

  skypop_synth_ready__deps: ['$SkypopSynth'],
  skypop_synth_ready: function() {
    return SkypopSynth.ready ? 1 : 0;
  },

  // One channel message: the status byte (with its channel) and two data bytes.
  skypop_synth_message__deps: ['$SkypopSynth'],
  skypop_synth_message: function(status, data1, data2) {
    if (SkypopSynth.where === 'worklet') {
      SkypopSynth.note(status, data1, data2);
    } else if (SkypopSynth.synth) {
      SkypopSynth.dispatch(SkypopSynth.synth, status, data1, data2);
    }
  },

  skypop_synth_all_notes_off__deps: ['skypop_synth_message'],
  skypop_synth_all_notes_off: function() {
    _skypop_synth_message(0xFF, 0, 0);
  },

  // The music's next `frames` stereo frames at `gain`: added into the game's heap at `out` where
  // it plays on the page (the mixer has applied the gain), noted for the worklet where it plays
  // there.
  skypop_synth_render__deps: ['$SkypopSynth'],
  skypop_synth_render: function(out, frames, gain) {
    if (SkypopSynth.where === 'worklet') {
      SkypopSynth.frames += frames;
      SkypopSynth.gain = gain;
      return;
    }
    if (!SkypopSynth.ready) return;
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
