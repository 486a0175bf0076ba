// The map as a lit 3D surface: the heights reduced to a mesh of at most
// `levels[0]` vertices a side (surfacegrid.js), the picture shown laid over it
// as its colours, and a water plane at the water level. Turned and zoomed with
// mouse, fingers or keys (arrows turn, + and − zoom); the camera stays above
// the ground; the mesh gets coarser while a frame takes longer than 50 ms, so
// software rendering keeps 20 frames a second. Drawn only on change.
import {
  AmbientLight, BufferAttribute, BufferGeometry, Color, DataTexture, DirectionalLight,
  LinearMipmapLinearFilter, Mesh, MeshLambertMaterial, PerspectiveCamera, PlaneGeometry,
  RGBAFormat, SRGBColorSpace, Scene, Spherical, Vector3, WebGLRenderer,
} from "three";
import { OrbitControls } from "three/addons/controls/OrbitControls.js";
import { blockFor, blockStats, coarser, meshHeights } from "./surfacegrid.js";

// The steps of detail, finest first: vertices a side at most (256: 66,049
// vertices; a level's blocks are whole multiples of the first's) and the
// share of the screen's pixel density drawn.
const levels = [[256, 1], [128, 1], [128, 0.7], [90, 0.7], [64, 0.5], [64, 0.35], [45, 0.35]];
const relief = 0.12; // altitude 1 against the map's longer side
const frameBudget = 50; // ms: 20 frames a second
const clearance = 0.015; // the camera's least height above the ground

// Whether WebGL runs on the CPU (SwiftShader, llvmpipe): there multisampling
// costs more than it shows.
function softwareRendering() {
  const gl = document.createElement("canvas").getContext("webgl");
  const info = gl?.getExtension("WEBGL_debug_renderer_info");
  const name = info ? String(gl.getParameter(info.UNMASKED_RENDERER_WEBGL)) : "";
  gl?.getExtension("WEBGL_lose_context")?.loseContext();
  return /swiftshader|llvmpipe|software/i.test(name);
}

function surfaceGeometry(width, height, grid) {
  const { columns, rows, heights, xs, ys } = grid;
  const span = Math.max(width, height);
  const positions = new Float32Array(columns * rows * 3);
  const uvs = new Float32Array(columns * rows * 2);
  for (let r = 0; r < rows; ++r) {
    for (let c = 0; c < columns; ++c) {
      const v = r * columns + c;
      positions.set([(xs[c] - (width - 1) / 2) / span, heights[v] * relief,
                     (ys[r] - (height - 1) / 2) / span], v * 3);
      uvs.set([(xs[c] + 0.5) / width, (ys[r] + 0.5) / height], v * 2);
    }
  }
  // Two triangles a quad, wound to face up.
  const index = new Uint32Array(Math.max(0, (columns - 1) * (rows - 1) * 6));
  let i = 0;
  for (let r = 0; r + 1 < rows; ++r) {
    for (let c = 0; c + 1 < columns; ++c) {
      const a = r * columns + c, b = a + columns;
      index.set([a, b, a + 1, b, b + 1, a + 1], i);
      i += 6;
    }
  }
  const g = new BufferGeometry();
  g.setAttribute("position", new BufferAttribute(positions, 3));
  g.setAttribute("uv", new BufferAttribute(uvs, 2));
  g.setIndex(new BufferAttribute(index, 1));
  g.computeVertexNormals();
  return { geometry: g, vertices: columns * rows, span };
}

