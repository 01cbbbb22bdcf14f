// First-request load of a 20 MB enciphered archive, stage by stage, and cached serving.
//   archive_bench [archive megabytes]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "webview2common/archive/archive_file.h"
#include "webview2common/archive/zip_reader.h"
#include "webview2common/archive/zip_writer.h"
#include "webview2common/base64.h"
#include "webview2common/blowfish.h"
#include "webview2common/text_cipher.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void Report(const char* stage, size_t bytes, double seconds) {
  std::printf("%-34s %9.1f MB in %8.3f s = %8.1f MB/s\n", stage, bytes / 1e6, seconds, bytes / 1e6 / seconds);
}

// Web-application-like content: text that deflates about 3:1, plus incompressible images.
std::string MakeFile(std::mt19937& random, size_t size, bool text) {
  std::string bytes(size, '\0');
  static const char kWords[] = "function var return the window document style color margin ";
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = text ? kWords[(random() % 7 == 0) ? random() % (sizeof kWords - 1) : i % (sizeof kWords - 1)]
                    : static_cast<char>(random());
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  const double target_mb = argc > 1 ? std::atof(argv[1]) : 20.0;
  std::mt19937 random(12345);
  ZipWriter writer;
  std::vector<std::u16string> names;
  size_t plain_total = 0;
  int files = 0;
  std::string packed;
  // Grow the application until its enciphered archive reaches the target size.
  while (true) {
    const bool text = files % 3 != 2;
    const std::string file = MakeFile(random, text ? 200000 : 100000, text);
    const std::string name = "assets/file" + std::to_string(files++) + (text ? ".js" : ".png");
    writer.Add(name, file);
    names.emplace_back(name.begin(), name.end());
    plain_total += file.size();
    if (plain_total / 1e6 > target_mb * 2.2) break;
  }
  std::string zip;
  writer.Finish(&zip);
  const std::string key = "benchmark-key";
  const std::string archive = EncipherBlocks(zip, key);
  std::printf("archive: %d entries, %.1f MB of content, %.1f MB zip, %.1f MB enciphered Base64 text\n\n",
              files, plain_total / 1e6, zip.size() / 1e6, archive.size() / 1e6);

  const int kRounds = 3;
  double decode_s = 0, decipher_s = 0, unpack_s = 0, total_s = 0, loaded_s = 0;
  for (int round = 0; round < kRounds; ++round) {
    // The stages one after another on one thread, each through its own entry point.
    const auto all = Clock::now();
    auto start = Clock::now();
    std::optional<std::string> bytes = Base64Decode(archive);
    decode_s += Seconds(start);
    start = Clock::now();
    Blowfish cipher(reinterpret_cast<const uint8_t*>(key.data()), key.size());
    cipher.DecryptEcb(reinterpret_cast<uint8_t*>(bytes->data()), bytes->size());
    decipher_s += Seconds(start);
    start = Clock::now();
    ArchiveEntries entries;
    ZipReadLimits one_thread;
    one_thread.max_threads = 1;
    ReadZip(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size(), entries, one_thread);
    unpack_s += Seconds(start);
    total_s += Seconds(all);
    if (static_cast<int>(entries.size()) != files) {
      std::printf("unpacked %zu of %d entries\n", entries.size(), files);
      return 1;
    }
    // What a window does on the first request: the product's load, which splits the work.
    start = Clock::now();
    const ArchiveLoadResult whole = LoadArchiveText(archive, key);
    loaded_s += Seconds(start);
    if (whole.entries.size() != entries.size()) {
      std::printf("the load read %zu of %d entries\n", whole.entries.size(), files);
      return 1;
    }
    for (const auto& [name, bytes] : entries) {
      if (*whole.entries.at(name) != *bytes) {
        std::printf("the load read other bytes\n");
        return 1;
      }
    }
  }
  std::printf("first request (mean of %d loads; %u hardware threads):\n", kRounds,
              std::thread::hardware_concurrency());
  Report("  stage: Base64 decode", archive.size(), decode_s / kRounds);
  Report("  stage: Blowfish ECB decipher", zip.size(), decipher_s / kRounds);
  Report("  stage: zip read (inflate + CRC-32)", plain_total, unpack_s / kRounds);
  Report("  stages one after another", archive.size(), total_s / kRounds);
  Report("  the product's load (split stages)", archive.size(), loaded_s / kRounds);
  std::printf("  %-32s %.2fx of the sum, %.2fx of the slowest stage\n", "", loaded_s / total_s,
              loaded_s / std::max({decode_s, decipher_s, unpack_s}));

  // Cached serving: look the entry up and make the one copy that goes into the response stream.
  ArchiveLoadResult loaded = LoadArchiveText(archive, key);
  size_t served = 0;
  const auto start = Clock::now();
  for (int round = 0; round < 20; ++round) {
    for (const std::u16string& name : names) {
      const auto& entry = loaded.entries.at(name);
      std::string stream(*entry);
      served += stream.size();
    }
  }
  std::printf("\ncached serving:\n");
  Report("  lookup + copy into the stream", served, Seconds(start));
  return 0;
}
