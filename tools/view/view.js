(function () {
  'use strict';

  // Kinds of objects: layer caption and colour. Stretches are drawn along
  // the line, the rest as marks across it.
  var KINDS = [
    ['station', 'Stations', '#1f5fbf'],
    ['signal', 'Signals', '#c0392b'],
    ['tunnel', 'Tunnels', '#8a5a2b'],
    ['slowdown', 'Slow-downs', '#ff8c00'],
    ['text-board', 'Text boards', '#6a1b9a'],
    ['speed-indicator', 'Speed-indicator boards', '#00838f'],
    ['abbattimento', 'Abbattimento points', '#2e7d32'],
    ['derived-board', 'Derived boards', '#777777'],
    ['warning-board', 'Warning boards', '#d35400'],
    ['advance-mark', 'Advance marks', '#e67e22'],
    ['approach-mark', 'Approach marks', '#5d7fb9']
  ];
  var CAPTION = {
    'station': 'station', 'signal': 'signal', 'tunnel': 'tunnel', 'slowdown': 'slow-down',
    'text-board': 'text board', 'speed-indicator': 'speed-indicator board',
    'abbattimento': 'abbattimento point', 'derived-board': 'speed board added by the derivation rules',
    'warning-board': 'slow-down warning board', 'advance-mark': 'slow-down advance mark',
    'approach-mark': 'approach mark'
  };
  var COLOUR = {};
  KINDS.forEach(function (k) { COLOUR[k[0]] = k[2]; });

  var D = null;            // the data
  var plan = null;         // plan arrays and blocks
  var layers = {};         // kind -> shown
  KINDS.forEach(function (k) { layers[k[0]] = k[0] !== 'approach-mark' && k[0] !== 'advance-mark'; });
  var view = { s: 1, cx: 0, cy: 0 };      // plan: px per metre, centre in plan metres
  var win = { from: 0, to: 1 };           // chainage window, metres
  var planCanvas = document.getElementById('plan');
  var chartCanvas = document.getElementById('charts');
  var tip = document.getElementById('tip');
  var marks = [];          // screen marks of the last frame, for hovering
  // The last frame's scale text, chart bands and plan labels, for #report.
  var drawn = { scale: '', bands: [], labels: [] };
  var pending = false;
  var BLOCK = 256;

  function el(tag, attrs, text) {
    var e = document.createElement(tag);
    if (attrs) Object.keys(attrs).forEach(function (a) { e.setAttribute(a, attrs[a]); });
    if (text !== undefined) e.textContent = text;
    return e;
  }

  function fmtPost(p) {
    var neg = p < 0, a = Math.abs(Math.round(p));
    var m = String(a % 1000);
    while (m.length < 3) m = '0' + m;
    return (neg ? '-' : '') + Math.floor(a / 1000) + '+' + m;
  }
  function postAt(m) {
    var ps = D.posts;
    for (var i = ps.length - 1; i >= 0; i--) {
      if (m >= ps[i][0] || i === 0) return ps[i][2] + ps[i][3] * (m - ps[i][0]);
    }
    return m;
  }
  function metresOfPost(p) {
    for (var i = 0; i < D.posts.length; i++) {
      var t = D.posts[i], d = (p - t[2]) * t[3];
      if (d >= 0 && t[0] + d < t[1]) return t[0] + d;
    }
    return null;
  }
  function fmtMetres(m) { return Math.round(m).toLocaleString('en-US') + ' m'; }

  // ---- the plan ------------------------------------------------------
  function buildPlan() {
    var x = D.plan.x, y = D.plan.y, n = x.length, blocks = [];
    for (var b = 0; b < n; b += BLOCK) {
      var e = Math.min(n - 1, b + BLOCK);
      var x0 = Infinity, x1 = -Infinity, y0 = Infinity, y1 = -Infinity;
      for (var i = b; i <= e; i++) {
        if (x[i] < x0) x0 = x[i];
        if (x[i] > x1) x1 = x[i];
        if (y[i] < y0) y0 = y[i];
        if (y[i] > y1) y1 = y[i];
      }
      blocks.push({ b: b, e: e, x0: x0, x1: x1, y0: y0, y1: y1 });
    }
    plan = { x: x, y: y, n: n, step: D.plan.step, blocks: blocks };
  }
  function planPoint(m) {
    if (!plan.n) return [0, 0];
    var f = Math.max(0, Math.min(plan.n - 1, m / plan.step));
    var i = Math.floor(f), j = Math.min(plan.n - 1, i + 1), t = f - i;
    return [plan.x[i] + (plan.x[j] - plan.x[i]) * t, plan.y[i] + (plan.y[j] - plan.y[i]) * t];
  }
  function size(c) {
    var r = window.devicePixelRatio || 1;
    var w = Math.max(1, c.clientWidth), h = Math.max(1, c.clientHeight);
    if (c.width !== Math.round(w * r) || c.height !== Math.round(h * r)) {
      c.width = Math.round(w * r);
      c.height = Math.round(h * r);
    }
    var ctx = c.getContext('2d');
    ctx.setTransform(r, 0, 0, r, 0, 0);
    return { ctx: ctx, w: w, h: h };
  }
  function toScreen(p, W, H) {
    return [W / 2 + (p[0] - view.cx) * view.s, H / 2 - (p[1] - view.cy) * view.s];
  }
  function fitPlan(from, to) {
    var W = Math.max(1, planCanvas.clientWidth), H = Math.max(1, planCanvas.clientHeight);
    var x0 = Infinity, x1 = -Infinity, y0 = Infinity, y1 = -Infinity;
    var i0 = Math.max(0, Math.floor(from / plan.step)), i1 = Math.min(plan.n - 1, Math.ceil(to / plan.step));
    for (var i = i0; i <= i1; i++) {
      x0 = Math.min(x0, plan.x[i]); x1 = Math.max(x1, plan.x[i]);
      y0 = Math.min(y0, plan.y[i]); y1 = Math.max(y1, plan.y[i]);
    }
    if (!isFinite(x0)) { x0 = 0; x1 = 1; y0 = 0; y1 = 1; }
    var dx = Math.max(x1 - x0, 20), dy = Math.max(y1 - y0, 20);
    // The margins are left only where the canvas has room for them: in a
    // low window the plan still fits, never at a scale of zero or below.
    view.s = Math.min(Math.max(W - 80, W / 2) / dx, Math.max(H - 60, H / 2) / dy);
    view.cx = (x0 + x1) / 2;
    view.cy = (y0 + y1) / 2;
  }
  // The chainage window of what the plan shows: the first and last route
  // points inside it.
  function windowFromPlan() {
    var W = planCanvas.clientWidth, H = planCanvas.clientHeight;
    var vx0 = view.cx - W / 2 / view.s, vx1 = view.cx + W / 2 / view.s;
    var vy0 = view.cy - H / 2 / view.s, vy1 = view.cy + H / 2 / view.s;
    var lo = Infinity, hi = -Infinity;
    var stride = strideFor();
    plan.blocks.forEach(function (bl) {
      if (bl.x1 < vx0 || bl.x0 > vx1 || bl.y1 < vy0 || bl.y0 > vy1) return;
      for (var i = bl.b; i <= bl.e; i += Math.min(stride, BLOCK)) {
        var x = plan.x[i], y = plan.y[i];
        if (x >= vx0 && x <= vx1 && y >= vy0 && y <= vy1) {
          if (i < lo) lo = i;
          if (i > hi) hi = i;
        }
      }
    });
    if (isFinite(lo)) {
      win.from = Math.max(0, lo * plan.step);
      win.to = Math.max(win.from + plan.step, Math.min(hi * plan.step, D.planEnd));
    }
  }
  // Points of the line kept at this zoom: about one every two pixels.
  function strideFor() {
    var st = 1;
    while (st < BLOCK && plan.step * st * view.s < 2) st *= 2;
    return st;
  }

  function drawPlan() {
    var c = size(planCanvas), ctx = c.ctx, W = c.w, H = c.h;
    ctx.clearRect(0, 0, W, H);
    marks = [];
    if (!plan.n) {
      ctx.fillStyle = '#8b0000';
      ctx.fillText('No route to draw.', 20, 30);
      return;
    }
    var vx0 = view.cx - W / 2 / view.s - 10, vx1 = view.cx + W / 2 / view.s + 10;
    var vy0 = view.cy - H / 2 / view.s - 10, vy1 = view.cy + H / 2 / view.s + 10;
    var stride = strideFor();
    var lenIndex = Math.round(D.length / plan.step);
    function strokeRange(i0, i1, style, width, dash) {
      ctx.beginPath();
      ctx.strokeStyle = style;
      ctx.lineWidth = width;
      ctx.setLineDash(dash || []);
      plan.blocks.forEach(function (bl) {
        if (bl.e < i0 || bl.b > i1) return;
        if (bl.x1 < vx0 || bl.x0 > vx1 || bl.y1 < vy0 || bl.y0 > vy1) return;
        var a = Math.max(bl.b, i0), b = Math.min(bl.e, i1);
        var p = toScreen([plan.x[a], plan.y[a]], W, H);
        ctx.moveTo(p[0], p[1]);
        for (var i = a + stride - (a % stride); i < b; i += stride) {
          p = toScreen([plan.x[i], plan.y[i]], W, H);
          ctx.lineTo(p[0], p[1]);
        }
        p = toScreen([plan.x[b], plan.y[b]], W, H);
        ctx.lineTo(p[0], p[1]);
      });
      ctx.stroke();
      ctx.setLineDash([]);
    }
    strokeRange(0, lenIndex, '#2b2b2b', 2.2);
    strokeRange(lenIndex, plan.n - 1, '#999', 1.5, [5, 4]);

    function alongNormal(m) {
      var a = planPoint(m - 20), b = planPoint(m + 20);
      var dx = b[0] - a[0], dy = b[1] - a[1], n = Math.hypot(dx, dy) || 1;
      return [-dy / n, -dx / n];  // left of the way, on screen (y down)
    }
    var objs = D.objects, labels = [];
    var occupied = [];
    // The window's text lies over the plan's top right corner: no label
    // goes under it.
    var wt = windowTextBox();
    if (wt) occupied.push(wt);
    drawn.labels = [];
    function free(r) {
      for (var i = 0; i < occupied.length; i++) {
        var o = occupied[i];
        if (r[0] < o[2] && o[0] < r[2] && r[1] < o[3] && o[1] < r[3]) return false;
      }
      return true;
    }
    // Stretches first, then marks, stations on top.
    for (var pass = 0; pass < 3; pass++) {
      for (var k = 0; k < objs.length; k++) {
        var o = objs[k];
        if (!layers[o.k]) continue;
        var stretch = o.k === 'tunnel' || o.k === 'slowdown';
        if ((stretch ? 0 : o.k === 'station' ? 2 : 1) !== pass) continue;
        var end = o.e === undefined ? o.m : o.e;
        if (end < win.from - 2000 || o.m > win.to + 2000) continue;
        var p = toScreen(planPoint(o.m), W, H);
        if (!stretch && (p[0] < -50 || p[0] > W + 50 || p[1] < -50 || p[1] > H + 50)) continue;
        var col = COLOUR[o.k];
        if (stretch) {
          strokeRange(Math.floor(o.m / plan.step), Math.max(Math.ceil(end / plan.step), Math.floor(o.m / plan.step) + 1),
                      o.k === 'tunnel' ? 'rgba(138,90,43,0.75)' : 'rgba(255,140,0,0.75)', o.k === 'tunnel' ? 7 : 11);
          var mid = toScreen(planPoint((o.m + end) / 2), W, H);
          marks.push({ x: mid[0], y: mid[1], o: o, r: 8 });
          if (o.k === 'slowdown') labels.push({ p: mid, t: 'slow-down ' + (o.n || ''), f: 'bold 12px sans-serif', c: '#c46a00', pr: 0 });
          else if (o.n && view.s > 0.02) labels.push({ p: mid, t: o.n, f: 'italic 10px sans-serif', c: '#7a4a1b', pr: 2 });
          continue;
        }
        var nrm = alongNormal(o.m);
        ctx.strokeStyle = col;
        ctx.fillStyle = col;
        ctx.lineWidth = 2;
        if (o.k === 'station') {
          ctx.beginPath();
          ctx.arc(p[0], p[1], 5, 0, 2 * Math.PI);
          ctx.fillStyle = '#fff';
          ctx.fill();
          ctx.lineWidth = 2.5;
          ctx.stroke();
          labels.push({ p: p, t: o.n || '', f: 'bold 12px sans-serif', c: '#1f3f7f', pr: 0 });
        } else if (o.k === 'signal') {
          ctx.beginPath();
          ctx.moveTo(p[0] - 6 * nrm[0], p[1] - 6 * nrm[1]);
          ctx.lineTo(p[0] + 9 * nrm[0], p[1] + 9 * nrm[1]);
          ctx.stroke();
          ctx.beginPath();
          ctx.arc(p[0] + 9 * nrm[0], p[1] + 9 * nrm[1], 2.5, 0, 2 * Math.PI);
          ctx.fill();
          if (view.s > 0.05) labels.push({ p: [p[0] + 12 * nrm[0], p[1] + 12 * nrm[1]], t: o.p, f: '9px sans-serif', c: '#a03020', pr: 1 });
        } else if (o.k === 'approach-mark' || o.k === 'advance-mark') {
          ctx.lineWidth = 1.5;
          ctx.beginPath();
          ctx.moveTo(p[0] - 3 * nrm[0], p[1] - 3 * nrm[1]);
          ctx.lineTo(p[0] + 3 * nrm[0], p[1] + 3 * nrm[1]);
          ctx.stroke();
        } else {
          // Boards on a short post on the right of the line.
          var q = [p[0] - 12 * nrm[0], p[1] - 12 * nrm[1]];
          ctx.lineWidth = 1;
          ctx.beginPath();
          ctx.moveTo(p[0], p[1]);
          ctx.lineTo(q[0], q[1]);
          ctx.stroke();
          ctx.beginPath();
          if (o.k === 'derived-board') {
            ctx.arc(q[0], q[1], 3, 0, 2 * Math.PI);
            ctx.fillStyle = '#fff';
            ctx.fill();
            ctx.stroke();
          } else if (o.k === 'text-board') {
            ctx.fillRect(q[0] - 3.5, q[1] - 3.5, 7, 7);
          } else if (o.k === 'speed-indicator') {
            ctx.moveTo(q[0], q[1] - 4); ctx.lineTo(q[0] + 4, q[1]); ctx.lineTo(q[0], q[1] + 4); ctx.lineTo(q[0] - 4, q[1]);
            ctx.closePath(); ctx.fill();
          } else if (o.k === 'warning-board') {
            ctx.moveTo(q[0], q[1] - 4); ctx.lineTo(q[0] + 4, q[1] + 3); ctx.lineTo(q[0] - 4, q[1] + 3);
            ctx.closePath(); ctx.fill();
          } else {
            ctx.arc(q[0], q[1], 3, 0, 2 * Math.PI);
            ctx.fill();
          }
          if (view.s > 0.08 && o.n) labels.push({ p: [q[0] - 6 * nrm[0], q[1] - 6 * nrm[1]], t: o.n, f: '9px sans-serif', c: col, pr: 2 });
          p = q;
        }
        marks.push({ x: p[0], y: p[1], o: o, r: 7 });
        occupied.push([p[0] - 5, p[1] - 5, p[0] + 5, p[1] + 5]);
      }
    }
    // Labels by priority: names, then posts, then the rest; each only where
    // it covers no earlier label.
    labels.sort(function (a, b) { return a.pr - b.pr; });
    labels.forEach(function (l) {
      if (!l.t) return;
      ctx.font = l.f;
      var w = ctx.measureText(l.t).width, h = 12;
      var tries = [[8, -8], [8, 14], [-w - 8, -8], [-w - 8, 14], [8, -22], [-w - 8, 28]];
      for (var i = 0; i < tries.length; i++) {
        var x = l.p[0] + tries[i][0], y = l.p[1] + tries[i][1];
        var r = [x - 1, y - h + 2, x + w + 1, y + 3];
        if (r[0] < 0 || r[2] > W || r[1] < 0 || r[3] > H || !free(r)) continue;
        occupied.push(r);
        drawn.labels.push(r);
        ctx.fillStyle = 'rgba(255,255,255,0.75)';
        ctx.fillRect(r[0], r[1], r[2] - r[0], r[3] - r[1]);
        ctx.fillStyle = l.c;
        ctx.fillText(l.t, x, y);
        return;
      }
    });
    // Scale bar.
    var metres = Math.pow(10, Math.floor(Math.log10(120 / view.s)));
    if (metres * view.s < 40) metres *= 5; else if (metres * view.s < 80) metres *= 2;
    ctx.strokeStyle = '#333';
    ctx.lineWidth = 2;
    ctx.beginPath();
    ctx.moveTo(12, H - 12); ctx.lineTo(12 + metres * view.s, H - 12);
    ctx.stroke();
    ctx.fillStyle = '#333';
    ctx.font = '11px sans-serif';
    drawn.scale = metres >= 1000 ? metres / 1000 + ' km' : metres + ' m';
    ctx.fillText(drawn.scale, 12, H - 17);
  }

  // ---- the charts ------------------------------------------------------
  function drawCharts() {
    var c = size(chartCanvas), ctx = c.ctx, W = c.w, H = c.h;
    ctx.clearRect(0, 0, W, H);
    var L = 64, R = W - 16, span = Math.max(1, win.to - win.from);
    function X(m) { return L + (R - L) * (m - win.from) / span; }
    // A strip at the top for the station names, upright.
    var names = Math.min(110, Math.max(60, H * 0.22)), top = 4, gap = 16;
    var bands = [['Speed limit (km/h); slow-downs shaded', 0.34], ['Gradient (\u2030, + rising)', 0.24], ['Adhesion', 0.16]];
    var usable = H - 58 - top - names - gap * 3;
    var y = top + names;
    var prof = D.profiles, n = prof.speed.length;
    var c0 = Math.max(0, Math.floor(win.from / 50)), c1 = Math.min(n, Math.ceil(win.to / 50));
    var per = Math.max(1, Math.floor((c1 - c0) / (R - L)));
    var boxes = [];
    drawn.bands = [];
    bands.forEach(function (b) {
      var h = usable * b[1] / 0.74;
      boxes.push([y + gap, y + gap + h]);
      drawn.bands.push(b[0] + '|' + Math.round(y + gap) + '|' + Math.round(y + gap + h));
      ctx.fillStyle = '#333';
      ctx.font = 'bold 11px sans-serif';
      ctx.fillText(b[0], L, y + gap - 3);
      y += gap + h;
    });
    function series(values, box, lo, hi, mode, colour, fill) {
      var y0 = box[0], y1 = box[1];
      function Y(v) { return y1 - (y1 - y0) * (v - lo) / (hi - lo); }
      ctx.strokeStyle = '#ddd';
      ctx.lineWidth = 1;
      ctx.fillStyle = '#444';
      ctx.font = '10px sans-serif';
      ctx.textAlign = 'right';
      [lo, (lo + hi) / 2, hi].forEach(function (v) {
        ctx.beginPath(); ctx.moveTo(L, Y(v)); ctx.lineTo(R, Y(v)); ctx.stroke();
        ctx.fillText((mode === 'signed' && v > 0 ? '+' : '') + Math.round(v), L - 5, Y(v) + 3);
      });
      ctx.textAlign = 'left';
      if (c1 <= c0) return;
      ctx.beginPath();
      var first = true;
      for (var i = c0; i < c1; i += per) {
        var v = values[i];
        for (var k = i; k < Math.min(c1, i + per); k++) v = mode === 'min' ? Math.min(v, values[k]) : (Math.abs(values[k]) > Math.abs(v) ? values[k] : v);
        var xa = X(Math.max(win.from, i * 50)), xb = X(Math.min(win.to, (i + per) * 50));
        if (first) { ctx.moveTo(xa, fill ? Y(0) : Y(v)); first = false; }
        ctx.lineTo(xa, Y(v));
        ctx.lineTo(xb, Y(v));
      }
      if (fill) {
        ctx.lineTo(X(Math.min(win.to, c1 * 50)), Y(0));
        ctx.closePath();
        ctx.fillStyle = fill;
        ctx.fill();
      }
      ctx.strokeStyle = colour;
      ctx.lineWidth = 1.6;
      ctx.stroke();
      return Y;
    }
    var vmax = 160;
    for (var i = c0; i < c1; i++) vmax = Math.max(vmax, prof.speed[i]);
    vmax = Math.ceil(vmax / 40) * 40;
    // Slow-downs as shaded bands down to their speed.
    D.objects.forEach(function (o) {
      if (o.k !== 'slowdown' || !layers.slowdown || o.e < win.from || o.m > win.to) return;
      var xa = X(Math.max(o.m, win.from)), xb = Math.max(xa + 2, X(Math.min(o.e, win.to)));
      ctx.fillStyle = 'rgba(255,140,0,0.18)';
      ctx.fillRect(xa, boxes[0][0], xb - xa, boxes[0][1] - boxes[0][0]);
      var v = parseInt(o.n, 10) || 0, yv = boxes[0][1] - (boxes[0][1] - boxes[0][0]) * v / vmax;
      ctx.strokeStyle = '#ff8c00';
      ctx.lineWidth = 2.5;
      ctx.beginPath(); ctx.moveTo(xa, yv); ctx.lineTo(xb, yv); ctx.stroke();
      ctx.fillStyle = '#c46a00';
      ctx.font = 'bold 11px sans-serif';
      ctx.fillText(String(v), xb + 3, yv + 4);
    });
    series(prof.speed, boxes[0], 0, vmax, 'min', '#2e7d32');
    var gmax = 10;
    for (i = c0; i < c1; i++) gmax = Math.max(gmax, Math.abs(prof.gradient[i]));
    gmax = Math.ceil(gmax / 5) * 5;
    series(prof.gradient, boxes[1], -gmax, gmax, 'signed', '#546e7a', 'rgba(176,190,197,0.8)');
    var amax = 100;
    for (i = c0; i < c1; i++) amax = Math.max(amax, prof.adhesion[i]);
    series(prof.adhesion, boxes[2], 0, amax, 'min', '#6d4c41');

    // Stations across all the charts, named at the top.
    var lastX = -1e9;
    ctx.font = '10px sans-serif';
    D.objects.forEach(function (o) {
      if (o.k !== 'station' || o.m < win.from || o.m > win.to) return;
      var x = X(o.m);
      ctx.strokeStyle = 'rgba(31,95,191,0.3)';
      ctx.lineWidth = 1;
      ctx.beginPath(); ctx.moveTo(x, top + names + 2); ctx.lineTo(x, boxes[2][1]); ctx.stroke();
      if (x - lastX < 12) return;
      lastX = x;
      ctx.save();
      ctx.translate(x + 3, top + names);
      ctx.rotate(-Math.PI / 2);
      ctx.fillStyle = '#1f3f7f';
      var t = o.n || '';
      while (t.length > 3 && ctx.measureText(t).width > names - 4) t = t.slice(0, -2);
      ctx.fillText(t === (o.n || '') ? t : t + '\u2026', 0, 0);
      ctx.restore();
    });

    // Kilometre posts.
    var ay = boxes[2][1] + 10;
    ctx.strokeStyle = '#444';
    ctx.beginPath(); ctx.moveTo(L, ay); ctx.lineTo(R, ay); ctx.stroke();
    var pxm = (R - L) / span, step = 500000;
    [1, 2, 5, 10, 20, 50, 100, 200, 500].some(function (k) {
      if (k * 1000 * pxm >= 70) { step = k * 1000; return true; }
      return false;
    });
    if (0.1 * 1000 * pxm >= 70) step = 100;
    else if (0.2 * 1000 * pxm >= 70) step = 200;
    else if (0.5 * 1000 * pxm >= 70) step = 500;
    ctx.fillStyle = '#444';
    ctx.font = '10px sans-serif';
    ctx.textAlign = 'center';
    var used = [];
    D.posts.forEach(function (t) {
      var a = Math.max(t[0], win.from), b = Math.min(t[1], win.to);
      if (b <= a) return;
      var zx = X(t[0]);
      if (t[0] >= win.from) {
        ctx.strokeStyle = '#1f5fbf';
        ctx.setLineDash([3, 2]);
        ctx.beginPath(); ctx.moveTo(zx, ay); ctx.lineTo(zx, ay + 12); ctx.stroke();
        ctx.setLineDash([]);
        if (!used.some(function (u) { return Math.abs(u - zx) < 60; })) {
          ctx.fillStyle = '#1f5fbf';
          ctx.fillText(fmtPost(t[2]), zx, ay + 24);
          used.push(zx);
        }
      }
      var pa = t[2] + t[3] * (a - t[0]), pb = t[2] + t[3] * (b - t[0]);
      var lo = Math.min(pa, pb), hi = Math.max(pa, pb);
      for (var p = Math.ceil(lo / step) * step; p <= hi; p += step) {
        var m = t[0] + (p - t[2]) * t[3], x = X(m);
        ctx.strokeStyle = '#444';
        ctx.beginPath(); ctx.moveTo(x, ay); ctx.lineTo(x, ay + 6); ctx.stroke();
        if (used.some(function (u) { return Math.abs(u - x) < 60; })) continue;
        ctx.fillStyle = '#444';
        ctx.fillText(fmtPost(p), x, ay + 24);
        used.push(x);
      }
    });
    ctx.textAlign = 'left';
    ctx.fillStyle = '#333';
    ctx.font = 'bold 11px sans-serif';
    ctx.fillText('Kilometre posts (km+m)', L, H - 4);
    chartCanvas.__X = X;
  }

  // The box of the window's text in the plan's pixels; none when hidden.
  function windowTextBox() {
    var t = document.getElementById('window-text').getBoundingClientRect();
    var p = planCanvas.getBoundingClientRect();
    if (t.width <= 0 || t.height <= 0) return null;
    return [t.left - p.left, t.top - p.top, t.right - p.left, t.bottom - p.top];
  }

  function draw() {
    pending = false;
    // The text first: the plan's labels keep clear of it.
    document.getElementById('window-text').textContent = 'route ' + fmtMetres(win.from) + ' to ' + fmtMetres(win.to) +
      ' (posts ' + fmtPost(postAt(win.from)) + ' to ' + fmtPost(postAt(win.to)) + ')';
    drawPlan();
    drawCharts();
  }
  function redraw() {
    if (!pending) { pending = true; window.requestAnimationFrame(draw); }
  }

  // ---- what is where -----------------------------------------------------
  function show(from, to) {
    from = Math.max(0, Math.min(from, D.planEnd));
    to = Math.max(from + 10, Math.min(to, D.planEnd));
    fitPlan(from, to);
    win.from = from;
    win.to = to;
    draw();
  }
  function visible() {
    var out = [];
    D.objects.forEach(function (o) {
      var end = o.e === undefined ? o.m : o.e;
      if (layers[o.k] && end >= win.from && o.m <= win.to) out.push({ kind: o.k, name: o.n || '', metres: o.m, post: o.p });
    });
    return out;
  }
  function jump(text) {
    text = String(text).trim();
    if (!text) return false;
    var up = text.toUpperCase(), found = null;
    D.objects.forEach(function (o) {
      if (!found && o.k === 'station' && (o.n || '').toUpperCase() === up) found = o;
    });
    D.objects.forEach(function (o) {
      if (!found && o.k === 'station' && (o.n || '').toUpperCase().indexOf(up) === 0) found = o;
    });
    var m = null;
    if (found) m = found.m;
    else if (/^-?\d+\+\d{1,3}$/.test(text)) {
      var parts = text.split('+'), k = parseInt(parts[0], 10);
      var p = (text[0] === '-' ? -1 : 1) * (Math.abs(k) * 1000 + parseInt(parts[1], 10));
      m = metresOfPost(p);
    } else if (/^\d+(\.\d+)?$/.test(text)) m = parseFloat(text) * 1000;
    if (m === null || !isFinite(m)) return false;
    var half = Math.max(500, (win.to - win.from) / 2);
    if (half > 5000) half = 2000;
    show(m - half, m + half);
    return true;
  }

  // ---- read-out on hover or tap -------------------------------------------
  function describe(o) {
    var rows = (o.v || []).map(function (kv) { return '<tr><td>' + esc(kv[0]) + '</td><td>' + esc(kv[1]) + '</td></tr>'; }).join('');
    var end = o.e !== undefined ? ' to ' + fmtMetres(o.e) : '';
    return '<b>' + esc(CAPTION[o.k] || o.k) + (o.n ? ' ' + esc(o.n) : '') + '</b>' +
      (o.d ? ' <i>(derived)</i>' : '') +
      '<div>' + fmtMetres(o.m) + end + ', post ' + esc(o.p) + '</div>' +
      (rows ? '<table>' + rows + '</table>' : '') +
      '<div class="source">' + (o.o ? 'placed by ' + esc(o.o) : (o.d ? 'placed by the derivation rules' : 'source row not known (sources not given)')) + '</div>';
  }
  function esc(s) {
    return String(s).replace(/[&<>"]/g, function (c) { return { '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' }[c]; });
  }
  function hover(ev) {
    var r = planCanvas.getBoundingClientRect(), x = ev.clientX - r.left, y = ev.clientY - r.top;
    var best = null, bd = 1e9;
    marks.forEach(function (mk) {
      var d = Math.hypot(mk.x - x, mk.y - y);
      if (d < mk.r + 3 && d < bd) { bd = d; best = mk; }
    });
    if (!best) { tip.hidden = true; return; }
    tip.innerHTML = describe(best.o);
    tip.hidden = false;
    tip.style.left = Math.min(window.innerWidth - 370, ev.clientX + 14) + 'px';
    tip.style.top = Math.min(window.innerHeight - 160, ev.clientY + 14) + 'px';
  }

  // ---- input --------------------------------------------------------------
  function zoomPlanAt(x, y, f) {
    var W = planCanvas.clientWidth, H = planCanvas.clientHeight;
    var wx = view.cx + (x - W / 2) / view.s, wy = view.cy - (y - H / 2) / view.s;
    view.s = Math.max(1e-5, Math.min(50, view.s * f));
    view.cx = wx - (x - W / 2) / view.s;
    view.cy = wy + (y - H / 2) / view.s;
    windowFromPlan();
    redraw();
  }
  function panPlan(dx, dy) {
    view.cx -= dx / view.s;
    view.cy += dy / view.s;
    windowFromPlan();
    redraw();
  }
  function setupInput() {
    planCanvas.addEventListener('wheel', function (ev) {
      ev.preventDefault();
      var r = planCanvas.getBoundingClientRect();
      zoomPlanAt(ev.clientX - r.left, ev.clientY - r.top, Math.exp(-ev.deltaY * 0.0015));
    }, { passive: false });
    chartCanvas.addEventListener('wheel', function (ev) {
      ev.preventDefault();
      var r = chartCanvas.getBoundingClientRect(), L = 64, R = r.width - 16;
      var m = win.from + (win.to - win.from) * (ev.clientX - r.left - L) / (R - L);
      var f = Math.exp(ev.deltaY * 0.0015);
      show(m - (m - win.from) * f, m + (win.to - m) * f);
    }, { passive: false });
    var drag = null;
    function down(target) {
      return function (ev) {
        drag = { t: target, x: ev.clientX, y: ev.clientY, from: win.from, to: win.to };
        target.setPointerCapture && ev.pointerId !== undefined && target.setPointerCapture(ev.pointerId);
      };
    }
    planCanvas.addEventListener('pointerdown', down(planCanvas));
    chartCanvas.addEventListener('pointerdown', down(chartCanvas));
    window.addEventListener('pointermove', function (ev) {
      if (!drag) { if (ev.target === planCanvas) hover(ev); else tip.hidden = true; return; }
      if (drag.t === planCanvas) {
        panPlan(ev.clientX - drag.x, ev.clientY - drag.y);
        drag.x = ev.clientX; drag.y = ev.clientY;
      } else {
        var w = chartCanvas.clientWidth - 80, d = (drag.to - drag.from) * (ev.clientX - drag.x) / w;
        show(drag.from - d, drag.to - d);
      }
    });
    window.addEventListener('pointerup', function (ev) {
      if (drag && Math.hypot(ev.clientX - drag.x, ev.clientY - drag.y) < 3 && ev.target === planCanvas) hover(ev);
      drag = null;
    });
    function keys(ev) {
      var W = planCanvas.clientWidth, H = planCanvas.clientHeight;
      var k = ev.key;
      if (k === '+' || k === '=') zoomPlanAt(W / 2, H / 2, 1.5);
      else if (k === '-' || k === '_') zoomPlanAt(W / 2, H / 2, 1 / 1.5);
      else if (k === 'ArrowLeft') panPlan(W / 5, 0);
      else if (k === 'ArrowRight') panPlan(-W / 5, 0);
      else if (k === 'ArrowUp') panPlan(0, H / 5);
      else if (k === 'ArrowDown') panPlan(0, -H / 5);
      else if (k === 'Home') show(0, D.planEnd);
      else return;
      ev.preventDefault();
    }
    planCanvas.addEventListener('keydown', keys);
    chartCanvas.addEventListener('keydown', keys);
    document.getElementById('jump-form').addEventListener('submit', function (ev) {
      ev.preventDefault();
      var box = document.getElementById('jump');
      box.style.background = jump(box.value) ? '' : '#fdd';
    });
    document.getElementById('whole').addEventListener('click', function () { show(0, D.planEnd); });
    window.addEventListener('resize', redraw);
  }

  // ---- the parts of the page that come from the data ---------------------
  function fillPage() {
    var counts = {};
    D.objects.forEach(function (o) { counts[o.k] = (counts[o.k] || 0) + 1; });
    document.getElementById('summary').textContent = (D.length / 1000).toFixed(1) + ' km route; ' +
      KINDS.map(function (k) {
        // "1 slow-down", not "1 slow-downs": every label is a plural in -s.
        var n = counts[k[0]] || 0, name = k[1].toLowerCase();
        return n + ' ' + (n === 1 ? name.slice(0, -1) : name);
      }).join(', ') +
      '. Run-off of ' + ((D.planEnd - D.length) / 1000).toFixed(1) + ' km drawn dashed.';
    var banner = document.getElementById('banner');
    banner.textContent = '';
    D.diagnostics.forEach(function (d) {
      banner.appendChild(el('div', { 'class': d.severity }, d.text));
    });
    banner.hidden = D.diagnostics.length === 0;
    var lay = document.getElementById('layers');
    if (!lay.firstChild) {
      KINDS.forEach(function (k) {
        var box = el('input', { type: 'checkbox', 'data-layer': k[0] });
        box.checked = layers[k[0]];
        box.addEventListener('change', function () { layers[k[0]] = box.checked; redraw(); });
        var lab = el('label');
        lab.appendChild(box);
        var sw = el('span', { 'class': 'swatch' });
        sw.style.background = k[2];
        lab.appendChild(sw);
        lab.appendChild(document.createTextNode(k[1]));
        lay.appendChild(lab);
      });
    }
    var st = document.getElementById('stations'), sg = document.getElementById('signals');
    var names = document.getElementById('station-names');
    st.textContent = ''; sg.textContent = ''; names.textContent = '';
    D.objects.forEach(function (o) {
      if (o.k !== 'station' && o.k !== 'signal') return;
      var li = el('li', { 'data-kind': o.k, 'data-metres': String(o.m) });
      li.appendChild(document.createTextNode(o.k === 'station' ? (o.n || '') + ' ' : 'signal '));
      li.appendChild(el('span', { 'class': 'post' }, o.p));
      li.addEventListener('click', function () { show(o.m - 1000, o.m + 1000); });
      (o.k === 'station' ? st : sg).appendChild(li);
      if (o.k === 'station') names.appendChild(el('option', { value: o.n || '' }));
    });
  }

  function load(data, keepView) {
    D = data;
    buildPlan();
    fillPage();
    if (!keepView) {
      show(0, Math.min(D.planEnd, D.length + 1500));
    } else {
      redraw();
    }
  }

  // A served page asks for newer data and updates in place, keeping its view.
  function poll() {
    var busy = false;
    window.setInterval(function () {
      if (busy) return;
      busy = true;
      fetch('generation', { cache: 'no-store' }).then(function (r) { return r.text(); }).then(function (g) {
        if (parseInt(g, 10) === D.generation) { busy = false; return; }
        return fetch('data.json', { cache: 'no-store' }).then(function (r) { return r.json(); }).then(function (d) {
          load(d, true);
          busy = false;
        });
      }).catch(function () { busy = false; });
    }, 400);
  }

  load(JSON.parse(document.getElementById('data').textContent), false);
  setupInput();
  if (D.served) poll();

  window.vista = { show: show, visible: visible, jump: jump, layers: layers, window: win, ready: true,
                   data: function () { return D; } };

  // "#view=FROM,TO" (kilometres along the route) opens on that stretch;
  // "#report" writes what the page holds into #test-report.
  var hash = location.hash.replace(/^#/, '');
  hash.split('&').forEach(function (part) {
    var kv = part.split('=');
    if (kv[0] === 'view' && kv[1]) {
      var ft = kv[1].split(',').map(parseFloat);
      if (ft.length === 2 && isFinite(ft[0]) && isFinite(ft[1])) show(ft[0] * 1000, ft[1] * 1000);
    }
  });
  draw();
  if (/(^|&)report($|&)/.test(hash)) {
    var names = [];
    document.querySelectorAll('#stations li').forEach(function (li) { names.push(li.firstChild.textContent.trim()); });
    // One fact a line, for a program to read: "error: ...", "station: NAME",
    // "signals: N", "window: FROM TO", "scale: TEXT" (the plan's scale bar),
    // "band: TITLE|TOP|BOTTOM" (each chart, in pixels), "canvases: PLAN
    // CHARTS" (their heights), "labels: N UNDER" (the plan's labels, and
    // those under the window's text), "visible: KIND|NAME|METRES",
    // "readout: KIND|TEXT", "ready-ms: N".
    var lines = [];
    window.__errors.forEach(function (e) { lines.push('error: ' + e); });
    names.forEach(function (n) { lines.push('station: ' + n); });
    lines.push('signals: ' + document.querySelectorAll('[data-kind="signal"]').length);
    lines.push('window: ' + Math.round(win.from) + ' ' + Math.round(win.to));
    lines.push('scale: ' + drawn.scale);
    drawn.bands.forEach(function (b) { lines.push('band: ' + b); });
    lines.push('canvases: ' + planCanvas.clientHeight + ' ' + chartCanvas.clientHeight);
    var textBox = windowTextBox(), under = 0;
    drawn.labels.forEach(function (r) {
      if (textBox && r[0] < textBox[2] && r[2] > textBox[0] && r[1] < textBox[3] && r[3] > textBox[1]) under++;
    });
    lines.push('labels: ' + drawn.labels.length + ' ' + under);
    visible().forEach(function (v) { lines.push('visible: ' + v.kind + '|' + v.name + '|' + v.metres); });
    // The read-out that hovering over each kind's first object shows.
    var seen = {};
    D.objects.forEach(function (o) {
      if (seen[o.k]) return;
      seen[o.k] = true;
      var box = document.createElement('div');
      box.innerHTML = describe(o);
      lines.push('readout: ' + o.k + '|' + box.textContent.replace(/\s+/g, ' '));
    });
    // Milliseconds from the start of the page's loading to its first drawing.
    lines.push('ready-ms: ' + Math.round(window.performance.now()));
    lines.push('end');
    document.getElementById('test-report').textContent = lines.join('\n');
  }
  document.documentElement.setAttribute('data-ready', '1');
})();
