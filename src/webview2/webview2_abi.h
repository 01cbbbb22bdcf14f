#pragma once
// Our declarations of the WebView2 COM interfaces the host calls or implements, and of the
// loader exports. Interface ids, base interfaces and the order of every vtable slot are those
// of the published ABI; every method is __stdcall and returns an HRESULT. The same declarations
// serve the 32-bit program that ships and the 64-bit build of the same code.

#include <windows.h>
#include <objidl.h>
#include <oaidl.h>

#include <cstddef>
#include <type_traits>

struct EventRegistrationToken {
  INT64 value;
};

// The kind of a browser process failure: which process, and whether it exited or hung.
enum COREWEBVIEW2_PROCESS_FAILED_KIND {
  COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED = 0,
  COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED = 1,
  COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_UNRESPONSIVE = 2,
  COREWEBVIEW2_PROCESS_FAILED_KIND_FRAME_RENDER_PROCESS_EXITED = 3,
  COREWEBVIEW2_PROCESS_FAILED_KIND_UTILITY_PROCESS_EXITED = 4,
  COREWEBVIEW2_PROCESS_FAILED_KIND_SANDBOX_HELPER_PROCESS_EXITED = 5,
  COREWEBVIEW2_PROCESS_FAILED_KIND_GPU_PROCESS_EXITED = 6,
  COREWEBVIEW2_PROCESS_FAILED_KIND_PPAPI_PLUGIN_PROCESS_EXITED = 7,
  COREWEBVIEW2_PROCESS_FAILED_KIND_PPAPI_BROKER_PROCESS_EXITED = 8,
  COREWEBVIEW2_PROCESS_FAILED_KIND_UNKNOWN_PROCESS_EXITED = 9,
};

enum COREWEBVIEW2_WEB_ERROR_STATUS {
  COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN = 0,
  COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_COMMON_NAME_IS_INCORRECT = 1,
  COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_EXPIRED = 2,
  COREWEBVIEW2_WEB_ERROR_STATUS_CLIENT_CERTIFICATE_CONTAINS_ERRORS = 3,
  COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_REVOKED = 4,
  COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_IS_INVALID = 5,
  COREWEBVIEW2_WEB_ERROR_STATUS_SERVER_UNREACHABLE = 6,
  COREWEBVIEW2_WEB_ERROR_STATUS_TIMEOUT = 7,
  COREWEBVIEW2_WEB_ERROR_STATUS_ERROR_HTTP_INVALID_SERVER_RESPONSE = 8,
  COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_ABORTED = 9,
  COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_RESET = 10,
  COREWEBVIEW2_WEB_ERROR_STATUS_DISCONNECTED = 11,
  COREWEBVIEW2_WEB_ERROR_STATUS_CANNOT_CONNECT = 12,
  COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED = 13,
  COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED = 14,
  COREWEBVIEW2_WEB_ERROR_STATUS_REDIRECT_FAILED = 15,
  COREWEBVIEW2_WEB_ERROR_STATUS_UNEXPECTED_ERROR = 16,
  COREWEBVIEW2_WEB_ERROR_STATUS_VALID_AUTHENTICATION_CREDENTIALS_REQUIRED = 17,
  COREWEBVIEW2_WEB_ERROR_STATUS_VALID_PROXY_AUTHENTICATION_REQUIRED = 18,
};

enum COREWEBVIEW2_WEB_RESOURCE_CONTEXT {
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL = 0,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT = 1,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_STYLESHEET = 2,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_IMAGE = 3,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MEDIA = 4,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FONT = 5,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_SCRIPT = 6,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_XML_HTTP_REQUEST = 7,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FETCH = 8,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_TEXT_TRACK = 9,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_EVENT_SOURCE = 10,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_WEBSOCKET = 11,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MANIFEST = 12,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_SIGNED_EXCHANGE = 13,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_PING = 14,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_CSP_VIOLATION_REPORT = 15,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_OTHER = 16,
};

enum COREWEBVIEW2_COOKIE_SAME_SITE_KIND {
  COREWEBVIEW2_COOKIE_SAME_SITE_KIND_NONE = 0,
  COREWEBVIEW2_COOKIE_SAME_SITE_KIND_LAX = 1,
  COREWEBVIEW2_COOKIE_SAME_SITE_KIND_STRICT = 2,
};

enum COREWEBVIEW2_MOVE_FOCUS_REASON {
  COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC = 0,
  COREWEBVIEW2_MOVE_FOCUS_REASON_NEXT = 1,
  COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS = 2,
};

enum COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT {
  COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG = 0,
  COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG = 1,
};

enum COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND {
  COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_DENY = 0,
  COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_ALLOW = 1,
  COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_DENY_CORS = 2,
};

enum COREWEBVIEW2_CHANNEL_SEARCH_KIND {
  COREWEBVIEW2_CHANNEL_SEARCH_KIND_MOST_STABLE = 0,
  COREWEBVIEW2_CHANNEL_SEARCH_KIND_LEAST_STABLE = 1,
};

enum COREWEBVIEW2_RELEASE_CHANNELS {
  COREWEBVIEW2_RELEASE_CHANNELS_NONE = 0x0,
  COREWEBVIEW2_RELEASE_CHANNELS_STABLE = 0x1,
  COREWEBVIEW2_RELEASE_CHANNELS_BETA = 0x2,
  COREWEBVIEW2_RELEASE_CHANNELS_DEV = 0x4,
  COREWEBVIEW2_RELEASE_CHANNELS_CANARY = 0x8,
};

enum COREWEBVIEW2_SCROLLBAR_STYLE {
  COREWEBVIEW2_SCROLLBAR_STYLE_DEFAULT = 0,
  COREWEBVIEW2_SCROLLBAR_STYLE_FLUENT_OVERLAY = 1,
};

