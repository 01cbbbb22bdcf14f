#include "webview2common/archive/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <new>
#include <optional>
#include <exception>
#include <thread>
#include <vector>

#include "base/text_convert.h"
#include "webview2common/little_endian.h"

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndSize = 22;
constexpr size_t kMaxEndScan = 65556;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kMaxNameChars = 260;
// Below this much to read (compressed and inflated bytes), threads cost more than they save.
constexpr uint64_t kParallelBytes = 1 << 20;

// True when [offset, offset + length) lies inside size, computed without overflow.
bool Inside(uint64_t offset, uint64_t length, uint64_t size) {
  return offset <= size && length <= size - offset;
}

// Inflates into *out, which grows with what the data really yields: the declared size is
// only checked, never allocated ahead, since a hostile header may declare anything. The first
// allocation fits ordinary data (a few times the compressed size) whole.
bool Inflate(const uint8_t* input, uint64_t input_size, uint64_t declared, std::string* out) {
  uint64_t capacity = std::min<uint64_t>(declared, input_size * 4 + (64 << 10));
  out->resize(static_cast<size_t>(capacity));
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  struct End {
    z_stream* stream;
    ~End() { inflateEnd(stream); }  // also when growing the output throws
  } end{&stream};
  uint64_t consumed = 0;
  uint64_t produced = 0;
  int status = Z_OK;
  char spare;  // detects output beyond the declared size
  while (status == Z_OK) {
    if (produced == capacity && capacity < declared) {
      capacity = std::min<uint64_t>(declared, capacity * 2);
      out->resize(static_cast<size_t>(capacity));
    }
    const uint64_t in_chunk = std::min<uint64_t>(input_size - consumed, UINT_MAX);
    stream.next_in = const_cast<uint8_t*>(input + consumed);
    stream.avail_in = static_cast<uInt>(in_chunk);
    const bool room = produced < capacity;
    const uInt out_chunk = room ? static_cast<uInt>(std::min<uint64_t>(capacity - produced, UINT_MAX)) : 1;
    stream.next_out = room ? reinterpret_cast<Bytef*>(out->data() + produced) : reinterpret_cast<Bytef*>(&spare);
    stream.avail_out = out_chunk;
    status = inflate(&stream, Z_NO_FLUSH);
    consumed += in_chunk - stream.avail_in;
    const uint64_t written = out_chunk - stream.avail_out;
    if (!room && written > 0) {
      status = Z_DATA_ERROR;  // more data than declared
      break;
    }
    produced += written;
    // Z_BUF_ERROR: no progress is possible with all input and room given, so the data is short.
  }
  out->resize(static_cast<size_t>(produced));
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

// The end of central directory record.
struct EndRecord {
  uint16_t disk = 0;
  uint16_t directory_disk = 0;
  uint16_t disk_entries = 0;
  uint16_t total_entries = 0;
  uint64_t directory_size = 0;
  uint64_t directory_offset = 0;
};

// One central directory record, with the name that follows it.
struct CentralRecord {
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t crc = 0;
  uint64_t compressed = 0;
  uint64_t declared = 0;
  uint32_t external = 0;
  uint64_t local_offset = 0;
  std::string raw_name;
  uint64_t record_size = 0;  // the fixed part, the name, the extra field and the comment
};

// The end record, searched from 22 bytes before the end backwards over at most 65,556 bytes.
std::optional<EndRecord> FindEndRecord(const uint8_t* data, size_t size) {
  const size_t lowest = size > kMaxEndScan ? size - kMaxEndScan : 0;
  for (size_t at = size - kEndSize + 1; at-- > lowest;) {
    const uint8_t* end = data + at;
    if (LoadLE32(end) != kEndSignature) continue;
    EndRecord record;
    record.disk = LoadLE16(end + 4);
    record.directory_disk = LoadLE16(end + 6);
    record.disk_entries = LoadLE16(end + 8);
    record.total_entries = LoadLE16(end + 10);
    record.directory_size = LoadLE32(end + 12);
    record.directory_offset = LoadLE32(end + 16);
    return record;
  }
  return std::nullopt;
}

// The central record at `at`, which must lie whole before directory_end; nothing otherwise,
// with *runs_past_end telling a record cut off by the directory's end from a missing one.
std::optional<CentralRecord> ReadCentralRecord(const uint8_t* data, uint64_t at, uint64_t directory_end,
                                               bool* runs_past_end) {
  *runs_past_end = false;
  if (!Inside(at, kCentralSize, directory_end) || LoadLE32(data + at) != kCentralSignature) return std::nullopt;
  const uint8_t* c = data + at;
  CentralRecord record;
  record.flags = LoadLE16(c + 8);
  record.method = LoadLE16(c + 10);
  record.crc = LoadLE32(c + 16);
  record.compressed = LoadLE32(c + 20);
  record.declared = LoadLE32(c + 24);
  const uint16_t name_length = LoadLE16(c + 28);
  const uint16_t extra_length = LoadLE16(c + 30);
  const uint16_t comment_length = LoadLE16(c + 32);
  record.external = LoadLE32(c + 38);
  record.local_offset = LoadLE32(c + 42);
  record.record_size = kCentralSize + name_length + extra_length + comment_length;
  if (!Inside(at, record.record_size, directory_end)) {
    *runs_past_end = true;
    return std::nullopt;
  }
  record.raw_name.assign(reinterpret_cast<const char*>(c + kCentralSize), name_length);
  return record;
}

// Where the entry's data starts: after its local header and that header's name and extra
// field; nothing when there is no local header at the offset.
std::optional<uint64_t> LocalDataOffset(const uint8_t* data, size_t size, uint64_t local_offset) {
  if (!Inside(local_offset, kLocalSize, size) || LoadLE32(data + local_offset) != kLocalSignature) {
    return std::nullopt;
  }
  return local_offset + kLocalSize + LoadLE16(data + local_offset + 26) + LoadLE16(data + local_offset + 28);
}

// Copies or inflates an entry's data, which lies whole inside the archive, into *bytes.
bool ReadEntryBytes(const uint8_t* at, const CentralRecord& entry, std::string* bytes, std::string* why) {
  if (entry.method == 0) {
    if (entry.compressed != entry.declared) {
      *why = "stored size differs from declared size";
      return false;
    }
    bytes->assign(reinterpret_cast<const char*>(at), static_cast<size_t>(entry.declared));
  } else if (!Inflate(at, entry.compressed, entry.declared, bytes)) {
    *why = "deflated data does not inflate to the declared size";
    return false;
  }
  return true;
}

// The entry's bytes, or the reason it is left out.
std::shared_ptr<std::string> ReadEntryData(const uint8_t* data, size_t size, const CentralRecord& entry,
                                           std::string* why) {
  const std::optional<uint64_t> data_offset = LocalDataOffset(data, size, entry.local_offset);
  if (!data_offset) {
    *why = "no local header";
    return nullptr;
  }
  if (!Inside(*data_offset, entry.compressed, size)) {
    *why = "data outside the archive";
    return nullptr;
  }
  std::shared_ptr<std::string> bytes;
  try {
    bytes = std::make_shared<std::string>();
    if (!ReadEntryBytes(data + *data_offset, entry, bytes.get(), why)) return nullptr;
  } catch (const std::bad_alloc&) {
    *why = "not enough memory to read it";
    return nullptr;
  }
  if (Crc32(*bytes) != entry.crc) {
    *why = "CRC-32 mismatch";
    return nullptr;
  }
  return bytes;
}

}  // namespace

