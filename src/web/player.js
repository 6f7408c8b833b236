// The player of a Tessalune puzzle page: the palette strip, the desktop with its cell grid,
// joining, the solved picture, and the game kept in the browser and in saved copies of the page.
// Everything the page needs is in the page; it asks for nothing over the network.
"use strict";
(() => {
  // The page as it arrived, before the player adds anything: "Save to file" writes it again with
  // the game inside.
  const pristinePage = "<!DOCTYPE html>\n" + document.documentElement.outerHTML;
  const GAME_BLOCK = '<script type="application/json" id="tessalune-game">';

  // ---- Texts (the program's languages; the first that the browser asks for, else English) ----
  const TEXTS = {
    en: {
      by: "by {0}", undo: "Undo", edges: "Edge pieces", save: "Save to file", restart: "Start again",
      restartAsk: "Put every piece back on the palette and start the clock again?",
      orders: ["Shuffled", "Top: tabs first", "Top: holes first", "Right: tabs first",
        "Right: holes first", "Bottom: tabs first", "Bottom: holes first", "Left: tabs first",
        "Left: holes first"],
      solved: "Solved in {0}", close: "Back to the puzzle",
      damagedGame: "The game saved in this page is damaged and was not loaded; a new game starts.",
      otherGame: "The game saved in this page belongs to another puzzle and was not loaded.",
      damagedPuzzle: "This puzzle page is damaged and cannot be played.",
      turnHint: "Tap a piece or use the right button to turn it.",
    },
  };
  const language = (navigator.languages || [navigator.language || "en"])
    .map((tag) => String(tag).slice(0, 2).toLowerCase()).find((code) => TEXTS[code]) || "en";
  const text = (key, ...values) => {
    const found = TEXTS[language][key];
    return typeof found === "string" ? found.replace(/\{(\d)\}/g, (_, n) => values[Number(n)]) : found;
  };

  const el = (tag, props = {}, ...children) => {
    const node = Object.assign(document.createElement(tag), props);
    node.append(...children);
    return node;
  };

  function showNotice(message) {
    const notice = el("div", { id: "notice", textContent: message });
    notice.addEventListener("click", () => notice.remove());
    document.body.append(notice);
    window.tessaluneNotice = message;
  }

  // ---- The puzzle ----
  let puzzle;
  try {
    puzzle = JSON.parse(document.getElementById("tessalune-puzzle").textContent);
    checkPuzzle(puzzle);
  } catch (error) {
    showNotice(text("damagedPuzzle"));
    return;
  }
  const picture = document.getElementById("tessalune-picture");
  const alternative = document.getElementById("tessalune-alternative");
  const count = puzzle.edges.length;
  const { cols, cellWidth: cw, cellHeight: ch, margin, pieceWidth: pw, pieceHeight: ph } = puzzle;
  const outlines = puzzle.outlines.map((d) => new Path2D(d));

  function checkPuzzle(p) {
    const whole = (v, low, high) => Number.isInteger(v) && v >= low && v <= high;
    const ok = p && whole(p.cols, 1, 100) && whole(p.rows, 1, 100) && whole(p.cellWidth, 1, 1e5) &&
      whole(p.cellHeight, 1, 1e5) && whole(p.margin, 0, 1e5) && Array.isArray(p.edges) &&
      p.edges.length >= 1 && p.edges.length <= p.cols * p.rows && Array.isArray(p.outlines) &&
      p.outlineOfPiece.length === p.edges.length && p.turns.length === p.edges.length &&
      p.outlineOfPiece.every((i) => whole(i, 0, p.outlines.length - 1)) &&
      typeof p.id === "string" && typeof p.name === "string";
    if (!ok) throw new Error("puzzle");
  }

  // ---- The game: where each piece lies (null on the palette), its turn, the clock ----
  const game = {
    positions: new Array(count).fill(null),
    turns: puzzle.turns.map((t) => (puzzle.turned ? t & 3 : 0)),
    seconds: 0,
    order: 0,
    edgesOnly: false,
    savedAt: 0,
  };
  const storageKey = "tessalune:" + puzzle.id;

  // A stored game as the page accepts it, or an exception saying why not.
  function readGame(json) {
    const g = JSON.parse(json);
    const coordinate = (v) => Number.isInteger(v) && Math.abs(v) <= 1e7;
    if (!g || g.id !== puzzle.id) throw new Error(g && typeof g.id === "string" ? "other" : "damaged");
    const ok = Array.isArray(g.positions) && g.positions.length === count &&
      g.positions.every((p) => p === null || (Array.isArray(p) && p.length === 2 &&
        coordinate(p[0]) && coordinate(p[1]))) &&
      Array.isArray(g.turns) && g.turns.length === count &&
      g.turns.every((t) => Number.isInteger(t) && t >= 0 && t <= 3) &&
      Number.isFinite(g.seconds) && g.seconds >= 0 && Number.isInteger(g.order) &&
      g.order >= 0 && g.order <= 8 && Number.isFinite(g.savedAt);
    if (!ok) throw new Error("damaged");
    return g;
  }

  function gameJson() {
    return JSON.stringify({ id: puzzle.id, ...game });
  }

  function keepGame() {
    game.savedAt = Date.now();
    try {
      localStorage.setItem(storageKey, gameJson());
    } catch (error) {
      // Storage may be off or full; the game goes on and "Save to file" still keeps it.
    }
  }

  // The newer of the game inside this page and the one this browser kept.
  function restoreGame() {
    const candidates = [];
    const embedded = document.getElementById("tessalune-game").textContent.trim();
    if (embedded) {
      try {
        candidates.push(readGame(embedded));
      } catch (error) {
        showNotice(text(error.message === "other" ? "otherGame" : "damagedGame"));
      }
    }
    try {
      const kept = localStorage.getItem(storageKey);
      if (kept) candidates.push(readGame(kept));
    } catch (error) {
      // A kept game that no longer reads is simply not offered.
    }
    const newest = candidates.sort((a, b) => b.savedAt - a.savedAt)[0];
    if (newest) {
      for (const key of Object.keys(game)) if (key in newest) game[key] = newest[key];
      game.edgesOnly = Boolean(game.edgesOnly);
    }
  }
  restoreGame();

  // ---- The page ----
  const clock = el("span", { className: "clock" });
  const undoButton = el("button", { id: "undo", textContent: text("undo"), type: "button" });
  const edgesButton = el("button", { id: "edges", textContent: text("edges"), type: "button" });
  const orderList = el("select", { id: "order" });
  text("orders").forEach((label, i) => orderList.append(el("option", { value: i, textContent: label })));
  const saveButton = el("button", { id: "save", textContent: text("save"), type: "button" });
  const restartButton = el("button", { id: "restart", textContent: text("restart"), type: "button" });
  const bar = el("div", { id: "bar" }, el("span", { className: "title", textContent: puzzle.name }));
  document.title = puzzle.name || "Tessalune";
  if (puzzle.author) bar.append(el("span", { className: "byline", textContent: text("by", puzzle.author) }));
  // Only a web address is ever a link; anything else is shown as the text it is.
  if (/^https?:\/\/[^\s]+$/i.test(puzzle.website)) {
    bar.append(el("a", { href: puzzle.website, textContent: puzzle.website, target: "_blank", rel: "noopener noreferrer" }));
  } else if (puzzle.website) {
    bar.append(el("span", { className: "byline", textContent: puzzle.website }));
  }
  bar.append(undoButton, edgesButton, orderList, restartButton, saveButton, clock);
  const canvas = el("canvas", { id: "stage" });
  document.body.append(bar, canvas);
  if (puzzle.turned) showNotice(text("turnHint"));
  const ctx = canvas.getContext("2d");

  // ---- Pieces as pictures, made when first drawn ----
  const sprites = new Array(count).fill(null);
  const cellOf = (i) => ({ col: i % cols, row: Math.floor(i / cols) });

  // The piece cut from the picture by its outline; with borders, the outline's left side lit
  // and a dark line just right of its right side, row by row, as the desktop program draws them.
  function sprite(i) {
    if (sprites[i]) return sprites[i];
    const c = el("canvas", { width: pw, height: ph });
    const g = c.getContext("2d", { willReadFrequently: puzzle.borders });
    const { col, row } = cellOf(i);
    g.clip(outlines[puzzle.outlineOfPiece[i]]);
    g.drawImage(picture, margin - col * cw, margin - row * ch);
    if (puzzle.borders) shadeBorders(g);
    return (sprites[i] = c);
  }

  function shadeBorders(g) {
    const image = g.getImageData(0, 0, pw, ph);
    const d = image.data;
    for (let y = 0; y < ph; y++) {
      let before = d[(y * pw) * 4 + 3] > 0;
      for (let x = 1; x < pw; x++) {
        const at = (y * pw + x) * 4;
        const inside = d[at + 3] > 0;
        if (!inside && before) {
          d[at] = d[at + 1] = d[at + 2] = 63;
          d[at + 3] = 255;
        } else if (inside && !before) {
          for (let k = 0; k < 3; k++) d[at + k] = Math.min(2 * d[at + k], 254);
        }
        before = inside;
      }
    }
    g.putImageData(image, 0, 0);
  }

  // ---- View: world (desktop) coordinates to the canvas, the palette strip on the left ----
  const view = { scale: 1, x: 0, y: 0 };
  let stripWidth = 100;
  let paletteScroll = 0;
  let dpr = 1;
  const topOf = () => bar.offsetHeight;
  const screenX = (wx) => stripWidth + (wx - view.x) * view.scale;
  const screenY = (wy) => (wy - view.y) * view.scale;
  const worldX = (sx) => (sx - stripWidth) / view.scale + view.x;
  const worldY = (sy) => sy / view.scale + view.y;

  function resize() {
    dpr = window.devicePixelRatio || 1;
    const width = window.innerWidth;
    const height = window.innerHeight - topOf();
    canvas.style.top = topOf() + "px";
    canvas.style.width = width + "px";
    canvas.style.height = height + "px";
    canvas.width = Math.round(width * dpr);
    canvas.height = Math.round(height * dpr);
    stripWidth = Math.round(Math.min(170, Math.max(80, width * 0.2)));
    draw();
  }

  // The whole grid with a cell to spare on each side fits the desktop at first.
  function fitView() {
    const width = window.innerWidth - stripWidth;
    const height = window.innerHeight - topOf();
    const extentW = cw * (puzzle.cols + 2);
    const extentH = ch * (puzzle.rows + 2);
    view.scale = Math.min(2, width / extentW, height / extentH);
    view.x = -(width / view.scale - extentW) / 2;
    view.y = -(height / view.scale - extentH) / 2;
  }

  // ---- Palette: the pieces not yet placed, in the chosen order ----
  const isBorderPiece = (i) => puzzle.edges[i].some((e) => e === 0);
  const slotSize = () => stripWidth - 12;
  const paletteScale = () => slotSize() / Math.max(pw, ph);

  // Order 0 is the maker's random key compared as text, as the desktop program does; orders
  // 1 to 8 sort by the top, right, bottom or left edge, tabs (odd) or holes (even) first.
  function paletteOrder() {
    const list = [];
    for (let i = 0; i < count; i++) {
      if (game.positions[i] === null && (!game.edgesOnly || isBorderPiece(i))) list.push(i);
    }
    const order = game.order;
    if (order === 0) {
      list.sort((a, b) => {
        const ka = puzzle.orderKeys[a], kb = puzzle.orderKeys[b];
        return ka < kb ? -1 : ka > kb ? 1 : 0;
      });
    } else {
      const side = (order - 1) >> 1;
      const direction = order % 2 === 1 ? -1 : 1;
      list.sort((a, b) => direction * (puzzle.edges[a][side] - puzzle.edges[b][side]));
    }
    return list;
  }

  function paletteSlots() {
    const list = paletteOrder();
    const stride = slotSize() + 8;
    const maxScroll = Math.max(0, list.length * stride + 8 - (canvas.height / dpr));
    paletteScroll = Math.min(Math.max(0, paletteScroll), maxScroll);
    return list.map((piece, k) => ({ piece, x: 6, y: 8 + k * stride - paletteScroll, size: slotSize() }));
  }

  // ---- Drawing ----
  const stack = []; // placed pieces, bottom first
  for (let i = 0; i < count; i++) if (game.positions[i]) stack.push(i);
  let dragGroup = null; // {pieces, dx, dy} while a drag is on
  let under = null; // the picture without the dragged pieces, drawn under them on every move
  let sparkles = [];
  let firstPaletteDrawn = false;

  function drawPiece(g, i, x, y, scale) {
    const s = sprite(i);
    g.save();
    g.translate(x + (pw * scale) / 2, y + (ph * scale) / 2);
    g.rotate((game.turns[i] * Math.PI) / 2);
    g.drawImage(s, (-pw * scale) / 2, (-ph * scale) / 2, pw * scale, ph * scale);
    g.restore();
  }

  function drawDesktop(g, skip) {
    g.setTransform(dpr, 0, 0, dpr, 0, 0);
    g.fillStyle = "#3a4a58";
    g.fillRect(0, 0, canvas.width, canvas.height);
    g.strokeStyle = "rgba(255,255,255,0.08)";
    g.strokeRect(screenX(0), screenY(0), puzzle.cols * cw * view.scale, puzzle.rows * ch * view.scale);
    for (const i of stack) {
      if (skip && skip.has(i)) continue;
      const [x, y] = game.positions[i];
      drawPiece(g, i, screenX(x), screenY(y), view.scale);
    }
    drawPalette(g);
  }

  function drawPalette(g) {
    g.fillStyle = "#0080c0";
    g.fillRect(0, 0, stripWidth, canvas.height / dpr);
    const scale = paletteScale();
    for (const slot of paletteSlots()) {
      if (slot.y + slot.size < 0 || slot.y > canvas.height / dpr) continue;
      if (dragGroup && dragGroup.pieces.includes(slot.piece)) continue;
      drawPiece(g, slot.piece, slot.x + (slot.size - pw * scale) / 2, slot.y + (slot.size - ph * scale) / 2, scale);
    }
    if (!firstPaletteDrawn) {
      firstPaletteDrawn = true;
      window.tessaluneFirstPalette = performance.now();
    }
  }

  function drawDragged(g) {
    for (const i of dragGroup.pieces) {
      const [x, y] = game.positions[i] || [0, 0];
      drawPiece(g, i, screenX(x + dragGroup.dx), screenY(y + dragGroup.dy), view.scale);
    }
  }

  function drawSparkles(g, now) {
    sparkles = sparkles.filter((s) => now - s.start < 900);
    for (const s of sparkles) {
      const frame = Math.floor((now - s.start) / 100);
      if (frame !== s.frame) {
        s.frame = frame;
        s.jx = Math.random() * 16 - 8;
        s.jy = Math.random() * 16 - 8;
      }
      const x = screenX(s.x) + s.jx, y = screenY(s.y) + s.jy;
      const r = 9 + 3 * Math.sin(frame * 1.7);
      g.save();
      g.translate(x, y);
      g.rotate(frame * 0.5);
      g.fillStyle = "#fff8c0";
      g.beginPath();
      for (let k = 0; k < 8; k++) {
        const radius = k % 2 === 0 ? r : r / 4;
        g.lineTo(radius * Math.cos((k * Math.PI) / 4), radius * Math.sin((k * Math.PI) / 4));
      }
      g.fill();
      g.restore();
    }
    if (sparkles.length) requestAnimationFrame(() => draw());
  }

  function draw() {
    if (dragGroup && under) {
      ctx.setTransform(1, 0, 0, 1, 0, 0);
      ctx.drawImage(under, 0, 0);
      ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
      drawDragged(ctx);
      return;
    }
    drawDesktop(ctx, null);
    drawSparkles(ctx, performance.now());
  }

  // ---- Rules: joining, groups, the solved test ----
  const neighbour = (i, direction) => {
    const { col, row } = cellOf(i);
    const at = [[col, row - 1], [col + 1, row], [col, row + 1], [col - 1, row]][direction];
    if (at[0] < 0 || at[0] >= cols || at[1] < 0 || at[1] >= puzzle.rows) return -1;
    const j = at[1] * cols + at[0];
    return j < count ? j : -1;
  };
  const STEP = [[0, -1], [1, 0], [0, 1], [-1, 0]];

  // Both pieces on the desktop, upright, one cell apart in that direction within 2 pixels.
  function fits(i, direction) {
    const j = neighbour(i, direction);
    if (j < 0 || !game.positions[i] || !game.positions[j] || game.turns[i] || game.turns[j]) return false;
    const dx = game.positions[j][0] - game.positions[i][0] - STEP[direction][0] * cw;
    const dy = game.positions[j][1] - game.positions[i][1] - STEP[direction][1] * ch;
    return Math.abs(dx) < 3 && Math.abs(dy) < 3;
  }

  function joinedGroup(start) {
    const group = [start];
    const seen = new Set(group);
    for (let k = 0; k < group.length; k++) {
      for (let direction = 0; direction < 4; direction++) {
        const j = neighbour(group[k], direction);
        if (j >= 0 && !seen.has(j) && fits(group[k], direction)) {
          seen.add(j);
          group.push(j);
        }
      }
    }
    return group;
  }

  function isSolved() {
    for (let i = 0; i < count; i++) {
      if (neighbour(i, 1) >= 0 && !fits(i, 1)) return false;
      if (neighbour(i, 2) >= 0 && !fits(i, 2)) return false;
      if (!game.positions[i] || game.turns[i]) return false;
    }
    return true;
  }

  // ---- Moves, undo, keeping ----
  const history = [];

  const snapshot = (pieces) => pieces.map((i) => [i, game.positions[i] && [...game.positions[i]], game.turns[i]]);
  function remember(step) {
    history.push(step);
    if (history.length > 500) history.shift();
  }

  function afterMove() {
    activity();
    keepGame();
    undoButton.disabled = history.length === 0;
    solvedCheck();
    draw();
  }

  function undo() {
    const step = history.pop();
    if (!step) return;
    for (const [i, position, turn] of step) {
      setPosition(i, position);
      game.turns[i] = turn;
    }
    solvedShown = isSolved();
    afterMove();
  }

  function setPosition(i, position) {
    game.positions[i] = position;
    const at = stack.indexOf(i);
    if (at >= 0) stack.splice(at, 1);
    if (position) stack.push(i);
  }

  // The desktop program's snap: a remainder of at least half a cell rounds up.
  function snap(value, cell) {
    const rest = value % cell;
    return rest < Math.trunc(cell / 2) ? value - rest : value - rest + cell;
  }

  function drop(pointerX) {
    const { pieces, dx, dy } = dragGroup;
    const lead = pieces[0];
    remember(dragGroup.before);
    if (pointerX < stripWidth) {
      for (const i of pieces) setPosition(i, null);
    } else {
      const [x, y] = game.positions[lead];
      const targetX = snap(Math.round(x + dx), cw);
      const targetY = snap(Math.max(0, Math.round(y + dy)), ch);
      const moveX = targetX - x, moveY = targetY - y;
      for (const i of pieces) setPosition(i, [game.positions[i][0] + moveX, game.positions[i][1] + moveY]);
      const moved = new Set(pieces);
      for (const i of pieces) {
        for (let direction = 0; direction < 4; direction++) {
          if (fits(i, direction) && !moved.has(neighbour(i, direction))) {
            sparkles.push({ x: game.positions[i][0] + pw / 2, y: game.positions[i][1] + ph / 2, start: performance.now(), frame: -1 });
            break;
          }
        }
      }
    }
    dragGroup = null;
    under = null;
    afterMove();
  }

  function turnPiece(i) {
    if (!puzzle.turned) return;
    remember(snapshot([i]));
    game.turns[i] = (game.turns[i] + 1) & 3;
    afterMove();
  }

  // ---- The clock: runs while the page is shown and the player acted within the last minute ----
  let lastActivity = Date.now();
  const activity = () => (lastActivity = Date.now());
  const formatTime = (total) => {
    const s = Math.floor(total), h = Math.floor(s / 3600), m = Math.floor((s % 3600) / 60);
    const two = (n) => String(n).padStart(2, "0");
    return h ? `${h}:${two(m)}:${two(s % 60)}` : `${m}:${two(s % 60)}`;
  };
  setInterval(() => {
    if (!document.hidden && !solvedShown && Date.now() - lastActivity < 60000) {
      game.seconds += 1;
      if (game.seconds % 10 === 0) keepGame();
    }
    clock.textContent = formatTime(game.seconds);
  }, 1000);

  // ---- Solved ----
  let solvedShown = isSolved();
  function solvedCheck() {
    const solved = isSolved();
    if (solved && !solvedShown) showSolved();
    solvedShown = solved;
    document.body.dataset.state = solved ? "solved" : "playing";
  }

  // The finished picture, then, when the puzzle has one, the alternative picture opening out of
  // its centre.
  function showSolved() {
    const image = el("img", { src: picture.src, alt: "" });
    const layer = el("div", { id: "solved" }, image,
      el("div", { textContent: text("solved", formatTime(game.seconds)) }),
      el("button", { type: "button", textContent: text("close"), onclick: () => layer.remove() }));
    document.body.append(layer);
    if (alternative) {
      setTimeout(() => image.classList.add("closed"), 1200);
      image.addEventListener("transitionend", () => {
        if (!image.classList.contains("closed")) return;
        image.src = alternative.src;
        image.classList.remove("closed");
        layer.dataset.picture = "alternative";
      });
    }
  }

  // ---- Pointer input: mouse, pen and touch alike ----
  const pointers = new Map();
  let gesture = null;

  function localPoint(event) {
    const rect = canvas.getBoundingClientRect();
    return { x: event.clientX - rect.left, y: event.clientY - rect.top };
  }

  // Whether (x, y), relative to the upright piece's top-left in its own pixels, lies on it once
  // it is turned about its centre.
  const scratch = document.createElement("canvas").getContext("2d");
  function onPiece(i, x, y) {
    const t = game.turns[i];
    let lx = x - pw / 2, ly = y - ph / 2;
    for (let k = 0; k < t; k++) [lx, ly] = [ly, -lx];
    return scratch.isPointInPath(outlines[puzzle.outlineOfPiece[i]], lx + pw / 2, ly + ph / 2);
  }

  function pieceAt(p) {
    if (p.x < stripWidth) {
      const scale = paletteScale();
      for (const slot of paletteSlots()) {
        const ox = slot.x + (slot.size - pw * scale) / 2, oy = slot.y + (slot.size - ph * scale) / 2;
        if (p.y >= slot.y && p.y < slot.y + slot.size && onPiece(slot.piece, (p.x - ox) / scale, (p.y - oy) / scale)) {
          return { piece: slot.piece, onPalette: true, scale, ox, oy };
        }
      }
      return null;
    }
    for (let k = stack.length - 1; k >= 0; k--) {
      const i = stack[k];
      const [x, y] = game.positions[i];
      if (onPiece(i, worldX(p.x) - x, worldY(p.y) - y)) return { piece: i, onPalette: false };
    }
    return null;
  }

  function startDrag(hit, p) {
    const i = hit.piece;
    const pieces = hit.onPalette ? [i] : joinedGroup(i);
    dragGroup = { pieces, dx: 0, dy: 0, before: snapshot(pieces) };
    under = document.createElement("canvas");
    under.width = canvas.width;
    under.height = canvas.height;
    drawDesktop(under.getContext("2d"), new Set(pieces));
    if (hit.onPalette) {
      // The piece leaves the strip at the desktop's scale with the same point under the finger.
      game.positions[i] = [worldX(p.x) - (p.x - hit.ox) / hit.scale, worldY(p.y) - (p.y - hit.oy) / hit.scale];
    }
  }

  canvas.addEventListener("contextmenu", (event) => event.preventDefault());

  canvas.addEventListener("pointerdown", (event) => {
    canvas.setPointerCapture(event.pointerId);
    const p = localPoint(event);
    pointers.set(event.pointerId, p);
    activity();
    if (pointers.size === 2 && (!gesture || gesture.kind !== "drag")) {
      const [a, b] = [...pointers.values()];
      gesture = { kind: "pinch", distance: Math.hypot(a.x - b.x, a.y - b.y) || 1, scale: view.scale,
        worldMid: { x: worldX((a.x + b.x) / 2), y: worldY((a.y + b.y) / 2) } };
      return;
    }
    if (pointers.size > 1) return;
    const hit = pieceAt(p);
    if (hit && event.button === 2) {
      turnPiece(hit.piece);
      return;
    }
    gesture = { kind: hit ? "press" : p.x < stripWidth ? "scroll" : "pan", hit, start: p, last: p, time: performance.now() };
  });

  canvas.addEventListener("pointermove", (event) => {
    if (!pointers.has(event.pointerId)) return;
    const p = localPoint(event);
    pointers.set(event.pointerId, p);
    if (!gesture) return;
    activity();
    if (gesture.kind === "pinch" && pointers.size >= 2) {
      const [a, b] = [...pointers.values()];
      const distance = Math.hypot(a.x - b.x, a.y - b.y) || 1;
      view.scale = Math.min(4, Math.max(0.05, (gesture.scale * distance) / gesture.distance));
      // The point between the fingers stays under them: zoom and two-finger pan at once.
      view.x = gesture.worldMid.x - ((a.x + b.x) / 2 - stripWidth) / view.scale;
      view.y = gesture.worldMid.y - (a.y + b.y) / 2 / view.scale;
      draw();
      return;
    }
    const dx = p.x - gesture.last.x, dy = p.y - gesture.last.y;
    if (gesture.kind === "press") {
      const mx = p.x - gesture.start.x, my = p.y - gesture.start.y;
      if (Math.hypot(mx, my) < 6) return;
      // On the strip a mostly upward or downward move scrolls it; any other move drags.
      if (gesture.hit.onPalette && Math.abs(my) > Math.abs(mx)) {
        gesture.kind = "scroll";
      } else {
        startDrag(gesture.hit, gesture.start);
        gesture.kind = "drag";
        dragGroup.dx = mx / view.scale;
        dragGroup.dy = my / view.scale;
      }
    } else if (gesture.kind === "drag") {
      dragGroup.dx += dx / view.scale;
      dragGroup.dy += dy / view.scale;
    } else if (gesture.kind === "scroll") {
      paletteScroll -= dy;
    } else if (gesture.kind === "pan") {
      view.x -= dx / view.scale;
      view.y -= dy / view.scale;
    }
    gesture.last = p;
    draw();
  });

  function endPointer(event) {
    if (!pointers.has(event.pointerId)) return;
    pointers.delete(event.pointerId);
    if (!gesture) return;
    if (gesture.kind === "drag") {
      drop(localPoint(event).x);
    } else if (gesture.kind === "press" && event.type === "pointerup") {
      turnPiece(gesture.hit.piece);
    }
    if (gesture.kind !== "pinch" || pointers.size === 0) gesture = null;
    draw();
  }
  canvas.addEventListener("pointerup", endPointer);
  canvas.addEventListener("pointercancel", endPointer);

  canvas.addEventListener("wheel", (event) => {
    event.preventDefault();
    const p = localPoint(event);
    if (p.x < stripWidth) {
      paletteScroll += event.deltaY;
    } else {
      const wx = worldX(p.x), wy = worldY(p.y);
      view.scale = Math.min(4, Math.max(0.05, view.scale * Math.exp(-event.deltaY / 500)));
      view.x = wx - (p.x - stripWidth) / view.scale;
      view.y = wy - p.y / view.scale;
    }
    draw();
  }, { passive: false });

  // ---- Buttons ----
  undoButton.addEventListener("click", undo);
  edgesButton.addEventListener("click", () => {
    game.edgesOnly = !game.edgesOnly;
    edgesButton.setAttribute("aria-pressed", String(game.edgesOnly));
    paletteScroll = 0;
    keepGame();
    draw();
  });
  orderList.addEventListener("change", () => {
    game.order = Number(orderList.value);
    paletteScroll = 0;
    keepGame();
    draw();
  });
  restartButton.addEventListener("click", () => {
    if (!window.confirm(text("restartAsk"))) return;
    for (let i = 0; i < count; i++) setPosition(i, null);
    game.turns = puzzle.turns.map((t) => (puzzle.turned ? t & 3 : 0));
    game.seconds = 0;
    history.length = 0;
    afterMove();
  });

  // The page again with the game written into it: opened on any device, it goes on from here.
  saveButton.addEventListener("click", () => {
    keepGame();
    const start = pristinePage.indexOf(GAME_BLOCK) + GAME_BLOCK.length;
    const end = pristinePage.indexOf("<\/script>", start);
    const safe = gameJson().replace(/</g, "\\u003c");
    const page = pristinePage.slice(0, start) + safe + pristinePage.slice(end);
    const link = el("a", {
      href: URL.createObjectURL(new Blob([page], { type: "text/html" })),
      download: (decodeURIComponent(location.pathname.split("/").pop() || "") || "puzzle.html"),
    });
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  });

  // ---- Start ----
  orderList.value = String(game.order);
  edgesButton.setAttribute("aria-pressed", String(game.edgesOnly));
  undoButton.disabled = true;
  clock.textContent = formatTime(game.seconds);
  document.body.dataset.state = solvedShown ? "solved" : "playing";
  window.addEventListener("resize", resize);
  // Test hooks: read-only views of the game for scripts that drive the page.
  window.tessalune = { puzzle, game, draw, screenX, screenY, paletteSlots, get stripWidth() { return stripWidth; }, get view() { return view; } };
  const start = () => {
    resize();
    fitView();
    draw();
  };
  if (picture.complete) start();
  else picture.addEventListener("load", start, { once: true });
})();
