// Tramlet's map page: it polls the program through window.external for the
// page messages and shows them with the day's recordings, its route and the
// position of the moment playing. Loaded last, after the parts it joins.
(function (tramletMap) {
  "use strict";

  // Four polls a second keep a newly chosen day within a third of a second of
  // the page, and the position as fresh as the program makes it (once a second).
  const POLL_MS = 250;
  const POSITION_STYLE = { radius: 8, color: "#ffffff", weight: 3, fillColor: "#e02020", fillOpacity: 1 };
  const { MapTiles } = tramletMap.tiles;
  const { DayView } = tramletMap.day;
  const { RouteView } = tramletMap.route;

  function reportError(error) {
    console.error("Tramlet bridge:", error);
  }

  // The page speaks the program's language: Korean as map.html is written, or
  // English when the program asks for it with ?lang=en.
  function speakEnglish() {
    document.documentElement.lang = "en";
    document.title = "Tramlet map";
    const offline = document.getElementById("offline");
    offline.textContent = "Offline map";
    offline.title = "The map's tiles cannot be loaded";
    document.getElementById("strip").title = "Speed (km/h): click to go to that moment";
    document.querySelector("#recordings .title").textContent = "Recordings";
  }

  // No frame comes while the page is hidden; polling goes on without one.
  function afterDrawing(then) {
    let done = false;
    const once = () => {
      if (!done) then();
      done = true;
    };
    requestAnimationFrame(once);
    setTimeout(once, 1000);
  }

  // The bridge is read at each call: a test may put a wrapper in its place.
  class MapPage {
    // options: `english`, whether the page speaks English instead of Korean.
    constructor({ english }) {
      if (english) speakEnglish();
      // Canvas draws a day of a thousand points several times faster than SVG.
      this.map = L.map("map", { zoomControl: true, attributionControl: true, preferCanvas: true })
        .setView([37.5665, 126.978], 12);
      this.map.attributionControl.setPrefix('<a href="https://leafletjs.com">Leaflet</a>');
      L.control.scale({ metric: true, imperial: false }).addTo(this.map);
      this.tiles = new MapTiles(this.map, { note: document.getElementById("offline") });
      this.day = new DayView(this.map, {
        list: document.getElementById("recording-list"),
        noFix: english ? " (no GPS)" : " (GPS 없음)",
      });
      this.route = new RouteView(this.map, {
        strip: document.getElementById("strip"),
        secondNear: (lat, lon, metres) => window.external.TrackSecond(lat, lon, metres),
        speeds: (times) => window.external.TrackSpeeds(times),
      });
      this.day.on("open", ({ stamp }) => this.openRecording(stamp));
      this.route.on("pick", ({ stamp }) => window.external.ViewFromTrack(stamp).catch(reportError));
      this.dayReceived = false;
      this.trackWanted = false;
      this.positionMarker = null;
      this.lastPosition = "";
      this.drawMs = undefined;
      this.trackMs = undefined;
    }

    // The program sends no clip message for a recording the page itself asked
    // for, so the page marks it when the program has taken the request.
    openRecording(stamp) {
      window.external.ViewFromExpPos(stamp)
        .then(() => this.day.markOpen(stamp))
        .catch(reportError);
    }

    handle(message) {
      if (typeof message !== "string" || message === "0") return;
      if (message === "" || message[0] === "1") this.showDay(message);
      else if (message[0] === "2") this.showPosition(message);
      else if (message[0] === "3") this.day.markOpen(message.split("\t")[1] || "");
      else if (message[0] === "4") this.showTrack(message);
    }

    showDay(text) {
      const started = performance.now();
      this.route.show("");
      this.day.show(text);
      this.dayReceived = this.day.date !== "";
      // The route of this day comes with the next poll.
      this.trackWanted = this.dayReceived;
      this.drawMs = performance.now() - started;
    }

    showTrack(text) {
      this.trackWanted = false;
      if (text.split("\t")[1] !== this.day.date) return;
      const started = performance.now();
      this.route.show(text);
      const points = this.route.track.points;
      if (points.length > 1) {
        this.map.fitBounds(L.latLngBounds(points.map((p) => [p.lat, p.lon])), { padding: [16, 16], maxZoom: 16 });
      }
      this.day.bringToFront();
      if (this.positionMarker) this.positionMarker.bringToFront();
      this.trackMs = performance.now() - started;
    }

    showPosition(text) {
      if (text === this.lastPosition) return;  // while playing, the same second comes four times
      this.lastPosition = text;
      const [, lat, lon, speed] = text.split("\t").map(Number);
      if (!isFinite(lat) || !isFinite(lon) || (lat === 0 && lon === 0)) {
        if (this.positionMarker) this.positionMarker.remove();
        this.positionMarker = null;
        return;
      }
      this.route.follow(lat, lon);
      const label = Math.round(speed || 0) + " km/h";
      if (!this.positionMarker) {
        this.positionMarker = L.circleMarker([lat, lon], POSITION_STYLE)
          .bindTooltip(label, { permanent: true, direction: "top", offset: [0, -8], className: "speed" })
          .addTo(this.map);
      } else {
        this.positionMarker.setLatLng([lat, lon]);
        this.positionMarker.setTooltipContent(label);
      }
      this.positionMarker.bringToFront();
      if (!this.map.getBounds().pad(-0.1).contains([lat, lon])) this.map.panTo([lat, lon], { animate: false });
    }

    // The day may be there before the page asks, without waiting for it: ask
    // for it until one came, even one without recordings; later days wait for
    // the page anyway. After a day, ask once for its route. A day, clip or
    // route message may be followed by another (a chosen day, then the clip
    // it opened), so the next poll follows at once; after anything else it
    // waits a period. Either way, not before the page has drawn what it got.
    // Nothing that goes wrong in one poll, in the bridge or in drawing what it
    // brought, may end the polling: the map would stay as it is for good.
    poll() {
      const wanted = !this.dayReceived ? 1 : this.trackWanted ? 4 : 0;
      new Promise((resolve) => resolve(window.external.DayInformation(wanted)))
        .then((message) => {
          this.handle(message);
          return "134".includes(message[0] || "0") ? 0 : POLL_MS;
        })
        .catch((error) => {
          reportError(error);
          return POLL_MS;
        })
        .then((delay) => afterDrawing(() => setTimeout(() => this.poll(), delay)));
    }

    // Read by the program's tests; nothing in the page depends on them. They
    // return nothing of Leaflet's: the browser would copy out a returned
    // Leaflet object, with the whole map hanging off it.
    testHooks() {
      const { map, tiles, day, route } = this;
      const marked = () => day.points.filter((p) => p.marker);
      const fireOnRoute = (type, lat, lon) => { route.layer.getLayers()[0].fire(type, { latlng: L.latLng(lat, lon) }); };
      return {
        shownDay: () => day.date,
        drawnPoints: () => marked().length,
        drawMs: () => this.drawMs,
        openRecording: () => (day.openPoint ? day.openPoint.time : ""),
        marker: () => {
          const at = this.positionMarker && this.positionMarker.getLatLng();
          return at ? [at.lat, at.lng] : null;
        },
        clickPoint: (index) => { marked()[index].marker.fire("click"); },
        offline: () => tiles.offline,
        tilesLoaded: () => tiles.loaded,
        trackMs: () => this.trackMs,
        routePieces: () => route.pieces,
        routePoints: () => route.track.points.length,
        routeSeconds: () => route.track.points.map((p) => p.second),
        // Clicks the route where its point `index` lies, as a user would.
        clickRoute: (index) => {
          const point = route.track.points[index];
          route.layer.eachLayer((line) => {
            if (line.getLatLngs().some((at) => at.lat === point.lat && at.lng === point.lon)) {
              line.fire("click", { latlng: L.latLng(point.lat, point.lon) });
            }
          });
        },
        // Points at or clicks the route at a place, as a user would.
        hoverRouteAt: (lat, lon) => fireOnRoute("mousemove", lat, lon),
        clickRouteAt: (lat, lon) => fireOnRoute("click", lat, lon),
        routeHover: () => (map.hasLayer(route.hover) ? route.hover.getContent() : ""),
        routeColours: () => route.layer.getLayers().map((line) => line.options.color),
        stripCursor: () => route.cursor,
        clickStrip: (fraction) => {
          const box = route.strip.getBoundingClientRect();
          route.strip.dispatchEvent(new MouseEvent("click", { clientX: box.left + fraction * box.width, clientY: box.top + 5 }));
        },
        showArea: (lat, lon, zoom) => { map.setView([lat, lon], zoom, { animate: false }); },
      };
    }
  }

  tramletMap.page = Object.freeze({ MapPage });
  const page = new MapPage({ english: new URLSearchParams(location.search).get("lang") === "en" });
  Object.assign(tramletMap, page.testHooks());
  page.poll();
})(window.tramletMap = window.tramletMap || {});
