// The map on a canvas, shown at a scale between the whole map in the viewport
// and one pixel per cell: panned by dragging (a mouse or one finger), zoomed
// by pinching, by the wheel, by + and − (keys and buttons) in steps that halve
// or double the scale, or fitted to the viewport. Presses that are no drag
// and no pinch name a cell.

// The scales zoom steps through: 1:1 and its halvings down to the whole map.
export function zoomSteps(fitScale) {
  if (!(fitScale > 0) || fitScale >= 1) return [1];
  const steps = [];
  for (let s = 1; s > fitScale; s /= 2) steps.unshift(s);
  steps.unshift(fitScale);
  return steps;
}

export class MapView {
  // onZoom(scale, fit) hears every change of the scale.
  constructor(viewport, canvas, onCellClick, onZoom = () => {}) {
    this.viewport = viewport;
    this.canvas = canvas;
    this.context = canvas.getContext("2d");
    this.onCellClick = onCellClick;
    this.onZoom = onZoom;
    this.scrollX = 0; // of the scaled map, in CSS pixels
    this.scrollY = 0;
    this.scale = 1;
    this.fit = false;
    this.pointers = new Map(); // pointerId -> {x, y}
    this.drag = null;
    this.pinch = null;
    viewport.addEventListener("pointerdown", (e) => this.press(e));
    viewport.addEventListener("pointermove", (e) => this.move(e));
    viewport.addEventListener("pointerup", (e) => this.release(e));
    viewport.addEventListener("pointercancel", (e) => this.forget(e));
    viewport.addEventListener("wheel", (e) => this.wheel(e), { passive: false });
    viewport.addEventListener("keydown", (e) => this.key(e));
    new ResizeObserver(() => this.place()).observe(viewport);
  }

