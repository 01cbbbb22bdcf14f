// Enciphers or deciphers a text file in the product's Base64-of-Blowfish form.
//   text_cipher encipher <key> <input> <output>
//   text_cipher decipher <key> <input> <output>
//   text_cipher document-script <input> <output>   (under the program's document-script key)
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "webview2/document_script.h"
#include "webview2common/text_cipher.h"

namespace {

bool ReadFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *bytes = buffer.str();
  return true;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out);
}

int Usage() {
  std::cerr << "usage: text_cipher encipher <key> <input> <output>\n"
               "       text_cipher decipher <key> <input> <output>\n"
               "       text_cipher document-script <input> <output>\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  std::string key, input, output;
  if (command == "document-script" && argc == 4) {
    key = kDocumentScriptKey, input = argv[2], output = argv[3];
  } else if ((command == "encipher" || command == "decipher") && argc == 5) {
    key = argv[2], input = argv[3], output = argv[4];
  } else {
    return Usage();
  }
  std::string bytes;
  if (!ReadFile(input, &bytes)) {
    std::cerr << "text_cipher: cannot read " << input << "\n";
    return 1;
  }
  std::string result;
  if (command == "decipher") {
    const auto plain = DecipherText(bytes, key);
    if (!plain) {
      std::cerr << "text_cipher: " << input << " is not enciphered text\n";
      return 1;
    }
    result = *plain;
  } else {
    if (bytes.find('\0') != std::string::npos) {
      std::cerr << "text_cipher: " << input << " holds a zero byte, which would end the text\n";
      return 1;
    }
    result = EncipherText(bytes, key);
  }
  if (!WriteFile(output, result)) {
    std::cerr << "text_cipher: cannot write " << output << "\n";
    return 1;
  }
  return 0;
}
