#include "files/spill_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "files/temporary_files.h"

namespace qh {

namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 18;
constexpr std::size_t kRecordHead = 8 + 5;  // coordinates and the longest length

// Little-endian, one store or load on the machines this runs on.
void PutLe32(char* at, std::uint32_t value) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &value, sizeof value);
  } else {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<char>(value >> (8 * i) & 0xFF);
  }
}

std::uint32_t Le32At(const char* at) {
  std::uint32_t value = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&value, at, sizeof value);
  } else {
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{static_cast<unsigned char>(at[i])} << (8 * i);
  }
  return value;
}

}  // namespace

bool SpillFile::Fail(IoFailure what, std::string reason) {
  if (!error_) error_ = IoError{what, path_, std::move(reason)};
  return false;
}

bool SpillFile::Fail(IoFailure what, int errorNumber) {
  return Fail(what, std::strerror(errorNumber != 0 ? errorNumber : EIO));
}

bool SpillFile::Create(const std::string& owner) {
  Remove();
  error_ = {};
  size_ = 0;
  const FileCalls& calls = CurrentFileCalls();
  for (int slot = 0; slot < kSpillSlots; ++slot) {
    std::string name = SpillFileName(owner, slot);
    // Entered before it exists: no moment in which an interrupt would leave it.
    const int place = temporary_files::Add(name);
    if (place < 0) {
      if (name.size() >= temporary_files::kPathBytes) {
        return Fail(IoFailure::kCannotCreate, ENAMETOOLONG);
      }
      return Fail(IoFailure::kCannotCreate, "too many files are being written at once");
    }
    errno = 0;
    const FileHandle file = calls.createNew(name.c_str());
    if (file == kNoFile) {
      const int error = errno;
      temporary_files::Drop(place);
      if (error == EEXIST) continue;
      return Fail(IoFailure::kCannotCreate, error);
    }
    file_ = file;
    path_ = std::move(name);
    place_ = place;
    return true;
  }
  return Fail(IoFailure::kCannotCreate, "no free temporary name beside the file");
}

bool SpillFile::WriteOut(std::string_view bytes) {
  const FileCalls& calls = CurrentFileCalls();
  while (!bytes.empty()) {
    errno = 0;
    const std::ptrdiff_t written = calls.write(file_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return Fail(IoFailure::kWriteFailed, written == 0 ? EIO : errno);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool SpillFile::Flush() {
  if (!WriteOut(buffer_)) return false;
  buffer_.clear();
  return true;
}

bool SpillFile::Append(std::string_view bytes) {
  if (Failed()) return false;
  if (file_ == kNoFile) return Fail(IoFailure::kWriteFailed, EBADF);
  if (buffer_.capacity() < kBufferBytes) buffer_.reserve(kBufferBytes);
  size_ += bytes.size();
  if (buffer_.size() + bytes.size() > kBufferBytes && !Flush()) return false;
  if (bytes.size() <= kBufferBytes) {
    buffer_.append(bytes);
    return true;
  }
  return WriteOut(bytes);  // more than the buffer holds goes on at once
}

bool SpillFile::EndWriting() {
  if (Failed()) return false;
  if (file_ == kNoFile) return Fail(IoFailure::kWriteFailed, EBADF);
  if (!Flush()) return false;
  std::string().swap(buffer_);
  errno = 0;
  const int closed = CurrentFileCalls().close(file_);
  file_ = kNoFile;
  return closed == 0 || Fail(IoFailure::kWriteFailed, errno);
}

bool SpillFile::StartReading() {
  if (Failed()) return false;
  if (path_.empty()) return Fail(IoFailure::kCannotOpen, EBADF);
  const FileCalls& calls = CurrentFileCalls();
  if (file_ != kNoFile) calls.close(file_);
  errno = 0;
  file_ = calls.openRead(path_.c_str());
  return file_ != kNoFile || Fail(OpenFailure(path_, errno).what, errno);
}

std::size_t SpillFile::Read(char* into, std::size_t size) {
  if (Failed() || file_ == kNoFile) return 0;
  for (;;) {
    errno = 0;
    const std::ptrdiff_t got = CurrentFileCalls().read(file_, into, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) {
      Fail(IoFailure::kReadFailed, errno);
      return 0;
    }
  }
}

void SpillFile::Remove() {
  std::string().swap(buffer_);
  temporary_files::Discard(file_, path_, place_);
}

bool AppendSpillRecord(SpillFile& file, std::int32_t longitude, std::int32_t latitude,
                       std::string_view name) {
  char head[kRecordHead];
  PutLe32(head, static_cast<std::uint32_t>(longitude));
  PutLe32(head + 4, static_cast<std::uint32_t>(latitude));
  std::size_t size = 8;
  std::uint64_t length = name.size();
  do {
    const auto low = static_cast<unsigned char>(length & 0x7F);
    length >>= 7;
    head[size++] = static_cast<char>(low | (length != 0 ? 0x80 : 0));
  } while (length != 0 && size < kRecordHead);
  return file.Append(std::string_view(head, size)) && file.Append(name);
}

SpillReader::SpillReader(SpillFile& file) : file_(file), buffer_(kBufferBytes, '\0') {
  if (!file_.StartReading()) failed_ = true;
}

bool SpillReader::Refill(std::size_t count) {
  // The unread rest to the front, so a record never straddles the buffer's end.
  const std::size_t rest = filled_ - position_;
  std::memmove(buffer_.data(), buffer_.data() + position_, rest);
  position_ = 0;
  filled_ = rest;
  if (count > buffer_.size()) buffer_.resize(std::max(count, 2 * buffer_.size()));
  while (filled_ < count) {
    const std::size_t got = file_.Read(buffer_.data() + filled_, buffer_.size() - filled_);
    if (got == 0) return false;
    filled_ += got;
  }
  return true;
}

bool SpillReader::Next(SpillRecord& record) {
  if (failed_) return false;
  // Nearly always the head of a record with its longest length is at hand.
  if (!Have(kRecordHead) && !Have(9)) {
    // The end between two records is the file's end; inside one, a fault.
    failed_ = file_.Failed() || filled_ != position_;
    return false;
  }
  // Offsets from the record's start: a refill moves the record to the buffer's front.
  std::size_t head = 8;
  std::uint64_t length = 0;
  for (int shift = 0;; shift += 7) {
    if (shift > 35 || !Have(head + 1)) {
      failed_ = true;
      return false;
    }
    const auto byte = static_cast<unsigned char>(buffer_[position_ + head++]);
    length |= std::uint64_t{byte & 0x7Fu} << shift;
    if ((byte & 0x80) == 0) break;
  }
  // No name of an overlay passes its 2 GiB.
  if (length > 0x7FFFFFFFu || !Have(head + static_cast<std::size_t>(length))) {
    failed_ = true;
    return false;
  }
  const char* const start = buffer_.data() + position_;
  record.longitude = static_cast<std::int32_t>(Le32At(start));
  record.latitude = static_cast<std::int32_t>(Le32At(start + 4));
  const auto nameBytes = static_cast<std::size_t>(length);
  record.name = std::string_view(start + head, nameBytes);
  record.bytes = std::string_view(start, head + nameBytes);
  position_ += head + nameBytes;
  return true;
}

IoError SpillReader::Error() const {
  if (file_.Failed()) return file_.Error();
  return IoError{IoFailure::kEndOfFile, file_.Path(),
                 "its temporary file " + file_.Path() + " ends inside a point"};
}

}  // namespace qh
