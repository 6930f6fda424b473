// Version resources (the VS_VERSION_INFO structure): reading them from PE
// files (Windows executables and libraries) and from our own ELF binaries,
// which carry the same structure in the section kVersionSectionName, and the
// one shared reader GetFileVersionString.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

inline constexpr const char* kVersionSectionName = ".kestrune.version";

// A source of bytes at offsets (a file, or memory for tests and fuzzing).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Exactly `length` bytes at `offset`; false when out of range or failed.
  virtual bool Read(uint64_t offset, size_t length, std::string* out) const = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool Read(uint64_t offset, size_t length, std::string* out) const override;

 private:
  std::string_view bytes_;
};

// One node of the structure: key, type (1 text, 0 binary), raw value bytes.
struct VersionBlock {
  std::string key;  // UTF-8
  uint16_t type = 0;
  std::string value;
  std::vector<VersionBlock> children;
};

// The version resource's raw bytes from a PE or ELF image; nullopt when the
// image is neither or carries none.
std::optional<std::string> ExtractVersionResource(const ByteSource& image);

// Parses the structure; nullopt when even the root block is malformed.
// Children that do not fit their parent are dropped, with what came before kept.
std::optional<VersionBlock> ParseVersionResource(std::string_view bytes);

// The value of a "\"-separated path ("\" is the root itself), keys compared
// without regard to ASCII case; nullopt when absent.
const VersionBlock* FindVersionBlock(const VersionBlock& root, std::string_view path);

// Fixed file version as four 16-bit parts; nullopt without a valid fixed part.
std::optional<std::array<uint16_t, 4>> FixedFileVersion(const VersionBlock& root);

// Steps 3-5 of GetFileVersionString on an already extracted resource (empty
// `resource` = the file has none).
std::string VersionStringFromResource(std::string_view resource, const std::string& entryName);

// One string of a file's version resource: the first translation's
// "\StringFileInfo\llllcccc\<entry>" (or the bare entry without a
// translation); for "FileVersion" with no text, the fixed version "a.b.c.d".
// Empty when the file cannot be read or has no version resource.
std::string GetFileVersionString(const std::string& path, const std::string& entryName);

// UTF-16LE bytes up to the first zero character, as UTF-8.
std::string Utf16LeToUtf8(std::string_view bytes);

}  // namespace kestrune
