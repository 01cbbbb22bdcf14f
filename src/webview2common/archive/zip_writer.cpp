#include "webview2common/archive/zip_writer.h"

#include <zlib.h>

#include <cstdint>

namespace {

void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

bool RawDeflate(const std::string& input, std::string* output) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    return false;
  }
  output->resize(deflateBound(&stream, static_cast<uLong>(input.size())));
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = reinterpret_cast<Bytef*>(output->data());
  stream.avail_out = static_cast<uInt>(output->size());
  const int status = deflate(&stream, Z_FINISH);
  output->resize(stream.total_out);
  deflateEnd(&stream);
  return status == Z_STREAM_END;
}

}  // namespace

void ZipWriter::Add(const std::string& name, const std::string& bytes) {
  if (bytes.size() > 0xFFFFFFF0u || body_.size() > 0xFFFFFFF0u) {
    too_large_ = true;
    return;
  }
  std::string deflated;
  const bool use_deflate = RawDeflate(bytes, &deflated) && deflated.size() < bytes.size();
  const std::string& data = use_deflate ? deflated : bytes;
  Entry entry{name,
              static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()),
                                          static_cast<uInt>(bytes.size()))),
              static_cast<uint16_t>(use_deflate ? 8 : 0), static_cast<uint32_t>(data.size()),
              static_cast<uint32_t>(bytes.size()), static_cast<uint32_t>(body_.size())};
  Put32(body_, 0x04034b50);
  Put16(body_, 20);     // version needed
  Put16(body_, 0x800);  // UTF-8 names
  Put16(body_, entry.method);
  Put32(body_, 0);      // time and date
  Put32(body_, entry.crc);
  Put32(body_, entry.compressed);
  Put32(body_, entry.size);
  Put16(body_, static_cast<uint32_t>(name.size()));
  Put16(body_, 0);
  body_ += name;
  body_ += data;
  entries_.push_back(entry);
}

bool ZipWriter::Finish(std::string* archive) {
  if (too_large_ || entries_.size() > 0xFFFF || body_.size() > 0xFFFFFFF0u) return false;
  std::string directory;
  for (const Entry& e : entries_) {
    Put32(directory, 0x02014b50);
    Put16(directory, 20);
    Put16(directory, 20);
    Put16(directory, 0x800);
    Put16(directory, e.method);
    Put32(directory, 0);
    Put32(directory, e.crc);
    Put32(directory, e.compressed);
    Put32(directory, e.size);
    Put16(directory, static_cast<uint32_t>(e.name.size()));
    Put16(directory, 0);  // extra
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, 0);  // external attributes
    Put32(directory, e.offset);
    directory += e.name;
  }
  *archive = body_;
  const uint32_t directory_offset = static_cast<uint32_t>(archive->size());
  *archive += directory;
  Put32(*archive, 0x06054b50);
  Put16(*archive, 0);
  Put16(*archive, 0);
  Put16(*archive, static_cast<uint32_t>(entries_.size()));
  Put16(*archive, static_cast<uint32_t>(entries_.size()));
  Put32(*archive, static_cast<uint32_t>(directory.size()));
  Put32(*archive, directory_offset);
  Put16(*archive, 0);
  return true;
}
