// What the real-time benchmarks share: where on the page a balloon is, and the page a phone stands
// in for.
'use strict';

// A stand-in for a phone's graphics chip unless told otherwise (browser.js reads this), and the
// page told its WebGL runs on one (test_hooks.js); SKYPOP_BENCH_PAGE adds more (canvas2d,
// scriptprocessor) or replaces it.
if (process.env.SKYPOP_CHROMIUM_GPU === undefined) process.env.SKYPOP_CHROMIUM_GPU = '1';
const benchQuery = ['bench', ...(process.env.SKYPOP_BENCH_PAGE ?? 'webgl').split(',')
                                  .filter(Boolean)].join('&');

// The page position where a click pops a balloon (the test build tells where the balloons are),
// or null while none floats.
async function findBalloon(page) {
  return page.evaluate(() => {
    for (let slot = 0; slot < 32; slot++) {
      const spot = Module._SkypopBalloonSpot(slot);
      if (spot < 0) continue;
      const r = document.getElementById('canvas').getBoundingClientRect();
      return {x: r.left + ((spot & 0xFFFF) + 0.5) * r.width / 640,
              y: r.top + ((spot >> 16) + 0.5) * r.width / 640};
    }
    return null;
  });
}

module.exports = {benchQuery, findBalloon};
