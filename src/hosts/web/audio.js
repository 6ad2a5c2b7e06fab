// The browser's audio output. The game's mixer (which pulls the effects and the music
// synthesizer) can only run on the page's main thread, beside the frames, and a phone's main
// thread is often late by more than a buffer. So where the browser has an AudioWorklet (a secure
// page: https, or localhost), the main thread renders the mix a little ahead, in blocks, after
// each animation frame's passes (and whenever the worklet asks for more), and hands the blocks
// over to the worklet (audio_worklet.js), which plays them from a queue on the audio thread and
// never waits for the main thread. There the blocks carry the effects and only the music's
// messages: FluidSynth renders the music in the worklet as it plays them (synth.js), which adds it
// and bends the sum under full scale itself. Elsewhere a ScriptProcessor pulls the whole mixer,
// music included, on the main thread.
//
// The lead (how far ahead) starts at 16 ms. The worklet asks for more once half of it is gone,
// which the main thread answers at once unless it is busy; if the queue falls below the
// low-water mark (four render quanta, 10.7 ms) before the answer came, the main thread was held
// up for nearly the whole lead, and the lead grows by a block, up to 100 ms. After 10 s without
// that it tries a block less, so that a lead grown for a passing stall (the music's files coming
// in, say) comes back down. Every message costs the main thread a task, so the worklet hands
// played blocks back eight at a time, and the main thread works out how much is still queued
// from the worklet's last report and the audio clock since.
mergeInto(LibraryManager.library, {
  $SkypopAudio: {
    rate: 0,
    frames: 0,        // the most frames one render may ask of the mixer
    buffer: 0,        // the heap address of the mixer's interleaved stereo output
    context: null,
    node: null,
    mix: null,        // the heap's view of the mixer's output, kept while the heap stays
    knee: 1,          // where the mixer's soft limit bends (the worklet bends the sum there)
    // The worklet path. Blocks of blockFrames stereo frames (and the music's part,
    // audio_worklet.js) go to the worklet and come back empty, as do the scores that carry the
    // music's messages, so none is made after the start (but for a burst of messages).
    blockFrames: 256,                 // 5.3 ms at 48 kHz
    scoreMessages: 128,
    pool: [],                         // blocks back from the worklet, ready to fill
    scorePool: [],                    // scores back from the worklet
    score: null,                      // the score being written
    handOver: {blocks: [], scores: []},  // the blocks and scores of one hand-over
    buffers: [],                      // and their buffers
    sent: 0,                          // frames handed over so far
    report: null,                     // the worklet's last word on its queue
    lead: 3 * 256,                    // how many frames to keep ahead of the audio thread
    leadSince: 0,                     // when it last changed
    shrinkAfterMs: 10000,
    // What the page reports on its sound (the test page and the benchmarks read it): the path
    // taken, the render quanta the worklet ended in silence and the audio clock's time at the
    // latest of them, the lead, the main-thread time of the worklet's renders, how often the
    // worklet asked for more and was low, where the music plays ('worklet' or 'page', once it
    // can), and how long the audio thread took to take up the music (0 where it plays on the page).
    stats: {path: 'none', underruns: 0, underrunAt: 0, leadFrames: 0, renderMs: 0, asks: 0,
            lows: 0, music: 'none', musicLoadMs: 0},
    held: 0,          // the lead before holdLead raised it, 0 while it is not held
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

    // The context, and the player node on it once its module is in; false when the browser will
    // not give us a context we can use.
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
      context.onstatechange = function() {
        if (context.state === 'running') SkypopAudio.listen(false);
      };
      SkypopAudio.context = context;
      if (!window.isSecureContext || !context.audioWorklet || !window.Blob || !window.URL) {
        SkypopAudio.useScriptProcessor();
        return true;
      }
      var source = '(' + SkypopWorklet.player.toString() + ')();';
      var url = URL.createObjectURL(new Blob([source], {type: 'text/javascript'}));
      context.audioWorklet.addModule(url).then(function() {
        URL.revokeObjectURL(url);
        if (SkypopAudio.context === context) SkypopAudio.useWorklet();
      }).catch(function(error) {
        console.warn('SKYPOP FRENZY: no audio worklet: ' + error);
        if (SkypopAudio.context === context) SkypopAudio.useScriptProcessor();
      });
      return true;
    },

    connect: function(node, path, frames) {
      node.connect(SkypopAudio.context.destination);
      SkypopAudio.node = node;
      SkypopAudio.stats.path = path;
      // The test build listens here (an analyser beside the speakers); the shipped page does not.
      if (Module['onSkypopAudioOpened']) {
        Module['onSkypopAudioOpened'](SkypopAudio.context, node, frames, SkypopAudio.stats);
      }
    },

    useScriptProcessor: function() {
      var node = SkypopAudio.context.createScriptProcessor(SkypopAudio.frames, 0, 2);
      node.onaudioprocess = SkypopAudio.fill;
      SkypopAudio.connect(node, 'script-processor', SkypopAudio.frames);
      SkypopSynth.playIn(null);
    },

    useWorklet: function() {
      var frames = SkypopAudio.blockFrames;
      var node = new AudioWorkletNode(SkypopAudio.context, 'skypop-player',
                                      {numberOfInputs: 0, outputChannelCount: [2],
                                       processorOptions: {knee: SkypopAudio.knee}});
      node.port.onmessage = SkypopAudio.heard;
      // Enough blocks for the longest lead and the ones on their way back.
      var most = Math.ceil(SkypopAudio.rate / 10 / frames) + 12;
      for (var i = 0; i < most; i++) {
        SkypopAudio.pool.push(new Float32Array(2 * frames + SkypopWorklet.header));
      }
      for (i = 0; i < 8; i++) SkypopAudio.scorePool.push(SkypopAudio.newScore());
      SkypopAudio.report = {queued: 0, received: 0, time: 0};
      SkypopAudio.connect(node, 'worklet', frames);
      SkypopAudio.setLead(SkypopAudio.lead);
      SkypopSynth.playIn(node);
      SkypopAudio.pump();
    },

    newScore: function() {
      return new Uint32Array(1 + 2 * SkypopAudio.scoreMessages);
    },

    // A message from the worklet: how its queue stands, the blocks and scores it has played (back
    // to their pools), and whether it asks for more (below half the lead) or is low (below the
    // low-water mark); or its word on the music.
    heard: function(event) {
      var message = event.data;
      if (message.music) {
        SkypopAudio.stats.musicLoadMs = message.music.ms || 0;
        SkypopSynth.heard(message.music.ready, message.music.error);
        return;
      }
      SkypopAudio.stats.underruns = message.underruns;
      SkypopAudio.stats.underrunAt = message.underrunAt;
      var played = message.played;
      for (var i = 0; i < played.length; i++) SkypopAudio.pool.push(played[i]);
      for (i = 0; i < message.scores.length; i++) SkypopAudio.scorePool.push(message.scores[i]);
      var report = SkypopAudio.report;
      report.queued = message.queued;
      report.received = message.received;
      report.time = message.time;
      if (!message.ask) return;
      SkypopAudio.stats.asks++;
      if (message.low) SkypopAudio.stats.lows++;
      if (message.low && !SkypopAudio.held) {
        SkypopAudio.setLead(SkypopAudio.lead + SkypopAudio.blockFrames);
      }
      SkypopAudio.pump();
    },

    // While the audio thread takes up the music (synth.js), the longest lead, filled at once, so
    // that the queue outlasts the load; then the lead it had, which the load says nothing about.
    holdLead: function(on) {
      if (on === !!SkypopAudio.held || !SkypopAudio.node) return;
      if (on) {
        SkypopAudio.held = SkypopAudio.lead;
        SkypopAudio.setLead(SkypopAudio.rate / 10);
        SkypopAudio.pump();
      } else {
        var lead = SkypopAudio.held;
        SkypopAudio.held = 0;
        SkypopAudio.setLead(lead);
      }
    },

    // The lead, from 16 to 100 ms; the worklet asks for more once half of it is gone.
    setLead: function(frames) {
      var lead = Math.max(3 * SkypopAudio.blockFrames, Math.min(SkypopAudio.rate / 10, frames));
      SkypopAudio.lead = lead;
      SkypopAudio.leadSince = performance.now();
      SkypopAudio.stats.leadFrames = lead;
      SkypopAudio.node.port.postMessage({askBelow: lead >> 1});
    },

    // The frames handed over and not yet played: those on their way, and what the worklet had
    // queued at its last report less what the audio clock has played since.
    ahead: function() {
      var report = SkypopAudio.report;
      var since = (SkypopAudio.context.currentTime - report.time) * SkypopAudio.rate;
      return SkypopAudio.sent - report.received + Math.max(0, report.queued - Math.max(0, since));
    },

    // Renders blocks of the mix until the lead is kept, and hands them to the worklet at once.
    pump: function() {
      var node = SkypopAudio.node;
      if (!node || !node.port || SkypopAudio.context.state !== 'running') return;
      // A lead that went a while without the queue running low may have grown for a stall that
      // is over (the music's files coming in, say): a block less, and it grows again if needed.
      if (performance.now() - SkypopAudio.leadSince > SkypopAudio.shrinkAfterMs) {
        SkypopAudio.setLead(SkypopAudio.lead - SkypopAudio.blockFrames);
      }
      var frames = SkypopAudio.blockFrames;
      var batch = SkypopAudio.handOver.blocks;
      var buffers = SkypopAudio.buffers;
      var start = performance.now();
      var short = SkypopAudio.lead - SkypopAudio.ahead();
      for (; short > 0 && SkypopAudio.pool.length; short -= frames) {
        var block = SkypopAudio.pool.pop();
        _skypop_audio_render(frames, 0);  // the worklet adds the music, then bends the sum
        block.set(SkypopAudio.mixed(frames));
        SkypopAudio.addMusic(block, 2 * frames);
        batch.push(block);
        buffers.push(block.buffer);
      }
      if (!batch.length) return;
      SkypopAudio.endScore();
      SkypopAudio.sent += frames * batch.length;
      SkypopAudio.stats.renderMs += performance.now() - start;
      node.port.postMessage(SkypopAudio.handOver, buffers);
      batch.length = 0;
      SkypopAudio.handOver.scores.length = 0;
      buffers.length = 0;
    },

    // Writes the music's part of the block just rendered after its samples (from `at`): what
    // synth.js noted during the render, its messages into the scores.
    addMusic: function(block, at) {
      var music = SkypopSynth;
      block[at] = music.gain;
      block[at + 1] = music.frames;
      block[at + 2] = music.count;
      var score = SkypopAudio.score;
      for (var i = 0; i < 2 * music.count; i += 2) {
        if (!score || score[0] === SkypopAudio.scoreMessages) {
          SkypopAudio.endScore();
          score = SkypopAudio.score = SkypopAudio.scorePool.pop() || SkypopAudio.newScore();
          score[0] = 0;
        }
        score[1 + 2 * score[0]] = music.events[i];
        score[2 + 2 * score[0]] = music.events[i + 1];
        score[0]++;
      }
      music.frames = 0;
      music.count = 0;
    },

    // The score being written joins the hand-over.
    endScore: function() {
      var score = SkypopAudio.score;
      if (!score) return;
      SkypopAudio.handOver.scores.push(score);
      SkypopAudio.buffers.push(score.buffer);
      SkypopAudio.score = null;
    },

    // The mixer's last output, read after the render: the heap may have grown (and been
    // replaced) meanwhile.
    mixed: function(frames) {
      var mix = SkypopAudio.mix;
      if (!mix || mix.buffer !== HEAPF32.buffer || mix.length !== 2 * frames) {
        mix = SkypopAudio.mix = HEAPF32.subarray(SkypopAudio.buffer >> 2,
                                                 (SkypopAudio.buffer >> 2) + 2 * frames);
      }
      return mix;
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
      _skypop_audio_render(frames, 1);  // the music too, on this thread
      var mix = SkypopAudio.mixed(frames);
      for (var i = 0; i < frames; i++) {
        left[i] = mix[2 * i];
        right[i] = mix[2 * i + 1];
      }
    },
  },

  $SkypopAudio__deps: ['$SkypopSynth', '$SkypopWorklet'],

  skypop_audio_open__deps: ['$SkypopAudio'],
  skypop_audio_open: function(rate, frames, buffer, knee) {
    if (typeof window === 'undefined' || !(window.AudioContext || window.webkitAudioContext)) {
      return 0;
    }
    SkypopAudio.rate = rate;
    SkypopAudio.frames = frames;
    SkypopAudio.buffer = buffer;
    SkypopAudio.knee = knee;
    SkypopAudio.listen(true);
    return 1;
  },

  // After each animation frame's passes: keeps the worklet's lead (nothing on the other path).
  skypop_audio_pump__deps: ['$SkypopAudio'],
  skypop_audio_pump: function() {
    if (SkypopAudio.pool.length) SkypopAudio.pump();
  },

  skypop_audio_close__deps: ['$SkypopAudio'],
  skypop_audio_close: function() {
    SkypopAudio.listen(false);
    if (SkypopAudio.node) {
      SkypopAudio.node.onaudioprocess = null;
      if (SkypopAudio.node.port) SkypopAudio.node.port.onmessage = null;
      SkypopAudio.node.disconnect();
    }
    if (SkypopAudio.context) SkypopAudio.context.close();
    SkypopAudio.node = null;
    SkypopAudio.context = null;
    SkypopAudio.frames = 0;
    SkypopAudio.pool = [];
    SkypopAudio.scorePool = [];
    SkypopAudio.score = null;
    SkypopAudio.held = 0;
    SkypopAudio.sent = 0;
  },
});
