// The selected day's recordings for Tramlet's map page: a point on the map
// where each one started, the list of them under the map, and which one is
// open. A click on either fires "open" with the recording's `stamp`
// YYYYMMDD-HHMMSS; the page marks it open once the program has taken it.
(function (tramletMap) {
  "use strict";

  const LABELS_UP_TO = 24;  // more permanent labels than this only clutter the map
  const POINT_STYLE = { radius: 6, color: "#ffffff", weight: 1, fillColor: "#0b8a00", fillOpacity: 1 };
  const OPEN_STYLE = { radius: 9, color: "#ffffff", weight: 2, fillColor: "#e8a200", fillOpacity: 1 };

  // "1\tYYYYMMDD" then "\tHHMMSS\tlat\tlon" per recording; 0 and 0 is no fix.
  function parseDay(text) {
    const fields = text.split("\t");
    const points = [];
    for (let i = 2; i + 2 < fields.length; i += 3) {
      const time = fields[i];
      const lat = Number(fields[i + 1]);
      const lon = Number(fields[i + 2]);
      points.push({ time, lat, lon, hasFix: !(lat === 0 && lon === 0) && isFinite(lat) && isFinite(lon) });
    }
    return { date: fields[1] || "", points };
  }

  function timeLabel(time) {
    return time.slice(0, 2) + ":" + time.slice(2, 4) + ":" + time.slice(4, 6);
  }

  class DayView extends L.Evented {
    // options: `list`, the element the recordings are listed in, and
    // `noFix`, the note after a recording without a position.
    constructor(map, { list, noFix }) {
      super();
      this.map = map;
      this.list = list;
      this.noFix = noFix;
      this.layer = L.layerGroup().addTo(map);
      this.hoverLabel = L.tooltip({ direction: "right", className: "point-label" });
      this.date = "";
      this.points = [];
      this.openPoint = null;
      list.addEventListener("click", (event) => {
        const index = event.target.dataset && event.target.dataset.index;
        if (index !== undefined) this.open(this.points[Number(index)]);
      });
    }

    // Shows the day of message 1, or none for "".
    show(text) {
      this.layer.clearLayers();
      this.openPoint = null;
      const parsed = text ? parseDay(text) : { date: "", points: [] };
      this.date = parsed.date;
      this.points = parsed.points;
      const located = this.points.filter((p) => p.hasFix);
      const labelled = located.length <= LABELS_UP_TO;
      for (const point of located) this.drawPoint(point, labelled);
      if (located.length > 0) {
        this.map.fitBounds(L.latLngBounds(located.map((p) => [p.lat, p.lon])), { padding: [24, 24], maxZoom: 16 });
      }
      this.showList();
      // The first hand-over of a day with recordings opened its first one; a
      // reloaded page learns what is open from the clip message that follows.
      if (this.points.length) this.markOpen(this.date + "-" + this.points[0].time);
    }

    // A label per point is cheap for a few; a busy day shares one on hover.
    drawPoint(point, labelled) {
      point.marker = L.circleMarker([point.lat, point.lon], POINT_STYLE)
        .on("click", () => this.open(point))
        .addTo(this.layer);
      if (labelled) {
        point.marker.bindTooltip(timeLabel(point.time), { permanent: true, direction: "right", className: "point-label" });
      } else {
        point.marker.on("mouseover", () => this.hoverLabel.setLatLng(point.marker.getLatLng())
          .setContent(timeLabel(point.time)).addTo(this.map));
        point.marker.on("mouseout", () => this.hoverLabel.remove());
      }
    }

    showList() {
      const items = document.createDocumentFragment();
      this.points.forEach((point, index) => {
        const item = document.createElement("li");
        item.textContent = timeLabel(point.time) + (point.hasFix ? "" : this.noFix);
        if (!point.hasFix) item.className = "nofix";
        item.dataset.index = index;
        point.item = item;
        items.appendChild(item);
      });
      this.list.replaceChildren(items);
    }

    open(point) {
      this.fire("open", { stamp: this.date + "-" + point.time });
    }

    // The recording that starts at `stamp` is the open one; any other stamp,
    // or one of another day, leaves none open.
    markOpen(stamp) {
      const time = stamp.startsWith(this.date + "-") ? stamp.slice(this.date.length + 1) : "";
      this.styleOpen(this.openPoint, false);
      this.openPoint = (time && this.points.find((p) => p.time === time)) || null;
      this.styleOpen(this.openPoint, true);
    }

    styleOpen(point, isOpen) {
      if (!point) return;
      if (point.marker) {
        point.marker.setStyle(isOpen ? OPEN_STYLE : POINT_STYLE);
        if (isOpen) point.marker.bringToFront();
      }
      if (point.item) {
        point.item.classList.toggle("open", isOpen);
        if (isOpen) point.item.scrollIntoView({ block: "nearest" });
      }
    }

    // The recordings' points stay clickable above the route.
    bringToFront() {
      this.layer.eachLayer((layer) => layer.bringToFront());
    }
  }

  tramletMap.day = Object.freeze({ DayView, parseDay, timeLabel });
})(window.tramletMap = window.tramletMap || {});
