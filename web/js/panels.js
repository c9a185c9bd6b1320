// The page's panels: the operas list (searchable) with the chosen work's notes and movies, the
// note and movie windows, the credits, and the status line.
const $ = (id) => document.getElementById(id);

function button(text, onClick, label) {
  const element = document.createElement('button');
  element.type = 'button';
  element.textContent = text;
  if (label) element.setAttribute('aria-label', label);
  element.addEventListener('click', onClick);
  return element;
}

export class Panels {
  constructor(tour, actions) {
    this.tour = tour;
    this.actions = actions;  // { choose(id), openNote(opera, index), openMovie(opera, index), closedMovie() }
    this.current = null;
    this.fillOperas();
    $('operas-search').addEventListener('input', () => this.filter($('operas-search').value));
    for (const close of document.querySelectorAll('[data-close]')) {
      close.addEventListener('click', () => this.hide(close.dataset.close));
    }
    document.addEventListener('keydown', (event) => {
      if (event.key !== 'Escape') return;
      for (const id of ['note', 'movie', 'credits', 'operas']) {
        if (!$(id).hidden) { this.hide(id); break; }
      }
    });
    this.showItems(null);
  }

  fillOperas() {
    const list = $('operas-list');
    list.textContent = '';
    for (const opera of this.tour.operas) {
      const item = document.createElement('li');
      const choose = button(opera.name, () => this.actions.choose(opera.id));
      choose.dataset.opera = String(opera.id);
      item.appendChild(choose);
      list.appendChild(item);
    }
  }

  filter(text) {
    const wanted = text.trim().toLocaleLowerCase();
    for (const choose of $('operas-list').querySelectorAll('button')) {
      choose.parentElement.hidden = wanted !== '' && !choose.textContent.toLocaleLowerCase().includes(wanted);
    }
  }

  isShown(id) { return !$(id).hidden; }

  show(id) {
    $(id).hidden = false;
    const opener = { operas: 'button-operas', credits: 'button-credits' }[id];
    if (opener) $(opener).setAttribute('aria-expanded', 'true');
  }

  hide(id) {
    const panel = $(id);
    if (panel.hidden) return;
    panel.hidden = true;
    const opener = { operas: 'button-operas', credits: 'button-credits' }[id];
    if (opener) $(opener).setAttribute('aria-expanded', 'false');
    if (id === 'movie') this.closeMovie();
    if (id === 'operas') { this.hide('note'); this.hide('movie'); }
  }

  // Shows the opera's notes and movies; the note and movie windows of another opera close.
  showItems(opera) {
    if (opera !== this.current) { this.hide('note'); this.hide('movie'); }
    this.current = opera;
    for (const choose of $('operas-list').querySelectorAll('button')) {
      choose.setAttribute('aria-current', opera && choose.dataset.opera === String(opera.id) ? 'true' : 'false');
    }
    $('opera-name').textContent = opera ? opera.name : 'Contribs';
    const notes = $('opera-notes');
    const movies = $('opera-movies');
    notes.textContent = '';
    movies.textContent = '';
    if (!opera) return;
    opera.notes.forEach((note, index) => {
      const item = document.createElement('li');
      item.appendChild(button(note.name, () => this.actions.openNote(opera, index), `Note: ${note.name}`));
      notes.appendChild(item);
    });
    opera.movies.forEach((movie, index) => {
      const item = document.createElement('li');
      item.appendChild(button(movie.name, () => this.actions.openMovie(opera, index), `Movie: ${movie.name}`));
      movies.appendChild(item);
    });
  }

  showNote(opera, note) {
    this.hide('movie');
    $('note-title').textContent = `${opera.name}: ${note.name}`;
    $('note-body').innerHTML = note.html;
    this.show('note');
    $('note-body').scrollTop = 0;
  }

  showMovie(opera, movie) {
    this.hide('note');
    this.closeMovie();
    $('movie-title').textContent = `${opera.name}: ${movie.name}`;
    const video = $('movie-video');
    const download = $('movie-download');
    if (movie.playable) {
      video.hidden = false;
      download.hidden = true;
      video.volume = 0.5;
      video.src = movie.file;
      const started = video.play();
      if (started && started.catch) started.catch(() => {});
    } else {
      video.hidden = true;
      download.hidden = false;
      download.innerHTML = '';
      const text = document.createElement('span');
      text.textContent = 'Questo filmato non si può vedere nel browser. ';
      const link = document.createElement('a');
      link.href = movie.file;
      link.download = '';
      link.textContent = `Scarica «${movie.name}»`;
      download.append(text, link);
    }
    this.show('movie');
  }

  closeMovie() {
    const video = $('movie-video');
    video.pause();
    video.removeAttribute('src');
    video.load();
  }

  status(opera, sound) {
    if (opera !== undefined) $('status-opera').textContent = opera ? opera.name : '';
    if (sound !== undefined) $('status-sound').textContent = sound ? ` background sound :  ${sound.name}` : '';
  }
}