struct ICoreWebView2AcceleratorKeyPressedEventHandler;
struct ICoreWebView2CallDevToolsProtocolMethodCompletedHandler;
struct ICoreWebView2CapturePreviewCompletedHandler;
struct ICoreWebView2ClientCertificateRequestedEventHandler;
struct ICoreWebView2ContainsFullScreenElementChangedEventHandler;
struct ICoreWebView2CustomSchemeRegistration;
struct ICoreWebView2DOMContentLoadedEventHandler;
struct ICoreWebView2DevToolsProtocolEventReceiver;
struct ICoreWebView2DownloadStartingEventHandler;
struct ICoreWebView2FocusChangedEventHandler;
struct ICoreWebView2FrameCreatedEventHandler;
struct ICoreWebView2HistoryChangedEventHandler;
struct ICoreWebView2IsDocumentPlayingAudioChangedEventHandler;
struct ICoreWebView2IsMutedChangedEventHandler;
struct ICoreWebView2MoveFocusRequestedEventHandler;
struct ICoreWebView2NewBrowserVersionAvailableEventHandler;
struct ICoreWebView2PermissionRequestedEventHandler;
struct ICoreWebView2PrintSettings;
struct ICoreWebView2PrintToPdfCompletedHandler;
struct ICoreWebView2ProcessFailedEventHandler;
struct ICoreWebView2ProcessFailedEventArgs;
struct ICoreWebView2ScriptDialogOpeningEventHandler;
struct ICoreWebView2TrySuspendCompletedHandler;
struct ICoreWebView2WebMessageReceivedEventHandler;
struct ICoreWebView2WebResourceResponseReceivedEventHandler;
struct ICoreWebView2WindowCloseRequestedEventHandler;
struct ICoreWebView2WindowFeatures;
struct ICoreWebView2ZoomFactorChangedEventHandler;
struct ICoreWebView2Environment;
struct ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler;
struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler;
struct ICoreWebView2EnvironmentOptions;
struct ICoreWebView2EnvironmentOptions2;
struct ICoreWebView2EnvironmentOptions3;
struct ICoreWebView2EnvironmentOptions4;
struct ICoreWebView2EnvironmentOptions5;
struct ICoreWebView2EnvironmentOptions6;
struct ICoreWebView2EnvironmentOptions7;
struct ICoreWebView2EnvironmentOptions8;
struct ICoreWebView2Controller;
struct ICoreWebView2;
struct ICoreWebView2_2;
struct ICoreWebView2_3;
struct ICoreWebView2_4;
struct ICoreWebView2_5;
struct ICoreWebView2_6;
struct ICoreWebView2_7;
struct ICoreWebView2_8;
struct ICoreWebView2Settings;
struct ICoreWebView2Settings2;
struct ICoreWebView2Settings3;
struct ICoreWebView2NavigationStartingEventHandler;
struct ICoreWebView2NavigationStartingEventArgs;
struct ICoreWebView2ContentLoadingEventHandler;
struct ICoreWebView2ContentLoadingEventArgs;
struct ICoreWebView2SourceChangedEventHandler;
struct ICoreWebView2SourceChangedEventArgs;
struct ICoreWebView2NavigationCompletedEventHandler;
struct ICoreWebView2NavigationCompletedEventArgs;
struct ICoreWebView2DocumentTitleChangedEventHandler;
struct ICoreWebView2NewWindowRequestedEventHandler;
struct ICoreWebView2NewWindowRequestedEventArgs;
struct ICoreWebView2WebResourceRequestedEventHandler;
struct ICoreWebView2WebResourceRequestedEventArgs;
struct ICoreWebView2WebResourceRequest;
struct ICoreWebView2HttpRequestHeaders;
struct ICoreWebView2HttpHeadersCollectionIterator;
struct ICoreWebView2WebResourceResponse;
struct ICoreWebView2HttpResponseHeaders;
struct ICoreWebView2Deferral;
struct ICoreWebView2CookieManager;
struct ICoreWebView2Cookie;
struct ICoreWebView2CookieList;
struct ICoreWebView2GetCookiesCompletedHandler;
struct ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler;
struct ICoreWebView2ExecuteScriptCompletedHandler;

template <typename T>
const IID& IidOf();

