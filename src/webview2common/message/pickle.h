#pragma once
// A growable byte buffer that starts with a fixed header and continues with a body of values,
// each starting on a 4-byte boundary. The byte layout is a contract with the parent process:
// integers are little-endian, text is a count of UTF-16 code units followed by the units.
//
// A Pickle may also be a read-only view over received bytes. Those bytes come from another
// process and are treated as hostile: no read ever leaves them, whatever the header says.

#include <cstddef>
#include <cstdint>
#include <string>

class Pickle {
 public:
  // An empty pickle with a header of header_size bytes (a multiple of 4) and room for 64 bytes.
  explicit Pickle(int header_size);
  // A read-only view over received bytes, which must outlive it. Malformed bytes give an empty
  // view on which every read fails.
  Pickle(const void* data, int length);
  Pickle(const Pickle& other);
  Pickle& operator=(const Pickle& other);
  virtual ~Pickle();

  [[nodiscard]] bool WriteInt(int32_t value);
  [[nodiscard]] bool WriteInt64(int64_t value);
  [[nodiscard]] bool WriteBool(bool value);
  [[nodiscard]] bool WriteBytes(const void* data, int length);
  [[nodiscard]] bool WriteString16(std::u16string_view text);

  // Header and body, as sent on the wire.
  const uint8_t* data() const { return buffer_; }
  size_t size() const { return buffer_ == nullptr ? 0 : header_size_ + payload_size(); }
  uint32_t payload_size() const;
  int header_size() const { return header_size_; }
  int capacity() const { return capacity_; }
  bool is_read_only() const { return capacity_ == kReadOnly; }

 protected:
  static constexpr int kReadOnly = -1;
  static constexpr int kAllocationUnit = 64;

  uint32_t HeaderWord(int offset) const;
  void SetHeaderWord(int offset, uint32_t value);

 private:
  friend class PickleIterator;

  // Reserves n bytes at the next 4-byte boundary of the body; null when memory cannot grow.
  uint8_t* BeginWrite(size_t n);
  bool Resize(size_t needed);
  void CopyFrom(const Pickle& other);

  uint8_t* buffer_ = nullptr;
  int header_size_ = 0;
  int capacity_ = 0;
};

// A read cursor over a pickle's body. Each read stores the value and returns true, or returns
// false and leaves both the destination and the cursor untouched.
class PickleIterator {
 public:
  explicit PickleIterator(const Pickle& pickle);

  [[nodiscard]] bool ReadBool(bool* result);
  [[nodiscard]] bool ReadInt(int32_t* result);
  [[nodiscard]] bool ReadUInt32(uint32_t* result);
  [[nodiscard]] bool ReadInt64(int64_t* result);
  [[nodiscard]] bool ReadString16(std::u16string* result);

  size_t remaining() const { return end_ - position_; }

 private:
  const uint8_t* Take(size_t n);

  const uint8_t* base_ = nullptr;
  size_t position_ = 0;
  size_t end_ = 0;
};
