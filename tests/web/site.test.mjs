// The exhibition website in a real browser: written by pinacora-data web from the demo, served by a
// static server on 127.0.0.1, driven in Chromium as a visitor would use it.
import assert from 'node:assert/strict';
import { existsSync, mkdirSync, readFileSync, copyFileSync, openSync, writeSync, closeSync, writeFileSync, readdirSync } from 'node:fs';
import { after, before, describe, test } from 'node:test';
import { join } from 'node:path';
import { spawnSync } from 'node:child_process';
import {
  demo, flightDone, forgetFlight, launch, noteText, openPage, runTool, scratch, serve, validator, visibleWork,
} from './browser.mjs';

const EYE = 1.75;
const near = (a, b, tolerance = 1e-3) => Math.abs(a - b) <= tolerance;
const words = (text) => text.replace(/\s+/g, ' ').trim();

// The camera ends where the kiosk's flight to the opera ends: eye height, in front of the work,
// the side offset along X within -1.5 .. +0.5.
function assertInFrontOf(position, opera) {
  const [x, y, z] = position;
  const eye = opera.flight.eye;
  assert.ok(near(y, EYE), `eye height ${y}`);
  assert.ok(near(z, eye[2]), `z ${z} against ${eye[2]} for opera ${opera.id}`);
  const offset = x - eye[0];
  assert.ok(offset >= -1.5 - 1e-3 && offset <= 0.5 + 1e-3, `side offset ${offset} for opera ${opera.id}`);
}

let folder;
let server;
let browser;
let tour;

before(async () => {
  folder = join(scratch('site'), 'site');
  const made = runTool(['web', demo, '-o', folder]);
  assert.equal(made.status, 0, made.stderr);
  tour = JSON.parse(readFileSync(join(folder, 'tour.json'), 'utf8'));
  server = await serve(folder);
  browser = await launch();
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.stop();
});