inline const IID IID_ICoreWebView2AcceleratorKeyPressedEventHandler = {0xB29C7E28, 0xFA79, 0x41A8, {0x8E, 0x44, 0x65, 0x81, 0x1C, 0x76, 0xDC, 0xB2}};
inline const IID IID_ICoreWebView2CallDevToolsProtocolMethodCompletedHandler = {0x5C4889F0, 0x5EF6, 0x4C5A, {0x95, 0x2C, 0xD8, 0xF1, 0xB9, 0x2D, 0x05, 0x74}};
inline const IID IID_ICoreWebView2CapturePreviewCompletedHandler = {0x697E05E9, 0x3D8F, 0x45FA, {0x96, 0xF4, 0x8F, 0xFE, 0x1E, 0xDE, 0xDA, 0xF5}};
inline const IID IID_ICoreWebView2ClientCertificateRequestedEventHandler = {0xD7175BA2, 0xBCC3, 0x11EB, {0x85, 0x29, 0x02, 0x42, 0xAC, 0x13, 0x00, 0x03}};
inline const IID IID_ICoreWebView2ContainsFullScreenElementChangedEventHandler = {0xE45D98B1, 0xAFEF, 0x45BE, {0x8B, 0xAF, 0x6C, 0x77, 0x28, 0x86, 0x7F, 0x73}};
inline const IID IID_ICoreWebView2CustomSchemeRegistration = {0xD60AC92C, 0x37A6, 0x4B26, {0xA3, 0x9E, 0x95, 0xCF, 0xE5, 0x90, 0x47, 0xBB}};
inline const IID IID_ICoreWebView2DOMContentLoadedEventHandler = {0x4BAC7E9C, 0x199E, 0x49ED, {0x87, 0xED, 0x24, 0x93, 0x03, 0xAC, 0xF0, 0x19}};
inline const IID IID_ICoreWebView2DevToolsProtocolEventReceiver = {0xB32CA51A, 0x8371, 0x45E9, {0x93, 0x17, 0xAF, 0x02, 0x1D, 0x08, 0x03, 0x67}};
inline const IID IID_ICoreWebView2DownloadStartingEventHandler = {0xEFEDC989, 0xC396, 0x41CA, {0x83, 0xF7, 0x07, 0xF8, 0x45, 0xA5, 0x57, 0x24}};
inline const IID IID_ICoreWebView2FocusChangedEventHandler = {0x05EA24BD, 0x6452, 0x4926, {0x90, 0x14, 0x4B, 0x82, 0xB4, 0x98, 0x13, 0x5D}};
inline const IID IID_ICoreWebView2FrameCreatedEventHandler = {0x38059770, 0x9BAA, 0x11EB, {0xA8, 0xB3, 0x02, 0x42, 0xAC, 0x13, 0x00, 0x03}};
inline const IID IID_ICoreWebView2HistoryChangedEventHandler = {0xC79A420C, 0xEFD9, 0x4058, {0x92, 0x95, 0x3E, 0x8B, 0x4B, 0xCA, 0xB6, 0x45}};
inline const IID IID_ICoreWebView2IsDocumentPlayingAudioChangedEventHandler = {0x5DEF109A, 0x2F4B, 0x49FA, {0xB7, 0xF6, 0x11, 0xC3, 0x9E, 0x51, 0x33, 0x28}};
inline const IID IID_ICoreWebView2IsMutedChangedEventHandler = {0x57D90347, 0xCD0E, 0x4952, {0xA4, 0xA2, 0x74, 0x83, 0xA2, 0x75, 0x6F, 0x08}};
inline const IID IID_ICoreWebView2MoveFocusRequestedEventHandler = {0x69035451, 0x6DC7, 0x4CB8, {0x9B, 0xCE, 0xB2, 0xBD, 0x70, 0xAD, 0x28, 0x9F}};
inline const IID IID_ICoreWebView2NewBrowserVersionAvailableEventHandler = {0xF9A2976E, 0xD34E, 0x44FC, {0xAD, 0xEE, 0x81, 0xB6, 0xB5, 0x7C, 0xA9, 0x14}};
inline const IID IID_ICoreWebView2PermissionRequestedEventHandler = {0x15E1C6A3, 0xC72A, 0x4DF3, {0x91, 0xD7, 0xD0, 0x97, 0xFB, 0xEC, 0x6B, 0xFD}};
inline const IID IID_ICoreWebView2PrintSettings = {0x377F3721, 0xC74E, 0x48CA, {0x8D, 0xB1, 0xDF, 0x68, 0xE5, 0x1D, 0x60, 0xE2}};
inline const IID IID_ICoreWebView2PrintToPdfCompletedHandler = {0xCCF1EF04, 0xFD8E, 0x4D5F, {0xB2, 0xDE, 0x09, 0x83, 0xE4, 0x1B, 0x8C, 0x36}};
inline const IID IID_ICoreWebView2ProcessFailedEventHandler = {0x79E0AEA4, 0x990B, 0x42D9, {0xAA, 0x1D, 0x0F, 0xCC, 0x2E, 0x5B, 0xC7, 0xF1}};
inline const IID IID_ICoreWebView2ProcessFailedEventArgs = {0x8155A9A4, 0x1474, 0x4A86, {0x8C, 0xAE, 0x15, 0x1B, 0x0F, 0xA6, 0xB8, 0xCA}};
inline const IID IID_ICoreWebView2ScriptDialogOpeningEventHandler = {0xEF381BF9, 0xAFA8, 0x4E37, {0x91, 0xC4, 0x8A, 0xC4, 0x85, 0x24, 0xBD, 0xFB}};
inline const IID IID_ICoreWebView2TrySuspendCompletedHandler = {0x00F206A7, 0x9D17, 0x4605, {0x91, 0xF6, 0x4E, 0x8E, 0x4D, 0xE1, 0x92, 0xE3}};
inline const IID IID_ICoreWebView2WebMessageReceivedEventHandler = {0x57213F19, 0x00E6, 0x49FA, {0x8E, 0x07, 0x89, 0x8E, 0xA0, 0x1E, 0xCB, 0xD2}};
inline const IID IID_ICoreWebView2WebResourceResponseReceivedEventHandler = {0x7DE9898A, 0x24F5, 0x40C3, {0xA2, 0xDE, 0xD4, 0xF4, 0x58, 0xE6, 0x98, 0x28}};
inline const IID IID_ICoreWebView2WindowCloseRequestedEventHandler = {0x5C19E9E0, 0x092F, 0x486B, {0xAF, 0xFA, 0xCA, 0x82, 0x31, 0x91, 0x30, 0x39}};
inline const IID IID_ICoreWebView2WindowFeatures = {0x5EAF559F, 0xB46E, 0x4397, {0x88, 0x60, 0xE4, 0x22, 0xF2, 0x87, 0xFF, 0x1E}};
inline const IID IID_ICoreWebView2ZoomFactorChangedEventHandler = {0xB52D71D6, 0xC4DF, 0x4543, {0xA9, 0x0C, 0x64, 0xA3, 0xE6, 0x0F, 0x38, 0xCB}};
inline const IID IID_ICoreWebView2Environment = {0xB96D755E, 0x0319, 0x4E92, {0xA2, 0x96, 0x23, 0x43, 0x6F, 0x46, 0xA1, 0xFC}};
inline const IID IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler = {0x4E8A3389, 0xC9D8, 0x4BD2, {0xB6, 0xB5, 0x12, 0x4F, 0xEE, 0x6C, 0xC1, 0x4D}};
inline const IID IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler = {0x6C4819F3, 0xC9B7, 0x4260, {0x81, 0x27, 0xC9, 0xF5, 0xBD, 0xE7, 0xF6, 0x8C}};
inline const IID IID_ICoreWebView2EnvironmentOptions = {0x2FDE08A8, 0x1E9A, 0x4766, {0x8C, 0x05, 0x95, 0xA9, 0xCE, 0xB9, 0xD1, 0xC5}};
inline const IID IID_ICoreWebView2EnvironmentOptions2 = {0xFF85C98A, 0x1BA7, 0x4A6B, {0x90, 0xC8, 0x2B, 0x75, 0x2C, 0x89, 0xE9, 0xE2}};
inline const IID IID_ICoreWebView2EnvironmentOptions3 = {0x4A5C436E, 0xA9E3, 0x4A2E, {0x89, 0xC3, 0x91, 0x0D, 0x35, 0x13, 0xF5, 0xCC}};
inline const IID IID_ICoreWebView2EnvironmentOptions4 = {0xAC52D13F, 0x0D38, 0x475A, {0x9D, 0xCA, 0x87, 0x65, 0x80, 0xD6, 0x79, 0x3E}};
inline const IID IID_ICoreWebView2EnvironmentOptions5 = {0x0AE35D64, 0xC47F, 0x4464, {0x81, 0x4E, 0x25, 0x9C, 0x34, 0x5D, 0x15, 0x01}};
inline const IID IID_ICoreWebView2EnvironmentOptions6 = {0x57D29CC3, 0xC84F, 0x42A0, {0xB0, 0xE2, 0xEF, 0xFB, 0xD5, 0xE1, 0x79, 0xDE}};
inline const IID IID_ICoreWebView2EnvironmentOptions7 = {0xC48D539F, 0xE39F, 0x441C, {0xAE, 0x68, 0x1F, 0x66, 0xE5, 0x70, 0xBD, 0xC5}};
inline const IID IID_ICoreWebView2EnvironmentOptions8 = {0x7C7ECF51, 0xE918, 0x5CAF, {0x85, 0x3C, 0xE9, 0xA2, 0xBC, 0xC2, 0x77, 0x75}};
inline const IID IID_ICoreWebView2Controller = {0x4D00C0D1, 0x9434, 0x4EB6, {0x80, 0x78, 0x86, 0x97, 0xA5, 0x60, 0x33, 0x4F}};
inline const IID IID_ICoreWebView2 = {0x76ECEACB, 0x0462, 0x4D94, {0xAC, 0x83, 0x42, 0x3A, 0x67, 0x93, 0x77, 0x5E}};
inline const IID IID_ICoreWebView2_2 = {0x9E8F0CF8, 0xE670, 0x4B5E, {0xB2, 0xBC, 0x73, 0xE0, 0x61, 0xE3, 0x18, 0x4C}};
inline const IID IID_ICoreWebView2_3 = {0xA0D6DF20, 0x3B92, 0x416D, {0xAA, 0x0C, 0x43, 0x7A, 0x9C, 0x72, 0x78, 0x57}};
inline const IID IID_ICoreWebView2_4 = {0x20D02D59, 0x6DF2, 0x42DC, {0xBD, 0x06, 0xF9, 0x8A, 0x69, 0x4B, 0x13, 0x02}};
inline const IID IID_ICoreWebView2_5 = {0xBEDB11B8, 0xD63C, 0x11EB, {0xB8, 0xBC, 0x02, 0x42, 0xAC, 0x13, 0x00, 0x03}};
inline const IID IID_ICoreWebView2_6 = {0x499AADAC, 0xD92C, 0x4589, {0x8A, 0x75, 0x11, 0x1B, 0xFC, 0x16, 0x77, 0x95}};
inline const IID IID_ICoreWebView2_7 = {0x79C24D83, 0x09A3, 0x45AE, {0x94, 0x18, 0x48, 0x7F, 0x32, 0xA5, 0x87, 0x40}};
inline const IID IID_ICoreWebView2_8 = {0xE9632730, 0x6E1E, 0x43AB, {0xB7, 0xB8, 0x7B, 0x2C, 0x9E, 0x62, 0xE0, 0x94}};
inline const IID IID_ICoreWebView2Settings = {0xE562E4F0, 0xD7FA, 0x43AC, {0x8D, 0x71, 0xC0, 0x51, 0x50, 0x49, 0x9F, 0x00}};
inline const IID IID_ICoreWebView2Settings2 = {0xEE9A0F68, 0xF46C, 0x4E32, {0xAC, 0x23, 0xEF, 0x8C, 0xAC, 0x22, 0x4D, 0x2A}};
inline const IID IID_ICoreWebView2Settings3 = {0xFDB5AB74, 0xAF33, 0x4854, {0x84, 0xF0, 0x0A, 0x63, 0x1D, 0xEB, 0x5E, 0xBA}};
inline const IID IID_ICoreWebView2NavigationStartingEventHandler = {0x9ADBE429, 0xF36D, 0x432B, {0x9D, 0xDC, 0xF8, 0x88, 0x1F, 0xBD, 0x76, 0xE3}};
inline const IID IID_ICoreWebView2NavigationStartingEventArgs = {0x5B495469, 0xE119, 0x438A, {0x9B, 0x18, 0x76, 0x04, 0xF2, 0x5F, 0x2E, 0x49}};
inline const IID IID_ICoreWebView2ContentLoadingEventHandler = {0x364471E7, 0xF2BE, 0x4910, {0xBD, 0xBA, 0xD7, 0x20, 0x77, 0xD5, 0x1C, 0x4B}};
inline const IID IID_ICoreWebView2ContentLoadingEventArgs = {0x0C8A1275, 0x9B6B, 0x4901, {0x87, 0xAD, 0x70, 0xDF, 0x25, 0xBA, 0xFA, 0x6E}};
inline const IID IID_ICoreWebView2SourceChangedEventHandler = {0x3C067F9F, 0x5388, 0x4772, {0x8B, 0x48, 0x79, 0xF7, 0xEF, 0x1A, 0xB3, 0x7C}};
inline const IID IID_ICoreWebView2SourceChangedEventArgs = {0x31E0E545, 0x1DBA, 0x4266, {0x89, 0x14, 0xF6, 0x38, 0x48, 0xA1, 0xF7, 0xD7}};
inline const IID IID_ICoreWebView2NavigationCompletedEventHandler = {0xD33A35BF, 0x1C49, 0x4F98, {0x93, 0xAB, 0x00, 0x6E, 0x05, 0x33, 0xFE, 0x1C}};
inline const IID IID_ICoreWebView2NavigationCompletedEventArgs = {0x30D68B7D, 0x20D9, 0x4752, {0xA9, 0xCA, 0xEC, 0x84, 0x48, 0xFB, 0xB5, 0xC1}};
inline const IID IID_ICoreWebView2DocumentTitleChangedEventHandler = {0xF5F2B923, 0x953E, 0x4042, {0x9F, 0x95, 0xF3, 0xA1, 0x18, 0xE1, 0xAF, 0xD4}};
inline const IID IID_ICoreWebView2NewWindowRequestedEventHandler = {0xD4C185FE, 0xC81C, 0x4989, {0x97, 0xAF, 0x2D, 0x3F, 0xA7, 0xAB, 0x56, 0x51}};
inline const IID IID_ICoreWebView2NewWindowRequestedEventArgs = {0x34ACB11C, 0xFC37, 0x4418, {0x91, 0x32, 0xF9, 0xC2, 0x1D, 0x1E, 0xAF, 0xB9}};
inline const IID IID_ICoreWebView2WebResourceRequestedEventHandler = {0xAB00B74C, 0x15F1, 0x4646, {0x80, 0xE8, 0xE7, 0x63, 0x41, 0xD2, 0x5D, 0x71}};
inline const IID IID_ICoreWebView2WebResourceRequestedEventArgs = {0x453E667F, 0x12C7, 0x49D4, {0xBE, 0x6D, 0xDD, 0xBE, 0x79, 0x56, 0xF5, 0x7A}};
inline const IID IID_ICoreWebView2WebResourceRequest = {0x97055CD4, 0x512C, 0x4264, {0x8B, 0x5F, 0xE3, 0xF4, 0x46, 0xCE, 0xA6, 0xA5}};
inline const IID IID_ICoreWebView2HttpRequestHeaders = {0xE86CAC0E, 0x5523, 0x465C, {0xB5, 0x36, 0x8F, 0xB9, 0xFC, 0x8C, 0x8C, 0x60}};
inline const IID IID_ICoreWebView2HttpHeadersCollectionIterator = {0x0702FC30, 0xF43B, 0x47BB, {0xAB, 0x52, 0xA4, 0x2C, 0xB5, 0x52, 0xAD, 0x9F}};
inline const IID IID_ICoreWebView2WebResourceResponse = {0xAAFCC94F, 0xFA27, 0x48FD, {0x97, 0xDF, 0x83, 0x0E, 0xF7, 0x5A, 0xAE, 0xC9}};
inline const IID IID_ICoreWebView2HttpResponseHeaders = {0x03C5FF5A, 0x9B45, 0x4A88, {0x88, 0x1C, 0x89, 0xA9, 0xF3, 0x28, 0x61, 0x9C}};
inline const IID IID_ICoreWebView2Deferral = {0xC10E7F7B, 0xB585, 0x46F0, {0xA6, 0x23, 0x8B, 0xEF, 0xBF, 0x3E, 0x4E, 0xE0}};
inline const IID IID_ICoreWebView2CookieManager = {0x177CD9E7, 0xB6F5, 0x451A, {0x94, 0xA0, 0x5D, 0x7A, 0x3A, 0x4C, 0x41, 0x41}};
inline const IID IID_ICoreWebView2Cookie = {0xAD26D6BE, 0x1486, 0x43E6, {0xBF, 0x87, 0xA2, 0x03, 0x40, 0x06, 0xCA, 0x21}};
inline const IID IID_ICoreWebView2CookieList = {0xF7F6F714, 0x5D2A, 0x43C6, {0x95, 0x03, 0x34, 0x6E, 0xCE, 0x02, 0xD1, 0x86}};
inline const IID IID_ICoreWebView2GetCookiesCompletedHandler = {0x5A4F5069, 0x5C15, 0x47C3, {0x86, 0x46, 0xF4, 0xDE, 0x1C, 0x11, 0x66, 0x70}};
inline const IID IID_ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler = {0xB99369F3, 0x9B11, 0x47B5, {0xBC, 0x6F, 0x8E, 0x78, 0x95, 0xFC, 0xEA, 0x17}};
inline const IID IID_ICoreWebView2ExecuteScriptCompletedHandler = {0x49511172, 0xCC67, 0x4BCA, {0x99, 0x23, 0x13, 0x71, 0x12, 0xF4, 0xC4, 0xCC}};

