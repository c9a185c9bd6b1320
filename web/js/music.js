// The background music: the exhibition's pieces one after another in list order, wrapping at the
// end, each from silence with a short fade-in (13 steps of 10 ms, 8 dB a step up to full level).
// Browsers let a page sound only after the visitor's first click, so the playlist waits for it.
const FADE_STEP_MS = 10;
const FADE_FROM = -10000;  // hundredths of a decibel
const FADE_BY = 800;

function gainOf(level) { return level >= 0 ? 1 : Math.pow(10, level / 2000); }

export class Playlist {
  constructor(sounds, onPiece) {
    this.sounds = sounds;
    this.onPiece = onPiece;
    this.audio = new Audio();
    this.audio.preload = 'auto';
    this.audio.addEventListener('ended', () => this.playNext());
    this.selected = true;   // the playlist's pieces are checked (the kiosk checks them all at start)
    this.allowed = false;   // the visitor has clicked
    this.index = -1;
    this.level = FADE_FROM;
    this.fade = null;
  }

  get playing() { return !this.audio.paused && !this.audio.ended; }
  get current() { return this.index >= 0 ? this.sounds[this.index] : null; }

  // The visitor's first click: sound is allowed from now on.
  allow() {
    if (this.allowed) return;
    this.allowed = true;
    if (this.selected) this.playNext();
  }

  // Checks every piece: the one playing stops, and the next one starts from silence.
  selectAll() {
    this.stop();
    this.selected = true;
    if (this.allowed) this.playNext();
  }

  // Unchecks every piece: silence until they are checked again.
  deselectAll() {
    this.stop();
    this.selected = false;
  }

  stop() {
    clearInterval(this.fade);
    this.fade = null;
    this.level = FADE_FROM;
    this.audio.pause();
  }

  playNext() {
    if (!this.selected || !this.allowed || this.sounds.length === 0) return;
    this.stop();
    this.index = (this.index + 1) % this.sounds.length;
    const piece = this.sounds[this.index];
    this.audio.src = piece.file;
    this.audio.volume = gainOf(this.level);
    if (this.onPiece) this.onPiece(piece);
    const started = this.audio.play();
    if (started && started.catch) started.catch(() => {});
    this.fade = setInterval(() => {
      this.level = Math.min(0, this.level + FADE_BY);
      this.audio.volume = gainOf(this.level);
      if (this.level >= 0) {
        clearInterval(this.fade);
        this.fade = null;
      }
    }, FADE_STEP_MS);
  }
}
