// The day's route for Tramlet's map page: the track of page message 4 drawn
// on the map coloured by speed, a speed strip over the day under the map,
// and a jump to any moment of either by a click (window.external.ViewFromTrack).
"use strict";

const SPEED_BANDS = [
  { below: 20, colour: "#7fa7d9", label: "< 20" },
  { below: 50, colour: "#37b24d", label: "20–50" },
  { below: 80, colour: "#f2c200", label: "50–80" },
  { below: 110, colour: "#f08c00", label: "80–110" },
  { below: Infinity, colour: "#e03131", label: "110 +" },
];
const HOVER_PIXELS = 12;

function bandOf(speed) {
  return SPEED_BANDS.findIndex((band) => speed < band.below);
}

function clockOf(second) {
  const pad = (n) => String(n).padStart(2, "0");
  return pad(Math.floor(second / 3600)) + ":" + pad(Math.floor(second / 60) % 60) + ":" + pad(second % 60);
}

function stampOf(date, second) {
  return date + "-" + clockOf(second).replaceAll(":", "");
}

// "4\tYYYYMMDD" then "\tHHMMSS\tlat\tlon\tkm/h" per point; a point of zeros
// marks a gap without a fix, where the line breaks.
function parseTrack(text) {
  const fields = text.split("\t");
  const runs = [];
  let run = [];
  for (let i = 2; i + 3 < fields.length; i += 4) {
    const time = fields[i];
    const point = {
      second: Number(time.slice(0, 2)) * 3600 + Number(time.slice(2, 4)) * 60 + Number(time.slice(4, 6)),
      lat: Number(fields[i + 1]), lon: Number(fields[i + 2]), speed: Number(fields[i + 3]),
    };
    if (point.lat === 0 && point.lon === 0) {
      if (run.length) runs.push(run);
      run = [];
    } else if (isFinite(point.lat) && isFinite(point.lon)) {
      run.push(point);
    }
  }
  if (run.length) runs.push(run);
  return { date: fields[1] || "", runs, points: runs.flat() };
}

class RouteView {
  constructor(map, strip, onPick) {
    this.map = map;
    this.strip = strip;
    this.onPick = onPick;
    this.layer = L.layerGroup().addTo(map);
    this.track = { date: "", runs: [], points: [] };
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
    this.cursor = null;
    this.layer.clearLayers();
    this.pieces = 0;
    for (const run of this.track.runs) this.drawRun(run);
    this.legend.getContainer().style.display = this.pieces ? "block" : "none";
    this.drawStrip();
  }

  // One polyline per stretch of one speed band; neighbours share a point.
  drawRun(run) {
    let start = 0;
    for (let i = 1; i <= run.length; i++) {
      if (i < run.length && bandOf(run[i].speed) === bandOf(run[start].speed)) continue;
      const stretch = run.slice(start, Math.min(i + 1, run.length));
      if (stretch.length > 1) {
        L.polyline(stretch.map((p) => [p.lat, p.lon]),
          { color: SPEED_BANDS[bandOf(run[start].speed)].colour, weight: 4, opacity: 0.9 })
          .on("mousemove", (event) => this.hoverAt(event.latlng))
          .on("mouseout", () => this.hover.remove())
          .on("click", (event) => this.pick(this.nearest(event.latlng)))
          .addTo(this.layer);
        this.pieces += stretch.length - 1;
      }
      start = i;
    }
  }

  nearest(latlng) {
    const at = this.map.latLngToContainerPoint(latlng);
    let best = null;
    let bestDistance = HOVER_PIXELS;
    for (const point of this.track.points) {
      const d = at.distanceTo(this.map.latLngToContainerPoint([point.lat, point.lon]));
      if (d <= bestDistance) {
        best = point;
        bestDistance = d;
      }
    }
    return best;
  }

  hoverAt(latlng) {
    const point = this.nearest(latlng);
    if (!point) return this.hover.remove();
    this.hover.setLatLng([point.lat, point.lon])
      .setContent(clockOf(point.second) + "  " + Math.round(point.speed) + " km/h").addTo(this.map);
  }

  pick(point) {
    if (point) this.onPick(stampOf(this.track.date, point.second));
  }

  // The strip spans the track's first to last second.
  span() {
    const points = this.track.points;
    return points.length ? [points[0].second, Math.max(points[points.length - 1].second, points[0].second + 1)] : null;
  }

  pickOnStrip(event) {
    const span = this.span();
    if (!span) return;
    const box = this.strip.getBoundingClientRect();
    const second = span[0] + (event.clientX - box.left) / box.width * (span[1] - span[0]);
    let best = null;
    for (const point of this.track.points) {
      if (!best || Math.abs(point.second - second) < Math.abs(best.second - second)) best = point;
    }
    this.pick(best);
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
    const top = Math.max(60, ...this.track.points.map((p) => p.speed));
    const x = (second) => (second - span[0]) / (span[1] - span[0]) * width;
    const y = (speed) => height - 12 - speed / top * (height - 16);
    g.font = "9px sans-serif";
    g.fillStyle = "#7d8088";
    for (let hour = Math.ceil(span[0] / 3600); hour * 3600 <= span[1]; hour++) {
      g.fillRect(x(hour * 3600), height - 12, 1, 3);
      g.fillText(String(hour), x(hour * 3600) + 2, height - 2);
    }
    for (const run of this.track.runs) {
      // A dot per point, so that a short drive still shows at a day's scale.
      for (const point of run) {
        g.fillStyle = SPEED_BANDS[bandOf(point.speed)].colour;
        g.fillRect(x(point.second) - 1, y(point.speed) - 1, 2, 2);
      }
      for (let i = 1; i < run.length; i++) {
        g.strokeStyle = SPEED_BANDS[bandOf(run[i].speed)].colour;
        g.beginPath();
        g.moveTo(x(run[i - 1].second), y(run[i - 1].speed));
        g.lineTo(x(run[i].second), y(run[i].speed));
        g.stroke();
      }
    }
    if (this.cursor !== null) {
      g.fillStyle = "#ffffff";
      g.fillRect(Math.round(x(this.cursor)), 0, 1, height - 12);
    }
  }
}