struct ICoreWebView2Environment : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase, LPCWSTR headers, ICoreWebView2WebResourceResponse** response) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* versionInfo) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE add_NewBrowserVersionAvailable(ICoreWebView2NewBrowserVersionAvailableEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE remove_NewBrowserVersionAvailable(EventRegistrationToken token) = 0;  // slot 7
};
template <>
inline const IID& IidOf<ICoreWebView2Environment>() { return IID_ICoreWebView2Environment; }

struct ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2Environment* result) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>() { return IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler; }

struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2Controller* result) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>() { return IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler; }

struct ICoreWebView2EnvironmentOptions : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) = 0;  // slot 8
  virtual HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) = 0;  // slot 9
  virtual HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) = 0;  // slot 10
};
template <>
inline const IID& IidOf<ICoreWebView2EnvironmentOptions>() { return IID_ICoreWebView2EnvironmentOptions; }

struct ICoreWebView2EnvironmentOptions2 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_ExclusiveUserDataFolderAccess(BOOL* value) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE put_ExclusiveUserDataFolderAccess(BOOL value) = 0;  // slot 4
};
template <>
inline const IID& IidOf<ICoreWebView2EnvironmentOptions2>() { return IID_ICoreWebView2EnvironmentOptions2; }

struct ICoreWebView2EnvironmentOptions3 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_IsCustomCrashReportingEnabled(BOOL* value) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE put_IsCustomCrashReportingEnabled(BOOL value) = 0;  // slot 4
};
template <>
inline const IID& IidOf<ICoreWebView2EnvironmentOptions3>() { return IID_ICoreWebView2EnvironmentOptions3; }

