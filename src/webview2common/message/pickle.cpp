#include "webview2common/message/pickle.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "webview2common/little_endian.h"

namespace {

constexpr size_t Align4(size_t n) { return (n + 3) & ~static_cast<size_t>(3); }
constexpr size_t RoundUp64(size_t n) { return (n + 63) & ~static_cast<size_t>(63); }

// Sizes are 32-bit signed on the wire and in the header; nothing may grow past that.
constexpr size_t kMaxSize = INT_MAX;

}  // namespace

Pickle::Pickle(int header_size) : header_size_(header_size) {
  const size_t initial = RoundUp64(static_cast<size_t>(header_size) > kAllocationUnit
                                       ? static_cast<size_t>(header_size)
                                       : kAllocationUnit);
  buffer_ = static_cast<uint8_t*>(std::calloc(initial, 1));
  capacity_ = buffer_ != nullptr ? static_cast<int>(initial) : 0;
}

Pickle::Pickle(const void* data, int length) : capacity_(kReadOnly) {
  if (data == nullptr || length < 4) return;
  const auto* bytes = static_cast<const uint8_t*>(data);
  const int64_t header = static_cast<int64_t>(length) - LoadLE32(bytes);
  if (header <= 0 || header > length || header % 4 != 0) return;
  buffer_ = const_cast<uint8_t*>(bytes);  // never written: capacity marks it read-only
  header_size_ = static_cast<int>(header);
}

Pickle::Pickle(const Pickle& other) { CopyFrom(other); }

Pickle& Pickle::operator=(const Pickle& other) {
  if (this == &other) return *this;
  const size_t size = other.size();
  if (!is_read_only() && buffer_ != nullptr && header_size_ == other.header_size_ &&
      static_cast<size_t>(capacity_) >= size) {
    std::memcpy(buffer_, other.buffer_, size);
    return *this;
  }
  if (!is_read_only()) std::free(buffer_);
  buffer_ = nullptr;
  capacity_ = 0;
  CopyFrom(other);
  return *this;
}

void Pickle::CopyFrom(const Pickle& other) {
  header_size_ = other.header_size_;
  capacity_ = 0;
  buffer_ = nullptr;
  if (other.buffer_ == nullptr) return;
  const size_t size = other.size();
  const size_t capacity = RoundUp64(size == 0 ? kAllocationUnit : size);
  buffer_ = static_cast<uint8_t*>(std::calloc(capacity, 1));
  if (buffer_ == nullptr) return;
  std::memcpy(buffer_, other.buffer_, size);
  capacity_ = static_cast<int>(capacity);
}

Pickle::~Pickle() {
  if (!is_read_only()) std::free(buffer_);
}

uint32_t Pickle::payload_size() const { return buffer_ == nullptr ? 0 : LoadLE32(buffer_); }

uint32_t Pickle::HeaderWord(int offset) const {
  if (buffer_ == nullptr || offset + 4 > header_size_) return 0;
  return LoadLE32(buffer_ + offset);
}

void Pickle::SetHeaderWord(int offset, uint32_t value) {
  if (buffer_ == nullptr || is_read_only() || offset + 4 > header_size_) return;
  StoreLE32(buffer_ + offset, value);
}

bool Pickle::Resize(size_t needed) {
  size_t capacity = 2 * static_cast<size_t>(capacity_);
  if (capacity < needed) capacity = needed;
  capacity = RoundUp64(capacity);
  if (capacity > kMaxSize) capacity = needed;
  auto* grown = static_cast<uint8_t*>(std::realloc(buffer_, capacity));
  if (grown == nullptr) return false;
  std::memset(grown + capacity_, 0, capacity - capacity_);
  buffer_ = grown;
  capacity_ = static_cast<int>(capacity);
  return true;
}

uint8_t* Pickle::BeginWrite(size_t n) {
  if (buffer_ == nullptr || is_read_only()) return nullptr;
  const size_t offset = Align4(payload_size());
  if (n > kMaxSize - header_size_ - offset) return nullptr;
  const size_t new_payload = offset + n;
  const size_t needed = header_size_ + new_payload;
  if (needed > static_cast<size_t>(capacity_) && !Resize(needed)) return nullptr;
  StoreLE32(buffer_, static_cast<uint32_t>(new_payload));
  return buffer_ + header_size_ + offset;
}

