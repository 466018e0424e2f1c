// Defines window.external for the map page before any of its scripts run.
// The web channel answers asynchronously, so the methods return Promises;
// calls made before the channel is up wait for it. Arguments are checked
// here so that the page gets a clear error instead of a silent 0.
(function () {
  "use strict";
  const ready = new Promise((resolve) => {
    // The transport may appear a little after the document is created.
    const connect = () => {
      if (typeof qt === "undefined" || !qt.webChannelTransport) return setTimeout(connect, 5);
      new QWebChannel(qt.webChannelTransport, (channel) => resolve(channel.objects.external));
    };
    connect();
  });

  function call(method, ...args) {
    return ready.then((external) => new Promise((resolve, reject) => {
      external[method](...args, (result) => {
        if (result === null) reject(new TypeError(method + ": the program refused the argument"));
        else resolve(result);
      });
    }));
  }

  const bridge = Object.freeze({
    DayInformation(n) {
      if (arguments.length < 1 || !Number.isInteger(n) || n < -2147483648 || n > 2147483647) {
        return Promise.reject(new TypeError("DayInformation expects one 32-bit integer"));
      }
      return call("DayInformation", n);
    },
    ViewFromExpPos(stamp) {
      if (arguments.length < 1 || typeof stamp !== "string") {
        return Promise.reject(new TypeError("ViewFromExpPos expects one string, a start stamp YYYYMMDD-HHMMSS"));
      }
      return call("ViewFromExpPos", stamp);
    },
    ViewFromTrack(stamp) {
      if (arguments.length < 1 || typeof stamp !== "string") {
        return Promise.reject(new TypeError("ViewFromTrack expects one string, a moment YYYYMMDD-HHMMSS"));
      }
      return call("ViewFromTrack", stamp);
    },
    TrackSecond(lat, lon, metres) {
      if (arguments.length < 3 || ![lat, lon, metres].every(Number.isFinite) || metres < 0) {
        return Promise.reject(new TypeError("TrackSecond expects three finite numbers: latitude, longitude, metres >= 0"));
      }
      return call("TrackSecond", lat, lon, metres);
    },
    TrackSpeeds(times) {
      if (arguments.length < 1 || typeof times !== "string") {
        return Promise.reject(new TypeError("TrackSpeeds expects one string of times HHMMSS separated by tabs"));
      }
      return call("TrackSpeeds", times);
    },
  });
  window.external = bridge;
})();
