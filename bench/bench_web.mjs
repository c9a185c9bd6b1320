// The exhibition website in headless Chromium (software GL): time from navigation to the first
// frame drawn with the scene's pictures, and how long a flight takes in the page and how many
// frames it draws. Prints figures; asserts nothing.
//   node bench/bench_web.mjs SITE_FOLDER [RUNS]
// (PINACORA_WEB_MODULES names the folder with node_modules, web/ of the source tree.)
import { launch, openPage, serve, flightDone, forgetFlight } from '../tests/web/browser.mjs';

const folder = process.argv[2];
const runs = Number(process.argv[3] || 5);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const server = await serve(folder);
const browser = await launch();
const firstFrames = [];
const allPictures = [];
const flights = [];
for (let run = 0; run < runs; run += 1) {
  // A fresh browser context each time: nothing cached from the run before.
  const context = await browser.createBrowserContext();
  const page = await openPage(context, server.url);
  await page.waitForFunction(() => window.pinacora.viewer.firstFrameAt !== null, { timeout: 120000 });
  firstFrames.push(await page.evaluate(() => window.pinacora.viewer.firstFrameAt));
  await page.waitForFunction(() => window.pinacora.viewer.allPicturesAt !== null, { timeout: 180000 });
  allPictures.push(await page.evaluate(() => window.pinacora.viewer.allPicturesAt));
  await flightDone(page);
  await page.evaluate(() => window.pinacora.setAutoplay(false));
  const ids = await page.evaluate(() => window.pinacora.tour.operas.filter((o) => o.flight).map((o) => o.id));
  for (const id of ids.slice(0, 3)) {
    await forgetFlight(page);
    const before = await page.evaluate((target) => {
      const frames = window.pinacora.viewer.frames;
      window.pinacora.choose(target);
      return frames;
    }, id);
    await flightDone(page);
    const result = await page.evaluate(() => ({ frames: window.pinacora.viewer.frames, ms: window.pinacora.flight.last.ms }));
    flights.push({ ms: result.ms, frames: result.frames - before });
  }
  if (page.problems.length) console.log(`  console errors: ${page.problems.join('; ')}`);
  await context.close();
}
await browser.close();
server.stop();
console.log(`  first textured frame after navigation: median ${median(firstFrames).toFixed(0)} ms ` +
  `(runs: ${firstFrames.map((v) => v.toFixed(0)).join(', ')})`);
console.log(`  every picture on screen or in memory: median ${median(allPictures).toFixed(0)} ms`);
const ms = flights.map((f) => f.ms);
console.log(`  flight: median ${median(ms).toFixed(0)} ms from start to landing (kiosk: 80 ticks = 1600 ms; ` +
  `range ${Math.min(...ms).toFixed(0)}-${Math.max(...ms).toFixed(0)}), ` +
  `${median(flights.map((f) => f.frames))} frames drawn per flight`);
console.log(`  FIRST_FRAME_MS ${median(firstFrames).toFixed(0)} FLIGHT_MS ${median(ms).toFixed(0)}`);
