// The day's route for Tramlet's map page: the track of page message 4 drawn
// on the map coloured by speed, a speed strip over the day under the map,
// and a "pick" event with the moment clicked on either.
// The track holds only the points kept where the road bends; what lies
// between comes from the program: the mean speed of every piece
// (TrackSpeeds) and the second nearest the pointer (TrackSecond).
(function (tramletMap) {
  "use strict";

  const SPEED_BANDS = Object.freeze([
    { below: 20, colour: "#7fa7d9", label: "< 20" },
    { below: 50, colour: "#37b24d", label: "20–50" },
    { below: 80, colour: "#f2c200", label: "50–80" },
    { below: 110, colour: "#f08c00", label: "80–110" },
    { below: Infinity, colour: "#e03131", label: "110 +" },
  ]);
  const HOVER_PIXELS = 12;

  function bandOf(speed) {
    const band = SPEED_BANDS.findIndex((b) => speed < b.below);
    return band >= 0 ? band : Number.isNaN(speed) ? 0 : SPEED_BANDS.length - 1;
  }

  function clockOf(second) {
    const pad = (n) => String(n).padStart(2, "0");
    return pad(Math.floor(second / 3600)) + ":" + pad(Math.floor(second / 60) % 60) + ":" + pad(second % 60);
  }

  function stampOf(date, second) {
    return date + "-" + clockOf(second).replaceAll(":", "");
  }

  function secondOf(time) {
    return Number(time.slice(0, 2)) * 3600 + Number(time.slice(2, 4)) * 60 + Number(time.slice(4, 6));
  }

  // "HHMMSS\tlat\tlon\tkm/h" of one second, as TrackSecond answers; "" is none.
  function parseFix(text) {
    const [time, lat, lon, speed] = String(text).split("\t");
    return time && time.length === 6 ? { second: secondOf(time), lat: Number(lat), lon: Number(lon), speed: Number(speed) } : null;
  }

  // "4\tYYYYMMDD" then "\tHHMMSS\tlat\tlon\tkm/h" per point; a point of zeros
  // marks a gap without a fix, where the line breaks.
  function parseTrack(text) {
    const fields = text.split("\t");
    const runs = [];
    let run = [];
    let index = 0;
    for (let i = 2; i + 3 < fields.length; i += 4) {
      const time = fields[i];
      const point = {
        time, second: secondOf(time), index,
        lat: Number(fields[i + 1]), lon: Number(fields[i + 2]), speed: Number(fields[i + 3]),
      };
      if (point.lat === 0 && point.lon === 0) {
        if (run.length) runs.push(run);
        run = [];
      } else if (isFinite(point.lat) && isFinite(point.lon)) {
        run.push(point);
        index++;
      }
    }
    if (run.length) runs.push(run);
    return { date: fields[1] || "", runs, points: runs.flat() };
  }

  // Fires "pick" with the `stamp` YYYYMMDD-HHMMSS of the moment clicked.
  class RouteView extends L.Evented {
    // options: `strip`, the canvas under the map; `secondNear(lat, lon,
    // metres)` and `speeds(times)` ask the program, each a Promise.
    constructor(map, { strip, secondNear, speeds }) {
      super();
      this.map = map;
      this.strip = strip;
      this.program = { secondNear, speeds };
      this.layer = L.layerGroup().addTo(map);
      this.track = { date: "", runs: [], points: [] };
      this.means = null;  // of each piece, by the index of the point it ends at, less one
      this.hoverWanted = null;
      this.hoverAsking = false;
      this.pieces = 0;
      this.cursor = null;  // the second of the day the strip marks
      this.hover = L.tooltip({ direction: "top", className: "point-label" });
      this.legend = this.makeLegend().addTo(map);
      strip.addEventListener("click", (event) => this.pickOnStrip(event));
      new ResizeObserver(() => this.drawStrip()).observe(strip);
    }

    makeLegend() {
      const legend = L.control({ position: "bottomright" });
      legend.onAdd = () => {
        const box = L.DomUtil.create("div", "speed-legend");
        box.innerHTML = SPEED_BANDS.map((band) =>
          `<span><i style="background:${band.colour}"></i>${band.label}</span>`).join("") + " km/h";
        box.style.display = "none";
        return box;
      };
      return legend;
    }

    show(text) {
      this.track = parseTrack(text);
      this.means = null;
      this.cursor = null;
      this.draw();
      this.askSpeeds(this.track);
    }

    draw() {
      this.layer.clearLayers();
      this.pieces = 0;
      for (const run of this.track.runs) this.drawRun(run);
      this.legend.getContainer().style.display = this.pieces ? "block" : "none";
      this.drawStrip();
    }

    // The pieces are drawn at once by their ends, and again when the program
    // has told what they stand for.
    askSpeeds(track) {
      if (track.points.length < 2) return;
      this.program.speeds(track.points.map((p) => p.time).join("\t")).then((text) => {
        if (this.track !== track) return;
        this.means = text.split("\t").map((field) => (field === "" ? NaN : Number(field)));
        this.draw();
      }, (error) => console.error("Tramlet route speeds:", error));
    }

    // The speed of the piece from one point to the next: the mean of all the
    // day's fixes along it, not of the two that were kept.
    pieceSpeed(from, to) {
      const mean = this.means ? this.means[to.index - 1] : NaN;
      return Number.isFinite(mean) ? mean : (from.speed + to.speed) / 2;
    }

    // One polyline per stretch of pieces of one speed band; neighbours share a point.
    drawRun(run) {
      let start = 0;
      for (let i = 1; i < run.length; i++) {
        const band = bandOf(this.pieceSpeed(run[i - 1], run[i]));
        if (i + 1 < run.length && bandOf(this.pieceSpeed(run[i], run[i + 1])) === band) continue;
        L.polyline(run.slice(start, i + 1).map((p) => [p.lat, p.lon]),
          { color: SPEED_BANDS[band].colour, weight: 4, opacity: 0.9 })
          .on("mousemove", (event) => this.hoverAt(event.latlng))
          .on("mouseout", () => this.hoverOut())
          .on("click", (event) => this.pickAt(event.latlng))
          .addTo(this.layer)
          .bringToBack();  // drawn again later, still under the recordings' points
        this.pieces += i - start;
        start = i;
      }
    }

    // Metres that HOVER_PIXELS span on the map where the pointer is.
    reach(latlng) {
      const at = this.map.latLngToContainerPoint(latlng);
      return this.map.distance(latlng, this.map.containerPointToLatLng(at.add([HOVER_PIXELS, 0])));
    }

    // The fix of the day nearest the place, of all its seconds; null for none.
    fixNear(latlng) {
      return this.program.secondNear(latlng.lat, latlng.lng, this.reach(latlng)).then(parseFix);
    }

    // One question at a time; the place the pointer was last at wins.
    hoverAt(latlng) {
      this.hoverWanted = latlng;
      if (this.hoverAsking) return;
      this.hoverAsking = true;
      this.fixNear(latlng).catch(() => null).then((fix) => {
        this.hoverAsking = false;
        if (this.hoverWanted !== latlng) {
          if (this.hoverWanted) this.hoverAt(this.hoverWanted);
          else this.hover.remove();
        } else if (!fix) {
          this.hover.remove();
        } else {
          this.hover.setLatLng([fix.lat, fix.lon])
            .setContent(clockOf(fix.second) + "  " + Math.round(fix.speed) + " km/h").addTo(this.map);
        }
      });
    }

    hoverOut() {
      this.hoverWanted = null;
      if (!this.hoverAsking) this.hover.remove();
    }

    pickAt(latlng) {
      const track = this.track;
      this.fixNear(latlng).then((fix) => {
        if (fix && this.track === track) this.pick(fix.second);
      }, (error) => console.error("Tramlet route:", error));
    }

    pick(second) {
      this.fire("pick", { stamp: stampOf(this.track.date, second) });
    }

    // The strip spans the track's first to last second.
    span() {
      const points = this.track.points;
      return points.length ? [points[0].second, Math.max(points[points.length - 1].second, points[0].second + 1)] : null;
    }

    // The second under the pointer, whether or not a point was kept there.
    pickOnStrip(event) {
      const span = this.span();
      if (!span) return;
      const box = this.strip.getBoundingClientRect();
      const fraction = Math.min(1, Math.max(0, (event.clientX - box.left) / box.width));
      this.pick(Math.round(span[0] + fraction * (span[1] - span[0])));
    }

    // The position message has no time: the cursor goes to the nearest point
    // of the route, the nearest in time to where it was when places repeat.
    follow(lat, lon) {
      let best = null;
      let bestScore = Infinity;
      for (const point of this.track.points) {
        const metres = this.map.distance([lat, lon], [point.lat, point.lon]);
        const drift = this.cursor === null ? 0 : Math.abs(point.second - this.cursor) / 60;
        if (metres + drift < bestScore) {
          best = point;
          bestScore = metres + drift;
        }
      }
      if (best && best.second !== this.cursor) {
        this.cursor = best.second;
        this.drawStrip();
      }
    }

    drawStrip() {
      const canvas = this.strip;
      const width = canvas.clientWidth, height = canvas.clientHeight;
      canvas.width = width * devicePixelRatio;
      canvas.height = height * devicePixelRatio;
      const g = canvas.getContext("2d");
      g.scale(devicePixelRatio, devicePixelRatio);
      g.clearRect(0, 0, width, height);
      const span = this.span();
      if (!span) return;
      const pieces = this.track.runs.flatMap((run) => run.slice(1).map((to, i) => ({ from: run[i], to, speed: this.pieceSpeed(run[i], to) })));
      const top = Math.max(60, ...pieces.map((piece) => piece.speed).filter(Number.isFinite));
      const x = (second) => (second - span[0]) / (span[1] - span[0]) * width;
      const y = (speed) => height - 12 - speed / top * (height - 16);
      g.font = "9px sans-serif";
      g.fillStyle = "#7d8088";
      for (let hour = Math.ceil(span[0] / 3600); hour * 3600 <= span[1]; hour++) {
        g.fillRect(x(hour * 3600), height - 12, 1, 3);
        g.fillText(String(hour), x(hour * 3600) + 2, height - 2);
      }
      // A step at each piece's speed, two pixels wide at least, so that a
      // short drive still shows at a day's scale.
      for (const piece of pieces) {
        const speed = Math.min(piece.speed, top);
        g.fillStyle = SPEED_BANDS[bandOf(piece.speed)].colour;
        g.fillRect(x(piece.from.second), y(speed) - 1, Math.max(2, x(piece.to.second) - x(piece.from.second)), 2);
      }
      if (this.cursor !== null) {
        g.fillStyle = "#ffffff";
        g.fillRect(Math.round(x(this.cursor)), 0, 1, height - 12);
      }
    }
  }

  tramletMap.route = Object.freeze({ RouteView, SPEED_BANDS, bandOf, clockOf, stampOf, secondOf, parseFix, parseTrack });
})(window.tramletMap = window.tramletMap || {});