describe('the site as written', () => {
  test('scene.glb passes the glTF validator, with every work a KD_ node', async () => {
    const bytes = new Uint8Array(readFileSync(join(folder, 'scene.glb')));
    const report = await validator.validateBytes(bytes);
    assert.equal(report.issues.numErrors, 0, JSON.stringify(report.issues.messages.slice(0, 5)));
    const length = Buffer.from(bytes.buffer).readUInt32LE(12);
    const gltf = JSON.parse(Buffer.from(bytes.buffer, 20, length).toString('utf8'));
    const names = new Set(gltf.nodes.map((node) => node.name));
    for (const opera of tour.operas) assert.ok(names.has(`KD_${opera.id}`), `KD_${opera.id}`);
    assert.ok(gltf.images.length >= 8 && gltf.images.every((image) => /image\/(jpeg|png)/.test(image.mimeType)));
  });

  test('nothing is fetched from elsewhere, movies are MP4 and sounds Ogg', () => {
    for (const page of ['index.html', 'js/main.js', 'js/viewer.js']) {
      assert.doesNotMatch(readFileSync(join(folder, page), 'utf8'), /https?:\/\//, page);
    }
    const movies = tour.operas.flatMap((opera) => opera.movies);
    assert.ok(movies.length >= 2 && movies.every((movie) => movie.playable && movie.type === 'video/mp4'));
    assert.ok(tour.sounds.length === 3 && tour.sounds.every((sound) => sound.file.endsWith('.ogg')));
    assert.ok(existsSync(join(folder, '.pinacora-web')));
  });
});

describe('a visitor in the browser', () => {
  let page;
  before(async () => { page = await openPage(browser, server.url); });
  after(async () => { await page.close(); });

  test('loads with no console error and draws the gallery where the works hang', async () => {
    await flightDone(page);  // autoplay flies to a work at once
    assert.equal(await page.evaluate(() => window.pinacora.exhibition.autoplayOn), true);
    const pixels = await page.evaluate(() => window.pinacora.viewer.samplePixels(16, 12));
    const distinct = new Set(pixels.map((p) => p.map((c) => c >> 4).join(','))).size;
    const black = pixels.filter(([r, g, b]) => r + g + b < 30).length;
    assert.ok(distinct >= 8, `only ${distinct} colours drawn`);
    assert.ok(black < pixels.length / 2, `${black} of ${pixels.length} samples black`);
    assert.equal(await page.evaluate(() => window.pinacora.playlist.playing), false, 'no sound before a click');
    assert.deepEqual(page.problems, []);
  });

  test('a click on a work in the canvas flies in front of it, and the music starts', async () => {
    await page.evaluate(() => window.pinacora.setAutoplay(false));
    // A work whose centre shows on the screen, found as the visitor would see it; not 301, which
    // the list is asked for next (so that the back button has a work to go back to).
    const findTarget = () => visibleWork(page, [301]);
    let target = await findTarget();
    if (!target) {
      await forgetFlight(page);
      await page.evaluate(() => window.pinacora.flyTo(305));
      await flightDone(page);
      target = await findTarget();
    }
    assert.ok(target, 'some work shows on the screen');
    await forgetFlight(page);
    await page.mouse.click(target.x, target.y);
    const position = await flightDone(page);
    const opera = tour.operas.find((o) => o.id === target.id);
    const last = await page.evaluate(() => window.pinacora.flight.last);
    assert.ok(near(position[1], EYE));
    // In front of the work: the eye on the side its face looks to, at about its viewing distance.
    const [nx, , nz] = opera.flight.normal;
    const ahead = (position[0] - last.target[0]) * nx + (position[2] - last.target[2]) * nz;
    assert.ok(ahead > opera.flight.distance - 1.6 && ahead < opera.flight.distance + 1.6, `ahead ${ahead}`);
    assert.equal(await page.evaluate(() => location.hash), `#opera/${target.id}`);
    assert.equal(await page.$eval('#status-opera', (e) => e.textContent), opera.name);
    await page.waitForFunction(() => window.pinacora.playlist.playing && window.pinacora.playlist.audio.currentTime > 0.2,
      { timeout: 10000 });
    assert.match(await page.$eval('#status-sound', (e) => e.textContent), /background sound : {2}\S/);
  });

  test('a choice in the searchable list flies there, and a note shows the info window\'s text', async () => {
    const opera = tour.operas.find((o) => o.id === 301);
    await page.click('#button-operas');
    await page.type('#operas-search', 'nativ');
    const shown = await page.$$eval('#operas-list li', (items) => items.filter((i) => !i.hidden).length);
    assert.equal(shown, 1);
    await forgetFlight(page);
    await page.click('#operas-list button[data-opera="301"]');
    assertInFrontOf(await flightDone(page), opera);
    assert.equal(await page.evaluate(() => location.hash), '#opera/301');

    const notes = await page.$$eval('#opera-notes button', (b) => b.map((e) => e.textContent));
    assert.deepEqual(notes, opera.notes.map((n) => n.name));
    await page.click('#opera-notes button');
    const pageText = await page.$eval('#note-body', (e) => e.innerText);
    const rtf = join(scratch('note'), 'note.rtf');
    const extracted = runTool(['extract', demo, '301', '0', '-o', rtf]);
    assert.equal(extracted.status, 0, extracted.stderr);
    const kiosk = spawnSync(noteText, [rtf], { encoding: 'utf8' });
    assert.equal(kiosk.status, 0, kiosk.stderr);
    assert.ok(words(kiosk.stdout).length > 40);
    assert.equal(words(pageText), words(kiosk.stdout));
    assert.equal(await page.evaluate(() => window.pinacora.playlist.playing), false, 'a note stops the music');
  });

  test('a movie plays in the player, and the back button goes back to the work before', async () => {
    await page.click('#opera-movies button');
    assert.equal(await page.$eval('#note', (e) => e.hidden), true, 'the movie closes the note');
    await page.waitForFunction(() => document.getElementById('movie-video').currentTime > 0.3, { timeout: 15000 });
    await page.click('#movie .close');
    assert.equal(await page.$eval('#movie-video', (v) => v.paused), true);

    await forgetFlight(page);
    await page.goBack();
    const hash = await page.evaluate(() => location.hash);
    const id = Number(hash.split('/')[1]);
    assert.notEqual(id, 301);
    assertInFrontOf(await flightDone(page), tour.operas.find((o) => o.id === id));
    assert.deepEqual(page.problems, []);
  });
});

describe('addresses and small screens', () => {
  test('#opera/ID opens at that work, with autoplay off, on a phone-sized window', async () => {
    const page = await openPage(browser, `${server.url}#opera/305`, { width: 390, height: 740, isMobile: true, hasTouch: true });
    assertInFrontOf(await flightDone(page), tour.operas.find((o) => o.id === 305));
    assert.equal(await page.$eval('#button-autoplay', (b) => b.getAttribute('aria-pressed')), 'false');
    // Every control is reachable with the keyboard and has a name.
    const unnamed = await page.$$eval('button', (buttons) => buttons.filter((b) => !(b.getAttribute('aria-label') || b.textContent.trim())).length);
    assert.equal(unnamed, 0);
    // A tap on a work flies there as a click does.
    const work = await visibleWork(page);
    assert.ok(work, 'some work shows on the phone');
    await forgetFlight(page);
    await page.touchscreen.tap(work.x, work.y);
    const tapped = await flightDone(page);
    assert.ok(near(tapped[1], EYE));
    assert.equal(await page.evaluate(() => location.hash), `#opera/${work.id}`);
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'button-operas');
    await page.keyboard.press('Enter');
    assert.equal(await page.$eval('#operas', (e) => e.hidden), false);
    const box = await page.$eval('#operas', (e) => { const r = e.getBoundingClientRect(); return [r.left, r.right]; });
    assert.ok(box[0] >= 0 && box[1] <= 390, `the list fits the phone: ${box}`);
    assert.deepEqual(page.problems, []);
    await page.close();
  });
});

