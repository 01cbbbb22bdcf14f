#pragma once
// The script installed into every document is kept in the program's resources (type "FILE",
// id 152) as Base64 text of its Blowfish-enciphered UTF-8 bytes under this key.

constexpr int kDocumentScriptResourceId = 152;
constexpr char kDocumentScriptKey[] = "{5D0C8E71-3A9B-4F26-B8E4-7C1A0F9D2B63}";
static_assert(sizeof(kDocumentScriptKey) == 39, "a 38-character key in registry GUID form");
