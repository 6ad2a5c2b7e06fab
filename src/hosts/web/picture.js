// The picture through WebGL: the game's 8-bit pixels as a one-channel (LUMINANCE) texture and its
// palette as a 256 x 1 RGBA texture, the colours looked up in the fragment shader, both sampled
// NEAREST so that every pixel stays crisp. The canvas is exactly the picture's size, so one texel
// covers one canvas pixel; the style sheet scales it, 4:3, with black bars. The same WebGL 1
// calls serve a WebGL 2 context (preferred where there is one). A lost context (the graphics
// chip reset, say) is rebuilt when the browser restores it, palette and all.
//
// A browser whose WebGL is drawn in software (no usable graphics chip) gets the 2D canvas instead:
// it composites the page in software too and reads every WebGL frame back on the main thread,
// which costs far more there than the 2D canvas's copy.
mergeInto(LibraryManager.library, {
  $SkypopPicture: {
    gl: null,
    width: 0,
    height: 0,
    lost: false,
    palette: null,   // the palette last drawn, handed again after a restored context

    vertexShader: [
      'attribute vec2 corner;',
      'varying highp vec2 at;',
      'void main() {',
      // The picture's first row is the canvas's top one.
      '  at = vec2(corner.x + 1.0, 1.0 - corner.y) * 0.5;',
      '  gl_Position = vec4(corner, 0.0, 1.0);',
      '}',
    ].join('\n'),
    fragmentShader: [
      '#ifdef GL_FRAGMENT_PRECISION_HIGH',
      'precision highp float;',
      '#else',
      'precision mediump float;',
      '#endif',
      'uniform sampler2D indices;',
      'uniform sampler2D palette;',
      'varying highp vec2 at;',
      'void main() {',
      '  float index = texture2D(indices, at).r * 255.0;',
      '  gl_FragColor = texture2D(palette, vec2((index + 0.5) / 256.0, 0.5));',
      '}',
    ].join('\n'),

    // Whether this browser's WebGL is a software renderer, asked of a throwaway canvas (a canvas
    // that has had a WebGL context can never have a 2D one).
    software: function() {
      var probe = null;
      try {
        probe = document.createElement('canvas').getContext('webgl');
      } catch (e) {
        probe = null;
      }
      if (!probe) return true;
      var info = probe.getExtension('WEBGL_debug_renderer_info');
      var name = info ? String(probe.getParameter(info.UNMASKED_RENDERER_WEBGL)) : '';
      var lose = probe.getExtension('WEBGL_lose_context');
      if (lose) lose.loseContext();
      return /SwiftShader|llvmpipe|softpipe|software/i.test(name);
    },

    // True once the canvas draws through WebGL.
    open: function(canvas, width, height) {
      if (SkypopPicture.software()) return false;
      var options = {alpha: false, antialias: false, depth: false, stencil: false,
                     premultipliedAlpha: false, preserveDrawingBuffer: false};
      var gl = null;
      try {
        gl = canvas.getContext('webgl2', options) || canvas.getContext('webgl', options);
      } catch (e) {
        gl = null;
      }
      if (!gl) return false;
      var picture = SkypopPicture;
      picture.gl = gl;
      picture.width = width;
      picture.height = height;
      canvas.addEventListener('webglcontextlost', function(e) {
        e.preventDefault();  // asks the browser to restore it
        picture.lost = true;
      });
      canvas.addEventListener('webglcontextrestored', function() {
        picture.lost = !picture.build();
      });
      if (picture.build()) return true;
      picture.gl = null;
      return false;
    },

    texture: function(unit, width, height, format) {
      var gl = SkypopPicture.gl;
      gl.activeTexture(unit);
      gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
      gl.texImage2D(gl.TEXTURE_2D, 0, format, width, height, 0, format, gl.UNSIGNED_BYTE, null);
    },

    // The shaders, the one quad and the two textures, bound once for good: each frame then only
    // uploads and draws. False when the context will not compile them.
    build: function() {
      var picture = SkypopPicture;
      var gl = picture.gl;
      var program = gl.createProgram();
      [[gl.VERTEX_SHADER, picture.vertexShader],
       [gl.FRAGMENT_SHADER, picture.fragmentShader]].forEach(function(part) {
        var shader = gl.createShader(part[0]);
        gl.shaderSource(shader, part[1]);
        gl.compileShader(shader);
        gl.attachShader(program, shader);
      });
      gl.bindAttribLocation(program, 0, 'corner');
      gl.linkProgram(program);
      if (!gl.getProgramParameter(program, gl.LINK_STATUS)) {
        console.warn('SKYPOP FRENZY: drawing without WebGL: ' + gl.getProgramInfoLog(program));
        return false;
      }
      gl.useProgram(program);
      gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
      gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 1, -1, -1, 1, 1, 1]),
                    gl.STATIC_DRAW);
      gl.enableVertexAttribArray(0);
      gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
      gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
      picture.texture(gl.TEXTURE1, 256, 1, gl.RGBA);
      picture.texture(gl.TEXTURE0, picture.width, picture.height, gl.LUMINANCE);
      gl.uniform1i(gl.getUniformLocation(program, 'indices'), 0);
      gl.uniform1i(gl.getUniformLocation(program, 'palette'), 1);
      gl.viewport(0, 0, picture.width, picture.height);
      if (picture.palette) picture.upload(gl.TEXTURE1, 256, 1, gl.RGBA, picture.palette);
      return true;
    },

    upload: function(unit, width, height, format, data) {
      var gl = SkypopPicture.gl;
      gl.activeTexture(unit);
      gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, 0, width, height, format, gl.UNSIGNED_BYTE, data);
    },

    // indices: width x height bytes; palette: 256 RGBA colours, or null when unchanged.
    draw: function(indices, palette) {
      var picture = SkypopPicture;
      var gl = picture.gl;
      if (!gl || picture.lost) return;
      if (palette) {
        if (!picture.palette) picture.palette = new Uint8Array(4 * 256);
        picture.palette.set(palette);
        picture.upload(gl.TEXTURE1, 256, 1, gl.RGBA, palette);
      }
      picture.upload(gl.TEXTURE0, picture.width, picture.height, gl.LUMINANCE, indices);
      gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
    },
  },
});
