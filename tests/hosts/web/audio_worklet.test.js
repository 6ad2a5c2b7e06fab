// The audio worklet's player, run in node with a stand-in synthesizer: each MIDI message reaches
// the synthesizer after exactly the music frames the page's sequencer placed it after, across
// render quanta, blocks and scores, and the sum of effects and music is bent under full scale.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const vm = require('vm');

function makePlayer() {
  const library = {};
  const file = path.join(__dirname, '../../../src/hosts/web/audio_worklet.js');
  const text = fs.readFileSync(file, 'utf8');
  vm.runInNewContext(text, {mergeInto: Object.assign, LibraryManager: {library}});
  const scope = {currentTime: 0, sampleRate: 48000, sent: []};
  // What the player posts is copied, as posting does.
  const port = {postMessage: (m) => scope.sent.push({...m, scores: [...m.scores]})};
  scope.AudioWorkletProcessor = class { constructor() { this.port = port; } };
  scope.registerProcessor = (name, type) => { scope.Player = type; };
  vm.runInNewContext(`(${library.$SkypopWorklet.player})()`, scope);
  return {player: new scope.Player({processorOptions: {knee: 0.9}}), sent: scope.sent};
}

test('the worklet tells each message after the music frames it was placed after', () => {
  const {player, sent} = makePlayer();
  // The music adds 0.1 per frame at the block's gain and counts the frames it has rendered.
  const music = {frames: 0, heard: [], play(word) { this.heard.push([word, this.frames]); },
                 render(left, right, at, n, gain) {
                   for (let k = at; k < at + n; k++) {
                     left[k] += 0.1 * gain;
                     right[k] += 0.1 * gain;
                   }
                   this.frames += n;
                 }};
  player.music = music;
  // [effects level, music gain, frames the music plays, messages as (frame, word)]: the last
  // block's first message waits for the frames the music played in the block before.
  const blocks = [[0, 0.5, 256, [[0, 1], [100, 2], [128, 3], [256, 4]]],
                  [0, 1, 200, [[50, 5], [200, 6]]],
                  [0.95, 1, 256, [[0, 7]]]].map(([level, gain, frames, messages]) => {
    const block = new Float32Array(2 * 256 + 3).fill(level);
    block.set([gain, frames, messages.length], 512);
    return {block, messages};
  });
  const pairs = blocks.flatMap((b) => b.messages);
  const scores = [pairs.slice(0, 5), pairs.slice(5)]
                     .map((part) => Uint32Array.from([part.length, ...part.flat()]));
  player.port.onmessage({data: {blocks: blocks.map((b) => b.block), scores}});
  const left = new Float32Array(128);
  const right = new Float32Array(128);
  const firsts = [];
  for (let quantum = 0; quantum < 6; quantum++) {
    player.process([], [[left, right]]);
    firsts.push(left[0]);
  }
  assert.deepStrictEqual(music.heard,
                         [[1, 0], [2, 100], [3, 128], [4, 256], [5, 306], [6, 456], [7, 456]]);
  assert.strictEqual(music.frames, 712);
  // 0.05 at half gain; 0.95 + 0.1 bent: 0.9 + 0.1 * tanh(1.5).
  assert.deepStrictEqual(firsts.map((v) => v.toFixed(4)),
                         ['0.0500', '0.0500', '0.1000', '0.1000', '0.9905', '0.9905']);
  // Each score read goes back with the player's next word, or waits for it.
  assert.deepStrictEqual([...sent.flatMap((m) => m.scores), ...player.read], scores);
});
