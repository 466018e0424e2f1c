// The map tiles of Tramlet's map page, which the program fetches and keeps,
// and the note that the map is offline.
(function (tramletMap) {
  "use strict";

  const TILE_RETRY_MS = 5000;

  // A tile fails when it is neither on the network nor in the program's cache.
  // The note stays while any tile in view fails; those are asked for again now
  // and then, so the note goes when the network comes back. Not before the
  // page has loaded, though: an image asked for while it loads holds back its
  // end, and tiles failing again and again, each as slowly as the network
  // lets them, would keep the page loading for good.
  class MapTiles {
    // options: `note`, the element that says the map is offline.
    constructor(map, { note }) {
      this.note = note;
      this.failing = new Set();
      this.loaded = 0;
      this.layer = L.tileLayer("tramlet-map://tiles/{z}/{x}/{y}", {
        maxZoom: 19,
        attribution: '&copy; <a href="https://www.openstreetmap.org/copyright">OpenStreetMap</a> contributors',
      }).addTo(map);
      this.layer.on("tileerror", (event) => { this.failing.add(event.tile); this.showNote(); });
      this.layer.on("tileload", () => this.loaded++);
      // A zoom drops the tiles of the old zoom still loading, a failing one
      // being retried among them, with "tileabort" and no "tileunload".
      this.layer.on("tileload tileunload tileabort", (event) => { this.failing.delete(event.tile); this.showNote(); });
      window.addEventListener("load", () => setInterval(() => {
        for (const tile of this.failing) tile.src = tile.src;  // eslint-disable-line no-self-assign
      }, TILE_RETRY_MS));
    }

    showNote() {
      this.note.style.display = this.failing.size ? "block" : "none";
    }

    get offline() {
      return this.note.style.display === "block";
    }
  }

  tramletMap.tiles = Object.freeze({ MapTiles });
})(window.tramletMap = window.tramletMap || {});
