// The map at one pixel per cell: panned by dragging, optionally scaled to fit
// the viewport; clicks that are not drags name a cell.

export class MapView {
  constructor(viewport, canvas, onCellClick) {
    this.viewport = viewport;
    this.canvas = canvas;
    this.context = canvas.getContext("2d");
    this.onCellClick = onCellClick;
    this.scrollX = 0;
    this.scrollY = 0;
    this.fit = false;
    this.drag = null;
    viewport.addEventListener("pointerdown", (e) => this.press(e));
    viewport.addEventListener("pointermove", (e) => this.move(e));
    viewport.addEventListener("pointerup", (e) => this.release(e));
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

  ranges() {
    return {
      x: Math.max(0, this.canvas.width - this.viewport.clientWidth),
      y: Math.max(0, this.canvas.height - this.viewport.clientHeight),
    };
  }

  place() {
    const c = this.canvas.style;
    if (this.fit) {
      const scale = Math.min(this.viewport.clientWidth / this.canvas.width,
                             this.viewport.clientHeight / this.canvas.height);
      c.transform = `scale(${scale})`;
      return;
    }
    const r = this.ranges();
    this.scrollX = Math.min(Math.max(this.scrollX, 0), r.x);
    this.scrollY = Math.min(Math.max(this.scrollY, 0), r.y);
    c.transform = `translate(${-this.scrollX}px, ${-this.scrollY}px)`;
  }

  press(e) {
    if (e.button !== 0) return;
    this.drag = { x: e.clientX, y: e.clientY, moved: false };
    this.viewport.setPointerCapture(e.pointerId);
  }

  move(e) {
    if (!this.drag) return;
    const dx = this.drag.x - e.clientX, dy = this.drag.y - e.clientY;
    if (dx === 0 && dy === 0) return;
    this.drag.moved = true;
    this.drag.x = e.clientX;
    this.drag.y = e.clientY;
    if (this.fit) return;
    this.scrollX += dx;
    this.scrollY += dy;
    this.place();
  }

  release(e) {
    if (!this.drag) return;
    const click = !this.drag.moved;
    this.drag = null;
    if (!click) return;
    const box = this.canvas.getBoundingClientRect();
    const x = Math.floor(((e.clientX - box.left) / box.width) * this.canvas.width);
    const y = Math.floor(((e.clientY - box.top) / box.height) * this.canvas.height);
    if (x >= 0 && y >= 0 && x < this.canvas.width && y < this.canvas.height)
      this.onCellClick(x, y);
  }

  // Arrow keys pan as a drag does, a screen's eighth a press.
  key(e) {
    const steps = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
    const step = steps[e.key];
    if (!step || e.target !== this.viewport || this.fit) return;
    e.preventDefault();
    this.scrollX += step[0] * Math.ceil(this.viewport.clientWidth / 8);
    this.scrollY += step[1] * Math.ceil(this.viewport.clientHeight / 8);
    this.place();
  }
}