struct ICoreWebView2EnvironmentOptions4 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetCustomSchemeRegistrations(UINT32* count, ICoreWebView2CustomSchemeRegistration*** schemeRegistrations) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE SetCustomSchemeRegistrations(UINT32 count, ICoreWebView2CustomSchemeRegistration** schemeRegistrations) = 0;  // slot 4
};
template <>
inline const IID& IidOf<ICoreWebView2EnvironmentOptions4>() { return IID_ICoreWebView2EnvironmentOptions4; }

struct ICoreWebView2EnvironmentOptions5 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_EnableTrackingPrevention(BOOL* value) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE put_EnableTrackingPrevention(BOOL value) = 0;  // slot 4
};
template <>
inline const IID& IidOf<ICoreWebView2EnvironmentOptions5>() { return IID_ICoreWebView2EnvironmentOptions5; }

struct ICoreWebView2EnvironmentOptions6 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_AreBrowserExtensionsEnabled(BOOL* value) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE put_AreBrowserExtensionsEnabled(BOOL value) = 0;  // slot 4
};
template <>
inline const IID& IidOf<ICoreWebView2EnvironmentOptions6>() { return IID_ICoreWebView2EnvironmentOptions6; }

struct ICoreWebView2EnvironmentOptions7 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND* value) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE put_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND value) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE get_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS* value) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE put_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS value) = 0;  // slot 6
};
template <>
inline const IID& IidOf<ICoreWebView2EnvironmentOptions7>() { return IID_ICoreWebView2EnvironmentOptions7; }

struct ICoreWebView2EnvironmentOptions8 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_ScrollBarStyle(COREWEBVIEW2_SCROLLBAR_STYLE* value) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE put_ScrollBarStyle(COREWEBVIEW2_SCROLLBAR_STYLE value) = 0;  // slot 4
};
template <>
inline const IID& IidOf<ICoreWebView2EnvironmentOptions8>() { return IID_ICoreWebView2EnvironmentOptions8; }

struct ICoreWebView2Controller : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* isVisible) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL isVisible) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE get_ZoomFactor(double* zoomFactor) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE put_ZoomFactor(double zoomFactor) = 0;  // slot 8
  virtual HRESULT STDMETHODCALLTYPE add_ZoomFactorChanged(ICoreWebView2ZoomFactorChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 9
  virtual HRESULT STDMETHODCALLTYPE remove_ZoomFactorChanged(EventRegistrationToken token) = 0;  // slot 10
  virtual HRESULT STDMETHODCALLTYPE SetBoundsAndZoomFactor(RECT bounds, double zoomFactor) = 0;  // slot 11
  virtual HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) = 0;  // slot 12
  virtual HRESULT STDMETHODCALLTYPE add_MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 13
  virtual HRESULT STDMETHODCALLTYPE remove_MoveFocusRequested(EventRegistrationToken token) = 0;  // slot 14
  virtual HRESULT STDMETHODCALLTYPE add_GotFocus(ICoreWebView2FocusChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 15
  virtual HRESULT STDMETHODCALLTYPE remove_GotFocus(EventRegistrationToken token) = 0;  // slot 16
  virtual HRESULT STDMETHODCALLTYPE add_LostFocus(ICoreWebView2FocusChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 17
  virtual HRESULT STDMETHODCALLTYPE remove_LostFocus(EventRegistrationToken token) = 0;  // slot 18
  virtual HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 19
  virtual HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(EventRegistrationToken token) = 0;  // slot 20
  virtual HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parentWindow) = 0;  // slot 21
  virtual HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND parentWindow) = 0;  // slot 22
  virtual HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() = 0;  // slot 23
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;  // slot 24
  virtual HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** coreWebView2) = 0;  // slot 25
};
template <>
inline const IID& IidOf<ICoreWebView2Controller>() { return IID_ICoreWebView2Controller; }

struct ICoreWebView2 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR htmlContent) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken token) = 0;  // slot 8
  virtual HRESULT STDMETHODCALLTYPE add_ContentLoading(ICoreWebView2ContentLoadingEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 9
  virtual HRESULT STDMETHODCALLTYPE remove_ContentLoading(EventRegistrationToken token) = 0;  // slot 10
  virtual HRESULT STDMETHODCALLTYPE add_SourceChanged(ICoreWebView2SourceChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 11
  virtual HRESULT STDMETHODCALLTYPE remove_SourceChanged(EventRegistrationToken token) = 0;  // slot 12
  virtual HRESULT STDMETHODCALLTYPE add_HistoryChanged(ICoreWebView2HistoryChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 13
  virtual HRESULT STDMETHODCALLTYPE remove_HistoryChanged(EventRegistrationToken token) = 0;  // slot 14
  virtual HRESULT STDMETHODCALLTYPE add_NavigationCompleted(ICoreWebView2NavigationCompletedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 15
  virtual HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken token) = 0;  // slot 16
  virtual HRESULT STDMETHODCALLTYPE add_FrameNavigationStarting(ICoreWebView2NavigationStartingEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 17
  virtual HRESULT STDMETHODCALLTYPE remove_FrameNavigationStarting(EventRegistrationToken token) = 0;  // slot 18
  virtual HRESULT STDMETHODCALLTYPE add_FrameNavigationCompleted(ICoreWebView2NavigationCompletedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 19
  virtual HRESULT STDMETHODCALLTYPE remove_FrameNavigationCompleted(EventRegistrationToken token) = 0;  // slot 20
  virtual HRESULT STDMETHODCALLTYPE add_ScriptDialogOpening(ICoreWebView2ScriptDialogOpeningEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 21
  virtual HRESULT STDMETHODCALLTYPE remove_ScriptDialogOpening(EventRegistrationToken token) = 0;  // slot 22
  virtual HRESULT STDMETHODCALLTYPE add_PermissionRequested(ICoreWebView2PermissionRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 23
  virtual HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken token) = 0;  // slot 24
  virtual HRESULT STDMETHODCALLTYPE add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 25
  virtual HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken token) = 0;  // slot 26
  virtual HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(LPCWSTR javaScript, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) = 0;  // slot 27
  virtual HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) = 0;  // slot 28
  virtual HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR javaScript, ICoreWebView2ExecuteScriptCompletedHandler* handler) = 0;  // slot 29
  virtual HRESULT STDMETHODCALLTYPE CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT imageFormat, IStream* imageStream, ICoreWebView2CapturePreviewCompletedHandler* handler) = 0;  // slot 30
  virtual HRESULT STDMETHODCALLTYPE Reload() = 0;  // slot 31
  virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) = 0;  // slot 32
  virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR webMessageAsString) = 0;  // slot 33
  virtual HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* handler, EventRegistrationToken* token) = 0;  // slot 34
  virtual HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken token) = 0;  // slot 35
  virtual HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethod(LPCWSTR methodName, LPCWSTR parametersAsJson, ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) = 0;  // slot 36
  virtual HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) = 0;  // slot 37
  virtual HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* canGoBack) = 0;  // slot 38
  virtual HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* canGoForward) = 0;  // slot 39
  virtual HRESULT STDMETHODCALLTYPE GoBack() = 0;  // slot 40
  virtual HRESULT STDMETHODCALLTYPE GoForward() = 0;  // slot 41
  virtual HRESULT STDMETHODCALLTYPE GetDevToolsProtocolEventReceiver(LPCWSTR eventName, ICoreWebView2DevToolsProtocolEventReceiver** receiver) = 0;  // slot 42
  virtual HRESULT STDMETHODCALLTYPE Stop() = 0;  // slot 43
  virtual HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 44
  virtual HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken token) = 0;  // slot 45
  virtual HRESULT STDMETHODCALLTYPE add_DocumentTitleChanged(ICoreWebView2DocumentTitleChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 46
  virtual HRESULT STDMETHODCALLTYPE remove_DocumentTitleChanged(EventRegistrationToken token) = 0;  // slot 47
  virtual HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* title) = 0;  // slot 48
  virtual HRESULT STDMETHODCALLTYPE AddHostObjectToScript(LPCWSTR name, VARIANT* object) = 0;  // slot 49
  virtual HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR name) = 0;  // slot 50
  virtual HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() = 0;  // slot 51
  virtual HRESULT STDMETHODCALLTYPE add_ContainsFullScreenElementChanged(ICoreWebView2ContainsFullScreenElementChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 52
  virtual HRESULT STDMETHODCALLTYPE remove_ContainsFullScreenElementChanged(EventRegistrationToken token) = 0;  // slot 53
  virtual HRESULT STDMETHODCALLTYPE get_ContainsFullScreenElement(BOOL* containsFullScreenElement) = 0;  // slot 54
  virtual HRESULT STDMETHODCALLTYPE add_WebResourceRequested(ICoreWebView2WebResourceRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 55
  virtual HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(EventRegistrationToken token) = 0;  // slot 56
  virtual HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) = 0;  // slot 57
  virtual HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) = 0;  // slot 58
  virtual HRESULT STDMETHODCALLTYPE add_WindowCloseRequested(ICoreWebView2WindowCloseRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 59
  virtual HRESULT STDMETHODCALLTYPE remove_WindowCloseRequested(EventRegistrationToken token) = 0;  // slot 60
};
template <>
inline const IID& IidOf<ICoreWebView2>() { return IID_ICoreWebView2; }

