// SPDX-License-Identifier: GPL-3.0-or-later
// The roulette table's scene: the wheel and the ball. The winning pocket is known before the spin starts;
// the animation only has to end there. One set of motion curves drives both
// pictures: a lit three.js wheel when WebGL is there, a flat canvas otherwise.
import { WHEEL, RED } from '../rules/roulette.js';
import { paced, isInstant } from '../kit/pace.js';

const TAU = Math.PI * 2;
const POCKET = TAU / WHEEL.length;

// Where the wheel and the ball are at time t of a spin lasting `duration`,
// starting from `from` (the wheel's angle) and ending with the ball in the
// pocket of `number`. Angles run clockwise from the top.
export function spinPose(t, { duration, from, number, turns = 3 }) {
  const u = duration > 0 ? Math.min(1, Math.max(0, t / duration)) : 1;
  const ease = 1 - (1 - u) ** 3;
  const wheel = from + turns * TAU * ease;
  const pocket = WHEEL.indexOf(number) * POCKET;
  // The ball runs the other way, many turns, and settles on its pocket.
  const ballEnd = wheel + pocket;
  const ball = ballEnd + (turns + 5) * TAU * (1 - ease);
  const drop = Math.min(1, Math.max(0, (u - 0.55) / 0.35));
  const bounce = u > 0.9 ? 0 : Math.sin(drop * Math.PI * 3) * 0.04 * (1 - drop);
  const radius = 0.93 - 0.23 * drop + bounce;
  return { wheel, ball, radius, done: u >= 1 };
}

// Draws the wheel's face seen from above, in a square of side `size`.
export function drawWheelFace(ctx, size, angle = 0) {
  const c = size / 2;
  ctx.save();
  ctx.translate(c, c);
  ctx.rotate(angle);
  const outer = c * 0.98;
  const ring = c * 0.78;
  const inner = c * 0.6;
  ctx.beginPath(); ctx.arc(0, 0, outer, 0, TAU); ctx.fillStyle = '#3b2212'; ctx.fill();
  WHEEL.forEach((n, i) => {
    const a0 = i * POCKET - POCKET / 2 - Math.PI / 2;
    ctx.beginPath();
    ctx.arc(0, 0, outer * 0.94, a0, a0 + POCKET);
    ctx.arc(0, 0, inner, a0 + POCKET, a0, true);
    ctx.closePath();
    ctx.fillStyle = n === 0 ? '#167a43' : RED.has(n) ? '#b3261e' : '#151515';
    ctx.fill();
    ctx.strokeStyle = '#d4af62'; ctx.lineWidth = Math.max(1, size / 400); ctx.stroke();
    ctx.save();
    ctx.rotate(i * POCKET);
    ctx.fillStyle = '#f4ecd8';
    ctx.font = `700 ${Math.round(size * 0.042)}px Manrope, sans-serif`;
    ctx.textAlign = 'center'; ctx.textBaseline = 'middle';
    ctx.fillText(String(n), 0, -(outer * 0.94 + ring) / 2);
    ctx.restore();
  });
  ctx.beginPath(); ctx.arc(0, 0, ring, 0, TAU); ctx.strokeStyle = '#d4af62'; ctx.lineWidth = size / 150; ctx.stroke();
  const cone = ctx.createRadialGradient(0, 0, 0, 0, 0, inner);
  cone.addColorStop(0, '#e8c77e'); cone.addColorStop(0.25, '#7a4f25'); cone.addColorStop(1, '#4a2c15');
  ctx.beginPath(); ctx.arc(0, 0, inner, 0, TAU); ctx.fillStyle = cone; ctx.fill();
  for (let k = 0; k < 4; k++) {
    ctx.save(); ctx.rotate((k * TAU) / 4);
    ctx.fillStyle = '#d4af62'; ctx.fillRect(-size * 0.008, -inner * 0.8, size * 0.016, inner * 0.8);
    ctx.restore();
  }
  ctx.restore();
}

// The ball's distance from the hub, in units of the face's radius, for a pose
// radius: 0.93 (rolling on the track, beyond the face) down to 0.70 (at rest),
// where it sits in the middle of the pocket ring, between the cone (0.60) and
// the numbers (0.78).
const POCKET_RING = 0.69;
export const ballDistance = (radius, track) => POCKET_RING + (radius - 0.7) * ((track - POCKET_RING) / 0.23);