  show(width, height, rgba) {
    if (this.canvas.width !== width || this.canvas.height !== height) {
      this.canvas.width = width;
      this.canvas.height = height;
      this.scrollX = this.scrollY = 0;
    }
    if (width > 0 && height > 0) {
      const pixels = new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length);
      this.context.putImageData(new ImageData(pixels, width, height), 0, 0);
    }
    this.place();
  }

  setFit(fit) {
    this.fit = fit;
    this.place();
  }

  fitScale() {
    const { width, height } = this.canvas;
    if (width === 0 || height === 0) return 1;
    return Math.min(this.viewport.clientWidth / width, this.viewport.clientHeight / height);
  }

  limits() {
    const fit = this.fitScale();
    return { low: Math.min(fit, 1), high: Math.max(fit, 1) };
  }

  place() {
    if (this.fit) this.scale = this.fitScale();
    const { low, high } = this.limits();
    this.scale = Math.min(Math.max(this.scale, low), high);
    const rx = Math.max(0, this.canvas.width * this.scale - this.viewport.clientWidth);
    const ry = Math.max(0, this.canvas.height * this.scale - this.viewport.clientHeight);
    this.scrollX = Math.min(Math.max(this.scrollX, 0), rx);
    this.scrollY = Math.min(Math.max(this.scrollY, 0), ry);
    this.canvas.style.transform =
      `translate(${-this.scrollX}px, ${-this.scrollY}px) scale(${this.scale})`;
    this.canvas.dataset.scale = String(this.scale);
    this.onZoom(this.scale, this.fit);
  }

  // A new scale that keeps the map's point under (x, y) of the viewport in place.
  zoomTo(scale, x = this.viewport.clientWidth / 2, y = this.viewport.clientHeight / 2) {
    const { low, high } = this.limits();
    const next = Math.min(Math.max(scale, low), high);
    const cellX = (this.scrollX + x) / this.scale, cellY = (this.scrollY + y) / this.scale;
    this.fit = false;
    this.scale = next;
    this.scrollX = cellX * next - x;
    this.scrollY = cellY * next - y;
    this.place();
  }

  // One step in (+1) or out (-1).
  step(direction, x, y) {
    const steps = zoomSteps(this.fitScale());
    const near = (s) => Math.abs(s - this.scale) < 1e-9 * s;
    const next = direction > 0 ? steps.find((s) => s > this.scale && !near(s))
                               : steps.findLast((s) => s < this.scale && !near(s));
    if (next !== undefined) this.zoomTo(next, x, y);
  }

  local(e) {
    const box = this.viewport.getBoundingClientRect();
    return { x: e.clientX - box.left, y: e.clientY - box.top };
  }

  press(e) {
    if (e.pointerType === "mouse" && e.button !== 0) return;
    this.pointers.set(e.pointerId, { x: e.clientX, y: e.clientY });
    this.viewport.setPointerCapture(e.pointerId);
    if (this.pointers.size === 1) {
      this.drag = { x: e.clientX, y: e.clientY, moved: false };
    } else if (this.pointers.size === 2) {
      // A second finger makes it a pinch, never a click.
      this.drag = null;
      this.pinch = { distance: this.spread(), scale: this.scale };
    }
  }

  spread() {
    const [a, b] = [...this.pointers.values()];
    return Math.hypot(a.x - b.x, a.y - b.y);
  }

  move(e) {
    if (!this.pointers.has(e.pointerId)) return;
    const last = this.pointers.get(e.pointerId);
    const dx = last.x - e.clientX, dy = last.y - e.clientY;
    this.pointers.set(e.pointerId, { x: e.clientX, y: e.clientY });
    if (this.pinch && this.pointers.size === 2) {
      const [a, b] = [...this.pointers.values()];
      const box = this.viewport.getBoundingClientRect();
      const mid = { x: (a.x + b.x) / 2 - box.left, y: (a.y + b.y) / 2 - box.top };
      // The midpoint pans as it moves; the spread sets the scale.
      this.scrollX += dx / 2;
      this.scrollY += dy / 2;
      const d = this.pinch.distance;
      if (d > 0) this.zoomTo((this.pinch.scale * this.spread()) / d, mid.x, mid.y);
      return;
    }
    if (!this.drag || (dx === 0 && dy === 0)) return;
    this.drag.moved = true;
    this.scrollX += dx;
    this.scrollY += dy;
    this.place();
  }

  release(e) {
    if (!this.pointers.has(e.pointerId)) return;
    this.pointers.delete(e.pointerId);
    if (this.pointers.size < 2) this.pinch = null;
    const click = this.drag && !this.drag.moved && this.pointers.size === 0;
    if (this.pointers.size === 0) this.drag = null;
    if (!click) return;
    const box = this.canvas.getBoundingClientRect();
    const x = Math.floor(((e.clientX - box.left) / box.width) * this.canvas.width);
    const y = Math.floor(((e.clientY - box.top) / box.height) * this.canvas.height);
    if (x >= 0 && y >= 0 && x < this.canvas.width && y < this.canvas.height)
      this.onCellClick(x, y);
  }

  forget(e) {
    this.pointers.delete(e.pointerId);
    this.pinch = null;
    this.drag = null;
  }

  wheel(e) {
    if (e.target !== this.canvas && e.target !== this.viewport) return;
    e.preventDefault();
    const { x, y } = this.local(e);
    this.step(e.deltaY < 0 ? 1 : -1, x, y);
  }

  // Arrow keys pan as a drag does, a screen's eighth a press; + and − zoom a step.
  key(e) {
    if (e.target !== this.viewport) return;
    if (e.key === "+" || e.key === "=" || e.key === "-" || e.key === "−") {
      e.preventDefault();
      this.step(e.key === "+" || e.key === "=" ? 1 : -1);
      return;
    }
    const steps = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
    const step = steps[e.key];
    if (!step) return;
    e.preventDefault();
    this.scrollX += step[0] * Math.ceil(this.viewport.clientWidth / 8);
    this.scrollY += step[1] * Math.ceil(this.viewport.clientHeight / 8);
    this.place();
  }
}
