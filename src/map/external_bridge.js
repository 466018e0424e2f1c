// Defines window.external for the map page before any of its scripts run.
// The web channel answers asynchronously, so the methods return Promises;
// calls made before the channel is up wait for it. Arguments are checked
// here so that the page gets a clear error instead of a silent 0.
// Every call passes the number the program gave this document when it
// opened, so that the program can refuse the calls of a document that a
// reload has replaced.
(function () {
  "use strict";
  const ready = new Promise((resolve) => {
    // The transport may appear a little after the document is created.
    const connect = () => {
      if (typeof qt === "undefined" || !qt.webChannelTransport) return setTimeout(connect, 5);
      const channel = new QWebChannel(qt.webChannelTransport, () => {
        const external = channel.objects.external;
        external.OpenPage((page) => resolve({ external, page }));
      });
      dropAnswersForOtherDocuments(channel);
    };
    connect();
  });

  // The program answers on the page's one transport, so an answer to a call
  // of the document this one replaced may arrive here. Numbered from a random
  // start, this document's calls are not mistaken for that call, and answers
  // to no call of its own are dropped.
  function dropAnswersForOtherDocuments(channel) {
    channel.execId = 1 + Math.floor(Math.random() * 2 ** 31);
    const handleResponse = channel.handleResponse;
    channel.handleResponse = (message) => {
      if (typeof channel.execCallbacks[message.id] === "function") handleResponse(message);
    };
  }

  function call(method, ...args) {
    return ready.then(({ external, page }) => new Promise((resolve, reject) => {
      external[method](page, ...args, (result) => {
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
