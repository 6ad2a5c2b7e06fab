// Takes libfluidsynth's single-file build apart: npm's js-synthesizer ships FluidSynth as one
// script with its WebAssembly inlined as base64 text. Apart, the site sends 110 KB less, and the
// browser compiles the WebAssembly while it downloads instead of parsing and decoding 440 KB of
// text first. The page's loader (src/hosts/web/synth.js) fetches both and hands the compiled
// module to the script through its instantiateWasm hook; the script names the .wasm file where
// the text was, so it still says where its code is.
//   node tools/split_fluidsynth.js LIBFLUIDSYNTH_JS OUT_JS OUT_WASM
'use strict';
const fs = require('fs');
const path = require('path');

// The inlined module: a quoted data address with a non-empty payload (the bare prefix appears
// earlier, as the script's own constant).
const kInlined = /"data:application\/octet-stream;base64,([A-Za-z0-9+/=]+)"/g;

function split(script, wasmName) {
  const found = [...script.matchAll(kInlined)];
  if (found.length !== 1) throw new Error(`${found.length} inlined modules where one was expected`);
  const wasm = Buffer.from(found[0][1], 'base64');
  if (wasm.subarray(0, 4).toString('binary') !== '\0asm') throw new Error('the inlined data is not WebAssembly');
  if (!script.includes('Module["instantiateWasm"]')) throw new Error('the script has no instantiateWasm hook');
  return {js: script.replace(kInlined, () => JSON.stringify(wasmName)), wasm};
}

if (require.main === module) {
  const [input, outJs, outWasm] = process.argv.slice(2);
  if (!outWasm) {
    console.error('usage: split_fluidsynth.js LIBFLUIDSYNTH_JS OUT_JS OUT_WASM');
    process.exit(2);
  }
  try {
    const {js, wasm} = split(fs.readFileSync(input, 'utf8'), path.basename(outWasm));
    fs.mkdirSync(path.dirname(outJs), {recursive: true});
    fs.mkdirSync(path.dirname(outWasm), {recursive: true});
    fs.writeFileSync(outJs, js);
    fs.writeFileSync(outWasm, wasm);
  } catch (error) {
    console.error(`split_fluidsynth: ${input}: ${error.message}`);
    process.exit(1);
  }
}
