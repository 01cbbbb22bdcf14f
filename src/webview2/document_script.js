// Installed into every document before its own scripts run. Pages call the host object as
// `window.external` synchronously: method calls return their values, and functions passed as
// arguments reach the host as callable objects.
(function () {
  'use strict';
  var webview = window.chrome && window.chrome.webview;
  if (!webview || !webview.hostObjects) return;
  var hostObjects = webview.hostObjects;
  try {
    Object.defineProperty(window, 'external', {
      configurable: true,
      enumerable: true,
      get: function () {
        return hostObjects.sync.external;
      }
    });
  } catch (e) {
    // A page that froze window.external keeps its own.
  }
})();