ZipReadReport ReadZip(const uint8_t* data, size_t size, ArchiveEntries& entries,
                      const ZipReadLimits& limits) {
  ZipReadReport report;
  if (data == nullptr || size < kEndSize) {
    report.refused.push_back("too short for a zip archive");
    return report;
  }
  const std::optional<EndRecord> end = FindEndRecord(data, size);
  if (!end) {
    report.refused.push_back("no end of central directory");
    return report;
  }
  if (end->disk != 0 || end->directory_disk != 0 || end->disk_entries != end->total_entries) {
    report.refused.push_back("archive spans several disks");
    return report;
  }
  if (!Inside(end->directory_offset, end->directory_size, size)) {
    report.refused.push_back("central directory outside the archive");
    return report;
  }
  report.found_directory = true;

  // The directory is walked first; each file entry that may be read becomes a job, and what is
  // refused on the way stays in its place among them, so the report keeps the archive's order.
  struct Step {
    std::string refusal;  // set for a refusal; otherwise an entry
    std::u16string name;
    CentralRecord entry;
    bool inflated = false;  // read by the jobs below
    std::shared_ptr<std::string> bytes;
    std::string why;
  };
  std::vector<Step> steps;
  auto refusal = [&steps](std::string text) {
    steps.emplace_back();
    steps.back().refusal = std::move(text);
  };
  uint64_t at = end->directory_offset;
  const uint64_t directory_end = end->directory_offset + end->directory_size;
  for (int i = 0; i < end->total_entries; ++i) {
    bool runs_past_end = false;
    std::optional<CentralRecord> entry = ReadCentralRecord(data, at, directory_end, &runs_past_end);
    if (!entry) {
      refusal(runs_past_end ? "central directory entry " + std::to_string(i) + " runs past its end"
                            : "central directory ends early at entry " + std::to_string(i));
      break;
    }
    at += entry->record_size;
    const std::string& raw_name = entry->raw_name;
    std::u16string name = (entry->flags & 0x800) != 0 ? text::Utf8ToUtf16(raw_name) : text::AnsiToUtf16(raw_name);
    if ((entry->external & 0x10) != 0 || (!name.empty() && name.back() == u'/')) continue;  // a folder
    if (name.empty() || name.size() > kMaxNameChars) {
      refusal(raw_name + ": name empty or longer than 260 characters");
      continue;
    }
    if (entry->method != 0 && entry->method != 8) {
      refusal(raw_name + ": method " + std::to_string(entry->method) + " not supported");
      continue;
    }
    Step step;
    step.name = std::move(name);
    step.entry = std::move(*entry);
    steps.push_back(std::move(step));
  }
  // The jobs stay within the total limit even if every one of them reads well; the final pass
  // below counts only what did.
  const uint64_t max_total = limits.max_ratio != 0 && size > limits.max_total_size / limits.max_ratio
                                 ? limits.max_total_size
                                 : std::min<uint64_t>(limits.max_total_size, size * limits.max_ratio);
  std::vector<Step*> jobs;
  uint64_t planned = 0;
  uint64_t planned_bytes = 0;
  for (Step& step : steps) {
    const uint64_t declared = step.entry.declared;
    if (step.refusal.empty() && declared <= limits.max_entry_size && planned + declared <= max_total) {
      planned += declared;
      planned_bytes += step.entry.compressed + declared;
      jobs.push_back(&step);
    }
  }

  // Entries inflate independently: with more than one core and enough to do, threads share them.
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t j = next++; j < jobs.size(); j = next++) {
      Step& step = *jobs[j];
      step.bytes = ReadEntryData(data, size, step.entry, &step.why);
      step.inflated = true;
    }
  };
  std::vector<std::thread> helpers;
  const unsigned cores = std::thread::hardware_concurrency();
  if (planned_bytes >= kParallelBytes && jobs.size() > 1 && cores > 1 && limits.max_threads > 1) {
    const unsigned count = std::min({cores, limits.max_threads, static_cast<unsigned>(jobs.size())}) - 1;
    try {
      for (unsigned t = 0; t < count; ++t) helpers.emplace_back(work);
    } catch (const std::exception&) {
      // Fewer threads than asked for (none to be had, or no memory for one): this one reads the rest.
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();

  // In the archive's order: the total counts what was read, so an entry left out for the limit
  // while a failing entry was still counted is read now.
  uint64_t total = 0;
  for (Step& step : steps) {
    if (!step.refusal.empty()) {
      report.refused.push_back(std::move(step.refusal));
      continue;
    }
    const CentralRecord& entry = step.entry;
    auto refuse = [&](const std::string& why) { report.refused.push_back(entry.raw_name + ": " + why); };
    if (entry.declared > limits.max_entry_size || total + entry.declared > max_total) {
      refuse("declared size " + std::to_string(entry.declared) + " beyond the limit");
      continue;
    }
    if (!step.inflated) step.bytes = ReadEntryData(data, size, entry, &step.why);
    if (!step.bytes) {
      refuse(step.why);
      continue;
    }
    total += entry.declared;
    entries[step.name] = std::move(step.bytes);
    ++report.entries;
  }
  return report;
}
