// The 3D view: the exhibition's scene from scene.glb under a head light, drawn when something
// changed, and the pick that finds the work under a click or tap.
import {
  AmbientLight, Box3, Color, DirectionalLight, Frustum, Matrix4, Object3D, PerspectiveCamera, Raycaster, Scene, SRGBColorSpace,
  Vector2, Vector3, WebGLRenderer,
} from 'three';
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';
import { Flight } from './flight.js';

const WORK_NAME = /^KD_(-?\d+)$/i;
const VERTICAL_FOV = 45;  // the kiosk camera's height angle, pi/4
// Time each frame may spend handing pictures to the graphics card, nearest works first.
const UPLOAD_BUDGET_MS = 30;

export class Viewer {
  constructor(canvas) {
    this.canvas = canvas;
    this.renderer = new WebGLRenderer({ canvas, antialias: true, powerPreference: 'high-performance' });
    this.renderer.outputColorSpace = SRGBColorSpace;
    this.renderer.setPixelRatio(Math.min(window.devicePixelRatio || 1, 2));
    this.scene = new Scene();
    this.scene.background = new Color(0x000000);
    this.camera = new PerspectiveCamera(VERTICAL_FOV, 1, 0.05, 1000);
    this.scene.add(this.camera);
    this.addLights();
    this.flight = new Flight(this.camera, () => this.requestDraw());
    this.works = null;
    this.frames = 0;
    this.firstFrameAt = null;     // the first frame drawn with pictures
    this.allPicturesAt = null;    // the first frame with every picture
    this.pendingPictures = [];
    this.drawPending = false;
    this.onFlightEnd = null;
    window.addEventListener('resize', () => this.resize());
    this.resize();
  }

  // A head light, as the kiosk's viewer has, and the room's ambient light.
  addLights() {
    this.scene.add(new AmbientLight(0xffffff, Math.PI * 0.15));
    const head = new DirectionalLight(0xffffff, Math.PI * 0.85);
    const aim = new Object3D();
    aim.position.set(0, 0, -1);
    this.camera.add(head);
    this.camera.add(aim);
    head.position.set(0, 0, 0);
    head.target = aim;
  }

  async load(url) {
    const gltf = await new GLTFLoader().loadAsync(url);
    this.model = gltf.scene;
    this.scene.add(gltf.scene);
    this.works = gltf.scene.getObjectByName('works') || gltf.scene;
    this.holdPictures(gltf.scene);
    const box = new Box3().setFromObject(gltf.scene);
    if (!box.isEmpty()) this.camera.far = Math.max(100, box.getSize(new Vector3()).length() * 2);
    this.resize();
    return gltf;
  }

  // A large exhibition has more pictures than a software renderer uploads in one frame: each
  // material shows its colour until its picture is on the card, and the pictures go up a few per
  // frame, those in view and nearest first, so the first frame comes at once.
  holdPictures(root) {
    const seen = new Set();
    root.traverse((object) => {
      const material = object.isMesh ? object.material : null;
      if (!material || !material.map || seen.has(material)) return;
      seen.add(material);
      this.pendingPictures.push({ material, map: material.map, object });
      material.map = null;
      material.needsUpdate = true;
    });
  }

  uploadPictures() {
    if (this.pendingPictures.length === 0) return false;
    const frustum = new Frustum().setFromProjectionMatrix(
      new Matrix4().multiplyMatrices(this.camera.projectionMatrix, this.camera.matrixWorldInverse));
    const eye = this.camera.position;
    const where = new Vector3();
    const rank = (entry) => {
      const box = new Box3().setFromObject(entry.object);
      return (frustum.intersectsBox(box) ? 0 : 1e9) + box.getCenter(where).distanceTo(eye);
    };
    for (const entry of this.pendingPictures) entry.rank = rank(entry);
    this.pendingPictures.sort((a, b) => a.rank - b.rank);
    const start = performance.now();
    do {
      const entry = this.pendingPictures.shift();
      this.renderer.initTexture(entry.map);
      entry.material.map = entry.map;
      entry.material.needsUpdate = true;
    } while (this.pendingPictures.length > 0 && performance.now() - start < UPLOAD_BUDGET_MS);
    return true;
  }