struct ICoreWebView2_2 : public ICoreWebView2 {
  virtual HRESULT STDMETHODCALLTYPE add_WebResourceResponseReceived(ICoreWebView2WebResourceResponseReceivedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 61
  virtual HRESULT STDMETHODCALLTYPE remove_WebResourceResponseReceived(EventRegistrationToken token) = 0;  // slot 62
  virtual HRESULT STDMETHODCALLTYPE NavigateWithWebResourceRequest(ICoreWebView2WebResourceRequest* request) = 0;  // slot 63
  virtual HRESULT STDMETHODCALLTYPE add_DOMContentLoaded(ICoreWebView2DOMContentLoadedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 64
  virtual HRESULT STDMETHODCALLTYPE remove_DOMContentLoaded(EventRegistrationToken token) = 0;  // slot 65
  virtual HRESULT STDMETHODCALLTYPE get_CookieManager(ICoreWebView2CookieManager** cookieManager) = 0;  // slot 66
  virtual HRESULT STDMETHODCALLTYPE get_Environment(ICoreWebView2Environment** environment) = 0;  // slot 67
};
template <>
inline const IID& IidOf<ICoreWebView2_2>() { return IID_ICoreWebView2_2; }

struct ICoreWebView2_3 : public ICoreWebView2_2 {
  virtual HRESULT STDMETHODCALLTYPE TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) = 0;  // slot 68
  virtual HRESULT STDMETHODCALLTYPE Resume() = 0;  // slot 69
  virtual HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL* isSuspended) = 0;  // slot 70
  virtual HRESULT STDMETHODCALLTYPE SetVirtualHostNameToFolderMapping(LPCWSTR hostName, LPCWSTR folderPath, COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND accessKind) = 0;  // slot 71
  virtual HRESULT STDMETHODCALLTYPE ClearVirtualHostNameToFolderMapping(LPCWSTR hostName) = 0;  // slot 72
};
template <>
inline const IID& IidOf<ICoreWebView2_3>() { return IID_ICoreWebView2_3; }

struct ICoreWebView2_4 : public ICoreWebView2_3 {
  virtual HRESULT STDMETHODCALLTYPE add_FrameCreated(ICoreWebView2FrameCreatedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 73
  virtual HRESULT STDMETHODCALLTYPE remove_FrameCreated(EventRegistrationToken token) = 0;  // slot 74
  virtual HRESULT STDMETHODCALLTYPE add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 75
  virtual HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken token) = 0;  // slot 76
};
template <>
inline const IID& IidOf<ICoreWebView2_4>() { return IID_ICoreWebView2_4; }

struct ICoreWebView2_5 : public ICoreWebView2_4 {
  virtual HRESULT STDMETHODCALLTYPE add_ClientCertificateRequested(ICoreWebView2ClientCertificateRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 77
  virtual HRESULT STDMETHODCALLTYPE remove_ClientCertificateRequested(EventRegistrationToken token) = 0;  // slot 78
};
template <>
inline const IID& IidOf<ICoreWebView2_5>() { return IID_ICoreWebView2_5; }

struct ICoreWebView2_6 : public ICoreWebView2_5 {
  virtual HRESULT STDMETHODCALLTYPE OpenTaskManagerWindow() = 0;  // slot 79
};
template <>
inline const IID& IidOf<ICoreWebView2_6>() { return IID_ICoreWebView2_6; }

struct ICoreWebView2_7 : public ICoreWebView2_6 {
  virtual HRESULT STDMETHODCALLTYPE PrintToPdf(LPCWSTR ResultFilePath, ICoreWebView2PrintSettings* printSettings, ICoreWebView2PrintToPdfCompletedHandler* handler) = 0;  // slot 80
};
template <>
inline const IID& IidOf<ICoreWebView2_7>() { return IID_ICoreWebView2_7; }

struct ICoreWebView2_8 : public ICoreWebView2_7 {
  virtual HRESULT STDMETHODCALLTYPE add_IsMutedChanged(ICoreWebView2IsMutedChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 81
  virtual HRESULT STDMETHODCALLTYPE remove_IsMutedChanged(EventRegistrationToken token) = 0;  // slot 82
  virtual HRESULT STDMETHODCALLTYPE get_IsMuted(BOOL* value) = 0;  // slot 83
  virtual HRESULT STDMETHODCALLTYPE put_IsMuted(BOOL value) = 0;  // slot 84
  virtual HRESULT STDMETHODCALLTYPE add_IsDocumentPlayingAudioChanged(ICoreWebView2IsDocumentPlayingAudioChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // slot 85
  virtual HRESULT STDMETHODCALLTYPE remove_IsDocumentPlayingAudioChanged(EventRegistrationToken token) = 0;  // slot 86
  virtual HRESULT STDMETHODCALLTYPE get_IsDocumentPlayingAudio(BOOL* value) = 0;  // slot 87
};
template <>
inline const IID& IidOf<ICoreWebView2_8>() { return IID_ICoreWebView2_8; }

struct ICoreWebView2Settings : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(BOOL* isScriptEnabled) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL isScriptEnabled) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(BOOL* isWebMessageEnabled) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(BOOL isWebMessageEnabled) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE get_AreDefaultScriptDialogsEnabled(BOOL* areDefaultScriptDialogsEnabled) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE put_AreDefaultScriptDialogsEnabled(BOOL areDefaultScriptDialogsEnabled) = 0;  // slot 8
  virtual HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(BOOL* isStatusBarEnabled) = 0;  // slot 9
  virtual HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL isStatusBarEnabled) = 0;  // slot 10
  virtual HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(BOOL* areDevToolsEnabled) = 0;  // slot 11
  virtual HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL areDevToolsEnabled) = 0;  // slot 12
  virtual HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(BOOL* enabled) = 0;  // slot 13
  virtual HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL enabled) = 0;  // slot 14
  virtual HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(BOOL* allowed) = 0;  // slot 15
  virtual HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL allowed) = 0;  // slot 16
  virtual HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(BOOL* enabled) = 0;  // slot 17
  virtual HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL enabled) = 0;  // slot 18
  virtual HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(BOOL* enabled) = 0;  // slot 19
  virtual HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(BOOL enabled) = 0;  // slot 20
};
template <>
inline const IID& IidOf<ICoreWebView2Settings>() { return IID_ICoreWebView2Settings; }