describe('what the tool refuses', () => {
  test('a damaged exhibition is refused with its errors, and no folder is left', () => {
    const work = scratch('damaged');
    const damaged = join(work, 'damaged.bin');
    copyFileSync(demo, damaged);
    const file = openSync(damaged, 'r+');
    writeSync(file, Buffer.alloc(64, 0xff), 0, 64, 70000);
    closeSync(file);
    const run = runTool(['web', damaged, '-o', join(work, 'site')]);
    assert.equal(run.status, 1);
    assert.match(run.stderr, /does not inflate/);
    assert.match(run.stderr, /1 error, so no site is written/);
    assert.deepEqual(readdirSync(work), ['damaged.bin']);
    const forced = runTool(['web', damaged, '-o', join(work, 'site'), '--force', '--quiet']);
    assert.equal(forced.status, 0, forced.stderr);
    assert.ok(existsSync(join(work, 'site', 'index.html')));
    // No exhibition file at all: even --force writes nothing.
    const stranger = join(work, 'stranger.bin');
    writeFileSync(stranger, Buffer.alloc(70000, 0x41));
    const refused = runTool(['web', stranger, '-o', join(work, 'other'), '--force']);
    assert.equal(refused.status, 1);
    assert.match(refused.stderr, /signature is wrong/);
    assert.deepEqual(readdirSync(work).sort(), ['damaged.bin', 'site', 'stranger.bin']);
  });

  test('without ffmpeg a WMV movie is offered for download, and the curator is told why', () => {
    const work = scratch('noffmpeg');
    const run = spawnSync(process.env.PINACORA_DATA, ['web', demo, '-o', join(work, 'site')],
      { encoding: 'utf8', env: { ...process.env, PATH: join(work, 'nothing-here'), QT_QPA_PLATFORM: 'offscreen' } });
    assert.equal(run.status, 0, run.stderr);
    assert.match(run.stderr, /movie '.*': a WMV movie, which browsers do not play, is offered for download: install ffmpeg/);
    const written = JSON.parse(readFileSync(join(work, 'site', 'tour.json'), 'utf8'));
    const movie = written.operas.find((o) => o.id === 301).movies[0];
    assert.equal(movie.playable, false);
    assert.match(movie.file, /\.wmv$/);
    assert.ok(existsSync(join(work, 'site', movie.file)));
  });

  test('a folder web did not make is never overwritten; its own site is replaced', () => {
    const work = scratch('folders');
    const theirs = join(work, 'theirs');
    mkdirSync(theirs);
    writeFileSync(join(theirs, 'keep.txt'), 'mine');
    const refused = runTool(['web', demo, '-o', theirs]);
    assert.equal(refused.status, 1);
    assert.match(refused.stderr, /not a website made by pinacora-data web/);
    assert.deepEqual(readdirSync(theirs), ['keep.txt']);
    const site = join(work, 'site');
    assert.equal(runTool(['web', demo, '-o', site, '--quiet', '--title', 'Prima']).status, 0);
    const again = runTool(['web', demo, '-o', site, '--quiet', '--title', 'Seconda <b>']);
    assert.equal(again.status, 0, again.stderr);
    assert.match(readFileSync(join(site, 'index.html'), 'utf8'), /<title>Seconda &lt;b&gt;<\/title>/);
    assert.deepEqual(readdirSync(work).sort(), ['site', 'theirs']);
    assert.equal(runTool(['web', demo]).status, 2);
  });
});