  resize() {
    const width = Math.max(1, window.innerWidth);
    const height = Math.max(1, window.innerHeight);
    this.renderer.setSize(width, height, false);
    const aspect = width / height;
    this.camera.aspect = aspect;
    // A window taller than wide keeps the angle across its width, as the kiosk's camera does.
    this.camera.fov = aspect >= 1 ? VERTICAL_FOV
      : 2 * Math.atan(Math.tan((VERTICAL_FOV * Math.PI) / 360) / aspect) * (180 / Math.PI);
    this.camera.updateProjectionMatrix();
    this.requestDraw();
  }

  requestDraw() {
    if (this.drawPending) return;
    this.drawPending = true;
    requestAnimationFrame((now) => this.frame(now));
  }

  frame(now) {
    this.drawPending = false;
    const flying = this.flight.update(now);
    this.camera.updateMatrixWorld();
    const uploading = this.uploadPictures();
    this.renderer.render(this.scene, this.camera);
    this.frames += 1;
    if (this.model && (this.firstFrameAt === null || (this.allPicturesAt === null && !this.pendingPictures.length))) {
      // Reading one pixel waits for the drawing (and the pictures' upload) to be done.
      const gl = this.renderer.getContext();
      gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4));
      if (this.firstFrameAt === null) this.firstFrameAt = performance.now();
      if (this.pendingPictures.length === 0) this.allPicturesAt = performance.now();
    }
    if (flying || uploading) this.requestDraw();
    else if (this.flight.last && this.flight.last !== this.reported) {
      this.reported = this.flight.last;
      if (this.onFlightEnd) this.onFlightEnd(this.flight.last);
    }
  }

  // Draws now and reads a grid of cols x rows pixels of the picture, each [r, g, b]: what the
  // visitor sees, for tests and benchmarks.
  samplePixels(cols = 16, rows = 12) {
    this.renderer.render(this.scene, this.camera);
    const gl = this.renderer.getContext();
    const width = gl.drawingBufferWidth;
    const height = gl.drawingBufferHeight;
    const pixel = new Uint8Array(4);
    const samples = [];
    for (let row = 0; row < rows; row += 1) {
      for (let col = 0; col < cols; col += 1) {
        const x = Math.floor(((col + 0.5) / cols) * width);
        const y = Math.floor(((row + 0.5) / rows) * height);
        gl.readPixels(x, y, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
        samples.push([pixel[0], pixel[1], pixel[2]]);
      }
    }
    return samples;
  }

  fly(eye, target) {
    this.flight.start(eye, target, performance.now());
    this.requestDraw();
  }

  // The work under a point of the canvas (client coordinates): its Id, the point hit and the
  // surface's facing there, or null when the nearest thing there is no work.
  pick(clientX, clientY) {
    if (!this.works) return null;
    const rect = this.canvas.getBoundingClientRect();
    const ndc = new Vector2(((clientX - rect.left) / rect.width) * 2 - 1, -((clientY - rect.top) / rect.height) * 2 + 1);
    const ray = new Raycaster();
    ray.setFromCamera(ndc, this.camera);
    const hits = ray.intersectObject(this.works, true);
    if (hits.length === 0) return null;
    const hit = hits[0];
    let id = null;
    for (let node = hit.object; node && id === null; node = node.parent) {
      const match = WORK_NAME.exec(node.name || '');
      if (match) id = Number(match[1]);
    }
    if (id === null || !hit.face) return null;
    const normal = hit.face.normal.clone().transformDirection(hit.object.matrixWorld).normalize();
    return { id, point: hit.point.clone(), normal };
  }
}
