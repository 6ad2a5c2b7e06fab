// The page around the game: the module's settings, the full-screen button, the message box, the
// offer to play again, the buttons a phone needs (Resume, End), the small notes on what this
// browser cannot do (keep the scores, play the music) and the offline copy of the site.
'use strict';
(function() {
  var canvas = document.getElementById('canvas');
  var stage = document.getElementById('stage');
  var byId = function(id) { return document.getElementById(id); };
  var kSpace = 0x20;
  var kEscape = 0x1B;
  var notes = [];

  var Module = window.Module = {
    canvas: canvas,
    print: function(text) { console.log(text); },
    printErr: function(text) { console.warn(text); },
    showMessage: function(caption, text) {
      byId('message-caption').textContent = caption;
      byId('message-text').textContent = text;
      byId('message').hidden = false;
      byId('message-ok').focus();
    },
    // What the game cannot do here, each said once on the help line; the game plays on.
    showNote: function(text) {
      if (notes.indexOf(text) >= 0) return;
      notes.push(text);
      byId('notes').textContent = notes.join(' \u00b7 ');
      byId('notes').hidden = false;
    },
    // The game tells the page when a wave waits for Start.
    showResume: function(shown) {
      byId('resume').hidden = !shown;
    },
    onGameEnded: function() {
      // Escape has ended the game and saved the table; a fresh page is a fresh game.
      byId('resume').hidden = true;
      byId('end').hidden = true;
      byId('end-ask').hidden = true;
      byId('ended').hidden = false;
      byId('again').focus();
    },
  };

  // What the page's own buttons press goes the keyboard's way into the game.
  function pressKey(code) {
    if (Module['_skypop_page_press_key']) Module['_skypop_page_press_key'](code);
  }

  // No long-press menu and no selection on the stage.
  stage.addEventListener('contextmenu', function(e) { e.preventDefault(); });
  byId('message-ok').addEventListener('click', function() { byId('message').hidden = true; });
  byId('again').addEventListener('click', function() { location.reload(); });
  // Resume sends Start, as Space does; the button hides once the game has taken it.
  byId('resume').addEventListener('click', function() { pressKey(kSpace); });

  // A phone has no Escape key: End asks first, then sends it.
  byId('end').addEventListener('click', function() {
    byId('end-ask').hidden = false;
    byId('end-no').focus();
  });
  byId('end-no').addEventListener('click', function() { byId('end-ask').hidden = true; });
  byId('end-yes').addEventListener('click', function() {
    byId('end-ask').hidden = true;
    pressKey(kEscape);
  });

  // The help line and the End button speak of the input the player has: touch on a phone or
  // tablet (or from the first touch on), the mouse and keys elsewhere.
  function useTouch() {
    document.documentElement.classList.add('touch');
    if (byId('ended').hidden) byId('end').hidden = false;
  }
  if (window.matchMedia && matchMedia('(pointer: coarse)').matches) useTouch();
  window.addEventListener('pointerdown', function(e) {
    if (e.pointerType === 'touch' || e.pointerType === 'pen') useTouch();
  }, true);

  // Full screen fills the screen with the stage and, on a phone that allows it, turns it to
  // landscape; a browser that refuses either leaves the page as it was.
  function toggleFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(function() {});
      return;
    }
    stage.requestFullscreen({navigationUI: 'hide'}).then(function() {
      if (screen.orientation && screen.orientation.lock) return screen.orientation.lock('landscape');
    }).catch(function() {});
  }
  var fullScreen = byId('fullscreen');
  fullScreen.hidden = !(stage.requestFullscreen && document.fullscreenEnabled);
  fullScreen.addEventListener('click', function(e) {
    toggleFullScreen();
    e.currentTarget.blur();
  });
  window.addEventListener('keydown', function(e) {
    if (e.key === 'F11' && !fullScreen.hidden) {
      e.preventDefault();
      toggleFullScreen();
    }
  });

  // The offline copy: a service worker that keeps the whole site in the browser's cache. It is
  // registered only where the browser allows it (https, or localhost while developing) and only
  // once the game has drawn and its music is in, so that its download of the whole site never
  // competes with the first start. Without it the page plays on as before.
  var due = ['skypop-first-frame', 'skypop-music-ready'];
  if (window.isSecureContext && 'serviceWorker' in navigator && window.PerformanceObserver) {
    var watch = new PerformanceObserver(function(list) {
      list.getEntries().forEach(function(mark) {
        due = due.filter(function(name) { return name !== mark.name; });
      });
      if (due.length) return;
      watch.disconnect();
      navigator.serviceWorker.register('service_worker.js').catch(function(error) {
        console.warn('SKYPOP FRENZY: no offline copy: ' + error);
      });
    });
    watch.observe({type: 'mark', buffered: true});
  }
})();
