// The page around the game: the module's settings, the full-screen button, the message box and
// the offer to play again.
'use strict';
(function() {
  var canvas = document.getElementById('canvas');
  var stage = document.getElementById('stage');

  var Module = window.Module = {
    canvas: canvas,
    print: function(text) { console.log(text); },
    printErr: function(text) { console.warn(text); },
    showMessage: function(caption, text) {
      document.getElementById('message-caption').textContent = caption;
      document.getElementById('message-text').textContent = text;
      document.getElementById('message').hidden = false;
      document.getElementById('message-ok').focus();
    },
    onGameEnded: function() {
      // Escape has ended the game and saved the table; a fresh page is a fresh game.
      document.getElementById('ended').hidden = false;
      document.getElementById('again').focus();
    },
  };

  canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
  document.getElementById('message-ok').addEventListener('click', function() {
    document.getElementById('message').hidden = true;
  });
  document.getElementById('again').addEventListener('click', function() { location.reload(); });

  function toggleFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (stage.requestFullscreen) {
      stage.requestFullscreen().catch(function() {});
    }
  }
  document.getElementById('fullscreen').addEventListener('click', function(e) {
    toggleFullScreen();
    e.currentTarget.blur();
  });
  window.addEventListener('keydown', function(e) {
    if (e.key === 'F11') {
      e.preventDefault();
      toggleFullScreen();
    }
  });

})();
