// Camera flights as the kiosk flies them: 80 ticks of 20 ms, the position on a straight line at
// constant speed, the orientation turned by spherical interpolation, the end at eye height 1.75 in
// front of the work, facing the point aimed at.
import { PerspectiveCamera, Quaternion, Vector3 } from 'three';

export const TICKS = 80;
export const TICK_MS = 20;
export const DIVISOR = 79;
export const EYE_HEIGHT = 1.75;
export const DEFAULT_DISTANCE = 6.0;

// The sideways offset of a flight's eye along world X, drawn once per flight: -1.5 to +0.5.
export function sideOffset(random = Math.random) {
  const r = Math.floor(random() * 32768);
  return (r * 2) / 32767 - 1.5;
}

// Where a flight to point (facing along normal, seen from distance) ends.
export function flightEnd(point, normal, distance, offset) {
  const eye = new Vector3().copy(point).addScaledVector(normal, distance);
  eye.x += offset;
  eye.y = EYE_HEIGHT;
  return { eye, target: new Vector3().copy(point) };
}

export class Flight {
  constructor(camera, onStep) {
    this.camera = camera;
    this.onStep = onStep;
    this.active = false;
    this.startedAt = 0;
    this.steps = 0;
    this.last = null;  // { ms, steps, eye, target } of the last flight that ran to its end
    this.scratch = new PerspectiveCamera();
  }

  // Starts a flight from wherever the camera is now; a running flight is replaced.
  start(eye, target, now = performance.now()) {
    this.startPosition = this.camera.position.clone();
    this.startOrientation = this.camera.quaternion.clone();
    this.endPosition = eye.clone();
    this.target = target.clone();
    this.scratch.position.copy(eye);
    this.scratch.up.set(0, 1, 0);
    this.scratch.lookAt(target);
    this.endOrientation = this.scratch.quaternion.clone();
    this.startedAt = now;
    this.steps = 0;
    this.active = true;
  }

  // Moves the camera to where the flight is at time now; answers whether it is still flying.
  // Tick k (0..79) falls at k * 20 ms; between ticks the camera moves on smoothly.
  update(now = performance.now()) {
    if (!this.active) return false;
    const elapsed = Math.max(0, now - this.startedAt);
    const k = Math.min(DIVISOR, elapsed / TICK_MS);
    this.steps = Math.min(TICKS, Math.floor(elapsed / TICK_MS) + 1);
    if (k >= DIVISOR) {
      this.camera.position.copy(this.endPosition);
      this.camera.quaternion.copy(this.endOrientation);
    } else {
      this.camera.position.lerpVectors(this.startPosition, this.endPosition, k / DIVISOR);
      this.camera.quaternion.slerpQuaternions(this.startOrientation, this.endOrientation, k / DIVISOR);
    }
    this.camera.updateMatrixWorld();
    if (elapsed >= TICKS * TICK_MS) {
      this.active = false;
      this.last = { ms: elapsed, steps: TICKS, eye: this.endPosition.toArray(), target: this.target.toArray() };
    }
    if (this.onStep) this.onStep(this);
    return this.active;
  }
}

// The camera's pose at start-up: at eye height at the origin, looking towards (10, 3.5, 0).
export function startPose(camera, start) {
  camera.position.fromArray(start.position);
  camera.up.set(0, 1, 0);
  camera.lookAt(new Vector3().fromArray(start.target));
  camera.updateMatrixWorld();
}

export function quaternionOf(camera) { return new Quaternion().copy(camera.quaternion); }