function ballPoint(size, pose) {
  const c = size / 2;
  const r = c * ballDistance(pose.radius, 0.95);
  return { x: c + r * Math.sin(pose.ball), y: c - r * Math.cos(pose.ball) };
}

function flatRenderer(container) {
  const canvas = document.createElement('canvas');
  canvas.className = 'rl-wheel-canvas';
  canvas.setAttribute('aria-hidden', 'true');
  container.append(canvas);
  const ctx = canvas.getContext('2d');
  return {
    webgl: false,
    canvas,
    draw(pose) {
      const box = container.getBoundingClientRect();
      const size = Math.max(50, Math.floor(Math.min(box.width, box.height) * (window.devicePixelRatio || 1)));
      if (canvas.width !== size) { canvas.width = size; canvas.height = size; }
      ctx.clearRect(0, 0, size, size);
      drawWheelFace(ctx, size, pose.wheel);
      if (pose.radius !== null) {
        const p = ballPoint(size, pose);
        const g = ctx.createRadialGradient(p.x - size * 0.006, p.y - size * 0.006, 1, p.x, p.y, size * 0.02);
        g.addColorStop(0, '#ffffff'); g.addColorStop(1, '#b9b5aa');
        ctx.beginPath(); ctx.arc(p.x, p.y, size * 0.018, 0, TAU); ctx.fillStyle = g; ctx.fill();
      }
    },
  };
}

async function webglRenderer(container) {
  const probe = document.createElement('canvas');
  if (!(probe.getContext('webgl2') || probe.getContext('webgl'))) return null;
  const THREE = await import('../../vendor/three/three.module.js');
  const renderer = new THREE.WebGLRenderer({ antialias: true, alpha: true });
  renderer.shadowMap.enabled = true;
  // three.js 0.187 dropped the soft variant; it falls back to this one with a warning.
  renderer.shadowMap.type = THREE.PCFShadowMap;
  renderer.domElement.className = 'rl-wheel-canvas';
  renderer.domElement.setAttribute('aria-hidden', 'true');
  container.append(renderer.domElement);

  const scene = new THREE.Scene();
  const camera = new THREE.PerspectiveCamera(34, 1, 0.1, 50);
  camera.position.set(0, 3.1, 2.3);
  camera.lookAt(0, -0.1, 0);
  scene.add(new THREE.HemisphereLight(0xfff2dc, 0x0a2016, 0.9));
  const key = new THREE.SpotLight(0xffeccc, 60, 20, 0.6, 0.5);
  key.position.set(1.5, 6, 2.5);
  key.castShadow = true;
  key.shadow.mapSize.set(1024, 1024);
  scene.add(key);

  // The bowl: a dark wooden rim round the turning wheel.
  const wood = new THREE.MeshStandardMaterial({ color: 0x4a2a14, roughness: 0.55, metalness: 0.1 });
  const bowl = new THREE.Mesh(new THREE.CylinderGeometry(1.45, 1.55, 0.28, 96, 1, true), wood);
  bowl.position.y = 0.02;
  bowl.receiveShadow = true;
  scene.add(bowl);
  const track = new THREE.Mesh(new THREE.RingGeometry(1.02, 1.45, 96),
    new THREE.MeshStandardMaterial({ color: 0x2a170b, roughness: 0.35, metalness: 0.15 }));
  track.rotation.x = -Math.PI / 2;
  track.position.y = 0.1;
  track.receiveShadow = true;
  scene.add(track);

  const faceCanvas = document.createElement('canvas');
  faceCanvas.width = faceCanvas.height = 1024;
  drawWheelFace(faceCanvas.getContext('2d'), 1024, 0);
  const texture = new THREE.CanvasTexture(faceCanvas);
  texture.colorSpace = THREE.SRGBColorSpace;
  texture.anisotropy = 4;
  const wheel = new THREE.Group();
  const face = new THREE.Mesh(new THREE.CircleGeometry(1.02, 96),
    new THREE.MeshStandardMaterial({ map: texture, roughness: 0.45, metalness: 0.05 }));
  face.rotation.x = -Math.PI / 2;
  face.receiveShadow = true;
  wheel.add(face);
  const gold = new THREE.MeshStandardMaterial({ color: 0xd4af62, roughness: 0.25, metalness: 0.9 });
  const turret = new THREE.Mesh(new THREE.ConeGeometry(0.16, 0.3, 32), gold);
  turret.position.y = 0.15;
  turret.castShadow = true;
  wheel.add(turret);
  for (let k = 0; k < 4; k++) {
    const arm = new THREE.Mesh(new THREE.CylinderGeometry(0.025, 0.025, 0.9, 12), gold);
    arm.rotation.z = Math.PI / 2;
    arm.rotation.y = (k * Math.PI) / 2;
    arm.position.y = 0.06;
    arm.castShadow = true;
    wheel.add(arm);
  }
  scene.add(wheel);

  const ball = new THREE.Mesh(new THREE.SphereGeometry(0.045, 24, 16),
    new THREE.MeshStandardMaterial({ color: 0xf7f5ef, roughness: 0.2, metalness: 0.1 }));
  ball.castShadow = true;
  scene.add(ball);

  // Drawn in software the wheel can take longer than a frame: after a few
  // frames over 40 ms it draws fewer pixels, down to half the stage's.
  let ratio = Math.min(window.devicePixelRatio || 1, 2), long = 0;
  return {
    webgl: true,
    canvas: renderer.domElement,
    slow(interval) {
      long = interval > 40 ? long + 1 : 0;
      if (long < 3 || ratio <= 0.5) return;
      long = 0;
      ratio = Math.max(0.5, ratio * 0.75);
      // The shadows stay as last drawn, which spares their pass on every frame.
      if (ratio < 0.8) renderer.shadowMap.autoUpdate = false;
    },
    draw(pose) {
      const box = container.getBoundingClientRect();
      const w = Math.max(50, Math.floor(box.width));
      const h = Math.max(50, Math.floor(box.height));
      renderer.setPixelRatio(ratio);
      const size = renderer.getSize(new THREE.Vector2());
      if (size.x !== w || size.y !== h) {
        renderer.setSize(w, h, false);
        camera.aspect = w / h;
        camera.updateProjectionMatrix();
      }
      // three's rotation about y is anticlockwise seen from above.
      wheel.rotation.y = -pose.wheel;
      ball.visible = pose.radius !== null;
      if (ball.visible) {
        // The face has a radius of 1.02; the track runs out to 1.45.
        const r = 1.02 * ballDistance(pose.radius, 1.28 / 1.02);
        // On the track (y 0.1) while it rolls, down on the face once inside its edge.
        const lift = Math.min(1, Math.max(0, (r - 0.95) / 0.1));
        ball.position.set(r * Math.sin(pose.ball), 0.045 + 0.1 * lift, -r * Math.cos(pose.ball));
      }
      renderer.render(scene, camera);
    },
  };
}