export class Surface {
  // description: what the view is and how it is worked; viewText(turn, tilt,
  // distance) words the camera's place for screen readers.
  constructor(viewport, description, viewText) {
    const canvas = document.createElement("canvas");
    canvas.id = "surface";
    // Keys turn and zoom it: a focusable widget of its own.
    canvas.tabIndex = 0;
    canvas.setAttribute("role", "application");
    canvas.setAttribute("aria-label", description);
    const said = document.createElement("p");
    said.id = "surface-view";
    said.className = "screen-reader";
    said.setAttribute("aria-live", "polite");
    canvas.setAttribute("aria-describedby", said.id);
    // The flat view's dragging (on the viewport) must not take this canvas's pointer.
    canvas.addEventListener("pointerdown", (e) => e.stopPropagation());
    canvas.addEventListener("keydown", (e) => this.key(e));
    this.canvas = canvas;
    this.said = said;
    this.viewText = viewText;
    this.renderer = new WebGLRenderer({ canvas, antialias: !softwareRendering() });
    viewport.append(canvas, said);
    this.renderer.setPixelRatio(Math.min(2, devicePixelRatio));
    this.scene = new Scene();
    this.scene.background = new Color(0x101820);
    this.scene.add(new AmbientLight(0xffffff, 1.2));
    const sun = new DirectionalLight(0xffffff, 2.2);
    sun.position.set(-1, 1.5, -0.6);
    this.scene.add(sun);
    this.camera = new PerspectiveCamera(40, 1, 0.005, 20);
    this.camera.position.set(0, 0.85, 0.95);
    this.controls = new OrbitControls(this.camera, canvas);
    this.controls.maxPolarAngle = Math.PI * 0.48;
    this.controls.minDistance = 0.05;
    this.controls.maxDistance = 5;
    this.controls.addEventListener("change", () => this.moved());
    this.land = new Mesh(new BufferGeometry(), new MeshLambertMaterial());
    this.water = new Mesh(new PlaneGeometry(1, 1), new MeshLambertMaterial({
      color: 0x2050c0, transparent: true, opacity: 0.55, depthWrite: false,
    }));
    this.water.rotation.x = -Math.PI / 2;
    this.scene.add(this.land, this.water);
    this.level = 0; // index into levels
    this.grid = null;
    this.waterHeight = 0;
    new ResizeObserver(() => this.resize()).observe(canvas);
  }

  describe(description, viewText = this.viewText) {
    this.canvas.setAttribute("aria-label", description);
    this.viewText = viewText;
    this.tell();
  }

  // map: {width, height, rgba} as the flat view shows it; samples: its 16-bit heights.
  show(map, samples, waterLevel) {
    this.waterHeight = waterLevel * relief;
    if (samples !== this.samples) {
      this.samples = samples;
      this.size = { width: map.width, height: map.height };
      // The pyramid's base: every level after it is made from these blocks.
      this.base = blockStats(map.width, map.height, samples,
                             blockFor(map.width, map.height, levels[0][0]));
      this.build();
    }
    if (map.rgba !== this.rgba) {
      this.rgba = map.rgba;
      const texture = new DataTexture(map.rgba, map.width, map.height, RGBAFormat);
      texture.colorSpace = SRGBColorSpace;
      texture.minFilter = LinearMipmapLinearFilter;
      texture.generateMipmaps = true;
      texture.needsUpdate = true;
      this.land.material.map?.dispose();
      this.land.material.map = texture;
      this.land.material.needsUpdate = true;
    }
    this.water.position.y = this.waterHeight;
    this.canvas.dataset.waterLevel = String(waterLevel);
    this.keepAboveGround();
    this.tell();
    this.resize();
    this.measure();
  }

  // The mesh at the current level of detail.
  build() {
    const { width, height } = this.size;
    const [segments, density] = levels[this.level];
    const factor = Math.ceil(blockFor(width, height, segments) / this.base.block);
    this.grid = meshHeights(coarser(this.base, factor));
    const { geometry, vertices, span } = surfaceGeometry(width, height, this.grid);
    this.span = span;
    this.land.geometry.dispose();
    this.land.geometry = geometry;
    this.water.scale.set(width / span, height / span, 1);
    this.canvas.dataset.vertices = String(vertices);
    this.renderer.setPixelRatio(Math.min(2, devicePixelRatio) * density);
    this.canvas.dataset.pixelRatio = String(density);
  }