struct ICoreWebView2Settings2 : public ICoreWebView2Settings {
  virtual HRESULT STDMETHODCALLTYPE get_UserAgent(LPWSTR* value) = 0;  // slot 21
  virtual HRESULT STDMETHODCALLTYPE put_UserAgent(LPCWSTR value) = 0;  // slot 22
};
template <>
inline const IID& IidOf<ICoreWebView2Settings2>() { return IID_ICoreWebView2Settings2; }

struct ICoreWebView2Settings3 : public ICoreWebView2Settings2 {
  virtual HRESULT STDMETHODCALLTYPE get_AreBrowserAcceleratorKeysEnabled(BOOL* value) = 0;  // slot 23
  virtual HRESULT STDMETHODCALLTYPE put_AreBrowserAcceleratorKeysEnabled(BOOL value) = 0;  // slot 24
};
template <>
inline const IID& IidOf<ICoreWebView2Settings3>() { return IID_ICoreWebView2Settings3; }

struct ICoreWebView2NavigationStartingEventHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2NavigationStartingEventArgs* args) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2NavigationStartingEventHandler>() { return IID_ICoreWebView2NavigationStartingEventHandler; }

struct ICoreWebView2NavigationStartingEventArgs : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* isRedirected) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE get_RequestHeaders(ICoreWebView2HttpRequestHeaders** requestHeaders) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) = 0;  // slot 8
  virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;  // slot 9
};
template <>
inline const IID& IidOf<ICoreWebView2NavigationStartingEventArgs>() { return IID_ICoreWebView2NavigationStartingEventArgs; }

struct ICoreWebView2ContentLoadingEventHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2ContentLoadingEventArgs* args) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2ContentLoadingEventHandler>() { return IID_ICoreWebView2ContentLoadingEventHandler; }

struct ICoreWebView2ContentLoadingEventArgs : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_IsErrorPage(BOOL* value) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* value) = 0;  // slot 4
};
template <>
inline const IID& IidOf<ICoreWebView2ContentLoadingEventArgs>() { return IID_ICoreWebView2ContentLoadingEventArgs; }

struct ICoreWebView2ProcessFailedEventHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2ProcessFailedEventArgs* args) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2ProcessFailedEventHandler>() { return IID_ICoreWebView2ProcessFailedEventHandler; }

struct ICoreWebView2ProcessFailedEventArgs : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* kind) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2ProcessFailedEventArgs>() { return IID_ICoreWebView2ProcessFailedEventArgs; }

struct ICoreWebView2SourceChangedEventHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2SourceChangedEventArgs* args) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2SourceChangedEventHandler>() { return IID_ICoreWebView2SourceChangedEventHandler; }

struct ICoreWebView2SourceChangedEventArgs : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_IsNewDocument(BOOL* value) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2SourceChangedEventArgs>() { return IID_ICoreWebView2SourceChangedEventArgs; }

struct ICoreWebView2NavigationCompletedEventHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2NavigationCompletedEventArgs* args) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2NavigationCompletedEventHandler>() { return IID_ICoreWebView2NavigationCompletedEventHandler; }

struct ICoreWebView2NavigationCompletedEventArgs : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* isSuccess) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* webErrorStatus) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;  // slot 5
};
template <>
inline const IID& IidOf<ICoreWebView2NavigationCompletedEventArgs>() { return IID_ICoreWebView2NavigationCompletedEventArgs; }

struct ICoreWebView2DocumentTitleChangedEventHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2DocumentTitleChangedEventHandler>() { return IID_ICoreWebView2DocumentTitleChangedEventHandler; }

struct ICoreWebView2NewWindowRequestedEventHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2NewWindowRequestedEventArgs* args) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2NewWindowRequestedEventHandler>() { return IID_ICoreWebView2NewWindowRequestedEventHandler; }

struct ICoreWebView2NewWindowRequestedEventArgs : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* newWindow) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2** newWindow) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;  // slot 8
  virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;  // slot 9
  virtual HRESULT STDMETHODCALLTYPE get_WindowFeatures(ICoreWebView2WindowFeatures** value) = 0;  // slot 10
};
template <>
inline const IID& IidOf<ICoreWebView2NewWindowRequestedEventArgs>() { return IID_ICoreWebView2NewWindowRequestedEventArgs; }

struct ICoreWebView2WebResourceRequestedEventHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2WebResourceRequestedEventArgs* args) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2WebResourceRequestedEventHandler>() { return IID_ICoreWebView2WebResourceRequestedEventHandler; }

struct ICoreWebView2WebResourceRequestedEventArgs : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** request) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponse** response) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse* response) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) = 0;  // slot 7
};
template <>
inline const IID& IidOf<ICoreWebView2WebResourceRequestedEventArgs>() { return IID_ICoreWebView2WebResourceRequestedEventArgs; }

struct ICoreWebView2WebResourceRequest : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE put_Uri(LPCWSTR uri) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE get_Method(LPWSTR* method) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE put_Method(LPCWSTR method) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE get_Content(IStream** content) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE put_Content(IStream* content) = 0;  // slot 8
  virtual HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpRequestHeaders** headers) = 0;  // slot 9
};
template <>
inline const IID& IidOf<ICoreWebView2WebResourceRequest>() { return IID_ICoreWebView2WebResourceRequest; }

struct ICoreWebView2HttpRequestHeaders : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR name, LPWSTR* value) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE GetHeaders(LPCWSTR name, ICoreWebView2HttpHeadersCollectionIterator** value) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE Contains(LPCWSTR name, BOOL* value) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE SetHeader(LPCWSTR name, LPCWSTR value) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE RemoveHeader(LPCWSTR name) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE GetIterator(ICoreWebView2HttpHeadersCollectionIterator** value) = 0;  // slot 8
};
template <>
inline const IID& IidOf<ICoreWebView2HttpRequestHeaders>() { return IID_ICoreWebView2HttpRequestHeaders; }

struct ICoreWebView2HttpHeadersCollectionIterator : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetCurrentHeader(LPWSTR* name, LPWSTR* value) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE get_HasCurrentHeader(BOOL* hasCurrent) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE MoveNext(BOOL* hasNext) = 0;  // slot 5
};
template <>
inline const IID& IidOf<ICoreWebView2HttpHeadersCollectionIterator>() { return IID_ICoreWebView2HttpHeadersCollectionIterator; }

struct ICoreWebView2WebResourceResponse : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Content(IStream** content) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE put_Content(IStream* content) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpResponseHeaders** headers) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE get_StatusCode(int* statusCode) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE put_StatusCode(int statusCode) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE get_ReasonPhrase(LPWSTR* reasonPhrase) = 0;  // slot 8
  virtual HRESULT STDMETHODCALLTYPE put_ReasonPhrase(LPCWSTR reasonPhrase) = 0;  // slot 9
};
template <>
inline const IID& IidOf<ICoreWebView2WebResourceResponse>() { return IID_ICoreWebView2WebResourceResponse; }