bool Pickle::WriteInt(int32_t value) {
  uint8_t* at = BeginWrite(4);
  if (at == nullptr) return false;
  StoreLE32(at, static_cast<uint32_t>(value));
  return true;
}

bool Pickle::WriteInt64(int64_t value) {
  uint8_t* at = BeginWrite(8);
  if (at == nullptr) return false;
  StoreLE32(at, static_cast<uint32_t>(static_cast<uint64_t>(value)));
  StoreLE32(at + 4, static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32));
  return true;
}

bool Pickle::WriteBool(bool value) { return WriteInt(value ? 1 : 0); }

bool Pickle::WriteBytes(const void* data, int length) {
  if (length < 0) return false;
  const size_t padded = Align4(static_cast<size_t>(length));
  uint8_t* at = BeginWrite(padded);
  if (at == nullptr) return false;
  if (length > 0) std::memcpy(at, data, static_cast<size_t>(length));
  std::memset(at + length, 0, padded - length);
  return true;
}

bool Pickle::WriteString16(std::u16string_view text) {
  if (text.size() >= (static_cast<size_t>(1) << 30)) return false;
  const size_t bytes = text.size() * 2;
  const uint32_t before = payload_size();
  if (!WriteInt(static_cast<int32_t>(text.size()))) return false;
  const size_t padded = Align4(bytes);
  uint8_t* at = BeginWrite(padded);
  if (at == nullptr) {
    StoreLE32(buffer_, before);  // leave the message as it was
    return false;
  }
  for (size_t i = 0; i < text.size(); ++i) {
    at[2 * i] = static_cast<uint8_t>(text[i]);
    at[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
  }
  std::memset(at + bytes, 0, padded - bytes);
  return true;
}

PickleIterator::PickleIterator(const Pickle& pickle) {
  if (pickle.buffer_ == nullptr) return;
  base_ = pickle.buffer_;
  position_ = static_cast<size_t>(pickle.header_size_);
  end_ = position_ + pickle.payload_size();
}

const uint8_t* PickleIterator::Take(size_t n) {
  if (base_ == nullptr || n > end_ - position_) return nullptr;
  const uint8_t* at = base_ + position_;
  const size_t step = Align4(n);
  position_ = step > end_ - position_ ? end_ : position_ + step;
  return at;
}

bool PickleIterator::ReadBool(bool* result) {
  const uint8_t* at = Take(1);
  if (at == nullptr) return false;
  *result = at[0] != 0;
  return true;
}

bool PickleIterator::ReadUInt32(uint32_t* result) {
  const uint8_t* at = Take(4);
  if (at == nullptr) return false;
  *result = LoadLE32(at);
  return true;
}

bool PickleIterator::ReadInt(int32_t* result) {
  uint32_t value = 0;
  if (!ReadUInt32(&value)) return false;
  *result = static_cast<int32_t>(value);
  return true;
}

bool PickleIterator::ReadInt64(int64_t* result) {
  const uint8_t* at = Take(8);
  if (at == nullptr) return false;
  *result = static_cast<int64_t>(static_cast<uint64_t>(LoadLE32(at)) |
                                 static_cast<uint64_t>(LoadLE32(at + 4)) << 32);
  return true;
}

bool PickleIterator::ReadString16(std::u16string* result) {
  const size_t start = position_;
  int32_t count = 0;
  if (!ReadInt(&count)) return false;
  if (count < 0 || count >= (1 << 30)) {
    position_ = start;
    return false;
  }
  const uint8_t* at = Take(static_cast<size_t>(count) * 2);
  if (at == nullptr) {
    position_ = start;
    return false;
  }
  result->resize(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    (*result)[i] = static_cast<char16_t>(at[2 * i] | at[2 * i + 1] << 8);
  }
  return true;
}
