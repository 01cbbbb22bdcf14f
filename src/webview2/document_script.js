// Installed into every document before its own scripts run. Pages call the host object as
// `window.external` synchronously: method calls return their values, and functions passed as
// arguments reach the host as callable objects.
//
// The host puts the origins of the window's policy in place of the argument: a page of another
// origin then sees no `external` at all (the host also refuses whatever such a page calls).
(function (origins) {
  'use strict';
  var webview = window.chrome && window.chrome.webview;
  if (!webview || !webview.hostObjects) return;
  var hostObjects = webview.hostObjects;
  var here = window.location;
  var offered = !origins || origins.some(function (entry) {
    if (entry === 'archive') {
      return here.protocol === 'file:' && /\/zip_[0-9a-f]{32}\//i.test(here.pathname);
    }
    if (entry.origin) return here.origin === entry.origin;
    var name = here.hostname;
    return here.protocol === entry.scheme + ':' && here.port === entry.port &&
        name.length > entry.suffix.length && name.slice(-entry.suffix.length) === entry.suffix;
  });
  try {
    Object.defineProperty(window, 'external', {
      configurable: true,
      enumerable: true,
      get: function () {
        return offered ? hostObjects.sync.external : undefined;
      }
    });
  } catch (e) {
    // A page that froze window.external keeps its own.
  }
})(/*origins*/null);