struct ICoreWebView2HttpResponseHeaders : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AppendHeader(LPCWSTR name, LPCWSTR value) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE Contains(LPCWSTR name, BOOL* value) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR name, LPWSTR* value) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE GetHeaders(LPCWSTR name, ICoreWebView2HttpHeadersCollectionIterator** value) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE GetIterator(ICoreWebView2HttpHeadersCollectionIterator** value) = 0;  // slot 7
};
template <>
inline const IID& IidOf<ICoreWebView2HttpResponseHeaders>() { return IID_ICoreWebView2HttpResponseHeaders; }

struct ICoreWebView2Deferral : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Complete() = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2Deferral>() { return IID_ICoreWebView2Deferral; }

struct ICoreWebView2CookieManager : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateCookie(LPCWSTR name, LPCWSTR value, LPCWSTR domain, LPCWSTR path, ICoreWebView2Cookie** cookie) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE CopyCookie(ICoreWebView2Cookie* cookieParam, ICoreWebView2Cookie** cookie) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE GetCookies(LPCWSTR uri, ICoreWebView2GetCookiesCompletedHandler* handler) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE AddOrUpdateCookie(ICoreWebView2Cookie* cookie) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE DeleteCookie(ICoreWebView2Cookie* cookie) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE DeleteCookies(LPCWSTR name, LPCWSTR uri) = 0;  // slot 8
  virtual HRESULT STDMETHODCALLTYPE DeleteCookiesWithDomainAndPath(LPCWSTR name, LPCWSTR domain, LPCWSTR path) = 0;  // slot 9
  virtual HRESULT STDMETHODCALLTYPE DeleteAllCookies() = 0;  // slot 10
};
template <>
inline const IID& IidOf<ICoreWebView2CookieManager>() { return IID_ICoreWebView2CookieManager; }

struct ICoreWebView2Cookie : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Name(LPWSTR* name) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE get_Value(LPWSTR* value) = 0;  // slot 4
  virtual HRESULT STDMETHODCALLTYPE put_Value(LPCWSTR value) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE get_Domain(LPWSTR* domain) = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE get_Path(LPWSTR* path) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE get_Expires(double* expires) = 0;  // slot 8
  virtual HRESULT STDMETHODCALLTYPE put_Expires(double expires) = 0;  // slot 9
  virtual HRESULT STDMETHODCALLTYPE get_IsHttpOnly(BOOL* isHttpOnly) = 0;  // slot 10
  virtual HRESULT STDMETHODCALLTYPE put_IsHttpOnly(BOOL isHttpOnly) = 0;  // slot 11
  virtual HRESULT STDMETHODCALLTYPE get_SameSite(COREWEBVIEW2_COOKIE_SAME_SITE_KIND* sameSite) = 0;  // slot 12
  virtual HRESULT STDMETHODCALLTYPE put_SameSite(COREWEBVIEW2_COOKIE_SAME_SITE_KIND sameSite) = 0;  // slot 13
  virtual HRESULT STDMETHODCALLTYPE get_IsSecure(BOOL* isSecure) = 0;  // slot 14
  virtual HRESULT STDMETHODCALLTYPE put_IsSecure(BOOL isSecure) = 0;  // slot 15
  virtual HRESULT STDMETHODCALLTYPE get_IsSession(BOOL* isSession) = 0;  // slot 16
};
template <>
inline const IID& IidOf<ICoreWebView2Cookie>() { return IID_ICoreWebView2Cookie; }

struct ICoreWebView2CookieList : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Count(UINT32* value) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE GetValueAtIndex(UINT32 index, ICoreWebView2Cookie** value) = 0;  // slot 4
};
template <>
inline const IID& IidOf<ICoreWebView2CookieList>() { return IID_ICoreWebView2CookieList; }

struct ICoreWebView2GetCookiesCompletedHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2CookieList* result) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2GetCookiesCompletedHandler>() { return IID_ICoreWebView2GetCookiesCompletedHandler; }

struct ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, LPCWSTR result) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler>() { return IID_ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler; }

struct ICoreWebView2ExecuteScriptCompletedHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, LPCWSTR result) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2ExecuteScriptCompletedHandler>() { return IID_ICoreWebView2ExecuteScriptCompletedHandler; }
struct ICoreWebView2CapturePreviewCompletedHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode) = 0;  // slot 3
};
template <>
inline const IID& IidOf<ICoreWebView2CapturePreviewCompletedHandler>() { return IID_ICoreWebView2CapturePreviewCompletedHandler; }

using CreateCoreWebView2EnvironmentWithOptionsFn = HRESULT(STDMETHODCALLTYPE*)(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler);
using GetAvailableCoreWebView2BrowserVersionStringFn =
    HRESULT(STDMETHODCALLTYPE*)(PCWSTR browserExecutableFolder, LPWSTR* versionInfo);

// What the declarations above rely on, checked wherever they are compiled. The x86 program is
// the one that ships, so its layouts and its calling convention are checked at compile time in
// that build: they hold even on build machines that cannot run it.
static_assert(sizeof(EventRegistrationToken) == 8 && alignof(EventRegistrationToken) == 8,
              "tokens are passed by value as one 64-bit value");
static_assert(sizeof(COREWEBVIEW2_WEB_ERROR_STATUS) == 4 &&
                  sizeof(COREWEBVIEW2_WEB_RESOURCE_CONTEXT) == 4 &&
                  sizeof(COREWEBVIEW2_COOKIE_SAME_SITE_KIND) == 4,
              "enumerations are 32-bit values");
static_assert(sizeof(RECT) == 16 && offsetof(RECT, bottom) == 12, "bounds are passed by value");
static_assert(sizeof(BOOL) == 4 && sizeof(HRESULT) == 4 && sizeof(WCHAR) == 2 &&
                  sizeof(double) == 8,
              "scalar arguments");
static_assert(sizeof(HWND) == sizeof(void*) && sizeof(LPCWSTR) == sizeof(void*),
              "handles and texts are pointer-sized");
#if defined(__i386__)
static_assert(sizeof(void*) == 4, "the x86 program is a 32-bit program");
static_assert(sizeof(VARIANT) == 16 && sizeof(DISPPARAMS) == 16 && sizeof(EXCEPINFO) == 32,
              "the script objects' automation structures of the 32-bit ABI");
// On x86 the calling convention is part of a function's type, so these tell __stdcall (the
// callee removes its arguments) from the default __cdecl; on x64 there is one convention.
static_assert(std::is_same_v<CreateCoreWebView2EnvironmentWithOptionsFn,
                             HRESULT(__stdcall*)(PCWSTR, PCWSTR, ICoreWebView2EnvironmentOptions*,
                                                 ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*)>,
              "the loader's exports are __stdcall");
static_assert(std::is_same_v<GetAvailableCoreWebView2BrowserVersionStringFn,
                             HRESULT(__stdcall*)(PCWSTR, LPWSTR*)>,
              "the loader's exports are __stdcall");
#elif defined(__x86_64__)
static_assert(sizeof(void*) == 8, "the x64 build is a 64-bit program");
static_assert(sizeof(VARIANT) == 24 && sizeof(DISPPARAMS) == 24,
              "the script objects' automation structures of the 64-bit ABI");
#endif
