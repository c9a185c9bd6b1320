// What the web tests share: the site written by the tool, a real static server on 127.0.0.1 and
// Debian's Chromium driven through its DevTools protocol.
import { spawn, spawnSync } from 'node:child_process';
import { mkdtempSync } from 'node:fs';
import { createRequire } from 'node:module';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const require = createRequire(join(process.env.PINACORA_WEB_MODULES, 'package.json'));
export const puppeteer = require('puppeteer-core');
export const validator = require('gltf-validator');

export const tool = process.env.PINACORA_DATA;
export const demo = process.env.PINACORA_DEMO;
export const noteText = process.env.PINACORA_NOTETEXT;

export function scratch(name) { return mkdtempSync(join(tmpdir(), `pinacora-web-${name}-`)); }

export function runTool(args) {
  const run = spawnSync(tool, args, { encoding: 'utf8', env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' } });
  return { status: run.status, stdout: run.stdout, stderr: run.stderr };
}

async function freePort() {
  return new Promise((resolve, reject) => {
    const server = createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// python3 -m http.server on the folder; answers { url, stop() } once it answers requests.
export async function serve(folder) {
  const port = await freePort();
  const server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1', '--directory', folder],
    { stdio: 'ignore' });
  const url = `http://127.0.0.1:${port}/`;
  for (let i = 0; i < 100; i += 1) {
    try {
      const response = await fetch(url);
      if (response.ok) break;
    } catch { /* not up yet */ }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  return { url, stop: () => server.kill() };
}

export async function launch() {
  // Headless Chromium draws without any X server; one named in DISPLAY that has gone away would
  // cost it its WebGL.
  const env = { ...process.env };
  delete env.DISPLAY;
  return puppeteer.launch({
    env,
    executablePath: process.env.PINACORA_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--use-angle=swiftshader', '--enable-unsafe-swiftshader', `--user-data-dir=${scratch('profile')}`],
  });
}

// A page that records every console error and uncaught exception.
export async function openPage(browser, url, viewport = { width: 1024, height: 700 }) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.problems = [];
  page.on('console', (message) => { if (message.type() === 'error') page.problems.push(message.text()); });
  page.on('pageerror', (error) => page.problems.push(error.message));
  page.on('requestfailed', (request) => page.problems.push(`${request.url()}: ${request.failure()?.errorText}`));
  await page.goto(url, { waitUntil: 'load' });
  await page.evaluate(() => window.pinacora.ready);
  return page;
}

// Waits until no flight runs (and one has ended), then answers the camera's position.
export async function flightDone(page) {
  await page.waitForFunction(() => !window.pinacora.flight.active && window.pinacora.flight.last !== null,
    { timeout: 15000 });
  return page.evaluate(() => window.pinacora.camera.position.toArray());
}

// Starts a fresh flight's wait: forgets the last flight, so flightDone waits for the next one.
export async function forgetFlight(page) { await page.evaluate(() => { window.pinacora.flight.last = null; }); }

// A work whose centre shows on the screen and that the page's pick finds there, as the visitor
// sees it: { id, x, y } in CSS pixels, preferring one that is not current; none of the excluded.
export async function visibleWork(page, excluded = []) {
  return page.evaluate((skip) => {
    const { camera, tour, viewer, exhibition } = window.pinacora;
    const found = [];
    for (const opera of tour.operas) {
      if (!opera.flight || skip.includes(opera.id)) continue;
      const point = camera.position.clone().set(...opera.flight.center).project(camera);
      if (Math.abs(point.x) > 0.85 || Math.abs(point.y) > 0.85 || point.z > 1) continue;
      const x = ((point.x + 1) / 2) * innerWidth;
      const y = ((1 - point.y) / 2) * innerHeight;
      const hit = viewer.pick(x, y);
      if (hit && hit.id === opera.id) found.push({ id: opera.id, x, y });
    }
    return found.find((c) => c.id !== exhibition.currentOpera) || found[0] || null;
  }, excluded);
}
