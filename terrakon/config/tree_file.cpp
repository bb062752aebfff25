#include "terrakon/config/tree_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "common/error.h"

namespace tk {

// Walks a file image; every length is checked against what is left before
// anything is allocated for it.
class TreeReader {
 public:
  explicit TreeReader(std::span<const std::uint8_t> image) : image_(image) {}

  TreeReadResult Read(HConfigItem& root) {
    std::uint32_t signatureLength = 0;
    std::span<const std::uint8_t> magic, signature;
    if (!Take(4, magic) || !Matches(magic, kTreeMagic)) {
      SetErrorText("Not a configuration file (no \"TreE\" at the start)");
      return TreeReadResult::kNotATree;
    }
    if (!TakeU32(signatureLength) || !Take(signatureLength, signature) ||
        !Matches(signature, kFormatSignature)) {
      SetErrorText("Configuration file of an unknown format (signature is not \"%s\")",
                   kFormatSignature.data());
      return TreeReadResult::kNotATree;
    }
    root.ClearItems();
    if (!ReadChildren(root, 1)) {
      root.ClearItems();
      return TreeReadResult::kBroken;
    }
    return TreeReadResult::kOk;
  }

 private:
  static bool Matches(std::span<const std::uint8_t> bytes, std::string_view text) {
    return bytes.size() == text.size() && std::memcmp(bytes.data(), text.data(), text.size()) == 0;
  }

  std::size_t Left() const { return image_.size() - pos_; }

  // A short read, like one from a file, consumes what is left.
  bool Take(std::size_t n, std::span<const std::uint8_t>& out) {
    if (n > Left()) {
      pos_ = image_.size();
      return false;
    }
    out = image_.subspan(pos_, n);
    pos_ += n;
    return true;
  }

  bool TakeU32(std::uint32_t& value) {
    std::span<const std::uint8_t> b;
    if (!Take(4, b)) return false;
    value = b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    return true;
  }

  bool Broken(const char* what) {
    SetErrorText("Configuration file is broken: %s at byte %zu", what, pos_);
    return false;
  }

  bool ReadChildren(HConfigItem& parent, std::size_t level) {
    std::span<const std::uint8_t> magic;
    std::uint32_t count = 0;
    if (!Take(4, magic) || !TakeU32(count)) return Broken("children block cut short");
    if (!Matches(magic, kTreeMagic)) return Broken("no \"TreE\" before a children block");
    for (std::uint32_t i = 0; i < count; ++i) {
      std::span<const std::uint8_t> header, name;
      // A cut name header ends the block as if it were complete.
      if (!Take(2, header)) return true;
      if (!Take(header[0] | header[1] << 8, name)) return true;
      if (level > kMaxTreeDepth) return Broken("items nested too deeply");
      HConfigItem* child = parent.AppendChild(std::string(name.begin(), name.end()));
      if (!ReadValue(*child) || !ReadChildren(*child, level + 1)) return false;
    }
    return true;
  }

  bool ReadValue(HConfigItem& item) {
    std::span<const std::uint8_t> b;
    if (!Take(1, b)) return Broken("value type cut short");
    const std::uint8_t type = b[0];
    switch (type) {
      case kTypeNone:
        item.type_ = kTypeNone;
        return true;
      case kTypeUInt8:
      case kTypeInt8:
        if (!Take(1, b)) break;
        item.SetNumber(type, b[0]);  // a value read from the file is zero-extended
        return true;
      case kTypeUInt16:
      case kTypeInt16:
        if (!Take(2, b)) break;
        item.SetNumber(type, b[0] | b[1] << 8);
        return true;
      case kTypeDWord:
      case kTypeInt: {
        std::uint32_t value = 0;
        if (!TakeU32(value)) break;
        item.SetNumber(type, value);
        return true;
      }
      case kTypeFloat: {
        if (!Take(4, b)) break;
        float value;
        std::memcpy(&value, b.data(), sizeof value);
        item.SetReal(type, value);
        return true;
      }
      case kTypeDouble: {
        if (!Take(8, b)) break;
        double value;
        std::memcpy(&value, b.data(), sizeof value);
        item.SetReal(type, value);
        return true;
      }
      case kTypeBinary:
      case kTypeText: {
        std::uint32_t length = 0;
        if (!TakeU32(length)) break;
        if (length > Left()) return Broken("block longer than the rest of the file");
        Take(length, b);
        item.SetBlock(type, b);
        // A text without its zero is accepted and terminated here.
        if (type == kTypeText && (item.block_.empty() || item.block_.back() != 0))
          item.block_.push_back(0);
        return true;
      }
      default:
        SetErrorText("Configuration file is broken: unknown value type %u at byte %zu", type,
                     pos_ - 1);
        return false;
    }
    return Broken("value cut short");
  }

  std::span<const std::uint8_t> image_;
  std::size_t pos_ = 0;
};

class TreeWriter {
 public:
  explicit TreeWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  bool Write(const HConfigItem& root) {
    out_.clear();
    PutText(kTreeMagic);
    PutU32(static_cast<std::uint32_t>(kFormatSignature.size()));
    PutText(kFormatSignature);
    return WriteChildren(root, 1);
  }