// Mounts the wheel in `container`; `reducedMotion` shortens the spin to a
// moment. Resolves once the picture is ready.
export async function createRouletteScene(container, { reducedMotion = false } = {}) {
  let view = null;
  // ?flat in the page address forces the flat drawing, as at the card tables.
  const flat = new URLSearchParams(globalThis.location?.search ?? '').has('flat');
  try { if (!flat) view = await webglRenderer(container); } catch (e) {
    console.warn('Velmar Casino: 3D wheel unavailable, drawing it flat', e);
  }
  view ??= flatRenderer(container);
  let angle = 0;
  let resting = { wheel: 0, ball: 0, radius: null };
  const redraw = () => view.draw(resting);
  new ResizeObserver(redraw).observe(container);
  redraw();
  return {
    webgl: view.webgl,
    canvas: view.canvas,
    spin(number) {
      const duration = isInstant() ? 0 : reducedMotion ? 600 : paced(5200);
      const plan = { duration, from: angle, number, turns: reducedMotion ? 0.3 : 3 };
      return new Promise((resolve) => {
        const start = performance.now();
        let finished = false;
        const finish = () => {
          if (finished) return;
          finished = true;
          const pose = spinPose(duration, plan);
          angle = pose.wheel % TAU;
          resting = { ...pose, wheel: angle, ball: pose.ball % TAU };
          redraw();
          resolve();
        };
        let last = 0;
        const frame = (now) => {
          if (finished) return;
          if (last) view.slow?.(now - last);
          last = now;
          const pose = spinPose(now - start, plan);
          if (pose.done) { finish(); return; }
          view.draw(pose);
          requestAnimationFrame(frame);
        };
        if (duration <= 0) { finish(); return; }
        requestAnimationFrame(frame);
        // A hidden page gets no animation frames; the spin still ends on time.
        setTimeout(finish, duration + 400);
      });
    },
    // Shows the ball resting in a pocket without spinning (after a reload).
    rest(number) {
      resting = { wheel: angle, ball: angle + WHEEL.indexOf(number) * POCKET, radius: 0.7 };
      redraw();
    },
  };
}
