#include "webview2common/archive/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "webview2common/little_endian.h"
#include "webview2common/text_convert.h"

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndSize = 22;
constexpr size_t kMaxEndScan = 65556;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kMaxNameChars = 260;


// True when [offset, offset + length) lies inside size, computed without overflow.
bool Inside(uint64_t offset, uint64_t length, uint64_t size) {
  return offset <= size && length <= size - offset;
}

bool Inflate(const uint8_t* input, uint64_t input_size, uint64_t declared, std::string* out) {
  out->assign(static_cast<size_t>(declared), '\0');
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  uint64_t consumed = 0;
  uint64_t produced = 0;
  int status = Z_OK;
  char spare;  // detects output beyond the declared size
  while (status == Z_OK) {
    const uint64_t in_chunk = std::min<uint64_t>(input_size - consumed, UINT_MAX);
    stream.next_in = const_cast<uint8_t*>(input + consumed);
    stream.avail_in = static_cast<uInt>(in_chunk);
    const bool room = produced < declared;
    stream.next_out = room ? reinterpret_cast<Bytef*>(out->data() + produced) : reinterpret_cast<Bytef*>(&spare);
    stream.avail_out = room ? static_cast<uInt>(std::min<uint64_t>(declared - produced, UINT_MAX)) : 1;
    status = inflate(&stream, Z_NO_FLUSH);
    consumed += in_chunk - stream.avail_in;
    const uint64_t written = (room ? std::min<uint64_t>(declared - produced, UINT_MAX) : 1) - stream.avail_out;
    if (!room && written > 0) {
      status = Z_DATA_ERROR;  // more data than declared
      break;
    }
    produced += written;
    // Z_BUF_ERROR: no progress is possible with all input and room given, so the data is short.
  }
  inflateEnd(&stream);
  return status == Z_STREAM_END && produced == declared;
}

uint32_t Crc32(const std::string& bytes) {
  uLong crc = crc32(0L, Z_NULL, 0);
  size_t at = 0;
  while (at < bytes.size()) {
    const uInt chunk = static_cast<uInt>(std::min<size_t>(bytes.size() - at, UINT_MAX));
    crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + at), chunk);
    at += chunk;
  }
  return static_cast<uint32_t>(crc);
}

}  // namespace

ZipReadReport ReadZip(const uint8_t* data, size_t size, ArchiveEntries& entries,
                      const ZipReadLimits& limits) {
  ZipReadReport report;
  if (data == nullptr || size < kEndSize) {
    report.refused.push_back("too short for a zip archive");
    return report;
  }
  // The end record: from 22 bytes before the end, backwards, at most 65,556 bytes.
  const uint8_t* end = nullptr;
  const size_t lowest = size > kMaxEndScan ? size - kMaxEndScan : 0;
  for (size_t at = size - kEndSize + 1; at-- > lowest;) {
    if (LoadLE32(data + at) == kEndSignature) {
      end = data + at;
      break;
    }
  }
  if (end == nullptr) {
    report.refused.push_back("no end of central directory");
    return report;
  }
  const uint16_t disk = LoadLE16(end + 4);
  const uint16_t directory_disk = LoadLE16(end + 6);
  const uint16_t disk_entries = LoadLE16(end + 8);
  const uint16_t total_entries = LoadLE16(end + 10);
  const uint64_t directory_size = LoadLE32(end + 12);
  const uint64_t directory_offset = LoadLE32(end + 16);
  if (disk != 0 || directory_disk != 0 || disk_entries != total_entries) {
    report.refused.push_back("archive spans several disks");
    return report;
  }
  if (!Inside(directory_offset, directory_size, size)) {
    report.refused.push_back("central directory outside the archive");
    return report;
  }
  report.found_directory = true;
  uint64_t total = 0;
  uint64_t at = directory_offset;
  const uint64_t directory_end = directory_offset + directory_size;
  for (int i = 0; i < total_entries; ++i) {
    if (!Inside(at, kCentralSize, directory_end) || LoadLE32(data + at) != kCentralSignature) {
      report.refused.push_back("central directory ends early at entry " + std::to_string(i));
      break;
    }
    const uint8_t* c = data + at;
    const uint16_t flags = LoadLE16(c + 8);
    const uint16_t method = LoadLE16(c + 10);
    const uint32_t crc = LoadLE32(c + 16);
    const uint64_t compressed = LoadLE32(c + 20);
    const uint64_t declared = LoadLE32(c + 24);
    const uint16_t name_length = LoadLE16(c + 28);
    const uint16_t extra_length = LoadLE16(c + 30);
    const uint16_t comment_length = LoadLE16(c + 32);
    const uint32_t external = LoadLE32(c + 38);
    const uint64_t local_offset = LoadLE32(c + 42);
    const uint64_t record = kCentralSize + name_length + extra_length + comment_length;
    if (!Inside(at, record, directory_end)) {
      report.refused.push_back("central directory entry " + std::to_string(i) + " runs past its end");
      break;
    }
    const std::string raw_name(reinterpret_cast<const char*>(c + kCentralSize), name_length);
    at += record;
    const std::u16string name = (flags & 0x800) != 0 ? text::Utf8ToUtf16(raw_name) : text::AnsiToUtf16(raw_name);
    if ((external & 0x10) != 0 || (!name.empty() && name.back() == u'/')) continue;  // a folder
    auto refuse = [&](const std::string& why) { report.refused.push_back(raw_name + ": " + why); };
    if (name.empty() || name.size() > kMaxNameChars) {
      refuse("name empty or longer than 260 characters");
      continue;
    }
    if (method != 0 && method != 8) {
      refuse("method " + std::to_string(method) + " not supported");
      continue;
    }
    if (declared > limits.max_entry_size || total + declared > limits.max_total_size) {
      refuse("declared size " + std::to_string(declared) + " beyond the limit");
      continue;
    }
    if (!Inside(local_offset, kLocalSize, size) || LoadLE32(data + local_offset) != kLocalSignature) {
      refuse("no local header");
      continue;
    }
    const uint64_t data_offset = local_offset + kLocalSize + LoadLE16(data + local_offset + 26) +
                                 LoadLE16(data + local_offset + 28);
    if (!Inside(data_offset, compressed, size)) {
      refuse("data outside the archive");
      continue;
    }
    auto bytes = std::make_shared<std::string>();
    if (method == 0) {
      if (compressed != declared) {
        refuse("stored size differs from declared size");
        continue;
      }
      bytes->assign(reinterpret_cast<const char*>(data + data_offset), static_cast<size_t>(declared));
    } else if (!Inflate(data + data_offset, compressed, declared, bytes.get())) {
      refuse("deflated data does not inflate to the declared size");
      continue;
    }
    if (Crc32(*bytes) != crc) {
      refuse("CRC-32 mismatch");
      continue;
    }
    total += declared;
    entries[name] = std::move(bytes);
    ++report.entries;
  }
  return report;
}