  // The highest vertex of the mesh cell under (x, z), or the water.
  groundAt(x, z) {
    const { width, height } = this.size;
    const { columns, rows, heights, block } = this.grid;
    const c = ((x * this.span + (width - 1) / 2) - (block - 1) / 2) / block;
    const r = ((z * this.span + (height - 1) / 2) - (block - 1) / 2) / block;
    let ground = this.waterHeight;
    for (const rr of [Math.floor(r), Math.floor(r) + 1]) {
      for (const cc of [Math.floor(c), Math.floor(c) + 1]) {
        if (rr >= 0 && cc >= 0 && rr < rows && cc < columns)
          ground = Math.max(ground, heights[rr * columns + cc] * relief);
      }
    }
    return ground;
  }

  // The camera never enters the ground (it would see nothing but the hill's inside).
  keepAboveGround() {
    if (!this.grid) return;
    const p = this.camera.position;
    const least = this.groundAt(p.x, p.z) + clearance;
    if (p.y < least) {
      p.y = least;
      this.camera.lookAt(this.controls.target);
    }
    this.canvas.dataset.aboveGround = String(p.y - this.groundAt(p.x, p.z));
  }

  moved() {
    this.keepAboveGround();
    this.tell();
    this.draw();
  }

  // Arrows turn (left, right) and tilt (up, down) by 15°, + and − zoom.
  key(e) {
    const turns = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
    const zoom = { "+": 0.8, "=": 0.8, "-": 1.25, "−": 1.25 }[e.key];
    const turn = turns[e.key];
    if (!turn && !zoom) return;
    e.preventDefault();
    const c = this.controls;
    const offset = new Vector3().subVectors(this.camera.position, c.target);
    const s = new Spherical().setFromVector3(offset);
    const step = Math.PI / 12;
    if (turn) {
      s.theta += turn[0] * step;
      s.phi = Math.min(Math.max(s.phi + turn[1] * step, 0.05), c.maxPolarAngle);
    } else {
      s.radius = Math.min(Math.max(s.radius * zoom, c.minDistance), c.maxDistance);
    }
    this.camera.position.copy(c.target).add(offset.setFromSpherical(s));
    this.camera.lookAt(c.target);
    c.update();
    this.moved();
  }

  // Where the camera stands, in words, for screen readers.
  tell() {
    if (!this.viewText) return;
    const offset = new Vector3().subVectors(this.camera.position, this.controls.target);
    const s = new Spherical().setFromVector3(offset);
    const degrees = (a) => Math.round((a * 180) / Math.PI);
    const text = this.viewText(((degrees(s.theta) % 360) + 360) % 360, 90 - degrees(s.phi),
                               s.radius.toFixed(2));
    if (this.said.textContent !== text) this.said.textContent = text;
  }

  resize() {
    const { clientWidth: w, clientHeight: h } = this.canvas;
    if (w === 0 || h === 0) return;
    this.renderer.setSize(w, h, false);
    this.camera.aspect = w / h;
    this.camera.updateProjectionMatrix();
    this.draw();
  }

  draw() {
    this.renderer.render(this.scene, this.camera);
    this.canvas.dataset.frames = String(Number(this.canvas.dataset.frames ?? 0) + 1);
  }

  // A frame's time to the last pixel (a one-pixel read waits for it).
  timedDraw() {
    const gl = this.renderer.getContext();
    const pixel = new Uint8Array(4);
    const start = performance.now();
    this.draw();
    gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
    return performance.now() - start;
  }

  // Times a few frames after the first (which compiles and uploads); while
  // they exceed the budget, the mesh steps down a level and is timed again,
  // and so do the pixels drawn.
  measure() {
    if (this.measuring || this.canvas.clientWidth === 0) return;
    this.measuring = true;
    const times = [];
    const next = () => {
      const time = this.timedDraw();
      if (this.canvas.clientWidth > 0) times.push(time);
      if (times.length < 4) return requestAnimationFrame(next);
      const typical = times.slice(1).sort((a, b) => a - b)[1];
      this.canvas.dataset.frameMs = typical.toFixed(1);
      this.measuring = false;
      if (typical <= frameBudget || this.level + 1 === levels.length) return;
      ++this.level;
      this.build();
      this.keepAboveGround();
      this.resize();
      this.measure();
    };
    requestAnimationFrame(next);
  }
}