 private:
  // resize and copy rather than insert: g++ 12 reports a false overflow for
  // a range insert right after clear().
  void PutText(std::string_view text) {
    const std::size_t at = out_.size();
    out_.resize(at + text.size());
    if (!text.empty()) std::memcpy(out_.data() + at, text.data(), text.size());
  }
  void PutU16(std::uint16_t v) {
    out_.push_back(static_cast<std::uint8_t>(v));
    out_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void PutU32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void PutBytes(const void* data, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    out_.insert(out_.end(), p, p + n);
  }

  bool WriteChildren(const HConfigItem& parent, std::size_t level) {
    if (parent.children_.size() > std::numeric_limits<std::uint32_t>::max()) {
      SetErrorText("Too many configuration items below one item");
      return false;
    }
    PutText(kTreeMagic);
    PutU32(static_cast<std::uint32_t>(parent.children_.size()));
    for (const auto& child : parent.children_) {
      if (level > kMaxTreeDepth) {
        SetErrorText("Configuration items nested deeper than %zu levels", kMaxTreeDepth);
        return false;
      }
      if (child->name_.size() > std::numeric_limits<std::uint16_t>::max()) {
        SetErrorText("Configuration item name longer than 65535 bytes");
        return false;
      }
      PutU16(static_cast<std::uint16_t>(child->name_.size()));
      PutText(child->name_);
      if (!WriteValue(*child) || !WriteChildren(*child, level + 1)) return false;
    }
    return true;
  }

  bool WriteValue(const HConfigItem& item) {
    const std::uint8_t type = item.type_;
    if (type > kTypeLast) {
      SetErrorText("Configuration item \"%s\" has the unknown type %u", item.name_.c_str(), type);
      return false;
    }
    out_.push_back(type);
    switch (type) {
      case kTypeUInt8:
      case kTypeInt8:
        out_.push_back(static_cast<std::uint8_t>(item.number_));
        break;
      case kTypeUInt16:
      case kTypeInt16:
        PutU16(static_cast<std::uint16_t>(item.number_));
        break;
      case kTypeDWord:
      case kTypeInt:
        PutU32(item.number_);
        break;
      case kTypeFloat: {
        const float value = static_cast<float>(item.real_);
        PutBytes(&value, sizeof value);
        break;
      }
      case kTypeDouble:
        PutBytes(&item.real_, sizeof item.real_);
        break;
      case kTypeBinary:
      case kTypeText:
        if (item.block_.size() > std::numeric_limits<std::uint32_t>::max()) {
          SetErrorText("Configuration item \"%s\" is larger than 4 GB", item.name_.c_str());
          return false;
        }
        PutU32(static_cast<std::uint32_t>(item.block_.size()));
        PutBytes(item.block_.data(), item.block_.size());
        break;
      default:
        break;
    }
    return true;
  }

  std::vector<std::uint8_t>& out_;
};

TreeReadResult ReadTree(std::span<const std::uint8_t> image, HConfigItem& root) {
  return TreeReader(image).Read(root);
}

bool WriteTree(const HConfigItem& root, std::vector<std::uint8_t>& image) {
  return TreeWriter(image).Write(root);
}

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now so that the result of the close can be checked.
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The file a save replaces: the target of a symbolic link, so the link stays.
std::string SaveTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return path;
  std::string target(resolved);
  std::free(resolved);
  return target;
}

}  // namespace

bool LoadTreeFile(const std::string& path, HConfigItem& root) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) {
    SetLastErrorFromErrno();
    return false;
  }
  struct stat st;
  if (::fstat(file.get(), &st) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    SetErrorText("Not a regular file: %s", path.c_str());
    return false;
  }
  if (static_cast<std::uint64_t>(st.st_size) > kMaxTreeFileSize) {
    SetErrorText("Configuration file larger than %llu bytes: %s",
                 static_cast<unsigned long long>(kMaxTreeFileSize), path.c_str());
    return false;
  }
  std::vector<std::uint8_t> image(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  while (got < image.size()) {
    ssize_t n = ::read(file.get(), image.data() + got, image.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetLastErrorFromErrno();
      return false;
    }
    if (n == 0) break;  // shrank while we read: parse what is there
    got += static_cast<std::size_t>(n);
  }
  image.resize(got);
  return ReadTree(image, root) == TreeReadResult::kOk;
}

bool SaveTreeFile(const std::string& path, const HConfigItem& root) {
  std::vector<std::uint8_t> image;
  if (!WriteTree(root, image)) return false;

  const std::string target = SaveTarget(path);
  std::string temp = target + ".XXXXXX";
  FileDescriptor file(::mkostemp(temp.data(), O_CLOEXEC));
  if (file.get() < 0) {
    SetLastErrorFromErrno();
    return false;
  }
  // The new file keeps the permissions of the one it replaces.
  struct stat st;
  const bool keepMode = ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  bool ok = (!keepMode || ::fchmod(file.get(), st.st_mode & 07777) == 0) &&
            WriteAll(file.get(), image.data(), image.size()) && ::fsync(file.get()) == 0;
  int error = ok ? 0 : errno;
  if (!file.Close() && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    SetLastError(error);
  }
  return ok;
}

}  // namespace tk
