// The exhibition page: loads the tour and the scene, then flies as the kiosk does. A click or tap
// on a work, a choice in the operas list and the address #opera/<Id> fly to a work; autoplay
// moves to a random work every 20 seconds; the music starts at the visitor's first click.
import { Vector3 } from 'three';
import { DEFAULT_DISTANCE, flightEnd, sideOffset, startPose } from './flight.js';
import { Playlist } from './music.js';
import { Panels } from './panels.js';
import { Viewer } from './viewer.js';

const AUTOPLAY_MS = 20000;
const ADDRESS = /^#opera\/(-?\d+)$/;
const $ = (id) => document.getElementById(id);

class Exhibition {
  constructor(tour, viewer) {
    this.tour = tour;
    this.viewer = viewer;
    this.byId = new Map(tour.operas.map((opera) => [opera.id, opera]));
    this.reachable = tour.operas.filter((opera) => opera.flight);
    this.currentOpera = -1;
    this.autoplayOn = false;
    this.timer = null;
    this.panels = new Panels(tour, {
      choose: (id) => this.choose(id, 'list'),
      openNote: (opera, index) => this.openNote(opera, index),
      openMovie: (opera, index) => this.openMovie(opera, index),
    });
    this.playlist = new Playlist(tour.sounds, (piece) => this.panels.status(undefined, piece));
    this.wireControls();
    this.wireView();
    window.addEventListener('popstate', () => this.followAddress());
  }

  wireControls() {
    $('button-operas').addEventListener('click', () => {
      if (this.panels.isShown('operas')) { this.panels.hide('operas'); return; }
      this.setAutoplay(false);  // as the kiosk's Operas command: the visitor is browsing now
      this.panels.show('operas');
      $('operas-search').focus();
    });
    $('button-autoplay').addEventListener('click', () => this.setAutoplay(!this.autoplayOn));
    $('button-music').addEventListener('click', () => {
      this.playlist.allow();
      if (this.playlist.selected) this.playlist.deselectAll(); else this.playlist.selectAll();
      this.showMusicState();
    });
    $('button-credits').addEventListener('click', () => {
      if (this.panels.isShown('credits')) this.panels.hide('credits'); else this.panels.show('credits');
    });
    // Sound is allowed from the visitor's first click, tap or key on the page.
    const allow = () => {
      this.playlist.allow();
      this.showMusicState();
    };
    for (const kind of ['pointerdown', 'keydown']) document.addEventListener(kind, allow, { once: true, capture: true });
  }

  // A click or tap (not a drag) on the view flies to the work under it.
  wireView() {
    const canvas = this.viewer.canvas;
    let down = null;
    canvas.addEventListener('pointerdown', (event) => { down = { x: event.clientX, y: event.clientY }; });
    canvas.addEventListener('pointerup', (event) => {
      if (!down || Math.hypot(event.clientX - down.x, event.clientY - down.y) > 8) return;
      down = null;
      this.pickAt(event.clientX, event.clientY);
    });
  }

  showMusicState() { $('button-music').setAttribute('aria-pressed', String(this.playlist.selected)); }

  pickAt(x, y) {
    const hit = this.viewer.pick(x, y);
    if (!hit) return null;
    const opera = this.byId.get(hit.id);
    const distance = opera && opera.flight ? opera.flight.distance : DEFAULT_DISTANCE;
    const end = flightEnd(hit.point, hit.normal, distance, sideOffset());
    this.viewer.fly(end.eye, end.target);
    this.selected(hit.id, 'view');
    return hit.id;
  }

  // Starts the flight to the opera's work; false when the scene has no work for it.
  flyTo(id) {
    const opera = this.byId.get(id);
    if (!opera || !opera.flight) return false;
    const f = opera.flight;
    const end = flightEnd(new Vector3().fromArray(f.center), new Vector3().fromArray(f.normal), f.distance, sideOffset());
    this.viewer.fly(end.eye, end.target);
    return true;
  }

  // The visitor chose an opera in the list (or followed an address): fly there and show it.
  choose(id, source) {
    if (!this.byId.has(id)) return;
    this.flyTo(id);
    this.selected(id, source);
  }

  selected(id, source) {
    this.currentOpera = id;
    const opera = this.byId.get(id);
    this.panels.showItems(opera || null);
    this.panels.status(opera || null);
    if (source !== 'address' && source !== 'autoplay' && location.hash !== `#opera/${id}`) {
      history.pushState({ opera: id }, '', `#opera/${id}`);
    }
  }

  followAddress() {
    const match = ADDRESS.exec(location.hash);
    if (!match) return false;
    const id = Number(match[1]);
    if (!this.byId.has(id)) return false;
    this.choose(id, 'address');
    return true;
  }

  randomOpera() {
    if (this.reachable.length === 0) return;
    const opera = this.reachable[Math.floor(Math.random() * this.reachable.length)];
    this.flyTo(opera.id);
    this.selected(opera.id, 'autoplay');
  }

  setAutoplay(on) {
    this.autoplayOn = on;
    $('button-autoplay').setAttribute('aria-pressed', String(on));
    clearInterval(this.timer);
    this.timer = null;
    if (!on) return;
    this.timer = setInterval(() => { if (this.autoplayOn) this.randomOpera(); }, AUTOPLAY_MS);
    this.playlist.selectAll();
    this.showMusicState();
    this.randomOpera();
  }

  openNote(opera, index) {
    this.playlist.deselectAll();  // opening a note or a movie stops the music, as in the kiosk
    this.showMusicState();
    this.panels.showNote(opera, opera.notes[index]);
  }

  openMovie(opera, index) {
    this.playlist.deselectAll();
    this.showMusicState();
    this.panels.showMovie(opera, opera.movies[index]);
  }
}

async function start() {
  const api = { ready: null, errors: [] };
  window.pinacora = api;
  const canvas = $('view');
  const viewer = new Viewer(canvas);
  api.viewer = viewer;
  api.camera = viewer.camera;
  const response = await fetch('tour.json');
  if (!response.ok) throw new Error(`tour.json: ${response.status}`);
  const tour = await response.json();
  api.tour = tour;
  startPose(viewer.camera, tour.start);
  await viewer.load(tour.scene);
  $('loading').hidden = true;
  const exhibition = new Exhibition(tour, viewer);
  api.exhibition = exhibition;
  api.flyTo = (id) => exhibition.flyTo(id);
  api.choose = (id) => exhibition.choose(id, 'list');
  api.pickAt = (x, y) => exhibition.pickAt(x, y);
  api.setAutoplay = (on) => exhibition.setAutoplay(on);
  api.playlist = exhibition.playlist;
  api.flight = viewer.flight;
  // An address names a work: the page opens there and stays (autoplay waits to be switched on).
  if (exhibition.followAddress()) exhibition.setAutoplay(false);
  else exhibition.setAutoplay(true);
  viewer.requestDraw();
  api.loadedAt = performance.now();
}


const ready = start().catch((error) => {
  $('loading').textContent = `La mostra non si può mostrare: ${error.message}`;
  throw error;
});
window.pinacora.ready = ready;
