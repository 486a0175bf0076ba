// The map as a lit 3D surface: the heights on a grid thinned to at most
// `segments` steps a side (a 3000 x 3000 map turns as smoothly as a small one),
// the picture shown laid over it as its colours, and a water plane at the
// water level. Turned and zoomed with mouse or fingers; drawn only on change.
import {
  AmbientLight, BufferAttribute, BufferGeometry, Color, DataTexture, DirectionalLight,
  LinearMipmapLinearFilter, Mesh, MeshLambertMaterial, PerspectiveCamera, PlaneGeometry,
  RGBAFormat, SRGBColorSpace, Scene, WebGLRenderer,
} from "three";
import { OrbitControls } from "three/addons/controls/OrbitControls.js";

const segments = 256;
const relief = 0.12; // altitude 1 against the map's longer side

// Grid vertices at every step-th cell, the last row and column always included.
function surfaceGeometry(width, height, samples) {
  const step = Math.max(1, Math.ceil(Math.max(width, height) / segments));
  const xs = [], ys = [];
  for (let x = 0; x < width; x += step) xs.push(x);
  if (xs[xs.length - 1] !== width - 1) xs.push(width - 1);
  for (let y = 0; y < height; y += step) ys.push(y);
  if (ys[ys.length - 1] !== height - 1) ys.push(height - 1);
  const span = Math.max(width, height);
  const positions = new Float32Array(xs.length * ys.length * 3);
  const uvs = new Float32Array(xs.length * ys.length * 2);
  let v = 0;
  for (const y of ys) {
    for (const x of xs) {
      positions.set([(x - (width - 1) / 2) / span, (samples[y * width + x] / 65535) * relief,
                     (y - (height - 1) / 2) / span], v * 3);
      uvs.set([(x + 0.5) / width, (y + 0.5) / height], v * 2);
      ++v;
    }
  }
  // Two triangles a quad, wound to face up.
  const index = new Uint32Array((xs.length - 1) * (ys.length - 1) * 6);
  let i = 0;
  for (let r = 0; r + 1 < ys.length; ++r) {
    for (let c = 0; c + 1 < xs.length; ++c) {
      const a = r * xs.length + c, b = a + xs.length;
      index.set([a, b, a + 1, b, b + 1, a + 1], i);
      i += 6;
    }
  }
  const g = new BufferGeometry();
  g.setAttribute("position", new BufferAttribute(positions, 3));
  g.setAttribute("uv", new BufferAttribute(uvs, 2));
  g.setIndex(new BufferAttribute(index, 1));
  g.computeVertexNormals();
  return { geometry: g, vertices: v, span };
}

export class Surface {
  constructor(viewport, description) {
    const canvas = document.createElement("canvas");
    canvas.id = "surface";
    canvas.setAttribute("role", "img");
    canvas.setAttribute("aria-label", description);
    // The flat view's dragging (on the viewport) must not take this canvas's pointer.
    canvas.addEventListener("pointerdown", (e) => e.stopPropagation());
    this.canvas = canvas;
    this.renderer = new WebGLRenderer({ canvas, antialias: true });
    viewport.append(canvas);
    this.renderer.setPixelRatio(Math.min(2, devicePixelRatio));
    this.scene = new Scene();
    this.scene.background = new Color(0x101820);
    this.scene.add(new AmbientLight(0xffffff, 1.2));
    const sun = new DirectionalLight(0xffffff, 2.2);
    sun.position.set(-1, 1.5, -0.6);
    this.scene.add(sun);
    this.camera = new PerspectiveCamera(40, 1, 0.01, 20);
    this.camera.position.set(0, 0.85, 0.95);
    this.controls = new OrbitControls(this.camera, canvas);
    this.controls.maxPolarAngle = Math.PI * 0.48;
    this.controls.minDistance = 0.05;
    this.controls.maxDistance = 5;
    this.controls.addEventListener("change", () => this.draw());
    this.land = new Mesh(new BufferGeometry(), new MeshLambertMaterial());
    this.water = new Mesh(new PlaneGeometry(1, 1), new MeshLambertMaterial({
      color: 0x2050c0, transparent: true, opacity: 0.55, depthWrite: false,
    }));
    this.water.rotation.x = -Math.PI / 2;
    this.scene.add(this.land, this.water);
    new ResizeObserver(() => this.resize()).observe(canvas);
  }

  describe(description) {
    this.canvas.setAttribute("aria-label", description);
  }

  // map: {width, height, rgba} as the flat view shows it; samples: its 16-bit heights.
  show(map, samples, waterLevel) {
    if (samples !== this.samples) {
      this.samples = samples;
      const { geometry, vertices, span } = surfaceGeometry(map.width, map.height, samples);
      this.land.geometry.dispose();
      this.land.geometry = geometry;
      this.water.scale.set(map.width / span, map.height / span, 1);
      this.canvas.dataset.vertices = String(vertices);
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
    this.water.position.y = waterLevel * relief;
    this.canvas.dataset.waterLevel = String(waterLevel);
    this.resize();
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
}
