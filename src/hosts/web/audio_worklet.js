// The audio worklet's player: the module audio.js adds to the worklet, run on the audio thread
// from its own text (this function's). It plays the blocks the page hands over in the order they
// came and hands them back once played, eight at a time or with its next word; a render quantum
// it must end in silence because none is left is an underrun, counted once playing has begun. It
// asks for more once fewer than askBelow frames are left, and again, marked low, below four
// quanta; each once until the next blocks come.
//
// Each block is the mixer's effects (2 x blockFrames samples) followed by the music's part of it
// (synth.js): its gain, the frames the music plays from the block's start, and how many of the
// messages queued in the scores belong to the block. The scores (Uint32Arrays: a count, then
// (frame in the block, message) pairs) come beside the blocks, in order, and go back once read.
// With the music in (synth.js's skypopMusic, once the page has sent its pieces), the player
// renders it between the block's messages and adds it; then it bends the sum under full scale as
// the mixer does on the desktop (machine/audio_mixer.cpp), with the knee the page passed on.
mergeInto(LibraryManager.library, {
  $SkypopWorklet: {
    header: 3,  // the floats after a block's samples: gain, music frames, messages

    player: function() {
      const kHeader = 3;
      class SkypopPlayer extends AudioWorkletProcessor {
        constructor(options) {
          super();
          this.knee = options.processorOptions.knee;
          this.blocks = [];
          this.played = [];
          this.scores = [];
          this.scoreAt = 1;   // the next pair's place in the first score
          this.read = [];     // scores read, to go back
          this.buffers = [];
          // The message and its arrays are made once: posting copies them.
          this.message = {played: this.played, scores: this.read, ask: false, low: false,
                          underruns: 0, underrunAt: 0, queued: 0, received: 0, time: 0};
          this.at = 0;        // frames of the first block already played
          this.queued = 0;    // frames not yet played
          this.received = 0;  // frames handed over so far
          this.askBelow = 0;
          this.playing = false;
          this.asked = false;
          this.low = false;
          this.underruns = 0;
          this.underrunAt = 0;
          this.music = null;
          this.gain = 0;      // the block under way: the music's gain, frames and messages left
          this.musicFrames = 0;
          this.messagesLeft = 0;
          this.port.onmessage = (event) => this.heard(event.data);
        }

        heard(data) {
          if (data.music) {
            this.loadMusic(data.music);
          } else if (data.blocks) {
            for (const block of data.blocks) {
              this.blocks.push(block);
              this.queued += (block.length - kHeader) >> 1;
              this.received += (block.length - kHeader) >> 1;
            }
            for (const score of data.scores) this.scores.push(score);
            this.playing = true;
            this.asked = false;
            this.low = false;
          } else {
            this.askBelow = data.askBelow;
          }
        }

        // Takes up FluidSynth with the soundfont; says how long the audio thread spent on it.
        loadMusic(pieces) {
          const clock = () => (typeof performance !== 'undefined' ? performance.now() : Date.now());
          const start = clock();
          // A throw on the way (no WebAssembly here, say) is a refusal too.
          Promise.resolve(pieces).then((p) => globalThis.skypopMusic(p)).then((music) => {
            this.music = music;
            this.port.postMessage({music: {ready: true, ms: clock() - start}});
          }, (error) => {
            this.port.postMessage({music: {ready: false, error: String(error)}});
          });
        }

        send(ask, low, time) {
          const message = this.message;
          message.ask = ask;
          message.low = low;
          message.underruns = this.underruns;
          message.underrunAt = this.underrunAt;
          message.queued = this.queued;
          message.received = this.received;
          message.time = time;
          for (const block of this.played) this.buffers.push(block.buffer);
          for (const score of this.read) this.buffers.push(score.buffer);
          this.port.postMessage(message, this.buffers);
          this.played.length = 0;
          this.read.length = 0;
          this.buffers.length = 0;
        }

        nextFrame() {
          return this.scores[0][this.scoreAt];
        }

        // Plays (or, without the music, drops) every message of the block told at or before
        // `frame`.
        tell(frame) {
          while (this.messagesLeft > 0 && this.scores.length && this.nextFrame() <= frame) {
            const score = this.scores[0];
            if (this.music) this.music.play(score[this.scoreAt + 1]);
            this.messagesLeft--;
            this.scoreAt += 2;
            if (this.scoreAt >= 1 + 2 * score[0]) {
              this.read.push(this.scores.shift());
              this.scoreAt = 1;
            }
          }
        }

        // The music of the block under way for its frames [at, at + n), added into the output
        // from frame i: FluidSynth renders between the messages, each told at its frame.
        addMusic(left, right, i, n) {
          const end = Math.min(this.at + n, this.musicFrames);
          for (let from = this.at; from < end;) {
            this.tell(from);
            let to = end;
            if (this.messagesLeft > 0 && this.scores.length) to = Math.min(end, this.nextFrame());
            if (this.music) this.music.render(left, right, i + from - this.at, to - from, this.gain);
            from = to;
          }
        }

        bend(v) {
          const size = Math.abs(v);
          if (size <= this.knee) return v;
          const knee = this.knee;
          return Math.sign(v) * (knee + (1 - knee) * Math.tanh((size - knee) / (1 - knee)));
        }

        process(inputs, outputs) {
          const left = outputs[0][0];
          const right = outputs[0][1] || left;
          const frames = left.length;
          let i = 0;
          while (i < frames && this.blocks.length) {
            const block = this.blocks[0];
            const size = (block.length - kHeader) >> 1;
            if (this.at === 0) {
              this.gain = block[2 * size];
              this.musicFrames = block[2 * size + 1];
              this.messagesLeft = block[2 * size + 2];
            }
            const n = Math.min(frames - i, size - this.at);
            for (let k = 0; k < n; k++) {
              left[i + k] = block[2 * (this.at + k)];
              right[i + k] = block[2 * (this.at + k) + 1];
            }
            this.addMusic(left, right, i, n);
            i += n;
            this.at += n;
            this.queued -= n;
            if (this.at === size) {
              this.tell(Infinity);  // what was told at the block's very end
              this.played.push(this.blocks.shift());
              this.at = 0;
            }
          }
          for (let k = 0; k < i; k++) {
            left[k] = this.bend(left[k]);
            right[k] = this.bend(right[k]);
          }
          if (i < frames) {
            left.fill(0, i);
            right.fill(0, i);
            if (this.playing) {
              this.underruns++;
              this.underrunAt = currentTime;
            }
          }
          if (!this.playing) return true;
          const end = currentTime + frames / sampleRate;  // the audio clock after this quantum
          if (this.queued < 4 * frames && !this.low) {
            this.low = true;
            this.asked = true;
            this.send(true, true, end);
          } else if (this.queued < this.askBelow && !this.asked) {
            this.asked = true;
            this.send(true, false, end);
          } else if (this.played.length >= 8) {
            this.send(false, false, end);
          }
          return true;
        }
      }
      registerProcessor('skypop-player', SkypopPlayer);
    },
  },
});
